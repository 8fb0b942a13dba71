#pragma once

#include <string>
#include <string_view>

#include "common/event_log.h"

namespace tavrin {

// The two logs a viewer can show.
enum class LogKind { Event, Chat };

// The caption's suffix when the day has no chat log yet.
inline constexpr std::string_view kNoSavedGameChat = " No saved game chat";

// What a log viewer shows after a review: its caption and the whole text of
// its area, as Windows-1252 bytes with LF line ends.
struct LogReview {
    std::string caption;
    std::string text;

    bool operator==(const LogReview&) const = default;
};

// "Review Current Event Log": today's event log, its full path as the caption.
// When today has no event log yet (the program has run past midnight, or
// nothing was logged today) the review first logs the continuation header:
// the "=" separator, "Continuation File", "Program Running Since " +
// `runningSince` and the "=" separator again, then shows the new file.
// `runningSince` is the Server tab's Connection Started text, empty before
// the first login.
LogReview ReviewEventLog(EventLog& log, std::string_view runningSince);

// "Review Current Chat Log": today's chat log, its full path as the caption;
// a day without one shows an empty text and the caption ends in
// " No saved game chat". Nothing is written.
LogReview ReviewChatLog(const EventLog& log);

// Either of the two; `runningSince` matters to the event log only.
LogReview ReviewLog(EventLog& log, LogKind kind, std::string_view runningSince);

}  // namespace tavrin
