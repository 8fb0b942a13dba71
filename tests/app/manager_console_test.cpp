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
    ManualSteadyClock portClock;
    VirtualAdminPort port{portClock};
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
        s.OnRatConnected();
        s.OnRatFrameReceived("ABCDEFGHIJKLMNOPQRSTUVWXYZ012345");
        s.OnRatFrameReceived("Welcome admin");
        host.Advance(2000);
        // The console's own commands after the login are answered.
        for (const std::string& command : host.Commands())
            s.OnRatFrameReceived(command == "chat get"        ? ""
                                 : command == "get gamestate" ? "Current State = Game"
                                                              : "ERROR");
        host.sent.clear();
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
    // console, and the admins' copies leave.
    void GameReplies(const std::string& text) {
        const size_t before = host.routed.size();
        console->Session().OnRatFrameReceived(text);
        for (size_t i = before; i < host.routed.size(); ++i)
            console->OnReplyRouted(host.routed[i], host.routedTexts[i]);
        port.Advance(300);
    }
    bool Got(ConnectionId id, const std::string& text) const {
        for (const auto& t : port.Texts(id))
            if (t == text) return true;
        return false;
    }
};

// What ann's command does: the frame the game server gets, and which admins
// get a copy of the game's reply, ann or max (who may have asked first).
TEST(ManagerConsole, AnAdminsCommandReachesTheGameAndItsReplyTheAdminsWaitingForIt) {
    const struct {
        const char* what;
        const char* annRights;
        bool annLoggedIn;
        const char* maxAsked;  // empty: max asks nothing
        const char* command;   // ann's
        std::vector<std::string> forwarded;
        const std::string* reply;  // null: the game is not asked
        bool annGetsCopy;
        bool maxGetsCopy;
        const char* annLast;  // ann's last frame, when no copy is expected; null: unchecked
    } cases[] = {
        {"a read with every right",
         "3FFF",
         true,
         "",
         "player list",
         {"player list"},
         &kPlayersReply,
         true,
         false,
         nullptr},
        {"a read needs no right",
         "0000",
         true,
         "",
         "player list",
         {"player list"},
         &kPlayersReply,
         true,
         false,
         nullptr},
        {"a read already asked for is shared",
         "0000",
         true,
         "player list",
         "player list",
         {"player list"},
         &kPlayersReply,
         true,
         true,
         nullptr},
        {"each waits for its own class",
         "0000",
         true,
         "player list",
         "weapon list",
         {"player list", "weapon list"},
         &kWeaponsReply,
         true,
         false,
         nullptr},
        {"the other class's copy goes to the other",
         "0000",
         true,
         "player list",
         "weapon list",
         {"player list", "weapon list"},
         &kPlayersReply,
         false,
         true,
         nullptr},
        {"a right granted",
         "3F00",
         true,
         "",
         "player punt 3 ",
         {"player punt 3 "},
         nullptr,
         false,
         false,
         nullptr},
        {"a right missing",
         "0000",
         true,
         "",
         "player punt 3 ",
         {},
         nullptr,
         false,
         false,
         "Refused, missing right: Punt"},
        {"not logged in: the command is a user name",
         "3FFF",
         false,
         "",
         "player list",
         {},
         &kPlayersReply,
         false,
         false,
         "User:Rejected"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ManagerConsole m(c.annRights);
        const ConnectionId max = m.LoggedIn("max", "maxpass");
        const ConnectionId ann = c.annLoggedIn ? m.LoggedIn("ann", "annpass") : m.port.Connect();
        if (*c.maxAsked) m.port.Frames(max, {c.maxAsked});
        m.port.Frames(ann, {c.command});
        m.port.Advance(300);
        EXPECT_EQ(m.host.Commands(), c.forwarded);
        if (c.reply) m.GameReplies(*c.reply);
        const std::string reply = c.reply ? *c.reply : std::string("\x01");
        EXPECT_EQ(m.Got(ann, reply), c.annGetsCopy);
        EXPECT_EQ(m.Got(max, reply), c.maxGetsCopy);
        if (c.annLast) {
            ASSERT_FALSE(m.port.Texts(ann).empty());
            EXPECT_EQ(m.port.Texts(ann).back(), c.annLast);
        }
    }
}

}  // namespace
}  // namespace tavrin
