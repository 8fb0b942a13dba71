#include "app/console.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

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

    WorkerInfo CurrentWorkerInfo() const override { return worker; }
    void EventLineWritten(const std::string& l) override {
        lines.push_back(l.substr(0, l.size() - 1));
    }
    void Started() override { ++started; }
    void ClockTicked() override { ++clockTicks; }

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
};

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
    for (const char* file : {"Configs/servers.cfg", "Configs/radmins.cfg"})
        std::filesystem::permissions(dir.File(file), std::filesystem::perms(0644));
    Start();
    for (const char* file : {"Configs/servers.cfg", "Configs/radmins.cfg"}) {
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
