// The manager role end to end: the real `tavrinrat --headless --manager`
// logged in to the real tavrinrat-sim, with admins connecting to its Admin
// Port over loopback.

#include <sys/stat.h>

#include <array>
#include <csignal>
#include <thread>

#include "e2e/manager_e2e_fixture.h"
#include "history/qt/history_store.h"
#include "manager/manager.h"

namespace tavrin::testing {
namespace {

TEST_F(ManagerE2e, AdminsShareTheManagersConnectionEachByHisReplyClass) {
    StartManager();
    WaitLoggedIn();
    AdminPeer ann, bob;
    Connect(ann);
    EXPECT_EQ(ann.Login("ann", "annpass"), kLoggedIn);
    Connect(bob);
    EXPECT_EQ(bob.Login("bob", "bobpass"),
              (std::vector<std::string>{"User:OK", "0100", "LOGGED_IN"}));
    EXPECT_TRUE(Wait("Admins: 2 / 3")) << Transcript();

    // A command of a game-server class goes to the game, its reply back.
    ann.Send("player list");
    EXPECT_EQ(ann.Next().rfind("NAME\t#\tTEAM", 0), 0u);

    // Both ask for the chat: each gets a copy of a chat reply.
    ASSERT_TRUE(m_sim->Control("say Mallory hello over there").find("ok") != std::string::npos);
    ann.Send("chat get");
    bob.Send("chat get");
    EXPECT_NE(ann.Next().find("hello over there"), std::string::npos);
    EXPECT_NE(bob.Next().find("hello over there"), std::string::npos);

    // "mission available" reaches the game, but its reply is a mission reply
    // and answers nobody waiting with that class.
    const size_t mark = SimMark();
    ann.Send("mission available");
    EXPECT_EQ(ann.ReadFrame(1500ms).kind, AdminPeer::Kind::Timeout);
    EXPECT_TRUE(SimGot("mission available", mark)) << SimLog();
    ann.Send("mission list");
    EXPECT_NE(ann.Next().find("<CURRENT MISSION>"), std::string::npos);
}

TEST_F(ManagerE2e, RightsAreCheckedBeforeAnythingIsForwarded) {
    StartManager();
    WaitLoggedIn();
    AdminPeer bob;
    Connect(bob);
    ASSERT_EQ(bob.Login("bob", "bobpass").size(), 3u);
    const size_t mark = SimMark();
    struct Case {
        std::string command;
        std::string reply;
    };
    const std::vector<Case> refused = {
        {"player punt 3", "Refused, missing right: Punt"},
        {"player ban 3", "Refused, missing right: Ban"},
        {"mission cycle", "Refused, missing right: Cycle To next"},
        // A keyword tacked on does not pass a command off as another.
        {"set ServerName player", "Refused, missing right: Game Settings"},
        {"set ServerName Owned", "Refused, missing right: Game Settings"},
    };
    for (const auto& c : refused) {
        bob.Send(c.command);
        EXPECT_EQ(bob.Next(), c.reply) << c.command;
    }
    // A command with no keyword does nothing, whatever the rights.
    bob.Send("tell ServerName Owned");
    EXPECT_EQ(bob.ReadFrame(1s).kind, AdminPeer::Kind::Timeout);
    // What bob's Warn allows goes through.
    bob.Send("chat send behave, please");
    EXPECT_EQ(bob.Next(), "Chat sent.");
    bob.Send("player list");
    EXPECT_EQ(bob.Next().rfind("NAME\t#\tTEAM", 0), 0u);
    EXPECT_TRUE(SimGot("chat send behave, please", mark)) << SimLog();
    for (const auto& c : refused) EXPECT_FALSE(SimGot(c.command, mark)) << c.command;
    EXPECT_FALSE(SimGot("tell ServerName Owned", mark));
    EXPECT_TRUE(m_console->WaitForPart("Admin command refused")) << Transcript();
}

TEST_F(ManagerE2e, ASettingChangesTheGameAndItsReplyGoesToItsSenderAlone) {
    StartManager();
    WaitLoggedIn();
    AdminPeer ann, bob;
    Connect(ann);
    ASSERT_EQ(ann.Login("ann", "annpass"), kLoggedIn);
    Connect(bob);
    ASSERT_EQ(bob.Login("bob", "bobpass").size(), 3u);
    // The game's replies leave together, so that bob waits for the settings
    // while the reply to ann's setting comes back.
    ASSERT_NE(m_sim->Control("coalesce on").find("ok"), std::string::npos);
    ann.Send("set ServerName Renamed");
    bob.Send("get gamesettings");
    EXPECT_EQ(ann.Next(), "OK - Setting ServerName = Renamed");
    const std::string settings = bob.Next();
    EXPECT_EQ(settings.rfind("AutoBalanceOnRecycle = ", 0), 0u) << settings;
    EXPECT_EQ(bob.ReadFrame(1s).kind, AdminPeer::Kind::Timeout);
    EXPECT_TRUE(SimGot("set ServerName Renamed")) << SimLog();
    ann.Send("get gamesettings");
    EXPECT_NE(ann.Next().find("ServerName = Renamed\n"), std::string::npos);
}

TEST_F(ManagerE2e, LoginExchangeTexts) {
    StartManager();
    WaitLoggedIn();
    struct Case {
        std::string user, pass;
        std::vector<std::string> answers;
    };
    const std::vector<Case> cases = {
        {"nobody", "x", {"User:Rejected"}},
        {"ann", "wrong", {"User:OK", "Pass:Rejected"}},
        {"Ann", "annpass", {"User:Rejected"}},  // user names are case-sensitive
    };
    for (const auto& c : cases) {
        AdminPeer peer;
        Connect(peer);
        EXPECT_EQ(peer.Login(c.user, c.pass), c.answers) << c.user;
        EXPECT_TRUE(peer.ClosesWithoutFrame()) << c.user;
    }
    // A second login with a name already connected is refused; the first
    // stays.
    AdminPeer first, second;
    Connect(first);
    ASSERT_EQ(first.Login("cid", "cidpass"),
              (std::vector<std::string>{"User:OK", "0000", "LOGGED_IN"}));
    Connect(second);
    EXPECT_EQ(second.Login("cid", "cidpass"), std::vector<std::string>{"User:In Use"});
    EXPECT_TRUE(second.ClosesWithoutFrame());
    first.Send("player list");
    EXPECT_EQ(first.Next().rfind("NAME\t#\tTEAM", 0), 0u);

    // A frame that comes in pieces is put together.
    AdminPeer slow;
    Connect(slow);
    ASSERT_EQ(slow.Next(), "Hollispark");
    for (char byte : EncodeAdminFrame("ann")) {
        slow.SendRaw(std::string_view(&byte, 1));
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_EQ(slow.Next(), "User:OK");
}

TEST_F(ManagerE2e, NotLoggedInToTheGameServer) {
    StartManager({}, "admin,wrongpassword");
    ASSERT_TRUE(Wait("Message: Login Rejected")) << Transcript();
    AdminPeer ann;
    Connect(ann);
    EXPECT_EQ(ann.Login("ann", "annpass"),
              (std::vector<std::string>{"User:OK", "3FFF", "NOT_LOGGED_IN"}));
    ann.Send("player list");
    EXPECT_EQ(ann.ReadFrame(1s).kind, AdminPeer::Kind::Timeout);
}

TEST_F(ManagerE2e, HostilePeersAreShutOut) {
    StartManager();
    WaitLoggedIn();
    const size_t mark = SimMark();

    // A frame announcing more than 64 KiB ends the connection.
    AdminPeer big;
    Connect(big);
    ASSERT_EQ(big.Next(), "Hollispark");
    big.SendRaw(std::string("\x7f\xff\xff\xff", 4));
    EXPECT_TRUE(big.ClosesWithoutFrame());
    EXPECT_TRUE(m_console->WaitForPart("bytes announced (at most 65536)")) << Transcript();

    // A command sent in place of the login is never forwarded (and counts
    // as a failed login).
    AdminPeer early;
    Connect(early);
    ASSERT_EQ(early.Next(), "Hollispark");
    early.Send("player kill 4");
    early.Send("player kill 5");
    EXPECT_EQ(early.Next(), "User:Rejected");
    EXPECT_TRUE(early.ClosesWithoutFrame());

    // Five failed logins from one address refuse it, even with the right
    // password.
    for (int i = 0; i < 4; ++i) {
        AdminPeer guess;
        Connect(guess);
        EXPECT_EQ(guess.Login("ann", "guess" + std::to_string(i)),
                  (std::vector<std::string>{"User:OK", "Pass:Rejected"}));
    }
    AdminPeer refused;
    Connect(refused);
    EXPECT_TRUE(refused.ClosesWithoutFrame());
    AdminPeer rightPassword;
    Connect(rightPassword);
    EXPECT_TRUE(rightPassword.ClosesWithoutFrame());
    EXPECT_TRUE(m_console->WaitForPart("Admin logins from 127.0.0.1 refused for 5 minutes"))
        << Transcript();
    EXPECT_FALSE(SimGot("player kill 4", mark));
    EXPECT_FALSE(SimGot("player kill 5", mark));
}

TEST_F(ManagerE2e, ConnectionsBeyondTheLimitAreRefusedAtAccept) {
    StartManager({"--max-admins", "2"});
    WaitLoggedIn();
    AdminPeer one, two, three;
    Connect(one);
    Connect(two);
    ASSERT_EQ(one.Next(), "Hollispark");
    ASSERT_EQ(two.Next(), "Hollispark");
    Connect(three);
    EXPECT_TRUE(three.ClosesWithoutFrame());
    const auto refused = m_console->WaitForPart("2 connections already");
    ASSERT_TRUE(refused) << Transcript();
    // A place that frees up is taken again.
    one.Close();
    ASSERT_TRUE(Wait("Admins: 1 / 3", *refused)) << Transcript();
    AdminPeer four;
    Connect(four);
    EXPECT_EQ(four.Next(), "Hollispark");
}

TEST_F(ManagerE2e, SilentConnectionsFromOneAddressTakeOnlyTheirOwnPlaces) {
    StartManager();
    WaitLoggedIn();
    std::array<AdminPeer, kNotLoggedInPerAddress> silent;
    for (AdminPeer& peer : silent) {
        Connect(peer);
        ASSERT_EQ(peer.Next(), "Hollispark");
    }
    AdminPeer oneMore;
    Connect(oneMore);
    EXPECT_TRUE(oneMore.ClosesWithoutFrame());
    const auto refused =
        m_console->WaitForPart("8 connections from this address not logged in yet");
    ASSERT_TRUE(refused) << Transcript();
    // A place of one that leaves is taken again, and an admin who logs in
    // leaves it to the next.
    silent[0].Close();
    ASSERT_TRUE(m_console->WaitForPart("Admins: 7 / 3", *refused)) << Transcript();
    AdminPeer ann;
    Connect(ann);
    EXPECT_EQ(ann.Login("ann", "annpass"), kLoggedIn);
    AdminPeer next;
    Connect(next);
    EXPECT_EQ(next.Next(), "Hollispark");
    ann.Send("player list");
    EXPECT_EQ(ann.Next().rfind("NAME\t#\tTEAM", 0), 0u);
}

TEST_F(ManagerE2e, ALoginFrameLongerThanANameOrAPasswordEndsTheConnection) {
    StartManager();
    WaitLoggedIn();
    struct Case {
        std::vector<std::string> frames;
        std::vector<std::string> answers;  // before the close
    };
    const std::vector<Case> cases = {
        {{std::string(300, 'u')}, {}},
        {{"ann", std::string(300, 'p')}, {"User:OK"}},
    };
    for (const auto& c : cases) {
        AdminPeer peer;
        Connect(peer);
        ASSERT_EQ(peer.Next(), "Hollispark");
        for (const auto& f : c.frames) peer.Send(f);
        for (const auto& a : c.answers) EXPECT_EQ(peer.Next(), a);
        EXPECT_TRUE(peer.ClosesWithoutFrame()) << c.frames.size();
    }
    EXPECT_TRUE(m_console->WaitForPart("a frame of 300 bytes announced (at most 256 before login)"))
        << Transcript();
    // The right login is not the worse for it.
    AdminPeer ann;
    Connect(ann);
    EXPECT_EQ(ann.Login("ann", "annpass"), kLoggedIn);
}

TEST_F(ManagerE2e, TheAdminHoldingMostUnsentIsClosedWhenAllTogetherHoldTooMuch) {
    StartManager({"--max-unsent", "1"});
    WaitLoggedIn();
    ASSERT_NE(m_sim->Control("bigreply 60000").find("ok"), std::string::npos);
    // ann asks for every chat and reads nothing, bob for every other one and
    // reads nothing either; cid reads what he asks for. The two who do not
    // read have small fixed receive buffers, so what they hold is what the
    // manager still has for them, whatever the system's buffer sizing.
    constexpr int kSmallReceiveBuffer = 16 * 1024;
    AdminPeer ann, bob, cid;
    Connect(ann, kSmallReceiveBuffer);
    ASSERT_EQ(ann.Login("ann", "annpass"), kLoggedIn);
    Connect(bob, kSmallReceiveBuffer);
    ASSERT_EQ(bob.Login("bob", "bobpass").size(), 3u);
    Connect(cid);
    ASSERT_EQ(cid.Login("cid", "cidpass").size(), 3u);
    const std::string shed = "holds most of the";
    for (int round = 0; round < 400 && !ConsoleSaid(shed); ++round) {
        ann.Send("chat get");
        if (round % 2 == 0) bob.Send("chat get");
        cid.Send("chat get");
        ASSERT_EQ(cid.ReadFrame().kind, AdminPeer::Kind::Frame) << round << Transcript();
    }
    const auto closed = m_console->WaitForPart(shed);
    ASSERT_TRUE(closed) << Transcript();
    EXPECT_NE(m_console->Line(*closed).find("at most 1048576 in all"), std::string::npos);
    AdminPeer::Read last;
    for (int i = 0; i < 1000 && (last = ann.ReadFrame()).kind == AdminPeer::Kind::Frame; ++i) {
    }
    EXPECT_EQ(last.kind, AdminPeer::Kind::Closed);
    // bob, who held less, is still served once he reads.
    bob.Send("player list");
    std::string reply;
    for (int i = 0; i < 1000 && reply.rfind("NAME\t#\tTEAM", 0) != 0; ++i) reply = bob.Next();
    EXPECT_EQ(reply.rfind("NAME\t#\tTEAM", 0), 0u);
}

TEST_F(ManagerE2e, RefusalsAreLoggedTheFirstInFullAndAllCounted) {
    StartManager();
    WaitLoggedIn();
    for (int i = 0; i < 5; ++i) {
        AdminPeer guess;
        Connect(guess);
        guess.Login("ann", "guess" + std::to_string(i));
    }
    ASSERT_TRUE(m_console->WaitForPart("Admin logins from 127.0.0.1 refused for 5 minutes"))
        << Transcript();
    for (int i = 0; i < 30; ++i) {
        AdminPeer refused;
        Connect(refused);
        EXPECT_TRUE(refused.ClosesWithoutFrame()) << i;
    }
    m_console->Signal(SIGTERM);
    EXPECT_EQ(m_console->WaitExit(10s), 0) << Transcript();
    size_t inFull = 0;
    for (const auto& l : m_console->Lines())
        inFull += l.find("Admin connection refused") != std::string::npos ? 1 : 0;
    EXPECT_EQ(inFull, kFailuresLoggedInFull) << Transcript();
    EXPECT_TRUE(Wait("30 refused connections from 1 address in the last minute")) << Transcript();
}

TEST_F(ManagerE2e, ClosingTheManagerClosesEveryAdmin) {
    StartManager();
    WaitLoggedIn();
    AdminPeer ann;
    Connect(ann);
    ASSERT_EQ(ann.Login("ann", "annpass"), kLoggedIn);
    m_console->Signal(SIGTERM);
    EXPECT_TRUE(ann.ClosesWithoutFrame());
    EXPECT_EQ(m_console->WaitExit(10s), 0) << Transcript();
}

struct ToolRun {
    std::optional<int> exit;
    std::vector<std::string> out;
};

// tavrinrat-admin to its end (stdout lines; stderr goes to the test's own).
ToolRun RunTool(std::vector<std::string> args) {
    args.insert(args.begin(), TAVRIN_ADMIN_PATH);
    ChildProcess tool(std::move(args), SIGKILL, "admin-tool");
    EXPECT_TRUE(tool.Started());
    const std::optional<int> exit = tool.WaitExit(20s);
    return {exit, tool.Lines()};
}

bool AnyLineStartsWith(const std::vector<std::string>& lines, std::string_view start) {
    for (const auto& l : lines)
        if (l.rfind(start, 0) == 0) return true;
    return false;
}

// A remote admin's punt is in the history's sanction_history, its source the
// admin's user name, once the manager has closed.
TEST_F(ManagerE2e, ARemoteAdminsPuntIsInTheHistoryAsTheirs) {
    StartManager();
    WaitLoggedIn();
    const std::string where = "127.0.0.1:" + std::to_string(m_port);
    const ToolRun list =
        RunTool({where, "--user", "ann", "--password", "annpass", "-c", "player list"});
    ASSERT_EQ(list.exit, 0);
    // The first player of the list: "NAME\tID\t..." after the header and the host.
    std::string name, id;
    for (size_t i = 0; i + 2 < list.out.size() && name.empty(); ++i) {
        if (list.out[i].rfind("NAME\t#", 0) != 0) continue;
        const std::string& row = list.out[i + 2];
        name = row.substr(0, row.find('\t'));
        id = row.substr(row.find('\t') + 1);
        id = id.substr(0, id.find('\t'));
    }
    ASSERT_FALSE(id.empty()) << Transcript();
    const ToolRun punt =
        RunTool({where, "--user", "ann", "--password", "annpass", "-c", "player punt " + id});
    ASSERT_TRUE(m_sim->FindLine("cmd: player punt " + id, 0, 10s)) << Transcript();
    m_console->Signal(SIGTERM);
    ASSERT_EQ(m_console->WaitExit(10s), 0) << Transcript();

    HistoryStore store(DefaultHistoryTarget(m_dir.Path()));
    ASSERT_TRUE(store.Open().ok());
    const std::vector<SanctionRecord> sanctions = store.AllSanctions();
    ASSERT_EQ(sanctions.size(), 1u);
    EXPECT_EQ(sanctions[0].player, name);
    EXPECT_EQ(sanctions[0].action, SanctionAction::Punt);
    EXPECT_EQ(sanctions[0].source, "admin:ann");
}

TEST_F(ManagerE2e, TheAdminToolGetsRepliesAndIsRefusedWhatItsRightsDoNotAllow) {
    StartManager();
    WaitLoggedIn();
    const std::string where = "127.0.0.1:" + std::to_string(m_port);
    const ToolRun list =
        RunTool({where, "--user", "bob", "--password", "bobpass", "-c", "player list"});
    EXPECT_EQ(list.exit, 0);
    EXPECT_TRUE(AnyLineStartsWith(list.out, "NAME\t#\tTEAM"));
    const ToolRun punt =
        RunTool({where, "--user", "bob", "--password", "bobpass", "-c", "player punt 3"});
    EXPECT_EQ(punt.exit, 1);
    EXPECT_TRUE(AnyLineStartsWith(punt.out, "Refused, missing right: Punt"));
    const ToolRun wrong =
        RunTool({where, "--user", "bob", "--password", "nope", "-c", "player list"});
    EXPECT_EQ(wrong.exit, 3);
}

TEST_F(ManagerE2e, TheAdminToolSendsItsInputOneCommandAtATime) {
    StartManager();
    WaitLoggedIn();
    ASSERT_NE(m_sim->Control("say Mallory anyone there").find("ok"), std::string::npos);
    // Each command replaces what the manager keeps for the admin: sent all
    // at once, only the last would be answered.
    const std::string script = std::string(
                                   "printf 'chat get\\nplayer punt 1\\nmission list\\n"
                                   "set x y\\nweapon list\\n' | ") +
                               TAVRIN_ADMIN_PATH + " 127.0.0.1:" + std::to_string(m_port) +
                               " --user bob --password bobpass";
    ChildProcess tool({"/bin/sh", "-c", script}, SIGKILL, "admin-tool");
    ASSERT_TRUE(tool.Started());
    EXPECT_EQ(tool.WaitExit(30s), 0);
    const std::vector<std::string> out = tool.Lines();
    std::string all;
    for (const auto& l : out) all += l + "\n";
    const size_t chat = all.find("Mallory: anyone there");
    const size_t refused = all.find("Refused, missing right: Punt");
    const size_t missions = all.find("<CURRENT MISSION>");
    const size_t weapons = all.find("WPN_");
    ASSERT_NE(chat, std::string::npos) << all;
    ASSERT_NE(refused, std::string::npos) << all;
    ASSERT_NE(missions, std::string::npos) << all;
    ASSERT_NE(weapons, std::string::npos) << all;
    EXPECT_LT(chat, refused);
    EXPECT_LT(refused, missions);
    EXPECT_LT(missions, weapons);
}

TEST_F(ManagerE2e, TlsOnTheAdminPort) {
    const std::string cert = TAVRIN_TLS_DIR "/admin-port.crt";
    const std::string key = TAVRIN_TLS_DIR "/admin-port.key";
    StartManager({"--admin-tls", cert, key});
    WaitLoggedIn();
    EXPECT_TRUE(ConsoleSaid("(TLS)"));
    const std::string where = "127.0.0.1:" + std::to_string(m_port);
    const ToolRun list = RunTool({where, "--tls", "--ca", cert, "--user", "ann", "--password",
                                  "annpass", "-c", "player list"});
    EXPECT_EQ(list.exit, 0);
    EXPECT_TRUE(AnyLineStartsWith(list.out, "NAME\t#\tTEAM"));
    // A plain console gets nothing it can read, least of all the greeting.
    AdminPeer plain;
    Connect(plain);
    EXPECT_NE(plain.ReadFrame(2s).text, "Hollispark");
    const ToolRun clear = RunTool(
        {where, "--user", "ann", "--password", "annpass", "-c", "player list", "--timeout", "3"});
    EXPECT_EQ(clear.exit, 3);
}

TEST_F(ManagerE2e, APortInUseIsReportedAndTheManagerGoesOnWithoutIt) {
    // Another program holds the port.
    const int holder = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(holder, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_EQ(::listen(holder, 1), 0);
    socklen_t length = sizeof a;
    ::getsockname(holder, reinterpret_cast<sockaddr*>(&a), &length);
    const std::string port = std::to_string(ntohs(a.sin_port));
    StartSim();
    StartConsole({"--manager", "--admin-port", port, "--admin-bind", "127.0.0.1"});
    EXPECT_TRUE(m_console->WaitForPart("Admin Port not opened on 127.0.0.1 port " + port))
        << Transcript();
    EXPECT_TRUE(Wait("Admin Port: closed")) << Transcript();
    WaitLoggedIn();
    ::close(holder);
}

TEST_F(ManagerE2e, AnUnreadableCertificateLeavesThePortClosedRatherThanPlain) {
    StartSim();
    ::mkdir(m_dir.File("Configs").c_str(), 0700);
    WriteFile(m_dir.File("Configs/radmins.cfg"), kAccounts);
    StartConsole({"--manager", "--admin-port", "0", "--admin-bind", "127.0.0.1", "--admin-tls",
                  m_dir.File("missing.crt"), m_dir.File("missing.key")});
    EXPECT_TRUE(
        m_console->WaitForPart("Admin Port not opened: the TLS certificate or key "
                               "cannot be read"))
        << Transcript();
    WaitLoggedIn();
    EXPECT_FALSE(ConsoleSaid("Admin Port open on"));
}

}  // namespace
}  // namespace tavrin::testing
