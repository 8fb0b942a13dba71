// The Missions tab on the offscreen platform, filled from the simulated
// game's replies: both lists with their pictures, double clicks that add and
// remove, the mission menu (Set as Next Mission, Run Next Mission), the sort
// of the available list, the Refresh buttons.

#include "missions/ui/missions_page.h"

#include <QAbstractItemModelTester>
#include <QPushButton>
#include <QSignalSpy>
#include <algorithm>
#include <string>

#include "missions/missions.h"
#include "sim/sim_game.h"
#include "support/fakes.h"
#include "views/list_pages_support.h"

namespace tavrin::testing {
namespace {

constexpr uint32_t kSeed = 7;
enum { kName = 0, kPlays = 1, kMark = 2, kFile = 4 };

struct MissionsFixture : ::testing::Test {
    MissionsFixture() { page.SetPopupChooser(chooser.Chooser()); }

    // What the console asks after login: all missions, then the cycle.
    void ParseBoth() {
        missions.ParseMissionReply(MissionList::Available, game.AvailableReply());
        missions.ParseMissionReply(MissionList::Cycle, game.CycleReply());
        page.Refresh();
    }
    QTableView& Cycle() { return *page.findChild<QTableView*>(QStringLiteral("cycleList")); }
    QTableView& Available() {
        return *page.findChild<QTableView*>(QStringLiteral("availableList"));
    }
    // A file of the game's available missions that its cycle lacks.
    std::string FileNotInCycle() const {
        for (const auto& m : game.Available()) {
            const auto& cycle = game.Cycle();
            if (std::none_of(cycle.begin(), cycle.end(),
                             [&](const sim::CycleEntry& e) { return e.file == m.file; }))
                return m.file;
        }
        return {};
    }
    // A cycle row that is neither the mission being played nor the next.
    int OtherCycleRow() const {
        for (size_t i = 0; i < game.Cycle().size(); ++i)
            if (i != game.CurrentMission() && i != game.NextMission()) return static_cast<int>(i);
        return -1;
    }
    QString Trimmed(int row) { return Cell(Cycle(), row, kFile).trimmed(); }

    sim::SimGame game{kSeed};
    RecordingCommands commands;
    ScriptedDialogs dialogs;
    CMissions missions{commands, dialogs};
    MissionsPage page{missions};
    PathChooser chooser;
};

TEST_F(MissionsFixture, BothListsFillFromTheGamesReplies) {
    QAbstractItemModelTester cycleTester(Cycle().model(),
                                         QAbstractItemModelTester::FailureReportingMode::Fatal);
    QAbstractItemModelTester availableTester(Available().model(),
                                             QAbstractItemModelTester::FailureReportingMode::Fatal);
    ShowAt(page, {1000, 500});
    ParseBoth();

    ASSERT_EQ(Cycle().model()->rowCount(), static_cast<int>(game.Cycle().size()));
    ASSERT_EQ(Available().model()->rowCount(), static_cast<int>(game.Available().size()));
    EXPECT_TRUE(Cycle().isColumnHidden(3));
    for (int r = 0; r < Cycle().model()->rowCount(); ++r) {
        const sim::CycleEntry& entry = game.Cycle()[r];
        EXPECT_EQ(Trimmed(r).toStdString(), entry.file);
        EXPECT_EQ(Cell(Cycle(), r, kPlays),
                  entry.twice ? QStringLiteral("2") : QStringLiteral("1"));
        const auto named = std::find_if(game.Available().begin(), game.Available().end(),
                                        [&](const auto& m) { return m.file == entry.file; });
        ASSERT_NE(named, game.Available().end());
        if (!named->description.empty()) {
            EXPECT_EQ(Cell(Cycle(), r, kName).toStdString(), named->description);
        }
        // The current mission's marker, and the next one's.
        const bool current = static_cast<size_t>(r) == game.CurrentMission();
        const bool next = static_cast<size_t>(r) == game.NextMission();
        EXPECT_EQ(missions.CycleRows()[r].namePicture == kPictureCurrent, current);
        EXPECT_EQ(missions.CycleRows()[r].markPicture == kPictureNext, next);
        EXPECT_FALSE(Cycle().model()->index(r, kName).data(Qt::DecorationRole).isNull());
        EXPECT_EQ(Cycle().model()->index(r, kMark).data(Qt::DecorationRole).isNull(),
                  !next && !entry.flipped);
    }
    EXPECT_EQ(Cell(Available(), 0, 1).toStdString(), game.Available()[0].file);

    // The Refresh buttons ask the server.
    QTest::mouseClick(page.findChild<QPushButton*>(QStringLiteral("refreshCycleButton")),
                      Qt::LeftButton);
    QTest::mouseClick(page.findChild<QPushButton*>(QStringLiteral("refreshAvailableButton")),
                      Qt::LeftButton);
    EXPECT_EQ(commands.Texts(), (std::vector<std::string>{"mission list", "mission available"}));
}

TEST_F(MissionsFixture, DoubleClicksAddAndRemove) {
    QAbstractItemModelTester cycleTester(Cycle().model(),
                                         QAbstractItemModelTester::FailureReportingMode::Fatal);
    ShowAt(page, {1000, 500});
    ParseBoth();
    const int cycleRows = Cycle().model()->rowCount();

    // Add: the available mission leaves its list and comes at the cycle's end.
    const std::string file = FileNotInCycle();
    ASSERT_FALSE(file.empty());
    const int availableRow = RowWith(Available(), 1, QString::fromStdString(file));
    DoubleClick(Available(), CellPoint(Available(), availableRow));
    EXPECT_EQ(commands.Texts(), (std::vector<std::string>{"mission add " + file, "mission list"}));
    ASSERT_EQ(Cycle().model()->rowCount(), cycleRows + 1);
    EXPECT_EQ(Cell(Cycle(), cycleRows, kName), QStringLiteral("Added"));
    EXPECT_EQ(RowWith(Available(), 1, QString::fromStdString(file)), -1);
    for (const auto& c : commands.Texts()) game.Execute(c);

    // Remove: a row that is not being played.
    commands.commands.clear();
    ParseBoth();
    const int row = OtherCycleRow();
    ASSERT_GE(row, 0);
    const QString removed = Trimmed(row);
    DoubleClick(Cycle(), CellPoint(Cycle(), row));
    EXPECT_EQ(commands.Texts(),
              (std::vector<std::string>{"mission remove " + std::to_string(row), "mission list"}));
    EXPECT_EQ(RowWith(Cycle(), kFile, removed), -1);
    EXPECT_NE(game.Execute(commands.Texts()[0]).find("Mission Removed"), std::string::npos);

    // The mission being played stays.
    commands.commands.clear();
    ParseBoth();
    const int current = static_cast<int>(game.CurrentMission());
    DoubleClick(Cycle(), CellPoint(Cycle(), current));
    EXPECT_TRUE(commands.commands.empty());
}

TEST_F(MissionsFixture, SetAsNextAndRunNextFromTheMissionMenu) {
    ShowAt(page, {1000, 500});
    ParseBoth();
    const int row = OtherCycleRow();
    ASSERT_GE(row, 0);

    chooser.path = {QStringLiteral("Set as Next Mission")};
    RightClick(Cycle(), CellPoint(Cycle(), row));
    ASSERT_EQ(chooser.shown, 1);
    EXPECT_EQ(commands.Texts(), std::vector<std::string>{"mission setnext " + std::to_string(row)});
    EXPECT_EQ(missions.CycleRows()[row].markPicture, kPictureNext);
    EXPECT_FALSE(Cycle().model()->index(row, kMark).data(Qt::DecorationRole).isNull());
    // The menu's look: the slot submenus, the entries, ONCE greyed for a
    // mission played once.
    EXPECT_TRUE(chooser.topLevel.contains(QStringLiteral("View ")));
    EXPECT_TRUE(chooser.topLevel.contains(QStringLiteral("Run Next Mission")));
    EXPECT_NE(game.Execute(commands.Texts()[0]).find("Next Mission Set"), std::string::npos);

    commands.commands.clear();
    chooser.path = {QStringLiteral("Run Next Mission")};
    QTest::keyClick(&Cycle(), Qt::Key_Menu);  // on the current row, from the keyboard
    EXPECT_EQ(chooser.shown, 2);
    EXPECT_EQ(commands.Texts(), std::vector<std::string>{"mission cycle"});

    // A slot entry only tells what it would do.
    commands.commands.clear();
    chooser.path = {QStringLiteral("View "), QStringLiteral("File3")};
    RightClick(Cycle(), CellPoint(Cycle(), row));
    EXPECT_TRUE(commands.commands.empty());
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"View\nFile3"});
    // Nothing chosen: nothing happens, and the row loses the menu colour.
    chooser.path = {};
    RightClick(Cycle(), CellPoint(Cycle(), row));
    EXPECT_TRUE(commands.commands.empty());
    EXPECT_EQ(missions.MenuRow(), -1);
}

TEST_F(MissionsFixture, AvailableSortAndSelectionSurviveARefresh) {
    QAbstractItemModelTester tester(Available().model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    ShowAt(page, {1000, 500});
    ParseBoth();
    ClickHeader(Available(), 1);
    ClickHeader(Available(), 1);  // file names, descending
    QStringList files = ::tavrin::testing::Column(Available(), 1);
    QStringList sorted = files;
    std::sort(sorted.begin(), sorted.end(), std::greater<>());
    EXPECT_EQ(files, sorted);

    const QString chosen = files[3];
    QTest::mouseClick(Available().viewport(), Qt::LeftButton, {}, CellPoint(Available(), 3));
    QSignalSpy resets(Available().model(), &QAbstractItemModel::modelReset);
    ParseBoth();  // the server's order again, from the reply
    EXPECT_EQ(::tavrin::testing::Column(Available(), 1), sorted);
    const QModelIndexList selected = Available().selectionModel()->selectedRows(1);
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected[0].data().toString(), chosen);
    EXPECT_EQ(resets.count(), 0);
}

}  // namespace
}  // namespace tavrin::testing
