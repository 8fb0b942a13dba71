#include "players/admin_actions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/fakes.h"

namespace tavrin {
namespace {

using Texts = std::vector<std::string>;
using testing::RecordingCommands;
using testing::ScriptedDialogs;

const std::string kHeader = "NAME\t#\tTEAM\tClass\tKills\tDeaths\tPING\n";
// With the host shown: row 0 is the host (id 0), row 1 Bob (id 7).
const std::string kReply = kHeader + "Host\t0\t1\t8\t0\t0\t0\n" + "Bob\t7\t2\t9\t1\t7\t120\n";

// The Players tab with a parsed list, the host shown.
class AdminActionsTest : public ::testing::Test {
  protected:
    AdminActionsTest() {
        players.ToggleShowHost(true);
        players.ParsePlayerList(kReply);
    }

    // Right click on `row` and choose `line` from the menu.
    void Choose(int row, const std::string& line) {
        actions.OnPlayerRightClick(row, [this, line] {
            ++menusShown;
            return line;
        });
    }

    PlayerList players;
    RecordingCommands commands;
    ScriptedDialogs dialogs;
    AdminActions actions{players, commands, dialogs};
    int menusShown = 0;
};

TEST(ActionWord, LowerCasedWithTheServersOwnWords) {
    const std::pair<std::string, std::string> cases[] = {
        {"Punt", " punt "},          {"PUNT", " punt "},         {"Ban", " ban "},
        {"Kill", " kill "},          {"Swap", " swapteam "},     {"Zero", " zeroscore "},
        {"Warn", " warn "},          {"Mute", " mute "},         {"SwapZero", " zeroscore "},
        {"ZeroSwap", " zeroscore "}, {"WarnSwap", " warnswap "}, {"", "  "},
    };
    for (const auto& [kind, word] : cases) EXPECT_EQ(ActionWord(kind), word) << kind;
}

TEST_F(AdminActionsTest, MenuLineBecomesCommandsInOrder) {
    const std::pair<std::string, Texts> cases[] = {
        {"Punt\\KICKED FOR TEAM-KILLING",
         {"player punt 7 ", "chat send Bob  > KICKED FOR TEAM-KILLING"}},
        {"PUNT\\X", {"player punt 7 ", "chat send Bob  > X"}},
        {"Ban\\BANNED - SUSPECTED CHEAT",
         {"player ban 7 ", "chat send Bob  > BANNED - SUSPECTED CHEAT"}},
        {"Kill\\KILLED FOR SPAWNCAMPING",
         {"player kill 7 ", "chat send Bob  > KILLED FOR SPAWNCAMPING"}},
        {"Swap\\SWAPPED FOR MATCHPLAY",
         {"player swapteam 7 ", "chat send Bob  > SWAPPED FOR MATCHPLAY"}},
        {"Zero\\ZEROED FOR SCORE PADDING",
         {"player zeroscore 7 ", "chat send Bob  > ZEROED FOR SCORE PADDING"}},
        {"Mute\\QUIET", {"player mute 7 ", "chat send Bob  > QUIET"}},
        {"Warn\\DO NOT SPAM THE CHAT!", {"chat send Bob  > DO NOT SPAM THE CHAT!"}},
        {"Warn\\A\\B", {"chat send Bob  > A\\B"}},  // the message runs to the end
    };
    for (const auto& [line, sent] : cases) {
        commands.commands.clear();
        Choose(1, line);
        EXPECT_EQ(commands.Texts(), sent) << line;
        for (const auto& c : commands.commands) {
            EXPECT_EQ(c.pauseAfterMs, 250);
            EXPECT_EQ(c.route, PacedCommand::Route::Request);
        }
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(AdminActionsTest, ConfirmationSaysWhatYesDoesAndOnlyWarnDefaultsToYes) {
    struct Case {
        std::string line;
        std::string sentence;
        DefaultAnswer answer;
    };
    const Case cases[] = {
        {"Punt\\KICKED FOR TEAM-KILLING",
         "Punt Bob (id 7) with the message: KICKED FOR TEAM-KILLING?", DefaultAnswer::No},
        {"BAN\\CHEAT", "Ban Bob (id 7) with the message: CHEAT?", DefaultAnswer::No},
        {"Kill\\X", "Kill Bob (id 7) with the message: X?", DefaultAnswer::No},
        {"Swap\\EVEN", "Swap Bob (id 7) to the other team with the message: EVEN?",
         DefaultAnswer::No},
        {"Zero\\PAD", "Zero the score of Bob (id 7) with the message: PAD?", DefaultAnswer::No},
        {"Mute\\QUIET", "Mute Bob (id 7) with the message: QUIET?", DefaultAnswer::No},
        {"Warn\\NO SPAM", "Warn Bob (id 7) with the message: NO SPAM?", DefaultAnswer::Yes},
    };
    for (const auto& c : cases) {
        dialogs.questions.clear();
        dialogs.questionDefaults.clear();
        Choose(1, c.line);
        ASSERT_EQ(dialogs.questions.size(), 1u) << c.line;
        EXPECT_EQ(dialogs.questions[0].substr(0, dialogs.questions[0].find('\n')), c.sentence);
        EXPECT_EQ(dialogs.questionDefaults, std::vector<DefaultAnswer>{c.answer}) << c.line;
    }

    // The sentence stands above the four lines of action, message, name and id.
    dialogs.questions.clear();
    Choose(1, "Punt\\KICKED FOR TEAM-KILLING");
    EXPECT_EQ(dialogs.questions,
              Texts{"Punt Bob (id 7) with the message: KICKED FOR TEAM-KILLING?\n\n"
                    " punt \n > KICKED FOR TEAM-KILLING\nBob \n7 "});

    dialogs.yesNoAnswers = {false};
    commands.commands.clear();
    Choose(1, "Punt\\KICKED FOR TEAM-KILLING");
    EXPECT_TRUE(commands.commands.empty());
}

TEST_F(AdminActionsTest, HostCannotBePuntedOrBanned) {
    const std::pair<std::string, std::string> refused[] = {
        {"Punt\\X", "Can't punt server host"},
        {"BAN\\X", "Can't ban server host"},
    };
    for (const auto& [line, message] : refused) {
        dialogs.messages.clear();
        Choose(0, line);
        EXPECT_EQ(dialogs.messages, Texts{message});
    }
    EXPECT_TRUE(dialogs.questions.empty());
    EXPECT_TRUE(commands.commands.empty());

    const std::pair<std::string, std::string> allowed[] = {
        {"Kill\\X", "player kill 0 "},
        {"Swap\\X", "player swapteam 0 "},
        {"Zero\\X", "player zeroscore 0 "},
        {"Warn\\X", "chat send Host  > X"},
    };
    for (const auto& [line, first] : allowed) {
        commands.commands.clear();
        Choose(0, line);
        ASSERT_FALSE(commands.commands.empty()) << line;
        EXPECT_EQ(commands.commands[0].text, first);
    }
}

TEST_F(AdminActionsTest, NothingHappensWithoutARowAChoiceOrAnAction) {
    struct Case {
        const char* what;
        int row;
        std::string line;
        int menus;
        size_t messages;
    };
    const Case cases[] = {
        {"click below the last row", 2, "Punt\\X", 0, 0},
        {"click on no row", -1, "Punt\\X", 0, 0},
        {"nothing chosen", 1, "", 1, 0},
        {"line without an action", 1, "JUST TEXT", 1, 1},
    };
    for (const auto& c : cases) {
        menusShown = 0;
        dialogs.messages.clear();
        Choose(c.row, c.line);
        EXPECT_EQ(menusShown, c.menus) << c.what;
        EXPECT_EQ(dialogs.messages.size(), c.messages) << c.what;
    }
    PlayerList empty;
    AdminActions onEmpty(empty, commands, dialogs);
    onEmpty.OnPlayerRightClick(0, [this] {
        ++menusShown;
        return std::string("Punt\\X");
    });
    EXPECT_TRUE(dialogs.questions.empty());
    EXPECT_TRUE(commands.commands.empty());
}

TEST_F(AdminActionsTest, TooLongCommandIsRefusedNotCut) {
    // "chat send Bob  > " is 17 characters: a 110-character message fits exactly.
    Choose(1, "Warn\\" + std::string(110, 'M'));
    ASSERT_EQ(commands.commands.size(), 1u);
    EXPECT_EQ(commands.commands[0].text.size(), 127u);

    commands.commands.clear();
    dialogs.questions.clear();
    Choose(1, "Punt\\" + std::string(111, 'M'));
    EXPECT_TRUE(commands.commands.empty());
    EXPECT_TRUE(dialogs.questions.empty());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].find("too long"), std::string::npos);
    EXPECT_NE(dialogs.messages[0].find("chat send Bob  > MMM"), std::string::npos);
}

TEST_F(AdminActionsTest, ActsOnTheClickedPlayerWhenTheListChangesMeanwhile) {
    actions.OnPlayerRightClick(1, [this] {
        players.ParsePlayerList(kHeader + "Host\t0\t1\t8\t0\t0\t0\n" + "Amy\t2\t1\t5\t0\t0\t0\n");
        return std::string("Kill\\X");
    });
    EXPECT_EQ(commands.Texts(), (Texts{"player kill 7 ", "chat send Bob  > X"}));
}

TEST_F(AdminActionsTest, RefreshSendsPlayerList) {
    actions.RefreshPlayerList();
    EXPECT_EQ(commands.commands,
              (std::vector<PacedCommand>{{"player list", 250, PacedCommand::Route::Request}}));
}

TEST(PostCommands, PostsTheNonEmptyOnesAndRefusesOverlongOnes) {
    struct Case {
        std::string first, second;
        bool ok;
        Texts sent;
    };
    const Case cases[] = {
        {"a", "b", true, {"a", "b"}},
        {"", "b", true, {"b"}},
        {"a", "", true, {"a"}},
        {"", "", true, {}},
        {std::string(127, 'x'), "b", true, {std::string(127, 'x'), "b"}},
        {"a", std::string(128, 'x'), false, {}},  // the first never goes without the second
    };
    for (const auto& c : cases) {
        RecordingCommands sink;
        EXPECT_EQ(PostCommands(sink, c.first, c.second), c.ok) << c.first << "|" << c.second;
        EXPECT_EQ(sink.Texts(), c.sent);
    }
}

TEST(ActionResultReply, AnyOfTheResultTexts) {
    const std::pair<std::string, bool> cases[] = {
        {"Player Zeroed", true},
        {"Player Killed", true},
        {"Player Swapped", true},
        {"Player Punted", true},
        {"x Player punted x", true},
        {"Player Banned", true},
        {"Player banned", true},
        {"player punted", false},
        {"Player Kicked", false},
        {"Chat sent.", false},
        {"", false},
    };
    for (const auto& [reply, expected] : cases)
        EXPECT_EQ(IsActionResultReply(reply), expected) << reply;
}

}  // namespace
}  // namespace tavrin
