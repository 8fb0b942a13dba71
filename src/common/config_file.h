#pragma once

#include <string>
#include <string_view>

#include "common/event_log.h"
#include "common/text_file.h"
#include "common/user_dialogs.h"

namespace tavrin {

// A configuration file's text. A file that is there is used as it is. A
// missing one gets `defaults`, written out at once (a failure to write is
// logged). One that is there but cannot be read is left alone: the defaults
// are used in memory only and the person is told, in the log and in a
// message. `log` and `dialogs` may be null where nobody is to be told.
std::string LoadConfigText(const std::string& path, std::string_view defaults, FileAccess access,
                           EventSink* log, UserDialogs* dialogs);

}  // namespace tavrin
