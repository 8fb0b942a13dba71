#pragma once

// The engine of the scheduled messages and triggers. It is told when the
// console logs in and out, of each parsed player list and mission change,
// and of the history of a player who joined; it is ticked about once a
// second with the clocks. It hands out at most one command a second in all,
// never while the console sends a batch, and drops what waits too long.

#include <cstdint>
#include <deque>
#include <set>
#include <string>
#include <vector>

#include "common/clock.h"
#include "schedule/command_template.h"
#include "schedule/schedule_rules.h"

namespace tavrin {

// The least time between two commands of the scheduler.
inline constexpr Millis kScheduleSpacing{1000};
// At most this many commands wait; one more is dropped.
inline constexpr size_t kMaxScheduleQueue = 64;
// A command that has waited this long is dropped: a welcome a minute late is
// no welcome.
inline constexpr Millis kScheduleMaxWait{60'000};
// Dropped commands are logged at most once in this time, with their count.
inline constexpr Millis kDropLogInterval{60'000};

struct SchedulePlayer {
    std::string id;
    std::string name;
};

// A player who joined and whose history the ON OFFENDER rules need: the
// console looks it up and answers with OffenderRecord, `connection` as given.
struct OffenderLookup {
    std::string id;
    std::string name;
    uint64_t connection = 0;
};

// What the console is to do besides sending: event-log lines, lookups, and
// notices for the window (a known offender joined).
struct ScheduleOutput {
    // To send, in order (Tick only); the console logs each as it goes out.
    std::vector<std::string> commands;
    std::vector<std::string> logLines;
    std::vector<OffenderLookup> lookups;
    std::vector<std::string> notices;

    bool Empty() const {
        return commands.empty() && logLines.empty() && lookups.empty() && notices.empty();
    }
};

class Scheduler {
  public:
    explicit Scheduler(std::vector<ScheduleRule> rules = {});

    // New rules (a reload): timers start again from now when logged in.
    void SetRules(std::vector<ScheduleRule> rules, Millis elapsed, const LocalTime& now);
    const std::vector<ScheduleRule>& Rules() const { return m_rules; }

    // A connection logged in: EVERY rules count from here, the players of the
    // first list are not new, and the first mission read is no change.
    void LoggedIn(Millis elapsed, const LocalTime& now);
    // Logged out: nothing is sent, and what waits is dropped.
    void LoggedOut();

    ScheduleOutput PlayerList(const std::vector<SchedulePlayer>& players, Millis elapsed);
    ScheduleOutput MissionChanged(std::string_view mission, Millis elapsed);
    // The history of a player asked for by a lookup: punts and bans together.
    ScheduleOutput OffenderRecord(const OffenderLookup& lookup, int puntsAndBans, Millis elapsed);

    // Fires the timed rules due by now and hands out the next command when
    // the spacing allows it and the console is not `busy` sending a batch.
    ScheduleOutput Tick(Millis elapsed, const LocalTime& now, bool busy);

    size_t Waiting() const { return m_queue.size(); }
    uint64_t Connection() const { return m_connection; }

  private:
    struct Pending {
        std::string command;
        Millis queued{0};
        int rule = 0;        // index in m_rules
        std::string player;  // for ON JOIN: one welcome each
    };

    void Queue(size_t rule, const TemplateValues& values, Millis elapsed, std::string player,
               ScheduleOutput& out);
    void StartTimers(Millis elapsed, const LocalTime& now);
    void Drop(size_t count, Millis elapsed, ScheduleOutput& out);

    std::vector<ScheduleRule> m_rules;
    std::vector<Millis> m_due;         // per rule: the next EVERY time
    std::vector<int64_t> m_atDoneDay;  // per rule: the day an AT rule last fired
    bool m_loggedIn = false;
    uint64_t m_connection = 0;
    bool m_haveList = false;
    std::set<std::string> m_present;
    bool m_haveMission = false;
    std::string m_mission;
    LocalTime m_lastTick;
    std::deque<Pending> m_queue;
    Millis m_lastSent{0};
    bool m_sentAny = false;
    size_t m_dropped = 0;
    Millis m_lastDropLog{0};
    bool m_droppedLogged = false;
};

}  // namespace tavrin
