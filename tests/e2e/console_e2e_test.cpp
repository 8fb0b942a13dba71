// The real console, `tavrinrat --headless`, against the real tavrinrat-sim over
// loopback: login and the first commands, every way the server can end a
// session, reconnection, the request time-out, signals, and the ChatBot.

#include "e2e/console_e2e_fixture.h"
#include "history/qt/history_store.h"

namespace tavrin::testing {
namespace {

using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::StartsWith;

TEST_F(ConsoleE2e, LoginSendsTheSixCommandsPacedThenDumpsAndClosesOnSignals) {
    StartSim();
    StartConsole();
    ASSERT_NO_FATAL_FAILURE(
        ExpectInOrder({"User Login Request: 127.0.0.1:" + std::to_string(m_sim->Port()),
                       "Connection: Connecting to Sim", "Connection: Socket Connected",
                       "Rat Command: Sending details", "Connection: Connected", "Logged In"}));
    ASSERT_NO_FATAL_FAILURE(WaitLoggedIn());
    ASSERT_TRUE(m_sim->WaitForLine("cmd: get gamesettings"));

    const auto login = m_sim->FindLine("login: user admin accepted", 0, 5s);
    ASSERT_TRUE(login);
    const auto commands = SimCommands(m_sim->Lines(), *login);
    ASSERT_GE(commands.size(), 6u) << SimLog();
    const std::vector<std::string> first = {"get gamestate", "mission available",
                                            "player list",   "mission list",
                                            "chat get",      "get gamesettings"};
    for (size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(commands[i].text, first[i]) << SimLog();
        if (i == 0) continue;
        long gap = commands[i].ms - commands[i - 1].ms;
        if (gap < 0) gap += 24L * 3600 * 1000;  // past midnight
        EXPECT_GE(gap, 240) << first[i] << " followed " << first[i - 1] << " too soon\n"
                            << SimLog();
    }
    // Each reply reached its model.
    EXPECT_TRUE(m_console->Find(IsPlayerCounts, 0, 5s)) << Transcript();
    EXPECT_TRUE(m_console->WaitForPart("Current Mission: ", 0, 5s)) << Transcript();
    EXPECT_TRUE(Wait("Server Mode: Server Status = Game Mode", 0, 5s)) << Transcript();

    const size_t beforeDump = m_console->LineCount();
    m_console->Signal(SIGUSR1);
    const auto dump = Wait("DebugMode................ = false", beforeDump);
    ASSERT_TRUE(dump) << Transcript();
    ASSERT_TRUE(Wait("m_RAT_socket.m_lastErrorCode.. = 0", *dump));
    EXPECT_EQ(m_console->Line(*dump + 1), "BetaCode................. = true");
    EXPECT_EQ(m_console->Line(*dump + 4), "m_fRATConnected.......... = true");
    EXPECT_EQ(m_console->Line(*dump + 5), "m_fGameMode.............. = true");

    ASSERT_NO_FATAL_FAILURE(ExpectCleanExitOn(SIGTERM));
    ExpectInOrder({"Program Closing (CANCEL)", "User Logged out", "Connection: Not Connected"});
    EXPECT_TRUE(m_sim->WaitForLine("connection closed", *login)) << SimLog();
}

TEST_F(ConsoleE2e, ScoutLogsInWhateverItsPassword) {
    StartSim({"--user", "SCOUT", "--password", "unused"});
    StartConsole({}, "SCOUT,anything at all");
    ASSERT_NO_FATAL_FAILURE(WaitLoggedIn());
    EXPECT_TRUE(m_sim->WaitForLine("login: user SCOUT accepted")) << SimLog();
    ASSERT_NO_FATAL_FAILURE(ExpectCleanExitOn(SIGTERM));
}

TEST_F(ConsoleE2e, IncompleteDetailsEndWithStatusTwo) {
    const struct {
        const char* name;
        const char* servers;  // nullptr: no servers.cfg, so the defaults are written
    } cases[] = {
        {"no file", nullptr},
        {"no port", "*FAV*Sim,127.0.0.1,,admin,secret\r\n"},
        {"no password", "*FAV*Sim,127.0.0.1,7000,admin,\r\n"},
        {"no address", "*FAV*Sim,,7000,admin,secret\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        if (c.servers) {
            ::mkdir(dir.File("Configs").c_str(), 0700);
            WriteFile(dir.File("Configs/servers.cfg"), c.servers);
        }
        ConsoleProcess console(TAVRIN_CONSOLE_PATH, dir.Path());
        EXPECT_EQ(console.WaitExit(10s), 2) << console.Transcript();
        EXPECT_TRUE(console.WaitFor("Message: Check Server details", 0, 5s))
            << console.Transcript();
        EXPECT_FALSE(console.WaitForPart("Login Request", 0, 5s)) << console.Transcript();
    }
}

// The server ends the session in one of its ways; the console says so and
// either rests or counts down to a reconnect.
struct EndCase {
    const char* name;
    std::vector<std::string> simFaults;  // switched on at the sim's start
    const char* control;                 // sent once logged in; nullptr for none
    std::vector<std::string> expected;   // console lines, in order
    bool autoRecon;
};

void PrintTo(const EndCase& c, std::ostream* os) {
    *os << c.name;
}

class ServerEndsSession : public ConsoleE2e, public ::testing::WithParamInterface<EndCase> {};

TEST_P(ServerEndsSession, ConsoleShowsWhyAndRecoversOrRests) {
    const EndCase& c = GetParam();
    StartSim(c.simFaults);
    StartConsole();
    ASSERT_TRUE(m_sim->WaitForLine("greeting sent")) << SimLog();
    size_t from = 0;
    if (c.control) {
        ASSERT_NO_FATAL_FAILURE(WaitLoggedIn());
        from = m_console->LineCount();
        EXPECT_THAT(m_sim->Control(c.control), StartsWith("ok ")) << c.control;
    }
    ASSERT_NO_FATAL_FAILURE(ExpectInOrder(c.expected, from));
    // The connection is gone on both ends.
    ASSERT_TRUE(m_sim->WaitForLine("connection closed")) << Transcript();
    EXPECT_THAT(m_sim->Control("status"), HasSubstr("connection none"));
    if (c.autoRecon) {
        EXPECT_TRUE(Wait("Rat Response: AutoRecon in 19 s", from)) << Transcript();
    } else {
        // Give a wrongly started countdown time to show itself.
        std::this_thread::sleep_for(1500ms);
        EXPECT_FALSE(ConsoleSaid("AutoRecon")) << Transcript();
    }
    ASSERT_NO_FATAL_FAILURE(ExpectCleanExitOn(SIGTERM));
    EXPECT_EQ(Wait("User cancelled AutoRecon", 0, 5s).has_value(), c.autoRecon) << Transcript();
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ServerEndsSession,
    ::testing::Values(EndCase{"CleanClose", {}, "close", {"Connection: Not Connected"}, false},
                      EndCase{"Rejected",
                              {"--reject"},
                              nullptr,
                              {"Rat Command: Sending details", "Message: Login Rejected",
                               "Connection: Not Connected"},
                              false},
                      EndCase{"MenuMode",
                              {"--menu"},
                              nullptr,
                              {"Server Mode: Server Status = MENU MODE", "Mode: Menu Mode",
                               "Server is in Menu Mode: Connection closed", "User Logged out",
                               "Connection: Not Connected"},
                              false},
                      EndCase{"BadHeader",
                              {},
                              "badheader",
                              {"Connection: Connection Error",
                               "Server Mode: Connection aborted (10053)",
                               "OnReceive():TavrinRat: socket error [10053]: Connection aborted",
                               "Rat Command: AutoRecon(1/5) or <Logout>"},
                              true}),
    [](const ::testing::TestParamInfo<EndCase>& info) { return std::string(info.param.name); });

// Replies that arrive in pieces, or several in one read, are each read whole.
class OddFrames : public ConsoleE2e, public ::testing::WithParamInterface<const char*> {};

TEST_P(OddFrames, EveryReplyStillReachesItsModel) {
    StartSim({GetParam()});
    StartConsole();
    ASSERT_NO_FATAL_FAILURE(WaitLoggedIn());
    const auto counts = m_console->Find(IsPlayerCounts, 0, 10s);
    ASSERT_TRUE(counts) << Transcript();
    // The total is the sim's own player count.
    const std::string status = m_sim->Control("status");
    const std::string players = status.substr(status.rfind("players ") + 8);
    EXPECT_THAT(m_console->Line(*counts), StartsWith("Players: " + players + " / "));
    EXPECT_TRUE(m_console->WaitForPart("Current Mission: ", 0, 5s)) << Transcript();
    EXPECT_TRUE(Wait("Server Mode: Server Status = Game Mode", 0, 5s)) << Transcript();
    EXPECT_TRUE(Wait("Rat Response: Game Settings Updated", 0, 5s)) << Transcript();
    EXPECT_FALSE(ConsoleSaid("socket error")) << Transcript();
    EXPECT_FALSE(ConsoleSaid("RAT syntax error")) << Transcript();
    ASSERT_NO_FATAL_FAILURE(ExpectCleanExitOn(SIGINT));
    EXPECT_TRUE(Wait("User Logged out", *counts)) << Transcript();
}

INSTANTIATE_TEST_SUITE_P(Frames, OddFrames, ::testing::Values("--split", "--coalesce"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param + 2);
                         });

TEST_F(ConsoleE2e, RefusedConnectCountsAnAttemptUntilCancelled) {
    StartSim({"--refuse", "600"});
    StartConsole();
    ASSERT_NO_FATAL_FAILURE(ExpectInOrder(
        {"Connection: Connecting to Sim", "Connection: Connection Error",
         "Server Mode: Connection refused (10061)", "*TavrinRat: socket error [10061]:",
         "Rat Command: AutoRecon(1/5) or <Logout>", "Rat Response: AutoRecon in 19 s"}));
    EXPECT_FALSE(ConsoleSaid("Connection: Connected"));
    ASSERT_NO_FATAL_FAILURE(ExpectCleanExitOn(SIGTERM));
    ExpectInOrder(
        {"Program Closing (CANCEL)", "Connection: Not Connected", "User cancelled AutoRecon"});
}

// The ChatBot's punt is in the history's sanction_history with its source
// and reason (the warning and the banned word).
TEST_F(ConsoleE2e, ChatBotPuntIsInTheHistory) {
    StartSim();
    ::mkdir(m_dir.File("Configs").c_str(), 0700);
    WriteFile(m_dir.File("Configs/chatbot.cfg"),
              "[WORDS]\r\n"
              "1\\zorblax\\Mind your words\\[4 PPts] - Punt Only\\0\\\r\n"
              "[WARNINGS]\r\n"
              "0\\Mind your words\\\r\n"
              "[DEFAULT]\r\n"
              "6");
    StartConsole({"--chatbot"});
    ASSERT_NO_FATAL_FAILURE(WaitLoggedIn());
    const auto firstCounts = m_console->Find(IsPlayerCounts, 0, 5s);
    ASSERT_TRUE(firstCounts) << Transcript();
    const std::string before = m_console->Line(*firstCounts);
    const std::string said = m_sim->Control("say Mallory hello all");
    ASSERT_THAT(said, StartsWith("ok say Mallory (id "));
    const std::string id = said.substr(19, said.find(')') - 19);
    const int total = std::stoi(before.substr(9));
    ASSERT_TRUE(m_console->WaitForPart("Players: " + std::to_string(total + 1) + " / ", 0, 60s))
        << Transcript();
    const size_t caught = m_sim->Lines().size();
    ASSERT_THAT(m_sim->Control("say Mallory what a zorblax move"), StartsWith("ok say Mallory"));
    ASSERT_TRUE(m_sim->FindLine("cmd: player punt " + id, caught, 60s)) << Transcript();
    ASSERT_NO_FATAL_FAILURE(ExpectCleanExitOn(SIGTERM));

    HistoryStore store(DefaultHistoryTarget(m_dir.Path()));
    ASSERT_TRUE(store.Open().ok());
    const std::vector<SanctionRecord> sanctions = store.Sanctions("Mallory");
    ASSERT_EQ(sanctions.size(), 1u);
    EXPECT_EQ(sanctions[0].action, SanctionAction::Punt);
    EXPECT_EQ(sanctions[0].reason, "Mind your words zorblax");
    EXPECT_EQ(sanctions[0].source, "chatbot");
    EXPECT_FALSE(store.Sessions("Mallory").empty());
}

TEST_F(ConsoleE2e, ChatBotPuntsAndWarnsPlayersWhoSayBannedWords) {
    StartSim();
    ::mkdir(m_dir.File("Configs").c_str(), 0700);
    WriteFile(m_dir.File("Configs/chatbot.cfg"),
              "[WORDS]\r\n"
              "1\\zorblax\\Mind your words\\[4 PPts] - Punt Only\\0\\\r\n"
              "1\\blorp\\Keep it clean\\[0 PPts] - Warn Only\\0\\\r\n"
              "[WARNINGS]\r\n"
              "1\\Mind your words\\\r\n"
              "0\\Keep it clean\\\r\n"
              "[DEFAULT]\r\n"
              "6");
    StartConsole({"--chatbot"});
    ASSERT_NO_FATAL_FAILURE(WaitLoggedIn());

    // A new player speaks first, so the console lists it before it offends.
    const auto firstCounts = m_console->Find(IsPlayerCounts, 0, 5s);
    ASSERT_TRUE(firstCounts) << Transcript();
    const std::string before = m_console->Line(*firstCounts);
    const std::string said = m_sim->Control("say Mallory hello all");
    ASSERT_THAT(said, StartsWith("ok say Mallory (id "));
    const std::string id = said.substr(19, said.find(')') - 19);
    const int total = std::stoi(before.substr(9));
    ASSERT_TRUE(m_console->WaitForPart("Players: " + std::to_string(total + 1) + " / ", 0, 60s))
        << Transcript();

    // One punt-only word and two warn-only ones, in one go.
    const size_t caught = m_sim->Lines().size();
    ASSERT_THAT(m_sim->Control("say Trent such blorp"), StartsWith("ok say Trent"));
    ASSERT_THAT(m_sim->Control("say Mallory what a zorblax move"), StartsWith("ok say Mallory"));
    ASSERT_THAT(m_sim->Control("say Victor blorp!"), StartsWith("ok say Victor"));
    const auto punt = m_sim->FindLine("cmd: player punt " + id, caught, 60s);
    ASSERT_TRUE(punt) << Transcript();
    EXPECT_TRUE(m_sim->FindLine("cmd: chat send Mallory punted", *punt, 10s)) << Transcript();
    EXPECT_TRUE(m_console->WaitForPart("ChatBot Punt (" + id + ") Mallory", 0, 10s))
        << Transcript();

    // The two warnings take the two wordings in turn, the first one first.
    ASSERT_TRUE(m_console->WaitForPart("ChatBot Warning Trent Keep it clean blorp", 0, 30s))
        << Transcript();
    ASSERT_TRUE(m_console->WaitForPart("ChatBot Warning Victor Keep it clean blorp", 0, 30s))
        << Transcript();
    ASSERT_TRUE(m_sim->FindLine("cmd: chat send Warning ", caught, 10s)) << SimLog();
    std::vector<std::string> warnings;
    for (const auto& c : SimCommands(m_sim->Lines(), caught))
        if (c.text.find("Warning") != std::string::npos) warnings.push_back(c.text);
    ASSERT_EQ(warnings.size(), 2u) << SimLog();
    const bool trentFirst = warnings[0].find("Trent") != std::string::npos;
    const std::string first = trentFirst ? "Trent" : "Victor";
    const std::string second = trentFirst ? "Victor" : "Trent";
    EXPECT_EQ(warnings[0], "chat send " + first + "  Warning Keep it clean ");
    EXPECT_EQ(warnings[1], "chat send Warning " + second + " Keep it clean ");
    ASSERT_NO_FATAL_FAILURE(ExpectCleanExitOn(SIGTERM));
}

// The slow ones: a 21-second countdown and a 10-second time-out.
TEST_F(ConsoleE2e, SlowResetIsFollowedByARealReconnect) {
    StartSim();
    StartConsole();
    ASSERT_NO_FATAL_FAILURE(WaitLoggedIn());
    const auto counts = m_console->Find(IsPlayerCounts, 0, 5s);
    const auto mission = m_console->WaitForPart("Current Mission: ", 0, 5s);
    ASSERT_TRUE(counts && mission) << Transcript();
    const std::string players = m_console->Line(*counts).substr(9);
    const std::string missionName = m_console->Line(*mission).substr(17);

    const size_t from = m_console->LineCount();
    ASSERT_EQ(m_sim->Control("reset"), "ok reset");
    ASSERT_NO_FATAL_FAILURE(ExpectInOrder(
        {"Connection: Connection Interrupted",
         "Server Mode: Connection reset by the server (10054)",
         "TavrinRat: socket closed [10054]: Connection reset by the server", kSeparatorDashes,
         "Last Status ", "Server: TavrinSim ", "Mode: Game Mode ", "Players: " + players + " ",
         "Mission: " + missionName, kSeparatorDashes, "AutoRecon timer started",
         "Rat Command: AutoRecon(0/5) <Logout> to abort", "Rat Response: AutoRecon in 19 s"},
        from));
    const auto started = Wait("AutoRecon timer started", from, 0s);
    const size_t login = m_sim->Lines().size();

    ASSERT_NO_FATAL_FAILURE(
        ExpectInOrder({"Rat Response: AutoRecon in 0 s",
                       "Auto Login Request: 127.0.0.1:" + std::to_string(m_sim->Port()) + " [0/5]",
                       "Connection: Reconnecting to Sim", "Connection: Connected", "AutoRecon OK"},
                      *started, 60s));
    const auto reconnecting = Wait("Connection: Reconnecting to Sim", *started, 0s);
    EXPECT_GE(m_console->ArrivalOf(*reconnecting) - m_console->ArrivalOf(*started), 15s)
        << "the countdown runs 21 one-second ticks";
    EXPECT_TRUE(m_sim->FindLine("login: user admin accepted", login, 10s)) << SimLog();
    EXPECT_TRUE(m_sim->FindLine("cmd: get gamesettings", login, 10s)) << SimLog();
    ASSERT_NO_FATAL_FAILURE(ExpectCleanExitOn(SIGTERM));
    EXPECT_TRUE(Wait("User Logged out", *reconnecting, 0s)) << Transcript();
}

TEST_F(ConsoleE2e, SlowUnansweredGameStateTimesOut) {
    StartSim({"--stall"});
    StartConsole();
    ASSERT_NO_FATAL_FAILURE(WaitLoggedIn());
    const auto sent = Wait("Rat Command: get gamestate", 0, 5s);
    ASSERT_TRUE(sent) << Transcript();
    ASSERT_NO_FATAL_FAILURE(
        ExpectInOrder({"Connection: Status request timeout", "Server Mode: Internal error W505",
                       "Tavrinrat: closing socket due to request timeout", kSeparatorDashes,
                       "Last Status ", "Server: TavrinSim ", "Mode: Mode ", kSeparatorDashes,
                       "AutoRecon timer started", "Rat Command: AutoRecon(0/5) <Logout> to abort"},
                      *sent, 30s));
    const auto timedOut = Wait("Connection: Status request timeout", *sent, 0s);
    EXPECT_GE(m_console->ArrivalOf(*timedOut) - m_console->ArrivalOf(*sent), 8s)
        << "the time-out is 10 s after the request";
    EXPECT_TRUE(m_sim->WaitForLine("connection closed")) << SimLog();
    ASSERT_NO_FATAL_FAILURE(ExpectCleanExitOn(SIGTERM));
    EXPECT_TRUE(Wait("User cancelled AutoRecon", *timedOut, 0s)) << Transcript();
}

TEST_F(ConsoleE2e, SlowLostChatReplyLeavesTheConnectionUp) {
    StartSim();
    StartConsole();
    ASSERT_NO_FATAL_FAILURE(WaitLoggedIn());
    // The poll's "mission list" is followed by a "chat get", and that by the
    // "get gamestate" that opens the next turn of the rotation.
    const auto firstSix = m_sim->FindLine("cmd: get gamesettings", 0, 10s);
    ASSERT_TRUE(firstSix) << SimLog();
    const auto missions = m_sim->FindLine("cmd: mission list", *firstSix + 1, 60s);
    ASSERT_TRUE(missions) << SimLog();
    const size_t from = m_console->LineCount();
    ASSERT_EQ(m_sim->Control("ignore 1"), "ok ignore 1");
    const auto dropped = m_sim->FindLine("ignore: command dropped, no reply", *missions, 15s);
    ASSERT_TRUE(dropped) << SimLog();
    ASSERT_THAT(m_sim->Line(*dropped - 1), HasSubstr("cmd: chat get")) << SimLog();
    const auto status = m_sim->FindLine("cmd: get gamestate", *dropped, 15s);
    ASSERT_TRUE(status) << SimLog();

    // The game state is read as the game state, not as chat ...
    EXPECT_TRUE(Wait("Server Mode: Server Status = Game Mode", from, 10s)) << Transcript();
    // ... so the status request is settled: three polls later, past its
    // time-out, the same connection still runs.
    size_t next = *status;
    for (int poll = 0; poll < 3; ++poll) {
        const auto line = m_sim->FindLine("cmd: ", next + 1, 15s);
        ASSERT_TRUE(line) << SimLog();
        next = *line;
    }
    EXPECT_FALSE(ConsoleSaid("Status request timeout")) << Transcript();
    EXPECT_FALSE(m_sim->FindLine("connection closed", *dropped, 0s)) << SimLog();
    ASSERT_NO_FATAL_FAILURE(ExpectCleanExitOn(SIGTERM));
}

}  // namespace
}  // namespace tavrin::testing
