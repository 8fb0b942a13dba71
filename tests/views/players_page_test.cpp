// The Players tab on the offscreen platform, filled from the simulated game's
// replies: the list and tallies, sorting, Show Host, the filter, the admin
// popup with its confirmation and commands, the keyboard's popup, refreshes
// that keep the selection, and the "Player Admin Menu" editor.

#include "players/ui/players_page.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <set>
#include <string>

#include "common/cell_compare.h"
#include "common/text_file.h"
#include "players/admin_actions.h"
#include "players/admin_menu.h"
#include "players/player_list.h"
#include "players/ui/admin_menu_dialog.h"
#include "players/ui/player_models.h"
#include "sim/sim_game.h"
#include "support/fakes.h"
#include "support/temp_dir.h"
#include "views/list_pages_support.h"

namespace tavrin::testing {
namespace {

constexpr uint32_t kSeed = 42;

// The page over its core models, as the console wires them.
struct PlayersFixture : ::testing::Test {
    PlayersFixture() {
        EXPECT_TRUE(MakeDirectory(dir.Path() + "Configs"));
        page.SetPopupChooser(chooser.Chooser());
        listModel = page.findChild<QTableView*>(QStringLiteral("playerList"))->model();
    }

    void Parse(const std::string& reply) {
        players.ParsePlayerList(reply);
        page.Refresh();
    }
    QTableView& List() { return *page.findChild<QTableView*>(QStringLiteral("playerList")); }
    PlayerListModel& Model() { return *page.findChild<PlayerListModel*>(); }
    int RowOfId(int id) { return RowWith(List(), kColumnId, QString::number(id)); }

    TempDir dir;
    sim::SimGame game{kSeed};
    PlayerList players;
    RecordingCommands commands;
    ScriptedDialogs dialogs;
    RecordingLog log;
    AdminActions actions{players, commands, dialogs};
    std::string menuText = DefaultAdminMenu();
    PlayersPage page{players, actions, menuText, dir.Path(), log, dialogs};
    PathChooser chooser;
    QAbstractItemModel* listModel = nullptr;
};

TEST_F(PlayersFixture, FillsFromAPlayerListReply) {
    QAbstractItemModelTester listTester(&Model(),
                                        QAbstractItemModelTester::FailureReportingMode::Fatal);
    QAbstractItemModelTester filterTester(listModel,
                                          QAbstractItemModelTester::FailureReportingMode::Fatal);
    auto* stats = page.findChild<QTableView*>(QStringLiteral("statsTable"));
    QAbstractItemModelTester statsTester(stats->model(),
                                         QAbstractItemModelTester::FailureReportingMode::Fatal);
    ShowAt(page, {900, 600});
    Parse(game.PlayerListReply());

    const auto& sim = game.Players();
    ASSERT_EQ(listModel->rowCount(), static_cast<int>(sim.size()));
    for (size_t i = 0; i < sim.size(); ++i) {
        const int r = static_cast<int>(i);
        EXPECT_EQ(Cell(List(), r, kColumnId), QString::number(sim[i].id));
        EXPECT_EQ(Cell(List(), r, kColumnName), QString::fromStdString(sim[i].name));
        EXPECT_EQ(Cell(List(), r, kColumnTeam),
                  sim[i].team == 1 ? QStringLiteral("JointOps") : QStringLiteral("Rebel"));
        EXPECT_EQ(Cell(List(), r, kColumnPing), QString::number(sim[i].ping));
        // The team's picture at the start of the row, and a tooltip of its numbers.
        EXPECT_FALSE(listModel->index(r, kColumnId).data(Qt::DecorationRole).isNull());
        const QString tip = listModel->index(r, kColumnName).data(Qt::ToolTipRole).toString();
        EXPECT_TRUE(tip.contains(QStringLiteral("Kills: %1").arg(sim[i].kills)))
            << tip.toStdString();
        EXPECT_TRUE(tip.contains(QStringLiteral("Deaths: %1").arg(sim[i].deaths)))
            << tip.toStdString();
        EXPECT_TRUE(tip.contains(QStringLiteral("Ping: %1").arg(sim[i].ping))) << tip.toStdString();
    }
    for (int team : {1, 2}) {
        int members = 0;
        for (const auto& p : sim) members += p.team == team;
        EXPECT_EQ(Cell(*stats, StatsTable::kTeams, team), QString::number(members));
    }
    EXPECT_EQ(Cell(*stats, StatsTable::kRiflemen, 0), QStringLiteral("Riflmen"));
    EXPECT_EQ(page.findChild<QLabel*>(QStringLiteral("selectedCountLabel"))->text(),
              QStringLiteral("%1 players").arg(sim.size()));

    // The Refresh PlayerList button asks the server.
    QTest::mouseClick(page.findChild<QPushButton*>(QStringLiteral("refreshPlayersButton")),
                      Qt::LeftButton);
    EXPECT_EQ(commands.Texts(), std::vector<std::string>{"player list"});
}

TEST_F(PlayersFixture, HeaderClicksSortEachColumnAndBack) {
    QAbstractItemModelTester tester(listModel,
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    ShowAt(page, {900, 600});
    Parse(game.PlayerListReply());
    QSignalSpy resets(listModel, &QAbstractItemModel::modelReset);
    for (int column = 0; column < kPlayerColumnCount; ++column) {
        for (bool ascending : {true, false}) {
            SCOPED_TRACE(::testing::Message()
                         << "column " << column << (ascending ? " up" : " down"));
            ClickHeader(List(), column);
            // Column 0 is the remembered column from the start: its first
            // click turns it round.
            if (column == 0 && ascending) ClickHeader(List(), column);
            const QStringList cells = ::tavrin::testing::Column(List(), column);
            for (qsizetype r = 1; r < cells.size(); ++r) {
                const int order = CompareCells(cells[r - 1].toStdString(), cells[r].toStdString());
                EXPECT_TRUE(ascending ? order <= 0 : order >= 0)
                    << cells[r - 1].toStdString() << " / " << cells[r].toStdString();
            }
            // The arrow stands on the sorted column only.
            for (int c = 0; c < kPlayerColumnCount; ++c)
                EXPECT_EQ(listModel->headerData(c, Qt::Horizontal, Qt::DecorationRole).isNull(),
                          c != column);
            // What the view shows is the core's order.
            for (int r = 0; r < listModel->rowCount(); ++r)
                EXPECT_EQ(Cell(List(), r, kColumnId).toStdString(),
                          players.Rows()[r].cells[kColumnId]);
        }
    }
    EXPECT_EQ(resets.count(), 0);
}

TEST_F(PlayersFixture, ShowHostAddsAndTakesTheHostRow) {
    ShowAt(page, {900, 600});
    Parse(game.PlayerListReply());
    auto* showHost = page.findChild<QCheckBox*>(QStringLiteral("showHostCheck"));
    const int players = listModel->rowCount();

    // On the tick box itself: the check box is wider than its text.
    const QPoint box(8, showHost->height() / 2);
    QTest::mouseClick(showHost, Qt::LeftButton, {}, box);
    ASSERT_TRUE(showHost->isChecked());
    ASSERT_EQ(listModel->rowCount(), players + 1);
    EXPECT_EQ(Cell(List(), 0, kColumnId), QStringLiteral("0"));
    EXPECT_EQ(Cell(List(), 0, kColumnName), QString::fromStdString(game.Host().name));
    // The next reply keeps the host in.
    Parse(game.PlayerListReply());
    EXPECT_EQ(listModel->rowCount(), players + 1);

    QTest::mouseClick(showHost, Qt::LeftButton, {}, box);
    EXPECT_FALSE(showHost->isChecked());
    EXPECT_EQ(listModel->rowCount(), players);
    EXPECT_EQ(RowOfId(0), -1);
}

TEST_F(PlayersFixture, FilterByPartOfANameOrATeam) {
    QAbstractItemModelTester tester(listModel,
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    ShowAt(page, {900, 600});
    Parse(game.PlayerListReply());
    auto* filter = page.findChild<QLineEdit*>(QStringLiteral("playerFilter"));
    const auto& sim = game.Players();

    QTest::keyClicks(filter, QStringLiteral("reb"));
    int rebels = 0;
    for (const auto& p : sim) rebels += p.team == 2;
    EXPECT_EQ(listModel->rowCount(), rebels);
    for (int r = 0; r < listModel->rowCount(); ++r)
        EXPECT_EQ(Cell(List(), r, kColumnTeam), QStringLiteral("Rebel"));
    EXPECT_EQ(page.findChild<QLabel*>(QStringLiteral("selectedCountLabel"))->text(),
              QStringLiteral("%1 of %2 players shown").arg(rebels).arg(sim.size()));

    // Part of one player's name, in other capitals.
    filter->setText(QString::fromStdString(sim[3].name.substr(1, 3)).toUpper());
    EXPECT_GE(listModel->rowCount(), 1);
    EXPECT_NE(RowOfId(sim[3].id), -1);
    filter->clear();
    EXPECT_EQ(listModel->rowCount(), static_cast<int>(sim.size()));
}

// A punt chosen from the popup, confirmed, sends its two commands.
TEST_F(PlayersFixture, PuntFromThePopupSendsThePuntAndItsChatLine) {
    ShowAt(page, {900, 600});
    Parse(game.PlayerListReply());
    const sim::SimPlayer target = game.Players()[2];
    const int row = RowOfId(target.id);
    ASSERT_GE(row, 0);

    chooser.path = {QStringLiteral("Punt"), QStringLiteral("KICKED FOR TEAM-KILLING")};
    dialogs.yesNoAnswers = {true};
    RightClick(List(), CellPoint(List(), row));

    ASSERT_EQ(chooser.shown, 1);
    EXPECT_EQ(chooser.topLevel, (QStringList{QStringLiteral("Warn"), QStringLiteral("Punt"),
                                             QStringLiteral("Ban"), QStringLiteral("Kill"),
                                             QStringLiteral("Swap"), QStringLiteral("Zero")}));
    EXPECT_EQ(chooser.submenuItems.size(), 11);
    const std::string id = std::to_string(target.id);
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(dialogs.questions[0], "Punt " + target.name + " (id " + id +
                                        ") with the message: KICKED FOR TEAM-KILLING?\n\n"
                                        " punt \n > KICKED FOR TEAM-KILLING\n" +
                                        target.name + " \n" + id + " ");
    EXPECT_EQ(commands.Texts(), (std::vector<std::string>{
                                    "player punt " + id + " ",
                                    "chat send " + target.name + "  > KICKED FOR TEAM-KILLING"}));
    // The game takes the punt as the server would.
    EXPECT_NE(game.Execute(commands.Texts()[0]).find("Punted"), std::string::npos);

    // No: nothing is sent.
    commands.commands.clear();
    dialogs.yesNoAnswers = {false};
    RightClick(List(), CellPoint(List(), row));
    EXPECT_TRUE(commands.commands.empty());
    // No player under the pointer: no menu at all.
    page.findChild<QLineEdit*>(QStringLiteral("playerFilter"))->setText(QStringLiteral("nobody"));
    ASSERT_EQ(listModel->rowCount(), 0);
    RightClick(List(), QPoint(20, 10));
    EXPECT_EQ(chooser.shown, 2);
}

TEST_F(PlayersFixture, WarnSendsOnlyItsChatLineAndShowsTheEnDash) {
    ShowAt(page, {900, 600});
    Parse(game.PlayerListReply());
    const sim::SimPlayer target = game.Players()[0];
    chooser.path = {QStringLiteral("Warn"), QStringLiteral("DO NOT SPAM THE CHAT!")};
    RightClick(List(), CellPoint(List(), RowOfId(target.id)));
    EXPECT_EQ(commands.Texts(),
              std::vector<std::string>{"chat send " + target.name + "  > DO NOT SPAM THE CHAT!"});
    // Windows-1252 0x96 is shown as the en dash.
    EXPECT_TRUE(
        chooser.submenuItems.contains(QStringLiteral("YOUR NAME IS OFFENSIVE \u2013 CHANGE IT!")))
        << chooser.submenuItems.join(u'|').toStdString();
}

TEST_F(PlayersFixture, MenuKeyAndShiftF10OpenThePopupOnTheCurrentPlayer) {
    ShowAt(page, {900, 600});
    Parse(game.PlayerListReply());
    const sim::SimPlayer target = game.Players()[4];
    List().setFocus();
    List().setCurrentIndex(listModel->index(RowOfId(target.id), kColumnName));
    chooser.path = {QStringLiteral("Kill"), QStringLiteral("KILLED FOR SPAWNCAMPING")};

    QTest::keyClick(&List(), Qt::Key_Menu);
    QTest::keyClick(&List(), Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_EQ(chooser.shown, 2);
    const std::string kill = "player kill " + std::to_string(target.id) + " ";
    EXPECT_EQ(commands.Texts(),
              (std::vector<std::string>{
                  kill, "chat send " + target.name + "  > KILLED FOR SPAWNCAMPING", kill,
                  "chat send " + target.name + "  > KILLED FOR SPAWNCAMPING"}));
}

// Refreshes while players join and leave keep the selected player selected,
// the sort, and the place the list was scrolled to.
TEST_F(PlayersFixture, SelectionSortAndScrollSurviveRefreshes) {
    QAbstractItemModelTester tester(listModel,
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    ShowAt(page, {700, 320});
    Parse(game.PlayerListReply());
    ClickHeader(List(), kColumnPing);  // ping moves rows at every tick

    const sim::SimPlayer chosen = game.Players()[5];
    QTest::mouseClick(List().viewport(), Qt::LeftButton, {}, CellPoint(List(), RowOfId(chosen.id)));
    ASSERT_EQ(List().selectionModel()->selectedRows().size(), 1);
    QScrollBar* scroll = List().verticalScrollBar();
    ASSERT_GT(scroll->maximum(), 2);
    scroll->setValue(2);
    QSignalSpy resets(listModel, &QAbstractItemModel::modelReset);
    QSignalSpy inserted(listModel, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(listModel, &QAbstractItemModel::rowsRemoved);

    for (int refresh = 0; refresh < 3; ++refresh) {
        SCOPED_TRACE(refresh);
        // One player leaves (punted), and play goes on until someone joins.
        std::set<int> before;
        for (const auto& p : game.Players()) before.insert(p.id);
        for (const auto& p : game.Players())
            if (p.id != chosen.id) {
                game.Execute("player punt " + std::to_string(p.id));
                break;
            }
        for (int tick = 0; tick < 5000 && game.Players().back().id <= *before.rbegin(); ++tick)
            game.Tick();
        ASSERT_GT(game.Players().back().id, *before.rbegin()) << "nobody joined";

        Parse(game.PlayerListReply());
        const QModelIndexList selected = List().selectionModel()->selectedRows(kColumnId);
        ASSERT_EQ(selected.size(), 1);
        EXPECT_EQ(selected[0].data().toString(), QString::number(chosen.id));
        EXPECT_EQ(List().currentIndex().siblingAtColumn(kColumnId).data().toString(),
                  QString::number(chosen.id));
        EXPECT_FALSE(
            listModel->headerData(kColumnPing, Qt::Horizontal, Qt::DecorationRole).isNull());
        const QStringList pings = ::tavrin::testing::Column(List(), kColumnPing);
        for (qsizetype r = 1; r < pings.size(); ++r)
            EXPECT_LE(pings[r - 1].toInt(), pings[r].toInt());
        EXPECT_EQ(scroll->value(), 2);
    }
    EXPECT_EQ(resets.count(), 0);
    EXPECT_GE(inserted.count(), 3);
    EXPECT_GE(removed.count(), 3);
}

// The editor: a row added above the first, a message edited in place, a row
// unticked; OK writes exactly that menu to adminmenu.cfg.
TEST_F(PlayersFixture, EditorAddsEditsAndUnticksAndOkWritesTheFile) {
    ShowAt(page, {900, 600});
    QTest::mouseClick(page.findChild<QPushButton*>(QStringLiteral("editAdminMenuButton")),
                      Qt::LeftButton);
    auto* dialog = page.findChild<AdminMenuDialog*>(QStringLiteral("adminMenuDialog"));
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Player Admin Menu"));
    auto* table = dialog->findChild<QTableView*>(QStringLiteral("adminMenuTable"));
    QAbstractItemModel* model = table->model();
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    ASSERT_EQ(model->rowCount(), 31);
    EXPECT_EQ(model->index(8, 1).data().toString(),
              QStringLiteral("YOUR NAME IS OFFENSIVE \u2013 CHANGE IT!"));

    // Above on the first row: a new Warn row.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, CellPoint(*table, 0));
    QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("aboveButton")),
                      Qt::LeftButton);
    ASSERT_EQ(model->rowCount(), 32);
    EXPECT_EQ(model->index(0, 0).data().toString(), QStringLiteral("Warn"));
    EXPECT_EQ(model->index(0, 1).data().toString(), QStringLiteral(""));

    // In-place edits: the new row's message, and another row's.
    auto typeInto = [&](int row, const QString& text) {
        table->setCurrentIndex(model->index(row, 1));
        table->edit(model->index(row, 1));
        auto* editor = qobject_cast<QLineEdit*>(table->indexWidget(model->index(row, 1)));
        ASSERT_NE(editor, nullptr);
        // Typed as an input method would: keyClicks knows only ASCII.
        editor->selectAll();
        editor->insert(text);
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();  // the delegate commits on its next turn
    };
    typeInto(0, QStringLiteral("NO CAMPING \u2013 AT ALL"));
    typeInto(3, QStringLiteral("DO NOT WOUND TEAMMATES"));
    EXPECT_TRUE(dialog->isVisible());  // Return finished the edits, it closed nothing
    EXPECT_EQ(model->index(3, 1).data().toString(), QStringLiteral("DO NOT WOUND TEAMMATES"));

    // Untick the racist-words row with the space bar, as the tick box takes it.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, CellPoint(*table, 2, 1));
    table->setCurrentIndex(model->index(2, 0));
    QTest::keyClick(table, Qt::Key_Space);
    EXPECT_EQ(model->index(2, 0).data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Unchecked);

    // A character Windows-1252 lacks is refused, with a message after the edit.
    typeInto(4, QStringLiteral("\u65e5\u672c"));
    QCoreApplication::processEvents();
    EXPECT_EQ(model->index(4, 1).data().toString(), QStringLiteral("DO NOT TEAM-KILL"));
    ASSERT_EQ(dialogs.messages.size(), 1u);

    QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("okButton")), Qt::LeftButton);
    QCoreApplication::processEvents();

    std::string expected = DefaultAdminMenu();
    auto replace = [&](const std::string& from, const std::string& to) {
        const size_t at = expected.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        expected.replace(at, from.size(), to);
    };
    replace("Warn\\DO NOT USE FOUL", "Warn\\NO CAMPING \x96 AT ALL\nWarn\\DO NOT USE FOUL");
    replace("Warn\\DO NOT USE RACIST WORDS\n", "");
    replace("DO NOT WOUND TEAM MATES", "DO NOT WOUND TEAMMATES");
    EXPECT_EQ(page.AdminMenuText(), expected);
    std::string onDisk;
    for (char c : expected) onDisk += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(ReadBytes(AdminMenuPath(dir.Path())), onDisk);
    EXPECT_TRUE(log.lines.empty());

    // The popup offers the new entry.
    Parse(game.PlayerListReply());
    chooser.path = {QStringLiteral("Warn")};
    RightClick(List(), CellPoint(List(), 0));
    EXPECT_EQ(chooser.submenuItems.front(), QStringLiteral("NO CAMPING \u2013 AT ALL"));
    EXPECT_FALSE(chooser.submenuItems.contains(QStringLiteral("DO NOT USE RACIST WORDS")));
}

TEST_F(PlayersFixture, EditorCancelChangesNothing) {
    page.EditAdminMenu();
    auto* dialog = page.OpenEditor();
    ASSERT_NE(dialog, nullptr);
    QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("deleteButton")),
                      Qt::LeftButton);
    QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("cancelButton")),
                      Qt::LeftButton);
    EXPECT_EQ(page.AdminMenuText(), DefaultAdminMenu());
    std::string text;
    EXPECT_FALSE(ReadTextFile(AdminMenuPath(dir.Path()), text));
}

}  // namespace
}  // namespace tavrin::testing
