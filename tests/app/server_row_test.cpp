#include "app/server_row.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

SessionState State(bool connected, bool gameMode, bool autoRecon, int countdown) {
    SessionState s;
    s.m_fRATConnected = connected;
    s.m_fGameMode = gameMode;
    s.m_fAutoRecon = autoRecon;
    s.m_nAutoReconCountdown = countdown;
    return s;
}

TEST(ServerRow, MarksStatusAndPlayers) {
    struct Case {
        SessionState state;
        std::string lastReason;
        ServerMark mark;
        std::string text;
    };
    const Case cases[] = {
        {State(true, true, false, 20), "", ServerMark::LoggedIn, "alpha\nLogged in - 3 players"},
        {State(true, false, false, 20), "Menu Mode", ServerMark::MenuMode,
         "alpha\nMenu mode - 3 players"},
        {State(false, true, true, 12), "Connection lost", ServerMark::Reconnecting,
         "alpha\nReconnecting in 12 s"},
        {State(false, true, true, 0), "", ServerMark::Reconnecting, "alpha\nReconnecting in 0 s"},
        // An attempt runs: the countdown waits at its full length.
        {State(false, true, true, kAutoReconSeconds), "", ServerMark::Reconnecting,
         "alpha\nReconnecting"},
        {State(false, true, false, 20), "", ServerMark::NotConnected, "alpha\nNot connected"},
        {State(false, true, false, 20), "Login Rejected: bad", ServerMark::Error,
         "alpha\nError: Login Rejected: bad"},
    };
    for (const Case& c : cases) {
        const ServerRow row = SummariseServer("alpha", c.state, c.lastReason, 3, false);
        EXPECT_EQ(row.mark, c.mark) << c.text;
        EXPECT_EQ(ServerRowText(row), c.text);
    }
    EXPECT_EQ(ServerRowText(SummariseServer("b", State(true, true, false, 20), "", 1, true)),
              "b (!)\nLogged in - 1 player");
}

TEST(ServerRow, ARemoteConsoleIsMarkedAsReachedThroughAManager) {
    struct Case {
        SessionState state;
        bool badge;
        std::string text;
    };
    const Case cases[] = {
        {State(true, true, false, 20), false, "Hub (via manager)\nLogged in - 2 players"},
        {State(false, true, false, 20), false, "Hub (via manager)\nNot connected"},
        {State(false, true, true, 5), true, "Hub (via manager) (!)\nReconnecting in 5 s"},
    };
    for (const Case& c : cases) {
        const ServerRow row = SummariseServer("Hub", c.state, "", 2, c.badge, true);
        EXPECT_TRUE(row.viaManager);
        EXPECT_EQ(ServerRowText(row), c.text);
    }
}

TEST(ServerRow, BadgeShowsCatchesUntilTheRowIsSelected) {
    CatchBadge badge;
    EXPECT_FALSE(badge.On());
    badge.Update(2, false);  // caught while another row is selected
    EXPECT_TRUE(badge.On());
    badge.Update(2, false);
    EXPECT_TRUE(badge.On());
    badge.Seen();
    EXPECT_FALSE(badge.On());
    badge.Update(3, true);  // caught while its own row is selected
    EXPECT_FALSE(badge.On());
    badge.Update(4, false);
    EXPECT_TRUE(badge.On());
}

}  // namespace
}  // namespace tavrin
