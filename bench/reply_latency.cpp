// Reply latency of the console against tavrinrat-sim on loopback: the time
// from a command handed to the session to its reply routed on the main
// thread (the worker thread reads the frame and hands it over, the session
// pairs and routes it, the models take it in), beside two references:
//   - tcp echo: 32 bytes to an echo thread and back, the floor of any round trip;
//   - plain client: the same command to a sim of its own over a blocking
//     socket, read back frame by frame: what the sim itself costs.
// The figures take their rounds in turn, one of each at a time, so that a
// busy machine weighs on all of them alike.
//
//   reply_latency [ROUNDS]   (default 2000 per figure; median and p99 in µs)

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/console.h"
#include "link/qt/session_host.h"
#include "sim/sim_client.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace {

using namespace tavrin;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

double Percentile(std::vector<double> v, double share) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t at =
        std::min(v.size() - 1, static_cast<size_t>(share * static_cast<double>(v.size())));
    return v[at];
}

double Micros(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

// One kind of round trip: a name, one round (false when it failed) and its times.
struct Figure {
    Figure(std::string n, std::function<bool()> o, int ref = -1)
        : name(std::move(n)), once(std::move(o)), reference(ref) {}

    std::string name;
    std::function<bool()> once;
    int reference = -1;  // the figure this one is compared with
    std::vector<double> micros;
    bool failed = false;
};

// Runs the figures' rounds in turn, one of each at a time, so that every
// figure meets the same state of a shared machine; a tenth as many rounds
// before are not measured.
void Measure(std::vector<Figure>& figures, int rounds) {
    for (int i = -rounds / 10; i < rounds; ++i)
        for (auto& f : figures) {
            if (f.failed) continue;
            const auto start = Clock::now();
            f.failed = !f.once();
            if (i >= 0 && !f.failed) f.micros.push_back(Micros(Clock::now() - start));
        }
}

int Listen(int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof a;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, 1) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size) != 0) {
        ::close(fd);
        return -1;
    }
    port = ntohs(a.sin_port);
    return fd;
}

// The floor: 32 bytes over loopback TCP to a thread that sends them back.
class TcpEcho {
  public:
    TcpEcho() {
        int port = 0;
        m_listener = Listen(port);
        if (m_listener < 0) return;
        m_echo = std::thread([this] {
            const int fd = ::accept(m_listener, nullptr, nullptr);
            char buffer[64];
            for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;)
                if (::send(fd, buffer, static_cast<size_t>(n), MSG_NOSIGNAL) != n) break;
            ::close(fd);
        });
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_connected = ::connect(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
        const int one = 1;
        ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    }
    ~TcpEcho() {
        if (m_fd >= 0) ::close(m_fd);
        if (m_echo.joinable()) m_echo.join();
        if (m_listener >= 0) ::close(m_listener);
    }

    bool Once() {
        if (!m_connected) return false;
        char buffer[32] = "get gamestate";
        if (::send(m_fd, buffer, sizeof buffer, MSG_NOSIGNAL) != sizeof buffer) return false;
        size_t got = 0;
        for (ssize_t n; got < sizeof buffer; got += static_cast<size_t>(n))
            if ((n = ::recv(m_fd, buffer + got, sizeof buffer - got, 0)) <= 0) return false;
        return true;
    }

  private:
    int m_listener = -1;
    int m_fd = -1;
    bool m_connected = false;
    std::thread m_echo;
};

// The console of the program, as the window runs it, with a hook on each
// routed reply.
class ConsoleRun final : public ConsoleObserver {
  public:
    explicit ConsoleRun(int port) {
        ::mkdir(m_dir.File("Configs").c_str(), 0700);
        std::ofstream(m_dir.File("Configs/servers.cfg"), std::ios::binary)
            << "*FAV*Sim,127.0.0.1," << port << ",admin,secret\r\n";
        m_console =
            std::make_unique<Console>(m_dir.Path(), m_host, m_dialogs, m_clock, m_host, *this);
        m_host.Attach(m_console->Session());
        m_host.SetListener(*m_console);
        m_console->Initialise();
    }
    ~ConsoleRun() override {
        m_console->Close(false);
        m_host.WaitForWorkersInPlace(1000);
    }

    RatSession& Session() { return m_console->Session(); }

    // Turns the event loop until `done` holds or `limit` has passed.
    bool RunUntil(const std::function<bool()>& done, Clock::duration limit) {
        const auto end = Clock::now() + limit;
        while (!done()) {
            if (Clock::now() > end) return false;
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        }
        return true;
    }

    // Logged in, the commands after the login answered, and no more polls.
    bool Ready() {
        const bool in = RunUntil(
            [&] { return Session().State().m_fRATConnected && !Session().PacerBusy(); }, 20s);
        if (!in) return false;
        Session().OnAutoRefreshToggled(false);
        // Let any poll already on its way come back.
        const auto settle = Clock::now() + 300ms;
        RunUntil([&] { return Clock::now() > settle; }, 1s);
        return true;
    }

    // One command, timed until its reply has been routed.
    bool Once(const std::string& command) {
        m_routed = false;
        Session().SendRatCommand(command);
        return RunUntil([&] { return m_routed; }, 5s);
    }

  private:
    void ReplyRouted(const RouteResult&, const std::string&) override { m_routed = true; }
    void EventLineWritten(const std::string&) override {}
    void ChatTextWritten(const std::string&) override {}
    void LogWriteFailed(const std::string&) override {}
    void Started() override { m_console->Login(); }
    void ClockTicked() override {}
    void AdminAccountChanged(int) override {}
    void AdminPortChanged(bool) override {}

    testing::TempDir m_dir;
    SystemClock m_clock;
    testing::ScriptedDialogs m_dialogs;
    QtSessionHost m_host;
    std::unique_ptr<Console> m_console;
    bool m_routed = false;
};

void Print(const Figure& f, double referenceMedian) {
    if (f.failed || f.micros.empty()) {
        std::printf("%-40s failed\n", f.name.c_str());
        return;
    }
    const double median = Percentile(f.micros, 0.5);
    std::printf("%-40s %6zu %10.1f %10.1f", f.name.c_str(), f.micros.size(), median,
                Percentile(f.micros, 0.99));
    if (referenceMedian > 0) std::printf(" %8.2fx", median / referenceMedian);
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(10, std::atoi(argv[1])) : 2000;
    QCoreApplication app(argc, argv);
    // One sim for the console and one for the plain client: the sim serves
    // one admin at a time.
    const std::vector<std::string> options = {"--control-port", "0",     "--tick-ms", "0",
                                              "--seed",         "7",     "--user",    "admin",
                                              "--password",     "secret"};
    testing::SimProcess consoleSim(TAVRIN_SIM_PATH, options);
    testing::SimProcess plainSim(TAVRIN_SIM_PATH, options);
    if (consoleSim.Port() <= 0 || plainSim.Port() <= 0) {
        std::fprintf(stderr, "the sim did not start\n");
        return 1;
    }
    testing::RatClient plain;
    const auto verdict = plain.Connect(plainSim.Port()) == 0 ? plain.Login("admin", "secret")
                                                             : std::optional<std::string>();
    if (!verdict || verdict->rfind("Welcome", 0) != 0) {
        std::fprintf(stderr, "the plain client did not log in\n");
        return 1;
    }
    ConsoleRun console(consoleSim.Port());
    if (!console.Ready()) {
        std::fprintf(stderr, "the console did not log in\n");
        return 1;
    }
    TcpEcho echo;

    std::vector<Figure> figures;
    figures.push_back({"tcp echo (32 bytes)", [&] { return echo.Once(); }});
    for (const std::string command : {"get gamestate", "player list"}) {
        const int reference = static_cast<int>(figures.size());
        figures.push_back({"plain client: " + command,
                           [&plain, command] { return !plain.Command(command).empty(); }});
        figures.push_back({"console (worker, routed): " + command,
                           [&console, command] { return console.Once(command); }, reference});
    }
    Measure(figures, rounds);

    std::printf("%-40s %6s %10s %10s %9s\n", "round trip", "rounds", "median µs", "p99 µs",
                "x plain");
    for (const auto& f : figures)
        Print(f, f.reference < 0
                     ? 0
                     : Percentile(figures[static_cast<size_t>(f.reference)].micros, 0.5));
    return 0;
}
