#include "schedule/schedule_rules.h"

#include <charconv>
#include <optional>

#include "link/reply_router.h"

namespace tavrin {
namespace {

std::optional<int> Whole(std::string_view text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end) return std::nullopt;
    return value;
}

// Takes the next blank-separated word off the front of `rest`.
std::string_view NextWord(std::string_view& rest) {
    const size_t start = rest.find_first_not_of(' ');
    if (start == std::string_view::npos) {
        rest = {};
        return {};
    }
    rest.remove_prefix(start);
    const size_t end = rest.find(' ');
    const std::string_view word = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end);
    return word;
}

std::string_view Trimmed(std::string_view text) {
    const size_t start = text.find_first_not_of(" \t");
    if (start == std::string_view::npos) return {};
    const size_t end = text.find_last_not_of(" \t");
    return text.substr(start, end - start + 1);
}

// The rule of one line that is neither blank nor a comment, or why not.
std::optional<ScheduleRule> ParseRule(std::string_view line, std::string& why) {
    ScheduleRule rule;
    std::string_view rest = line;
    const std::string_view word = NextWord(rest);
    if (word == "EVERY") {
        rule.kind = ScheduleRule::Kind::Every;
        const std::optional<int> seconds = Whole(NextWord(rest));
        if (!seconds || *seconds < kMinEverySeconds || *seconds > 7 * 86400) {
            why = "EVERY wants a number of seconds from " + std::to_string(kMinEverySeconds) +
                  " to 604800";
            return std::nullopt;
        }
        rule.seconds = *seconds;
    } else if (word == "AT") {
        rule.kind = ScheduleRule::Kind::At;
        const std::string_view when = NextWord(rest);
        const std::optional<int> hour =
            when.size() == 5 && when[2] == ':' ? Whole(when.substr(0, 2)) : std::nullopt;
        const std::optional<int> minute = hour ? Whole(when.substr(3, 2)) : std::nullopt;
        if (!hour || !minute || *hour < 0 || *hour > 23 || *minute < 0 || *minute > 59) {
            why = "AT wants a time HH:MM from 00:00 to 23:59";
            return std::nullopt;
        }
        rule.hour = *hour;
        rule.minute = *minute;
    } else if (word == "ON") {
        const std::string_view event = NextWord(rest);
        if (event == "JOIN") {
            rule.kind = ScheduleRule::Kind::OnJoin;
        } else if (event == "MISSION") {
            rule.kind = ScheduleRule::Kind::OnMission;
        } else if (event == "OFFENDER") {
            rule.kind = ScheduleRule::Kind::OnOffender;
            const std::optional<int> punts = Whole(NextWord(rest));
            if (!punts || *punts < 1 || *punts > 100000) {
                why = "ON OFFENDER wants a number of punts from 1";
                return std::nullopt;
            }
            rule.minPunts = *punts;
        } else {
            why = "ON wants JOIN, MISSION or OFFENDER";
            return std::nullopt;
        }
    } else {
        why = "a rule begins with EVERY, AT or ON";
        return std::nullopt;
    }
    rule.command = std::string(Trimmed(rest));
    if (rule.command.empty()) {
        why = "no command";
        return std::nullopt;
    }
    // A command with a control byte could end early or carry another.
    if (HasControlBytes(rule.command)) {
        why = "the command holds a control byte";
        return std::nullopt;
    }
    return rule;
}

}  // namespace

ScheduleFile ParseSchedule(std::string_view text) {
    ScheduleFile file;
    int number = 0;
    while (!text.empty()) {
        const size_t lf = text.find('\n');
        std::string_view line = text.substr(0, lf);
        text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
        ++number;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        line = Trimmed(line);
        if (line.empty() || line.front() == '#') continue;
        std::string why;
        if (std::optional<ScheduleRule> rule = ParseRule(line, why)) {
            rule->line = number;
            file.rules.push_back(std::move(*rule));
        } else {
            file.problems.push_back({number, std::move(why)});
        }
    }
    return file;
}

std::string ScheduleProblemLine(const ScheduleProblem& problem) {
    return "schedule.cfg line " + std::to_string(problem.line) + ": " + problem.text + ": skipped";
}

std::string RuleKindText(ScheduleRule::Kind kind) {
    switch (kind) {
        case ScheduleRule::Kind::Every:
            return "EVERY";
        case ScheduleRule::Kind::At:
            return "AT";
        case ScheduleRule::Kind::OnJoin:
            return "ON JOIN";
        case ScheduleRule::Kind::OnMission:
            return "ON MISSION";
        case ScheduleRule::Kind::OnOffender:
            return "ON OFFENDER";
    }
    return {};
}

namespace {

std::string TwoDigits(int value) {
    return std::string(1, static_cast<char>('0' + value / 10)) +
           static_cast<char>('0' + value % 10);
}

}  // namespace

std::string RuleWhenText(const ScheduleRule& rule) {
    switch (rule.kind) {
        case ScheduleRule::Kind::Every:
            return std::to_string(rule.seconds) + " s";
        case ScheduleRule::Kind::At:
            return TwoDigits(rule.hour) + ":" + TwoDigits(rule.minute);
        case ScheduleRule::Kind::OnOffender:
            return std::to_string(rule.minPunts) +
                   (rule.minPunts == 1 ? " punt or ban" : " punts or bans");
        case ScheduleRule::Kind::OnJoin:
        case ScheduleRule::Kind::OnMission:
            return {};
    }
    return {};
}

std::string ScheduleRuleLine(const ScheduleRule& rule) {
    switch (rule.kind) {
        case ScheduleRule::Kind::Every:
            return "EVERY " + std::to_string(rule.seconds) + " " + rule.command;
        case ScheduleRule::Kind::At:
            return "AT " + RuleWhenText(rule) + " " + rule.command;
        case ScheduleRule::Kind::OnJoin:
            return "ON JOIN " + rule.command;
        case ScheduleRule::Kind::OnMission:
            return "ON MISSION " + rule.command;
        case ScheduleRule::Kind::OnOffender:
            return "ON OFFENDER " + std::to_string(rule.minPunts) + " " + rule.command;
    }
    return {};
}

std::string ScheduleText(const std::vector<ScheduleRule>& rules) {
    std::string text =
        "# One rule a line: EVERY <seconds> <command>, AT <HH:MM> <command>,\n"
        "# ON JOIN <command>, ON MISSION <command>, ON OFFENDER <punts> <command>.\n";
    for (const ScheduleRule& rule : rules) text += ScheduleRuleLine(rule) + "\n";
    return text;
}

}  // namespace tavrin
