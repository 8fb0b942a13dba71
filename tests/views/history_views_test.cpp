// The History window and the Players tab's mark over a small SQLite history
// seeded in a temporary folder, on the offscreen platform.

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

#include "app/ui/console_pane.h"
#include "app/ui/main_window.h"
#include "app/ui/pane_history.h"
#include "app/ui/window_app.h"
#include "history/qt/history_reader.h"
#include "history/qt/history_store.h"
#include "history/ui/history_window.h"
#include "players/ui/players_page.h"
#include "sim/sim_game.h"
#include "support/temp_dir.h"
#include "views/list_pages_support.h"

namespace tavrin::testing {
namespace {

constexpr int64_t kNow = 1796960992;  // 2026-12-11T03:49:52Z
constexpr int64_t kDay = 86'400;

SessionRecord Session(const char* server, const std::string& name, int64_t start, int kills) {
    return {server, name, start, start + 600, kills, 2, 45};
}

SanctionRecord Sanction(int64_t at, const char* server, const std::string& player,
                        SanctionAction action, const char* reason, const char* source) {
    return {at, server, player, action, reason, source};
}

// A history file with a few players, sanctions and counts.
void Seed(const std::string& path, std::vector<HistoryItem> items) {
    HistoryTarget target;
    target.path = path;
    HistoryStore store(target);
    ASSERT_TRUE(store.Open().ok());
    ASSERT_FALSE(store.Write(items).has_value());
}

QString Cell(QTableWidget& table, int row, int column) {
    const QTableWidgetItem* item = table.item(row, column);
    return item ? item->text() : QString();
}

struct HistoryWindowFixture : ::testing::Test {
    HistoryWindowFixture() {
        std::vector<HistoryItem> items = {
            Session("Alpha", "Shadow", kNow - 3 * kDay, 5),
            Session("Alpha", "Shadow", kNow - kDay / 2, 9),
            Session("Beta", "[TR]shadowy", kNow - 2 * kDay, 1),
            Session("Alpha", "Ann", kNow - 3600, 0),
            Sanction(kNow - 3 * kDay + 60, "Alpha", "Shadow", SanctionAction::Warn, "Warning1 fool",
                     "chatbot"),
            Sanction(kNow - kDay / 2 + 60, "Alpha", "Shadow", SanctionAction::Punt, "TEAM KILLING",
                     "admin:bob"),
            Sanction(kNow - 2 * kDay, "Beta", "Shadow", SanctionAction::Ban, "", "console"),
        };
        // Counts of Alpha: every 20 minutes of the last day, and one peak three days ago.
        for (int64_t t = kNow - kDay + 600; t <= kNow; t += 1200)
            items.push_back(CountRecord{t, "Alpha", 10, 6, 4});
        items.push_back(CountRecord{kNow - 3 * kDay, "Alpha", 30, 15, 15});
        Seed(target.path, items);
        window.SetClock([] { return kNow; });
        window.SetUtcOffset(0);
        ShowAt(window, {900, 760});
    }
    template <typename T>
    T& Find(const char* name) {
        T* found = window.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return *found;
    }
    void SearchFor(const QString& text) {
        Find<QLineEdit>("historySearch").setText(text);
        QTest::mouseClick(&Find<QPushButton>("historySearchButton"), Qt::LeftButton);
    }

    TempDir dir;
    HistoryTarget target = [this] {
        HistoryTarget t;
        t.path = dir.File("history.db");
        return t;
    }();
    HistoryReader reader{target};
    HistoryWindow window{reader};
};

TEST_F(HistoryWindowFixture, SearchFindsPlayersOfEveryServerAndShowsTheSelectedOnesRecord) {
    auto& status = Find<QLabel>("historyStatus");
    auto& players = Find<QTableWidget>("historyPlayers");
    auto& sessions = Find<QTableWidget>("historySessions");
    auto& sanctions = Find<QTableWidget>("historySanctions");

    SearchFor(QStringLiteral("SHAD"));
    // The answer comes later, by signal; the window says it is searching.
    EXPECT_EQ(status.text(), QStringLiteral("Searching\u2026"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return players.rowCount() == 2; }));
    EXPECT_EQ(status.text(), QStringLiteral("2 players found"));
    EXPECT_EQ(Cell(players, 0, 0), QStringLiteral("Alpha"));
    EXPECT_EQ(Cell(players, 0, 1), QStringLiteral("Shadow"));
    EXPECT_EQ(Cell(players, 0, 2), QStringLiteral("2026-12-08 03:49"));
    EXPECT_EQ(Cell(players, 0, 4), QStringLiteral("2"));
    EXPECT_EQ(Cell(players, 1, 1), QStringLiteral("[TR]shadowy"));

    // The first is selected: its sessions (newest first) and its sanctions
    // on that server.
    ASSERT_TRUE(QTest::qWaitFor([&] { return sessions.rowCount() == 2; }));
    EXPECT_EQ(Cell(sessions, 0, 0), QStringLiteral("2026-12-10 15:49"));
    EXPECT_EQ(Cell(sessions, 0, 2), QStringLiteral("9"));
    EXPECT_EQ(Cell(sessions, 0, 4), QStringLiteral("45"));
    ASSERT_EQ(sanctions.rowCount(), 2);
    EXPECT_EQ(Cell(sanctions, 0, 1), QStringLiteral("punt"));
    EXPECT_EQ(Cell(sanctions, 0, 2), QStringLiteral("TEAM KILLING"));
    EXPECT_EQ(Cell(sanctions, 0, 3), QStringLiteral("admin:bob"));
    EXPECT_EQ(Cell(sanctions, 1, 1), QStringLiteral("warn"));

    // A click on the other player shows that one's record.
    QTest::mouseClick(players.viewport(), Qt::LeftButton, {},
                      players.visualRect(players.model()->index(1, 1)).center());
    ASSERT_TRUE(QTest::qWaitFor([&] { return sessions.rowCount() == 1; }));
    EXPECT_EQ(Cell(sessions, 0, 2), QStringLiteral("1"));
    EXPECT_EQ(sanctions.rowCount(), 0);

    SearchFor(QStringLiteral("nobody"));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return status.text() == QStringLiteral("No player found"); }));
    EXPECT_EQ(players.rowCount(), 0);
    EXPECT_EQ(sessions.rowCount(), 0);
}

TEST_F(HistoryWindowFixture, ThePlotFollowsTheChosenRange) {
    auto& plot = Find<HistoryCountPlot>("historyPlot");
    auto& caption = Find<QLabel>("historyPlotCaption");
    SearchFor(QStringLiteral("ann"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return plot.Buckets().size() == 96; }));
    EXPECT_EQ(BucketPeak(plot.Buckets()), 10);
    EXPECT_EQ(caption.text(),
              QStringLiteral("Alpha: 2026-12-10 03:49 to 2026-12-11 03:49: at most 10 players"));

    // A week holds the peak of three days ago.
    auto& range = Find<QComboBox>("historyRange");
    range.setCurrentIndex(range.findText(QStringLiteral("Week")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return plot.Buckets().size() == 168; }));
    EXPECT_EQ(BucketPeak(plot.Buckets()), 30);
    EXPECT_TRUE(caption.text().startsWith(QStringLiteral("Alpha: 2026-12-04 03:49 to")));
}

// The console's window over the same kind of history: the menu entry, the
// Players tab's mark and the Server tab's stored hour.
struct HistoryAppFixture : ::testing::Test {
    void Start(bool withHistory) {
        if (withHistory) {
            HistoryWriterOptions options;
            options.target.path = dir.File("history.db");
            writer = std::make_unique<HistoryWriter>(options);
            ASSERT_TRUE(writer->Start().ok());
        }
        app = std::make_unique<WindowApp>(dir.Path(), ConsoleOptions{}, OpenServer{}, writer.get());
        app->SetDialogsScripted(true);
        QSignalSpy started(&app->Signals(), &ConsoleSignals::started);
        app->Start();
        ASSERT_TRUE(started.wait(5000));
    }
    QAction& HistoryAction() {
        return *app->Window().findChild<QAction*>(QStringLiteral("historyAction"));
    }

    TempDir dir;
    std::unique_ptr<HistoryWriter> writer;
    std::unique_ptr<WindowApp> app;
};

TEST_F(HistoryAppFixture, WithoutAHistoryTheEntryIsOffAndSaysSo) {
    Start(false);
    EXPECT_FALSE(HistoryAction().isEnabled());
    EXPECT_EQ(HistoryAction().toolTip(),
              QStringLiteral("History is off: this console keeps no history"));
    EXPECT_EQ(app->Reader(), nullptr);
}

TEST_F(HistoryAppFixture, CtrlHOpensTheHistoryWindow) {
    Start(true);
    EXPECT_TRUE(HistoryAction().isEnabled());
    EXPECT_EQ(HistoryAction().shortcut(), QKeySequence(Qt::CTRL | Qt::Key_H));
    HistoryAction().trigger();
    ASSERT_NE(app->Window().History(), nullptr);
    EXPECT_TRUE(app->Window().History()->isVisible());
    EXPECT_FALSE(app->Window().History()->isModal());
}

TEST_F(HistoryAppFixture, APlayerSanctionedBeforeIsMarkedAndLookedUpOncePerConnection) {
    Start(true);
    sim::SimGame game{42};
    const std::string server = app->GetConsole().HistoryServerName();
    const std::string punted = game.Players().at(0).name;
    const std::string seenOnly = game.Players().at(1).name;
    writer->Add({Session("Other", punted, kNow - 40 * kDay, 1),
                 Session(server.c_str(), punted, kNow - kDay, 1),
                 Session(server.c_str(), seenOnly, kNow - kDay, 1),
                 Sanction(kNow - kDay, server.c_str(), punted, SanctionAction::Punt, "", "console"),
                 Sanction(kNow - kDay, "Other", punted, SanctionAction::Warn, "", "chatbot")});
    ASSERT_TRUE(writer->Flush());

    ConsolePane& pane = app->Window().Pane(0);
    app->GetConsole().Players().ParsePlayerList(game.PlayerListReply());
    const int64_t before = app->Reader()->Requests();
    emit app->Signals().playersChanged();
    PlayersPage& page = pane.PlayersTab();
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.PlayerMarked(punted); }));
    const int64_t asked = app->Reader()->Requests() - before;
    EXPECT_EQ(asked, static_cast<int64_t>(game.Players().size()));
    EXPECT_FALSE(page.PlayerMarked(seenOnly));

    auto* list = page.findChild<QTableView*>(QStringLiteral("playerList"));
    const int row = RowWith(*list, kColumnName, QString::fromStdString(punted));
    ASSERT_GE(row, 0);
    const QModelIndex name = list->model()->index(row, kColumnName);
    EXPECT_FALSE(name.data(Qt::DecorationRole).isNull());
    EXPECT_TRUE(name.data(Qt::ToolTipRole)
                    .toString()
                    .contains(QStringLiteral(
                        "seen 2 sessions since 2026-11-01; 1 warnings, 1 punts, 0 bans")))
        << name.data(Qt::ToolTipRole).toString().toStdString();

    // The next poll asks nothing again.
    emit app->Signals().playersChanged();
    emit app->Signals().playersChanged();
    EXPECT_EQ(app->Reader()->Requests() - before, asked);
}

TEST_F(HistoryAppFixture, TheServerTabsPlotReadsItsHourFromTheHistory) {
    Start(true);
    const std::string server = app->GetConsole().HistoryServerName();
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    writer->Add({CountRecord{now - 7200, server, 40, 20, 20},  // older than the hour
                 CountRecord{now - 1800, server, 12, 6, 6},
                 CountRecord{now - 900, server, 14, 8, 6},
                 CountRecord{now - 600, "Other", 50, 25, 25}});
    ASSERT_TRUE(writer->Flush());
    auto* history = app->Window().Pane(0).findChild<PaneHistory*>();
    ASSERT_NE(history, nullptr);
    history->ReadStoredHour();
    const PlayerCountHistory& counts = app->GetConsole().CountHistory();
    ASSERT_TRUE(QTest::qWaitFor([&] { return counts.Samples().size() == 2; }));
    EXPECT_EQ(counts.Peak(), 14);
}

}  // namespace
}  // namespace tavrin::testing

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new tavrin::testing::QtEnvironment);
    return RUN_ALL_TESTS();
}
