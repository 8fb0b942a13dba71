#include "missions/mission_menu.h"

#include <gtest/gtest.h>

#include "missions/missions.h"
#include "support/fakes.h"

namespace tavrin {
namespace {

using testing::RecordingCommands;
using testing::ScriptedDialogs;

const MissionMenuEntry* EntryWithLine(const MissionMenu& menu, std::string_view line) {
    for (const auto& e : menu.entries)
        if (e.line == line) return &e;
    return nullptr;
}

TEST(MissionMenu, ThirtyLinesInOrderWithSubmenus) {
    MissionMenu menu = BuildMissionMenu("1");
    ASSERT_EQ(menu.entries.size(), static_cast<size_t>(kMissionMenuLines));
    const std::string expected =
        "View \\'Live' Server Cycle\nView \\File0\nView \\File1\nView \\File2\nView \\File3\n"
        "View \\File4\n-\nSave List to \\File0\nSave List to \\File1\nSave List to \\File2\n"
        "Save List to \\File3\nSave List to \\File4\n-\nRename Slot \\File0\nRename Slot \\File1\n"
        "Rename Slot \\File2\nRename Slot \\File3\nRename Slot \\File4\n-\nUpload View to Server\n"
        "-\nSet as Next Mission\nRun Next Mission\nRun This Mission\n-\nSet To Play ONCE\n"
        "Set To Play TWICE\n-\nSet as Idle Map\nIdle Settings\n";
    EXPECT_EQ(menu.Text(), expected);
    for (size_t i = 0; i < menu.entries.size(); ++i) {
        const auto& e = menu.entries[i];
        EXPECT_EQ(e.id, static_cast<int>(i) + 1);
        EXPECT_EQ(menu.LineForId(e.id), e.line);
        EXPECT_EQ(e.separator, e.line == "-") << e.line;
    }
    struct Shown {
        int id;
        const char* submenu;
        const char* item;
        MissionMenuAction action;
    };
    const Shown shown[] = {
        {1, "View ", "'Live' Server Cycle", MissionMenuAction::ViewSlot},
        {6, "View ", "File4", MissionMenuAction::ViewSlot},
        {8, "Save List to ", "File0", MissionMenuAction::SaveSlot},
        {18, "Rename Slot ", "File4", MissionMenuAction::RenameSlot},
        {20, "", "Upload View to Server", MissionMenuAction::Upload},
        {22, "", "Set as Next Mission", MissionMenuAction::SetNextMission},
        {23, "", "Run Next Mission", MissionMenuAction::RunNextMission},
        {24, "", "Run This Mission", MissionMenuAction::RunThisMission},
        {27, "", "Set To Play TWICE", MissionMenuAction::None},
        {30, "", "Idle Settings", MissionMenuAction::None},
    };
    for (const auto& s : shown) {
        const auto& e = menu.entries[s.id - 1];
        EXPECT_EQ(e.submenu, s.submenu) << s.id;
        EXPECT_EQ(e.item, s.item) << s.id;
        EXPECT_EQ(e.action, s.action) << s.id;
    }
    EXPECT_EQ(menu.LineForId(0), "");
    EXPECT_EQ(menu.LineForId(31), "");
}

TEST(MissionMenu, PlayCountGreysOneOfOnceAndTwice) {
    struct Case {
        const char* playCount;
        bool once, twice;
    };
    const Case cases[] = {{"2", true, false}, {"1", false, true}, {"", false, true}};
    for (const auto& c : cases) {
        MissionMenu menu = BuildMissionMenu(c.playCount);
        EXPECT_EQ(EntryWithLine(menu, "Set To Play ONCE")->enabled, c.once) << c.playCount;
        EXPECT_EQ(EntryWithLine(menu, "Set To Play TWICE")->enabled, c.twice) << c.playCount;
        int greyed = 0;
        for (const auto& e : menu.entries) greyed += e.enabled ? 0 : 1;
        EXPECT_EQ(greyed, 1) << c.playCount;
    }
}

class MissionMenuChoiceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string reply;
        for (int i = 0; i < 7; ++i) {
            reply += std::to_string(i + 1) + ": ";
            reply += i == 0 ? "<CURRENT MISSION> " : "<> ";
            reply += i == 2 ? "<NEXT MISSION> " : "<> ";
            reply += "m" + std::to_string(i) + ".bms" + (i == 4 ? " (2x)" : "") + "\n";
        }
        missions.ParseMissionReply(MissionList::Cycle, reply);
    }
    // Right-clicks `row` and chooses the menu line `line` ("" for nothing).
    void Choose(int32_t row, std::string_view line) {
        missions.OnCycleRightClick(row, [&](const MissionMenu& menu) {
            menuShown = menu;
            rowUnderMenu = missions.MenuRow();
            const MissionMenuEntry* e = EntryWithLine(menu, line);
            return e ? e->id : 0;
        });
    }

    RecordingCommands commands;
    ScriptedDialogs dialogs;
    CMissions missions{commands, dialogs};
    std::optional<MissionMenu> menuShown;
    int32_t rowUnderMenu = -1;
};

TEST_F(MissionMenuChoiceTest, MessageOnlyEntries) {
    struct Case {
        const char* line;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"View \\File3", {"View\nFile3"}},
        {"View \\'Live' Server Cycle", {"View\n'Live' Server Cycle"}},
        {"Save List to \\File0", {"Save\nFile0"}},
        {"Rename Slot \\File4", {"Rename\nFile4"}},
        {"Upload View to Server", {"Upload View to Server"}},
        {"Run This Mission", {"Set and Run"}},
        {"Set To Play ONCE", {}},
        {"Set To Play TWICE", {}},
        {"Set as Idle Map", {}},
        {"Idle Settings", {}},
        {"", {}},
    };
    for (const auto& c : cases) {
        dialogs.messages.clear();
        Choose(4, c.line);
        EXPECT_EQ(rowUnderMenu, 4) << c.line;
        EXPECT_EQ(missions.MenuRow(), -1) << c.line;
        EXPECT_EQ(dialogs.messages, c.messages) << c.line;
        EXPECT_EQ(missions.GetCycleState().nextRow, 2) << c.line;
        EXPECT_EQ(missions.CycleRows()[2].markPicture, kPictureNext) << c.line;
    }
    EXPECT_TRUE(commands.commands.empty());
}

TEST_F(MissionMenuChoiceTest, SetAsNextMovesTheNextPictureAndSendsTheRow) {
    Choose(5, "Set as Next Mission");
    EXPECT_EQ(missions.CycleRows()[5].markPicture, kPictureNext);
    EXPECT_EQ(missions.CycleRows()[2].markPicture, kPictureEmpty);
    EXPECT_EQ(missions.GetCycleState().nextRow, 5);
    const std::vector<PacedCommand> expected = {
        {"mission setnext 5", 250, PacedCommand::Route::Request}};
    EXPECT_EQ(commands.commands, expected);
    EXPECT_TRUE(dialogs.messages.empty());

    // Choosing the row that is already next keeps its picture.
    Choose(5, "Set as Next Mission");
    EXPECT_EQ(missions.CycleRows()[5].markPicture, kPictureNext);
    EXPECT_EQ(commands.Texts().back(), "mission setnext 5");
}

TEST_F(MissionMenuChoiceTest, RunNextMissionCyclesTheServer) {
    Choose(3, "Run Next Mission");
    EXPECT_EQ(commands.Texts(), (std::vector<std::string>{"mission cycle"}));
}

TEST_F(MissionMenuChoiceTest, MenuFollowsTheRowsPlayCount) {
    Choose(4, "");
    ASSERT_TRUE(menuShown);
    EXPECT_TRUE(EntryWithLine(*menuShown, "Set To Play ONCE")->enabled);
    EXPECT_FALSE(EntryWithLine(*menuShown, "Set To Play TWICE")->enabled);
    EXPECT_EQ(missions.Selected().row, 4);
    EXPECT_EQ(missions.Selected().playCount, "2");
}

TEST_F(MissionMenuChoiceTest, RightClickOnNoRowShowsNoMenu) {
    for (int32_t row : {-1, 7}) {
        menuShown.reset();
        Choose(row, "Set as Next Mission");
        EXPECT_FALSE(menuShown) << row;
    }
    EXPECT_TRUE(commands.commands.empty());
    // A choice without an open menu does nothing either.
    missions.ChooseMissionMenuEntry(22);
    EXPECT_TRUE(commands.commands.empty());
}

TEST_F(MissionMenuChoiceTest, CycleRebuiltShorterWhileTheMenuIsOpen) {
    ASSERT_TRUE(missions.OpenMissionMenu(6));
    EXPECT_EQ(missions.MenuRow(), 6);
    missions.ParseMissionReply(MissionList::Cycle, "1: <CURRENT MISSION> <> m0.bms\n");
    EXPECT_EQ(missions.MenuRow(), -1);
    missions.ChooseMissionMenuEntry(22);  // Set as Next Mission
    EXPECT_TRUE(commands.commands.empty());
    EXPECT_EQ(missions.CycleRows().size(), 1u);
}

}  // namespace
}  // namespace tavrin
