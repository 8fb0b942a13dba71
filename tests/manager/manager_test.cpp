#include "manager/manager.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "manager_fixture.h"

namespace tavrin {
namespace {

using testing::AdminFrames;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using testing::SentText;
using testing::VirtualShell;

AdminAccount Account(std::string user, std::string pass, std::string rights) {
    AdminAccount a;
    a.name = "Name of " + user;
    a.user = std::move(user);
    a.pass = std::move(pass);
    a.rights = std::move(rights);
    return a;
}

// Three accounts: a player admin, one who may only read, one with every right.
class ManagerTest : public ::testing::Test {
  protected:
    ManagerTest()
        : shell(CAdmins({Account("ann", "secret", "3F00"), Account("bob", "pw", "0000"),
                         Account("cat", "meow", "3FFF")})) {}

    ConnectionId LoggedIn(const std::string& user, const std::string& pass,
                          const std::string& address = "10.0.0.1") {
        const ConnectionId id = shell.Connect(address);
        shell.Frames(id, {user, pass});
        shell.Advance(300);  // the replies and the pause after the last one
        EXPECT_TRUE(shell.manager.Session(id)->LoggedIn()) << user;
        return id;
    }
    std::vector<std::string> Forwarded() const {
        std::vector<std::string> texts;
        for (const auto& f : shell.forwarded) texts.push_back(f.second);
        return texts;
    }
    std::string LastActivity(int row) const {
        return admins.AccountCell(row, AdminColumn::LastActivity);
    }
    std::string Status(int row) const { return admins.AccountCell(row, AdminColumn::Status); }

    VirtualShell shell;
    CAdmins& admins = shell.accounts;  // the role's own, as the Admins tab edits them
};

TEST_F(ManagerTest, TheGreetingIsTheFirstFrameOfTenBytes) {
    const AdminEffects effects = shell.manager.OnAdminConnected(7, "10.0.0.9");
    EXPECT_THAT(
        effects,
        ElementsAre(AdminEffect{AdminsFieldChanged{"Admins: 1 / 3"}},
                    AdminEffect{SendAdminFrame{7, std::string("\0\0\0\x0a", 4) + "Hollispark"}},
                    AdminEffect{StartAdminTimer{7, AdminTimer::LoginDeadline, 30000}}));
}

TEST_F(ManagerTest, LoginExchanges) {
    const struct {
        const char* what;
        std::vector<std::string> frames;
        bool ratConnected;
        std::vector<std::string> replies;  // after the greeting
        bool open;
    } cases[] = {
        {"unknown user", {"nobody"}, true, {"User:Rejected"}, false},
        {"user names are case-sensitive", {"Ann"}, true, {"User:Rejected"}, false},
        {"wrong password", {"ann", "Secret"}, true, {"User:OK", "Pass:Rejected"}, false},
        {"a password with more after it",
         {"ann", "secret2"},
         true,
         {"User:OK", "Pass:Rejected"},
         false},
        {"logged in, the manager is not",
         {"ann", "secret"},
         false,
         {"User:OK", "3F00", "NOT_LOGGED_IN"},
         true},
        {"logged in, the manager too",
         {"ann", "secret"},
         true,
         {"User:OK", "3F00", "LOGGED_IN"},
         true},
        {"a zero byte is part of the password",
         {"ann", std::string("secret\0xyz", 10)},
         true,
         {"User:OK", "Pass:Rejected"},
         false},
        {"a zero byte is part of the user name",
         {std::string("ann\0", 4)},
         true,
         {"User:Rejected"},
         false},
        {"only the user so far", {"cat"}, true, {"User:OK"}, true},
    };
    for (const auto& c : cases) {
        CAdmins accounts({Account("ann", "secret", "3F00"), Account("cat", "meow", "3FFF")});
        VirtualShell s{accounts};
        s.link.connected = c.ratConnected;
        const ConnectionId id = s.Connect();
        for (const auto& f : c.frames) s.Frames(id, {f});
        s.Advance(1000);
        std::vector<std::string> expected{"Hollispark"};
        expected.insert(expected.end(), c.replies.begin(), c.replies.end());
        EXPECT_EQ(s.Texts(id), expected) << c.what;
        EXPECT_EQ(s.IsOpen(id), c.open) << c.what;
        EXPECT_THAT(s.forwarded, IsEmpty()) << c.what;
        EXPECT_EQ(s.adminsField, c.open ? "Admins: 1 / 2" : "Admins: 0 / 2") << c.what;
    }
}

TEST_F(ManagerTest, LoginRepliesLeave100msApartAndARejectionCloses100msLater) {
    const ConnectionId ok = shell.Connect();
    shell.Frames(ok, {"ann", "secret"});  // both in one segment
    const ConnectionId bad = shell.Connect("10.0.0.2");
    shell.Frames(bad, {"nobody"});
    shell.Advance(99);
    EXPECT_TRUE(shell.IsOpen(bad));
    shell.Advance(1);
    EXPECT_FALSE(shell.IsOpen(bad));
    shell.Advance(500);
    EXPECT_THAT(shell.received[ok], ElementsAre(SentText{"Hollispark", 0}, SentText{"User:OK", 0},
                                                SentText{"3F00", 100}, SentText{"LOGGED_IN", 200}));
    EXPECT_THAT(shell.received[bad],
                ElementsAre(SentText{"Hollispark", 0}, SentText{"User:Rejected", 0}));
}

TEST_F(ManagerTest, ARelayDuringThePauseWaitsItsTurn) {
    const ConnectionId id = shell.Connect();
    shell.Frames(id, {"ann", "secret", "chat get"});
    shell.Routed(kReplyChat, "ann: hi");
    shell.Advance(300);
    EXPECT_THAT(shell.received[id], ElementsAre(SentText{"Hollispark", 0}, SentText{"User:OK", 0},
                                                SentText{"3F00", 100}, SentText{"LOGGED_IN", 200},
                                                SentText{"ann: hi", 300}));
    EXPECT_THAT(Forwarded(), ElementsAre("chat get"));
}

TEST_F(ManagerTest, AccountOnlineWhileLoggedInAndEndedAfter) {
    const ConnectionId id = LoggedIn("ann", "secret");
    EXPECT_EQ(Status(0), "Online");
    EXPECT_THAT(shell.LogsContaining("Admin logged in"), ElementsAre(HasSubstr("ann")));
    shell.Frames(id, {"player list"});
    EXPECT_EQ(LastActivity(0), "player list");
    EXPECT_EQ(shell.adminsField, "Admins: 1 / 3");
    shell.PeerCloses(id);
    EXPECT_EQ(Status(0), " - ");
    EXPECT_EQ(LastActivity(0), " - ");
    EXPECT_EQ(shell.adminsField, "Admins: 0 / 3");
    EXPECT_EQ(shell.manager.ConnectionCount(), 0u);
    EXPECT_THAT(shell.changedRows, ElementsAre(0, 0, 0));
}

TEST_F(ManagerTest, ASecondLoginWithAUserInUseIsClosedAndTheFirstStaysOnline) {
    const ConnectionId first = LoggedIn("ann", "secret");
    const ConnectionId second = shell.Connect("10.0.0.2");
    shell.Frames(second, {"ann"});
    shell.Advance(100);
    EXPECT_THAT(shell.Texts(second), ElementsAre("Hollispark", "User:In Use"));
    EXPECT_FALSE(shell.IsOpen(second));
    EXPECT_TRUE(shell.IsOpen(first));
    EXPECT_EQ(Status(0), "Online");
}

// A connection that gives a name and says no more holds nothing: the admin
// who logs in with the right password takes the name and the other is
// closed. "User:In Use" is no failed login, so the real admin's retries never
// refuse his own address.
TEST_F(ManagerTest, ANameIsHeldOnlyByALoggedInAdmin) {
    const ConnectionId holder = shell.Connect("10.9.9.9");
    shell.Frames(holder, {"ann"});
    const ConnectionId other = shell.Connect("10.9.9.8");
    shell.Frames(other, {"cat"});
    shell.Advance(200);
    const ConnectionId ann = shell.Connect("10.0.0.1");
    shell.Frames(ann, {"ann", "secret"});
    shell.Advance(300);
    EXPECT_THAT(shell.Texts(ann), ElementsAre("Hollispark", "User:OK", "3F00", "LOGGED_IN"));
    EXPECT_FALSE(shell.IsOpen(holder));
    EXPECT_THAT(shell.Texts(holder), ElementsAre("Hollispark", "User:OK"));
    EXPECT_TRUE(shell.IsOpen(other)) << "another name is left alone";
    EXPECT_THAT(shell.LogsContaining("closed: user \"ann\" logged in from 10.0.0.1"),
                ElementsAre(HasSubstr("10.9.9.9")));
    EXPECT_EQ(Status(0), "Online") << "the holder's end does not end ann's";

    // Logged in, the name is in use, as often as anyone asks.
    for (int i = 0; i < 8; ++i) {
        const ConnectionId again = shell.Connect("10.0.0.2");
        shell.Frames(again, {"ann"});
        shell.Advance(200);
        EXPECT_THAT(shell.Texts(again), ElementsAre("Hollispark", "User:In Use")) << i;
    }
    const ConnectionId bob = shell.Connect("10.0.0.2");
    shell.Frames(bob, {"bob", "pw"});
    shell.Advance(300);
    EXPECT_THAT(shell.Texts(bob), ElementsAre("Hollispark", "User:OK", "0000", "LOGGED_IN"));
    EXPECT_TRUE(shell.IsOpen(ann));
}

TEST_F(ManagerTest, ANulInACommandIsRefusedAndLogged) {
    const ConnectionId cat = LoggedIn("cat", "meow");
    shell.Frames(cat, {std::string("chat send hello\0 player punt 5", 30)});
    EXPECT_THAT(Forwarded(), IsEmpty());
    EXPECT_EQ(shell.Texts(cat).back(), "Refused: control characters");
    EXPECT_THAT(shell.LogsContaining("Admin command refused"),
                ElementsAre(HasSubstr("\"chat send hello\\x00 player punt 5\"")));
    EXPECT_EQ(LastActivity(2), " - ");
}

// A name that is no account may be a password typed into the user field.
TEST_F(ManagerTest, ANameThatIsNoAccountIsLoggedByLengthAndFingerprint) {
    shell.manager.SetFingerprintKey({1, 2});
    for (const char* name : {"hunter2", "hunter2", "hunter3"}) {
        const ConnectionId id = shell.Connect();
        shell.Frames(id, {name});
        shell.Advance(200);
    }
    for (const auto& line : shell.logs) EXPECT_EQ(line.find("hunter"), std::string::npos) << line;
    const auto refused = shell.LogsContaining("a name of 7 bytes, fingerprint ");
    ASSERT_EQ(refused.size(), 3u);
    const auto fingerprint = [](const std::string& line) {
        return line.substr(line.find("fingerprint ") + 12, 8);
    };
    EXPECT_EQ(fingerprint(refused[0]), fingerprint(refused[1]));
    EXPECT_NE(fingerprint(refused[0]), fingerprint(refused[2]));
}

TEST(ManagerLogin, RightsGoToTheAdminAsFourUpperCaseDigits) {
    for (const auto& [cell, sent] : std::vector<std::pair<std::string, std::string>>{
             {"f", "000F"}, {"3fff", "3FFF"}, {"0100", "0100"}}) {
        CAdmins accounts(
            ParseAdminAccounts("Name=A\nUser=a\nPass=p\nRights=" + cell + "\nGuid=g\n[END]")
                .accounts);
        VirtualShell s{accounts};
        const ConnectionId id = s.Connect();
        s.Frames(id, {"a", "p"});
        s.Advance(300);
        EXPECT_THAT(s.Texts(id), ElementsAre("Hollispark", "User:OK", sent, "LOGGED_IN")) << cell;
    }
}

TEST_F(ManagerTest, PlayerListIsForwardedAndItsReplyRelayed) {
    const ConnectionId id = LoggedIn("ann", "secret");
    shell.Frames(id, {"player list"});
    EXPECT_THAT(shell.forwarded, ElementsAre(std::make_pair(id, std::string("player list"))));
    EXPECT_EQ(shell.manager.Session(id)->AwaitedClass(), 100);
    shell.Routed(kReplyChat, "chat line");  // another class: nothing
    shell.Routed(kReplyPlayers, "Id Name Deaths PING", ReplyKind::PlayerList);
    EXPECT_EQ(shell.Texts(id).back(), "Id Name Deaths PING");
    EXPECT_EQ(shell.manager.Session(id)->AwaitedClass(), 0);
    shell.Routed(kReplyPlayers, "again", ReplyKind::PlayerList);  // no longer awaited
    EXPECT_EQ(shell.Texts(id).back(), "Id Name Deaths PING");
}

TEST_F(ManagerTest, TwoAdminsShareOneChatReply) {
    const ConnectionId a = LoggedIn("ann", "secret");
    const ConnectionId b = LoggedIn("bob", "pw", "10.0.0.2");
    const ConnectionId c = LoggedIn("cat", "meow", "10.0.0.3");
    shell.Frames(a, {"chat get"});
    shell.Frames(b, {"chat get"});
    shell.Frames(c, {"player list"});
    // The second "chat get" waits for the reply the first asked for.
    EXPECT_THAT(Forwarded(), ElementsAre("chat get", "player list"));
    shell.Routed(kReplyChat, "", ReplyKind::Chat, "chat get");
    EXPECT_EQ(shell.Texts(a).back(), "[NO CHAT]");
    EXPECT_EQ(shell.Texts(b).back(), "[NO CHAT]");
    EXPECT_EQ(shell.Texts(c).back(), "LOGGED_IN");
    EXPECT_EQ(shell.manager.Session(c)->AwaitedClass(), 100);
    // The second chat reply finds nobody waiting.
    const size_t before = shell.Texts(a).size();
    shell.Routed(kReplyChat, "late");
    EXPECT_EQ(shell.Texts(a).size(), before);
}

TEST_F(ManagerTest, AReadOnItsWayIsNotSentAgainUntilAnsweredOrTwoSecondsOld) {
    const ConnectionId a = LoggedIn("ann", "secret");
    const ConnectionId b = LoggedIn("bob", "pw", "10.0.0.2");
    shell.Frames(a, {"player list"});
    shell.Frames(b, {"player list", "player list"});
    // Actions are never held back: each is its own.
    shell.Frames(a, {"player punt 3", "player punt 3"});
    EXPECT_THAT(Forwarded(), ElementsAre("player list", "player punt 3", "player punt 3"));
    EXPECT_EQ(shell.manager.SharedReads(), 2u);
    shell.Routed(kReplyPlayers, "NAME\t#\n", ReplyKind::PlayerList, "player list");
    EXPECT_EQ(shell.Texts(b).back(), "NAME\t#\n");
    // Answered: the next one goes out.
    shell.Frames(b, {"player list"});
    EXPECT_EQ(Forwarded().size(), 4u);
    // A reply that never comes holds the others back two seconds at most.
    shell.Advance(1999);
    shell.Frames(a, {"player list"});
    EXPECT_EQ(Forwarded().size(), 4u);
    shell.Advance(1);
    shell.Frames(a, {"player list"});
    EXPECT_EQ(Forwarded().size(), 5u);
}

TEST_F(ManagerTest, CommandsThatStayWithTheManager) {
    const ConnectionId id = LoggedIn("cat", "meow");
    const struct {
        const char* command;
        int awaited;
    } cases[] = {
        {"UPLOAD File0", 108}, {"MESSAGES hello", 110}, {"get gamestate", 113},
        {"CHATBOT", 109},      {"ACTION Warn", 107},    {"set ServerName MESSAGES", 110},
    };
    for (const auto& c : cases) {
        shell.Frames(id, {c.command});
        EXPECT_EQ(LastActivity(2), c.command);
        EXPECT_EQ(shell.manager.Session(id)->AwaitedClass(), c.awaited) << c.command;
    }
    EXPECT_THAT(shell.forwarded, IsEmpty());
    // No reply comes back, not even the game state.
    shell.Routed(kReplyNone, "Current State = Game", ReplyKind::GameState);
    EXPECT_EQ(shell.Texts(id).back(), "LOGGED_IN");
}

// A setting goes to the game server for an account with Game Settings, and
// the reply that answers it goes to its sender alone, whatever the others wait
// for and whatever the reply is; without the right it is refused.
TEST_F(ManagerTest, ASettingGoesOutWithTheRightAndItsReplyToTheSenderAlone) {
    const ConnectionId ann = LoggedIn("ann", "secret");  // no Game Settings
    const ConnectionId bob = LoggedIn("bob", "pw", "10.0.0.2");
    const ConnectionId cat = LoggedIn("cat", "meow", "10.0.0.3");
    const struct {
        ConnectionId from;
        const char* command;
        ReplyKind kind;  // what the router found the reply to be
        ReplyClass cls;
        const char* reply;  // the game's; the manager's refusal when not forwarded
        bool forwarded;
    } cases[] = {
        {cat, "set ServerName Foo", ReplyKind::SettingChanged, kReplySettings,
         "OK - Setting ServerName = Foo", true},
        {cat, "set ServerName player", ReplyKind::SettingChanged, kReplySettings,
         "OK - Setting ServerName = player", true},
        // A raw command's reply may look like anything, chat too.
        {cat, "cmd TOD 1200", ReplyKind::Chat, kReplyChat, "Time of day set to 1200", true},
        {cat, "set maxPing 99", ReplyKind::ServerRefusal, kReplyNone,
         "ERROR: Bad value for maxPing: 99", true},
        {ann, "set ServerName Foo", ReplyKind::SettingChanged, kReplySettings,
         "Refused, missing right: Game Settings", false},
        {ann, "cmd TOD 1200", ReplyKind::Chat, kReplyChat, "Refused, missing right: Game Settings",
         false},
    };
    for (const auto& c : cases) {
        shell.forwarded.clear();
        shell.Advance(kSharedReadWait.count());
        // The others wait for replies of the classes a setting's reply has.
        shell.Frames(ann, {"get gamesettings"});
        shell.Frames(bob, {"chat get"});
        const size_t annHad = shell.Texts(ann).size();
        const size_t bobHad = shell.Texts(bob).size();
        shell.Frames(c.from, {c.command});
        if (c.forwarded) {
            ASSERT_THAT(shell.forwarded,
                        ElementsAre(std::make_pair(ann, std::string("get gamesettings")),
                                    std::make_pair(bob, std::string("chat get")),
                                    std::make_pair(cat, std::string(c.command))));
            shell.Routed(c.cls, c.reply, c.kind, c.command, shell.link.lastTicket);
        } else {
            EXPECT_THAT(Forwarded(), ElementsAre("get gamesettings", "chat get")) << c.command;
        }
        EXPECT_EQ(shell.Texts(c.from).back(), c.reply) << c.command;
        EXPECT_EQ(shell.Texts(ann).size(), annHad + (c.from == ann ? 1 : 0)) << c.command;
        EXPECT_EQ(shell.Texts(bob).size(), bobHad) << c.command;
        // What the others waited for still comes to them.
        EXPECT_EQ(shell.manager.Session(bob)->AwaitedClass(), kReplyChat) << c.command;
        if (c.from != ann) {
            EXPECT_EQ(shell.manager.Session(ann)->AwaitedClass(), kReplySettings) << c.command;
        }
    }
    EXPECT_EQ(shell.manager.Session(cat)->AwaitedClass(), 0);
}

// Two admins send the same setting; the first one's reply never comes and the
// router passes its command over: the reply is the second sender's, and the
// first gets nothing.
TEST_F(ManagerTest, ASettingsReplyGoesToTheSenderOfTheCommandItAnswers) {
    admins.ClickRow(0);
    admins.ClickRight(7, true);  // ann: Game Settings
    const ConnectionId ann = LoggedIn("ann", "secret");
    const ConnectionId cat = LoggedIn("cat", "meow", "10.0.0.3");
    shell.Frames(ann, {"set ServerName Foo"});
    const uint64_t annTicket = shell.link.lastTicket;
    shell.Frames(cat, {"set ServerName Foo"});
    const uint64_t catTicket = shell.link.lastTicket;
    ASSERT_NE(annTicket, catTicket);
    const size_t annHad = shell.Texts(ann).size();
    shell.Routed(kReplySettings, "OK - Setting ServerName = Foo", ReplyKind::SettingChanged,
                 "set ServerName Foo", catTicket);
    EXPECT_EQ(shell.Texts(cat).back(), "OK - Setting ServerName = Foo");
    EXPECT_EQ(shell.Texts(ann).size(), annHad);
    // The command passed over is forgotten: a late reply for it goes nowhere.
    shell.Routed(kReplySettings, "late", ReplyKind::SettingChanged, "set ServerName Foo",
                 annTicket);
    EXPECT_EQ(shell.Texts(ann).size(), annHad);
}

TEST_F(ManagerTest, MissionAvailableIsForwardedButItsReplyReachesNobody) {
    const ConnectionId id = LoggedIn("ann", "secret");
    shell.Frames(id, {"mission available"});
    EXPECT_THAT(Forwarded(), ElementsAre("mission available"));
    shell.Routed(kReplyMissions, "<AVAILABLE MISSIONS>", ReplyKind::MissionList);
    EXPECT_EQ(shell.Texts(id).back(), "LOGGED_IN");
    EXPECT_EQ(shell.manager.Session(id)->AwaitedClass(), 104);
}

TEST_F(ManagerTest, ANewCommandReplacesWhatTheAdminWaitedFor) {
    const ConnectionId id = LoggedIn("ann", "secret");
    shell.Frames(id, {"player list", "weapon list"});
    shell.Routed(kReplyPlayers, "players", ReplyKind::PlayerList);
    EXPECT_EQ(shell.Texts(id).back(), "LOGGED_IN");
    shell.Routed(kReplyWeapons, "WPN_Remmington", ReplyKind::Weapons);
    EXPECT_EQ(shell.Texts(id).back(), "WPN_Remmington");
}

TEST_F(ManagerTest, CommandsGoOutWhateverTheGameLinkAndTheSessionDecides) {
    shell.link.connected = false;
    const ConnectionId id = LoggedIn("ann", "secret");
    shell.Frames(id, {"mission list"});
    EXPECT_THAT(Forwarded(), ElementsAre("mission list"));
    EXPECT_EQ(LastActivity(0), "mission list");
}

TEST_F(ManagerTest, RightsAreEnforced) {
    const ConnectionId bob = LoggedIn("bob", "pw");
    const struct {
        const char* command;
        const char* reply;  // empty: allowed
    } cases[] = {
        {"weapon list", ""},
        {"chat get", ""},
        {"player punt 3 ", "Refused, missing right: Punt"},
        {"player ban 3 ", "Refused, missing right: Ban"},
        {"chat send hello", "Refused, missing right: Messages or Warn"},
        {"mission cycle", "Refused, missing right: Cycle To next"},
        {"mission add x.mis", "Refused, missing right: Live Cycle Order"},
        {"set ServerName player", "Refused, missing right: Game Settings"},
        {"weapon set all never", "Refused, missing right: Game Settings"},
        {"UPLOAD File0", "Refused, missing right: Use Saved Lists"},
        {"player shout 3 ", "Refused, missing right: Full Access"},
    };
    for (const auto& c : cases) {
        shell.forwarded.clear();
        // Long enough that the read goes out again although nothing answers.
        shell.Advance(kSharedReadWait.count());
        shell.Frames(bob, {"player list"});  // what bob waits for before
        const size_t sent = shell.Texts(bob).size();
        shell.Frames(bob, {c.command});
        if (*c.reply == '\0') {
            EXPECT_THAT(Forwarded(), ElementsAre("player list", c.command));
            EXPECT_EQ(shell.Texts(bob).size(), sent) << c.command;
            EXPECT_EQ(LastActivity(1), c.command);
        } else {
            EXPECT_THAT(Forwarded(), ElementsAre("player list")) << c.command;
            EXPECT_EQ(shell.Texts(bob).back(), c.reply);
            EXPECT_EQ(LastActivity(1), "player list") << "a refused command is not recorded";
            EXPECT_EQ(shell.manager.Session(bob)->AwaitedClass(), 100) << c.command;
        }
    }
    EXPECT_THAT(shell.LogsContaining("Admin command refused"), ::testing::SizeIs(9));

    // A right ticked on the Admins tab counts at the next command.
    admins.ClickRow(1);
    admins.ClickRight(9, true);
    shell.forwarded.clear();
    shell.Frames(bob, {"player punt 3 "});
    EXPECT_THAT(Forwarded(), ElementsAre("player punt 3 "));
    // So does a deleted account: no rights at all.
    admins.DelAdmin();
    shell.forwarded.clear();
    shell.Advance(kSharedReadWait.count());
    shell.Frames(bob, {"player punt 3 ", "player list"});
    EXPECT_THAT(Forwarded(), ElementsAre("player list"));
}

TEST_F(ManagerTest, WarnAloneMaySendChat) {
    admins.ClickRow(1);
    admins.ClickRight(8, true);
    const ConnectionId bob = LoggedIn("bob", "pw");
    shell.Frames(bob, {"chat send Bob  > DO NOT SPAM"});
    EXPECT_THAT(Forwarded(), ElementsAre("chat send Bob  > DO NOT SPAM"));
}

TEST_F(ManagerTest, CommandsRefusedWhateverTheRights) {
    const ConnectionId cat = LoggedIn("cat", "meow");
    shell.Frames(cat, {std::string(248, 'p') + "layer list", "chat get\nplayer ban 3 ",
                       "chat send a\rb", std::string(236, 'x') + "player list"});
    EXPECT_THAT(Forwarded(), ElementsAre(std::string(236, 'x') + "player list"));
    const auto texts = shell.Texts(cat);
    EXPECT_THAT(std::vector<std::string>(texts.end() - 3, texts.end()),
                ElementsAre("Refused: command too long", "Refused: control characters",
                            "Refused: control characters"));
}

TEST_F(ManagerTest, APasswordSettingIsMaskedInTheLastActivity) {
    const ConnectionId cat = LoggedIn("cat", "meow");
    shell.Frames(cat, {"set serverPassword hunter2"});
    EXPECT_EQ(LastActivity(2), "set serverPassword ********");
}

// ---------------------------------------------------------------------------
// Hardening

TEST_F(ManagerTest, NoCommandIsForwardedBeforeLogin) {
    const struct {
        const char* what;
        std::vector<std::string> frames;
    } cases[] = {
        {"after an unknown user", {"nobody", "player list", "chat get"}},
        {"as the password frame", {"ann", "player ban 3 "}},
        {"after a wrong password", {"ann", "wrong", "player ban 3 "}},
        {"after a wrong password, the right one", {"bob", "bad", "bob", "pw", "chat get"}},
    };
    for (const auto& c : cases) {
        CAdmins accounts({Account("ann", "secret", "3FFF"), Account("bob", "pw", "3FFF")});
        VirtualShell s{accounts};
        const ConnectionId id = s.Connect();
        // Each frame alone, then all in one segment.
        for (const auto& f : c.frames) s.Frames(id, {f});
        const ConnectionId id2 = s.Connect("10.0.0.2");
        std::string all;
        for (const auto& f : c.frames) all += AdminFrames({f});
        s.Bytes(id2, all);
        s.Advance(1000);
        EXPECT_THAT(s.forwarded, IsEmpty()) << c.what;
        EXPECT_FALSE(s.IsOpen(id)) << c.what;
        EXPECT_FALSE(s.IsOpen(id2)) << c.what;
    }
}

TEST_F(ManagerTest, UserPasswordAndACommandInOneSegment) {
    const ConnectionId id = shell.Connect();
    shell.Bytes(id, AdminFrames({"ann", "secret", "player list"}));
    EXPECT_THAT(Forwarded(), ElementsAre("player list"));
}

TEST_F(ManagerTest, AConnectionThatDoesNotLogInWithin30sIsClosed) {
    const ConnectionId idle = shell.Connect();
    const ConnectionId half = shell.Connect("10.0.0.2");
    shell.Frames(half, {"ann"});
    const ConnectionId in = LoggedIn("cat", "meow", "10.0.0.3");
    shell.Advance(29'999 - shell.NowMs());
    EXPECT_TRUE(shell.IsOpen(idle));
    EXPECT_TRUE(shell.IsOpen(half));
    shell.Advance(1);
    EXPECT_FALSE(shell.IsOpen(idle));
    EXPECT_FALSE(shell.IsOpen(half));
    EXPECT_THAT(shell.LogsContaining("no login within 30 s"), ::testing::SizeIs(2));
    shell.Advance(60'000);
    EXPECT_TRUE(shell.IsOpen(in));
    // A deadline left on a logged-in session was stopped.
    EXPECT_FALSE(shell.TimerRunning(in, AdminTimer::LoginDeadline));
}

TEST(AdminSessionDeadline, BytesAfterTheDeadlineCloseEvenBeforeTheTimer) {
    CAdmins admins({Account("ann", "secret", "3FFF")});
    ManualClock clock;
    testing::FixedLink link;
    Manager manager(admins, clock, link);
    manager.OnAdminConnected(1, "10.0.0.1");
    clock.Advance(std::chrono::seconds(30));
    const AdminEffects effects =
        manager.OnAdminBytes(1, AdminFrames({"ann", "secret", "chat get"}));
    EXPECT_EQ(std::get<AdminLogLine>(effects.at(0)).text.find("no login within 30 s") !=
                  std::string::npos,
              true);
    EXPECT_EQ(effects.at(1), AdminEffect{CloseAdmin{1}});
    for (const auto& e : effects) EXPECT_FALSE(std::holds_alternative<ForwardCommand>(e));
    // A timer that fires early only asks again for the rest.
    manager.OnAdminConnected(2, "10.0.0.2");
    clock.Advance(std::chrono::seconds(10));
    EXPECT_THAT(manager.OnAdminTimer(2, AdminTimer::LoginDeadline),
                ElementsAre(AdminEffect{StartAdminTimer{2, AdminTimer::LoginDeadline, 20000}}));
}

TEST_F(ManagerTest, FiveFailuresFromOneAddressRefuseItForFiveMinutes) {
    for (int i = 0; i < 5; ++i) {
        const ConnectionId id = shell.Connect("10.6.6.6");
        shell.Frames(id, {i % 2 ? "nobody" : "ann", "wrong"});
        shell.Advance(10'000);
    }
    EXPECT_THAT(shell.LogsContaining("refused for 5 minutes"), ElementsAre(HasSubstr("10.6.6.6")));
    // Refused at accept: closed with no greeting, not counted.
    const ConnectionId refused = shell.Connect("10.6.6.6");
    EXPECT_FALSE(shell.IsOpen(refused));
    EXPECT_THAT(shell.Texts(refused), IsEmpty());
    EXPECT_EQ(shell.adminsField, "Admins: 0 / 3");
    // Another address logs in.
    LoggedIn("ann", "secret", "10.0.0.1");
    // Five minutes after the fifth failure the address may try again.
    shell.Advance(40'000 + 5 * 60'000 - 1 - shell.NowMs());
    EXPECT_FALSE(shell.IsOpen(shell.Connect("10.6.6.6")));
    shell.Advance(1);
    const ConnectionId back = LoggedIn("cat", "meow", "10.6.6.6");
    EXPECT_TRUE(shell.IsOpen(back));
}

TEST_F(ManagerTest, AConnectionOpenedBeforeTheRefusalIsRejectedAtItsNextStep) {
    const ConnectionId early = shell.Connect("10.6.6.6");
    shell.Frames(early, {"ann"});
    for (int i = 0; i < 5; ++i) shell.Frames(shell.Connect("10.6.6.6"), {"nobody"});
    shell.Frames(early, {"secret"});  // the right password, too late
    shell.Advance(1000);
    EXPECT_THAT(shell.Texts(early), ElementsAre("Hollispark", "User:OK", "Pass:Rejected"));
    EXPECT_NE(Status(0), "Online");
}

TEST_F(ManagerTest, TheConnectionLimitIsRefusedAtAccept) {
    EXPECT_EQ(shell.manager.ConnectionLimit(), 1000u);
    shell.manager.SetConnectionLimit(2);
    const ConnectionId a = shell.Connect();
    shell.Connect();
    EXPECT_FALSE(shell.manager.AcceptsMore());
    const ConnectionId over = shell.Connect();
    EXPECT_FALSE(shell.IsOpen(over));
    EXPECT_THAT(shell.Texts(over), IsEmpty());
    EXPECT_THAT(shell.LogsContaining("2 connections already"), ::testing::SizeIs(1));
    shell.PeerCloses(a);
    EXPECT_TRUE(shell.manager.AcceptsMore());
    EXPECT_TRUE(shell.IsOpen(shell.Connect()));
}

TEST_F(ManagerTest, ConnectionsNotLoggedInHaveLimitsOfTheirOwn) {
    const struct {
        const char* what;
        size_t limit;        // --max-admins
        size_t addresses;    // silent connections come from this many addresses
        size_t connections;  // in all
        size_t accepted;
        const char* refusal;
        bool adminGetsIn;  // from an address of its own, meanwhile
    } cases[] = {
        {"one address", 1000, 1, 1000, 8, "8 connections from this address not logged in yet",
         true},
        {"many addresses", 1000, 200, 1000, 64, "64 connections already waiting to log in", false},
        {"never more waiting than may log in", 3, 10, 10, 3,
         "3 connections already waiting to log in", false},
    };
    for (const auto& c : cases) {
        CAdmins accounts({Account("ann", "secret", "3F00")});
        VirtualShell s{accounts};
        s.manager.SetConnectionLimit(c.limit);
        for (size_t i = 0; i < c.connections; ++i)
            s.Connect("10.6." + std::to_string(i % c.addresses / 256) + "." +
                      std::to_string(i % c.addresses % 256));
        EXPECT_EQ(s.open.size(), c.accepted) << c.what;
        EXPECT_EQ(s.manager.NotLoggedInCount(), c.accepted) << c.what;
        EXPECT_THAT(s.LogsContaining(c.refusal), ::testing::Not(IsEmpty())) << c.what;
        const ConnectionId admin = s.Connect("10.0.0.1");
        if (s.IsOpen(admin)) s.Frames(admin, {"ann", "secret"});
        s.Advance(300);
        EXPECT_EQ(s.IsOpen(admin), c.adminGetsIn) << c.what;
        if (c.adminGetsIn) {
            EXPECT_TRUE(s.manager.Session(admin)->LoggedIn()) << c.what;
        }
    }
}

TEST_F(ManagerTest, LoggedInAdminsLeaveRoomForLoginsAndAreCappedApart) {
    shell.manager.SetConnectionLimit(2);
    LoggedIn("ann", "secret", "10.0.0.1");
    // One logged in: the two places for logins are free still.
    const ConnectionId catWaits = shell.Connect("10.0.0.2");
    const ConnectionId bobWaits = shell.Connect("10.0.0.3");
    EXPECT_TRUE(shell.IsOpen(catWaits));
    EXPECT_TRUE(shell.IsOpen(bobWaits));
    shell.Frames(catWaits, {"cat", "meow"});
    shell.Advance(300);
    EXPECT_TRUE(shell.manager.Session(catWaits)->LoggedIn());
    // The admins' places are full now: bob was let in, but cannot log in.
    shell.Frames(bobWaits, {"bob"});
    EXPECT_THAT(shell.Texts(bobWaits), ElementsAre("Hollispark", "Error:Rejected"));
    EXPECT_FALSE(shell.IsOpen(bobWaits));
    EXPECT_THAT(shell.LogsContaining("2 admins already logged in"), ::testing::SizeIs(1));
    EXPECT_FALSE(shell.manager.AcceptsMore());
    EXPECT_FALSE(shell.IsOpen(shell.Connect("10.0.0.4")));
    EXPECT_THAT(shell.LogsContaining("2 admins already logged in"), ::testing::SizeIs(2));
    // Not a failed login: bob's address is not counted against.
    EXPECT_EQ(shell.manager.Throttle().TrackedAddresses(), 0u);
}

TEST_F(ManagerTest, ALoginFrameIsAUserNameOrAPasswordAndNoLonger) {
    const struct {
        const char* what;
        std::vector<std::string> frames;
        std::vector<std::string> replies;  // after the greeting
        bool open;
        const char* logged;  // a log line holds this
    } cases[] = {
        {"a user name of 256 bytes",
         {std::string(256, 'u')},
         {"User:Rejected"},
         false,
         "Admin login refused"},
        {"a user name of 257 bytes",
         {std::string(257, 'u')},
         {},
         false,
         "a frame of 257 bytes announced (at most 256 before login)"},
        {"a password of 257 bytes",
         {"ann", std::string(257, 'p')},
         {"User:OK"},
         false,
         "a frame of 257 bytes announced (at most 256 before login)"},
        {"a command after login may be longer",
         {"ann", "secret", std::string(300, 'x')},
         {"User:OK", "3F00", "LOGGED_IN", "Refused: command too long"},
         true,
         "Admin command refused"},
    };
    for (const auto& c : cases) {
        CAdmins accounts({Account("ann", "secret", "3F00")});
        VirtualShell s{accounts};
        const ConnectionId id = s.Connect();
        std::string bytes;
        for (const auto& f : c.frames) bytes += AdminFrames({f});
        s.Bytes(id, bytes);
        s.Advance(1000);
        std::vector<std::string> expected{"Hollispark"};
        expected.insert(expected.end(), c.replies.begin(), c.replies.end());
        EXPECT_EQ(s.Texts(id), expected) << c.what;
        EXPECT_EQ(s.IsOpen(id), c.open) << c.what;
        EXPECT_THAT(s.LogsContaining(c.logged), ::testing::SizeIs(1)) << c.what;
    }
}

TEST_F(ManagerTest, RefusalsAtAcceptAreNotLoggedOneByOneForeverButAllAreCounted) {
    shell.manager.SetConnectionLimit(0);
    for (int i = 0; i < 2000; ++i) shell.Connect();
    EXPECT_EQ(shell.LogsContaining("Admin connection refused").size(), kFailuresLoggedInFull);
    shell.Advance(60'000);
    EXPECT_THAT(shell.LogsContaining("in the last minute"),
                ElementsAre("2000 refused connections from 1 address in the last minute"));
}

TEST_F(ManagerTest, AnOversizedFrameEndsTheConnectionWithALogLine) {
    const ConnectionId before = shell.Connect();
    shell.Bytes(before, std::string("\x00\x01\x00\x01", 4));  // 65537 bytes announced
    EXPECT_FALSE(shell.IsOpen(before));
    const ConnectionId after = LoggedIn("ann", "secret", "10.0.0.2");
    shell.Bytes(after, AdminFrames({"player list"}) + std::string("\xFF\xFF\xFF\xFF", 4) + "x");
    EXPECT_FALSE(shell.IsOpen(after));
    EXPECT_THAT(Forwarded(), ElementsAre("player list"));
    EXPECT_THAT(shell.LogsContaining("bytes announced (at most 65536)"),
                ElementsAre(HasSubstr("65537"), HasSubstr("4294967295")));
    EXPECT_EQ(Status(0), " - ");
}

TEST_F(ManagerTest, CloseAdminConnections) {
    const ConnectionId a = LoggedIn("ann", "secret");
    const ConnectionId c = LoggedIn("cat", "meow", "10.0.0.2");
    const ConnectionId idle = shell.Connect("10.0.0.3");
    EXPECT_EQ(shell.adminsField, "Admins: 3 / 3");
    shell.DisconnectAll();
    EXPECT_FALSE(shell.IsOpen(a));
    EXPECT_FALSE(shell.IsOpen(c));
    EXPECT_FALSE(shell.IsOpen(idle));
    EXPECT_EQ(Status(0), " - ");
    EXPECT_EQ(Status(2), " - ");
    EXPECT_EQ(Status(1), "Offline");
    EXPECT_EQ(shell.adminsField, "Admins: 0 / 3");
    // Admins may connect again.
    LoggedIn("ann", "secret");
}

TEST_F(ManagerTest, BytesOfAnUnknownConnectionAreRejected) {
    EXPECT_THAT(shell.manager.OnAdminBytes(42, AdminFrames({"ann"})),
                ElementsAre(AdminEffect{SendAdminFrame{42, AdminFrames({"Error:Rejected"})}},
                            AdminEffect{CloseAdmin{42}}));
    EXPECT_THAT(shell.manager.OnAdminDisconnected(42), IsEmpty());
    EXPECT_THAT(shell.manager.OnAdminTimer(42, AdminTimer::Pace), IsEmpty());
}

TEST_F(ManagerTest, TheAdminsFieldCountsConnectionsAndAccounts) {
    EXPECT_EQ(kAdminsFieldInitial, "Admins 0 / 0");
    EXPECT_EQ(shell.manager.AdminsFieldText(), "Admins: 0 / 3");
    const ConnectionId id = shell.Connect();
    EXPECT_EQ(shell.adminsField, "Admins: 1 / 3");
    admins.NewAdmin();
    shell.adminsField = "12 / 5 / 7";  // the router wrote player counts meanwhile
    shell.Frames(id, {"nobody"});
    EXPECT_EQ(shell.adminsField, "Admins: 1 / 4");
    shell.Advance(100);
    EXPECT_EQ(shell.adminsField, "Admins: 0 / 4");
}

TEST(AdminPort, PortAndCaption) {
    EXPECT_EQ(kAdminPort, 9898);
    EXPECT_EQ(AdminPortCaption(false), "Open Port");
    EXPECT_EQ(AdminPortCaption(true), "Close Port");
}

TEST_F(ManagerTest, ConnectionsKeepTheirOrder) {
    const ConnectionId a = shell.Connect();
    const ConnectionId b = shell.Connect();
    const ConnectionId c = shell.Connect();
    shell.PeerCloses(b);
    EXPECT_THAT(shell.manager.Connections(), ElementsAre(a, c));
    EXPECT_EQ(shell.manager.OnAdminConnected(a, "x").size(), 1u);  // reported twice: a log line
}

}  // namespace
}  // namespace tavrin
