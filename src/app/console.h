#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "app/console_role.h"
#include "app/manager_role.h"
#include "app/model_change.h"
#include "app/schedule_runner.h"
#include "app/tab_models.h"
#include "chatbot/chatbot.h"
#include "common/command_sink.h"
#include "common/event_log.h"
#include "common/server_list.h"
#include "common/user_dialogs.h"
#include "link/question_gate.h"
#include "link/rat_socket.h"
#include "link/session.h"
#include "link/session_host_listener.h"
#include "link/worker_info.h"
#include "manager/admin_rights.h"
#include "missions/missions.h"
#include "monitor/system_info.h"
#include "players/admin_actions.h"
#include "players/player_list.h"
#include "settings/settings_tab.h"

namespace tavrin {

// What the console tells the window or the headless runner around it, beside
// every log line. The console hears its session first and acts; then it
// passes each notice on here. A front-end overrides what it shows; the rest
// it may leave to do nothing.
class ConsoleObserver : public LogObserver, public ManagerRoleObserver {
  public:
    // The deferred start-up has run.
    virtual void Started() = 0;
    // A clock tick has been handled (the state dump may have changed).
    virtual void ClockTicked() = 0;
    // A field or control of the session changed.
    virtual void FieldChanged(Field, const std::string&) {}
    virtual void ControlChanged(Control, bool) {}
    // A reply after login was routed; the admins' copies have gone out and
    // the models it changed have been announced.
    virtual void ReplyRouted(const RouteResult&, const std::string&) {}
    // These models changed: each page that shows one of them redraws.
    virtual void ModelsChanged(ModelChanges) {}
    // A timer tick has been handled by the console.
    virtual void TimerHandled(TimerId) {}
};

// The main window without its widgets: the session with every tab's model,
// the logs, start-up, the clock, the state dump and shutdown. It listens to
// its session's host (ticks, fields, controls, routed replies), acts on each
// and tells its observer, with the models that changed. The Qt window and
// the headless runner only render it and hand gestures to it.
class Console final : public SessionHostListener, private CommandSink {
  public:
    // `programDir` ends with the path separator. The day folders of the logs
    // are in `logDir` (ending with the separator too); empty: the program
    // folder.
    Console(std::string programDir, SessionHost& host, UserDialogs& dialogs, const Clock& clock,
            const WorkerInfoSource& workers, ConsoleObserver& observer, std::string logDir = {});
    ~Console() override;

    // Window initialisation: title, the role (fixed from then on), the
    // start-up timer.
    void Initialise(ConsoleRole role = ConsoleRole::Client);
    // Every timer tick of the main window.
    void OnTimer(TimerId id);

    // SessionHostListener: what the session's host reports. The console acts
    // first (the timers, the manager's copies of a reply, the models a
    // control holds), then announces the models that changed, then passes the
    // notice on to its observer.
    void TimerFired(TimerId id) override;
    void ConnectionStarted() override;
    void FieldChanged(Field field, const std::string& text) override;
    void ControlChanged(Control control, bool on) override;
    void ReplyRouted(const RouteResult& result, const std::string& text) override;
    // A remote login's rights reach OnRemoteRights.
    void RemoteRights(uint32_t rights) override;

    // Whether the ChatBot is switched on once start-up has run, before the
    // observer hears of it (so before a front-end's login).
    void SetChatBotOnAtStart(bool on) { m_chatBotOnAtStart = on; }
    // The record of servers.cfg the Server tab shows once start-up has run,
    // by its name; empty (or a name no record has by then): the favourite.
    void SetServerRecord(std::string name) { m_serverRecord = std::move(name); }

    // The console as a remote admin of a manager, named by its record in
    // managers.cfg: set before Initialise, fixed from then on.
    void SetRemoteManager(std::string managerName) { m_managerName = std::move(managerName); }
    bool Remote() const { return !m_managerName.empty(); }
    // The record the Server tab shows, given whole (--remote) rather than
    // read from a file.
    void SetConnectionRecord(ServerRecord record) { m_givenRecord = std::move(record); }
    const std::string& ManagerName() const { return m_managerName; }
    // What the account may send: every right for a direct connection, and
    // for a remote console the mask its last login received (every right
    // until the first login, when nothing can be sent anyway).
    RightsMask Rights() const { return m_rights; }
    // A remote login's rights: kept and announced (ModelChange::Rights).
    void OnRemoteRights(RightsMask rights);

    // The Server tab's Login: false (with "Check Server details") when the
    // details are incomplete.
    bool Login();
    void Logout();
    // SIGHUP: the account, ChatBot, admin menu and schedule files read again without
    // touching the game link or any admin who keeps an account; a file that
    // does not read keeps what was in use (see ManagerRole::ReloadAccounts,
    // CChatBot::ReloadConfiguration).
    void ReloadConfiguration();
    // OK or Cancel: the closing lines, then logout.
    void Close(bool ok);

    // The canned replies of a DebugMode build, three Yes/No questions: the
    // player list and the mission lists from the program folder's DebugData,
    // and a status request left to time out. Start-up asks them only in a
    // DebugMode build; a missing file is skipped without a word.
    void LoadDebugData();

    // The state dump of the information window; empty unless AutoSysUpdate is on.
    std::string DumpSystemVariables() const;
    // The "System Variables" command: one dump whatever the flag says.
    std::string SystemVariables() const;
    bool m_fAutoSysUpdate = false;
    const std::string& InfoText() const { return m_infoText; }

    bool Started() const { return m_started; }
    // The role, set at start.
    bool RatMode() const { return m_role == ConsoleRole::Client; }
    const std::string& ProgramDir() const { return m_programDir; }

    EventLog& Log() { return m_log; }
    // Where every page asks its questions: connection events wait while one is open.
    UserDialogs& Dialogs() { return m_dialogs; }
    RatSession& Session() { return *m_session; }
    CServer& Server() { return m_server; }
    PlayerList& Players() { return m_players; }
    AdminActions& Actions() { return m_actions; }
    const std::string& AdminMenuText() const { return m_adminMenu; }
    CMissions& Missions() { return m_missions; }
    CChatBot& ChatBot() { return m_chatBot; }
    CSettings& Settings() { return m_settings; }
    // The scheduled messages and triggers of Configs/schedule.cfg.
    ScheduleRunner& Schedule() { return m_schedule; }
    const CSysInfo& SystemInfo() const { return m_sysInfo; }
    const PlayerCountHistory& CountHistory() const { return m_tabModels.CountHistory(); }
    // The Server tab's hour as the history kept it, from before this start.
    void SeedCountHistory(const std::vector<PlayerCountSample>& earlier) {
        m_tabModels.SeedCountHistory(earlier);
    }
    int ConnectionCount() const { return m_tabModels.ConnectionCount(); }
    std::string HistoryServerName() const { return m_tabModels.ServerName(); }
    // The manager role's accounts, admins and Admin Port; unused in the
    // client role.
    ManagerRole& AdminManager() { return *m_manager; }
    // The history this console records its players, sanctions and counts
    // to, under its server record's name; null: none.
    void SetHistory(HistoryRecorder* history);
    // The settings file's Apply: the 28 commands go out in bulk.
    void ApplySettingsFile(std::string_view applied);

  private:
    void DeferredStartup();
    void InitConfigDirectory();
    void OnClockTick();
    void Announce(ModelChanges changes);

    // CommandSink: the tabs' commands go to the session's pacer.
    void SubmitCommands(std::vector<PacedCommand> batch) override;

    std::string m_programDir;
    SessionHost& m_host;
    // Every question of the console: connection events wait while one is open.
    QuestionGate m_dialogs;
    const Clock& m_clock;
    const WorkerInfoSource& m_workers;
    ConsoleObserver& m_observer;

    EventLog m_log;
    EventLogChatLog m_chatLog{m_log};
    CServer m_server;
    PlayerList m_players{PlayerList::SortKeeping::Shown};
    AdminActions m_actions;
    std::string m_adminMenu;
    CMissions m_missions;
    CChatBot m_chatBot;
    CSettings m_settings;
    CSysInfo m_sysInfo;
    TabModels m_tabModels{m_server, m_players, m_missions, m_chatBot, m_settings, m_clock};
    std::unique_ptr<RatSession> m_session;
    ScheduleRunner m_schedule;
    std::unique_ptr<ManagerRole> m_manager;
    std::string m_infoText;
    ConsoleRole m_role = ConsoleRole::None;
    bool m_started = false;
    bool m_chatBotOnAtStart = false;
    std::string m_serverRecord;
    std::string m_managerName;
    std::optional<ServerRecord> m_givenRecord;
    RightsMask m_rights = kFullAccess;
};

// Why a remote console cannot switch its ChatBot on, as a view shows it.
inline constexpr std::string_view kChatBotRemoteRefusal =
    "The ChatBot cannot be started on a remote console: the manager's own ChatBot moderates "
    "the chat";

// The line that shows a field without a window: "Connection: Connected". A
// text that names its field already ("Admins: 1 / 3") is shown as it is, so
// the name never stands twice.
std::string FieldLine(Field field, std::string_view text);

}  // namespace tavrin
