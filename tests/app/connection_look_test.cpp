#include "app/connection_look.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/console.h"
#include "support/fakes.h"
#include "support/quiet_console_observer.h"
#include "support/temp_dir.h"
#include "support/virtual_host.h"

namespace tavrin {
namespace {

TEST(ConnectionLook, FollowsTheSessionState) {
    struct Case {
        bool connected;
        bool autoRecon;
        ConnectionLook look;
    };
    const Case cases[] = {
        {false, false, ConnectionLook::Offline},
        {true, false, ConnectionLook::Connected},
        {false, true, ConnectionLook::Reconnecting},
        // The flag is cleared as the reconnect logs in; the login wins.
        {true, true, ConnectionLook::Connected},
    };
    for (const Case& c : cases) {
        SessionState s;
        s.m_fRATConnected = c.connected;
        s.m_fAutoRecon = c.autoRecon;
        EXPECT_EQ(LookOfConnection(s), c.look) << c.connected << c.autoRecon;
    }
}

// A console in virtual time, logged in, that loses its connection.
struct LookFixture : ::testing::Test, WorkerInfoSource, testing::QuietConsoleObserver {
    testing::TempDir dir;
    ManualClock clock{{2026, 3, 7, 9, 5, 3}};
    testing::VirtualHost host;
    testing::ScriptedDialogs dialogs;
    std::unique_ptr<Console> console;

    WorkerInfo CurrentWorkerInfo() const override { return {}; }

    void SetUp() override {
        std::filesystem::create_directories(dir.File("Configs"));
        std::ofstream(dir.File("Configs/servers.cfg"), std::ios::binary)
            << "*FAV*Home,10.0.0.5,40000,admin,secret\r\n";
        console = std::make_unique<Console>(dir.Path(), host, dialogs, clock, *this, *this);
        host.session = &console->Session();
        host.clock = &clock;
        console->Initialise();
        console->OnTimer(TimerId::Startup);
    }
    void LogIn() {
        ASSERT_TRUE(console->Login());
        console->Session().OnRatConnected();
        console->Session().OnRatFrameReceived("code");
        console->Session().OnRatFrameReceived("Welcome");
    }
    ConnectionLook Look() { return LookOfConnection(console->Session().State()); }
};

TEST_F(LookFixture, ReconnectingFromTheLossUntilTheNextLogin) {
    EXPECT_EQ(Look(), ConnectionLook::Offline);
    LogIn();
    EXPECT_EQ(Look(), ConnectionLook::Connected);

    host.EndWorker();
    console->Session().OnRatSocketClosed(10054);  // reset by the peer
    EXPECT_EQ(Look(), ConnectionLook::Reconnecting);
    host.Advance(5000);
    EXPECT_EQ(console->Session().FieldText(Field::RatResponse), "AutoRecon in 15 s");
    EXPECT_EQ(Look(), ConnectionLook::Reconnecting);
    host.Advance(16000);  // the countdown ends: a reconnect attempt
    EXPECT_EQ(host.workersStarted, 2);
    EXPECT_EQ(Look(), ConnectionLook::Reconnecting);
    console->Session().OnRatConnected();
    console->Session().OnRatFrameReceived("code");
    console->Session().OnRatFrameReceived("Welcome");
    EXPECT_EQ(Look(), ConnectionLook::Connected);

    // A second loss, and the user gives up on it.
    host.EndWorker();
    console->Session().OnRatSocketClosed(10054);
    EXPECT_EQ(Look(), ConnectionLook::Reconnecting);
    console->Logout();
    EXPECT_EQ(Look(), ConnectionLook::Offline);
}

}  // namespace
}  // namespace tavrin
