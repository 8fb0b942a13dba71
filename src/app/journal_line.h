#pragma once

// What the console without a window prints when its standard output is the
// system journal: each line with a syslog priority in front and no time
// stamp of its own (the journal stamps every line), and the fields that
// change every second or with every command left out unless asked for.

#include <string>
#include <string_view>

#include "link/session_types.h"

namespace tavrin {

enum class LinePriority { Error = 3, Warning = 4, Info = 6 };

// How printed lines look.
struct OutputStyle {
    bool journal = false;  // standard output is the journal
    bool verbose = false;  // --verbose: every field, in the journal too
};

// The style of a process: the journal when JOURNAL_STREAM (given here, null
// when unset) is set.
OutputStyle OutputStyleFor(const char* journalStream, bool verbose);

// Whether a field's changes are printed: in the journal the clock and the
// command and response fields are chatter, printed with --verbose only.
bool FieldPrinted(Field field, const OutputStyle& style);

// The priority of an event-log line's text (its stamp removed), from the
// words that mark a failure or a refusal.
LinePriority EventPriority(std::string_view text);

// An event-log line ("[HH:MM:SS] text") as printed: as it is, or in the
// journal without its stamp.
std::string EventLineText(std::string_view line, const OutputStyle& style);

// What goes before a printed line: "<3>", "<4>", "<6>" in the journal,
// nothing otherwise.
std::string PriorityPrefix(LinePriority priority, const OutputStyle& style);

}  // namespace tavrin
