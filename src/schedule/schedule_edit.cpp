#include "schedule/schedule_edit.h"

namespace tavrin {
namespace {

std::string_view Trimmed(std::string_view text) {
    const size_t start = text.find_first_not_of(" \t");
    if (start == std::string_view::npos) return {};
    const size_t end = text.find_last_not_of(" \t");
    return text.substr(start, end - start + 1);
}

std::string_view WithoutSuffix(std::string_view text, std::string_view suffix) {
    if (text.size() > suffix.size() && text.substr(text.size() - suffix.size()) == suffix)
        text.remove_suffix(suffix.size());
    return text;
}

// The When column as the one word the file's line holds there. The units
// the editor shows ("300 s", "3 punts or bans") are taken off; anything
// that is not one word stands as "?", which the reader refuses with the
// kind's own message.
std::string WhenWord(const ScheduleRow& row) {
    std::string_view when = Trimmed(row.when);
    if (row.kind == ScheduleRule::Kind::Every) when = Trimmed(WithoutSuffix(when, " s"));
    if (row.kind == ScheduleRule::Kind::OnOffender) {
        when = Trimmed(WithoutSuffix(when, " punts or bans"));
        when = Trimmed(WithoutSuffix(when, " punt or ban"));
    }
    if (when.empty() || when.find_first_of(" \t") != std::string_view::npos) return "?";
    return std::string(when);
}

std::string RowLine(const ScheduleRow& row) {
    std::string line = RuleKindText(row.kind);
    if (row.kind != ScheduleRule::Kind::OnJoin && row.kind != ScheduleRule::Kind::OnMission)
        line += " " + WhenWord(row);
    return line + " " + row.command;
}

}  // namespace

ScheduleRow RowOfRule(const ScheduleRule& rule) {
    return {rule.kind, RuleWhenText(rule), rule.command};
}

RowReading ReadScheduleRow(const ScheduleRow& row) {
    RowReading reading;
    // A line break in a cell would make two lines of the file.
    if (row.command.find_first_of("\r\n") != std::string::npos ||
        row.when.find_first_of("\r\n") != std::string::npos) {
        reading.refusal = "the command holds a control byte";
        return reading;
    }
    const ScheduleFile file = ParseSchedule(RowLine(row));
    if (!file.problems.empty()) {
        reading.refusal = file.problems.front().text;
        return reading;
    }
    if (file.rules.size() != 1 || file.rules.front().command != row.command) {
        reading.refusal = "the command begins or ends with a blank";
        return reading;
    }
    reading.ok = true;
    reading.rule = file.rules.front();
    reading.rule.line = 0;
    return reading;
}

ExpandedCommand SampleCommand(const ScheduleRule& rule) {
    return ExpandCommand(rule.command,
                         {"Player", "7", "Sample Mission", std::to_string(rule.minPunts)});
}

ScheduleSave ScheduleFileText(std::string_view oldText, const std::vector<ScheduleRow>& rows) {
    ScheduleSave save;
    std::vector<ScheduleRule> rules;
    for (size_t i = 0; i < rows.size(); ++i) {
        RowReading reading = ReadScheduleRow(rows[i]);
        if (!reading.ok) {
            save.refusal = "Row " + std::to_string(i + 1) + ": " + reading.refusal;
            return save;
        }
        rules.push_back(std::move(reading.rule));
    }
    if (oldText.empty()) {
        save.text = ScheduleText(rules);
    } else {
        while (!oldText.empty()) {
            const size_t lf = oldText.find('\n');
            std::string_view line = oldText.substr(0, lf);
            oldText.remove_prefix(lf == std::string_view::npos ? oldText.size() : lf + 1);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            const std::string_view trimmed = Trimmed(line);
            if (!trimmed.empty() && trimmed.front() == '#') save.text += std::string(line) + "\n";
        }
        for (const ScheduleRule& rule : rules) save.text += ScheduleRuleLine(rule) + "\n";
    }
    save.ok = true;
    save.rules = std::move(rules);
    return save;
}

}  // namespace tavrin
