#include "app/console.h"

namespace tavrin {

Console::Console(std::string programDir, SessionHost& host, UserDialogs& dialogs,
                 const Clock& clock, const WorkerInfoSource& workers, ConsoleObserver& observer,
                 std::string logDir)
    : m_programDir(std::move(programDir)),
      m_host(host),
      m_dialogs(dialogs),
      m_clock(clock),
      m_workers(workers),
      m_observer(observer),
      m_log(logDir.empty() ? m_programDir : std::move(logDir), clock, observer),
      m_server(m_log, m_dialogs),
      m_actions(m_players, *this, m_dialogs),
      m_missions(*this, m_dialogs),
      m_chatBot(m_programDir, clock, m_log, *this, m_dialogs, m_chatLog,
                [this](const std::string& name) { return m_players.FindPlayerIdByName(name); }),
      m_settings(m_programDir, *this, m_dialogs),
      m_session(std::make_unique<RatSession>(host, m_tabModels, m_log, m_dialogs, clock)),
      m_schedule(m_programDir, m_log, m_dialogs, clock, *this) {
    m_dialogs.Attach(*m_session);
    // Nothing can be sent before a login: the Settings tab starts locked.
    m_settings.SetCanSend(m_session->ControlOn(Control::CanSend));
    m_manager = std::make_unique<ManagerRole>(*m_session, m_log, clock, observer);
}

Console::~Console() = default;

void Console::OnTimer(TimerId id) {
    switch (id) {
        case TimerId::Startup:
            DeferredStartup();
            break;
        case TimerId::Clock:
            OnClockTick();
            break;
        default:
            m_session->OnTimer(id);
            break;
    }
}

void Console::OnClockTick() {
    m_session->OnTimer(TimerId::Clock);
    m_sysInfo.Update(false);
    if (m_fAutoSysUpdate) m_infoText = DumpSystemVariables();
    m_schedule.Tick(m_session->Bulk().running);
    Announce(ChangesOfEvent(ModelEvent::ClockTick));
    m_observer.ClockTicked();
}

void Console::RemoteRights(uint32_t rights) {
    OnRemoteRights(static_cast<RightsMask>(rights & kFullAccess));
}

void Console::OnRemoteRights(RightsMask rights) {
    m_rights = rights;
    Announce(ModelChange::Rights);
}

void Console::Announce(ModelChanges changes) {
    if (!changes.Empty()) m_observer.ModelsChanged(changes);
}

void Console::TimerFired(TimerId id) {
    OnTimer(id);
    m_observer.TimerHandled(id);
}

void Console::ConnectionStarted() {
    Announce(ChangesOfEvent(ModelEvent::NewConnection));
}

void Console::FieldChanged(Field field, const std::string& text) {
    m_observer.FieldChanged(field, text);
}

void Console::ControlChanged(Control control, bool on) {
    if (control == Control::LoginButtonsEnabled) {
        // The session disables Login and Change while it connects or
        // reconnects and enables them when it gives up.
        m_server.SetLoginEnabled(on);
    } else if (control == Control::CanSend) {
        m_settings.SetCanSend(on);
        m_schedule.SetLoggedIn(on);
        Announce(ChangesOfEvent(ModelEvent::CanSend));
    }
    m_observer.ControlChanged(control, on);
}

void Console::ReplyRouted(const RouteResult& result, const std::string& text) {
    // The admins' copies first: they wait on no page.
    if (m_role == ConsoleRole::Manager) m_manager->OnReplyRouted(result, text);
    if (result.kind == ReplyKind::PlayerList)
        m_schedule.PlayerListParsed(m_players.Rows());
    else if (result.kind == ReplyKind::MissionList)
        m_schedule.MissionRead(m_missions.CurrentMissionName());
    Announce(ChangesOfReply(result.kind));
    m_observer.ReplyRouted(result, text);
}

bool Console::Login() {
    if (!m_server.Login()) return false;
    m_session->OnConnectRequest();
    return true;
}

void Console::Logout() {
    m_server.Logout();
    m_session->OnLogoutRequest();
}

void Console::Close(bool ok) {
    m_log.LogEvent(std::string(kSeparatorEquals));
    m_log.LogEvent(ok ? "Program Closing (OK)" : "Program Closing (CANCEL)");
    m_log.LogEvent(std::string(kSeparatorEquals));
    m_session->SetClosing();
    if (m_role == ConsoleRole::Manager) m_manager->Close();
    m_session->OnLogoutRequest();
}

void Console::ApplySettingsFile(std::string_view applied) {
    SettingsBulkSend bulk = m_settings.ApplySettingsFile(applied);
    if (!bulk.commands.empty()) m_session->SubmitBulk(std::move(bulk.commands));
}

std::string FieldLine(Field field, std::string_view text) {
    const std::string named = std::string(kFieldNames[static_cast<size_t>(field)]) + ": ";
    if (text.substr(0, named.size()) == named) return std::string(text);
    return named + std::string(text);
}

void Console::SetHistory(HistoryRecorder* history) {
    m_tabModels.SetHistory(history);
    m_manager->SetForwardListener([this](const std::string& user, const std::string& text) {
        m_tabModels.AdminCommandSent(user, text);
    });
}

void Console::SubmitCommands(std::vector<PacedCommand> batch) {
    m_tabModels.CommandsSubmitted(batch);
    m_session->SubmitCommands(std::move(batch));
}

}  // namespace tavrin
