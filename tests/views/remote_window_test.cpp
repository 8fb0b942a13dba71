// The desktop console as a remote admin of a manager: the real tavrinrat-sim,
// a real headless manager logged in to it, and the window in this process
// logged in to the manager's Admin Port, found by object name and clicked.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QtTest>
#include <fstream>
#include <memory>
#include <optional>

#include "app/ui/status_field.h"
#include "app/ui/window_app.h"
#include "e2e/console_process.h"
#include "players/ui/players_page.h"
#include "sim/sim_client.h"
#include "support/qt_environment.h"
#include "support/qt_loop.h"
#include "support/sim_folder.h"
#include "support/temp_dir.h"
#include "support/widget_input.h"

namespace tavrin::testing {
namespace {

[[maybe_unused]] const auto* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment<QApplication>("test_remote_window"));

// ann may do everything, bob may only warn.
const char* const kAccounts =
    "Name=Ann\nUser=ann\nPass=annpass\nRights=3FFF\nGuid=none\n"
    "Name=Bob\nUser=bob\nPass=bobpass\nRights=0100\nGuid=none\n[END]";

class RemoteWindow : public ::testing::Test {
  protected:
    RemoteWindow()
        : m_sim(TAVRIN_SIM_PATH, {"--control-port", "0", "--tick-ms", "0", "--seed", "7", "--user",
                                  "admin", "--password", "secret"}) {}

    // The manager, logged in to the sim, its Admin Port on loopback.
    void StartManager() {
        ASSERT_GT(m_sim.Port(), 0);
        WriteServersFile(m_managerDir, SimServerRecord(m_sim.Port()));
        std::ofstream(m_managerDir.File("Configs/radmins.cfg"), std::ios::binary) << kAccounts;
        m_manager.emplace(TAVRIN_CONSOLE_PATH, m_managerDir.Path(),
                          std::vector<std::string>{"--manager", "--admin-port", "0", "--admin-bind",
                                                   "127.0.0.1"});
        ASSERT_TRUE(m_manager->Started());
        const auto open = m_manager->WaitForPart("Admin Port open on 127.0.0.1 port ");
        ASSERT_TRUE(open) << m_manager->Transcript();
        const std::string line = m_manager->Line(*open);
        const std::string mark = "127.0.0.1 port ";
        m_port = std::stoi(line.substr(line.find(mark) + mark.size()));
        ASSERT_TRUE(m_manager->WaitForPart("Server Name: TavrinSim")) << m_manager->Transcript();
    }

    // The window logged in to the manager as `user`.
    void StartWindow(const std::string& user, const std::string& password) {
        OpenServer open("127.0.0.1:" + std::to_string(m_port));
        open.kind = ConnectionKind::Manager;
        open.record = ServerRecord{open.name, "127.0.0.1", std::to_string(m_port), user, password};
        ConsoleOptions options;
        options.login = true;
        ::mkdir(m_dir.File("Configs").c_str(), 0700);
        m_app = std::make_unique<WindowApp>(m_dir.Path(), options, open);
        m_app->Dialogs().SetScripted(true);
        m_app->Start();
        ASSERT_TRUE(RunUntil(
            [&] {
                return Text("connectionField") == QStringLiteral("Connected") &&
                       Edit("serverNameField") == QStringLiteral("TavrinSim");
            },
            20s))
            << Text("connectionField").toStdString() << " / "
            << Text("serverModeField").toStdString();
    }

    void TearDown() override {
        if (!m_app) return;
        if (!m_app->Window().Closing()) m_app->Window().CloseConsole(false);
        RunUntil([&] { return m_app->Finished(); }, 5s);
        m_app.reset();
    }

    template <typename T>
    T* Find(const char* name) {
        return testing::Find<T>(m_app->Window(), name);
    }
    QString Text(const char* field) {
        auto* f = Find<StatusField>(field);
        return f ? f->text() : QString();
    }

    // The players popup opened on row `row` of the list; `choose` picks.
    void OpenPopup(int row, const std::function<QAction*(QMenu&)>& choose) {
        auto* page = m_app->Window().findChild<PlayersPage*>();
        auto* list = Find<QAbstractItemView>("playerList");
        ASSERT_TRUE(page != nullptr && list != nullptr);
        page->SetPopupChooser([choose](QMenu& menu, const QPoint&) { return choose(menu); });
        const QModelIndex cell = list->model()->index(row, 1);
        list->scrollTo(cell);
        const QPoint at = list->visualRect(cell).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at));
        QApplication::sendEvent(list->viewport(), &event);
    }

    QString Edit(const char* name) {
        auto* f = Find<QLineEdit>(name);
        return f ? f->text() : QString();
    }

    QAbstractItemView* PlayerList() { return Find<QAbstractItemView>("playerList"); }

    SimProcess m_sim;
    TempDir m_managerDir;
    std::optional<ConsoleProcess> m_manager;
    int m_port = 0;
    TempDir m_dir;
    std::unique_ptr<WindowApp> m_app;
};

// With every right the tabs fill from relayed replies, Server Mode names the
// manager, and a punt from the players popup reaches the game.
TEST_F(RemoteWindow, WithEveryRightTheTabsFillAndAPuntReachesTheGame) {
    ASSERT_NO_FATAL_FAILURE(StartManager());
    ASSERT_NO_FATAL_FAILURE(StartWindow("ann", "annpass"));
    EXPECT_EQ(Text("serverModeField").toStdString(),
              "via manager 127.0.0.1:" + std::to_string(m_port));
    ASSERT_TRUE(RunUntil([&] { return PlayerList()->model()->rowCount() > 3; }, 20s));
    const QString id = PlayerList()->model()->index(2, 0).data().toString().trimmed();
    ASSERT_FALSE(id.isEmpty());
    m_app->Dialogs().AnswerNextYesNo(true);
    const size_t from = m_sim.Lines().size();
    bool enabled = false;
    OpenPopup(2, [&](QMenu& menu) {
        QAction* punt =
            ActionAt(menu, {QStringLiteral("Punt"), QStringLiteral("KICKED FOR TEAM-KILLING")});
        enabled = punt && punt->isEnabled();
        return punt;
    });
    EXPECT_TRUE(enabled);
    EXPECT_TRUE(RunUntil(
        [&] {
            return m_sim.FindLine("cmd: player punt " + id.toStdString(), from, 0ms).has_value();
        },
        10s));
}

// An account without the Punt right finds the popup's Punt disabled; the
// same command forged past the window is refused by the manager, and the
// refusal is shown.
TEST_F(RemoteWindow, ANarrowAccountFindsPuntDisabledAndAForgedPuntRefused) {
    ASSERT_NO_FATAL_FAILURE(StartManager());
    ASSERT_NO_FATAL_FAILURE(StartWindow("bob", "bobpass"));
    ASSERT_TRUE(RunUntil([&] { return PlayerList()->model()->rowCount() > 3; }, 20s));
    bool enabled = true;
    QString tip;
    OpenPopup(2, [&](QMenu& menu) -> QAction* {
        QAction* punt =
            ActionAt(menu, {QStringLiteral("Punt"), QStringLiteral("KICKED FOR TEAM-KILLING")});
        if (punt) {
            enabled = punt->isEnabled();
            tip = punt->toolTip();
        }
        return nullptr;
    });
    EXPECT_FALSE(enabled);
    EXPECT_TRUE(tip.contains(QStringLiteral("Punt"))) << tip.toStdString();

    const size_t from = m_sim.Lines().size();
    m_app->GetConsole().Session().OnCommandRequest("player punt 3");
    EXPECT_TRUE(RunUntil(
        [&] { return Text("ratResponseField") == QStringLiteral("Refused, missing right: Punt"); },
        10s))
        << Text("ratResponseField").toStdString();
    EXPECT_FALSE(m_sim.FindLine("cmd: player punt", from, 0ms).has_value());
}

}  // namespace
}  // namespace tavrin::testing
