// The canned replies of a DebugMode build. Start-up asks for them only in
// such a build; the loader itself is tested here whatever the build.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/console.h"
#include "common/build_flags.h"
#include "support/fakes.h"
#include "support/quiet_console_observer.h"
#include "support/temp_dir.h"
#include "support/virtual_host.h"

namespace tavrin {
namespace {

struct DebugDataFixture : ::testing::Test, WorkerInfoSource, testing::QuietConsoleObserver {
    testing::TempDir dir;
    ManualClock clock{{2026, 3, 7, 9, 5, 3}};
    testing::VirtualHost host;
    testing::ScriptedDialogs dialogs;
    std::unique_ptr<Console> console;
    std::vector<std::string> lines;

    WorkerInfo CurrentWorkerInfo() const override { return {}; }
    void EventLineWritten(const std::string& l) override { lines.push_back(l); }

    void SetUp() override {
        // A DebugMode start-up asks too; there, every answer is No.
        dialogs.yesNoAnswers = {false, false, false};
        console = std::make_unique<Console>(dir.Path(), host, dialogs, clock, *this, *this);
        host.session = &console->Session();
        host.clock = &clock;
        console->Initialise();
        console->OnTimer(TimerId::Startup);
        std::filesystem::create_directories(dir.File("DebugData"));
    }
    void Write(const std::string& name, const std::string& text) {
        std::ofstream(dir.File("DebugData/" + name), std::ios::binary) << text;
    }
    std::string F(Field f) { return console->Session().FieldText(f); }
};

const std::vector<std::string> kQuestions = {"Load Player List?", "Load Mission List?",
                                             "Simulate request timeout"};

TEST_F(DebugDataFixture, StartUpAsksOnlyInADebugModeBuild) {
    EXPECT_EQ(dialogs.questions, kDebugMode ? kQuestions : std::vector<std::string>{});
}

TEST_F(DebugDataFixture, YesLoadsEachFileThatIsThere) {
    Write("playerlist.cfg",
          "NAME\t#\tTEAM\tClass\tKills\tDeaths\tPING\nHost\t0\t1\t8\t0\t0\t0\n"
          "Ann\t1\t1\t5\t3\t1\t40\nBo\t2\t2\t6\t0\t2\t55\nCy\t3\t2\t7\t1\t1\t60\n");
    Write("cyclelist.cfg", "0: <CURRENT MISSION> <> irene.bms\n1: <> <NEXT MISSION> hill.npz\n");
    // allmissions.cfg is missing: skipped without a word.
    dialogs.questions.clear();
    dialogs.yesNoAnswers = {true, true, false};
    console->LoadDebugData();

    EXPECT_EQ(dialogs.questions, kQuestions);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(F(Field::TabPlayers), "3 / 1 / 2");
    EXPECT_NE(F(Field::TabMission).find("irene"), std::string::npos) << F(Field::TabMission);
    EXPECT_FALSE(host.Running(TimerId::RequestTimeout));
}

TEST_F(DebugDataFixture, NoLoadsNothingAndTheTimeoutRunsTenSecondsLater) {
    Write("playerlist.cfg", "NAME\t#\tTEAM\tClass\tKills\tDeaths\tPING\nAnn\t1\t1\t5\t3\t1\t40\n");
    dialogs.questions.clear();
    dialogs.yesNoAnswers = {false, false, true};
    console->LoadDebugData();

    EXPECT_EQ(dialogs.questions, kQuestions);
    EXPECT_EQ(F(Field::TabPlayers), "0 / 0 / 0");
    EXPECT_TRUE(console->Session().State().m_fRequestingStatus);
    host.Advance(9999);
    EXPECT_EQ(F(Field::Connection), "Not Connected");
    host.Advance(1);
    EXPECT_EQ(F(Field::Connection), "Status request timeout");
    EXPECT_EQ(F(Field::ServerMode), "Internal error W505");
}

}  // namespace
}  // namespace tavrin
