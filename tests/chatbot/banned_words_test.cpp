#include "chatbot/banned_words.h"

#include <gtest/gtest.h>

#include "chatbot/printers.h"
#include "support/fakes.h"

namespace tavrin {
namespace {

using Row = CBannedWords::WordRow;
using Warning = CBannedWords::WarningRow;

ChatBotConfig SampleConfig() {
    return {{"1\\bad\\DONT\\[1 PPts]\\3\\", "0\\worse\\STOP\\Monitor Only\\\\", "0\\x\\y\\z\\0\\"},
            {"0\\DONT\\", "1\\STOP\\", "0\\THIRD\\"},
            3};
}

std::vector<std::string> WordTexts(const CBannedWords& d) {
    std::vector<std::string> out;
    for (const auto& r : d.Words()) out.push_back(r.word);
    return out;
}

std::vector<std::string> WarningTexts(const CBannedWords& d) {
    std::vector<std::string> out;
    for (const auto& r : d.Warnings()) out.push_back((r.ticked ? "+" : "-") + r.text);
    return out;
}

class BannedWordsTest : public ::testing::Test {
  protected:
    testing::ScriptedDialogs dialogs;
    CBannedWords dialog{SampleConfig(), dialogs};
};

TEST_F(BannedWordsTest, RowsShowTheRecordFields) {
    ASSERT_EQ(dialog.Words().size(), 3u);
    EXPECT_EQ(dialog.Words()[0], (Row{true, "bad", "DONT", "[1 PPts]", "3"}));
    EXPECT_EQ(dialog.Words()[1], (Row{false, "worse", "STOP", "Monitor Only", ""}));
    EXPECT_EQ(WarningTexts(dialog), (std::vector<std::string>{"-DONT", "+STOP", "-THIRD"}));
    EXPECT_EQ(dialog.ComboSelection(), 2);
}

TEST_F(BannedWordsTest, OkRebuildsTheRecordsWithAZeroForAnEmptyCount) {
    ChatBotConfig expected = SampleConfig();
    expected.words[1] = "0\\worse\\STOP\\Monitor Only\\0\\";
    EXPECT_EQ(dialog.Ok(), expected);
}

TEST(BannedWordsEmptyTest, AnEmptyWarningListGetsTwoWarnings) {
    testing::ScriptedDialogs dialogs;
    CBannedWords dialog({{}, {}, 1}, dialogs);
    EXPECT_EQ(WarningTexts(dialog), (std::vector<std::string>{"+DO NOT USE BAD LANGUAGE",
                                                              "-DO NOT USE RASCIST LANGUAGE"}));
}

TEST_F(BannedWordsTest, NewWordTakesTheTickedWarningAndTheDefaultPenalty) {
    EXPECT_EQ(dialog.NewWord(), 3);
    EXPECT_EQ(dialog.Words()[3], (Row{false, "NEW WORD", "STOP", "[1 PPts]", "0"}));
}

TEST_F(BannedWordsTest, NewWordWithoutATickedWarningTicksTheFirst) {
    dialog.SetWarningTick(1, false);
    dialog.NewWord();
    EXPECT_EQ(dialog.Words().back().warning, "DONT");
    EXPECT_EQ(WarningTexts(dialog), (std::vector<std::string>{"+DONT", "-STOP", "-THIRD"}));
}

TEST(BannedWordsPenaltyTest, NewWordWithAnIndexOutsideTheListIsMonitorOnly) {
    for (int index : {0, 7, -1}) {
        testing::ScriptedDialogs dialogs;
        CBannedWords dialog({{}, {"1\\W\\"}, index}, dialogs);
        EXPECT_EQ(dialog.ComboSelection(), -1) << index;
        dialog.NewWord();
        EXPECT_EQ(dialog.Words().back().puntPts, "Monitor Only") << index;
    }
}

TEST_F(BannedWordsTest, WarningTicksActLikeRadioButtons) {
    dialog.SetWarningTick(2, true);
    EXPECT_EQ(WarningTexts(dialog), (std::vector<std::string>{"-DONT", "-STOP", "+THIRD"}));
    dialog.SetWarningTick(2, false);
    EXPECT_EQ(WarningTexts(dialog), (std::vector<std::string>{"-DONT", "-STOP", "-THIRD"}));
}

TEST_F(BannedWordsTest, RightClickMenus) {
    EXPECT_EQ(dialog.CellMenu(0, CBannedWords::kWarningColumn),
              (std::vector<std::string>{"DONT", "STOP", "THIRD"}));
    EXPECT_EQ(dialog.CellMenu(0, CBannedWords::kPuntPtsColumn).size(), 6u);
    for (int column :
         {CBannedWords::kTickColumn, CBannedWords::kWordColumn, CBannedWords::kFoundColumn})
        EXPECT_TRUE(dialog.CellMenu(0, column).empty()) << column;
    EXPECT_TRUE(dialog.CellMenu(3, CBannedWords::kWarningColumn).empty());

    dialog.ChooseCellMenuItem(1, CBannedWords::kWarningColumn, 2);
    EXPECT_EQ(dialog.Words()[1].warning, "THIRD");
}

TEST_F(BannedWordsTest, ChosenPenaltyBecomesTheDefaultForTheNextWord) {
    dialog.ChooseCellMenuItem(2, CBannedWords::kPuntPtsColumn, 4);
    EXPECT_EQ(dialog.Words()[2].puntPts, "[3 PPts]");
    EXPECT_EQ(dialog.DefaultPenalty(), 5);
    EXPECT_EQ(dialog.ComboSelection(), 4);
    dialog.NewWord();
    EXPECT_EQ(dialog.Words().back().puntPts, "[3 PPts]");
}

TEST_F(BannedWordsTest, ComboSetsTheDefaultAndIgnoresOutOfRange) {
    dialog.SelectCombo(5);
    EXPECT_EQ(dialog.DefaultPenalty(), 6);
    dialog.SelectCombo(6);
    EXPECT_EQ(dialog.DefaultPenalty(), 6);
    EXPECT_EQ(dialog.Ok().defaultPenalty, 6);
}

TEST_F(BannedWordsTest, OnlyAClickInTheWordColumnEditsTheWord) {
    EXPECT_TRUE(dialog.ClickWordRow(0, CBannedWords::kWordColumn));
    EXPECT_FALSE(dialog.ClickWordRow(0, CBannedWords::kWarningColumn));
    EXPECT_FALSE(dialog.ClickWordRow(-1, CBannedWords::kWordColumn));
}

struct DeleteCase {
    const char* name;
    std::vector<int> selection;
    int clicked;  // -1: no click
    std::vector<std::string> remaining;
};

TEST(BannedWordsDeleteTest, DeleteWordRows) {
    const DeleteCase cases[] = {
        {"two selected", {0, 2}, 1, {"worse"}},
        {"one selected: the clicked row goes", {1}, 0, {"worse", "x"}},
        {"nothing clicked", {}, -1, {"bad", "worse", "x"}},
        {"click on no row", {}, 7, {"bad", "worse", "x"}},
    };
    for (const auto& c : cases) {
        testing::ScriptedDialogs dialogs;
        CBannedWords dialog(SampleConfig(), dialogs);
        dialog.ClickWordRow(c.clicked, CBannedWords::kWordColumn);
        dialog.SetWordSelection(c.selection);
        dialog.DeleteWordRows();
        EXPECT_EQ(WordTexts(dialog), c.remaining) << c.name;
        // No row counts as clicked any more.
        dialog.DeleteWordRows();
        EXPECT_EQ(WordTexts(dialog), c.remaining) << c.name;
    }
}

TEST(BannedWordsDeleteTest, DeleteWarningRows) {
    const DeleteCase cases[] = {
        {"every row selected", {0, 1, 2}, 0, {"-DONT", "+STOP", "-THIRD"}},
        {"two selected, the ticked one among them", {1, 2}, -1, {"+DONT"}},
        {"clicked row", {}, 0, {"+STOP", "-THIRD"}},
        {"clicked ticked row: the first row is ticked", {2}, 1, {"+DONT", "-THIRD"}},
        {"nothing clicked", {}, -1, {"-DONT", "+STOP", "-THIRD"}},
    };
    for (const auto& c : cases) {
        testing::ScriptedDialogs dialogs;
        CBannedWords dialog(SampleConfig(), dialogs);
        dialog.ClickWarningRow(c.clicked);
        dialog.SetWarningSelection(c.selection);
        dialog.DeleteWarningRows();
        EXPECT_EQ(WarningTexts(dialog), c.remaining) << c.name;
    }
}

TEST_F(BannedWordsTest, DeletingWarningsNeverEmptiesTheList) {
    for (int i = 0; i < 5; ++i) {
        dialog.ClickWarningRow(0);
        dialog.DeleteWarningRows();
    }
    EXPECT_EQ(WarningTexts(dialog), (std::vector<std::string>{"+THIRD"}));
    dialog.NewWarning();
    dialog.SetWarningSelection({0, 1});
    dialog.DeleteWarningRows();
    EXPECT_EQ(dialog.Warnings().size(), 2u);
}

TEST_F(BannedWordsTest, NewWarningAndZeroCount) {
    EXPECT_EQ(dialog.NewWarning(), 3);
    EXPECT_EQ(dialog.Warnings()[3], (Warning{false, "EDIT WARNING"}));
    dialog.ZeroCount();
    for (const auto& row : dialog.Words()) EXPECT_EQ(row.found, "0");
}

TEST_F(BannedWordsTest, TextsThatWouldSplitARecordAreRefused) {
    const std::string refused[] = {"a\\b", "\\", "two\nlines", "cr\r"};
    for (const auto& text : refused) {
        dialogs.messages.clear();
        EXPECT_FALSE(dialog.EditWord(0, text));
        EXPECT_FALSE(dialog.EditWarning(0, text));
        EXPECT_EQ(dialogs.messages.size(), 2u);
    }
    EXPECT_EQ(dialog.Ok(), CBannedWords(SampleConfig(), dialogs).Ok());

    EXPECT_TRUE(dialog.EditWord(0, "b@d word"));
    EXPECT_TRUE(dialog.EditWarning(2, "NO SWEARING"));
    const ChatBotConfig edited = dialog.Ok();
    EXPECT_EQ(edited.words[0], "1\\b@d word\\DONT\\[1 PPts]\\3\\");
    EXPECT_EQ(edited.warnings[2], "0\\NO SWEARING\\");
}

// A blank word would be found in every chat line, so the ChatBot would warn
// everyone who chats.
TEST_F(BannedWordsTest, BlankWordsAreRefusedWithAMessage) {
    const struct {
        std::string word;
        bool accepted;
    } cases[] = {
        {"", false}, {" ", false}, {"  \t ", false}, {"\xa0", false}, {" a ", true}, {".", true},
    };
    for (const auto& c : cases) {
        testing::ScriptedDialogs dialogs;
        CBannedWords dialog{SampleConfig(), dialogs};
        EXPECT_EQ(dialog.EditWord(0, c.word), c.accepted) << '"' << c.word << '"';
        EXPECT_EQ(dialog.Words()[0].word, c.accepted ? c.word : "bad") << '"' << c.word << '"';
        EXPECT_EQ(dialogs.messages, c.accepted
                                        ? std::vector<std::string>{}
                                        : std::vector<std::string>{CBannedWords::kBlankWordText})
            << '"' << c.word << '"';
    }
}

}  // namespace
}  // namespace tavrin
