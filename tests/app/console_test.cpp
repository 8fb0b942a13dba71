#include "app/console.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>

#include "support/fakes.h"
#include "support/quiet_console_observer.h"
#include "support/temp_dir.h"
#include "support/virtual_host.h"

namespace tavrin {
namespace {

using testing::ScriptedDialogs;
using testing::TempDir;
using testing::VirtualHost;

// The console in virtual time, with its program folder in a temporary folder.
struct ConsoleFixture : ::testing::Test, WorkerInfoSource, testing::QuietConsoleObserver {
    TempDir dir;
    ManualClock clock{{2026, 3, 7, 9, 5, 3}};
    VirtualHost host;
    ScriptedDialogs dialogs;
    WorkerInfo worker;
    std::unique_ptr<Console> console;
    std::vector<std::string> lines;
    int started = 0;
    int clockTicks = 0;
    // What each announcement of changed models named.
    std::vector<std::string> announced;

    WorkerInfo CurrentWorkerInfo() const override { return worker; }
    void EventLineWritten(const std::string& l) override {
        lines.push_back(l.substr(0, l.size() - 1));
    }
    void Started() override { ++started; }
    void ClockTicked() override { ++clockTicks; }
    void ModelsChanged(ModelChanges changes) override {
        announced.push_back(ModelChangesText(changes));
    }

    void Start(ConsoleRole role = ConsoleRole::Client) {
        console = std::make_unique<Console>(dir.Path(), host, dialogs, clock, *this, *this);
        host.session = &console->Session();
        host.clock = &clock;
        console->Initialise(role);
        // Timers go through the console, as the real host sends them.
        host.Advance(0);
        console->OnTimer(TimerId::Startup);
    }
    void WriteServers(const std::string& text) {
        std::filesystem::create_directories(dir.File("Configs"));
        std::ofstream(dir.File("Configs/servers.cfg"), std::ios::binary) << text;
    }

    // Started with a server to log in to; from then on the console hears its
    // session as the real host reports it.
    void StartListening() {
        WriteServers("*FAV*Home,10.0.0.5,40000,admin,secret\r\n");
        Start();
        host.listener = console.get();
    }
    // The login accepted by a server in game mode, its first commands
    // answered, Auto Refresh off.
    void LogIn() {
        RatSession& s = console->Session();
        ASSERT_TRUE(console->Login());
        testing::AcceptLogin(s);
        s.OnAutoRefreshToggled(false);
        testing::AnswerFirstCommands(host, s);
    }
    // `command` sent and answered with `reply`.
    void Answer(const std::string& command, const std::string& reply) {
        console->Session().SendRatCommand(command);
        console->Session().OnRatFrameReceived(reply);
    }
};

std::string Joined(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts) text += (text.empty() ? "" : "; ") + part;
    return text;
}

// Each event announces the models it changed, once, and only those: the
// console decides it, so that each page redraws on its own model.
TEST_F(ConsoleFixture, AnnouncesTheModelsEachEventChanged) {
    Start(ConsoleRole::Manager);
    EXPECT_EQ(Joined(announced), "players, missions, chat, admins") << "start-up, manager role";
    announced.clear();
    StartListening();
    EXPECT_EQ(Joined(announced), "players, missions, chat") << "start-up";

    RatSession& session = console->Session();
    const struct {
        const char* event;
        std::function<void()> act;
        const char* models;
    } events[] = {
        {"Login", [&] { console->Login(); }, "missions, chat"},
        {"the socket connected", [&] { session.OnRatConnected(); }, ""},
        {"the login accepted",
         [&] {
             session.OnRatFrameReceived("ABCDEFGHIJKLMNOPQRSTUVWXYZ012345");
             session.OnRatFrameReceived("Welcome admin");
         },
         "settings"},
        {"the clock", [&] { console->OnTimer(TimerId::Clock); }, "caught"},
        {"Logout", [&] { console->Logout(); }, "settings"},
        {"Login again", [&] { console->Login(); }, "missions, chat"},
    };
    for (const auto& e : events) {
        announced.clear();
        e.act();
        EXPECT_EQ(Joined(announced), e.models) << e.event;
    }
}

// Each reply announces the model that parsed it, and nothing else.
TEST_F(ConsoleFixture, AnnouncesTheModelEachReplyChanged) {
    StartListening();
    LogIn();
    const struct {
        const char* event;
        std::function<void()> act;
        const char* models;
    } cases[] = {
        {"a player list", [&] { Answer("player list", "Deaths PING"); }, "players"},
        {"a mission list", [&] { Answer("mission list", "<CURRENT MISSION>"); }, "missions"},
        {"a mission added", [&] { Answer("mission add 3", "Entry Added"); }, "missions"},
        {"chat", [&] { Answer("chat get", "Bob: hello"); }, "chat"},
        {"the game settings", [&] { Answer("get gamesettings", "AutoBalanceOnRecycle = 1"); },
         "settings"},
        {"a setting changed", [&] { Answer("set maxPlayers 8", "OK - Setting changed"); },
         "settings"},
        {"the weapons", [&] { Answer("weapon list", "WPN_Remmington = 1"); }, "weapons"},
        {"a weapon changed", [&] { Answer("weapon set 1 0", "OK - Weapon changed"); }, "weapons"},
        {"the game state", [&] { Answer("get gamestate", "Current State = Game"); }, ""},
        {"a refusal", [&] { Answer("player list", "ERROR: busy"); }, ""},
        // Last: the console asks for the chat after its own.
        {"chat sent", [&] { Answer("chat send hi", "Chat sent."); }, ""},
        {"the clock", [&] { console->OnTimer(TimerId::Clock); }, "caught"},
    };
    for (const auto& c : cases) {
        announced.clear();
        c.act();
        EXPECT_EQ(Joined(announced), c.models) << c.event;
    }
}

// A header click on column 0 sorts the console's list, and a later player
// list or Show Host keeps that order: the window and the console without one
// hold the list in the order its header shows, whatever a page does.
TEST_F(ConsoleFixture, ThePlayerListKeepsTheSortItsHeaderShows) {
    StartListening();
    LogIn();
    PlayerList& players = console->Players();
    const auto names = [&] {
        std::vector<std::string> out;
        for (const PlayerRow& row : players.Rows()) out.push_back(row.cells[kColumnName]);
        return out;
    };
    const std::string reply =
        "NAME\t#\tTEAM\tClass\tKills\tDeaths\tPING\nHost\t0\t1\t8\t0\t0\t0\n"
        "bo\t12\t2\t6\t9\t1\t7\nAl\t3\t1\t5\t10\t0\t50\nCy\tA\t1\t9\t2\t5\t7\n";
    // Column 0 is the remembered column from the start: its first click
    // sorts descending (hex 12, A, 3).
    players.SortByColumn(kColumnId);
    Answer("player list", reply);
    EXPECT_EQ(names(), (std::vector<std::string>{"bo", "Cy", "Al"}));
    players.ToggleShowHost(true);
    EXPECT_EQ(names(), (std::vector<std::string>{"bo", "Cy", "Al", "Host"}));
    Answer("player list", reply);
    EXPECT_EQ(names(), (std::vector<std::string>{"bo", "Cy", "Al", "Host"}));
}

// What a console records, collected as the writer would get it.
struct CollectingQueue final : HistoryQueue {
    std::vector<HistoryItem> items;
    void Add(std::vector<HistoryItem> more) override {
        for (auto& item : more) items.push_back(std::move(item));
    }
    template <typename T>
    std::vector<T> Of() const {
        std::vector<T> out;
        for (const auto& item : items)
            if (const T* t = std::get_if<T>(&item)) out.push_back(*t);
        return out;
    }
};

// The players of each list, the sanctions of the Players popup (console)
// and of the ChatBot's pass (chatbot), each once, under the record's name.
TEST_F(ConsoleFixture, RecordsItsPlayersSanctionsAndCountsToItsHistory) {
    StartListening();
    CollectingQueue queue;
    HistoryRecorder history(queue, [] { return int64_t{1000}; });
    console->SetHistory(&history);
    LogIn();
    queue.items.clear();
    Answer("player list",
           "NAME\t#\tTEAM\tClass\tKills\tDeaths\tPING\nHost\t0\t1\t8\t0\t0\t0\n"
           "Ann\t3\t1\t5\t10\t2\t50\n");
    EXPECT_EQ(queue.Of<SessionRecord>(),
              (std::vector<SessionRecord>{{"Home", "Ann", 1000, 1000, 10, 2, 50}}));
    EXPECT_EQ(queue.Of<CountRecord>(), (std::vector<CountRecord>{{1000, "Home", 1, 1, 0}}));

    const int row = console->Players().Rows()[0].cells[kColumnName] == "Ann" ? 0 : 1;
    console->Actions().OnPlayerRightClick(row, [] { return std::string("Punt\\TEAM KILL"); });
    console->ChatBot().SetOn(true);
    console->ChatBot().Shamed().RecordCatch("Ann", 4, "BYE", "boom", false);
    console->OnTimer(TimerId::Clock);
    EXPECT_EQ(queue.Of<SanctionRecord>(),
              (std::vector<SanctionRecord>{
                  {1000, "Home", "Ann", SanctionAction::Punt, "TEAM KILL", "console"},
                  {1000, "Home", "Ann", SanctionAction::Punt, "BYE boom", "chatbot"}}));
}

TEST_F(ConsoleFixture, StartUpCreatesConfigsAndLogsItsLines) {
    Start();
    const std::string configs = dir.Path() + "Configs";
    const std::vector<std::string> expected = {
        "[09:05:03] =================================================",
        "[09:05:03] Program Started - As TavrinRAT release beta",
        "[09:05:03] TavrinRAT 0.95 beta",
        "[09:05:03] =================================================",
        "[09:05:03] New Config dir: " + configs,
    };
    ASSERT_GE(lines.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 5), expected);
    EXPECT_TRUE(std::filesystem::exists(dir.File("Configs/servers.cfg")));
    EXPECT_TRUE(std::filesystem::exists(dir.File("Configs/adminmenu.cfg")));
    EXPECT_TRUE(std::filesystem::exists(dir.File("Configs/chatbot.cfg")));
    EXPECT_EQ(console->Session().FieldText(Field::Admins), "TavrinRat");
    EXPECT_TRUE(console->RatMode());
    EXPECT_FALSE(console->Session().ControlOn(Control::AutoRefreshTicked));
    EXPECT_TRUE(host.Running(TimerId::Clock));
    EXPECT_FALSE(host.Running(TimerId::Startup));

    // A second start finds the folder.
    lines.clear();
    Start();
    EXPECT_EQ(lines[4], "[09:05:03] Config dir:" + configs);
}

TEST_F(ConsoleFixture, ClockTickShowsTheTimeEverySecond) {
    Start();
    clock.Set({2026, 3, 7, 9, 5, 4});
    console->OnTimer(TimerId::Clock);
    EXPECT_EQ(console->Session().FieldText(Field::Clock), "09:05:04");
    EXPECT_FALSE(console->SystemInfo().ProcessMemory().empty());
}

TEST_F(ConsoleFixture, LoginNeedsCompleteDetails) {
    Start();  // the default record has the address 0.0.0.0
    EXPECT_FALSE(console->Login());
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"Check Server details"});
    EXPECT_EQ(host.workersStarted, 0);

    WriteServers("*FAV*Home,10.0.0.5,40000,admin,secret\r\n");
    Start();
    EXPECT_TRUE(console->Login());
    EXPECT_EQ(host.lastDetails.address, "10.0.0.5");
    EXPECT_EQ(host.lastPort, 40000);
    EXPECT_EQ(console->Session().FieldText(Field::Connection), "Connecting to Home");
}

TEST_F(ConsoleFixture, CloseLogsTheClosingLinesThenLogsOut) {
    WriteServers("*FAV*Home,10.0.0.5,40000,admin,secret\r\n");
    Start();
    ASSERT_TRUE(console->Login());
    console->Session().OnRatFrameReceived("code");
    console->Session().OnRatFrameReceived("Welcome");
    lines.clear();
    console->Close(false);
    const std::vector<std::string> expected = {
        "[09:05:03] =================================================",
        "[09:05:03] Program Closing (CANCEL)",
        "[09:05:03] =================================================",
        "[09:05:03] User Logged out",
        "[09:05:03] -------------------------------------------------",
    };
    EXPECT_EQ(lines, expected);
    EXPECT_TRUE(console->Session().State().m_fMainWndIsClosing);
}

TEST_F(ConsoleFixture, StateDumpLabelsWithAndWithoutAWorker) {
    Start();
    EXPECT_EQ(console->DumpSystemVariables(), "") << "AutoSysUpdate is off";
    const std::string idle = console->SystemVariables();
    const std::string expectedIdle =
        "DebugMode................ = false\n"
        "BetaCode................. = true\n"
        "m_fMainWndIsClosing...... = false\n"
        "m_fEncryptCodeReceived... = false\n"
        "m_fRATConnected.......... = false\n"
        "m_fGameMode.............. = true\n"
        "m_fAddingMissionList..... = false\n"
        "m_fChatScanning.......... = false\n"
        "m_fRatMode............... = true\n"
        "m_fAutoRecon............. = false\n"
        "m_ConnAttempts........... = 0\n"
        "m_fRequestingStatus...... = false\n"
        "------------------------------------------\n"
        "THREAD\n"
        "nRATThreadCount.......... = 0\n"
        "m_pRATThread............. = 0\n"
        "m_pRATThread->m_nThreadID = null\n"
        "------------------------------------------\n"
        "RAT SOCKET\n"
        "m_RAT_socket.m_fConnected..... = -\n"
        "m_RAT_socket.m_fGameMode...... = -\n"
        "m_RAT_socket.m_bReadDataLength = -\n"
        "m_RAT_socket.m_fIgnore........ = -\n"
        "m_RAT_socket.m_nBytesSent..... = -\n"
        "m_RAT_socket.m_nSendDataLen... = -\n"
        "m_RAT_socket.m_nBytesRecv..... = -\n"
        "m_RAT_socket.m_nRecvDataLen... = -\n"
        "m_RAT_socket.m_lastErrorCode.. = -\n";
    EXPECT_EQ(idle, expectedIdle);

    worker.present = true;
    worker.threadCount = 1;
    worker.reference = 1234;
    worker.threadId = 0xBEEF;
    worker.socket.connected = true;
    worker.socket.recvDataLen = 280;
    worker.socket.lastErrorCode = 10054;
    console->m_fAutoSysUpdate = true;
    const std::string busy = console->DumpSystemVariables();
    for (const char* line :
         {"nRATThreadCount.......... = 1\n", "m_pRATThread............. = 1234\n",
          "m_pRATThread->m_nThreadID = 0xBEEF\n", "m_RAT_socket.m_fConnected..... = true\n",
          "m_RAT_socket.m_nRecvDataLen... = 280\n", "m_RAT_socket.m_lastErrorCode.. = 10054\n"})
        EXPECT_NE(busy.find(line), std::string::npos) << line;
    // The clock keeps the information window's text current.
    console->OnTimer(TimerId::Clock);
    EXPECT_EQ(console->InfoText(), busy);
}

}  // namespace
}  // namespace tavrin

namespace tavrin {
namespace {

TEST_F(ConsoleFixture, ConfigurationFilesThatCannotBeReadAreReportedAndLeftAlone) {
    // A folder where the file should be cannot be read, even by root.
    for (const char* file : {"servers.cfg", "chatbot.cfg", "adminmenu.cfg"})
        std::filesystem::create_directories(dir.File(std::string("Configs/") + file + "/kept"));
    Start();
    for (const char* file : {"servers.cfg", "chatbot.cfg", "adminmenu.cfg"}) {
        EXPECT_TRUE(std::filesystem::exists(dir.File(std::string("Configs/") + file + "/kept")))
            << file;
        const auto told = [file](const std::string& text) {
            return text.find(file) != std::string::npos;
        };
        EXPECT_TRUE(std::any_of(dialogs.messages.begin(), dialogs.messages.end(), told)) << file;
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), told)) << file;
    }
}

TEST_F(ConsoleFixture, PlayerCountsReachTheAdminsFieldOnlyInTheClientRole) {
    const struct {
        ConsoleRole role;
        const char* admins;  // the Admins field after a player list; null: unchanged
    } cases[] = {
        {ConsoleRole::Client, "2 / 1 / 1"},
        {ConsoleRole::Manager, nullptr},
    };
    WriteServers("*FAV*Home,10.0.0.5,40000,admin,secret\r\n");
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.role));
        Start(c.role);
        ASSERT_TRUE(console->Login());
        RatSession& session = console->Session();
        session.OnRatFrameReceived("code");
        session.OnRatFrameReceived("Welcome");
        host.Advance(2000);
        const std::string before = session.FieldText(Field::Admins);
        session.OnRatFrameReceived(
            "NAME\t#\tTEAM\tClass\tKills\tDeaths\tPING\nHost\t0\t1\t8\t0\t0\t0\n"
            "Ann\t3\t1\t5\t10\t2\t50\nBob\t4\t2\t9\t1\t7\t120\n");
        EXPECT_EQ(session.FieldText(Field::TabPlayers), "2 / 1 / 1");
        EXPECT_EQ(session.FieldText(Field::Admins), c.admins ? c.admins : before);
        if (c.role == ConsoleRole::Manager) {
            EXPECT_EQ(before.rfind("Admins: ", 0), 0u) << before;
        }
        console->Close(false);
    }
}

TEST(FieldLine, NamesTheFieldOnce) {
    const struct {
        Field field;
        const char* text;
        const char* line;
    } cases[] = {
        {Field::Admins, "Admins: 1 / 3", "Admins: 1 / 3"},
        {Field::Admins, "24 / 12 / 12", "Admins: 24 / 12 / 12"},
        {Field::Admins, "Admins 0 / 0", "Admins: Admins 0 / 0"},
        {Field::Connection, "Connected", "Connection: Connected"},
        {Field::RatResponse, "", "Rat Response: "},
    };
    for (const auto& c : cases) EXPECT_EQ(FieldLine(c.field, c.text), c.line) << c.text;
}

}  // namespace
}  // namespace tavrin

namespace tavrin {
namespace {

TEST_F(ConsoleFixture, PasswordFilesOpenToOthersAreKeptToTheirOwnerAtStart) {
    WriteServers("Home,127.0.0.1,2510,admin,secret\n");
    std::ofstream(dir.File("Configs/radmins.cfg"), std::ios::binary) << "[END]";
    std::ofstream(dir.File("Configs/managers.cfg"), std::ios::binary)
        << "Hub,127.0.0.1,9898,ann,secret\r\n";
    const char* const files[] = {"Configs/servers.cfg", "Configs/radmins.cfg",
                                 "Configs/managers.cfg"};
    for (const char* file : files)
        std::filesystem::permissions(dir.File(file), std::filesystem::perms(0644));
    Start();
    for (const char* file : files) {
        const auto mode = std::filesystem::status(dir.File(file)).permissions();
        EXPECT_EQ(mode, std::filesystem::perms(0600)) << file;
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                [&](const std::string& l) {
                                    return l.find(dir.File(file) + " holds passwords") !=
                                           std::string::npos;
                                }),
                  1)
            << file;
    }
}

}  // namespace
}  // namespace tavrin

namespace tavrin {
namespace {

// A remote console: the rights its login receives reach the console, and the
// ChatBot stays off however it is asked to start (the manager's moderates).
TEST_F(ConsoleFixture, ARemoteConsoleTakesItsRightsAndLeavesTheChatBotToTheManager) {
    std::filesystem::create_directories(dir.File("Configs"));
    std::ofstream(dir.File("Configs/managers.cfg"), std::ios::binary)
        << "Hub,127.0.0.1,9898,ann,secret\r\n";
    console = std::make_unique<Console>(dir.Path(), host, dialogs, clock, *this, *this);
    host.session = &console->Session();
    host.clock = &clock;
    console->SetRemoteManager("Hub");
    console->SetChatBotOnAtStart(true);
    console->Initialise();
    host.Advance(0);
    console->OnTimer(TimerId::Startup);
    host.listener = console.get();

    EXPECT_FALSE(console->ChatBot().IsOn());
    const std::string refused =
        "ChatBot not started (--chatbot refused): " + std::string(kChatBotRemoteRefusal);
    EXPECT_EQ(
        std::count_if(lines.begin(), lines.end(),
                      [&](const std::string& l) { return l.find(refused) != std::string::npos; }),
        1);
    EXPECT_FALSE(console->ChatBot().SetOn(true));
    EXPECT_FALSE(console->ChatBot().IsOn());
    EXPECT_EQ(console->ChatBot().SwitchingOnForbidden(), kChatBotRemoteRefusal);

    RatSession& session = console->Session();
    ASSERT_TRUE(console->Login());
    session.OnRatConnected();
    session.OnRatFrameReceived("Hollispark");
    ASSERT_EQ(host.sent.size(), 1u);
    EXPECT_EQ(host.sent[0].frame, std::string("\0\0\0\x03"
                                              "ann",
                                              7))
        << "the record's user";
    for (const char* frame : {"User:OK", "0041", "LOGGED_IN"}) session.OnRatFrameReceived(frame);
    EXPECT_TRUE(session.State().m_fRATConnected);
    EXPECT_EQ(console->Rights(), 0x0041);
    EXPECT_EQ(session.FieldText(Field::ServerMode), "via manager Hub");
}

}  // namespace
}  // namespace tavrin
