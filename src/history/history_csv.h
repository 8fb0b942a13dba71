#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tavrin {

// One field of a CSV file. A field that a spreadsheet would read as a formula
// (it starts with =, +, -, @, a tab or a carriage return) gets a leading
// apostrophe, which spreadsheets show as text; a field holding a comma, a
// quote, a line break or that apostrophe is quoted, quotes doubled.
std::string CsvField(std::string_view text);

// A line of fields, ended with CR LF.
std::string CsvLine(const std::vector<std::string>& fields);

}  // namespace tavrin

#include "history/history_records.h"

namespace tavrin {

// A player's record, one line each: the sessions, then the sanctions.
// "session SERVER FIRST LAST kills K deaths D best ping P"
// "sanction TIME SERVER ACTION by SOURCE: REASON"
std::vector<std::string> PlayerRecordLines(const std::vector<SessionRecord>& sessions,
                                           const std::vector<SanctionRecord>& sanctions);

// The header line of the sanctions' CSV file, and one sanction's line.
std::string SanctionCsvHeader();
std::string SanctionCsvLine(const SanctionRecord& sanction);

}  // namespace tavrin
