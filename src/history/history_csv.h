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
