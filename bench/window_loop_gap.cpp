// window_loop_gap: how long the desktop console's event loop ever goes
// without turning. The real window (offscreen), its console and worker
// thread run against tavrinrat-sim on loopback through a login, a burst of
// replies with the event log viewer open, and a reset by the sim with its
// 20 s countdown and reconnect. A 5 ms precise timer beats on the main thread
// all the while; the largest interval between two beats is the longest the
// window could not repaint or take a click.
//
//   build/bench/window_loop_gap [--burst N]

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/ui/window_app.h"
#include "common/ui/log_viewer.h"
#include "sim/sim_client.h"
#include "support/qt_loop.h"
#include "support/temp_dir.h"

namespace {

using namespace std::chrono_literals;
using tavrin::testing::RunUntil;
using tavrin::testing::SimProcess;
using tavrin::testing::TempDir;

// The beat: every interval between two timeouts of a 5 ms precise timer.
class Beat {
  public:
    Beat() {
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer,
                         [this] { m_gaps.push_back(m_since.restart()); });
    }
    void Start() {
        m_gaps.clear();
        m_since.start();
        m_timer.start(5);
    }
    std::vector<qint64> Stop() {
        m_timer.stop();
        return m_gaps;
    }

  private:
    QTimer m_timer;
    QElapsedTimer m_since;
    std::vector<qint64> m_gaps;
};

struct Phase {
    explicit Phase(std::string n) : name(std::move(n)) {}
    std::string name;
    bool finished = false;
    std::vector<qint64> gaps;
};

void Print(const Phase& p) {
    std::vector<qint64> g = p.gaps;
    if (g.empty()) {
        std::printf("%-36s no beats\n", p.name.c_str());
        return;
    }
    std::sort(g.begin(), g.end());
    const qint64 p99 = g[std::min(g.size() - 1, g.size() * 99 / 100)];
    std::printf("%-36s %6zu beats  median %3lld ms  p99 %3lld ms  longest %4lld ms%s\n",
                p.name.c_str(), g.size(), static_cast<long long>(g[g.size() / 2]),
                static_cast<long long>(p99), static_cast<long long>(g.back()),
                p.finished ? "" : "  (did not finish)");
}

}  // namespace

int main(int argc, char** argv) {
    int burst = 2000;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--burst" && i + 1 < argc) {
            burst = std::max(1, std::atoi(argv[++i]));
        } else {
            std::fprintf(stderr, "usage: window_loop_gap [--burst N]\n");
            return 64;
        }
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication app(argc, argv);

    SimProcess sim(TAVRIN_SIM_PATH, {"--control-port", "0", "--seed", "7", "--user", "admin",
                                     "--password", "secret"});
    if (sim.Port() <= 0 || sim.ControlPort() <= 0) {
        std::fprintf(stderr, "window_loop_gap: tavrinrat-sim did not start\n");
        return 1;
    }
    TempDir dir;
    std::filesystem::create_directories(dir.File("Configs"));
    std::ofstream(dir.File("Configs/servers.cfg"), std::ios::binary)
        << "*FAV*Sim,127.0.0.1," << sim.Port() << ",admin,secret\r\n";

    tavrin::WindowApp window(dir.Path(), {});
    window.Dialogs().SetScripted(true);
    tavrin::Console& console = window.GetConsole();
    size_t routed = 0;
    QObject::connect(&window.Signals(), &tavrin::ConsoleSignals::replyRouted, &app,
                     [&] { ++routed; });
    bool reconnected = false;
    QObject::connect(&window.Signals(), &tavrin::ConsoleSignals::eventLineWritten, &app,
                     [&](const QString& line) {
                         if (line.endsWith(QStringLiteral("AutoRecon OK"))) reconnected = true;
                     });
    Beat beat;
    std::vector<Phase> phases;
    auto settled = [&] { return !console.Session().PacerBusy(); };

    // Start-up and login: the six first replies.
    beat.Start();
    window.Start();
    Phase login("start-up, login, first replies");
    login.finished = RunUntil([&] { return console.Started(); }, 10s);
    window.Window().findChild<QPushButton*>(QStringLiteral("loginButton"))->click();
    login.finished = login.finished && RunUntil([&] { return routed >= 6 && settled(); }, 20s);
    login.gaps = beat.Stop();
    phases.push_back(login);

    // A burst: replies as fast as the sim gives them, each routed, shown and
    // logged, with the event log viewer open and following. The session
    // pairs at most 64 commands in flight, so the burst keeps 48 out and
    // sends the next as each reply comes (from the event loop, after the
    // reply's own event).
    window.Window().EventLogViewer().Review();
    const char* const kinds[] = {"player list", "chat get", "mission list", "get gamestate"};
    constexpr size_t kInFlight = 48;
    const size_t before = routed;
    size_t sent = 0;
    auto topUp = [&] {
        while (sent < static_cast<size_t>(burst) && sent - (routed - before) < kInFlight)
            console.Session().SendRatCommand(kinds[sent++ % 4]);
    };
    QTimer topUpTimer;
    topUpTimer.setSingleShot(true);
    QObject::connect(&topUpTimer, &QTimer::timeout, &app, topUp);
    const auto topUpOnReply =
        QObject::connect(&window.Signals(), &tavrin::ConsoleSignals::replyRouted, &topUpTimer,
                         qOverload<>(&QTimer::start));
    beat.Start();
    topUp();
    Phase replies("burst of " + std::to_string(burst) + " replies");
    replies.finished = RunUntil([&] { return routed >= before + static_cast<size_t>(burst); }, 60s);
    replies.gaps = beat.Stop();
    QObject::disconnect(topUpOnReply);
    phases.push_back(replies);
    if (!replies.finished)
        std::fprintf(stderr, "window_loop_gap: %zu of %d replies routed\n", routed - before, burst);

    // A reset by the sim: the countdown, the reconnect and its first replies.
    const size_t beforeReset = routed;
    beat.Start();
    sim.Control("reset");
    Phase reset("reset, countdown, reconnect");
    reset.finished =
        RunUntil([&] { return reconnected && routed >= beforeReset + 6 && settled(); }, 60s);
    reset.gaps = beat.Stop();
    phases.push_back(reset);

    // Closing: logout and the wait for the worker.
    beat.Start();
    window.Window().CloseConsole(false);
    Phase closing("close and logout");
    closing.finished = RunUntil([&] { return window.Finished(); }, 5s);
    closing.gaps = beat.Stop();
    phases.push_back(closing);

    std::printf("Event loop of the desktop console against tavrinrat-sim (5 ms beat):\n");
    qint64 longest = 0;
    for (const Phase& p : phases) {
        Print(p);
        for (qint64 g : p.gaps) longest = std::max(longest, g);
    }
    std::printf("longest gap of the event loop: %lld ms\n", static_cast<long long>(longest));
    for (const Phase& p : phases)
        if (!p.finished) return 1;
    return 0;
}
