#pragma once

// The console's scheduled messages and triggers: Configs/schedule.cfg read at
// start-up and on SIGHUP, the engine told of logins, player lists and
// mission changes, ticked with the clock, and its commands handed to the
// console's pacer like any tab's, each logged "Scheduled: ...".

#include <functional>
#include <string>
#include <vector>

#include "common/clock.h"
#include "common/command_sink.h"
#include "common/event_log.h"
#include "common/user_dialogs.h"
#include "players/player_list.h"
#include "schedule/scheduler.h"

namespace tavrin {

class ScheduleRunner {
  public:
    ScheduleRunner(std::string programDir, EventSink& log, UserDialogs& dialogs, const Clock& clock,
                   CommandSink& sink);

    // Reads the file (again). A missing file is no rules; one that is there
    // but cannot be read keeps the rules in use (none at start-up). Each line
    // skipped is logged with its number and, at start-up (`reload` false),
    // shown in one message too; a reload only logs.
    void Load(bool reload = false);
    const std::vector<ScheduleRule>& Rules() const { return m_scheduler.Rules(); }

    // Where a joining player's history is asked for; unset (no history),
    // the ON OFFENDER rules never fire. The answer comes to OffenderAnswered,
    // now or later.
    void SetOffenderLookup(std::function<void(const OffenderLookup&)> lookUp) {
        m_lookUp = std::move(lookUp);
    }
    void OffenderAnswered(const OffenderLookup& lookup, int puntsAndBans);

    // Whether commands can be sent: a login starts the rules' timers, a
    // logout stops them.
    void SetLoggedIn(bool loggedIn);
    void PlayerListParsed(const std::vector<PlayerRow>& rows);
    void MissionRead(const std::string& mission);
    // Every clock tick; `busy` while the settings' bulk send runs.
    void Tick(bool busy);

    // Told of each "Known offender joined" notice, for the window.
    void SetNoticeListener(std::function<void(const std::string&)> listener) {
        m_notice = std::move(listener);
    }

  private:
    void Apply(const ScheduleOutput& out);

    std::string m_programDir;
    EventSink& m_log;
    UserDialogs& m_dialogs;
    const Clock& m_clock;
    CommandSink& m_sink;
    Scheduler m_scheduler;
    bool m_loggedIn = false;
    std::function<void(const OffenderLookup&)> m_lookUp;
    std::function<void(const std::string&)> m_notice;
};

}  // namespace tavrin
