// The window with several game servers open, each a tavrinrat-sim on a port
// the system picks: the server list, moving between servers, the catch
// badge, "Message all servers", Close Server and the open set kept between
// runs. The window is found by object name and clicked, on the offscreen
// platform.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QInputDialog>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QtTest>
#include <array>
#include <memory>

#include "app/ui/console_pane.h"
#include "app/ui/status_field.h"
#include "app/ui/window_app.h"
#include "app/window_state.h"
#include "chatbot/chatbot_config.h"
#include "sim/sim_client.h"
#include "support/qt_environment.h"
#include "support/qt_loop.h"
#include "support/sim_folder.h"
#include "support/temp_dir.h"
#include "support/widget_input.h"

namespace tavrin::testing {
namespace {

[[maybe_unused]] const auto* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment<QApplication>("test_servers_window"));

SimProcess StartSim() {
    return SimProcess(TAVRIN_SIM_PATH, {"--control-port", "0", "--tick-ms", "0", "--seed", "7",
                                        "--user", "admin", "--password", "secret"});
}

// Two simulators, Alpha (the favourite) and Beta, in servers.cfg.
class ServersWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_GT(m_alpha.Port(), 0);
        ASSERT_GT(m_beta.Port(), 0);
        WriteServersFile(m_dir, "*FAV*Alpha,127.0.0.1," + std::to_string(m_alpha.Port()) +
                                    ",admin,secret\r\nBeta,127.0.0.1," +
                                    std::to_string(m_beta.Port()) + ",admin,secret\r\n");
    }

    void Open(const std::vector<std::string>& names) {
        ConsoleOptions options;
        options.servers = names;
        std::string error;
        const auto servers = WindowServers(m_dir.Path(), options, error);
        ASSERT_FALSE(servers.empty()) << error;
        m_app = std::make_unique<WindowApp>(m_dir.Path(), options, servers);
        m_app->SetDialogsScripted(true);
        m_app->Start();
        for (int i = 0; i < m_app->ServerCount(); ++i)
            ASSERT_TRUE(RunUntil([&] { return m_app->GetConsole(i).Started(); }, 10s));
    }

    void TearDown() override {
        if (!m_app) return;
        if (!m_app->Window().Closing()) m_app->Window().CloseConsole(false);
        RunUntil([&] { return m_app->Finished(); }, 5s);
        m_app.reset();
    }

    MainWindow& Window() { return m_app->Window(); }
    QListWidget* List() { return Find<QListWidget>(Window(), "serverList"); }
    ConsolePane& Shown() { return Window().CurrentPane(); }
    // A status field of the pane in view.
    QString Field(const char* name) { return Find<StatusField>(Shown(), name)->text(); }

    void LogIn(int server) {
        Window().SelectServer(server);
        QTest::mouseClick(Find<QPushButton>(Shown(), "loginButton"), Qt::LeftButton);
        ASSERT_TRUE(RunUntil(
            [&] {
                return m_app->GetConsole(server).Session().State().m_fRATConnected &&
                       !m_app->GetConsole(server).Session().PacerBusy();
            },
            20s));
    }
    void Trigger(const char* action) {
        auto* a = Find<QAction>(Window(), action);
        ASSERT_TRUE(a != nullptr) << action;
        a->trigger();
    }

    SimProcess m_alpha = StartSim();
    SimProcess m_beta = StartSim();
    TempDir m_dir;
    std::unique_ptr<WindowApp> m_app;
};

TEST_F(ServersWindow, OneServerShowsNoList) {
    ASSERT_NO_FATAL_FAILURE(Open({}));
    ASSERT_TRUE(List() != nullptr);
    EXPECT_FALSE(List()->isVisible());
    EXPECT_EQ(Window().windowTitle(), QStringLiteral("TavrinRAT 0.95 beta"));
    EXPECT_FALSE(Find<QAction>(Window(), "closeServerAction")->isEnabled());
}

TEST_F(ServersWindow, RowsSelectTheServerShownAndShortcutsMove) {
    ASSERT_NO_FATAL_FAILURE(Open({"Alpha", "Beta"}));
    ASSERT_TRUE(List()->isVisible());
    ASSERT_EQ(List()->count(), 2);
    EXPECT_EQ(List()->item(0)->text(), QStringLiteral("Alpha\nNot connected"));
    EXPECT_EQ(List()->item(1)->text(), QStringLiteral("Beta\nNot connected"));
    EXPECT_EQ(Window().windowTitle(), QStringLiteral("TavrinRAT 0.95 beta - Alpha"));

    ASSERT_NO_FATAL_FAILURE(LogIn(1));
    // Clicking Alpha's row shows Alpha's fields; Beta's row says it is logged in.
    QListWidget* list = List();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(0)).center());
    EXPECT_EQ(Shown().Name(), "Alpha");
    EXPECT_NE(Field("connectionField"), QStringLiteral("Connected"));
    EXPECT_TRUE(List()->item(1)->text().startsWith(QStringLiteral("Beta\nLogged in - ")))
        << List()->item(1)->text().toStdString();

    QTest::keyClick(&Window(), Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(Shown().Name(), "Beta");
    EXPECT_EQ(List()->currentRow(), 1);
    EXPECT_EQ(Field("connectionField"), QStringLiteral("Connected"));
    EXPECT_TRUE(Window().windowTitle().endsWith(QStringLiteral(" - Beta")));
    QTest::keyClick(&Window(), Qt::Key_PageDown, Qt::ControlModifier);  // the last stays
    EXPECT_EQ(Shown().Name(), "Beta");
    QTest::keyClick(&Window(), Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(Shown().Name(), "Alpha");
}

TEST_F(ServersWindow, ACatchOnAServerNotShownBadgesItsRowUntilSelected) {
    ASSERT_NO_FATAL_FAILURE(Open({"Alpha", "Beta"}));
    m_app->GetConsole(1).ChatBot().AcceptBannedWords(
        ParseChatBotConfig("[WORDS]\r\n"
                           "1\\zorblax\\Mind your words\\[0 PPts] - Warn Only\\0\\\r\n"
                           "[WARNINGS]\r\n"
                           "1\\Mind your words\\\r\n"
                           "[DEFAULT]\r\n"
                           "6"));
    ASSERT_NO_FATAL_FAILURE(LogIn(1));
    Window().ShowTab(4);
    QTest::mouseClick(Find<QPushButton>(Shown(), "chatStartStop"), Qt::LeftButton);
    Window().SelectServer(0);
    ASSERT_EQ(m_beta.Control("say Mallory what a zorblax move").rfind("ok say Mallory", 0), 0u);
    ASSERT_TRUE(RunUntil(
        [&] { return List()->item(1)->text().startsWith(QStringLiteral("Beta (!)\n")); }, 30s))
        << List()->item(1)->text().toStdString();
    EXPECT_FALSE(List()->item(0)->text().contains(QStringLiteral("(!)")));
    List()->setCurrentRow(1);
    EXPECT_TRUE(List()->item(1)->text().startsWith(QStringLiteral("Beta\n")));
}

TEST_F(ServersWindow, MessageAllServersReachesEveryLoggedInServer) {
    ASSERT_NO_FATAL_FAILURE(Open({"Alpha", "Beta"}));
    ASSERT_NO_FATAL_FAILURE(LogIn(0));
    ASSERT_NO_FATAL_FAILURE(LogIn(1));
    std::vector<std::string> asked;
    m_app->Dialogs(1).RecordAskedTo(&asked);
    m_app->Dialogs(0).RecordAskedTo(&asked);
    const size_t alphaFrom = m_alpha.Lines().size();
    const size_t betaFrom = m_beta.Lines().size();

    // A line Windows-1252 cannot hold is refused, not changed.
    Trigger("messageAllServersAction");
    auto* dialog = Find<QInputDialog>(Window(), "messageAllServersDialog");
    ASSERT_TRUE(dialog != nullptr);
    dialog->setTextValue(QStringLiteral("hi \u4e16"));
    dialog->accept();
    ASSERT_EQ(asked.size(), 1u);

    Trigger("messageAllServersAction");
    RunUntil([&] { return Find<QInputDialog>(Window(), "messageAllServersDialog") != nullptr; },
             1s);
    dialog = Find<QInputDialog>(Window(), "messageAllServersDialog");
    ASSERT_TRUE(dialog != nullptr);
    dialog->setTextValue(QStringLiteral("server restart soon"));
    dialog->accept();
    EXPECT_TRUE(RunUntil(
        [&] {
            return m_alpha.FindLine("cmd: chat send server restart soon", alphaFrom, 0ms) &&
                   m_beta.FindLine("cmd: chat send server restart soon", betaFrom, 0ms);
        },
        10s));
    // Each row shows its server's reply.
    for (int row : {0, 1})
        EXPECT_TRUE(RunUntil(
            [&] { return List()->item(row)->toolTip() == QStringLiteral("Chat sent."); }, 10s))
            << List()->item(row)->toolTip().toStdString() << "|"
            << Find<StatusField>(Window().Pane(row), "ratResponseField")->text().toStdString()
            << "|"
            << Find<StatusField>(Window().Pane(row), "ratCommandField")->text().toStdString();
}

TEST_F(ServersWindow, CloseServerLogsOutThatServerAlone) {
    ASSERT_NO_FATAL_FAILURE(Open({"Alpha", "Beta"}));
    ASSERT_NO_FATAL_FAILURE(LogIn(0));
    ASSERT_NO_FATAL_FAILURE(LogIn(1));
    Window().SelectServer(1);
    m_app->Dialogs(1).AnswerNextYesNo(false);
    Trigger("closeServerAction");
    EXPECT_EQ(m_app->ServerCount(), 2);

    m_app->Dialogs(1).AnswerNextYesNo(true);
    Trigger("closeServerAction");
    ASSERT_EQ(m_app->ServerCount(), 1);
    EXPECT_EQ(Shown().Name(), "Alpha");
    EXPECT_FALSE(List()->isVisible());
    EXPECT_FALSE(Window().windowTitle().contains(QStringLiteral("Alpha")));
    EXPECT_TRUE(RunUntil([&] { return m_beta.FindLine("closed", 0, 0ms).has_value(); }, 10s));
    EXPECT_TRUE(m_app->GetConsole(0).Session().State().m_fRATConnected);
    // The last server is never closed this way.
    EXPECT_FALSE(Find<QAction>(Window(), "closeServerAction")->isEnabled());
}

TEST_F(ServersWindow, ServerDetailsOpensAnotherRecordBesideTheFirst) {
    ASSERT_NO_FATAL_FAILURE(Open({}));
    // The favourite alone is no set to remember.
    EXPECT_TRUE(Window().CurrentState().servers.empty());
    auto details = [&] {
        QTest::mouseClick(Find<QPushButton>(Shown(), "changeButton"), Qt::LeftButton);
        return Find<QDialog>(Window(), "serverDetailsDialog");
    };
    // The record open already is not opened twice.
    QDialog* dialog = details();
    ASSERT_TRUE(dialog != nullptr);
    auto* open = Find<QPushButton>(*dialog, "openServerButton");
    ASSERT_TRUE(open != nullptr);
    QTest::mouseClick(open, Qt::LeftButton);
    EXPECT_EQ(m_app->ServerCount(), 1);
    dialog->reject();
    RunUntil([&] { return Find<QDialog>(Window(), "serverDetailsDialog") == nullptr; }, 2s);

    dialog = details();
    ASSERT_TRUE(dialog != nullptr);
    auto* names = Find<QComboBox>(*dialog, "serverNameCombo");
    names->setCurrentIndex(1);
    emit names->activated(1);
    QTest::mouseClick(Find<QPushButton>(*dialog, "openServerButton"), Qt::LeftButton);
    ASSERT_EQ(m_app->ServerCount(), 2);
    EXPECT_EQ(m_app->Server(1).name, "Beta");
    // A server opened later logs in Servers/NAME/ as one of several opened at start.
    EXPECT_EQ(m_app->Server(1).logDir, m_dir.Path() + "Servers/Beta/");
    EXPECT_EQ(Shown().Name(), "Beta");
    EXPECT_TRUE(List()->isVisible());
    EXPECT_EQ(List()->item(0)->text(), QStringLiteral("Alpha\nNot connected"));
    ASSERT_TRUE(RunUntil([&] { return m_app->GetConsole(1).Started(); }, 10s));
    ASSERT_NO_FATAL_FAILURE(LogIn(1));
    // The favourite, opened without a name, is remembered by its record's name.
    EXPECT_EQ(Window().CurrentState().servers, (std::vector<std::string>{"Alpha", "Beta"}));
}

TEST_F(ServersWindow, TheOpenSetIsRememberedAndOpenedAgain) {
    ASSERT_NO_FATAL_FAILURE(Open({"Beta", "Alpha"}));
    Window().CloseConsole(true);
    ASSERT_TRUE(RunUntil([&] { return m_app->Finished(); }, 5s));
    m_app.reset();
    EXPECT_EQ(LoadWindowState(m_dir.Path()).servers, (std::vector<std::string>{"Beta", "Alpha"}));

    ASSERT_NO_FATAL_FAILURE(Open({}));
    ASSERT_EQ(m_app->ServerCount(), 2);
    EXPECT_EQ(m_app->Server(0).name, "Beta");
    EXPECT_EQ(m_app->Server(1).name, "Alpha");
    Window().CloseConsole(false);
    ASSERT_TRUE(RunUntil([&] { return m_app->Finished(); }, 5s));
    m_app.reset();

    // --server wins; a name servers.cfg no longer has is skipped, and with
    // none left the favourite opens.
    std::string error;
    ConsoleOptions beta;
    beta.servers = {"Beta"};
    ASSERT_EQ(WindowServers(m_dir.Path(), beta, error).size(), 1u);
    EXPECT_EQ(WindowServers(m_dir.Path(), beta, error)[0].name, "Beta");
    WriteServersFile(
        m_dir, "*FAV*Alpha,127.0.0.1," + std::to_string(m_alpha.Port()) + ",admin,secret\r\n");
    auto open = WindowServers(m_dir.Path(), {}, error);
    ASSERT_EQ(open.size(), 1u);
    EXPECT_EQ(open[0].name, "Alpha");
    WriteServersFile(m_dir, "*FAV*Gamma,127.0.0.1,1,admin,secret\r\n");
    open = WindowServers(m_dir.Path(), {}, error);
    ASSERT_EQ(open.size(), 1u);
    EXPECT_EQ(open[0].name, "");
}

}  // namespace
}  // namespace tavrin::testing
