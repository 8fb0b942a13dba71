#pragma once

// The rules of Configs/schedule.cfg, one a line ("#" starts a comment):
//   EVERY <seconds> <command>          every so many seconds while logged in
//   AT <HH:MM> <command>               once a day at that local time
//   ON JOIN <command>                  for each player who joins ({name}, {id})
//   ON MISSION <command>               when the mission changes ({mission})
//   ON OFFENDER <min punts> <command>  a player with that many punts or bans
//                                      in the history joins ({name}, {id}, {punts})

#include <string>
#include <string_view>
#include <vector>

namespace tavrin {

inline constexpr std::string_view kScheduleFile = "Configs/schedule.cfg";

// The shortest period of an EVERY rule: a faster one would crowd the poll.
inline constexpr int kMinEverySeconds = 5;

struct ScheduleRule {
    enum class Kind { Every, At, OnJoin, OnMission, OnOffender };
    Kind kind = Kind::Every;
    int seconds = 0;   // Every
    int hour = 0;      // At
    int minute = 0;    // At
    int minPunts = 0;  // OnOffender
    std::string command;
    int line = 0;  // where it stands in the file, for messages; 0 when made here

    bool operator==(const ScheduleRule&) const = default;
};

struct ScheduleProblem {
    int line = 0;
    std::string text;
    bool operator==(const ScheduleProblem&) const = default;
};

struct ScheduleFile {
    std::vector<ScheduleRule> rules;
    std::vector<ScheduleProblem> problems;  // each line skipped, and why
};

// Reads the file's text (LF or CRLF line ends). A line that cannot be read is
// skipped and named; the others are kept.
ScheduleFile ParseSchedule(std::string_view text);

// "schedule.cfg line 3: what: skipped". The text of a problem never holds the
// line itself (it may hold any byte).
std::string ScheduleProblemLine(const ScheduleProblem& problem);

// One rule as a line of the file, and the whole file as the editor saves it.
std::string ScheduleRuleLine(const ScheduleRule& rule);
std::string ScheduleText(const std::vector<ScheduleRule>& rules);

// The editor's columns: "EVERY", "AT", "ON JOIN", ...; "300 s", "21:00",
// "3 punts or bans", or empty for the event rules.
std::string RuleKindText(ScheduleRule::Kind kind);
std::string RuleWhenText(const ScheduleRule& rule);

}  // namespace tavrin
