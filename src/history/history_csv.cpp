#include "history/history_csv.h"

namespace tavrin {

std::string CsvField(std::string_view text) {
    std::string field(text);
    if (!field.empty() &&
        std::string_view("=+-@\t\r").find(field.front()) != std::string_view::npos)
        field.insert(field.begin(), '\'');
    if (field.find_first_of(",\"\r\n'") == std::string::npos) return field;
    std::string quoted = "\"";
    for (const char c : field) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string CsvLine(const std::vector<std::string>& fields) {
    std::string line;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i) line += ',';
        line += CsvField(fields[i]);
    }
    return line + "\r\n";
}

}  // namespace tavrin
