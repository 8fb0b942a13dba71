// The desktop console in the manager role, in this process, logged in to the
// real tavrinrat-sim, with an admin connecting to its Admin Port: the Admins
// tab, the Admin Port group and the title, found by object name and clicked
// on the offscreen platform.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTcpSocket>
#include <QtTest>
#include <fstream>
#include <memory>
#include <sstream>

#include "app/ui/status_field.h"
#include "app/ui/window_app.h"
#include "manager/admin_frame.h"
#include "sim/sim_client.h"
#include "support/qt_environment.h"
#include "support/qt_loop.h"
#include "support/sim_window.h"
#include "support/temp_dir.h"

namespace tavrin::testing {
namespace {

[[maybe_unused]] const auto* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment<QApplication>("test_manager_window"));

// An admin console on this thread's event loop: frames in and out.
class QtAdminPeer {
  public:
    explicit QtAdminPeer(uint16_t port) {
        QObject::connect(&m_socket, &QTcpSocket::readyRead, &m_socket, [this] {
            std::string bytes = m_socket.readAll().toStdString();
            std::string_view rest = bytes;
            while (!rest.empty()) {
                auto r = m_reader.Feed(rest);
                rest.remove_prefix(r.used);
                if (r.status == AdminFrameReader::Status::Frame) frames.push_back(r.text);
                if (r.status != AdminFrameReader::Status::Frame) break;
            }
        });
        m_socket.connectToHost(QHostAddress::LocalHost, port);
    }
    void Send(std::string_view text) {
        const std::string frame = EncodeAdminFrame(text);
        m_socket.write(frame.data(), static_cast<qint64>(frame.size()));
    }
    bool WaitFrames(size_t n) {
        return RunUntil([&] { return frames.size() >= n; }, 10s);
    }
    bool Closed() const { return m_socket.state() == QAbstractSocket::UnconnectedState; }

    std::vector<std::string> frames;

  private:
    QTcpSocket m_socket;
    AdminFrameReader m_reader;
};

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class ManagerWindow : public SimWindowTest {
  protected:
    void SetUp() override {
        ConsoleOptions options;
        options.login = true;
        options.manager.manager = true;
        options.manager.port.port = 0;
        options.manager.port.bind = QHostAddress::LocalHost;
        ASSERT_NO_FATAL_FAILURE(StartWindow(options));
        ASSERT_TRUE(RunUntil(
            [&] {
                return m_app->GetConsole().Started() &&
                       Text("connectionField") == QStringLiteral("Connected");
            },
            20s));
        ASSERT_TRUE(m_app->AdminPort() != nullptr && m_app->AdminPort()->Listening());
    }

    void Click(const char* button) {
        auto* b = Find<QAbstractButton>(button);
        ASSERT_TRUE(b != nullptr) << button;
        QTest::mouseClick(b, Qt::LeftButton);
    }
    QString Cell(int row, AdminColumn column) {
        QAbstractItemModel* model = Find<QTableView>("adminList")->model();
        return model->index(row, static_cast<int>(column)).data().toString();
    }
    void Edit(int row, AdminColumn column, const QString& text) {
        QAbstractItemModel* model = Find<QTableView>("adminList")->model();
        ASSERT_TRUE(model->setData(model->index(row, static_cast<int>(column)), text));
    }
};

TEST_F(ManagerWindow, ShowsTheManagersTabTitleAndAdminPort) {
    auto* tabs = Find<QTabWidget>("mainTabs");
    ASSERT_EQ(tabs->count(), 6);
    EXPECT_EQ(tabs->tabText(5), QStringLiteral(" Admins "));
    m_app->Window().ShowTab(5);
    EXPECT_EQ(tabs->currentWidget()->objectName(), QStringLiteral("adminsPage"));
    EXPECT_TRUE(m_app->Window().windowTitle().endsWith(QStringLiteral(" - As TavrinMAN")));
    EXPECT_TRUE(Find<QGroupBox>("adminPortGroup")->isVisible());
    EXPECT_EQ(Find<QPushButton>("adminPortToggle")->text(), QStringLiteral("Close Port"));
    EXPECT_EQ(Text("adminsField"), QStringLiteral("Admins: 0 / 0"));
}

TEST_F(ManagerWindow, AnAccountMadeOnTheTabLogsInAndShowsOnline) {
    m_app->Window().ShowTab(5);
    Click("newAdmin");
    Edit(0, AdminColumn::Name, QStringLiteral("Zed"));
    Edit(0, AdminColumn::User, QStringLiteral("zed"));
    Edit(0, AdminColumn::Pass, QStringLiteral("zedpass"));
    Click("right8");  // Warn
    Click("right9");  // Punt
    EXPECT_EQ(Cell(0, AdminColumn::Rights), QStringLiteral("0300"));
    EXPECT_NE(Cell(0, AdminColumn::Pass), QStringLiteral("zedpass"));
    Click("saveList");
    EXPECT_EQ(FileText(m_dir.File("Configs/radmins.cfg")),
              "Name=Zed\r\nUser=zed\r\nPass=zedpass\r\nRights=0300\r\nGuid=none\r\n[END]");

    // An account not yet saved would log in too; this one is saved.
    QtAdminPeer zed(m_app->AdminPort()->ServerPort());
    ASSERT_TRUE(zed.WaitFrames(1));
    EXPECT_EQ(zed.frames[0], "Hollispark");
    zed.Send("zed");
    ASSERT_TRUE(zed.WaitFrames(2));
    zed.Send("zedpass");
    ASSERT_TRUE(zed.WaitFrames(4));
    EXPECT_THAT(zed.frames, ::testing::ElementsAre("Hollispark", "User:OK", "0300", "LOGGED_IN"));
    EXPECT_EQ(Cell(0, AdminColumn::Status), QStringLiteral("Online"));
    EXPECT_EQ(Text("adminsField"), QStringLiteral("Admins: 1 / 1"));

    zed.Send("player list");
    ASSERT_TRUE(zed.WaitFrames(5));
    EXPECT_EQ(zed.frames[4].rfind("NAME\t#\tTEAM", 0), 0u);
    EXPECT_EQ(Cell(0, AdminColumn::LastActivity), QStringLiteral("player list"));

    // Closing the port keeps him; "Close Admin Connections" does not.
    Click("adminPortToggle");
    EXPECT_EQ(Find<QPushButton>("adminPortToggle")->text(), QStringLiteral("Open Port"));
    EXPECT_FALSE(m_app->AdminPort()->Listening());
    zed.Send("chat get");
    ASSERT_TRUE(zed.WaitFrames(6));
    Click("closeAdminConnectionsButton");
    ASSERT_TRUE(RunUntil([&] { return zed.Closed(); }, 5s));
    ASSERT_TRUE(
        RunUntil([&] { return Cell(0, AdminColumn::Status) == QStringLiteral(" - "); }, 5s));
    EXPECT_EQ(Cell(0, AdminColumn::LastActivity), QStringLiteral(" - "));
    EXPECT_EQ(Text("adminsField"), QStringLiteral("Admins: 0 / 1"));
    Click("adminPortToggle");
    EXPECT_EQ(Find<QPushButton>("adminPortToggle")->text(), QStringLiteral("Close Port"));
}

// The account file read again (SIGHUP): the Admins tab shows the new table.
TEST_F(ManagerWindow, TheAdminsTabShowsTheAccountsReadAgain) {
    m_app->Window().ShowTab(5);
    ASSERT_EQ(Find<QTableView>("adminList")->model()->rowCount(), 0);
    std::ofstream(m_dir.File("Configs/radmins.cfg"), std::ios::binary)
        << "Name=Amy\r\nUser=amy\r\nPass=amypass\r\nRights=0100\r\nGuid=none\r\n"
           "Name=Ben\r\nUser=ben\r\nPass=benpass\r\nRights=0000\r\nGuid=none\r\n[END]";
    m_app->GetConsole().ReloadConfiguration();
    ASSERT_EQ(Find<QTableView>("adminList")->model()->rowCount(), 2);
    EXPECT_EQ(Cell(1, AdminColumn::Name), QStringLiteral("Ben"));
    EXPECT_EQ(Cell(0, AdminColumn::Rights), QStringLiteral("0100"));
    EXPECT_EQ(Text("adminsField"), QStringLiteral("Admins: 0 / 2"));
}

}  // namespace
}  // namespace tavrin::testing
