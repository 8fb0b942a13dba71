#include <algorithm>
#include <ctime>

#include "e2e/console_e2e_fixture.h"
#include "history/qt/history_store.h"

namespace tavrin::testing {
namespace {

using namespace std::chrono_literals;
using ::testing::StartsWith;

// The commands the sim received that begin with `prefix`, with their stamps.
std::vector<LoggedCommand> Received(SimProcess& sim, std::string_view prefix) {
    std::vector<LoggedCommand> out;
    for (const LoggedCommand& c : SimCommands(sim.Lines(), 0))
        if (c.text.rfind(prefix, 0) == 0) out.push_back(c);
    return out;
}

// The rules of schedule.cfg against the simulated server: a timed message at
// its period, a welcome for the one player who joins, and a command on a
// mission change (the join's second rule cycles the mission).
TEST_F(ConsoleE2e, ScheduledRulesSendTheirCommandsToTheGame) {
    StartSim();
    ::mkdir(m_dir.File("Configs").c_str(), 0700);
    WriteFile(m_dir.File("Configs/schedule.cfg"),
              "# test rules\r\n"
              "EVERY 5 chat send Rules apply\r\n"
              "ON JOIN chat send Welcome {name}\r\n"
              "ON JOIN mission cycle\r\n"
              "ON MISSION chat send Now playing {mission}\r\n"
              "ON SOMETHING chat send never\r\n");
    StartConsole();
    ASSERT_NO_FATAL_FAILURE(WaitLoggedIn());
    EXPECT_TRUE(ConsoleSaid("schedule.cfg line 6: ON wants JOIN, MISSION or OFFENDER: skipped"))
        << Transcript();

    // The timed rule: sent, logged, the first one its period after the
    // login (a busy machine may make a tick, and so a send, late; never early).
    const auto verdict = m_sim->FindLine("login accepted", 0, 1s);
    ASSERT_TRUE(verdict);
    ASSERT_TRUE(m_sim->FindLine("cmd: chat send Rules apply", 0, 30s)) << Transcript();
    const auto first = m_sim->FindLine("cmd: chat send Rules apply", 0, 1s);
    ASSERT_TRUE(m_sim->FindLine("cmd: chat send Rules apply", *first + 1, 30s)) << Transcript();
    EXPECT_GE(SimStampMs(m_sim->Line(*first)) - SimStampMs(m_sim->Line(*verdict)), 4900)
        << Transcript();
    EXPECT_TRUE(m_console->WaitForPart("Scheduled: chat send Rules apply", 0, 5s)) << Transcript();
    EXPECT_TRUE(Received(*m_sim, "chat send Welcome").empty()) << "players present at login";

    // One player joins: one welcome, by name, however many lists show him.
    ASSERT_THAT(m_sim->Control("say Newbie hello"), StartsWith("ok say Newbie"));
    ASSERT_TRUE(m_sim->FindLine("cmd: chat send Welcome Newbie", 0, 60s)) << Transcript();
    const size_t welcomed = m_sim->Lines().size();
    // The mission the join cycled to is announced.
    ASSERT_TRUE(m_sim->FindLine("cmd: chat send Now playing ", 0, 60s)) << Transcript();
    // Two more player lists after the welcome: still one.
    ASSERT_TRUE(m_sim->FindLine("cmd: player list", welcomed, 30s));
    const auto next = m_sim->FindLine("cmd: player list", welcomed, 1s);
    ASSERT_TRUE(m_sim->FindLine("cmd: player list", *next + 1, 30s));
    EXPECT_EQ(Received(*m_sim, "chat send Welcome").size(), 1u) << SimLog();
    EXPECT_EQ(Received(*m_sim, "mission cycle").size(), 1u) << SimLog();
    ASSERT_NO_FATAL_FAILURE(ExpectCleanExitOn(SIGTERM));
}

// A player whose history holds punts joins: the offender rule reads the
// history and warns the admins by name; a player without any is left alone.
TEST_F(ConsoleE2e, TheOffenderRuleReadsTheHistoryOfWhoJoins) {
    StartSim();
    ::mkdir(m_dir.File("Configs").c_str(), 0700);
    {
        HistoryStore store(DefaultHistoryTarget(m_dir.Path()));
        ASSERT_TRUE(store.Open().ok());
        // A day ago: well inside the history's retention.
        const int64_t past = static_cast<int64_t>(std::time(nullptr)) - 86400;
        ASSERT_FALSE(store
                         .Write({SanctionRecord{past, "Sim", "Mallory", SanctionAction::Punt,
                                                "spam", "console"},
                                 SanctionRecord{past + 60, "Other", "Mallory", SanctionAction::Ban,
                                                "spam", "chatbot"},
                                 SanctionRecord{past, "Sim", "Trent", SanctionAction::Warn,
                                                "language", "chatbot"}})
                         .has_value());
    }
    WriteFile(m_dir.File("Configs/schedule.cfg"),
              "ON OFFENDER 2 chat send Admins: {name} has {punts} punts or bans\r\n");
    StartConsole();
    ASSERT_NO_FATAL_FAILURE(WaitLoggedIn());
    ASSERT_THAT(m_sim->Control("say Trent hi"), StartsWith("ok say Trent"));
    ASSERT_THAT(m_sim->Control("say Mallory hi"), StartsWith("ok say Mallory"));
    ASSERT_TRUE(m_sim->FindLine("cmd: chat send Admins: Mallory has 2 punts or bans", 0, 60s))
        << Transcript();
    EXPECT_TRUE(m_console->WaitForPart("Known offender joined: Mallory (2 punts or bans", 0, 5s))
        << Transcript();
    EXPECT_EQ(Received(*m_sim, "chat send Admins:").size(), 1u) << SimLog();
    ASSERT_NO_FATAL_FAILURE(ExpectCleanExitOn(SIGTERM));
}

}  // namespace
}  // namespace tavrin::testing
