// The console as a system service, end to end: the real
// `tavrinrat --headless --manager` against the real tavrinrat-sim, with what
// a service manager gives it (a notification socket, the journal) and does
// to it (SIGHUP, SIGTERM).

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>

#include "e2e/console_e2e_fixture.h"
#include "support/admin_peer.h"

namespace tavrin::testing {
namespace {

const std::string kAccounts =
    "Name=Ann\nUser=ann\nPass=annpass\nRights=3FFF\nGuid=none\n"
    "Name=Bob\nUser=bob\nPass=bobpass\nRights=0100\nGuid=none\n[END]";

// A variable of this process, and so of the programs it starts, for one test.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name) {
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() { ::unsetenv(m_name); }

  private:
    const char* m_name;
};

// The service manager's end of NOTIFY_SOCKET: a datagram socket this test binds.
class NotifySocket {
  public:
    explicit NotifySocket(const std::string& path) : m_path(path) {
        m_fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        m_bound = ::bind(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }
    ~NotifySocket() { ::close(m_fd); }
    bool Bound() const { return m_bound; }

    // The next message that holds `part`, the others before it kept in
    // Seen(); empty when none came within `timeout`.
    std::string WaitFor(const std::string& part, std::chrono::milliseconds timeout = 10s) {
        const auto until = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                until - std::chrono::steady_clock::now());
            pollfd p{m_fd, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) return {};
            char buf[4096];
            const ssize_t n = ::recv(m_fd, buf, sizeof buf, 0);
            if (n <= 0) continue;
            std::string message(buf, static_cast<size_t>(n));
            m_seen.push_back(message);
            if (message.find(part) != std::string::npos) return message;
        }
    }
    const std::vector<std::string>& Seen() const { return m_seen; }

  private:
    std::string m_path;
    int m_fd = -1;
    bool m_bound = false;
    std::vector<std::string> m_seen;
};

class ServiceE2e : public ConsoleE2e {
  protected:
    void StartManager(std::vector<std::string> extra = {}) {
        StartSim();
        ::mkdir(m_dir.File("Configs").c_str(), 0700);
        WriteFile(m_dir.File("Configs/radmins.cfg"), kAccounts);
        std::vector<std::string> args = {"--manager", "--admin-port", "0", "--admin-bind",
                                         "127.0.0.1"};
        args.insert(args.end(), extra.begin(), extra.end());
        StartConsole(args);
        const auto open = m_console->WaitForPart("Admin Port open on 127.0.0.1 port ");
        ASSERT_TRUE(open) << Transcript();
        const std::string line = m_console->Line(*open);
        const std::string mark = "127.0.0.1 port ";
        m_port = std::stoi(line.substr(line.find(mark) + mark.size()));
    }
    int m_port = 0;
};

// Ready once the configuration is read and the Admin Port listens, the
// status with the connection and the admins, the watchdog's beat from the
// event loop, and stopping at SIGTERM.
TEST_F(ServiceE2e, TellsTheServiceManagerReadinessStatusWatchdogAndStopping) {
    TempDir sockets;
    const std::string path = sockets.File("notify");
    NotifySocket notify(path);
    ASSERT_TRUE(notify.Bound());
    const ScopedEnv socket("NOTIFY_SOCKET", path);
    const ScopedEnv watchdog("WATCHDOG_USEC", "400000");
    StartManager();
    const std::string ready = notify.WaitFor("READY=1");
#ifdef TAVRIN_HAVE_SYSTEMD
    ASSERT_FALSE(ready.empty()) << Transcript();
    WaitLoggedIn();
    EXPECT_FALSE(notify.WaitFor("STATUS=Connection: Connected, Admins: 0 / 2").empty());
    AdminPeer ann;
    ASSERT_EQ(ann.Connect(m_port), 0);
    EXPECT_EQ(ann.Login("ann", "annpass").back(), "LOGGED_IN");
    EXPECT_FALSE(notify.WaitFor("STATUS=Connection: Connected, Admins: 1 / 2").empty());
    EXPECT_FALSE(notify.WaitFor("WATCHDOG=1").empty());
    m_console->Signal(SIGTERM);
    EXPECT_FALSE(notify.WaitFor("STOPPING=1").empty());
    EXPECT_EQ(m_console->WaitExit(10s), 0) << Transcript();
#else
    GTEST_SKIP() << "built without libsystemd";
#endif
}

// SIGHUP reads the accounts again: the game link and ann stay; bob, whose
// account is gone, is disconnected with a log line; a new account logs in
// at once.
TEST_F(ServiceE2e, SighupReadsTheAccountsAgainWithoutDroppingTheLink) {
    StartManager();
    WaitLoggedIn();
    AdminPeer ann, bob, cid;
    ASSERT_EQ(ann.Connect(m_port), 0);
    ASSERT_EQ(ann.Login("ann", "annpass").back(), "LOGGED_IN");
    ASSERT_EQ(bob.Connect(m_port), 0);
    ASSERT_EQ(bob.Login("bob", "bobpass").back(), "LOGGED_IN");

    WriteFile(m_dir.File("Configs/radmins.cfg"),
              "Name=Ann\nUser=ann\nPass=annpass\nRights=3FFF\nGuid=none\n"
              "Name=Cid\nUser=cid\nPass=cidpass\nRights=0000\nGuid=none\n[END]");
    m_console->Signal(SIGHUP);
    EXPECT_TRUE(
        m_console->WaitForPart("Admin disconnected: \"bob\" from 127.0.0.1: the account "
                               "was removed from radmins.cfg"))
        << Transcript();
    EXPECT_TRUE(bob.ClosesWithoutFrame());
    ASSERT_EQ(cid.Connect(m_port), 0);
    EXPECT_EQ(cid.Login("cid", "cidpass"),
              (std::vector<std::string>{"User:OK", "0000", "LOGGED_IN"}));
    ann.Send("player list");
    EXPECT_EQ(ann.Next().rfind("NAME\t#\tTEAM", 0), 0u);

    // A file that does not read keeps the table.
    WriteFile(m_dir.File("Configs/radmins.cfg"), "Name=Ann\n");
    m_console->Signal(SIGHUP);
    EXPECT_TRUE(m_console->WaitForPart("radmins.cfg not read again")) << Transcript();
    ann.Send("player list");
    EXPECT_EQ(ann.Next().rfind("NAME\t#\tTEAM", 0), 0u);
    // One login to the game server all along.
    const std::vector<std::string> lines = m_console->Lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Connection: Connected"), 1) << Transcript();
}

// In the journal: priorities, no stamps, no clock; old day folders go at
// start and nothing else does.
TEST_F(ServiceE2e, JournalLinesAndOldDayFoldersAtStart) {
    std::filesystem::create_directories(m_dir.File("01-01-20"));
    std::filesystem::create_directories(m_dir.File("01-01-2020"));
    const ScopedEnv journal("JOURNAL_STREAM", "8:1234");
    StartSim();
    StartConsole({"--keep-days", "30"});
    ASSERT_TRUE(m_console->WaitFor("<6>Connection: Connected")) << Transcript();
    ASSERT_TRUE(m_console->WaitFor("<6>Logged In")) << Transcript();
    EXPECT_TRUE(m_console->WaitFor("<6>Old day folder 01-01-20 removed (logs kept 30 days)"))
        << Transcript();
    EXPECT_FALSE(std::filesystem::exists(m_dir.File("01-01-20")));
    EXPECT_TRUE(std::filesystem::exists(m_dir.File("01-01-2020")));
    ASSERT_TRUE(m_console->WaitFor("<6>Server Name: TavrinSim")) << Transcript();
    for (const std::string& line : m_console->Lines()) {
        EXPECT_TRUE(line.rfind("<3>", 0) == 0 || line.rfind("<4>", 0) == 0 ||
                    line.rfind("<6>", 0) == 0)
            << line;
        EXPECT_NE(line.substr(0, 4), "<6>[") << line;
        EXPECT_EQ(line.find("Clock: "), std::string::npos) << line;
        EXPECT_EQ(line.find("Rat Command: "), std::string::npos) << line;
    }
}

// --check-config: each problem with its file and line; only an error, not a
// line the console passes over, fails the check that a service runs first.
TEST(CheckConfigE2e, ReportsProblemsAndFailsOnErrorsOnly) {
    TempDir dir;
    std::filesystem::create_directories(dir.File("Configs"));
    WriteFile(dir.File("Configs/servers.cfg"), "alpha,h,40000,u,p\r\nbroken\r\n");
    WriteFile(dir.File("Configs/window.cfg"), "tab=9\r\n");
    const std::string skipped =
        "Configs/servers.cfg:2: warning: not a server record "
        "(NAME,ADDRESS,PORT,USERNAME,PASSWORD): skipped";
    const std::string window = "Configs/window.cfg:1: warning: value \"9\" out of range for tab";
    {
        ChildProcess check(
            {TAVRIN_CONSOLE_PATH, "--check-config", "--dir", dir.Path(), "--server", "alpha"},
            SIGKILL, "check-out");
        EXPECT_EQ(check.WaitExit(), 0);
        EXPECT_EQ(check.Lines(), (std::vector<std::string>{skipped, window}));
    }
    {
        ChildProcess check(
            {TAVRIN_CONSOLE_PATH, "--check-config", "--dir", dir.Path(), "--server", "beta"},
            SIGKILL, "check-out");
        EXPECT_EQ(check.WaitExit(), 1);
        EXPECT_EQ(check.Lines(),
                  (std::vector<std::string>{skipped,
                                            "Configs/servers.cfg: error: no server record named "
                                            "\"beta\": the console refuses to start",
                                            window}));
    }
    WriteFile(dir.File("Configs/servers.cfg"), "alpha,h,40000,u,p\r\n");
    std::filesystem::remove(dir.File("Configs/window.cfg"));
    ChildProcess check({TAVRIN_CONSOLE_PATH, "--check-config", "--dir", dir.Path()}, SIGKILL,
                       "check-out");
    EXPECT_EQ(check.WaitExit(), 0);
    EXPECT_TRUE(check.Lines().empty());
}

}  // namespace
}  // namespace tavrin::testing
