// The console as a remote admin of a manager, end to end: the real headless
// console logged in to the Admin Port of a real headless manager, which is
// logged in to tavrinrat-sim.

#include <dirent.h>
#include <sys/stat.h>

#include <csignal>
#include <fstream>
#include <iterator>
#include <thread>

#include "e2e/manager_e2e_fixture.h"

namespace tavrin::testing {
namespace {

using ::testing::StartsWith;

class RemoteE2e : public ManagerE2e {
  protected:
    // A remote console in a program folder of its own, logged in to the
    // manager's Admin Port as `user`, its password from a file.
    void StartRemote(const std::string& user, const std::string& password,
                     std::vector<std::string> extra = {}) {
        ::mkdir(m_remoteDir.File("Configs").c_str(), 0700);
        WriteFile(m_remoteDir.File("password"), password + "\n");
        std::vector<std::string> args = {"--remote",        "127.0.0.1:" + std::to_string(m_port),
                                         "--user",          user,
                                         "--password-file", m_remoteDir.File("password")};
        args.insert(args.end(), extra.begin(), extra.end());
        m_remote.emplace(TAVRIN_CONSOLE_PATH, m_remoteDir.Path(), args);
        ASSERT_TRUE(m_remote->Started());
    }

    std::optional<size_t> RemoteWait(std::string_view line, size_t from = 0,
                                     std::chrono::milliseconds timeout = 15s) {
        return m_remote->WaitFor(line, from, timeout);
    }
    std::optional<size_t> RemoteWaitPart(std::string_view part, size_t from = 0,
                                         std::chrono::milliseconds timeout = 15s) {
        return m_remote->WaitForPart(part, from, timeout);
    }
    std::string Both() {
        return "remote console:\n" + (m_remote ? m_remote->Transcript() : std::string()) +
               "manager:\n" + Transcript();
    }

    // A file of the remote console's day folder.
    std::string RemoteDayFile(const std::string& name) {
        std::string text;
        if (DIR* d = ::opendir(m_remoteDir.Path().c_str())) {
            while (dirent* e = ::readdir(d)) {
                const std::string folder = e->d_name;
                if (folder.size() != 8 || folder[2] != '-') continue;
                std::ifstream in(m_remoteDir.File(folder + "/" + name), std::ios::binary);
                text.assign(std::istreambuf_iterator<char>(in), {});
            }
            ::closedir(d);
        }
        return text;
    }

    static bool ConsoleSaidAny(ConsoleProcess& console, std::string_view part) {
        for (const auto& l : console.Lines())
            if (l.find(part) != std::string::npos) return true;
        return false;
    }

    std::string Where() const { return "127.0.0.1:" + std::to_string(m_port); }

    TempDir m_remoteDir;
    std::optional<ConsoleProcess> m_remote;
};

// Logged in through the manager, the remote console's models fill from the
// replies the manager relays, a chat line reaches its chat log, and a rule
// of its schedule punts through the manager.
TEST_F(RemoteE2e, ARemoteConsoleFillsFromRelayedRepliesAndItsPuntReachesTheGame) {
    StartManager();
    WaitLoggedIn();
    ::mkdir(m_remoteDir.File("Configs").c_str(), 0700);
    WriteFile(m_remoteDir.File("Configs/schedule.cfg"), "ON JOIN player punt {id}\r\n");
    StartRemote("ann", "annpass");
    ASSERT_TRUE(RemoteWait("Connection: Connected")) << Both();
    ASSERT_TRUE(RemoteWait("Server Mode: via manager " + Where())) << Both();
    ASSERT_TRUE(RemoteWait("Server Name: TavrinSim")) << Both();
    ASSERT_TRUE(m_remote->Find(IsPlayerCounts, 0, 15s)) << Both();
    EXPECT_TRUE(m_console->WaitForPart("Admin logged in: \"ann\"", 0, 5s)) << Both();
    // Game state is never relayed: the remote console's poll never asks for it.
    EXPECT_FALSE(ConsoleSaidAny(*m_remote, "Rat Command: get gamestate"));

    ASSERT_THAT(m_sim->Control("say Newbie hello from the game"), StartsWith("ok say Newbie"));
    const auto punt = m_sim->FindLine("cmd: player punt ", 0, 60s);
    ASSERT_TRUE(punt) << Both() << SimLog();
    // The chat line reaches the remote console's own chat log.
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (RemoteDayFile("chatlog.txt").find("hello from the game") == std::string::npos &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(100ms);
    EXPECT_NE(RemoteDayFile("chatlog.txt").find("hello from the game"), std::string::npos)
        << RemoteDayFile("chatlog.txt");
    m_remote->Signal(SIGTERM);
    EXPECT_EQ(m_remote->WaitExit(10s), 0) << Both();
}

// An account without the Punt right: the manager refuses the command, and
// the remote console shows and logs the refusal; nothing reaches the game.
TEST_F(RemoteE2e, ACommandTheAccountMayNotSendIsRefusedByTheManagerAndShown) {
    StartManager();
    WaitLoggedIn();
    ::mkdir(m_remoteDir.File("Configs").c_str(), 0700);
    WriteFile(m_remoteDir.File("Configs/schedule.cfg"), "ON JOIN player punt {id}\r\n");
    StartRemote("bob", "bobpass");
    ASSERT_TRUE(RemoteWait("Server Name: TavrinSim")) << Both();
    const size_t mark = SimMark();
    ASSERT_THAT(m_sim->Control("say Newbie hello"), StartsWith("ok say Newbie"));
    ASSERT_TRUE(RemoteWaitPart("Refused, missing right: Punt", 0, 60s)) << Both();
    EXPECT_FALSE(SimGot("player punt", mark));
    for (const auto& c : SimCommands(m_sim->Lines(), mark))
        EXPECT_EQ(c.text.find("punt"), std::string::npos) << c.text;
}

// A refused login is said in words and not tried again and again.
TEST_F(RemoteE2e, ARefusedLoginIsShownAndNotRetried) {
    StartManager();
    WaitLoggedIn();
    StartRemote("ann", "wrongpass");
    ASSERT_TRUE(RemoteWaitPart("Pass:Rejected")) << Both();
    // No reconnection is planned: a retry would only lengthen a lock-out.
    EXPECT_FALSE(m_remote->WaitForPart("AutoRecon timer started", 0, 2s)) << Both();
}

// TLS end to end: the manager's own certificate trusted with --ca.
TEST_F(RemoteE2e, TlsToTheManager) {
    const std::string cert = TAVRIN_TLS_DIR "/admin-port.crt";
    const std::string key = TAVRIN_TLS_DIR "/admin-port.key";
    StartManager({"--admin-tls", cert, key});
    WaitLoggedIn();
    StartRemote("ann", "annpass", {"--tls", "--ca", cert});
    ASSERT_TRUE(RemoteWait("Server Name: TavrinSim")) << Both();
}

// The manager restarts: the remote console reconnects by AutoRecon.
TEST_F(RemoteE2e, AManagerRestartIsFollowedByAutoReconSlow) {
    StartManager();
    WaitLoggedIn();
    StartRemote("ann", "annpass");
    ASSERT_TRUE(RemoteWait("Server Name: TavrinSim")) << Both();
    const int port = m_port;
    m_console->Signal(SIGTERM);
    ASSERT_EQ(m_console->WaitExit(10s), 0) << Transcript();
    const auto lost = RemoteWait("AutoRecon timer started");
    ASSERT_TRUE(lost) << Both();
    m_console.emplace(TAVRIN_CONSOLE_PATH, m_dir.Path(),
                      std::vector<std::string>{"--manager", "--admin-port", std::to_string(port),
                                               "--admin-bind", "127.0.0.1"});
    ASSERT_TRUE(m_console->Started());
    ASSERT_TRUE(Wait("Server Name: TavrinSim", 0, 15s)) << Transcript();
    EXPECT_TRUE(RemoteWait("Connection: Connected", *lost, 60s)) << Both();
}

}  // namespace
}  // namespace tavrin::testing
