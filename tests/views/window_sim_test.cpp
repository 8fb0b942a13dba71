// The desktop console in this process against the real tavrinrat-sim: the
// window's widgets, found by object name and clicked, on the offscreen
// platform, with the real worker thread and socket.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSqlQuery>
#include <QTimer>
#include <QtTest>
#include <fstream>
#include <functional>
#include <memory>

#include "app/qt/history_setup.h"
#include "app/ui/status_field.h"
#include "app/ui/window_app.h"
#include "chatbot/chatbot_config.h"
#include "missions/ui/missions_page.h"
#include "players/ui/players_page.h"
#include "settings/ui/settings_file_dialog.h"
#include "settings/ui/settings_page.h"
#include "sim/sim_client.h"
#include "support/qt_environment.h"
#include "support/qt_loop.h"
#include "support/sim_window.h"
#include "support/temp_dir.h"

namespace tavrin::testing {
namespace {

[[maybe_unused]] const auto* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment<QApplication>("test_window"));

// Counts the calls the connection's worker hands to the main thread.
class DeliveryCounter final : public QObject {
  public:
    int count = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MetaCall) ++count;
        return false;
    }
};

// A sim, and the desktop console in a program folder whose favourite record
// is that sim.
class WindowSim : public SimWindowTest {
  protected:
    void SetUp() override {
        ASSERT_GT(m_sim.ControlPort(), 0);
        ASSERT_NO_FATAL_FAILURE(StartWindow(ConsoleOptions{}, [this](WindowApp& app) {
            QObject::connect(&app.Signals(), &ConsoleSignals::eventLineWritten, &app.Window(),
                             [this](const QString& line) { m_lines << line.mid(11); });
            QObject::connect(&app.Signals(), &ConsoleSignals::replyRouted, &app.Window(),
                             [this](ReplyKind, int replyClass) { m_routed.push_back(replyClass); });
        }));
        ASSERT_TRUE(RunUntil([&] { return m_app->GetConsole().Started(); }, 10s));
    }

    QString Look() {
        return Find<StatusField>("connectionField")->property("connectionLook").toString();
    }
    void Click(const char* button) {
        auto* b = Find<QPushButton>(button);
        ASSERT_TRUE(b != nullptr) << button;
        ASSERT_TRUE(b->isEnabled()) << button;
        QTest::mouseClick(b, Qt::LeftButton);
    }
    qsizetype LineAt(const QString& line) { return m_lines.indexOf(line); }
    std::string Lines() { return m_lines.join(QLatin1Char('\n')).toStdString(); }

    // Login clicked; logged in, the first six replies shown.
    void LogIn() {
        Click("loginButton");
        ASSERT_TRUE(RunUntil(
            [&] {
                return Text("connectionField") == QStringLiteral("Connected") &&
                       m_routed.size() >= 6 && !m_app->GetConsole().Session().PacerBusy();
            },
            20s))
            << Text("connectionField").toStdString() << "\n"
            << Lines();
    }

    QStringList m_lines;
    std::vector<int> m_routed;
};

TEST_F(WindowSim, StartsUpWithItsLinesAndAClockThatTurns) {
    const QString separator(49, QLatin1Char('='));
    const qsizetype started = m_lines.indexOf(QRegularExpression(
        QStringLiteral("^Program Started - As TavrinRAT (release|debug)( beta)?$")));
    ASSERT_GE(started, 1) << Lines();
    EXPECT_EQ(m_lines[started - 1], separator);
    EXPECT_EQ(m_lines[started + 1], QStringLiteral("TavrinRAT 0.95 beta"));
    EXPECT_EQ(m_lines[started + 2], separator);
    EXPECT_EQ(m_lines[started + 3],
              QStringLiteral("Config dir:") + QString::fromStdString(m_dir.File("Configs")));
    EXPECT_EQ(m_app->Window().windowTitle(), QStringLiteral("TavrinRAT 0.95 beta"));
    EXPECT_EQ(Text("adminsField"), QStringLiteral("TavrinRat"));
    EXPECT_EQ(Look(), QStringLiteral("offline"));

    // The clock shows the time, and a second later another.
    const QRegularExpression time(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d$"));
    ASSERT_TRUE(RunUntil([&] { return time.match(Text("clockField")).hasMatch(); }, 5s))
        << Text("clockField").toStdString();
    const QString first = Text("clockField");
    ASSERT_TRUE(RunUntil([&] { return Text("clockField") != first; }, 5s));
    EXPECT_TRUE(time.match(Text("clockField")).hasMatch());
}

TEST_F(WindowSim, LoginFillsTheStatusFieldsAndLogoutEmptiesThem) {
    auto* autoRefresh = Find<QCheckBox>("autoRefreshBox");
    EXPECT_FALSE(autoRefresh->isEnabled());
    LogIn();
    EXPECT_EQ(Look(), QStringLiteral("connected"));
    EXPECT_EQ(Text("serverModeField"), QStringLiteral("Server Status = Game Mode"));
    EXPECT_THAT(Text("adminsField").toStdString(),
                ::testing::MatchesRegex("[0-9]+ / [0-9]+ / [0-9]+"));
    EXPECT_NE(Text("adminsField"), QStringLiteral("0 / 0 / 0"));
    EXPECT_EQ(Text("ratCommandField"), QStringLiteral("get gamesettings"));
    EXPECT_EQ(Text("ratResponseField"), QStringLiteral("Game Settings Updated"));
    EXPECT_TRUE(autoRefresh->isEnabled());
    EXPECT_TRUE(autoRefresh->isChecked());
    EXPECT_NE(LineAt(QStringLiteral("Logged In")), -1) << Lines();
    EXPECT_TRUE(m_sim.FindLine("login: user admin accepted", 0, 0ms));

    Click("logoutButton");
    ASSERT_TRUE(
        RunUntil([&] { return Text("connectionField") == QStringLiteral("Not Connected"); }, 5s));
    EXPECT_EQ(Text("serverModeField"), QStringLiteral("Server Mode"));
    EXPECT_EQ(Text("ratCommandField"), QStringLiteral("Rat Command"));
    EXPECT_EQ(Text("ratResponseField"), QStringLiteral("Rat Reply"));
    EXPECT_EQ(Look(), QStringLiteral("offline"));
    EXPECT_FALSE(autoRefresh->isEnabled());
    EXPECT_FALSE(autoRefresh->isChecked());
    EXPECT_NE(LineAt(QStringLiteral("User Logged out")), -1) << Lines();
    EXPECT_TRUE(Find<QPushButton>("loginButton")->isEnabled());
}

TEST_F(WindowSim, SlowResetShowsTheCountdownAndReconnects) {
    LogIn();
    ASSERT_THAT(m_sim.Control("reset"), ::testing::StartsWith("ok"));

    // The countdown: the Connection field in its AutoRecon look.
    ASSERT_TRUE(RunUntil(
        [&] { return Text("ratResponseField").startsWith(QStringLiteral("AutoRecon in ")); }, 10s))
        << Text("ratResponseField").toStdString();
    EXPECT_EQ(Text("connectionField"), QStringLiteral("Connection Interrupted"));
    EXPECT_EQ(Look(), QStringLiteral("reconnecting"));
    auto* connection = Find<StatusField>("connectionField");
    EXPECT_EQ(connection->backgroundRole(), QPalette::Highlight);
    EXPECT_EQ(connection->foregroundRole(), QPalette::HighlightedText);
    EXPECT_TRUE(connection->autoFillBackground());
    EXPECT_THAT(Text("ratCommandField").toStdString(), ::testing::StartsWith("AutoRecon("));

    // Twenty seconds on, logged in again.
    ASSERT_TRUE(RunUntil([&] { return LineAt(QStringLiteral("AutoRecon OK")) != -1; }, 40s))
        << Lines();
    ASSERT_TRUE(RunUntil([&] { return Look() == QStringLiteral("connected"); }, 5s));
    EXPECT_EQ(Text("connectionField"), QStringLiteral("Connected"));
    EXPECT_FALSE(connection->autoFillBackground());
    EXPECT_EQ(connection->backgroundRole(), QPalette::Window);
    EXPECT_LT(LineAt(QStringLiteral("AutoRecon timer started")),
              LineAt(QStringLiteral("AutoRecon OK")));
}

TEST_F(WindowSim, CloseBoxLogsCancelAndLogsOut) {
    LogIn();
    const size_t simFrom = m_sim.Lines().size();
    ASSERT_TRUE(m_app->Window().close());
    EXPECT_FALSE(m_app->Window().isVisible());
    ASSERT_TRUE(RunUntil([&] { return m_app->Finished(); }, 5s));

    const qsizetype closing = LineAt(QStringLiteral("Program Closing (CANCEL)"));
    const qsizetype loggedOut = LineAt(QStringLiteral("User Logged out"));
    ASSERT_NE(closing, -1) << Lines();
    ASSERT_NE(loggedOut, -1) << Lines();
    EXPECT_LT(closing, loggedOut);
    EXPECT_EQ(m_lines[closing - 1], QString(49, QLatin1Char('=')));
    EXPECT_EQ(m_lines[closing + 1], QString(49, QLatin1Char('=')));
    EXPECT_EQ(m_app->Host().LiveWorkers(), 0);
    // The sim saw its admin go.
    EXPECT_TRUE(m_sim.FindLine("clos", simFrom, 5s)) << "no close in the sim's log";
}

TEST_F(WindowSim, AQuestionOpenWhileRepliesArriveHoldsThemUntilItIsAnswered) {
    LogIn();
    // No polls in between: only the three commands below are answered.
    QTest::mouseClick(Find<QCheckBox>("autoRefreshBox"), Qt::LeftButton);
    ASSERT_FALSE(m_app->GetConsole().Session().ControlOn(Control::AutoRefreshTicked));
    m_app->Dialogs().SetScripted(false);
    m_routed.clear();

    DeliveryCounter deliveries;
    m_app->Host().installEventFilter(&deliveries);
    int deliveredBeforeAnswer = -1;
    size_t routedBeforeAnswer = 99;
    QString asked;

    // A question comes up right after three commands went out; their replies
    // reach the main thread while its box is open.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, &closer, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || deliveredBeforeAnswer != -1 || deliveries.count < 3) return;
        deliveredBeforeAnswer = deliveries.count;
        routedBeforeAnswer = m_routed.size();
        asked = box->text();
        // The loader's two other questions are answered without a box.
        m_app->Dialogs().AnswerNextYesNo(false);
        m_app->Dialogs().AnswerNextYesNo(false);
        QTest::mouseClick(box->button(QMessageBox::No), Qt::LeftButton);
    });
    closer.start(10);
    QTimer::singleShot(0, &closer, [&] {
        RatSession& session = m_app->GetConsole().Session();
        session.SendRatCommand("player list");
        session.SendRatCommand("mission list");
        session.SendRatCommand("get gamestate");
        m_app->GetConsole().LoadDebugData();
    });

    ASSERT_TRUE(RunUntil([&] { return m_routed.size() >= 3; }, 20s))
        << m_routed.size() << " routed, " << deliveries.count << " delivered";
    m_app->Host().removeEventFilter(&deliveries);
    EXPECT_EQ(asked, QStringLiteral("Load Player List?"));
    EXPECT_GE(deliveredBeforeAnswer, 3);
    EXPECT_EQ(routedBeforeAnswer, 0u) << "a reply ran while the question was open";
    // Then each in its turn.
    EXPECT_EQ(m_routed, (std::vector<int>{kReplyPlayers, kReplyMissions, kReplyNone}));
}

TEST_F(WindowSim, APuntFromThePlayersPopupRemovesThePlayerFromTheGame) {
    LogIn();
    auto* page = m_app->Window().findChild<PlayersPage*>();
    auto* list = Find<QAbstractItemView>("playerList");
    ASSERT_TRUE(page != nullptr && list != nullptr);
    ASSERT_TRUE(RunUntil([&] { return list->model()->rowCount() > 3; }, 20s));

    const QModelIndex idCell = list->model()->index(2, 0);
    const QString id = idCell.data().toString().trimmed();
    const QString name = list->model()->index(2, 1).data().toString().trimmed();
    ASSERT_FALSE(id.isEmpty());
    page->SetPopupChooser([](QMenu& menu, const QPoint&) {
        return ActionAt(menu, {QStringLiteral("Punt"), QStringLiteral("KICKED FOR TEAM-KILLING")});
    });
    m_app->Dialogs().AnswerNextYesNo(true);
    const size_t from = m_sim.Lines().size();
    list->scrollTo(idCell);
    const QPoint at = list->visualRect(list->model()->index(2, 1)).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at));
    QApplication::sendEvent(list->viewport(), &event);

    // The punt reaches the game, and the list the console fetches after it
    // no longer holds the player.
    ASSERT_TRUE(RunUntil(
        [&] {
            return m_sim.FindLine("cmd: player punt " + id.toStdString(), from, 0ms).has_value();
        },
        10s));
    auto holdsPlayer = [&] {
        for (int r = 0; r < list->model()->rowCount(); ++r)
            if (list->model()->index(r, 0).data().toString().trimmed() == id) return true;
        return false;
    };
    EXPECT_TRUE(RunUntil([&] { return !holdsPlayer(); }, 10s)) << name.toStdString();
}

// The window recording to the history of its program folder, as the
// desktop console starts it.
class WindowSimHistory : public WindowSim {
  protected:
    void SetUp() override {
        std::string note;
        m_history = StartHistory(m_dir.Path(), HistoryOptions{}, note);
        ASSERT_TRUE(m_history) << note;
        WindowSim::SetUp();
    }
};

// The popup's punt is in sanction_history once the window has closed: the
// player by name, the menu message as the reason, the console as the source.
TEST_F(WindowSimHistory, APuntFromThePlayersPopupIsInTheHistoryAsTheConsoles) {
    LogIn();
    auto* page = m_app->Window().findChild<PlayersPage*>();
    auto* list = Find<QAbstractItemView>("playerList");
    ASSERT_TRUE(page != nullptr && list != nullptr);
    ASSERT_TRUE(RunUntil([&] { return list->model()->rowCount() > 3; }, 20s));
    const QModelIndex nameCell = list->model()->index(2, 1);
    const std::string id = list->model()->index(2, 0).data().toString().trimmed().toStdString();
    const std::string name = nameCell.data().toString().trimmed().toStdString();
    ASSERT_FALSE(id.empty());
    page->SetPopupChooser([](QMenu& menu, const QPoint&) {
        return ActionAt(menu, {QStringLiteral("Punt"), QStringLiteral("KICKED FOR TEAM-KILLING")});
    });
    m_app->Dialogs().AnswerNextYesNo(true);
    const size_t from = m_sim.Lines().size();
    list->scrollTo(nameCell);
    const QPoint at = list->visualRect(nameCell).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at));
    QApplication::sendEvent(list->viewport(), &event);
    ASSERT_TRUE(RunUntil(
        [&] { return m_sim.FindLine("cmd: player punt " + id, from, 0ms).has_value(); }, 10s));

    m_app->Window().CloseConsole(false);
    ASSERT_TRUE(RunUntil([&] { return m_app->Finished(); }, 5s));
    m_app.reset();
    m_history.reset();  // writes what is queued
    HistoryStore store(DefaultHistoryTarget(m_dir.Path()));
    ASSERT_TRUE(store.Open().ok());
    QSqlQuery q(store.Database());
    ASSERT_TRUE(q.exec(
        QStringLiteral("SELECT server, player, action, reason, source FROM sanction_history")));
    std::vector<std::string> rows;
    while (q.next()) {
        std::string row;
        for (int c = 0; c < 5; ++c) row += (c ? "|" : "") + q.value(c).toString().toStdString();
        rows.push_back(row);
    }
    EXPECT_EQ(rows,
              (std::vector<std::string>{"Sim|" + name + "|punt|KICKED FOR TEAM-KILLING|console"}));
}

// A double click as the desktop sends it.
void DoubleClickRow(QAbstractItemView& view, int row) {
    const QModelIndex index = view.model()->index(row, 1);
    view.scrollTo(index);
    const QPoint at = view.visualRect(index).center();
    QTest::mousePress(view.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, at);
}

TEST_F(WindowSim, MissionEditsOnTheMissionsPageReachTheGamesCycle) {
    LogIn();
    m_app->Window().ShowTab(2);
    auto* page = m_app->Window().findChild<MissionsPage*>();
    auto* cycle = Find<QAbstractItemView>("cycleList");
    auto* available = Find<QAbstractItemView>("availableList");
    ASSERT_TRUE(page != nullptr && cycle != nullptr && available != nullptr);
    ASSERT_TRUE(RunUntil(
        [&] { return cycle->model()->rowCount() > 1 && available->model()->rowCount() > 1; }, 20s));
    const int cycleRows = cycle->model()->rowCount();
    auto sent = [&](const std::string& command, size_t from) {
        return RunUntil([&] { return m_sim.FindLine("cmd: " + command, from, 0ms).has_value(); },
                        10s);
    };

    // A double click on an available mission not in the cycle adds it; the
    // cycle shows it.
    auto fileAt = [](QAbstractItemView& view, int row) {
        const QAbstractItemModel& m = *view.model();
        for (int c = 0; c < m.columnCount(); ++c)
            if (m.headerData(c, Qt::Horizontal).toString().trimmed() == QStringLiteral("Filename"))
                return m.index(row, c).data().toString().trimmed();
        return QString();
    };
    QStringList inCycle;
    for (int r = 0; r < cycleRows; ++r) inCycle << fileAt(*cycle, r);
    int newRow = -1;
    for (int r = 0; r < available->model()->rowCount() && newRow < 0; ++r)
        if (!inCycle.contains(fileAt(*available, r))) newRow = r;
    ASSERT_GE(newRow, 0) << inCycle.join(QLatin1Char(' ')).toStdString();
    size_t from = m_sim.Lines().size();
    DoubleClickRow(*available, newRow);
    ASSERT_TRUE(sent("mission add ", from)) << Lines();
    EXPECT_TRUE(RunUntil([&] { return cycle->model()->rowCount() == cycleRows + 1; }, 10s));

    // A double click on the last cycle row removes it again.
    from = m_sim.Lines().size();
    DoubleClickRow(*cycle, cycle->model()->rowCount() - 1);
    ASSERT_TRUE(sent("mission remove ", from)) << Lines();
    EXPECT_TRUE(RunUntil([&] { return cycle->model()->rowCount() == cycleRows; }, 10s));

    // The cycle's menu: Set as Next Mission, then Run Next Mission.
    for (const char* item : {"Set as Next Mission", "Run Next Mission"}) {
        page->SetPopupChooser([item](QMenu& menu, const QPoint&) {
            return ActionAt(menu, {QString::fromLatin1(item)});
        });
        from = m_sim.Lines().size();
        const QModelIndex second = cycle->model()->index(1, 0);
        const QPoint at = cycle->visualRect(second).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, cycle->viewport()->mapToGlobal(at));
        QApplication::sendEvent(cycle->viewport(), &event);
        EXPECT_TRUE(
            sent(std::string(item) == "Set as Next Mission" ? "mission setnext " : "mission cycle",
                 from))
            << item << "\n"
            << Lines();
    }
}

TEST_F(WindowSim, EveryWeaponStateSetOnTheSettingsTabReachesTheGame) {
    LogIn();
    m_app->Window().ShowTab(3);
    Click("settingsLock");  // the tab starts locked
    for (const auto& [button, state] :
         {std::pair{"weaponsAllYes", "always"}, std::pair{"weaponsAllArmory", "armory"},
          std::pair{"weaponsAllNo", "never"}}) {
        const size_t from = m_sim.Lines().size();
        Click(button);
        const std::string command = std::string("cmd: weapon set all ") + state;
        EXPECT_TRUE(RunUntil([&] { return m_sim.FindLine(command, from, 0ms).has_value(); }, 10s))
            << command;
        // The game confirms, and the console fetches the list it now holds.
        EXPECT_TRUE(RunUntil(
            [&] { return m_sim.FindLine("cmd: weapon list", from, 0ms).has_value(); }, 10s));
    }
}

TEST_F(WindowSim, APlayerWhoSaysABannedWordIsWarnedAndListedAsCaught) {
    m_app->GetConsole().ChatBot().AcceptBannedWords(
        ParseChatBotConfig("[WORDS]\r\n"
                           "1\\zorblax\\Mind your words\\[0 PPts] - Warn Only\\0\\\r\n"
                           "[WARNINGS]\r\n"
                           "1\\Mind your words\\\r\n"
                           "[DEFAULT]\r\n"
                           "6"));
    LogIn();
    m_app->Window().ShowTab(4);
    Click("chatStartStop");
    const size_t from = m_sim.Lines().size();
    ASSERT_EQ(m_sim.Control("say Mallory what a zorblax move").rfind("ok say Mallory", 0), 0u);

    // The warning reaches the game once the chat has been fetched.
    ASSERT_TRUE(RunUntil(
        [&] { return m_sim.FindLine("cmd: chat send Mallory", from, 0ms).has_value(); }, 30s))
        << Lines();
    // The caught window lists him.
    Click("chatViewCaught");
    auto* caught = Find<QAbstractItemView>("caughtList");
    ASSERT_TRUE(caught != nullptr);
    auto lists = [&] {
        for (int r = 0; r < caught->model()->rowCount(); ++r)
            for (int c = 0; c < caught->model()->columnCount(); ++c)
                if (caught->model()->index(r, c).data().toString().contains(
                        QStringLiteral("Mallory")))
                    return true;
        return false;
    };
    EXPECT_TRUE(RunUntil(lists, 5s));
}

TEST_F(WindowSim, ASavedSettingsFileLoadedAndAppliedPutsItsValuesBackInTheGame) {
    LogIn();
    m_app->Window().ShowTab(3);
    Click("settingsLock");
    auto* title = Find<QLineEdit>("setting24");  // the server title
    ASSERT_TRUE(title != nullptr);
    ASSERT_TRUE(RunUntil([&] { return title->text() == QStringLiteral("TavrinSim"); }, 10s));

    // Save, then change the title on the game.
    const std::string path = m_dir.File("saved-settings.txt");
    m_app->Dialogs().AnswerNextFile(path);
    Click("settingsSave");
    ASSERT_TRUE(RunUntil([&] { return std::ifstream(path).good(); }, 5s));
    size_t from = m_sim.Lines().size();
    title->setText(QStringLiteral("Changed"));
    Click("settingSet24");
    ASSERT_TRUE(RunUntil(
        [&] { return m_sim.FindLine("cmd: set serverName Changed", from, 0ms).has_value(); }, 10s));

    // Load it and apply: the bulk send puts the saved title back, the
    // progress bar goes to its end, and the thread keeps turning meanwhile.
    auto* page = m_app->Window().findChild<SettingsPage*>();
    auto* bar = Find<QProgressBar>("bulkProgress");
    ASSERT_TRUE(page != nullptr && bar != nullptr);
    int highest = 0;
    QObject::connect(bar, &QProgressBar::valueChanged, bar,
                     [&](int value) { highest = std::max(highest, value); });
    int beats = 0;
    QTimer beat;
    QObject::connect(&beat, &QTimer::timeout, &beat, [&] { ++beats; });
    beat.start(5);
    m_app->Dialogs().AnswerNextFile(path);
    Click("settingsLoad");
    ASSERT_TRUE(RunUntil([&] { return page->OpenFileDialog() != nullptr; }, 5s));
    auto* apply =
        page->OpenFileDialog()->findChild<QPushButton*>(QStringLiteral("settingsFileApply"));
    ASSERT_TRUE(apply != nullptr);
    from = m_sim.Lines().size();
    QTest::mouseClick(apply, Qt::LeftButton);
    ASSERT_TRUE(RunUntil(
        [&] { return m_sim.FindLine("cmd: set serverName TavrinSim", from, 0ms).has_value(); },
        30s))
        << Lines();
    ASSERT_TRUE(RunUntil([&] { return !m_app->GetConsole().Session().Bulk().running; }, 30s));
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(highest, bar->maximum());
    EXPECT_GT(beats, 10) << "the main thread kept turning during the bulk send";
}

}  // namespace
}  // namespace tavrin::testing
