#include "chatbot/sanctions.h"

#include <gtest/gtest.h>

#include <map>

#include "chatbot/chatbot_config.h"
#include "chatbot/printers.h"
#include "support/fakes.h"

namespace tavrin {
namespace {

using Row = CShamed::Row;
using Route = PacedCommand::Route;

class SanctionsTest : public ::testing::Test {
  protected:
    // One pass; what it has the "Rat Command" field show is kept.
    void Pass() {
        for (auto& text : shamed.RunSanctionsPass()) ratCommand.push_back(std::move(text));
    }

    testing::RecordingLog log;
    testing::RecordingCommands commands;
    std::map<std::string, std::string> ids{{"Bob", "7"}, {"Ann", "3"}};
    CShamed shamed{log, commands, [this](const std::string& name) {
                       auto it = ids.find(name);
                       return it == ids.end() ? std::string() : it->second;
                   }};
    std::vector<std::string> ratCommand;
};

TEST_F(SanctionsTest, CatchesAddPointsToOneRowPerPlayer) {
    shamed.RecordCatch("Bob", 1, "W1", "bad", false);
    shamed.RecordCatch("Ann", -1, "W2", "odd", false);
    shamed.RecordCatch("Bob", 2, "W3", "worse", false);
    shamed.RecordCatch("bob", 0, "W4", "x", false);  // names are compared case-sensitively
    EXPECT_EQ(shamed.Rows(), (std::vector<Row>{{"bob", 0, "W4", "x", true},
                                               {"Ann", 0, "W2", "odd", true},
                                               {"Bob", 3, "W3", "worse", true}}));
    // One warning per player, with the last catch's text, top row first.
    Pass();
    EXPECT_EQ(commands.Texts(),
              (std::vector<std::string>{"chat send bob  Warning W4 ", "chat send Warning Ann W2 ",
                                        "chat send Bob  Warning W3 "}));
}

TEST_F(SanctionsTest, ReplayedCatchesAreListedUntickedAndLeaveTicksAlone) {
    shamed.RecordCatch("Bob", kMonitorOnly, "W", "spy", true);
    EXPECT_EQ(shamed.Rows(), (std::vector<Row>{{"Bob", 0, "W", "spy", false, true}}));
    shamed.RecordCatch("Bob", 1, "W", "bad", false);
    shamed.RecordCatch("Bob", 4, "W2", "boom", true);
    EXPECT_EQ(shamed.Rows(), (std::vector<Row>{{"Bob", 1, "W", "bad", true, false},
                                               {"Bob", 4, "W2", "boom", false, true}}));
}

// Replayed catches show who would have been caught; what a live pass warns
// or punts for comes from live catches alone, whatever order the two come in.
TEST_F(SanctionsTest, ReplayedPointsNeverReachALivePass) {
    shamed.RecordCatch("Bob", 3, "OLD", "old", true);
    shamed.RecordCatch("Bob", 1, "W", "bad", false);
    shamed.RecordCatch("Bob", 4, "OLD2", "older", true);
    Pass();
    EXPECT_EQ(commands.Texts(), std::vector<std::string>{"chat send Bob  Warning W "});
    EXPECT_EQ(ratCommand, std::vector<std::string>{"Warning Bob W bad"});
    EXPECT_EQ(shamed.Rows(), (std::vector<Row>{{"Bob", 1, "W", "bad", false, false},
                                               {"Bob", 7, "OLD2", "older", false, true}}));
    // The live row punts on its own points and leaves the replayed row listed.
    shamed.RecordCatch("Bob", 3, "W3", "worse", false);
    Pass();
    EXPECT_EQ(commands.Texts().back(), "chat send Bob punted");
    EXPECT_EQ(ratCommand.back(), "Punt Bob [worse]");
    EXPECT_EQ(shamed.Rows(), (std::vector<Row>{{"Bob", 7, "OLD2", "older", false, true}}));
    shamed.ZeroList();
    EXPECT_EQ(shamed.Rows()[0].puntPts, 0);
}

TEST_F(SanctionsTest, PuntAboveThreePoints) {
    shamed.RecordCatch("Bob", 4, "BYE", "boom", false);
    Pass();
    EXPECT_TRUE(shamed.Rows().empty());
    EXPECT_EQ(commands.commands,
              (std::vector<PacedCommand>{{"player punt 7", 0, Route::Direct},
                                         {"chat send Bob punted", 250, Route::Direct}}));
    EXPECT_EQ(log.lines, std::vector<std::string>{"ChatBot Punt (7) Bob Last Catch = BYE boom"});
    EXPECT_EQ(ratCommand, std::vector<std::string>{"Punt Bob [boom]"});
}

TEST_F(SanctionsTest, ThreePointsWarnFourPunt) {
    const std::pair<int, const char*> cases[] = {{3, "chat send "}, {4, "player punt "}};
    for (const auto& [points, start] : cases) {
        commands.commands.clear();
        shamed.ClearList();
        shamed.RecordCatch("Bob", points, "W", "w", false);
        Pass();
        ASSERT_FALSE(commands.commands.empty()) << points;
        EXPECT_EQ(commands.commands[0].text.rfind(start, 0), 0u) << points;
    }
}

TEST_F(SanctionsTest, WarningsAlternateTheirWording) {
    shamed.RecordCatch("Bob", 1, "NO SWEARING", "bad", false);
    shamed.RecordCatch("Ann", 0, "BE NICE", "meh", false);
    Pass();
    shamed.RecordCatch("Bob", 1, "NO SWEARING", "bad", false);
    Pass();
    EXPECT_EQ(commands.commands, (std::vector<PacedCommand>{
                                     {"chat send Ann  Warning BE NICE ", 450, Route::Direct},
                                     {"chat send Warning Bob NO SWEARING ", 450, Route::Direct},
                                     {"chat send Bob  Warning NO SWEARING ", 450, Route::Direct},
                                 }));
    EXPECT_EQ(log.lines, (std::vector<std::string>{"ChatBot Warning Ann BE NICE meh",
                                                   "ChatBot Warning Bob NO SWEARING bad",
                                                   "ChatBot Warning Bob NO SWEARING bad"}));
    EXPECT_EQ(ratCommand,
              (std::vector<std::string>{"Warning Ann BE NICE meh", "Warning Bob NO SWEARING bad",
                                        "Warning Bob NO SWEARING bad"}));
    for (const auto& row : shamed.Rows()) EXPECT_FALSE(row.ticked) << row.player;
    EXPECT_EQ(shamed.Rows().size(), 2u);
}

TEST_F(SanctionsTest, PuntWithoutAnIdIsAbortedAndTheRowDropped) {
    shamed.RecordCatch("Bob", 1, "W", "bad", false);
    shamed.RecordCatch("bob", 4, "BYE", "boom", false);  // not in the player list as written
    shamed.RecordCatch("Zed", 4, "BYE", "boom", false);
    Pass();
    EXPECT_EQ(log.lines, (std::vector<std::string>{"ChatBot Punt Aborted - No ID for player: Zed",
                                                   "ChatBot Punt Aborted - No ID for player: bob",
                                                   "ChatBot Warning Bob W bad"}));
    // Rows deleted during the pass do not end it early.
    EXPECT_EQ(shamed.Rows(), (std::vector<Row>{{"Bob", 1, "W", "bad", false}}));
    EXPECT_EQ(commands.Texts(), std::vector<std::string>{"chat send Bob  Warning W "});
    // An aborted punt shows nothing: no command names the player.
    EXPECT_EQ(ratCommand, std::vector<std::string>{"Warning Bob W bad"});
}

TEST_F(SanctionsTest, ThePassTellsWhichPuntsAndWarningsItTook) {
    using Taken = CShamed::Taken;
    shamed.RecordCatch("Ann", 2, "MIND", "darn", false);
    shamed.RecordCatch("Bob", 4, "BYE", "boom", false);
    shamed.RecordCatch("Zed", 4, "BYE", "boom", false);  // no id: no punt taken
    Pass();
    EXPECT_EQ(shamed.TakeSanctionsTaken(),
              (std::vector<Taken>{{true, "Bob", "BYE boom"}, {false, "Ann", "MIND darn"}}));
    EXPECT_TRUE(shamed.TakeSanctionsTaken().empty());
}

TEST_F(SanctionsTest, PausesFollowTheCommandTheyComeAfter) {
    shamed.RecordCatch("Ann", 0, "W", "a", false);
    shamed.RecordCatch("Zed", 9, "W", "z", false);
    shamed.RecordCatch("Bob", 9, "W", "b", false);
    Pass();
    // Bob punted, Zed aborted (100 + 250 after Bob's chat line), Ann warned.
    EXPECT_EQ(commands.commands,
              (std::vector<PacedCommand>{{"player punt 7", 0, Route::Direct},
                                         {"chat send Bob punted", 250 + 100 + 250, Route::Direct},
                                         {"chat send Ann  Warning W ", 450, Route::Direct}}));
}

TEST_F(SanctionsTest, ZeroListTurnsAPuntIntoAWarning) {
    shamed.RecordCatch("Bob", 5, "W", "bad", false);
    shamed.ZeroList();
    EXPECT_EQ(shamed.Rows(), (std::vector<Row>{{"Bob", 0, "W", "bad", true}}));
    Pass();
    EXPECT_EQ(commands.Texts(), std::vector<std::string>{"chat send Bob  Warning W "});
}

TEST_F(SanctionsTest, UntickedRowsWaitAndClearListEmpties) {
    shamed.RecordCatch("Bob", 2, "W", "bad", true);
    Pass();
    EXPECT_TRUE(commands.commands.empty());
    EXPECT_TRUE(log.lines.empty());
    shamed.ClearList();
    EXPECT_TRUE(shamed.Rows().empty());
}

TEST_F(SanctionsTest, WindowShowsAndHides) {
    EXPECT_FALSE(shamed.Visible());
    shamed.Show();
    EXPECT_TRUE(shamed.Visible());
    shamed.RecordCatch("Bob", 2, "W", "bad", false);
    shamed.Ok();
    EXPECT_FALSE(shamed.Visible());
    EXPECT_EQ(shamed.Rows().size(), 1u);
}

}  // namespace
}  // namespace tavrin
