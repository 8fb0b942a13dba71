#pragma once

// What the Schedule editor decides: a row of its table read as a rule, the
// command a rule would send now with sample values, and the file's new text
// built from the old one and the edited rows.

#include <string>
#include <string_view>
#include <vector>

#include "schedule/command_template.h"
#include "schedule/schedule_rules.h"

namespace tavrin {

// One row of the editor as typed. `when` is the number of seconds of an
// EVERY rule ("300" or "300 s"), the time of an AT rule ("21:00"), the
// punts of an ON OFFENDER rule ("3" or "3 punts or bans"); ON JOIN and
// ON MISSION have none.
struct ScheduleRow {
    ScheduleRule::Kind kind = ScheduleRule::Kind::Every;
    std::string when;
    std::string command;

    bool operator==(const ScheduleRow&) const = default;
};

// The row the editor shows for a rule of the file.
ScheduleRow RowOfRule(const ScheduleRule& rule);

struct RowReading {
    bool ok = false;
    ScheduleRule rule;    // when ok
    std::string refusal;  // when not: why, as the file's reader says it
};

// The rule of a row, read as the file's line would be read, so that what
// the editor accepts is exactly what the console will run. A command that
// would not read back as typed (blanks at its ends) is refused rather than
// trimmed behind the user's back.
RowReading ReadScheduleRow(const ScheduleRow& row);

// The command the rule would send now with sample values (name "Player",
// id "7", mission "Sample Mission", punts the rule's minimum), or, not ok,
// why it would not be sent.
ExpandedCommand SampleCommand(const ScheduleRule& rule);

struct ScheduleSave {
    bool ok = false;
    std::string text;                 // the file's new text, when ok
    std::vector<ScheduleRule> rules;  // what the console will read from it
    std::string refusal;              // when not: "Row 2: why"
};

// The file's new text: every comment line of `oldText` ("#...") is kept, at
// the top and in its order, so that notes the user wrote by hand survive a
// save from the editor; then one line per row. Without an old file (empty
// `oldText`) the file starts with a short note on the format. The first row
// that cannot be read refuses the whole save, naming the row (from 1) and why.
ScheduleSave ScheduleFileText(std::string_view oldText, const std::vector<ScheduleRow>& rows);

}  // namespace tavrin
