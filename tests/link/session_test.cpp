#include "link/session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <tuple>

#include "link/fake_markers.h"
#include "link/frame.h"
#include "link/login_block.h"
#include "support/fakes.h"
#include "support/virtual_host.h"

namespace tavrin {
namespace {

using testing::RecordingLog;
using testing::ScriptedDialogs;
using testing::VirtualHost;

class FakeModels final : public SessionModels {
  public:
    LoginDetails CurrentLoginDetails() override { return details; }
    void OnConnectStarting() override { ++connectResets; }
    bool ChatBotRunning() override { return chatBot; }
    std::vector<std::string> RunSanctionsPass(CommandSink& sink) override {
        if (duringPass) duringPass();
        if (!sanctions.empty()) sink.SubmitCommands(std::exchange(sanctions, {}));
        return shownByPass;
    }
    std::optional<CurrentMission> ParseMissionReply(const std::string& text) override {
        if (!testing::IsFakeMissionList(text)) return std::nullopt;
        return CurrentMission{missionName, missionFile};
    }
    TeamCounts ParsePlayerList(const std::string&) override { return {12, 5, 7}; }
    std::string ParseGameSettings(const std::string&) override { return serverName; }
    void ParseWeaponsList(const std::string&) override { ++weaponLists; }
    void ProcessChatReply(const std::string& text) override { chats.push_back(text); }
    void OnCommandSent(const std::string&) override {}
    ReplyMarkers Markers() const override { return testing::FakeReplyMarkers(); }

    LoginDetails details{"Home", "10.0.0.5", "40000", "admin", "secret"};
    int connectResets = 0;
    bool chatBot = false;
    std::vector<PacedCommand> sanctions;
    std::function<void()> duringPass;  // e.g. a reply that arrives meanwhile
    std::vector<std::string> shownByPass;
    std::string missionName = "Night Raid";
    std::string missionFile = "raid.mis";
    std::string serverName;
    int weaponLists = 0;
    std::vector<std::string> chats;
};

struct SessionFixture : ::testing::Test {
    ManualClock clock{{2026, 3, 7, 9, 5, 0}};
    VirtualHost host;
    FakeModels models;
    RecordingLog log;
    ScriptedDialogs dialogs;
    RatSession session{host, models, log, dialogs, clock};

    SessionFixture() {
        host.session = &session;
        host.clock = &clock;
    }

    bool Logged(const std::string& line) const {
        return std::find(log.lines.begin(), log.lines.end(), line) != log.lines.end();
    }
    std::string F(Field f) const { return session.FieldText(f); }

    // Connects, answers the greeting and accepts the login; the six first
    // commands have all gone out.
    void LogIn() {
        host.sent.clear();
        session.OnConnectRequest();
        session.OnRatConnected();
        session.OnRatFrameReceived("ABCDEFGHIJKLMNOPQRSTUVWXYZ012345");
        session.OnRatFrameReceived("Welcome admin");
        host.Advance(2000);
        // The six first commands are answered, so no later reply pairs with them.
        for (const std::string& command : host.Commands())
            session.OnRatFrameReceived(command == "chat get"        ? ""
                                       : command == "get gamestate" ? "Current State = Game"
                                                                    : "ERROR");
        host.sent.clear();
        log.lines.clear();
        models.chats.clear();
    }
    // Sends a command as the main window does, then forgets what went out.
    void Send(const std::string& command) {
        session.SendRatCommand(command);
        host.sent.clear();
    }
    // The worker ends and reports the close, as the shell does.
    void ServerCloses(int code) {
        host.EndWorker();
        session.OnRatSocketClosed(code);
    }
};

TEST_F(SessionFixture, LoginAnswersTheGreetingAndSendsTheSixCommandsPaced) {
    session.OnConnectRequest();
    EXPECT_EQ(models.connectResets, 1);
    EXPECT_TRUE(Logged("User Login Request: 10.0.0.5:40000"));
    EXPECT_EQ(F(Field::Connection), "Connecting to Home");
    EXPECT_EQ(host.lastPort, 40000);

    session.OnRatConnected();
    EXPECT_EQ(F(Field::Connection), "Socket Connected");

    session.OnRatFrameReceived("ABCDEFGHIJKLMNOPQRSTUVWXYZ012345EXTRA");
    ASSERT_EQ(host.sent.size(), 1u);
    auto block = BuildLoginBlock("admin", "secret", "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345");
    EXPECT_EQ(host.sent[0].frame, EncodeLoginFrame(block.value()));
    EXPECT_EQ(F(Field::RatCommand), "Sending details");
    EXPECT_TRUE(session.State().m_fEncryptCodeReceived);
    EXPECT_FALSE(host.Running(TimerId::StatusPoll));

    host.sent.clear();
    session.OnRatFrameReceived("Welcome to the server");
    EXPECT_TRUE(session.State().m_fRATConnected);
    EXPECT_EQ(F(Field::Connection), "Connected");
    EXPECT_EQ(F(Field::ServerMode), "Updating");
    EXPECT_EQ(F(Field::TabConnectionStarted), " 09:05:00,07-03-26");
    EXPECT_TRUE(Logged("Logged In"));
    EXPECT_TRUE(session.ControlOn(Control::AutoRefreshTicked));
    EXPECT_FALSE(session.ControlOn(Control::LoginButtonsEnabled));
    EXPECT_TRUE(host.Running(TimerId::StatusPoll));

    host.Advance(1300);
    EXPECT_EQ(host.Commands(),
              (std::vector<std::string>{"get gamestate", "mission available", "player list",
                                        "mission list", "chat get", "get gamesettings"}));
    for (size_t i = 0; i < host.sent.size(); ++i) EXPECT_EQ(host.sent[i].atMs, 250L * i);
}

TEST_F(SessionFixture, RejectionByVerdictAndANewGreetingAfterIt) {
    session.OnConnectRequest();
    session.OnRatFrameReceived("code-one");
    session.OnRatFrameReceived("User name or password wrong");
    EXPECT_EQ(dialogs.messages,
              std::vector<std::string>{"Login Rejected\nUser name or password wrong"});
    EXPECT_TRUE(Logged("Login Rejected: User name or password wrong"));
    EXPECT_EQ(F(Field::Connection), "Not Connected");
    EXPECT_EQ(F(Field::ServerMode), "Server Mode");
    EXPECT_FALSE(session.State().m_fEncryptCodeReceived);
    EXPECT_FALSE(session.State().m_fRATConnected);

    // A further frame on the same connection is a new greeting.
    host.sent.clear();
    session.OnRatFrameReceived("code-two");
    ASSERT_EQ(host.sent.size(), 1u);
    EXPECT_EQ(host.sent[0].frame.size(), 73u);
}

TEST_F(SessionFixture, VerdictIsARejectionOnlyWhenItBeginsWithUser) {
    for (const char* verdict : {"Welcome User admin", "user ok", "Hello"}) {
        RatSession s{host, models, log, dialogs, clock};
        s.OnConnectRequest();
        s.OnRatFrameReceived("code");
        s.OnRatFrameReceived(verdict);
        EXPECT_TRUE(s.State().m_fRATConnected) << verdict;
    }
}

TEST_F(SessionFixture, ServerClosingAfterTheLoginFrameIsARejection) {
    session.OnConnectRequest();
    session.OnRatFrameReceived("code");
    ServerCloses(0);
    EXPECT_EQ(F(Field::Connection), "Login Rejected");
    EXPECT_TRUE(Logged("Login Attempt Rejected"));
    EXPECT_FALSE(session.State().m_fAutoRecon);
    EXPECT_TRUE(session.ControlOn(Control::LoginButtonsEnabled));
}

TEST_F(SessionFixture, CleanCloseWhileLoggedInReturnsToIdle) {
    LogIn();
    ServerCloses(0);
    EXPECT_EQ(F(Field::Connection), "Not Connected");
    EXPECT_FALSE(session.State().m_fAutoRecon);
    EXPECT_FALSE(host.Running(TimerId::AutoRecon));
    EXPECT_FALSE(session.ControlOn(Control::AutoRefreshTicked));
    EXPECT_TRUE(session.ControlOn(Control::LoginButtonsEnabled));
    EXPECT_EQ(F(Field::TabPlayers), "0 / 0 / 0");
}

TEST_F(SessionFixture, ResetWhileLoggedInStartsTheCountdownAndReconnects) {
    LogIn();
    ServerCloses(10054);
    EXPECT_EQ(F(Field::Connection), "Connection Interrupted");
    EXPECT_EQ(F(Field::ServerMode), "Connection reset by the server (10054)");
    EXPECT_EQ(F(Field::RatCommand), "AutoRecon(0/5) <Logout> to abort");
    const std::vector<std::string> expected = {
        "TavrinRat: socket closed [10054]: Connection reset by the server",
        std::string(kSeparatorDashes),
        "Last Status ",
        "Server: Name ",
        "Mode: Game Mode ",
        "Players: 0 / 0 / 0 ",
        "Mission: Mission",
        std::string(kSeparatorDashes),
        "AutoRecon timer started",
    };
    EXPECT_EQ(log.lines, expected);
    EXPECT_FALSE(session.ControlOn(Control::LoginButtonsEnabled));

    host.Advance(1000);
    EXPECT_EQ(F(Field::RatResponse), "AutoRecon in 19 s");
    host.Advance(19000);
    EXPECT_EQ(F(Field::RatResponse), "AutoRecon in 0 s");
    EXPECT_EQ(host.workersStarted, 1);
    host.Advance(1000);  // the 21st tick reconnects
    EXPECT_EQ(host.workersStarted, 2);
    EXPECT_TRUE(Logged("Auto Login Request: 10.0.0.5:40000 [0/5]"));
    EXPECT_EQ(F(Field::Connection), "Reconnecting to Home");
    EXPECT_EQ(session.State().m_nAutoReconCountdown, 20);

    session.OnRatFrameReceived("code");
    session.OnRatFrameReceived("Welcome");
    EXPECT_TRUE(Logged("AutoRecon OK"));
    EXPECT_FALSE(session.State().m_fAutoRecon);
}

TEST_F(SessionFixture, RefusedReconnectsCountUntilAutoReconGivesUp) {
    LogIn();
    ServerCloses(10054);
    for (int attempt = 1; attempt <= 5; ++attempt) {
        host.Advance(21000);
        ASSERT_EQ(host.workersStarted, attempt + 1);
        session.OnRatSocketError(10061, kOriginConnect);
        EXPECT_EQ(F(Field::Connection), "Connection Error");
        EXPECT_EQ(F(Field::ServerMode), "Connection refused (10061)");
        EXPECT_EQ(F(Field::RatCommand), "AutoRecon(" + std::to_string(attempt) + "/5) or <Logout>");
        EXPECT_TRUE(Logged("OnConnect():TavrinRat: socket error [10061]: Connection refused"));
        host.EndWorker();
        session.OnRatSocketClosed(10061);  // the worker's close after the failed connect
    }
    host.Advance(21000);
    session.OnRatSocketError(10061, kOriginConnect);
    EXPECT_EQ(F(Field::Connection), "Failed to reconnect");
    EXPECT_TRUE(Logged("TavrinRat: AutoRecon has failed after 5 attempts:"));
    EXPECT_FALSE(session.State().m_fAutoRecon);
    EXPECT_EQ(session.State().m_ConnAttempts, 0);
    EXPECT_TRUE(session.ControlOn(Control::LoginButtonsEnabled));
}

TEST_F(SessionFixture, ErrorOutsideTheSocketRangeStaysIdle) {
    session.OnConnectRequest();
    session.OnRatSocketError(11001, kOriginThreadInit);
    EXPECT_EQ(F(Field::Connection), "Connection Error");
    EXPECT_FALSE(session.State().m_fAutoRecon);
    EXPECT_FALSE(host.Running(TimerId::AutoRecon));
}

TEST_F(SessionFixture, UnansweredGameStateTimesOutAfterTenSeconds) {
    LogIn();
    session.OnAutoRefreshToggled(false);  // no poll renews the request
    session.SendRatCommand("get gamestate");
    EXPECT_TRUE(session.State().m_fRequestingStatus);
    // Other replies do not count as an answer.
    session.OnRatFrameReceived("Bob: hello");
    host.Advance(9999);
    EXPECT_EQ(F(Field::Connection), "Connected");
    host.Advance(1);
    EXPECT_EQ(F(Field::Connection), "Status request timeout");
    EXPECT_EQ(F(Field::ServerMode), "Internal error W505");
    EXPECT_TRUE(Logged("Tavrinrat: closing socket due to request timeout"));
    EXPECT_FALSE(session.State().m_fRequestingStatus);
    EXPECT_TRUE(session.State().m_fAutoRecon);
    EXPECT_EQ(host.closeRequests, 1);
}

TEST_F(SessionFixture, AnsweredGameStateLeavesTheConnectionAlone) {
    LogIn();
    session.SendRatCommand("get gamestate");
    host.Advance(3000);
    session.OnRatFrameReceived("Current State = Game");
    EXPECT_FALSE(session.State().m_fRequestingStatus);
    EXPECT_FALSE(host.Running(TimerId::RequestTimeout));
    EXPECT_EQ(F(Field::ServerMode), "Server Status = Game Mode");
}

TEST_F(SessionFixture, LogoutDuringTheCountdownCancelsItAndKeepsTheRemainder) {
    LogIn();
    ServerCloses(10054);
    host.Advance(5000);
    session.OnLogoutRequest();
    EXPECT_FALSE(host.Running(TimerId::AutoRecon));
    EXPECT_TRUE(Logged("User cancelled AutoRecon"));
    EXPECT_EQ(log.lines.back(), std::string(kSeparatorDashes));
    EXPECT_EQ(F(Field::Connection), "Not Connected");
    EXPECT_EQ(session.State().m_nAutoReconCountdown, 15);
}

TEST_F(SessionFixture, LogoutWaitsForTheWorkerBeforeItsLaterSteps) {
    LogIn();
    host.workerEndsOnClose = false;
    session.OnLogoutRequest();
    EXPECT_EQ(host.closeRequests, 1);
    EXPECT_TRUE(session.State().m_fRATConnected) << "the flags change once the worker has ended";
    // The worker's close arrives while the session waits: it is held back
    // until the worker has ended and the logout has finished.
    session.OnRatSocketClosed(0);
    EXPECT_TRUE(session.State().m_fRATConnected);
    host.EndWorker();
    EXPECT_FALSE(session.State().m_fRATConnected);
    const std::vector<std::string> expected = {"User Logged out", std::string(kSeparatorDashes)};
    EXPECT_EQ(log.lines, expected);
    EXPECT_EQ(F(Field::Connection), "Not Connected");
    EXPECT_TRUE(session.ControlOn(Control::LoginButtonsEnabled));
}

TEST_F(SessionFixture, LogoutWhileConnectingEndsTheAttempt) {
    session.OnConnectRequest();
    session.OnRatFrameReceived("code");
    session.OnLogoutRequest();
    EXPECT_EQ(host.closeRequests, 1);
    EXPECT_FALSE(session.State().m_fEncryptCodeReceived);
    session.OnRatSocketClosed(0);
    EXPECT_FALSE(Logged("Login Attempt Rejected"));
    EXPECT_EQ(F(Field::Connection), "Not Connected");
}

TEST_F(SessionFixture, EventsWhileClosingChangeNothing) {
    LogIn();
    session.SetClosing();
    const auto fields = host.fieldChanges.size();
    session.OnRatSocketClosed(10054);
    session.OnRatSocketError(10054, kOriginReceive);
    session.OnRatConnected();
    EXPECT_EQ(host.fieldChanges.size(), fields);
    EXPECT_FALSE(session.State().m_fAutoRecon);
}

TEST_F(SessionFixture, PollRotationContinuesAcrossConnections) {
    const std::vector<std::string> rotation = {"get gamestate", "player list", "chat get",
                                               "player list",   "chat get",    "mission list",
                                               "chat get"};
    std::vector<std::string> polls;
    auto poll = [&](int count) {
        for (int i = 0; i < count; ++i) {
            host.sent.clear();
            host.Advance(5000);
            ASSERT_EQ(host.Commands().size(), 1u);
            polls.push_back(host.Commands()[0]);
            session.OnRatFrameReceived("Current State = Game");  // answers every poll
        }
    };
    LogIn();
    poll(4);
    ServerCloses(0);
    LogIn();
    poll(10);
    ASSERT_EQ(polls.size(), 14u);
    for (size_t i = 0; i < polls.size(); ++i) EXPECT_EQ(polls[i], rotation[i % 7]) << i;
}

// Every reply starts the poll's quiet period again, but not the replies to
// the scheduler's commands and what they set off: a message every few
// seconds must not hold the status poll back for good.
TEST_F(SessionFixture, ScheduledCommandsLeaveThePollOnTime) {
    for (const PacedCommand::Route route :
         {PacedCommand::Route::Request, PacedCommand::Route::Scheduled}) {
        const bool scheduled = route == PacedCommand::Route::Scheduled;
        LogIn();
        ASSERT_TRUE(host.Running(TimerId::StatusPoll));
        const long pollDue = host.timers[TimerId::StatusPoll].dueMs;
        host.Advance(3000);
        session.SubmitCommands({{"chat send Rules apply", 0, route}});
        EXPECT_EQ(host.Commands(), std::vector<std::string>{"chat send Rules apply"});
        session.OnRatFrameReceived("Chat sent.");  // sets off a "chat get"
        session.OnRatFrameReceived("Admin: Rules apply");
        EXPECT_EQ(host.timers[TimerId::StatusPoll].dueMs, scheduled ? pollDue : host.nowMs + 5000)
            << scheduled;
        EXPECT_EQ(Logged("Scheduled: chat send Rules apply"), scheduled);
        ServerCloses(0);
    }
}

TEST_F(SessionFixture, UntickedAutoRefreshStopsPolling) {
    LogIn();
    session.OnAutoRefreshToggled(false);
    host.Advance(60000);
    EXPECT_TRUE(host.Commands().empty());
}

TEST_F(SessionFixture, PollAlternatesServerModeBetweenMissionAndMode) {
    LogIn();
    session.SetField(Field::TabMission, "Night Raid");
    session.SetField(Field::TabMode, "Game Mode");
    for (int second = 0; second < 10; ++second) {
        clock.Set({2026, 3, 7, 9, 5, 10 + second});
        session.OnTimer(TimerId::StatusPoll);
        const bool mission = second % 3 == 0;  // last digit 0, 3, 6 or 9
        EXPECT_EQ(F(Field::ServerMode), mission ? "Night Raid" : "Game Mode") << second;
    }
}

TEST_F(SessionFixture, CommandRequestWhileLoggedOutSaysItWasNotSent) {
    session.OnCommandRequest("set friendlyFire 1");
    EXPECT_EQ(F(Field::RatCommand), "Not sent (not logged in): set friendlyFire 1");
    EXPECT_EQ(log.lines, std::vector<std::string>{"Not sent (not logged in): set friendlyFire 1"});
    EXPECT_TRUE(host.sent.empty());
    // The main window's own sending while logged out leaves a diagnostic line.
    session.SendRatCommand("chat get");
    EXPECT_TRUE(Logged("Error: SendRatCommand(chat get) when not connected"));
    EXPECT_EQ(F(Field::RatCommand), "Not sent (not logged in): set friendlyFire 1");
    EXPECT_EQ(NotSentReason(true, false), kNotSentMenuMode);
    EXPECT_EQ(NotSentReason(true, true), "");
}

TEST_F(SessionFixture, OverlongCommandIsRefusedWithALogLine) {
    LogIn();
    session.SendRatCommand("set serverPassword " + std::string(240, 'x'));
    EXPECT_TRUE(host.sent.empty());
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_NE(log.lines[0].find("set serverPassword"), std::string::npos);
}

TEST_F(SessionFixture, SanctionsPassOnTheClockTickIsPaced) {
    LogIn();
    models.chatBot = true;
    models.sanctions = {{"chat send Bob: no swearing", 1000, PacedCommand::Route::Direct},
                        {"player punt 3", 0, PacedCommand::Route::Direct}};
    models.shownByPass = {"Warning Bob no swearing"};
    session.OnAutoRefreshToggled(false);
    host.Advance(1000);  // the clock timer belongs to the application; tick it here
    session.OnTimer(TimerId::Clock);
    EXPECT_EQ(F(Field::Clock), "09:05:03");
    EXPECT_EQ(host.Commands(), std::vector<std::string>{"chat send Bob: no swearing"});
    EXPECT_EQ(F(Field::RatCommand), "Warning Bob no swearing") << "shown after its commands";
    EXPECT_FALSE(session.State().m_fChatScanning) << "replies keep flowing during the pauses";
    host.Advance(999);
    EXPECT_EQ(host.Commands().size(), 1u);
    host.Advance(1);
    EXPECT_EQ(host.Commands().back(), "player punt 3");
}

TEST_F(SessionFixture, ClockKeepsTimeWhileABoxHoldsEventsAndThePassWaits) {
    LogIn();
    models.chatBot = true;
    models.sanctions = {{"player punt 3", 0, PacedCommand::Route::Direct}};
    session.OnAutoRefreshToggled(false);
    session.HoldEvents();
    for (const char* shown : {"09:05:03", "09:05:04"}) {
        host.Advance(1000);
        session.OnTimer(TimerId::Clock);
        EXPECT_EQ(F(Field::Clock), shown);
    }
    EXPECT_TRUE(host.Commands().empty()) << "the sanctions pass waits for the answer";
    session.ReleaseEvents();
    ASSERT_FALSE(host.Commands().empty());
    EXPECT_EQ(host.Commands().front(), "player punt 3");
    EXPECT_EQ(F(Field::Clock), "09:05:04");
}

TEST_F(SessionFixture, BulkSendIgnoresRepliesUntilItsLastPauseAndPausesPolling) {
    LogIn();
    session.SubmitBulk({{"set a 1", 250, PacedCommand::Route::Request},
                        {"set b 2", 250, PacedCommand::Route::Request}});
    EXPECT_FALSE(host.Running(TimerId::StatusPoll));
    ASSERT_EQ(host.ignoreChanges.size(), 1u);
    EXPECT_EQ(host.ignoreChanges[0], (std::pair<long, std::string>{host.nowMs, "on"}));
    const long start = host.nowMs;
    host.Advance(600);
    ASSERT_EQ(host.ignoreChanges.size(), 2u);
    EXPECT_EQ(host.ignoreChanges[1], (std::pair<long, std::string>{start + 500, "off"}));
    EXPECT_EQ(host.Commands(), (std::vector<std::string>{"set a 1", "set b 2"}));
    const std::vector<std::string> logged = {"Loading settings file", "set a 1", "set b 2"};
    EXPECT_EQ(log.lines, logged);
    EXPECT_TRUE(host.Running(TimerId::StatusPoll));
}

TEST_F(SessionFixture, BulkSendWhileLoggedOutShowsEachCommandAndSendsNone) {
    session.SubmitBulk({{"set a 1", 250, PacedCommand::Route::Request},
                        {"set b 2", 250, PacedCommand::Route::Request}});
    host.Advance(600);
    EXPECT_TRUE(host.sent.empty());
    EXPECT_EQ(F(Field::RatCommand), "Not sent (not logged in): set b 2");
    EXPECT_EQ(log.lines, std::vector<std::string>{"Loading settings file"});
}

TEST_F(SessionFixture, BatchesQueueBehindEachOther) {
    LogIn();
    session.SubmitCommands({{"a", 250, PacedCommand::Route::Direct}});
    session.SubmitCommands({{"b", 250, PacedCommand::Route::Direct}});
    EXPECT_EQ(host.Commands(), std::vector<std::string>{"a"});
    host.Advance(250);
    EXPECT_EQ(host.Commands(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(host.sent[1].atMs - host.sent[0].atMs, 250);
}

TEST_F(SessionFixture, IgnoredRepliesDuringChatScanning) {
    LogIn();
    Send("get gamestate");
    models.chatBot = true;
    models.duringPass = [this] { session.OnRatFrameReceived("Current State = Menu"); };
    session.OnTimer(TimerId::Clock);
    EXPECT_TRUE(session.State().m_fRATConnected);
}

// ---------------------------------------------------------------------------
// The reply router

struct RouteCase {
    const char* command;  // the command the reply answers
    const char* reply;
    const char* response;  // Rat Response field afterwards
    std::vector<std::string> sent;
    const char* logged;  // a line that must be in the log, or nullptr
};

TEST_F(SessionFixture, RouterTestsInOrder) {
    const RouteCase cases[] = {
        {"get gamestate", "Current State = Game\nDeaths PING ERROR", "", {}, nullptr},
        {"player punt 3",
         "USAGE: player punt id\nERROR",
         "RAT syntax error",
         {},
         "Rat Reply: USAGE: player punt id\nERROR"},
        {"player list",
         "ERROR: no player 9\nDeaths PING",
         "ERROR: no player 9\nDeaths PING",
         {},
         nullptr},
        {"weapon set 3 always",
         "OK - Weap 3 set",
         "OK - Weap 3 set",
         {"weapon list"},
         "Rat Reply: Weapons data"},
        {"weapon set all always",
         "OK - All weap always",
         "OK - All weap always",
         {"weapon list"},
         nullptr},
        {"set a 1",
         "OK - Setting changed",
         "OK - Setting changed",
         {},
         "Rat Reply: OK - Setting changed"},
        {"mission list",
         "<CURRENT MISSION>\nEntry Added",
         "Mission List Updated",
         {},
         "New mission:Night Raid"},
        {"mission add raid.mis",
         "Entry Added",
         "Mission Added",
         {"mission list"},
         "Rat Reply: Entry Added"},
        {"mission remove 2", "Mission Removed", "Mission Removed", {"mission list"}, nullptr},
        {"mission setnext 3",
         "Next Mission Set to 3",
         "Next Mission Set to 3",
         {"mission list"},
         nullptr},
        {"mission cycle",
         "Server is cycling",
         "Server is cycling",
         {},
         "Rat Reply: Server is cycling"},
        {"chat get", "Chat sent.", "Game Chat Updated", {}, nullptr},  // chat, not a confirmation
        {"player list", "Name Deaths PING", "Player List Updated", {}, nullptr},
        {"player punt 3",
         "Player Punted",
         "Player Punted",
         {"player list"},
         "Rat Reply: Player Punted"},
        {"get gamesettings", "AutoBalanceOnRecycle = 1", "Game Settings Updated", {}, nullptr},
        {"weapon list",
         "1. WPN_Remmington ALWAYS",
         "Weapons List Updated",
         {},
         "Rat Reply: Weapons data"},
        {"chat get", "", "Game Chat Updated", {}, nullptr},
        {"chat get", "Bob: hi", "Game Chat Updated", {}, nullptr},
        // A command the console does not know: every marker, in order.
        {"cmd TOD 12", "OK - Setting TOD", "OK - Setting TOD", {}, nullptr},
        {"cmd TOD 12", "Bob: hi", "Game Chat Updated", {}, nullptr},
    };
    for (const auto& c : cases) {
        LogIn();
        Send(c.command);
        session.SetField(Field::RatResponse, "");
        session.OnRatFrameReceived(c.reply);
        EXPECT_EQ(F(Field::RatResponse), c.response) << c.reply;
        EXPECT_EQ(host.Commands(), c.sent) << c.reply;
        if (c.logged) {
            EXPECT_TRUE(Logged(c.logged)) << c.reply;
        }
        EXPECT_TRUE(session.State().m_fRATConnected) << c.reply;
    }
}

TEST_F(SessionFixture, ChatSentConfirmsOnlyASentChatLine) {
    LogIn();
    Send("chat send hello");
    session.OnRatFrameReceived("Chat sent.");
    EXPECT_EQ(host.Commands(), std::vector<std::string>{"chat get"});
    EXPECT_EQ(F(Field::RatResponse), "Game Chat Updated");
    // The chat that comes back quotes the marker: it is chat, not another
    // confirmation, so no further "chat get" follows.
    host.sent.clear();
    session.OnRatFrameReceived("Bob: Chat sent.\r\nAnn: lol");
    EXPECT_TRUE(host.Commands().empty());
    EXPECT_EQ(models.chats.back(), "Bob: Chat sent.\r\nAnn: lol");
}

TEST_F(SessionFixture, MenuModeLogsOut) {
    LogIn();
    session.SendRatCommand("get gamestate");
    log.lines.clear();
    session.OnRatFrameReceived("Current State = Menu");
    const std::vector<std::string> expected = {"Server is in Menu Mode: Connection closed",
                                               "User Logged out", std::string(kSeparatorDashes),
                                               "Rat Reply: Current State = Menu"};
    EXPECT_EQ(log.lines, expected);
    EXPECT_FALSE(session.State().m_fRATConnected);
    EXPECT_TRUE(session.State().m_fGameMode);
    EXPECT_FALSE(session.State().m_fRequestingStatus);
    EXPECT_EQ(F(Field::ServerMode), "Server Mode");
    EXPECT_EQ(F(Field::TabMode), "Menu Mode");
}

TEST_F(SessionFixture, PlayerCountsGoToBothFields) {
    LogIn();
    Send("player list");
    session.OnRatFrameReceived("Deaths PING");
    EXPECT_EQ(F(Field::TabPlayers), "12 / 5 / 7");
    EXPECT_EQ(F(Field::Admins), "12 / 5 / 7");
}

TEST_F(SessionFixture, MissionFieldFallsBackToTheFileAndIgnoresEmptyNames) {
    LogIn();
    models.missionName = "NO MISSION DETAILS";
    Send("mission list");
    session.OnRatFrameReceived("<CURRENT MISSION>");
    EXPECT_EQ(F(Field::TabMission), "raid.mis");
    EXPECT_TRUE(Logged("New mission:raid.mis"));
    log.lines.clear();
    Send("mission list");
    session.OnRatFrameReceived("<CURRENT MISSION>");
    EXPECT_TRUE(log.lines.empty()) << "the same mission is not logged again";
    models.missionName.clear();
    models.missionFile.clear();
    Send("mission list");
    session.OnRatFrameReceived("<CURRENT MISSION>");
    EXPECT_EQ(F(Field::TabMission), "raid.mis");
}

TEST_F(SessionFixture, ServerNameSetsTheTitleUntilLogout) {
    LogIn();
    models.serverName = "Tavrin Test Server";
    Send("get gamesettings");
    session.OnRatFrameReceived("AutoBalanceOnRecycle = 1");
    EXPECT_EQ(F(Field::TabServerName), "Tavrin Test Server");
    EXPECT_EQ(F(Field::Title), "Tavrin Test Server : 10.0.0.5");
    session.OnLogoutRequest();
    EXPECT_EQ(F(Field::Title), "TavrinRAT 0.95 beta");
}

TEST_F(SessionFixture, EmptyGreetingEndsTheAttemptWithoutALoginFrame) {
    session.OnConnectRequest();
    session.OnRatFrameReceived("");
    EXPECT_TRUE(host.sent.empty());
    EXPECT_EQ(host.closeRequests, 1);
    EXPECT_TRUE(Logged("TavrinRat: login not sent: Empty login code from the server"));
}

TEST_F(SessionFixture, OverlongPasswordIsRefusedWithAMessage) {
    models.details.password = std::string(34, 'p');
    session.OnConnectRequest();
    session.OnRatFrameReceived("code");
    EXPECT_TRUE(host.sent.empty());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].find("Password"), std::string::npos);
}

}  // namespace
}  // namespace tavrin

namespace tavrin {
namespace {

// ---------------------------------------------------------------------------
// Text from the game steers nothing

TEST_F(SessionFixture, AReplyToChatGetIsChatWhateverAPlayerTyped) {
    const char* typed[] = {"Current State = Menu",
                           "Current State = Game",
                           "<CURRENT MISSION>",
                           "Deaths PING",
                           "ERROR",
                           "USAGE",
                           "OK - Weapons rock",
                           "OK - Setting",
                           "Entry Added",
                           "Chat sent.",
                           "Player Punted",
                           "AutoBalanceOnRecycle",
                           "WPN_Remmington"};
    for (const char* words : typed) {
        LogIn();
        Send("chat get");
        const std::string reply = std::string("[12:00:00] Mallory: ") + words + "\n";
        session.OnRatFrameReceived(reply);
        EXPECT_TRUE(session.State().m_fRATConnected) << words;
        ASSERT_EQ(models.chats.size(), 1u) << words;
        EXPECT_EQ(models.chats[0], reply);
        EXPECT_TRUE(host.Commands().empty()) << words;
        EXPECT_EQ(F(Field::RatResponse), "Game Chat Updated") << words;
        EXPECT_EQ(F(Field::TabMode), "Game Mode") << words;
    }
}

TEST_F(SessionFixture, AMissingReplyDoesNotShiftTheLaterPairings) {
    LogIn();
    Send("get gamestate");  // never answered
    Send("player list");
    session.OnRatFrameReceived("Name Deaths PING");
    EXPECT_EQ(F(Field::RatResponse), "Player List Updated");
    EXPECT_TRUE(Logged("No reply to: get gamestate"));
    Send("chat get");
    session.OnRatFrameReceived("Bob: Current State = Menu");
    EXPECT_TRUE(session.State().m_fRATConnected);
    EXPECT_EQ(models.chats.back(), "Bob: Current State = Menu");
    // The status request itself still times out.
    EXPECT_TRUE(session.State().m_fRequestingStatus);
}

TEST_F(SessionFixture, ARefusalIsTheServersWordAtTheStartOfItsReply) {
    const struct {
        const char* command;
        const char* reply;
        const char* response;  // Rat Response field afterwards
    } cases[] = {
        // Names that someone chose hold the words, on any line.
        {"mission list", "0: <CURRENT MISSION> <> TERROR.npj\n1: <> <NEXT MISSION> hill.npz",
         "Mission List Updated"},
        {"mission list", "0: <CURRENT MISSION> <> hill.npz\n1: <> <> TERROR.npj",
         "Mission List Updated"},
        {"mission add TERROR.npj", "Entry Added: TERROR.npj", "Mission Added"},
        {"get gamesettings", "AutoBalanceOnRecycle = 1\nServerName = NO USAGE LIMITS",
         "Game Settings Updated"},
        {"get gamesettings", "ServerName = NO USAGE LIMITS\nAutoBalanceOnRecycle = 1",
         "Game Settings Updated"},
        {"weapon list", "1. ALWAYS WPN_Remmington\n2. NEVER WPN_ERROR", "Weapons List Updated"},
        {"set serverName NO_USAGE", "OK - Setting ServerName = NO_USAGE",
         "OK - Setting ServerName = NO_USAGE"},
        // The server's own refusals.
        {"mission list", "ERROR: no cycle\n<CURRENT MISSION>",
         "ERROR: no cycle\n<CURRENT MISSION>"},
        {"get gamesettings", "USAGE: get gamesettings\nAutoBalanceOnRecycle", "RAT syntax error"},
        {"player list", "\r\nERROR: busy\nDeaths PING", "\r\nERROR: busy\nDeaths PING"},
    };
    for (const auto& c : cases) {
        LogIn();
        Send(c.command);
        session.OnRatFrameReceived(c.reply);
        EXPECT_EQ(F(Field::RatResponse), c.response) << c.reply;
    }
}

// Replies as the game server writes them; the chat is a player's text that
// looks like every other kind of reply.
std::string PollReply(const std::string& command) {
    if (command == "get gamestate") return "Current State = Game";
    if (command == "player list") return "Name Deaths PING";
    if (command == "mission list") return "<CURRENT MISSION>";
    return "Mallory: Current State = Game\r\nEve: Name Deaths PING <CURRENT MISSION>\r\n";
}

ReplyKind PollReplyKind(const std::string& command) {
    if (command == "get gamestate") return ReplyKind::GameState;
    if (command == "player list") return ReplyKind::PlayerList;
    if (command == "mission list") return ReplyKind::MissionList;
    return ReplyKind::Chat;
}

TEST_F(SessionFixture, ALostReplyCostsAtMostOnePollRound) {
    // Two turns of the poll rotation; the reply to one poll never comes. (A
    // lost reply to "get gamestate" is a status request that times out.)
    for (size_t lost = 1; lost < 7; ++lost) {
        LogIn();
        for (size_t poll = 0; poll < 14; ++poll) {
            host.Advance(5000);
            const std::vector<std::string> sent = host.Commands();
            ASSERT_EQ(sent.size(), 1u) << "lost " << lost << ", poll " << poll;
            host.sent.clear();
            if (poll == lost) continue;
            host.routed.clear();
            session.OnRatFrameReceived(PollReply(sent[0]));
            ASSERT_EQ(host.routed.size(), 1u) << "lost " << lost << ", poll " << poll;
            EXPECT_EQ(host.routed[0].command, sent[0]) << "lost " << lost << ", poll " << poll;
            EXPECT_EQ(host.routed[0].kind, PollReplyKind(sent[0]))
                << "lost " << lost << ", poll " << poll;
        }
        EXPECT_TRUE(session.State().m_fRATConnected) << "lost " << lost;
        EXPECT_FALSE(Logged("Tavrinrat: closing socket due to request timeout")) << lost;
    }
}

// An admin's "chat get" goes out just before the poll that asks for the game
// state: the status request waits a round, until that "chat get" is overdue.
void ChatGetJustBeforeTheStatusPoll(SessionFixture& f) {
    f.LogIn();
    f.Send("chat get");
    f.host.Advance(5000);
    EXPECT_TRUE(f.host.Commands().empty());
    f.host.Advance(5000);
    ASSERT_EQ(f.host.Commands(), std::vector<std::string>{"get gamestate"});
    f.host.sent.clear();
}

TEST_F(SessionFixture, AStatusRequestOutlivesALostChatReply) {
    ASSERT_NO_FATAL_FAILURE(ChatGetJustBeforeTheStatusPoll(*this));
    session.OnRatFrameReceived("Current State = Game");
    EXPECT_FALSE(session.State().m_fRequestingStatus);
    EXPECT_TRUE(models.chats.empty());
    host.Advance(20000);
    EXPECT_TRUE(session.State().m_fRATConnected);
}

TEST_F(SessionFixture, ALateReplyStillAnswersItsOverdueCommand) {
    ASSERT_NO_FATAL_FAILURE(ChatGetJustBeforeTheStatusPoll(*this));
    // The chat comes late, before the game state: nothing in time can take it.
    session.OnRatFrameReceived("Bob: hi");
    session.OnRatFrameReceived("Current State = Game");
    EXPECT_EQ(models.chats, std::vector<std::string>{"Bob: hi"});
    EXPECT_FALSE(session.State().m_fRequestingStatus);
}

TEST_F(SessionFixture, AManagersBurstOfCommandsKeepsEveryReplyWithItsCommand) {
    // Hundreds of admins' commands may wait at once; each reply still goes to
    // its own command.
    LogIn();
    Send("get gamesettings");
    for (int i = 0; i < 499; ++i) Send("chat get");
    // Had the settings command been forgotten, a chat command would take
    // this reply as chat.
    session.OnRatFrameReceived("AutoBalanceOnRecycle = 1");
    EXPECT_EQ(F(Field::RatResponse), "Game Settings Updated");
    EXPECT_TRUE(models.chats.empty());
    EXPECT_FALSE(Logged("No reply awaited any longer"));
    // Past the bound the oldest is forgotten, and the log says so.
    for (size_t i = 0; i < ReplyPairing::kMaxAwaited - 498; ++i) Send("player list");
    EXPECT_TRUE(
        Logged("No reply awaited any longer (1024 commands wait, 1 forgotten so far): "
               "chat get"));
}

TEST_F(SessionFixture, RepliesDroppedMeanwhileStillAnswerTheirCommands) {
    LogIn();
    Send("chat get");
    session.SubmitBulk({{"set a 1", 250, PacedCommand::Route::Request},
                        {"set b 2", 250, PacedCommand::Route::Request}});
    // The socket drops every reply while the bulk send runs.
    session.OnRatFrameIgnored("Bob: hi");
    session.OnRatFrameIgnored("OK - Setting a");
    host.Advance(250);
    session.OnRatFrameIgnored("OK - Setting b");
    host.Advance(250);
    EXPECT_TRUE(models.chats.empty());
    // A reply dropped during the ChatBot's pass answers its command too.
    Send("chat get");
    models.chatBot = true;
    models.duringPass = [this] { session.OnRatFrameReceived("Ann: Current State = Menu"); };
    session.OnTimer(TimerId::Clock);
    models.duringPass = nullptr;
    EXPECT_TRUE(models.chats.empty());

    Send("get gamestate");
    session.OnRatFrameReceived("Current State = Game");
    EXPECT_FALSE(session.State().m_fRequestingStatus);
    EXPECT_FALSE(host.Running(TimerId::RequestTimeout));
    EXPECT_TRUE(models.chats.empty());
}

TEST_F(SessionFixture, AFrameThatAnswersNothingChangesNothing) {
    LogIn();
    host.Advance(4000);  // the next poll is due in 1 s
    const auto fields = host.fieldChanges.size();
    for (const char* unasked :
         {"Current State = Menu", "Entry Added", "Player Punted", "OK - Weap 1 set", "Deaths PING"})
        session.OnRatFrameReceived(unasked);
    EXPECT_TRUE(session.State().m_fRATConnected);
    EXPECT_TRUE(host.Commands().empty());
    EXPECT_EQ(host.fieldChanges.size(), fields);
    EXPECT_TRUE(models.chats.empty());
    host.Advance(1000);
    EXPECT_EQ(host.Commands(), std::vector<std::string>{"get gamestate"})
        << "an unasked frame does not put the poll off";

    // Logged, but not without bound.
    log.lines.clear();
    for (int i = 0; i < 5000; ++i) session.OnRatFrameReceived("Current State = Game");
    EXPECT_LT(log.lines.size(), 30u);
}

TEST_F(SessionFixture, ACommandWithAControlByteNeverReachesTheWire) {
    LogIn();
    for (const char* command : {"chat send Ev\nplayer ban 1", "chat send Ev\rplayer ban 1",
                                "chat send a\tb", "chat send \x01", "chat send \x7f"}) {
        log.lines.clear();
        session.SendRatCommand(command);
        EXPECT_TRUE(host.sent.empty()) << command;
        ASSERT_EQ(log.lines.size(), 1u) << command;
        EXPECT_EQ(log.lines[0].rfind("Command not sent (it holds control bytes): ", 0), 0u);
    }
    session.SendRatCommand("chat send caf\xe9 ok");  // Windows-1252 text is fine
    EXPECT_EQ(host.Commands(), std::vector<std::string>{"chat send caf\xe9 ok"});
}

TEST_F(SessionFixture, GamePasswordsNeverReachTheLog) {
    LogIn();
    for (const char* name : {"serverPassword", "sideAPassword", "sideBPassword"}) {
        log.lines.clear();
        const std::string set = std::string("set ") + name + " hunter2";
        session.OnCommandRequest(set);
        session.OnRatFrameReceived(std::string("OK - Setting ") + name + " is now hunter2");
        session.SubmitBulk({{set, 250, PacedCommand::Route::Request}});
        session.OnRatFrameIgnored("OK - Setting");
        host.Advance(250);
        ASSERT_FALSE(log.lines.empty());
        for (const auto& line : log.lines)
            EXPECT_EQ(line.find("hunter2"), std::string::npos) << line;
        EXPECT_TRUE(Logged(std::string("set ") + name + " ********"));
        EXPECT_TRUE(Logged(std::string("Rat Reply: OK - Setting ") + name + " is now ********"));
        EXPECT_EQ(host.Commands().back(), set) << "the server still gets the password";
    }
}

TEST_F(SessionFixture, TheEndOfAConnectionStopsItsStatusRequest) {
    for (bool logout : {true, false}) {
        LogIn();
        Send("get gamestate");  // never answered
        const int workers = host.workersStarted;
        if (logout)
            session.OnLogoutRequest();
        else
            ServerCloses(0);
        host.Advance(30000);
        EXPECT_FALSE(Logged("Tavrinrat: closing socket due to request timeout")) << logout;
        EXPECT_FALSE(session.State().m_fAutoRecon) << logout;
        EXPECT_EQ(host.workersStarted, workers) << logout;
        EXPECT_EQ(F(Field::Connection), "Not Connected") << logout;
    }
}

TEST_F(SessionFixture, EventsOfAnEndedConnectionNeverReachTheNext) {
    LogIn();
    Send("get gamestate");
    host.workerEndsOnClose = false;
    // Menu mode logs out; a reply read with it in the same piece still arrives.
    session.OnRatFrameReceived("Current State = Menu");
    session.OnRatFrameReceived("Player Punted");
    session.OnRatSocketClosed(0);
    host.EndWorker();
    EXPECT_TRUE(host.sent.empty());
    EXPECT_FALSE(Logged("Login Attempt Rejected"));
    EXPECT_NE(F(Field::RatCommand), "Sending details");
    EXPECT_NE(F(Field::Connection), "Login Rejected");
    EXPECT_TRUE(Logged("User Logged out"));

    // The next connection starts clean: its greeting is its own.
    session.OnConnectRequest();
    session.OnRatFrameReceived("code");
    EXPECT_EQ(F(Field::RatCommand), "Sending details");
}

}  // namespace
}  // namespace tavrin

#include "link/question_gate.h"

namespace tavrin {
namespace {

// A box whose event loop delivers a connection event while it is open.
class BoxThatLetsEventsIn final : public UserDialogs {
  public:
    std::function<void()> whileOpen;
    void ShowMessage(const std::string&) override { Open(); }
    bool AskYesNo(const std::string&, DefaultAnswer) override {
        Open();
        return true;
    }
    std::optional<std::string> AskOpenFileName(const FileQuestion&) override { return {}; }
    std::optional<std::string> AskSaveFileName(const FileQuestion&) override { return {}; }

  private:
    void Open() {
        if (auto f = std::exchange(whileOpen, nullptr)) f();
    }
};

TEST_F(SessionFixture, AReplyArrivingWhileABoxIsOpenWaitsForTheEventThatAsked) {
    BoxThatLetsEventsIn box;
    QuestionGate gate(box);
    RatSession s{host, models, log, gate, clock};
    gate.Attach(s);
    host.session = &s;

    s.OnConnectRequest();
    s.OnRatFrameReceived("code-one");
    host.sent.clear();
    // The rejection's box is open when the server greets again.
    box.whileOpen = [&] {
        s.OnRatFrameReceived("code-two");
        EXPECT_TRUE(host.sent.empty()) << "nothing runs inside the box";
    };
    s.OnRatFrameReceived("User name or password wrong");
    // The rejection finished first (fields reset), then the greeting ran.
    ASSERT_EQ(host.sent.size(), 1u);
    EXPECT_EQ(host.sent[0].frame.size(), 73u);
    EXPECT_EQ(s.FieldText(Field::RatCommand), "Sending details");
    EXPECT_TRUE(s.State().m_fEncryptCodeReceived);

    // A question asked by a gesture, outside any event: held events run as
    // soon as it is answered.
    s.OnRatFrameReceived("Welcome");
    host.Advance(2000);
    s.SendRatCommand("player list");
    box.whileOpen = [&] {
        s.OnRatFrameReceived("Name Deaths PING");
        EXPECT_NE(s.FieldText(Field::RatResponse), "Player List Updated");
    };
    EXPECT_TRUE(gate.AskYesNo("Punt Bob?", DefaultAnswer::No));
    EXPECT_EQ(s.FieldText(Field::RatResponse), "Player List Updated");
}

}  // namespace
}  // namespace tavrin

namespace tavrin {
namespace {

TEST_F(SessionFixture, LoginButtonsComeBackAfterARejectedAttempt) {
    const struct {
        const char* name;
        std::function<void(SessionFixture&)> end;
    } cases[] = {
        {"verdict, then the server closes",
         [](SessionFixture& f) {
             f.session.OnRatFrameReceived("User name or password wrong");
             f.ServerCloses(0);
         }},
        {"closed after the login frame", [](SessionFixture& f) { f.ServerCloses(0); }},
        {"logout while connecting", [](SessionFixture& f) { f.session.OnLogoutRequest(); }},
    };
    for (const auto& c : cases) {
        session.OnConnectRequest();
        EXPECT_FALSE(session.ControlOn(Control::LoginButtonsEnabled)) << c.name;
        session.OnRatFrameReceived("code");
        c.end(*this);
        EXPECT_TRUE(session.ControlOn(Control::LoginButtonsEnabled)) << c.name;
    }
}

}  // namespace
}  // namespace tavrin

namespace tavrin {
namespace {

TEST_F(SessionFixture, BulkProgressCountsCommandsUntilTheLastPause) {
    LogIn();
    auto progress = [&] {
        const auto p = session.Bulk();
        return std::tuple(p.done, p.total, p.running);
    };
    EXPECT_EQ(progress(), std::tuple(size_t{0}, size_t{0}, false));
    session.SubmitBulk({{"set a 1", 250, PacedCommand::Route::Request},
                        {"set b 2", 250, PacedCommand::Route::Request},
                        {"set c 3", 250, PacedCommand::Route::Request}});
    EXPECT_EQ(progress(), std::tuple(size_t{1}, size_t{3}, true));
    host.Advance(250);
    EXPECT_EQ(progress(), std::tuple(size_t{2}, size_t{3}, true));
    host.Advance(250);
    EXPECT_EQ(progress(), std::tuple(size_t{3}, size_t{3}, true)) << "its last pause still runs";
    host.Advance(250);
    EXPECT_EQ(progress(), std::tuple(size_t{3}, size_t{3}, false));
    session.SubmitBulk({{"set d 4", 250, PacedCommand::Route::Request}});
    EXPECT_EQ(progress(), std::tuple(size_t{1}, size_t{1}, true)) << "a new bulk counts afresh";
}

// A fixture of its own for each case of a table.
struct FreshSession : SessionFixture {
    void TestBody() override {}
};

// Each way a connection ends leaves its reason in the Last Reason field
// after every other field is back to its idle text, until the next Login.
TEST(SessionReason, EveryEndingKeepsItsReasonUntilTheNextLogin) {
    const struct Case {
        const char* name;
        std::function<void(SessionFixture&)> end;
        std::string reason;
    } cases[] = {
        {"menu mode",
         [](SessionFixture& f) {
             f.LogIn();
             f.session.SendRatCommand("get gamestate");
             f.session.OnRatFrameReceived("Current State = Menu");
         },
         "Server is in Menu Mode"},
        {"refused",
         [](SessionFixture& f) {
             f.session.OnConnectRequest();
             f.session.OnRatSocketError(10061, kOriginConnect);
             f.session.OnLogoutRequest();  // AutoRecon cancelled
         },
         "Connection refused (10061)"},
        {"name not found",
         [](SessionFixture& f) {
             f.session.OnConnectRequest();
             f.session.OnRatSocketError(11001, kOriginThreadInit);
         },
         "Name not found (11001)"},
        {"time-out",
         [](SessionFixture& f) {
             f.LogIn();
             f.session.OnAutoRefreshToggled(false);  // no poll renews the request
             f.session.SendRatCommand("get gamestate");
             f.host.Advance(10000);
             f.session.OnLogoutRequest();
         },
         "Status request timed out"},
        {"reset",
         [](SessionFixture& f) {
             f.LogIn();
             f.ServerCloses(10054);
             f.session.OnLogoutRequest();
         },
         "Connection reset by the server (10054)"},
        {"clean close",
         [](SessionFixture& f) {
             f.LogIn();
             f.ServerCloses(0);
         },
         "Connection closed by the server"},
        {"verdict",
         [](SessionFixture& f) {
             f.session.OnConnectRequest();
             f.session.OnRatFrameReceived("code");
             f.session.OnRatFrameReceived("User unknown\r\nsecond line");
         },
         "Login Rejected: User unknown"},
        {"closed after the login frame",
         [](SessionFixture& f) {
             f.session.OnConnectRequest();
             f.session.OnRatFrameReceived("code");
             f.ServerCloses(0);
         },
         std::string(kClosedAfterLoginReason)},
    };
    for (const Case& c : cases) {
        FreshSession f;
        c.end(f);
        EXPECT_EQ(f.F(Field::LastReason), c.reason) << c.name;
        EXPECT_NE(f.F(Field::Connection), "Connected") << c.name;
        f.session.OnConnectRequest();
        EXPECT_EQ(f.F(Field::LastReason), "") << c.name;
    }
}

TEST_F(SessionFixture, PlayerCountsLeaveTheAdminsFieldWhenTheConnectionEnds) {
    session.SetAdminsIdleText("TavrinRat");
    for (const bool logout : {true, false}) {
        LogIn();
        Send("player list");
        session.OnRatFrameReceived("Deaths PING");
        ASSERT_EQ(F(Field::Admins), "12 / 5 / 7");
        if (logout)
            session.OnLogoutRequest();
        else
            ServerCloses(0);
        EXPECT_EQ(F(Field::Admins), "TavrinRat") << (logout ? "logout" : "close");
    }
}

TEST_F(SessionFixture, CommandsCanBeSentOnlyWhileLoggedInInGameMode) {
    EXPECT_FALSE(session.ControlOn(Control::CanSend));
    LogIn();
    EXPECT_TRUE(session.ControlOn(Control::CanSend));
    session.OnLogoutRequest();
    EXPECT_FALSE(session.ControlOn(Control::CanSend));
    LogIn();
    session.SendRatCommand("get gamestate");
    session.OnRatFrameReceived("Current State = Menu");
    EXPECT_FALSE(session.ControlOn(Control::CanSend));
    LogIn();
    ServerCloses(10054);
    EXPECT_FALSE(session.ControlOn(Control::CanSend));
}

}  // namespace
}  // namespace tavrin
