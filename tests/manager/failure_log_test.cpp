#include "manager/failure_log.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "manager_fixture.h"

namespace tavrin {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::SizeIs;

// One minute of failed logins: how many, from how many addresses.
struct Minute {
    size_t failures;
    size_t addresses;
};
// What the log made of it.
struct Told {
    size_t inFull;
    std::vector<std::string> summary;
    bool timerGoesOn;  // the next minute is timed at once
};

TEST(FailureLog, TheFirstLinesInFullThenOneSummaryAMinute) {
    const struct {
        const char* what;
        std::vector<Minute> minutes;
        std::vector<Told> told;
    } cases[] = {
        {"a few", {{3, 2}}, {{3, {}, false}}},
        {"as many as are logged in full", {{10, 10}}, {{10, {}, false}}},
        {"a flood",
         {{312, 97}},
         {{10, {"312 failed logins from 97 addresses in the last minute"}, true}}},
        {"a flood that goes on is told by its summary alone",
         {{312, 97}, {50, 1}},
         {{10, {"312 failed logins from 97 addresses in the last minute"}, true},
          {0, {"50 failed logins from 1 address in the last minute"}, true}}},
        {"a quiet minute brings the lines in full back",
         {{11, 1}, {0, 0}, {3, 1}},
         {{10, {"11 failed logins from 1 address in the last minute"}, true},
          {0, {}, false},
          {3, {}, false}}},
    };
    for (const auto& c : cases) {
        FailureLog log;
        for (size_t m = 0; m < c.minutes.size(); ++m) {
            size_t inFull = 0;
            size_t timerStarts = 0;
            for (size_t i = 0; i < c.minutes[m].failures; ++i) {
                const auto d = log.Record(FailureKind::FailedLogin,
                                          "10.1.0." + std::to_string(i % c.minutes[m].addresses));
                inFull += d.logInFull ? 1 : 0;
                timerStarts += d.startTimer ? 1 : 0;
            }
            // The minute is timed from its first failure, unless it already runs.
            const bool timed = m > 0 && c.told[m - 1].timerGoesOn;
            EXPECT_EQ(timerStarts, !timed && c.minutes[m].failures > 0 ? 1u : 0u)
                << c.what << ", minute " << m;
            const FailureLog::Summary s = log.MinuteOver();
            EXPECT_EQ(inFull, c.told[m].inFull) << c.what << ", minute " << m;
            EXPECT_EQ(s.lines, c.told[m].summary) << c.what << ", minute " << m;
            EXPECT_EQ(s.startTimer, c.told[m].timerGoesOn) << c.what << ", minute " << m;
        }
    }
}

TEST(FailureLog, EachKindCountsApart) {
    FailureLog log;
    for (int i = 0; i < 40; ++i) log.Record(FailureKind::RefusedConnection, "10.6.6.6");
    // A flood of one kind does not hush another.
    EXPECT_TRUE(log.Record(FailureKind::FailedLogin, "10.0.0.1").logInFull);
    EXPECT_EQ(log.Count(FailureKind::RefusedConnection), 40u);
    EXPECT_THAT(log.MinuteOver().lines,
                ElementsAre("40 refused connections from 1 address in the last minute"));
    EXPECT_EQ(FailureLog::SummaryLine(FailureKind::AddressRefused, 12, 12),
              "12 addresses refused after failed logins in the last minute");
    EXPECT_EQ(FailureLog::SummaryLine(FailureKind::ClosedBeforeLogin, 20000, 16384, true),
              "20000 connections closed before login from at least 16384 addresses in the "
              "last minute");
}

AdminAccount Ann() {
    AdminAccount a;
    a.user = "ann";
    a.pass = "secret";
    a.rights = "3FFF";
    return a;
}

// The manager with the log's minute run by the shell in virtual time.
TEST(ManagerFailureLog, FailedLoginsFromManyAddressesAreCountedAndSummedUp) {
    CAdmins admins({Ann()});
    testing::VirtualShell shell{admins};
    for (int i = 0; i < 312; ++i) {
        const ConnectionId id = shell.Connect("10.1.0." + std::to_string(i % 97));
        shell.Frames(id, {i % 2 ? "nobody" : "ann", "wrong"});
        shell.Advance(150);
    }
    EXPECT_TRUE(shell.open.empty());
    EXPECT_THAT(shell.LogsContaining("Admin login refused"), SizeIs(kFailuresLoggedInFull));
    EXPECT_THAT(shell.LogsContaining("in the last minute"), IsEmpty());
    shell.Advance(60'000 - shell.NowMs());
    EXPECT_THAT(shell.LogsContaining("in the last minute"),
                ElementsAre("312 failed logins from 97 addresses in the last minute"));
    // Quiet from then on: no more lines, and the next failure is told in full.
    shell.Advance(10 * 60'000);
    EXPECT_THAT(shell.LogsContaining("in the last minute"), SizeIs(1));
    shell.Frames(shell.Connect("10.2.0.1"), {"nobody"});
    EXPECT_THAT(shell.LogsContaining("Admin login refused"), SizeIs(kFailuresLoggedInFull + 1));
}

TEST(ManagerFailureLog, ClosingSumsUpTheMinuteSoFar) {
    CAdmins admins({Ann()});
    testing::VirtualShell shell{admins};
    for (int i = 0; i < 30; ++i) shell.Frames(shell.Connect("10.1.1." + std::to_string(i)), {"x"});
    const AdminEffects effects = shell.manager.SumUpFailures();
    EXPECT_THAT(effects, ElementsAre(AdminEffect{AdminLogLine{
                             "30 failed logins from 30 addresses in the last minute"}}));
}

}  // namespace
}  // namespace tavrin
