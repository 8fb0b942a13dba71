// The real tavrinrat-sim over loopback: login, every command, and the faults.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
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

}  // namespace
}  // namespace tavrin::testing
