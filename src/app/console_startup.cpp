// Start-up: the window's initialisation and the deferred start-up that
// makes the Configs folder and lets every tab load its files.
#include "app/console.h"
#include "common/build_flags.h"
#include "common/server_list.h"
#include "common/text_file.h"
#include "manager/admin_accounts.h"
#include "players/admin_menu.h"
#include "remote/admin_port_dialect.h"

namespace tavrin {

void Console::ReloadConfiguration() {
    if (!m_started) return;
    if (m_role == ConsoleRole::Manager) m_manager->ReloadAccounts(m_programDir);
    m_chatBot.ReloadConfiguration();
    m_schedule.Load(/*reload=*/true);
    const TextFileRead menu = ReadTextFile(AdminMenuPath(m_programDir));
    if (menu.status == TextFileRead::Status::Read) {
        m_adminMenu = menu.text;
        m_log.LogEvent("adminmenu.cfg read again");
    } else {
        m_log.LogEvent("adminmenu.cfg not read again (" +
                       (menu.status == TextFileRead::Status::Missing
                            ? std::string("the file is missing")
                            : menu.failure) +
                       "): the admin menu stays as it was");
    }
    Announce(ChangesOfEvent(ModelEvent::ConfigurationRead));
}

void Console::Initialise(ConsoleRole role) {
    m_session->SetField(Field::Title, m_session->State().m_strVersionTitle);
    m_role = role == ConsoleRole::Manager ? ConsoleRole::Manager : ConsoleRole::Client;
    // The manager's Admins field counts its admins; the player counts then
    // go to the Server tab only.
    m_session->SetPlayerCountsInAdminsField(m_role == ConsoleRole::Client);
    if (Remote()) {
        // A remote admin speaks to the manager's Admin Port; the manager's
        // own ChatBot moderates, and a second one would sanction twice.
        m_session->SetDialect(std::make_unique<admin::AdminPortDialect>());
        m_chatBot.ForbidSwitchingOn(std::string(kChatBotRemoteRefusal));
    }
    m_host.StartTimer(TimerId::Startup, TimerPeriod(TimerId::Startup));
}

void Console::DeferredStartup() {
    m_host.StopTimer(TimerId::Startup);
    if (m_started) return;
    InitConfigDirectory();
    for (const std::string& path :
         {ServerListPath(m_programDir), ServerListPath(m_programDir, ConnectionKind::Manager),
          AdminAccountsPath(m_programDir)})
        if (const std::string line = KeepToOwner(path); !line.empty()) m_log.LogEvent(line);
    m_server.Load(m_programDir, Remote() ? m_managerName : m_serverRecord,
                  Remote() ? ConnectionKind::Manager : ConnectionKind::GameServer);
    if (m_givenRecord) m_server.UseRecord(*m_givenRecord);
    m_chatBot.LoadConfiguration();
    m_adminMenu = LoadAdminMenu(m_programDir, m_log, m_dialogs);
    m_schedule.Load();
    if (m_role == ConsoleRole::Manager) {
        // The accounts before the port, so that no admin finds an empty table.
        m_manager->Start(m_programDir, m_dialogs);
        m_manager->SetListening(true);
    } else {
        // The client role: no Admin Port; the Admins field names the console.
        m_session->SetAdminsIdleText("TavrinRat");
    }
    if (kDebugMode) LoadDebugData();
    m_sysInfo.Update(true);
    m_host.StartTimer(TimerId::Clock, TimerPeriod(TimerId::Clock));
    m_started = true;
    if (m_chatBotOnAtStart && !m_chatBot.SetOn(true))
        m_log.LogEvent("ChatBot not started (--chatbot refused): " +
                       m_chatBot.SwitchingOnForbidden());
    Announce(ChangesOfEvent(m_role == ConsoleRole::Manager ? ModelEvent::ManagerStartUp
                                                           : ModelEvent::StartUp));
    m_observer.Started();
}

void Console::LoadDebugData() {
    const std::string dir = m_programDir + "DebugData" + kPathSeparator;
    std::string text;
    if (m_dialogs.AskYesNo("Load Player List?", DefaultAnswer::Yes) &&
        ReadTextFile(dir + "playerlist.cfg", text))
        m_session->LoadCannedPlayerList(text);
    if (m_dialogs.AskYesNo("Load Mission List?", DefaultAnswer::Yes)) {
        for (const char* file : {"allmissions.cfg", "cyclelist.cfg"}) {
            std::string list;
            if (ReadTextFile(dir + file, list)) m_session->LoadCannedMissionReply(list);
        }
    }
    if (m_dialogs.AskYesNo("Simulate request timeout", DefaultAnswer::Yes))
        m_session->SimulateRequestTimeout();
}

void Console::InitConfigDirectory() {
    std::string suffix(RatMode() ? kClientRoleSuffix : kManagerRoleSuffix);
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

}  // namespace tavrin
