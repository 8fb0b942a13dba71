#include "app/schedule_runner.h"

#include "common/config_file.h"
#include "common/text_file.h"

namespace tavrin {

ScheduleRunner::ScheduleRunner(std::string programDir, EventSink& log, UserDialogs& dialogs,
                               const Clock& clock, CommandSink& sink)
    : m_programDir(std::move(programDir)),
      m_log(log),
      m_dialogs(dialogs),
      m_clock(clock),
      m_sink(sink) {}

void ScheduleRunner::Load(bool reload) {
    std::string path = m_programDir + std::string(kScheduleFile);
    for (size_t i = m_programDir.size(); i < path.size(); ++i)
        if (path[i] == '/') path[i] = kPathSeparator;
    const TextFileRead read = ReadTextFile(path);
    if (read.status == TextFileRead::Status::Unreadable) {
        const std::string notice = UnreadableConfigNotice(read.failure);
        m_log.LogEvent(notice);
        if (!reload) m_dialogs.ShowMessage(notice);
        return;
    }
    const ScheduleFile file = ParseSchedule(read.text);
    std::string message;
    for (const ScheduleProblem& problem : file.problems) {
        const std::string line = ScheduleProblemLine(problem);
        m_log.LogEvent(line);
        message += (message.empty() ? "" : "\n") + line;
    }
    if (!message.empty() && !reload) m_dialogs.ShowMessage(message);
    m_scheduler.SetRules(file.rules, m_clock.Elapsed(), m_clock.Now());
    if (reload)
        m_log.LogEvent("schedule.cfg read again: " + std::to_string(file.rules.size()) +
                       (file.rules.size() == 1 ? " rule" : " rules"));
}

void ScheduleRunner::SetLoggedIn(bool loggedIn) {
    if (loggedIn == m_loggedIn) return;
    m_loggedIn = loggedIn;
    if (loggedIn)
        m_scheduler.LoggedIn(m_clock.Elapsed(), m_clock.Now());
    else
        m_scheduler.LoggedOut();
}

void ScheduleRunner::PlayerListParsed(const std::vector<PlayerRow>& rows) {
    std::vector<SchedulePlayer> players;
    players.reserve(rows.size());
    for (const PlayerRow& row : rows) {
        // The host's own record (id 0), shown with Show Host, is no player.
        if (row.cells[kColumnId] == "0") continue;
        players.push_back({row.cells[kColumnId], row.cells[kColumnName]});
    }
    Apply(m_scheduler.PlayerList(players, m_clock.Elapsed()));
}

void ScheduleRunner::MissionRead(const std::string& mission) {
    if (mission.empty()) return;
    Apply(m_scheduler.MissionChanged(mission, m_clock.Elapsed()));
}

void ScheduleRunner::OffenderAnswered(const OffenderLookup& lookup, int puntsAndBans) {
    Apply(m_scheduler.OffenderRecord(lookup, puntsAndBans, m_clock.Elapsed()));
}

void ScheduleRunner::Tick(bool busy) {
    Apply(m_scheduler.Tick(m_clock.Elapsed(), m_clock.Now(), busy));
}

void ScheduleRunner::Apply(const ScheduleOutput& out) {
    if (out.Empty()) return;
    for (const std::string& line : out.logLines) m_log.LogEvent(line);
    for (const std::string& notice : out.notices) {
        m_log.LogEvent(notice);
        if (m_notice) m_notice(notice);
    }
    if (m_lookUp)
        for (const OffenderLookup& lookup : out.lookups) m_lookUp(lookup);
    if (!out.commands.empty()) {
        std::vector<PacedCommand> batch;
        for (const std::string& command : out.commands)
            batch.push_back({command, kCommandPauseMs, PacedCommand::Route::Scheduled});
        m_sink.SubmitCommands(std::move(batch));
    }
}

}  // namespace tavrin
