// The session as a remote admin of a manager: the Admin Port's login, the
// manager's own frames after it, one command at a time, and the poll.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "link/fake_markers.h"
#include "link/session.h"
#include "link/socket_errors.h"
#include "remote/admin_port_dialect.h"
#include "support/fakes.h"
#include "support/virtual_host.h"

namespace tavrin {
namespace {

using testing::RecordingLog;
using testing::ScriptedDialogs;
using testing::VirtualHost;

// Replies the fake markers know, by the command they answer.
constexpr const char* kPlayerListReply = "Name Deaths PING";
constexpr const char* kMissionListReply = "<CURRENT MISSION> raid";
constexpr const char* kSettingsReply = "AutoBalanceOnRecycle 1";

class FakeModels final : public SessionModels {
  public:
    LoginDetails CurrentLoginDetails() override { return details; }
    void OnConnectStarting() override {}
    bool ChatBotRunning() override { return false; }
    std::vector<std::string> RunSanctionsPass(CommandSink&) override { return {}; }
    std::optional<CurrentMission> ParseMissionReply(const std::string& text) override {
        if (!testing::IsFakeMissionList(text)) return std::nullopt;
        ++missionLists;
        return CurrentMission{"Night Raid", "raid.mis"};
    }
    TeamCounts ParsePlayerList(const std::string&) override {
        ++playerLists;
        return {12, 5, 7};
    }
    std::string ParseGameSettings(const std::string&) override { return "Hub Server"; }
    void ParseWeaponsList(const std::string&) override {}
    void ProcessChatReply(const std::string& text) override { chats.push_back(text); }
    void OnCommandSent(const std::string&) override {}
    ReplyMarkers Markers() const override { return testing::FakeReplyMarkers(); }

    LoginDetails details{"Hub", "10.0.0.9", "9898", "admin", "secret"};
    std::vector<std::string> chats;
    int playerLists = 0;
    int missionLists = 0;
};

// A session that speaks to a manager, in virtual time.
struct Rig {
    ManualClock clock{{2026, 3, 7, 9, 5, 0}};
    VirtualHost host;
    FakeModels models;
    RecordingLog log;
    ScriptedDialogs dialogs;
    RatSession session{host, models, log, dialogs, clock};

    Rig() {
        host.session = &session;
        host.clock = &clock;
        session.SetDialect(std::make_unique<admin::AdminPortDialect>());
    }

    bool Logged(const std::string& line) const {
        return std::find(log.lines.begin(), log.lines.end(), line) != log.lines.end();
    }
    std::string F(Field f) const { return session.FieldText(f); }

    // The texts of the admin frames sent, in order.
    std::vector<std::string> Payloads() const {
        std::vector<std::string> out;
        for (const auto& s : host.sent) out.push_back(s.frame.substr(kAdminFrameHeaderSize));
        return out;
    }
    void Frames(const std::vector<std::string>& frames) {
        for (const std::string& f : frames) session.OnRatFrameReceived(f);
    }
    // Login, the socket, and the manager's side of the exchange.
    void Connect(const std::vector<std::string>& frames) {
        session.OnConnectRequest();
        session.OnRatConnected();
        Frames(frames);
    }
    // The reply a manager relays for each read the burst sends.
    static std::string ReplyTo(const std::string& command) {
        if (command == "player list") return kPlayerListReply;
        if (command == "mission list") return kMissionListReply;
        if (command == "get gamesettings") return kSettingsReply;
        if (command == "chat get") return "[NO CHAT]";
        return "OK";
    }
    // Answers each command as it leaves until `count` have gone out;
    // returns their texts.
    std::vector<std::string> AnswerEach(size_t count) {
        std::vector<std::string> answered;
        for (size_t turn = 0; turn < 4 * count && answered.size() < count; ++turn) {
            host.Advance(300);
            const std::vector<std::string> out = Payloads();
            if (out.size() <= answered.size()) continue;
            EXPECT_EQ(out.size(), answered.size() + 1) << "one command at a time";
            answered.push_back(out[answered.size()]);
            session.OnRatFrameReceived(ReplyTo(answered.back()));
        }
        return answered;
    }
    // Logged in with `rights`, the first reads answered, nothing kept of
    // what went out.
    void LogIn(const std::string& rights = "3FFF") {
        Connect({"Hollispark", "User:OK", rights});
        host.sent.clear();
        session.OnRatFrameReceived("LOGGED_IN");
        AnswerEach(4);
        host.sent.clear();
        log.lines.clear();
        models.chats.clear();
    }
    // The manager goes away after the login: AutoRecon's next attempt
    // starts and its socket connects.
    void LoseLinkAndReconnect() {
        LogIn();
        session.OnAutoRefreshToggled(false);
        session.OnRatSocketError(kConnectionReset, 0);
        EXPECT_TRUE(session.State().m_fAutoRecon);
        host.Advance((kAutoReconSeconds + 1) * 1000L);
        EXPECT_EQ(host.workersStarted, 2);
        session.OnRatConnected();
        host.sent.clear();
        log.lines.clear();
    }
};

TEST(RemoteSession, TheLoginExchangeAndTheCommandsAreAdminFrames) {
    Rig r;
    r.session.OnConnectRequest();
    r.session.OnRatConnected();
    r.session.OnRatFrameReceived("Hollispark");
    ASSERT_EQ(r.host.sent.size(), 1u);
    EXPECT_EQ(r.host.sent[0].frame, std::string("\0\0\0\x05"
                                                "admin",
                                                9));
    r.session.OnRatFrameReceived("User:OK");
    ASSERT_EQ(r.host.sent.size(), 2u);
    EXPECT_EQ(r.host.sent[1].frame, std::string("\0\0\0\x06"
                                                "secret",
                                                10));
    r.session.OnRatFrameReceived("3F00");
    EXPECT_EQ(r.host.sent.size(), 2u) << "the rights text is answered by nothing";
    EXPECT_FALSE(r.session.State().m_fRATConnected);
    EXPECT_TRUE(r.host.remoteRights.empty());

    r.host.sent.clear();
    r.session.OnRatFrameReceived("LOGGED_IN");
    EXPECT_TRUE(r.session.State().m_fRATConnected);
    EXPECT_EQ(r.host.remoteRights, std::vector<uint32_t>{0x3F00});
    EXPECT_EQ(r.F(Field::Connection), "Connected");
    EXPECT_EQ(r.F(Field::ServerMode), "via manager Hub");
    EXPECT_EQ(r.F(Field::TabMode), "via manager");
    EXPECT_TRUE(r.Logged("Logged In"));
    EXPECT_TRUE(r.session.ControlOn(Control::CanSend));

    r.host.Advance(2000);
    ASSERT_EQ(r.host.sent.size(), 1u) << "the next read waits for this one's reply";
    EXPECT_EQ(r.host.sent[0].frame, std::string("\0\0\0\x0b"
                                                "player list",
                                                15));
    r.host.sent.clear();
    r.session.OnRatFrameReceived(kPlayerListReply);
    EXPECT_EQ(r.models.playerLists, 1);
    // The log-in burst without the game state and "mission available".
    EXPECT_EQ(r.AnswerEach(3),
              (std::vector<std::string>{"mission list", "chat get", "get gamesettings"}));
    EXPECT_EQ(r.F(Field::TabServerName), "Hub Server");
}

// Each way a login through a manager ends, from an AutoRecon attempt: a
// login goes on as usual; a refusal is shown in words and no retry follows
// however the connection then ends.
TEST(RemoteSession, EachLoginOutcomeAndARefusalEndsAutoRecon) {
    const std::string closed = "Login Rejected: " + std::string(kManagerClosedLoginWords);
    const struct {
        const char* name;
        std::vector<std::string> frames;
        bool managerCloses;  // right after the frames
        bool loggedIn;
        std::string connection;
        std::string lastReason;
    } cases[] = {
        {"logged in", {"Hollispark", "User:OK", "3FFF", "LOGGED_IN"}, false, true, "Connected", ""},
        {"the manager has no game link",
         {"Hollispark", "User:OK", "3FFF", "NOT_LOGGED_IN"},
         false,
         true,
         ManagerWithoutGameText("Hub"),
         ""},
        {"unknown user",
         {"Hollispark", "User:Rejected"},
         false,
         false,
         "Login Rejected",
         "Login Rejected: User:Rejected"},
        {"user in use",
         {"Hollispark", "User:In Use"},
         false,
         false,
         "Login Rejected",
         "Login Rejected: User:In Use"},
        {"no record",
         {"Hollispark", "Error:Rejected"},
         false,
         false,
         "Login Rejected",
         "Login Rejected: Error:Rejected"},
        {"wrong password",
         {"Hollispark", "User:OK", "Pass:Rejected"},
         false,
         false,
         "Login Rejected",
         "Login Rejected: Pass:Rejected"},
        {"user and password apart",
         {"Hollispark", "User:OK", "User:Rejected"},
         false,
         false,
         "Login Rejected",
         "Login Rejected: User:Rejected"},
        {"locked out: closed at once", {}, true, false, "Login Rejected", closed},
        {"closed after the greeting", {"Hollispark"}, true, false, "Login Rejected", closed},
        {"closed after the password",
         {"Hollispark", "User:OK"},
         true,
         false,
         "Login Rejected",
         closed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig r;
        r.LoseLinkAndReconnect();
        r.Frames(c.frames);
        if (c.managerCloses) {
            r.host.EndWorker();
            r.session.OnRatSocketClosed(0);
        }
        EXPECT_EQ(r.session.State().m_fRATConnected, c.loggedIn);
        EXPECT_EQ(r.F(Field::Connection), c.connection);
        EXPECT_EQ(r.F(Field::LastReason), c.lastReason);
        EXPECT_FALSE(r.session.State().m_fAutoRecon);
        if (c.loggedIn) continue;
        EXPECT_FALSE(r.dialogs.messages.empty()) << "a refusal is told in words";
        EXPECT_TRUE(r.session.ControlOn(Control::LoginButtonsEnabled));
        // However the refused connection ends, nothing retries.
        r.host.EndWorker();
        r.session.OnRatSocketClosed(kConnectionReset);
        r.session.OnRatSocketError(kConnectionReset, 0);
        r.host.Advance(120 * 1000L);
        EXPECT_EQ(r.host.workersStarted, 2);
        EXPECT_FALSE(r.host.Running(TimerId::AutoRecon));
        EXPECT_FALSE(r.session.State().m_fAutoRecon);
        EXPECT_EQ(r.F(Field::LastReason), c.lastReason);
    }
}

TEST(RemoteSession, AManagerWithoutItsGameLinkIsWaitedForUntilARelayedReplyComes) {
    Rig r;
    r.Connect({"Hollispark", "User:OK", "3FFF"});
    r.host.sent.clear();
    r.session.OnRatFrameReceived("NOT_LOGGED_IN");
    EXPECT_TRUE(r.session.State().m_fRATConnected);
    EXPECT_EQ(r.F(Field::Connection), ManagerWithoutGameText("Hub"));
    EXPECT_TRUE(r.session.ManagerWithoutGame());
    r.host.Advance(1000);
    EXPECT_EQ(r.Payloads(), std::vector<std::string>{"player list"});
    // Nothing comes back while the manager has no game link: the read runs
    // out of time and the next leaves, with no reconnection.
    r.host.Advance(TimerPeriod(TimerId::RequestTimeout));
    EXPECT_TRUE(r.Logged("No reply from the manager to: player list"));
    EXPECT_TRUE(r.session.State().m_fRATConnected);
    EXPECT_FALSE(r.session.State().m_fAutoRecon);
    EXPECT_EQ(r.Payloads(), (std::vector<std::string>{"player list", "mission list"}));
    // A refusal is the manager's own word: the game link is still down.
    r.session.OnRatFrameReceived("Refused: command too long");
    EXPECT_EQ(r.F(Field::Connection), ManagerWithoutGameText("Hub"));
    EXPECT_EQ(r.Payloads().back(), "chat get");
    r.session.OnRatFrameReceived("[NO CHAT]");
    EXPECT_EQ(r.F(Field::Connection), "Connected");
    EXPECT_FALSE(r.session.ManagerWithoutGame());
    EXPECT_TRUE(r.Logged("The manager is logged in to the game server again"));
}

// After the login: the empty chat arrives as "[NO CHAT]", and each refusal
// of the manager answers the command awaited, is shown and logged, and no
// model reads it (a chat reader would take it for chat).
TEST(RemoteSession, NoChatAndTheManagersRefusals) {
    const struct {
        const char* command;
        const char* reply;
        std::string response;
        std::string logLine;  // empty: none
        std::vector<std::string> chats;
    } cases[] = {
        {"chat get", "[NO CHAT]", "Game Chat Updated", "", {""}},
        {"player punt 3",
         "Refused, missing right: Punt",
         "Refused, missing right: Punt",
         "Rat Reply: Refused, missing right: Punt",
         {}},
        {"chat get",
         "Refused: command too long",
         "Refused: command too long",
         "Rat Reply: Refused: command too long",
         {}},
        {"mission list",
         "Refused: control characters",
         "Refused: control characters",
         "Rat Reply: Refused: control characters",
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        Rig r;
        r.LogIn("0000");
        r.session.OnAutoRefreshToggled(false);
        const int missionLists = r.models.missionLists;
        r.session.OnCommandRequest(c.command);
        r.host.sent.clear();
        r.session.OnRatFrameReceived(c.reply);
        EXPECT_EQ(r.F(Field::RatResponse), c.response);
        if (!c.logLine.empty()) {
            EXPECT_TRUE(r.Logged(c.logLine));
        }
        EXPECT_EQ(r.models.chats, c.chats);
        EXPECT_EQ(r.models.missionLists, missionLists);
        ASSERT_FALSE(r.host.routed.empty());
        EXPECT_EQ(r.host.routed.back().command, c.command);
        EXPECT_TRUE(r.host.sent.empty()) << "a refusal sets off no follow-up";
    }
}

TEST(RemoteSession, OneCommandAtATimeAndTheUnansweredAreNotAwaited) {
    Rig r;
    r.LogIn();
    r.session.OnAutoRefreshToggled(false);
    // Commands the manager never answers leave at once and hold nothing up.
    const uint64_t ticket = r.session.LastCommandTicket();
    r.session.OnCommandRequest("mission available");
    r.session.OnCommandRequest("ACTION restart");
    EXPECT_EQ(r.session.LastCommandTicket(), ticket) << "no reply is awaited for them";
    r.session.OnCommandRequest("player punt 3");
    r.session.OnCommandRequest("chat send hello");
    r.session.OnCommandRequest("mission list");
    EXPECT_EQ(r.Payloads(),
              (std::vector<std::string>{"mission available", "ACTION restart", "player punt 3"}));
    // Each reply lets the next command go, the punt's follow-up last.
    const struct {
        const char* reply;
        const char* next;
    } turns[] = {
        {"Player Punted", "chat send hello"},
        {"(none: the manager relays no error)", nullptr},  // its time runs out
        {kMissionListReply, "player list"},
    };
    size_t sent = r.host.sent.size();
    for (const auto& t : turns) {
        SCOPED_TRACE(t.reply);
        if (t.next) {
            r.session.OnRatFrameReceived(t.reply);
            ASSERT_EQ(r.host.sent.size(), sent + 1);
            EXPECT_EQ(r.Payloads().back(), t.next);
        } else {
            r.host.Advance(TimerPeriod(TimerId::RequestTimeout) - 1);
            EXPECT_EQ(r.host.sent.size(), sent);
            r.host.Advance(1);
            EXPECT_TRUE(r.Logged("No reply from the manager to: chat send hello"));
            EXPECT_TRUE(r.session.State().m_fRATConnected);
            ASSERT_EQ(r.host.sent.size(), sent + 1);
            EXPECT_EQ(r.Payloads().back(), "mission list");
        }
        sent = r.host.sent.size();
    }
}

// The settings file's apply: the socket drops the replies, and each dropped
// reply still lets the next setting go.
TEST(RemoteSession, ADroppedReplyLetsTheNextCommandGo) {
    Rig r;
    r.LogIn();
    r.session.OnAutoRefreshToggled(false);
    r.session.SubmitBulk({{"set ServerName Hub", 0}, {"set MaxPlayers 16", 0}});
    EXPECT_EQ(r.Payloads(), std::vector<std::string>{"set ServerName Hub"});
    r.session.OnRatFrameIgnored("OK - Setting ServerName");
    EXPECT_EQ(r.Payloads(), (std::vector<std::string>{"set ServerName Hub", "set MaxPlayers 16"}));
    EXPECT_TRUE(r.session.State().m_fRATConnected);
}

TEST(RemoteSession, ThePollSkipsTheGameStateAndItsReadsAreWatched) {
    Rig r;
    r.LogIn();
    ASSERT_TRUE(r.session.ControlOn(Control::AutoRefreshTicked));
    std::vector<std::string> polled;
    for (int tick = 0; tick < 12; ++tick) {
        r.host.Advance(TimerPeriod(TimerId::StatusPoll));
        for (size_t i = polled.size(); i < r.host.sent.size(); ++i) {
            polled.push_back(r.Payloads()[i]);
            r.session.OnRatFrameReceived(Rig::ReplyTo(polled.back()));
        }
        EXPECT_EQ(r.F(Field::ServerMode), "via manager Hub");
    }
    ASSERT_GE(polled.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(polled.begin(), polled.begin() + 6),
              (std::vector<std::string>{"player list", "chat get", "player list", "chat get",
                                        "mission list", "chat get"}));
    EXPECT_EQ(std::count(polled.begin(), polled.end(), "get gamestate"), 0);

    // A polled read left unanswered is a lost link, as a status request is.
    r.host.sent.clear();
    r.host.Advance(TimerPeriod(TimerId::StatusPoll));
    ASSERT_EQ(r.host.sent.size(), 1u);
    r.host.Advance(TimerPeriod(TimerId::RequestTimeout));
    EXPECT_FALSE(r.session.State().m_fRATConnected);
    EXPECT_TRUE(r.session.State().m_fAutoRecon);
    EXPECT_EQ(r.F(Field::LastReason), kRequestTimeoutReason);
    EXPECT_EQ(r.F(Field::Connection), "Status request timeout");
}

TEST(RemoteSession, TheManagerClosingALoginOrBreakingTheExchangeIsALostLink) {
    const struct {
        const char* name;
        std::vector<std::string> frames;  // from connect
        bool closeAfterLogin;
        std::string logLine;
        std::string lastReason;
    } cases[] = {
        {"the manager closes (a restart)",
         {"Hollispark", "User:OK", "3FFF", "LOGGED_IN"},
         true,
         "TavrinRat: the manager closed the connection",
         std::string(kManagerClosedReason)},
        {"not an Admin Port",
         {"Welcome"},
         false,
         "TavrinRat: Admin Port: not an Admin Port: the greeting was \"Welcome\"",
         SocketErrorText(kConnectionAborted)},
        {"a login status of no meaning",
         {"Hollispark", "User:OK", "3FFF", "MAYBE"},
         false,
         "TavrinRat: Admin Port: unexpected login status: \"MAYBE\"",
         SocketErrorText(kConnectionAborted)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig r;
        r.Connect(c.frames);
        if (c.closeAfterLogin) {
            r.host.EndWorker();
            r.session.OnRatSocketClosed(0);
        }
        EXPECT_TRUE(r.Logged(c.logLine));
        EXPECT_EQ(r.F(Field::LastReason), c.lastReason);
        EXPECT_TRUE(r.session.State().m_fAutoRecon);
        EXPECT_TRUE(r.host.Running(TimerId::AutoRecon));
    }
}

TEST(AdminPortDialect, WhichCommandsTheManagerAnswers) {
    const struct {
        const char* command;
        RightsMask rights;
        bool answered;
    } cases[] = {
        {"player list", 0, true},
        {"chat get", 0, true},
        {"get gamesettings", 0, true},
        {"weapon list", 0, true},
        {"set ServerName X", kFullAccess, true},  // to its sender alone
        {"mission available", kFullAccess, false},
        {"get gamestate", kFullAccess, false},
        {"ACTION restart", kFullAccess, false},
        {"ACTION restart", 0, true},  // refused for the right
        {"player punt 3", 0, true},   // refused for the right
        {"hello", kFullAccess, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(admin::ManagerAnswers(c.command, c.rights), c.answered) << c.command;
}

}  // namespace
}  // namespace tavrin
