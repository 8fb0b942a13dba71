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

namespace tavrin {

std::vector<std::string> PlayerRecordLines(const std::vector<SessionRecord>& sessions,
                                           const std::vector<SanctionRecord>& sanctions) {
    std::vector<std::string> lines;
    for (const SessionRecord& s : sessions) {
        lines.push_back("session " + s.server + " " + UtcText(s.started) + " " +
                        UtcText(s.lastSeen) + " kills " + std::to_string(s.kills) + " deaths " +
                        std::to_string(s.deaths) + " best ping " +
                        (s.bestPing ? std::to_string(*s.bestPing) : std::string("-")));
    }
    for (const SanctionRecord& s : sanctions) {
        lines.push_back("sanction " + UtcText(s.time) + " " + s.server + " " +
                        std::string(SanctionActionName(s.action)) + " by " + s.source +
                        (s.reason.empty() ? std::string() : ": " + s.reason));
    }
    return lines;
}

std::string SanctionCsvHeader() {
    return CsvLine({"time", "server", "player", "action", "reason", "source"});
}

std::string SanctionCsvLine(const SanctionRecord& s) {
    // The file is UTF-8, as the database and the tools that read it.
    return CsvLine({UtcText(s.time), Utf8FromWindows1252(s.server), Utf8FromWindows1252(s.player),
                    std::string(SanctionActionName(s.action)), Utf8FromWindows1252(s.reason),
                    Utf8FromWindows1252(s.source)});
}

}  // namespace tavrin
