// The real tavrinrat-sim over loopback: login, every command, and the faults.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "sim/sim_client.h"

namespace tavrin::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

bool Has(const std::string& text, std::string_view marker) {
    return text.find(marker) != std::string::npos;
}

// The ids of the players after the host in a "player list" reply.
std::vector<std::string> PlayerIds(const std::string& list) {
    std::vector<std::string> ids;
    size_t at = list.find('\n', list.find('\n') + 1) + 1;
    for (size_t end; (end = list.find('\n', at)) != std::string::npos; at = end + 1) {
        const size_t tab = list.find('\t', at);
        ids.push_back(list.substr(tab + 1, list.find('\t', tab + 1) - tab - 1));
    }
    return ids;
}

// The player line with id `id`, or "" when there is none.
std::string PlayerLine(const std::string& list, const std::string& id) {
    size_t at = 0;
    for (size_t end; (end = list.find('\n', at)) != std::string::npos; at = end + 1) {
        const std::string line = list.substr(at, end - at);
        const size_t tab = line.find('\t');
        if (tab != std::string::npos &&
            line.substr(tab + 1, line.find('\t', tab + 1) - tab - 1) == id)
            return line;
    }
    return {};
}

class SimE2e : public ::testing::Test {
  protected:
    SimE2e()
        : m_sim(TAVRIN_SIM_PATH,
                {"--control-port", "0", "--tick-ms", "0", "--seed", "7", "--user", "admin",
                 "--password", "secret", "--user", "ops", "--password", "two"}) {}

    void SetUp() override {
        ASSERT_GT(m_sim.Port(), 0);
        ASSERT_GT(m_sim.ControlPort(), 0);
    }

    void LogIn(RatClient& client) {
        ASSERT_EQ(client.Connect(m_sim.Port()), 0);
        const auto verdict = client.Login("admin", "secret");
        ASSERT_TRUE(verdict);
        ASSERT_THAT(*verdict, Not(StartsWith("User")));
    }

    SimProcess m_sim;
    RatClient m_client;
};

TEST_F(SimE2e, LoginWithRightAndWrongPassword) {
    ASSERT_EQ(m_client.Connect(m_sim.Port()), 0);
    const auto rejected = m_client.Login("admin", "nope");
    ASSERT_TRUE(rejected);
    EXPECT_THAT(*rejected, StartsWith("User"));
    EXPECT_EQ(m_client.ReadFrame().kind, RatClient::Kind::Closed)
        << "the sim sends a rejected admin away";

    ASSERT_EQ(m_client.Connect(m_sim.Port()), 0);
    const auto accepted = m_client.Login("ops", "two");
    ASSERT_TRUE(accepted);
    EXPECT_THAT(*accepted, Not(StartsWith("User")));
    EXPECT_TRUE(m_sim.WaitForLine("login: user ops accepted"));
}

TEST_F(SimE2e, EveryCommandIsAnsweredAndChangesTheGame) {
    LogIn(m_client);
    const auto ids = PlayerIds(m_client.Command("player list"));
    ASSERT_GE(ids.size(), 12u);
    const std::string id = ids[0];

    struct Case {
        std::string command;
        std::string marker;
        std::string follow;  // a command whose reply shows the change
        std::function<bool(const std::string&)> changed;
    };
    const std::vector<Case> cases = {
        {"get gamestate", "Current State = Game", "", nullptr},
        {"player list", "Deaths", "", nullptr},
        {"chat get", ": ", "", nullptr},
        {"mission list", "<CURRENT MISSION>", "", nullptr},
        {"mission available", "(Operation:", "", nullptr},
        {"get gamesettings", "AutoBalanceOnRecycle", "", nullptr},
        {"weapon list", "WPN_Remmington", "", nullptr},
        {"chat send hello from e2e", "Chat sent.", "chat get",
         [](const std::string& r) { return Has(r, "Admin: hello from e2e\r\n"); }},
        {"mission add bridge.bms", "Entry Added", "mission list",
         [](const std::string& r) { return Has(r, "bridge.bms"); }},
        {"mission setnext 2", "Next Mission Set", "mission list",
         [](const std::string& r) { return Has(r, "\n2: <> <NEXT MISSION>"); }},
        {"mission cycle", "Server is cycling", "mission list",
         [](const std::string& r) { return Has(r, "\n2: <CURRENT MISSION>"); }},
        {"mission remove 0", "Mission Removed", "mission list",
         [](const std::string& r) { return Has(r, "\n1: <CURRENT MISSION>"); }},
        {"set friendlyFire 0", "OK - Setting", "get gamesettings",
         [](const std::string& r) { return Has(r, "\nFriendlyFire = 0\n"); }},
        {"weapon set 4 NEVER", "OK - Weap", "weapon list",
         [](const std::string& r) { return Has(r, "4. NEVER WPN_Remmington"); }},
        {"weapon set all armory", "OK - All weap", "weapon list",
         [](const std::string& r) { return !Has(r, "ALWAYS") && !Has(r, "NEVER"); }},
        {"cmd TOD 0100", "0100", "", nullptr},
        {"cmd TODRate 1800", "1800", "", nullptr},
        {"player zeroscore " + id + " ", "Player Zeroed", "player list",
         [&](const std::string& r) { return Has(PlayerLine(r, id), "\t0\t0\t"); }},
        {"player kill " + id + " ", "Player Killed", "player list",
         [&](const std::string& r) { return Has(PlayerLine(r, id), "\t0\t1\t"); }},
        {"player swapteam " + id + " ", "Player Swapped", "", nullptr},
        {"player punt " + id + " ", "Player Punted", "player list",
         [&](const std::string& r) { return PlayerLine(r, id).empty(); }},
        {"player ban " + ids[1], "Player Banned", "player list",
         [&](const std::string& r) { return PlayerLine(r, ids[1]).empty(); }},
        {"player punt " + id + " ", "ERROR", "", nullptr},  // gone already
        {"mission remove x", "USAGE", "", nullptr},
        {"no such command", "USAGE", "", nullptr},
    };
    for (const auto& c : cases) {
        EXPECT_THAT(m_client.Command(c.command), HasSubstr(c.marker)) << c.command;
        if (c.changed) {
            EXPECT_TRUE(c.changed(m_client.Command(c.follow))) << c.command;
        }
    }
    // Every command is logged, in the order it came.
    size_t from = 0;
    for (const auto& c : cases) {
        const auto at = m_sim.FindLine("] cmd: " + c.command, from);
        ASSERT_TRUE(at) << c.command;
        from = *at + 1;
    }
}

TEST_F(SimE2e, StallLeavesTheGameStateUnanswered) {
    LogIn(m_client);
    ASSERT_EQ(m_sim.Control("stall on"), "ok stall on");
    ASSERT_TRUE(m_client.SendCommand("get gamestate"));
    // The next reply to arrive is the player list's: nothing came for the state.
    EXPECT_THAT(m_client.Command("player list"), HasSubstr("PING"));
    ASSERT_EQ(m_sim.Control("stall off"), "ok stall off");
    EXPECT_THAT(m_client.Command("get gamestate"), HasSubstr("Current State = Game"));
}

TEST_F(SimE2e, MenuModeThroughStdinAndControlPort) {
    LogIn(m_client);
    m_sim.WriteStdin("menu on");
    ASSERT_TRUE(m_sim.WaitForLine("control: ok menu on"));
    EXPECT_THAT(m_client.Command("get gamestate"), HasSubstr("Current State = Menu"));
    ASSERT_EQ(m_sim.Control("menu off"), "ok menu off");
    EXPECT_THAT(m_client.Command("get gamestate"), HasSubstr("Current State = Game"));
    EXPECT_THAT(m_sim.Control("status"), HasSubstr("connection logged in"));
}

TEST_F(SimE2e, CleanCloseAndReset) {
    LogIn(m_client);
    ASSERT_EQ(m_sim.Control("close"), "ok close");
    EXPECT_EQ(m_client.ReadFrame().kind, RatClient::Kind::Closed);

    LogIn(m_client);
    ASSERT_EQ(m_sim.Control("reset"), "ok reset");
    const auto r = m_client.ReadFrame();
    EXPECT_EQ(r.kind, RatClient::Kind::Error);
    EXPECT_EQ(r.error, ECONNRESET);
    EXPECT_EQ(m_sim.Control("close"), "error: no connection");
}

TEST_F(SimE2e, RefuseAndRejectLogins) {
    ASSERT_EQ(m_sim.Control("refuse 60"), "ok refuse 60");
    EXPECT_EQ(m_client.Connect(m_sim.Port()), ECONNREFUSED);
    ASSERT_EQ(m_sim.Control("refuse 0"), "ok refuse 0");

    ASSERT_EQ(m_sim.Control("reject on"), "ok reject on");
    ASSERT_EQ(m_client.Connect(m_sim.Port()), 0);
    const auto verdict = m_client.Login("admin", "secret");
    ASSERT_TRUE(verdict);
    EXPECT_THAT(*verdict, StartsWith("User"));
}

TEST_F(SimE2e, SplitFramesArriveInPiecesAndJoinWhole) {
    LogIn(m_client);
    ASSERT_EQ(m_sim.Control("split on"), "ok split on");
    m_client.RecvSizes().clear();
    EXPECT_THAT(m_client.Command("player list"), HasSubstr("PING"));
    EXPECT_THAT(m_client.Command("get gamestate"), HasSubstr("Current State = Game"));
    EXPECT_GT(m_client.RecvSizes().size(), 2u) << "two frames, in several pieces";
}

TEST_F(SimE2e, CoalescedFramesComeInOneSegment) {
    LogIn(m_client);
    ASSERT_EQ(m_sim.Control("coalesce on"), "ok coalesce on");
    m_client.RecvSizes().clear();
    ASSERT_TRUE(m_client.SendRaw(*EncodeCommandFrame("get gamestate") +
                                 *EncodeCommandFrame("chat send together")));
    const auto first = m_client.ReadFrame();
    const auto second = m_client.ReadFrame();
    ASSERT_EQ(first.kind, RatClient::Kind::Frame);
    ASSERT_EQ(second.kind, RatClient::Kind::Frame);
    EXPECT_THAT(first.text, HasSubstr("Current State = Game"));
    EXPECT_EQ(second.text, "Chat sent.");
    ASSERT_EQ(m_client.RecvSizes().size(), 1u);
    EXPECT_EQ(m_client.RecvSizes()[0], first.text.size() + second.text.size() + 18);
}

TEST_F(SimE2e, BadHeadersBothWays) {
    LogIn(m_client);
    ASSERT_EQ(m_sim.Control("badheader"), "ok badheader");
    EXPECT_EQ(m_client.ReadFrame().kind, RatClient::Kind::Broken);

    LogIn(m_client);
    ASSERT_TRUE(m_client.SendRaw(std::string("\x00\x00\x0D\x0A\x03\x00\x00\x00", 8)));
    EXPECT_EQ(m_client.ReadFrame().kind, RatClient::Kind::Closed);
    EXPECT_TRUE(m_sim.WaitForLine("broken header"));
}

TEST_F(SimE2e, ASecondConnectionWaitsForTheFirst) {
    LogIn(m_client);
    RatClient second;
    ASSERT_EQ(second.Connect(m_sim.Port()), 0);
    ASSERT_TRUE(m_sim.WaitForLine("waits: another admin is connected"));
    EXPECT_EQ(second.ReadFrame(200ms).kind, RatClient::Kind::Timeout);
    m_client.Close();
    const auto verdict = second.Login("admin", "secret");
    ASSERT_TRUE(verdict);
    EXPECT_THAT(*verdict, Not(StartsWith("User")));
}

TEST(SimE2eStart, StartOptionsSwitchFaultsOnAndTheDefaultAccountLogsIn) {
    SimProcess sim(TAVRIN_SIM_PATH, {"--control-port", "0", "--menu", "--refuse", "60"});
    ASSERT_GT(sim.Port(), 0);
    RatClient client;
    EXPECT_EQ(client.Connect(sim.Port()), ECONNREFUSED);
    ASSERT_EQ(sim.Control("refuse 0"), "ok refuse 0");
    ASSERT_EQ(client.Connect(sim.Port()), 0);
    const auto verdict = client.Login("username", "pinecode");
    ASSERT_TRUE(verdict);
    EXPECT_THAT(*verdict, Not(StartsWith("User")));
    EXPECT_THAT(client.Command("get gamestate"), HasSubstr("Current State = Menu"));
}

TEST_F(SimE2e, PushIgnoreAndBigReply) {
    EXPECT_EQ(m_sim.Control("push too early"), "error: no admin logged in");
    LogIn(m_client);
    ASSERT_EQ(m_sim.Control(R"(push Chat sent.\r\n\x01)"), "ok push (13 bytes)");
    const auto pushed = m_client.ReadFrame();
    ASSERT_EQ(pushed.kind, RatClient::Kind::Frame);
    EXPECT_EQ(pushed.text, "Chat sent.\r\n\x01");
    EXPECT_TRUE(m_sim.WaitForLine(R"(push: Chat sent.\x0D\x0A\x01)"));

    ASSERT_EQ(m_sim.Control("ignore"), "ok ignore 1");
    ASSERT_TRUE(m_client.SendCommand("player list"));
    EXPECT_THAT(m_client.Command("get gamestate"), HasSubstr("Current State = Game"))
        << "the player list got no reply";
    EXPECT_TRUE(m_sim.WaitForLine("ignore: command dropped"));

    ASSERT_EQ(m_sim.Control("bigreply 60000"), "ok bigreply 60000");
    const std::string big = m_client.Command("chat send hi");
    EXPECT_EQ(big.size(), 60000u);
    EXPECT_THAT(big, StartsWith("Chat sent.\n..."));
    ASSERT_EQ(m_sim.Control("bigreply 0"), "ok bigreply 0");
    EXPECT_EQ(m_client.Command("chat send hi"), "Chat sent.");
}

TEST_F(SimE2e, HostileBytesPassWholeBothWays) {
    LogIn(m_client);
    ASSERT_THAT(m_sim.Control(R"(say Mal\tlory hi\r\nAdmin: fake)"),
                StartsWith(R"(ok say Mal\x09lory (id )"));
    EXPECT_THAT(m_client.Command("chat get"), HasSubstr("Mal\tlory: hi\r\nAdmin: fake\r\n"));
    EXPECT_THAT(m_client.Command("player list"), HasSubstr("\nMal\tlory\t"));
    // What an admin sends arrives as it was sent, and the log shows each byte.
    EXPECT_EQ(m_client.Command("chat send a\rb\\c"), "Chat sent.");
    EXPECT_TRUE(m_sim.WaitForLine(R"(cmd: chat send a\x0Db\\c)"));
}

TEST_F(SimE2e, FloodStreamsUnaskedFramesUntilItStops) {
    LogIn(m_client);
    ASSERT_EQ(m_sim.Control("flood 1000"), "ok flood 1000");
    for (int i = 1; i <= 1000; ++i) {
        const auto r = m_client.ReadFrame();
        ASSERT_EQ(r.kind, RatClient::Kind::Frame) << i;
        ASSERT_EQ(r.text, "flood " + std::to_string(i));
    }
    EXPECT_EQ(m_client.ReadFrame(200ms).kind, RatClient::Kind::Timeout) << "a counted flood ends";
    EXPECT_TRUE(m_sim.WaitForLine("flood: 1000 frames sent"));

    // Big frames keep what is on its way after "flood off" short to read.
    ASSERT_EQ(m_sim.Control("bigreply 20000"), "ok bigreply 20000");
    ASSERT_EQ(m_sim.Control("flood on Chat sent."), "ok flood on");
    for (int i = 0; i < 50; ++i) ASSERT_THAT(m_client.ReadFrame().text, StartsWith("Chat sent.\n"));
    ASSERT_EQ(m_sim.Control("flood off"), "ok flood off");
    for (int drained = 0; m_client.ReadFrame(300ms).kind == RatClient::Kind::Frame; ++drained)
        ASSERT_LT(drained, 100000) << "the flood goes on after flood off";
    ASSERT_EQ(m_sim.Control("bigreply 0"), "ok bigreply 0");
    EXPECT_THAT(m_client.Command("player list"), HasSubstr("PING"));
}

// The limits that keep one client from holding the sim, made small.
class SimE2eLimits : public ::testing::Test {
  protected:
    void Start(std::vector<std::string> limits) {
        limits.insert(limits.end(), {"--control-port", "0", "--tick-ms", "0"});
        m_sim = std::make_unique<SimProcess>(TAVRIN_SIM_PATH, limits);
        ASSERT_GT(m_sim->Port(), 0);
        ASSERT_GT(m_sim->ControlPort(), 0);
    }
    void LogIn(RatClient& client) {
        ASSERT_EQ(client.Connect(m_sim->Port()), 0);
        LogInConnected(client);
    }
    // Logs in a client that is connected already, once its turn comes.
    void LogInConnected(RatClient& client) {
        const auto verdict = client.Login("username", "pinecode");
        ASSERT_TRUE(verdict);
        ASSERT_THAT(*verdict, Not(StartsWith("User")));
    }
    // Connects `client` and waits until the sim has put it in line.
    void Wait(RatClient& client) {
        const size_t from = m_sim->LineCount();
        ASSERT_EQ(client.Connect(m_sim->Port()), 0);
        ASSERT_TRUE(m_sim->FindLine("waits: another admin is connected", from));
    }

    std::unique_ptr<SimProcess> m_sim;
};

TEST_F(SimE2eLimits, AConnectionThatDoesNotLogInInTimeIsClosed) {
    Start({"--login-timeout-ms", "200"});
    RatClient silent;
    ASSERT_EQ(silent.Connect(m_sim->Port()), 0);
    EXPECT_EQ(silent.ReadFrame().kind, RatClient::Kind::Frame) << "the greeting";
    EXPECT_EQ(silent.ReadFrame().kind, RatClient::Kind::Closed);
    EXPECT_TRUE(m_sim->WaitForLine("login timeout after 200 ms, closing connection"));

    RatClient admin;
    LogIn(admin);
    std::this_thread::sleep_for(400ms);
    EXPECT_THAT(admin.Command("get gamestate"), HasSubstr("Current State"))
        << "a logged-in admin is past the login time";
}

TEST_F(SimE2eLimits, TheWaitingLineIsBounded) {
    for (int limit : {0, 2}) {
        SCOPED_TRACE("--max-waiting " + std::to_string(limit));
        Start({"--max-waiting", std::to_string(limit)});
        RatClient admin;
        LogIn(admin);
        std::vector<RatClient> line(static_cast<size_t>(limit));
        for (auto& client : line) Wait(client);
        RatClient late;
        ASSERT_EQ(late.Connect(m_sim->Port()), 0);
        EXPECT_EQ(late.ReadFrame().kind, RatClient::Kind::Closed);
        EXPECT_TRUE(
            m_sim->WaitForLine("refused: " + std::to_string(limit) + " connections wait already"));
        EXPECT_THAT(m_sim->Control("status"),
                    HasSubstr("logged in, waiting " + std::to_string(limit)));
        if (limit > 0) {
            admin.Close();
            LogInConnected(line[0]);  // those in line still get their turn
        }
    }
}

TEST_F(SimE2eLimits, ASilentAdminYieldsTheSlotOnlyToAWaitingOne) {
    Start({"--idle-timeout-ms", "400"});
    RatClient first, second, third;
    LogIn(first);
    std::this_thread::sleep_for(600ms);
    EXPECT_THAT(m_sim->Control("status"), HasSubstr("connection logged in"))
        << "with nobody waiting a silent admin stays";
    // One who comes to a silent admin gets the slot at once.
    ASSERT_EQ(second.Connect(m_sim->Port()), 0);
    EXPECT_EQ(first.ReadFrame().kind, RatClient::Kind::Closed);
    EXPECT_TRUE(m_sim->WaitForLine("admin silent for 400 ms while another connection waits"));
    LogInConnected(second);

    // An admin who keeps talking keeps the slot; once silent, it yields.
    Wait(third);
    for (int i = 0; i < 6; ++i) {
        std::this_thread::sleep_for(100ms);
        ASSERT_THAT(second.Command("get gamestate"), HasSubstr("Current State")) << i;
    }
    EXPECT_EQ(second.ReadFrame().kind, RatClient::Kind::Closed);
    LogInConnected(third);
}

TEST_F(SimE2eLimits, AnAdminThatDoesNotReadIsDropped) {
    Start({"--max-output-bytes", "65536"});
    RatClient lazy;
    LogIn(lazy);
    ASSERT_EQ(m_sim->Control("bigreply 60000"), "ok bigreply 60000");
    // Commands whose replies are never read fill the system's buffers, then
    // the sim's queue.
    for (int i = 0; i < 5000 && lazy.SendCommand("player list"); ++i)
        if (i % 100 == 99 && m_sim->FindLine("does not read", 0, 0ms)) break;
    EXPECT_TRUE(m_sim->WaitForLine("output queue above 65536 bytes: the admin does not read"));
    EXPECT_THAT(m_sim->Control("status"), HasSubstr("connection none"));
    RatClient next;
    LogIn(next);
}

TEST_F(SimE2eLimits, AFloodWaitsForAClientThatDoesNotRead) {
    Start({"--max-output-bytes", "65536"});
    RatClient admin;
    LogIn(admin);
    // Frames near the bound: a flood that did not wait for the socket would
    // pass it at once.
    ASSERT_EQ(m_sim->Control("bigreply 60000"), "ok bigreply 60000");
    ASSERT_EQ(m_sim->Control("flood on"), "ok flood on");
    ASSERT_TRUE(m_sim->WaitForLine("flood: streaming unasked frames"));
    std::this_thread::sleep_for(300ms);
    EXPECT_THAT(m_sim->Control("status"), HasSubstr("connection logged in"));
    EXPECT_FALSE(m_sim->FindLine("does not read", 0, 0ms));
    for (int i = 1; i <= 100; ++i) {
        const auto r = admin.ReadFrame();
        ASSERT_EQ(r.kind, RatClient::Kind::Frame) << i;
        ASSERT_EQ(r.text.size(), 60000u);
        ASSERT_THAT(r.text, StartsWith("flood " + std::to_string(i) + "\n"));
    }
}

}  // namespace
}  // namespace tavrin::testing
