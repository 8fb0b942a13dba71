#include "missions/missions.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/fakes.h"

namespace tavrin {
namespace {

using testing::RecordingCommands;
using testing::ScriptedDialogs;

constexpr const char* kCycle =
    "1: <CURRENT MISSION> alpha.npj\n"
    "2: <NEXT MISSION> beta.bms (2x)\n"
    "3: <> <> gamma.npz (IS FLIPPED)\n";
constexpr const char* kAvailable =
    "1. alpha.npj (Operation: Red)\n"
    "2. beta.bms ()\n";

// A cycle of `n` missions m0.bms .. with the current marker on `current`.
std::string Cycle(int n, int current, int next = -1) {
    std::string reply;
    for (int i = 0; i < n; ++i) {
        reply += std::to_string(i + 1) + ": ";
        reply += i == current ? "<CURRENT MISSION> " : "<> ";
        reply += i == next ? "<NEXT MISSION> " : "<> ";
        reply += "m" + std::to_string(i) + ".bms\n";
    }
    return reply;
}

class MissionsTest : public ::testing::Test {
  protected:
    std::vector<std::string> Names() const {
        std::vector<std::string> out;
        for (const auto& r : missions.CycleRows()) out.push_back(r.name);
        return out;
    }
    std::vector<std::string> AvailableFiles() const {
        std::vector<std::string> out;
        for (const auto& r : missions.AvailableRows()) out.push_back(r.fileName);
        return out;
    }

    RecordingCommands commands;
    ScriptedDialogs dialogs;
    CMissions missions{commands, dialogs};
};

TEST_F(MissionsTest, CycleRowsCarryFileNamesCountsPicturesAndMarkers) {
    missions.ParseMissionReply(MissionList::Cycle, kCycle);
    const std::vector<CycleRow> expected = {
        {"alpha.npj", "1", "  alpha.npj", kPictureCurrent, kNoPicture},
        {"beta.bms", "2", "  beta.bms ", kNoPicture, kPictureNext},
        {"gamma.npz", "1", "   gamma.npz ", kNoPicture, kPictureFlipped},
    };
    EXPECT_EQ(missions.CycleRows(), expected);
    EXPECT_EQ(missions.GetCycleState().currentRow, 0);
    EXPECT_EQ(missions.GetCycleState().nextRow, 1);
    EXPECT_EQ(missions.CycleScrollRow(), 0);
    EXPECT_EQ(missions.CurrentMissionName(), "alpha.npj");
    EXPECT_EQ(missions.CurrentMissionFile(), "  alpha.npj");
    EXPECT_TRUE(commands.commands.empty());
}

TEST_F(MissionsTest, NextPictureWinsOverFlipped) {
    missions.ParseMissionReply(MissionList::Cycle, "1: <> <NEXT MISSION> d.bms (IS FLIPPED)\n");
    ASSERT_EQ(missions.CycleRows().size(), 1u);
    EXPECT_EQ(missions.CycleRows()[0].markPicture, kPictureNext);
}

TEST_F(MissionsTest, CatalogueNamesTheCycleAndIsBuiltOncePerConnection) {
    missions.ParseMissionReply(MissionList::Available, kAvailable);
    missions.ParseMissionReply(MissionList::Cycle, kCycle);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Operation: Red", "beta", "gamma.npz"}));

    // A later available reply changes the list but not the catalogue.
    missions.ParseMissionReply(MissionList::Available, "1. alpha.npj (Other Name)\n3. z.bms ()\n");
    EXPECT_EQ(AvailableFiles(), (std::vector<std::string>{"alpha.npj", "z.bms"}));
    missions.ParseMissionReply(MissionList::Cycle, kCycle);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Operation: Red", "beta", "gamma.npz"}));

    // A new connection empties everything; its first available reply rebuilds the catalogue.
    missions.ClearForNewConnection();
    EXPECT_TRUE(missions.CycleRows().empty());
    EXPECT_TRUE(missions.AvailableRows().empty());
    EXPECT_TRUE(missions.Catalogue().Empty());
    missions.ParseMissionReply(MissionList::Available, "1. alpha.npj (Other Name)\n");
    missions.ParseMissionReply(MissionList::Cycle, kCycle);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Other Name", "beta.bms", "gamma.npz"}));
}

TEST_F(MissionsTest, CatalogueKeepsTheFirstPairOfAFileName) {
    missions.ParseMissionReply(MissionList::Available,
                               "1. a.bms (First)\n2. a.bms (Second)\n3. b.bms (B)\n");
    EXPECT_EQ(missions.Catalogue().Pairs().size(), 3u);
    EXPECT_EQ(missions.Catalogue().Find("a.bms"), "First");
    EXPECT_EQ(missions.Catalogue().Find("A.bms"), std::nullopt);
}

TEST_F(MissionsTest, CycleWithoutMarkerKeepsTheOldCurrentAndNextRows) {
    missions.ParseMissionReply(MissionList::Cycle, Cycle(4, 2, 3));
    missions.ParseMissionReply(MissionList::Cycle, Cycle(4, -1, -1));
    EXPECT_EQ(missions.GetCycleState().currentRow, 2);
    EXPECT_EQ(missions.GetCycleState().nextRow, 3);
    EXPECT_EQ(missions.CurrentMissionName(), "m2.bms");
    // When the remembered row is gone there is no current mission to show.
    missions.ParseMissionReply(MissionList::Cycle, Cycle(2, -1, -1));
    EXPECT_EQ(missions.CurrentMissionName(), "");
    EXPECT_EQ(missions.CurrentMissionFile(), "");
}

// A cycle whose every line carries a marker holds no "<>"; it is still read as
// cycle lines, and it never reaches the catalogue.
TEST_F(MissionsTest, CycleListIsReadAsCycleLinesEvenWithoutPlaceholders) {
    const char* reply = "1: <CURRENT MISSION> a.bms\n2: <NEXT MISSION> b.bms\n";
    ASSERT_EQ(ClassifyMissionReply(reply), MissionList::Cycle);
    missions.ParseMissionReply(MissionList::Cycle, reply);
    EXPECT_EQ(Names(), (std::vector<std::string>{"a.bms", "b.bms"}));
    EXPECT_EQ(missions.CurrentMissionFile(), "  a.bms");
    EXPECT_TRUE(missions.Catalogue().Empty());
    // And an available reply that happens to hold "<>" stays available lines.
    missions.ParseMissionReply(MissionList::Available, "1. x.bms (AS <> 2)\n");
    EXPECT_EQ(missions.AvailableRows(), (std::vector<AvailableRow>{{"AS <> 2", "x.bms"}}));
}

TEST_F(MissionsTest, NoneListChangesNothing) {
    missions.ParseMissionReply(MissionList::Cycle, kCycle);
    missions.ParseMissionReply(MissionList::None, "Entry Added");
    EXPECT_EQ(missions.CycleRows().size(), 3u);
}

TEST_F(MissionsTest, ClickFillsTheSelectionAndAClickOnNoRowDoesNothing) {
    missions.ParseMissionReply(MissionList::Available, kAvailable);
    missions.ParseMissionReply(MissionList::Cycle, kCycle);
    missions.SelectCycleRow(1);
    const SelectedMission& s = missions.Selected();
    EXPECT_EQ(s.rowText, "1");
    EXPECT_EQ(s.fileName, "  beta.bms ");
    EXPECT_EQ(s.playCount, "2");
    EXPECT_EQ(s.name, "beta");
    EXPECT_EQ(s.row, 1);
    EXPECT_EQ(s.picture, kPictureNext);
    for (int32_t row : {-1, 3}) {
        missions.SelectCycleRow(row);
        EXPECT_EQ(missions.Selected().row, 1);
    }
}

TEST_F(MissionsTest, RemoveSendsTheDisplayRowAndShiftsTheCurrentRow) {
    missions.ParseMissionReply(MissionList::Cycle, Cycle(6, 4));
    missions.RemoveMissionFromCycle(2);
    EXPECT_EQ(missions.CycleRows().size(), 5u);
    EXPECT_EQ(missions.CycleRows()[2].fileName, "   m3.bms");
    EXPECT_EQ(missions.GetCycleState().currentRow, 3);
    EXPECT_EQ(missions.CurrentMissionName(), "m4.bms");
    const std::vector<PacedCommand> expected = {
        {"mission remove 2", 250, PacedCommand::Route::Request},
        {"mission list", 250, PacedCommand::Route::Request},
    };
    EXPECT_EQ(commands.commands, expected);

    // A row below the current one leaves the current row alone.
    commands.commands.clear();
    missions.RemoveMissionFromCycle(4);
    EXPECT_EQ(missions.GetCycleState().currentRow, 3);
    EXPECT_EQ(commands.Texts(), (std::vector<std::string>{"mission remove 4", "mission list"}));
}

TEST_F(MissionsTest, RemoveRefusesTheCurrentMissionAndRowsThatDoNotExist) {
    missions.ParseMissionReply(MissionList::Cycle, Cycle(3, 1));
    for (int32_t row : {1, -1, 3}) {
        missions.RemoveMissionFromCycle(row);
        EXPECT_EQ(missions.CycleRows().size(), 3u) << row;
    }
    EXPECT_TRUE(commands.commands.empty());
    EXPECT_EQ(missions.GetCycleState().currentRow, 1);
}

TEST_F(MissionsTest, AddAppendsToTheCycleAndTakesTheMissionOffTheAvailableList) {
    missions.ParseMissionReply(MissionList::Available,
                               "1. m0.bms (Zero)\n2. new.npj (Operation: New)\n3. z.bms ()\n");
    missions.ParseMissionReply(MissionList::Cycle, Cycle(2, 0));
    missions.AddMissionToCycle(1);
    EXPECT_EQ(AvailableFiles(), (std::vector<std::string>{"m0.bms", "z.bms"}));
    ASSERT_EQ(missions.CycleRows().size(), 3u);
    EXPECT_EQ(missions.CycleRows()[2].name, "Added");
    EXPECT_EQ(missions.CycleRows()[2].fileName, "new.npj");
    EXPECT_EQ(missions.CycleScrollRow(), 2);
    const std::vector<PacedCommand> expected = {
        {"mission add new.npj", 250, PacedCommand::Route::Request},
        {"mission list", 250, PacedCommand::Route::Request},
    };
    EXPECT_EQ(commands.commands, expected);
}

TEST_F(MissionsTest, AddRefusesAMissionAlreadyInTheCycleAndRowsThatDoNotExist) {
    // The cycle's file names carry blanks; the comparison trims them.
    missions.ParseMissionReply(MissionList::Available, "1. m1.bms (One)\n2. M0.bms ()\n");
    missions.ParseMissionReply(MissionList::Cycle, Cycle(2, 0));
    for (int32_t row : {0, -1, 2}) missions.AddMissionToCycle(row);
    EXPECT_EQ(missions.AvailableRows().size(), 2u);
    EXPECT_EQ(missions.CycleRows().size(), 2u);
    EXPECT_TRUE(commands.commands.empty());
    // Case counts: M0.bms is another mission than m0.bms.
    missions.AddMissionToCycle(1);
    EXPECT_EQ(commands.Texts(), (std::vector<std::string>{"mission add M0.bms", "mission list"}));
}

TEST_F(MissionsTest, AddRefusesARowWithoutFileName) {
    missions.ParseMissionReply(MissionList::Available, "Total: no missions here\n");
    ASSERT_EQ(missions.AvailableRows().size(), 1u);
    missions.AddMissionToCycle(0);
    EXPECT_TRUE(commands.commands.empty());
    EXPECT_EQ(missions.AvailableRows().size(), 1u);
}

TEST_F(MissionsTest, RefreshButtonsPostTheirCommand) {
    missions.RefreshCycle();
    missions.RefreshAvailable();
    const std::vector<PacedCommand> expected = {
        {"mission list", 250, PacedCommand::Route::Request},
        {"mission available", 250, PacedCommand::Route::Request},
    };
    EXPECT_EQ(commands.commands, expected);
}

TEST_F(MissionsTest, SortAvailableFlipsDirectionOnTheSameColumn) {
    missions.ParseMissionReply(MissionList::Available,
                               "1. b.bms (10)\n2. a.bms (9)\n3. c.bms (Zulu)\n4. d.bms (Alpha)\n");
    struct Step {
        int column;
        std::vector<std::string> files;
    };
    const Step steps[] = {
        {1, {"a.bms", "b.bms", "c.bms", "d.bms"}},
        {1, {"d.bms", "c.bms", "b.bms", "a.bms"}},
        {0, {"a.bms", "b.bms", "d.bms", "c.bms"}},  // 9 < 10 as numbers, then bytes
        {0, {"c.bms", "d.bms", "b.bms", "a.bms"}},
        {2, {"c.bms", "d.bms", "b.bms", "a.bms"}},  // no such column
    };
    for (const auto& step : steps) {
        missions.SortAvailable(step.column);
        EXPECT_EQ(AvailableFiles(), step.files) << step.column;
    }
    // The add takes the row as displayed.
    missions.AddMissionToCycle(0);
    EXPECT_EQ(commands.Texts(), (std::vector<std::string>{"mission add c.bms", "mission list"}));
}

// Cells that compare in a circle (hex, decimal and byte rules mixed) must
// still sort without harm.
TEST_F(MissionsTest, SortSurvivesCellsThatCompareInACircle) {
    std::string reply;
    const char* cells[] = {"1E", "2.5", "10", "F", "9.5", "A", "1.5", "zz", "0x1", "%"};
    for (int i = 0; i < 40; ++i)
        reply += std::to_string(i) + ". f" + std::to_string(i) + ".bms (" + cells[i % 10] + ")\n";
    missions.ParseMissionReply(MissionList::Available, reply);
    std::vector<std::string> before = AvailableFiles();
    for (int i = 0; i < 4; ++i) {
        missions.SortAvailable(0);
        std::vector<std::string> after = AvailableFiles();
        std::sort(before.begin(), before.end());
        std::sort(after.begin(), after.end());
        EXPECT_EQ(after, before);  // every row once, none lost or doubled
    }
}

TEST_F(MissionsTest, ReapplyAvailableSortKeepsTheLastClickAcrossReplies) {
    const std::string reply = "1. b.bms (10)\n2. a.bms (9)\n3. c.bms (Zulu)\n";
    missions.ParseMissionReply(MissionList::Available, reply);
    missions.ReapplyAvailableSort();  // no click yet: the server's order
    EXPECT_EQ(AvailableFiles(), (std::vector<std::string>{"b.bms", "a.bms", "c.bms"}));
    missions.SortAvailable(1);
    missions.SortAvailable(1);  // descending by file name
    missions.ParseMissionReply(MissionList::Available, reply);
    EXPECT_EQ(AvailableFiles(), (std::vector<std::string>{"b.bms", "a.bms", "c.bms"}));
    missions.ReapplyAvailableSort();
    EXPECT_EQ(AvailableFiles(), (std::vector<std::string>{"c.bms", "b.bms", "a.bms"}));
    missions.ReapplyAvailableSort();  // the same order again, not the other way
    EXPECT_EQ(AvailableFiles(), (std::vector<std::string>{"c.bms", "b.bms", "a.bms"}));
    missions.SortAvailable(1);  // and the next click still turns it round
    EXPECT_EQ(AvailableFiles(), (std::vector<std::string>{"a.bms", "b.bms", "c.bms"}));
}

}  // namespace
}  // namespace tavrin
