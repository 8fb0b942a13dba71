#include "app/console.h"

#include "chatbot/chat_text.h"
#include "common/text_file.h"
#include "common/value_text.h"
#include "missions/mission_reply.h"
#include "players/admin_menu.h"
#include "settings/game_settings.h"
#include "settings/weapons_list.h"

namespace tavrin {

Console::Console(std::string programDir, SessionHost& host, UserDialogs& dialogs,
                 const Clock& clock, const WorkerInfoSource& workers, ConsoleObserver& observer)
    : m_programDir(std::move(programDir)),
      m_host(host),
      m_dialogs(dialogs),
      m_clock(clock),
      m_workers(workers),
      m_observer(observer),
      m_log(m_programDir, clock, observer),
      m_server(m_log, m_dialogs),
      m_actions(m_players, *this, m_dialogs),
      m_missions(*this, m_dialogs),
      m_chatBot(m_programDir, clock, m_log, *this, m_dialogs, m_chatLog,
                [this](const std::string& name) { return m_players.FindPlayerIdByName(name); }),
      m_settings(m_programDir, *this, m_dialogs),
      m_session(std::make_unique<RatSession>(host, static_cast<SessionModels&>(*this), m_log,
                                             m_dialogs, clock)) {
    m_dialogs.Attach(*m_session);
}

Console::~Console() = default;

void Console::Initialise() {
    m_session->SetField(Field::Title, m_session->State().m_strVersionTitle);
    m_fRatMode = true;
    m_host.StartTimer(TimerId::Startup, TimerPeriod(TimerId::Startup));
}

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

void Console::DeferredStartup() {
    m_host.StopTimer(TimerId::Startup);
    if (m_started) return;
    InitConfigDirectory();
    m_server.Load(m_programDir);
    m_chatBot.LoadConfiguration();
    m_adminMenu = LoadAdminMenu(m_programDir, m_log, m_dialogs);
    // The client role: no Admin Port; the Admins field names the console.
    m_fRatMode = true;
    m_session->SetField(Field::Admins, "TavrinRat");
    m_sysInfo.Update(true);
    m_host.StartTimer(TimerId::Clock, TimerPeriod(TimerId::Clock));
    m_started = true;
    m_observer.Started();
}

void Console::InitConfigDirectory() {
    std::string suffix = m_fRatMode ? " - As TavrinRAT" : " - As TavrinMAN";
    suffix += kDebugMode ? " debug" : " release";
    if (kBetaCode) suffix += " beta";
    const std::string configDir = m_programDir + "Configs";
    const bool existed = DirectoryExists(configDir);
    const bool made = !existed && MakeDirectory(configDir);
    m_log.LogEvent(std::string(kSeparatorEquals));
    m_log.LogEvent("Program Started" + suffix);
    m_log.LogEvent(m_session->State().m_strVersionTitle);
    m_log.LogEvent(std::string(kSeparatorEquals));
    if (made)
        m_log.LogEvent("New Config dir: " + configDir);
    else
        m_log.LogEvent("Config dir:" + configDir);
}

void Console::OnClockTick() {
    m_session->OnTimer(TimerId::Clock);
    m_sysInfo.Update(false);
    if (m_fAutoSysUpdate) m_infoText = DumpSystemVariables();
    m_observer.ClockTicked();
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
    m_session->OnLogoutRequest();
}

void Console::ApplySettingsFile(std::string_view applied) {
    SettingsBulkSend bulk = m_settings.ApplySettingsFile(applied);
    if (!bulk.commands.empty()) m_session->SubmitBulk(std::move(bulk.commands));
}

std::string Console::SystemVariables() const {
    const SessionState& s = m_session->State();
    auto flag = [](bool b) { return std::string(b ? "true" : "false"); };
    std::string t;
    auto line = [&t](const char* label, const std::string& value) {
        t += label;
        t += value;
        t += "\n";
    };
    line("DebugMode................ = ", flag(kDebugMode));
    line("BetaCode................. = ", flag(kBetaCode));
    line("m_fMainWndIsClosing...... = ", flag(s.m_fMainWndIsClosing));
    line("m_fEncryptCodeReceived... = ", flag(s.m_fEncryptCodeReceived));
    line("m_fRATConnected.......... = ", flag(s.m_fRATConnected));
    line("m_fGameMode.............. = ", flag(s.m_fGameMode));
    line("m_fAddingMissionList..... = ", flag(m_fAddingMissionList));
    line("m_fChatScanning.......... = ", flag(s.m_fChatScanning));
    line("m_fRatMode............... = ", flag(m_fRatMode));
    line("m_fAutoRecon............. = ", flag(s.m_fAutoRecon));
    line("m_ConnAttempts........... = ", IntToText(s.m_ConnAttempts));
    line("m_fRequestingStatus...... = ", flag(s.m_fRequestingStatus));
    t += "------------------------------------------\n";
    t += "THREAD\n";
    const WorkerInfo w = m_workers.CurrentWorkerInfo();
    line("nRATThreadCount.......... = ", IntToText(w.threadCount));
    line("m_pRATThread............. = ", std::to_string(w.reference));
    if (w.present)
        line("m_pRATThread->m_nThreadID = ",
             "0x" + IntToHex4(static_cast<int32_t>(w.threadId & 0xFFFFFFFFu)));
    else
        line("m_pRATThread->m_nThreadID = ", "null");
    t += "------------------------------------------\n";
    t += "RAT SOCKET\n";
    const RatSocketSnapshot& r = w.socket;
    const std::pair<const char*, std::string> socket[] = {
        {"m_RAT_socket.m_fConnected..... = ", flag(r.connected)},
        {"m_RAT_socket.m_fGameMode...... = ", flag(r.gameMode)},
        {"m_RAT_socket.m_bReadDataLength = ", flag(r.readDataLength)},
        {"m_RAT_socket.m_fIgnore........ = ", flag(r.ignore)},
        {"m_RAT_socket.m_nBytesSent..... = ", std::to_string(r.bytesSent)},
        {"m_RAT_socket.m_nSendDataLen... = ", std::to_string(r.sendDataLen)},
        {"m_RAT_socket.m_nBytesRecv..... = ", std::to_string(r.bytesRecv)},
        {"m_RAT_socket.m_nRecvDataLen... = ", std::to_string(r.recvDataLen)},
        {"m_RAT_socket.m_lastErrorCode.. = ", IntToText(r.lastErrorCode)},
    };
    for (const auto& [label, value] : socket) line(label, w.present ? value : "-");
    return t;
}

std::string Console::DumpSystemVariables() const {
    return m_fAutoSysUpdate ? SystemVariables() : std::string();
}

// ---------------------------------------------------------------------------
// The session's view of the models

LoginDetails Console::CurrentLoginDetails() {
    const ServerRecord& r = m_server.LoginDetails();
    return {r.name, r.address, r.port, r.username, r.password};
}

void Console::OnConnectStarting() {
    m_missions.ClearForNewConnection();
    m_chatBot.Reset();
}

int Console::ClassifyMissionReply(const std::string& text) {
    return static_cast<int>(tavrin::ClassifyMissionReply(text));
}

void Console::ParseMissionReply(int list, const std::string& text, std::string& name,
                                std::string& file) {
    m_missions.ParseMissionReply(static_cast<MissionList>(list), text);
    name = m_missions.CurrentMissionName();
    file = m_missions.CurrentMissionFile();
}

bool Console::IsPlayerListReply(const std::string& text) {
    return tavrin::IsPlayerListReply(text);
}

TeamCounts Console::ParsePlayerList(const std::string& text) {
    const PlayerCounts c = m_players.ParsePlayerList(text);
    return {c.total, c.team1, c.team2};
}

bool Console::IsActionResultReply(const std::string& text) {
    return tavrin::IsActionResultReply(text);
}

std::string Console::ParseGameSettings(const std::string& text) {
    m_settings.ParseGameSettings(text);
    return m_settings.ServerName();
}

bool Console::IsWeaponChangeReply(const std::string& text) {
    return IsWeaponsResultReply(text);
}

bool Console::IsGameSettingsReply(const std::string& text) {
    return tavrin::IsGameSettingsReply(text);
}
bool Console::IsSettingChangeReply(const std::string& text) {
    return tavrin::IsSettingChangeReply(text);
}
bool Console::IsWeaponsListReply(const std::string& text) {
    return IsWeaponListReply(text);
}
bool Console::IsMissionAddedReply(const std::string& text) {
    return tavrin::IsMissionAddedReply(text);
}
bool Console::IsMissionRemovedReply(const std::string& text) {
    return tavrin::IsMissionRemovedReply(text);
}
bool Console::IsNextMissionSetReply(const std::string& text) {
    return tavrin::IsNextMissionSetReply(text);
}
bool Console::IsCyclingReply(const std::string& text) {
    return tavrin::IsCyclingReply(text);
}
bool Console::IsChatSentReply(const std::string& text) {
    return tavrin::IsChatSentReply(text);
}

void Console::ParseWeaponsList(const std::string& text) {
    m_settings.ParseWeaponList(text);
}

void Console::ProcessChatReply(const std::string& text) {
    m_chatBot.ProcessChatReply(text);
}

void Console::OnCommandSent(const std::string& text) {
    m_chatBot.OnCommandSent(text);
}

bool Console::ChatBotRunning() {
    return m_chatBot.IsOn();
}

void Console::RunSanctionsPass(CommandSink&) {
    // Shown once the pass has handed over its commands, so the first command
    // sent does not overwrite at once what the pass is doing.
    for (const auto& text : m_chatBot.OnClockTick(m_session->State().m_fRATConnected))
        m_session->SetField(Field::RatCommand, text);
}

void Console::SubmitCommands(std::vector<PacedCommand> batch) {
    m_session->SubmitCommands(std::move(batch));
}

}  // namespace tavrin
