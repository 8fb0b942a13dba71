#include "schedule/scheduler.h"

#include <algorithm>

#include "common/log_text.h"

namespace tavrin {
namespace {

// Orders calendar times; days need not be consecutive numbers, only ordered.
int64_t DayKey(const LocalTime& t) {
    return (static_cast<int64_t>(t.year) * 12 + (t.month - 1)) * 31 + (t.day - 1);
}

int64_t SecondKey(const LocalTime& t) {
    return DayKey(t) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

std::string RuleName(const ScheduleRule& rule) {
    return rule.line > 0 ? "the rule on line " + std::to_string(rule.line)
                         : "the " + RuleKindText(rule.kind) + " rule";
}

}  // namespace

Scheduler::Scheduler(std::vector<ScheduleRule> rules) : m_rules(std::move(rules)) {
    m_due.assign(m_rules.size(), Millis{0});
    m_atDoneDay.assign(m_rules.size(), -1);
}

void Scheduler::SetRules(std::vector<ScheduleRule> rules, Millis elapsed, const LocalTime& now) {
    m_rules = std::move(rules);
    m_due.assign(m_rules.size(), Millis{0});
    m_atDoneDay.assign(m_rules.size(), -1);
    // What waits was made by the old rules; their indices mean nothing now.
    m_queue.clear();
    if (m_loggedIn) StartTimers(elapsed, now);
}

void Scheduler::StartTimers(Millis elapsed, const LocalTime& now) {
    for (size_t i = 0; i < m_rules.size(); ++i)
        m_due[i] = elapsed + Millis{int64_t{m_rules[i].seconds} * 1000};
    m_lastTick = now;
}

void Scheduler::LoggedIn(Millis elapsed, const LocalTime& now) {
    m_loggedIn = true;
    ++m_connection;
    m_haveList = false;
    m_present.clear();
    m_haveMission = false;
    m_mission.clear();
    m_queue.clear();
    StartTimers(elapsed, now);
}

void Scheduler::LoggedOut() {
    m_loggedIn = false;
    m_queue.clear();
}

void Scheduler::Drop(size_t count, Millis elapsed, ScheduleOutput& out) {
    m_dropped += count;
    if (m_dropped == 0) return;
    if (m_droppedLogged && elapsed - m_lastDropLog < kDropLogInterval) return;
    out.logLines.push_back("Scheduled: " + std::to_string(m_dropped) +
                           (m_dropped == 1 ? " command" : " commands") +
                           " dropped: the scheduler sends at most one a second");
    m_dropped = 0;
    m_droppedLogged = true;
    m_lastDropLog = elapsed;
}

void Scheduler::Queue(size_t rule, const TemplateValues& values, Millis elapsed, std::string player,
                      ScheduleOutput& out) {
    const ExpandedCommand expanded = ExpandCommand(m_rules[rule].command, values);
    if (!expanded.ok) {
        out.logLines.push_back("Scheduled: " + RuleName(m_rules[rule]) +
                               " not sent: " + expanded.refusal);
        return;
    }
    // One welcome a player, however often a flapping list shows the join.
    if (!player.empty() && std::any_of(m_queue.begin(), m_queue.end(), [&](const Pending& w) {
            return w.rule == static_cast<int>(rule) && w.player == player;
        }))
        return;
    if (m_queue.size() >= kMaxScheduleQueue) {
        Drop(1, elapsed, out);
        return;
    }
    m_queue.push_back({expanded.command, elapsed, static_cast<int>(rule), std::move(player)});
}

ScheduleOutput Scheduler::PlayerList(const std::vector<SchedulePlayer>& players, Millis elapsed) {
    ScheduleOutput out;
    if (!m_loggedIn) return out;
    std::set<std::string> listed;
    const bool first = !m_haveList;
    const bool wantsHistory = std::any_of(m_rules.begin(), m_rules.end(), [](const auto& r) {
        return r.kind == ScheduleRule::Kind::OnOffender;
    });
    for (const SchedulePlayer& player : players) {
        if (!listed.insert(player.name).second) continue;  // listed twice: once
        if (first || m_present.count(player.name) != 0) continue;
        for (size_t i = 0; i < m_rules.size(); ++i)
            if (m_rules[i].kind == ScheduleRule::Kind::OnJoin)
                Queue(i, {player.name, player.id, m_mission, {}}, elapsed, player.name, out);
        if (wantsHistory) out.lookups.push_back({player.id, player.name, m_connection});
    }
    m_present = std::move(listed);
    m_haveList = true;
    return out;
}

ScheduleOutput Scheduler::MissionChanged(std::string_view mission, Millis elapsed) {
    ScheduleOutput out;
    if (!m_loggedIn) return out;
    const bool changed = m_haveMission && mission != m_mission;
    m_mission = std::string(mission);
    m_haveMission = true;
    if (!changed) return out;
    for (size_t i = 0; i < m_rules.size(); ++i)
        if (m_rules[i].kind == ScheduleRule::Kind::OnMission)
            Queue(i, {{}, {}, m_mission, {}}, elapsed, {}, out);
    return out;
}

ScheduleOutput Scheduler::OffenderRecord(const OffenderLookup& lookup, int puntsAndBans,
                                         Millis elapsed) {
    ScheduleOutput out;
    // An answer for an earlier connection, or for a player gone again, is late.
    if (!m_loggedIn || lookup.connection != m_connection || m_present.count(lookup.name) == 0)
        return out;
    bool matched = false;
    for (size_t i = 0; i < m_rules.size(); ++i) {
        const ScheduleRule& rule = m_rules[i];
        if (rule.kind != ScheduleRule::Kind::OnOffender || puntsAndBans < rule.minPunts) continue;
        matched = true;
        Queue(i, {lookup.name, lookup.id, m_mission, std::to_string(puntsAndBans)}, elapsed,
              "offender:" + lookup.name, out);
    }
    if (matched)
        out.notices.push_back("Known offender joined: " + EscapeControlBytes(lookup.name) + " (" +
                              std::to_string(puntsAndBans) +
                              (puntsAndBans == 1 ? " punt or ban" : " punts or bans") +
                              " in the history)");
    return out;
}

ScheduleOutput Scheduler::Tick(Millis elapsed, const LocalTime& now, bool busy) {
    ScheduleOutput out;
    if (!m_loggedIn) return out;
    const int64_t before = SecondKey(m_lastTick);
    const int64_t after = SecondKey(now);
    for (size_t i = 0; i < m_rules.size(); ++i) {
        const ScheduleRule& rule = m_rules[i];
        if (rule.kind == ScheduleRule::Kind::Every && elapsed >= m_due[i]) {
            Queue(i, {{}, {}, m_mission, {}}, elapsed, {}, out);
            m_due[i] += Millis{int64_t{rule.seconds} * 1000};
            // After a long stall (a suspended machine) the period starts
            // again rather than catching up in a burst.
            if (m_due[i] <= elapsed) m_due[i] = elapsed + Millis{int64_t{rule.seconds} * 1000};
        } else if (rule.kind == ScheduleRule::Kind::At) {
            // Fires when the clock passes the time, once a day: a clock set
            // back an hour passes it again the same day and does not fire
            // twice; one set forward over it fires.
            const int64_t at = DayKey(now) * 86400 + rule.hour * 3600 + rule.minute * 60;
            if (before < at && at <= after && m_atDoneDay[i] != DayKey(now)) {
                m_atDoneDay[i] = DayKey(now);
                Queue(i, {{}, {}, m_mission, {}}, elapsed, {}, out);
            }
        }
    }
    m_lastTick = now;

    size_t stale = 0;
    while (!m_queue.empty() && elapsed - m_queue.front().queued > kScheduleMaxWait) {
        m_queue.pop_front();
        ++stale;
    }
    Drop(stale, elapsed, out);
    if (!busy && !m_queue.empty() && (!m_sentAny || elapsed - m_lastSent >= kScheduleSpacing)) {
        std::string command = std::move(m_queue.front().command);
        m_queue.pop_front();
        out.commands.push_back(std::move(command));
        m_lastSent = elapsed;
        m_sentAny = true;
    }
    return out;
}

}  // namespace tavrin
