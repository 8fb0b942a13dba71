// The console in the manager role, end to end in virtual time: admins on a
// virtual Admin Port, the real manager role and session, the game server's
// replies fed to the session, and what the router decided carried back to
// the console as the runtime carries it.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/console.h"
#include "support/fakes.h"
#include "support/quiet_console_observer.h"
#include "support/temp_dir.h"
#include "support/virtual_admin_port.h"
#include "support/virtual_host.h"

namespace tavrin {
namespace {

using testing::ScriptedDialogs;
using testing::TempDir;
using testing::VirtualAdminPort;
using testing::VirtualHost;

const std::string kPlayersReply =
    "NAME\t#\tTEAM\tClass\tKills\tDeaths\tPING\nHost\t0\t1\t8\t0\t0\t0\n"
    "Ann\t3\t1\t5\t10\t2\t50\n";
const std::string kWeaponsReply = "12. ALWAYS WPN_Remmington\n13. ARMORY WPN_Knife\n";

// A manager logged in to its game server, its Admin Port open, with the
// accounts ann (`annRights`) and max (every right).
struct ManagerConsole final : WorkerInfoSource, testing::QuietConsoleObserver {
    TempDir dir;
    ManualClock clock{{2026, 3, 7, 9, 5, 3}};
    VirtualHost host;
    ScriptedDialogs dialogs;
    VirtualAdminPort port{clock};
    std::unique_ptr<Console> console;

    explicit ManagerConsole(const std::string& annRights) {
        std::filesystem::create_directories(dir.File("Configs"));
        std::ofstream(dir.File("Configs/servers.cfg"), std::ios::binary)
            << "*FAV*Home,10.0.0.5,40000,admin,secret\r\n";
        std::ofstream(dir.File("Configs/radmins.cfg"), std::ios::binary)
            << "Name=Ann\nUser=ann\nPass=annpass\nRights=" << annRights
            << "\nGuid=none\nName=Max\nUser=max\nPass=maxpass\nRights=3FFF\nGuid=none\n[END]";
        ::chmod(dir.File("Configs/servers.cfg").c_str(), 0600);
        ::chmod(dir.File("Configs/radmins.cfg").c_str(), 0600);
        console = std::make_unique<Console>(dir.Path(), host, dialogs, clock, *this, *this);
        host.session = &console->Session();
        host.clock = &clock;
        port.events = &console->AdminManager();
        console->AdminManager().AttachPort(port);
        console->Initialise(ConsoleRole::Manager);
        host.Advance(0);
        console->OnTimer(TimerId::Startup);
        console->Login();
        RatSession& s = console->Session();
        testing::AcceptLogin(s);
        testing::AnswerFirstCommands(host, s);
        // From here the console hears its session as the real host reports it.
        host.listener = console.get();
    }
    ~ManagerConsole() override { console->Close(false); }

    WorkerInfo CurrentWorkerInfo() const override { return {}; }

    ConnectionId LoggedIn(const std::string& user, const std::string& pass) {
        const ConnectionId id = port.Connect();
        port.Frames(id, {user, pass});
        port.Advance(300);  // the login replies and the pause after the last one
        return id;
    }
    // The game server answers; each reply the router carried out reaches the
    // console through the host, and the admins' copies leave.
    void GameReplies(const std::string& text) {
        console->Session().OnRatFrameReceived(text);
        port.Advance(300);
    }
    bool Got(ConnectionId id, const std::string& text) const {
        for (const auto& t : port.Texts(id))
            if (t == text) return true;
        return false;
    }
};

std::string Joined(const std::vector<std::string>& texts) {
    std::string out;
    for (const auto& t : texts) out += (out.empty() ? "" : "|") + t;
    return out;
}

// What ann's command does: the frames the game server gets ("|" between
// them), and which admins get a copy of the game's reply: ann, or max who
// may have asked something first. Without a copy, ann's last frame says why.
TEST(ManagerConsole, AnAdminsCommandReachesTheGameAndItsReplyTheAdminsWaitingForIt) {
    enum class Reply { None, Players, Weapons };
    const struct {
        const char* rights;  // ann's
        bool loggedIn;       // ann's
        const char* maxAsked;
        const char* command;  // ann's
        const char* forwarded;
        Reply reply;         // what the game then answers
        const char* copies;  // who got the answer
        const char* annLast;
    } cases[] = {
        {"3FFF", true, "", "player list", "player list", Reply::Players, "ann", ""},
        {"0000", true, "", "player list", "player list", Reply::Players, "ann", ""},
        // A read on its way is not sent again: both get its answer.
        {"0000", true, "player list", "player list", "player list", Reply::Players, "ann max", ""},
        // Each waits for its own class.
        {"0000", true, "player list", "weapon list", "player list|weapon list", Reply::Weapons,
         "ann", ""},
        {"0000", true, "player list", "weapon list", "player list|weapon list", Reply::Players,
         "max", ""},
        {"3F00", true, "", "player punt 3 ", "player punt 3 ", Reply::None, "", ""},
        {"0000", true, "", "player punt 3 ", "", Reply::None, "", "Refused, missing right: Punt"},
        // Not logged in, the command is taken for a user name.
        {"3FFF", false, "", "player list", "", Reply::Players, "", "User:Rejected"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.rights) + " " + c.command + (c.loggedIn ? "" : " (not in)"));
        ManagerConsole m(c.rights);
        const ConnectionId max = m.LoggedIn("max", "maxpass");
        const ConnectionId ann = c.loggedIn ? m.LoggedIn("ann", "annpass") : m.port.Connect();
        if (*c.maxAsked) m.port.Frames(max, {c.maxAsked});
        m.port.Frames(ann, {c.command});
        m.port.Advance(300);
        EXPECT_EQ(Joined(m.host.Commands()), c.forwarded);
        const std::string reply = c.reply == Reply::Players   ? kPlayersReply
                                  : c.reply == Reply::Weapons ? kWeaponsReply
                                                              : std::string();
        if (!reply.empty()) m.GameReplies(reply);
        std::string copies;
        if (!reply.empty() && m.Got(ann, reply)) copies += "ann";
        if (!reply.empty() && m.Got(max, reply)) copies += copies.empty() ? "max" : " max";
        EXPECT_EQ(copies, c.copies);
        if (*c.annLast) {
            ASSERT_FALSE(m.port.Texts(ann).empty());
            EXPECT_EQ(m.port.Texts(ann).back(), c.annLast);
        }
    }
}

std::string EventLogText(const TempDir& dir) {
    std::ifstream in(dir.File("07-03-26/adminlog.txt"), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The account file read again while admins are logged in: the game link and
// the admins who keep an account stay, with the rights they logged in with;
// a removed account's admin goes, a new account logs in at once, and a file
// that does not read keeps the table in use.
TEST(ManagerConsole, ReadingTheAccountsAgainKeepsTheLinkAndTheAdminsWithAnAccount) {
    ManagerConsole m("3FFF");
    const ConnectionId max = m.LoggedIn("max", "maxpass");
    const ConnectionId ann = m.LoggedIn("ann", "annpass");
    m.port.Frames(max, {"player list"});
    m.GameReplies(kPlayersReply);
    std::ofstream(m.dir.File("Configs/radmins.cfg"), std::ios::binary)
        << "Name=Max\nUser=max\nPass=newpass\nRights=0000\nGuid=none\n"
           "Name=Cid\nUser=cid\nPass=cidpass\nRights=0100\nGuid=none\n[END]";
    m.console->ReloadConfiguration();
    m.port.Settle();

    EXPECT_FALSE(m.port.IsOpen(ann));
    EXPECT_NE(EventLogText(m.dir).find("Admin disconnected: \"ann\" from 10.0.0.1: the account "
                                       "was removed from radmins.cfg"),
              std::string::npos);
    ASSERT_TRUE(m.port.IsOpen(max));
    CAdmins& accounts = m.console->AdminManager().Accounts();
    ASSERT_EQ(accounts.AccountCount(), 2);
    EXPECT_EQ(accounts.AccountCell(0, AdminColumn::Status), kStatusOnline);
    EXPECT_EQ(accounts.AccountCell(0, AdminColumn::LastActivity), "player list");
    EXPECT_EQ(accounts.AccountCell(1, AdminColumn::Status), kStatusOffline);
    EXPECT_TRUE(m.console->Session().State().m_fRATConnected);
    // max keeps every right until he logs in again.
    m.port.Frames(max, {"player punt 3 "});
    m.port.Advance(300);
    EXPECT_EQ(m.host.Commands().back(), "player punt 3 ");

    const ConnectionId cid = m.LoggedIn("cid", "cidpass");
    EXPECT_EQ(Joined(m.port.Texts(cid)), "Hollispark|User:OK|0100|LOGGED_IN");

    // A broken file leaves the table as it is, and says so.
    std::ofstream(m.dir.File("Configs/radmins.cfg"), std::ios::binary) << "Name=Max\nUser=max\n";
    m.console->ReloadConfiguration();
    m.port.Settle();
    EXPECT_EQ(accounts.AccountCount(), 2);
    EXPECT_TRUE(m.port.IsOpen(max) && m.port.IsOpen(cid));
    EXPECT_NE(EventLogText(m.dir).find("radmins.cfg not read again"), std::string::npos);

    // The next login takes the new password and rights.
    m.port.PeerCloses(max);
    const ConnectionId old = m.LoggedIn("max", "maxpass");
    EXPECT_EQ(m.port.Texts(old).back(), "Pass:Rejected");
    const ConnectionId again = m.LoggedIn("max", "newpass");
    EXPECT_EQ(Joined(m.port.Texts(again)), "Hollispark|User:OK|0000|LOGGED_IN");
}

// The ChatBot and admin menu files read again: what reads is used, what
// does not keeps the setup in use.
TEST(ManagerConsole, ReadingTheChatBotAndMenuAgainTakesWhatReads) {
    ManagerConsole m("3FFF");
    const std::string menu = "[FORMAT]\n[WARN]\nWarn\\HELLO\n";
    std::ofstream(m.dir.File("Configs/chatbot.cfg"), std::ios::binary)
        << "[WORDS]\r\n0\\FOO\\w\\Monitor Only\\0\\\r\n[WARNINGS]\r\n[DEFAULT]\r\n2\r\n";
    std::ofstream(m.dir.File("Configs/adminmenu.cfg"), std::ios::binary)
        << "[FORMAT]\r\n[WARN]\r\nWarn\\HELLO\r\n";
    m.console->ReloadConfiguration();
    ASSERT_EQ(m.console->ChatBot().Config().words.size(), 1u);
    EXPECT_EQ(m.console->ChatBot().Config().words[0], "0\\FOO\\w\\Monitor Only\\0\\");
    EXPECT_EQ(m.console->ChatBot().Config().defaultPenalty, 2);
    EXPECT_EQ(m.console->AdminMenuText(), menu);

    std::ofstream(m.dir.File("Configs/chatbot.cfg"), std::ios::binary) << "0\\BAR\\\r\n";
    std::filesystem::remove(m.dir.File("Configs/adminmenu.cfg"));
    m.console->ReloadConfiguration();
    EXPECT_EQ(m.console->ChatBot().Config().words[0], "0\\FOO\\w\\Monitor Only\\0\\");
    EXPECT_EQ(m.console->AdminMenuText(), menu);
    const std::string log = EventLogText(m.dir);
    EXPECT_NE(log.find("chatbot.cfg not read again"), std::string::npos);
    EXPECT_NE(log.find("adminmenu.cfg not read again (the file is missing)"), std::string::npos);
    EXPECT_TRUE(m.console->Session().State().m_fRATConnected);
}

// A remote admin's punt is recorded with the admin's user name as its
// source; a command refused for want of the right is not.
TEST(ManagerConsole, ARemoteAdminsPuntIsRecordedAsTheirs) {
    struct Queue final : HistoryQueue {
        std::vector<SanctionRecord> sanctions;
        void Add(std::vector<HistoryItem> items) override {
            for (auto& item : items)
                if (auto* s = std::get_if<SanctionRecord>(&item)) sanctions.push_back(*s);
        }
    } queue;
    HistoryRecorder history(queue, [] { return int64_t{7}; });
    ManagerConsole m("0000");
    m.console->SetHistory(&history);
    const ConnectionId max = m.LoggedIn("max", "maxpass");
    const ConnectionId ann = m.LoggedIn("ann", "annpass");
    m.port.Frames(max, {"player list"});
    m.port.Advance(300);
    m.GameReplies(kPlayersReply);
    m.port.Frames(ann, {"player punt 3 "});
    m.port.Frames(max, {"player punt 3 "});
    m.port.Advance(300);
    EXPECT_EQ(
        queue.sanctions,
        (std::vector<SanctionRecord>{{7, "Home", "Ann", SanctionAction::Punt, "", "admin:max"}}));
}

}  // namespace
}  // namespace tavrin
