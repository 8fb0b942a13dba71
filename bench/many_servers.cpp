// many_servers: the console with several game servers open in one process,
// each a tavrinrat-sim on loopback with its own session worker, Auto Refresh
// polling and ChatBot. For each count of servers it measures
//   - the resident memory each server past the first adds, once all are
//     logged in and settled;
//   - the process CPU time each server costs over a quiet interval;
//   - the longest the main thread's event loop goes without turning (a 5 ms
//     precise timer beating on it) while one server floods the console with
//     unasked replies and another is reset by its sim, through the reset's
//     countdown and reconnect;
//   - the reply latency of the other servers while one floods, beside the
//     same with no flood.
// Counts go up in one process: the servers of a smaller count stay open when
// the next count opens more.
//
// The servers are opened through a factory, so the same measures run over
// either front-end that holds console runtimes: the headless one
// (ConsoleRuntime objects side by side, as `tavrinrat --headless --server A
// --server B` runs them) and the window (one WindowApp, offscreen, its panes
// and pages painted as on a screen, each server past the first opened beside
// the others as Server Details' Open does).
//
//   many_servers [--mode headless|window|both] [--servers 1,5,20] [--seconds S]

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/console.h"
#include "app/qt/console_options.h"
#include "app/qt/console_runtime.h"
#include "link/qt/session_host.h"
#include "sim/sim_client.h"
#include "support/qt_loop.h"
#include "support/temp_dir.h"

#if defined(TAVRIN_BENCH_WINDOW)
#include <QApplication>

#include "app/ui/console_signals.h"
#include "app/ui/window_app.h"
#endif

namespace {

using namespace std::chrono_literals;
using tavrin::testing::RunUntil;
using tavrin::testing::SimProcess;
using tavrin::testing::TempDir;
using Clock = std::chrono::steady_clock;

// A command no poll sends: its reply is the probe's and nobody else's.
const std::string kProbe = "weapon list";

// One open server as the measures see it, whatever front-end holds it: its
// console, and what its observer has counted.
class BenchServer {
  public:
    virtual ~BenchServer() = default;
    virtual tavrin::Console& GetConsole() = 0;
    virtual tavrin::QtSessionHost& Host() = 0;

    size_t Routed() const { return m_routed; }
    size_t ProbesAnswered() const { return m_probes; }
    // When the last probe's reply was routed.
    Clock::time_point LastProbeAnswered() const { return m_probeAt; }
    size_t Reconnects() const { return m_reconnects; }
    bool Settled() {
        tavrin::RatSession& s = GetConsole().Session();
        return s.State().m_fRATConnected && !s.PacerBusy();
    }

  protected:
    // What the front-end hears from the console, passed on here: a reply
    // routed, and whether it answers the probe.
    void CountReply(bool probe) {
        ++m_routed;
        if (probe) {
            ++m_probes;
            m_probeAt = Clock::now();
        }
    }
    void CountLogLine(const std::string& line) {
        if (line.find("AutoRecon OK") != std::string::npos) ++m_reconnects;
    }

  private:
    size_t m_routed = 0;
    size_t m_probes = 0;
    Clock::time_point m_probeAt;
    size_t m_reconnects = 0;
};

// Opens the server of this record, logs in and starts polling.
using ServerFactory =
    std::function<std::unique_ptr<BenchServer>(const std::string& dir, const tavrin::OpenServer&)>;

// Message boxes take their default answer, as without a window.
class DefaultDialogs final : public tavrin::UserDialogs {
  public:
    void ShowMessage(const std::string&) override {}
    bool AskYesNo(const std::string&, tavrin::DefaultAnswer answer) override {
        return answer == tavrin::DefaultAnswer::Yes;
    }
    std::optional<std::string> AskOpenFileName(const tavrin::FileQuestion&) override { return {}; }
    std::optional<std::string> AskSaveFileName(const tavrin::FileQuestion&) override { return {}; }
};

// The headless front-end's way: one ConsoleRuntime per server, the ChatBot on
// at start-up and the login once start-up has run. Nothing is printed.
class HeadlessServer final : public BenchServer, public tavrin::ConsoleObserver {
  public:
    HeadlessServer(const std::string& dir, const tavrin::ConsoleOptions& options,
                   const tavrin::OpenServer& server)
        : m_runtime(dir, options, m_dialogs, *this, server) {
        m_runtime.Initialise();
    }
    tavrin::Console& GetConsole() override { return m_runtime.GetConsole(); }
    tavrin::QtSessionHost& Host() override { return m_runtime.Host(); }

  private:
    void Started() override { m_runtime.GetConsole().Login(); }
    void ClockTicked() override {}
    void ReplyRouted(const tavrin::RouteResult& result, const std::string&) override {
        CountReply(result.command == kProbe);
    }
    void EventLineWritten(const std::string& line) override { CountLogLine(line); }
    void ChatTextWritten(const std::string&) override {}
    void LogWriteFailed(const std::string&) override {}
    void AdminAccountChanged(int) override {}
    void AdminPortChanged(bool) override {}

    DefaultDialogs m_dialogs;
    tavrin::ConsoleRuntime m_runtime;
};

ServerFactory HeadlessFactory() {
    tavrin::ConsoleOptions options;
    options.frontEnd = tavrin::FrontEnd::Headless;
    options.chatbot = true;
    options.login = true;
    return [options](const std::string& dir, const tavrin::OpenServer& server) {
        return std::make_unique<HeadlessServer>(dir, options, server);
    };
}

#if defined(TAVRIN_BENCH_WINDOW)
// The window that holds every server of a run; made with the first.
struct WindowHold {
    std::unique_ptr<tavrin::WindowApp> app;
};

// Server `index` of the window, counted from its pane's signals: the probe's
// reply is the only weapon list nobody else asks for.
class WindowServer final : public BenchServer {
  public:
    WindowServer(std::shared_ptr<WindowHold> hold, int index)
        : m_hold(std::move(hold)), m_index(index) {
        tavrin::ConsoleSignals& s = m_hold->app->Signals(index);
        m_connections.push_back(QObject::connect(&s, &tavrin::ConsoleSignals::replyRouted, &s,
                                                 [this](tavrin::ReplyKind kind, int) {
                                                     CountReply(kind == tavrin::ReplyKind::Weapons);
                                                 }));
        m_connections.push_back(
            QObject::connect(&s, &tavrin::ConsoleSignals::eventLineWritten, &s,
                             [this](const QString& line) { CountLogLine(line.toStdString()); }));
    }
    ~WindowServer() override {
        for (const QMetaObject::Connection& c : m_connections) QObject::disconnect(c);
    }
    tavrin::Console& GetConsole() override { return m_hold->app->GetConsole(m_index); }
    tavrin::QtSessionHost& Host() override { return m_hold->app->Host(m_index); }

  private:
    std::shared_ptr<WindowHold> m_hold;
    int m_index;
    std::vector<QMetaObject::Connection> m_connections;
};

// The window's way: the first server opens with the window, the ChatBot on at
// start-up and the login once start-up has run; each later one is opened by
// its record's name. Questions are answered by script, never by a modal box.
ServerFactory WindowFactory() {
    tavrin::ConsoleOptions options;
    options.frontEnd = tavrin::FrontEnd::Window;
    options.chatbot = true;
    options.login = true;
    auto hold = std::make_shared<WindowHold>();
    return [options, hold](const std::string& dir,
                           const tavrin::OpenServer& server) -> std::unique_ptr<BenchServer> {
        if (!hold->app) {
            hold->app = std::make_unique<tavrin::WindowApp>(
                dir, options, std::vector<tavrin::OpenServer>{server});
            hold->app->SetDialogsScripted(true);
            hold->app->Start();
        } else if (!hold->app->OpenServerRecord(server.name)) {
            return nullptr;
        }
        return std::make_unique<WindowServer>(hold, hold->app->ServerCount() - 1);
    };
}
#endif

double ThreadCpuMs() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// The beat: every interval between two timeouts of a 5 ms precise timer on
// the main thread. Beside the longest interval, the most CPU time the main
// thread spent within one: a long interval the thread spent working is the
// console's; one it spent waiting for a CPU is the machine's.
class Beat {
  public:
    Beat() {
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
            m_longest = std::max(m_longest, m_since.restart());
            const double cpu = ThreadCpuMs();
            m_busiest = std::max(m_busiest, cpu - m_cpu);
            m_cpu = cpu;
        });
    }
    void Start() {
        m_longest = 0;
        m_busiest = 0;
        m_since.start();
        m_cpu = ThreadCpuMs();
        m_timer.start(5);
    }
    qint64 Stop() {
        m_timer.stop();
        return std::max(m_longest, m_since.elapsed());
    }
    double Busiest() const { return m_busiest; }

  private:
    QTimer m_timer;
    QElapsedTimer m_since;
    qint64 m_longest = 0;
    double m_cpu = 0;
    double m_busiest = 0;
};

double ResidentMiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
    return 0;
}

double ProcessCpuSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// Turns the event loop for `d`.
void RunFor(Clock::duration d) {
    const auto end = Clock::now() + d;
    RunUntil([end] { return Clock::now() >= end; },
             std::chrono::duration_cast<std::chrono::milliseconds>(d) + 1s, 5);
}

double Percentile(std::vector<double> v, double share) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(share * static_cast<double>(v.size())))];
}

struct Latency {
    double median = 0;
    double p99 = 0;
    size_t probes = 0;
    size_t lost = 0;
};

// Probes the servers in turn, one command at a time, each timed from the
// send to its reply routed on the main thread, for `d`.
Latency Probe(const std::vector<BenchServer*>& servers, Clock::duration d) {
    Latency out;
    if (servers.empty()) return out;
    std::vector<double> micros;
    const auto end = Clock::now() + d;
    for (size_t i = 0; Clock::now() < end; ++i) {
        BenchServer& s = *servers[i % servers.size()];
        const size_t before = s.ProbesAnswered();
        const auto start = Clock::now();
        s.GetConsole().Session().SendRatCommand(kProbe);
        if (!RunUntil([&] { return s.ProbesAnswered() > before; }, 5s, 1)) {
            ++out.lost;
            continue;
        }
        micros.push_back(
            std::chrono::duration<double, std::micro>(s.LastProbeAnswered() - start).count());
    }
    out.median = Percentile(micros, 0.5);
    out.p99 = Percentile(micros, 0.99);
    out.probes = micros.size();
    return out;
}

struct Row {
    size_t servers = 0;
    double rss = 0;
    std::optional<double> rssPerExtra;
    double idleCpuPercent = 0;
    qint64 quietGap = 0;
    std::optional<qint64> longestGap;
    double busiestBeat = 0;
    std::optional<Latency> quiet;
    std::optional<Latency> flooded;
    size_t floodFrames = 0;
    bool ok = true;
};

struct Settings {
    std::vector<size_t> counts{1, 5, 20};
    int seconds = 5;
    bool headless = true;
    bool window = false;
};

// The program folder, the sims and the open servers, grown count by count.
class Load {
  public:
    explicit Load(ServerFactory open) : m_open(std::move(open)) {
        std::filesystem::create_directories(m_dir.File("Configs"));
    }
    ~Load() {
        for (auto& s : m_servers) s->GetConsole().Close(false);
        std::vector<tavrin::QtSessionHost*> hosts;
        for (auto& s : m_servers) hosts.push_back(&s->Host());
        tavrin::QtSessionHost::WaitForWorkersInPlace(hosts, 2000);
        // The front-end goes while its program folder is still there.
        m_servers.clear();
        m_open = nullptr;
    }

    // Sims and servers up to `n`, every one logged in and its first replies
    // handled.
    bool GrowTo(size_t n) {
        while (m_sims.size() < n) {
            const std::string seed = std::to_string(m_sims.size() + 1);
            m_sims.push_back(std::make_unique<SimProcess>(
                TAVRIN_SIM_PATH,
                std::vector<std::string>{"--control-port", "0", "--seed", seed, "--user", "admin",
                                         "--password", "secret"}));
            if (m_sims.back()->Port() <= 0 || m_sims.back()->ControlPort() <= 0) {
                std::fprintf(stderr, "many_servers: tavrinrat-sim did not start\n");
                return false;
            }
        }
        std::string servers;
        for (size_t i = 0; i < n; ++i)
            servers += "S" + std::to_string(i + 1) + ",127.0.0.1," +
                       std::to_string(m_sims[i]->Port()) + ",admin,secret\r\n";
        std::ofstream(m_dir.File("Configs/servers.cfg"), std::ios::binary) << servers;
        while (m_servers.size() < n) {
            const std::string name = "S" + std::to_string(m_servers.size() + 1);
            tavrin::OpenServer server{name, m_dir.Path() + "Servers/" + name + "/"};
            std::unique_ptr<BenchServer> opened = m_open(m_dir.Path(), server);
            if (!opened) {
                std::fprintf(stderr, "many_servers: server %s did not open\n", name.c_str());
                return false;
            }
            m_servers.push_back(std::move(opened));
        }
        const bool in = RunUntil(
            [&] {
                return std::all_of(m_servers.begin(), m_servers.end(),
                                   [](const auto& s) { return s->Settled() && s->Routed() >= 6; });
            },
            60s);
        if (!in) std::fprintf(stderr, "many_servers: not every server logged in\n");
        return in;
    }

    BenchServer& Server(size_t i) { return *m_servers[i]; }
    SimProcess& Sim(size_t i) { return *m_sims[i]; }
    size_t Size() const { return m_servers.size(); }

  private:
    ServerFactory m_open;
    TempDir m_dir;
    std::vector<std::unique_ptr<SimProcess>> m_sims;
    std::vector<std::unique_ptr<BenchServer>> m_servers;
};

// The measures for every count, over the servers `open` makes.
std::vector<Row> Measure(const ServerFactory& open, const Settings& settings) {
    std::vector<Row> rows;
    Load load(open);
    std::optional<double> rssOfOne;
    const auto quiet = std::chrono::seconds(settings.seconds);
    for (const size_t n : settings.counts) {
        Row row;
        row.servers = n;
        if (!load.GrowTo(n)) {
            row.ok = false;
            rows.push_back(row);
            break;
        }
        // Settled: a poll round of every server (5 s) and its ChatBot's scans.
        RunFor(6s);
        row.rss = ResidentMiB();
        if (n == 1) rssOfOne = row.rss;
        if (n > 1 && rssOfOne) row.rssPerExtra = (row.rss - *rssOfOne) / static_cast<double>(n - 1);

        const double cpuBefore = ProcessCpuSeconds();
        const auto from = Clock::now();
        RunFor(quiet);
        const double wall = std::chrono::duration<double>(Clock::now() - from).count();
        row.idleCpuPercent =
            100.0 * (ProcessCpuSeconds() - cpuBefore) / static_cast<double>(n) / wall;

        // Server 1 floods, server 2 is reset; the others are probed.
        std::vector<BenchServer*> others;
        for (size_t i = 2; i < n; ++i) others.push_back(&load.Server(i));
        // The same beat with no flood and no reset: what the machine itself
        // allows the loop, beside the figure under load.
        Beat beat;
        beat.Start();
        if (others.empty())
            RunFor(quiet);
        else
            row.quiet = Probe(others, quiet);
        row.quietGap = beat.Stop();

        beat.Start();
        const size_t simLines = load.Sim(0).Lines().size();
        // Frames as large as a frame carries, as fast as the socket takes them.
        load.Sim(0).Control("bigreply 65526");
        load.Sim(0).Control("flood on");
        const size_t reconnects = n > 1 ? load.Server(1).Reconnects() : 0;
        if (n > 1) load.Sim(1).Control("reset");
        if (!others.empty()) row.flooded = Probe(others, quiet);
        // Through the countdown and the reconnect of the reset server.
        if (n > 1)
            row.ok = RunUntil(
                [&] {
                    return load.Server(1).Reconnects() > reconnects && load.Server(1).Settled();
                },
                60s);
        else
            RunFor(quiet);
        row.longestGap = beat.Stop();
        row.busiestBeat = beat.Busiest();
        load.Sim(0).Control("flood off");
        load.Sim(0).Control("bigreply 0");
        std::optional<size_t> sent;
        RunUntil(
            [&] { return (sent = load.Sim(0).FindLine("frames sent", simLines, 0s)).has_value(); },
            5s);
        if (sent) {
            const std::string line = load.Sim(0).Line(*sent);
            row.floodFrames = std::strtoul(line.c_str() + line.find("flood: ") + 7, nullptr, 10);
        }
        row.ok = sent && row.ok;
        // The flood's last frames in flight, then polling again.
        RunFor(2s);
        rows.push_back(row);
    }
    return rows;
}

std::string Fixed(std::optional<double> v, int decimals) {
    if (!v) return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, *v);
    return text;
}

void PrintTable(const char* console, const std::vector<Row>& rows, const Settings& settings) {
    std::printf("%s, N servers on tavrinrat-sim (Auto Refresh, ChatBot on), quiet interval %d s:\n",
                console, settings.seconds);
    std::printf("%7s %8s %9s %9s %8s %13s %6s %16s %16s %8s\n", "servers", "RSS MiB", "MiB/extra",
                "idle CPU%", "flood", "longest gap", "busy", "latency quiet", "latency flood",
                "Δmedian");
    std::printf("%7s %8s %9s %9s %8s %13s %6s %16s %16s %8s\n", "", "", "", "/server", "frames",
                "quiet/flood", "ms", "med/p99 µs", "med/p99 µs", "µs");
    for (const Row& r : rows) {
        const auto pair = [](const std::optional<Latency>& l) {
            return l ? Fixed(l->median, 0) + " / " + Fixed(l->p99, 0) : std::string("-");
        };
        std::optional<double> delta;
        if (r.quiet && r.flooded) delta = r.flooded->median - r.quiet->median;
        const std::string gaps = std::to_string(r.quietGap) + " / " +
                                 (r.longestGap ? std::to_string(*r.longestGap) : std::string("-")) +
                                 " ms";
        std::printf("%7zu %8.1f %9s %9.2f %8zu %13s %6.1f %16s %16s %8s %s\n", r.servers, r.rss,
                    Fixed(r.rssPerExtra, 2).c_str(), r.idleCpuPercent, r.floodFrames, gaps.c_str(),
                    r.busiestBeat, pair(r.quiet).c_str(), pair(r.flooded).c_str(),
                    Fixed(delta, 0).c_str(), r.ok ? "" : "(did not finish)");
    }
    std::printf(
        "flood: server 1 streams unasked 64 KiB replies while server 2 is reset and reconnects; "
        "busy: the main thread's most CPU time between two beats under flood; latency: servers "
        "3..N, one \"%s\" at a time; quiet: neither\n",
        kProbe.c_str());
}

bool ParseCounts(const std::string& text, std::vector<size_t>& counts) {
    counts.clear();
    std::stringstream in(text);
    for (std::string part; std::getline(in, part, ',');) {
        const long n = std::atol(part.c_str());
        if (n < 1 || n > 200) return false;
        counts.push_back(static_cast<size_t>(n));
    }
    std::sort(counts.begin(), counts.end());
    counts.erase(std::unique(counts.begin(), counts.end()), counts.end());
    return !counts.empty();
}

}  // namespace

int main(int argc, char** argv) {
    Settings settings;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--servers" && i + 1 < argc && ParseCounts(argv[i + 1], settings.counts)) {
            ++i;
        } else if (a == "--seconds" && i + 1 < argc && std::atoi(argv[i + 1]) > 0) {
            settings.seconds = std::atoi(argv[++i]);
        } else if (a == "--mode" && i + 1 < argc &&
                   (argv[i + 1] == std::string("headless") ||
                    argv[i + 1] == std::string("window") || argv[i + 1] == std::string("both"))) {
            const std::string mode = argv[++i];
            settings.headless = mode != "window";
            settings.window = mode != "headless";
        } else {
            std::fprintf(stderr,
                         "usage: many_servers [--mode headless|window|both] [--servers 1,5,20] "
                         "[--seconds S]\n");
            return 64;
        }
    }
    const auto finished = [&settings](const std::vector<Row>& rows) {
        return std::all_of(rows.begin(), rows.end(), [](const Row& r) { return r.ok; }) &&
               rows.size() == settings.counts.size();
    };
    if (!settings.window) {
        QCoreApplication app(argc, argv);
        const std::vector<Row> rows = Measure(HeadlessFactory(), settings);
        PrintTable("Headless console", rows, settings);
        return finished(rows) ? 0 : 1;
    }
#if defined(TAVRIN_BENCH_WINDOW)
    // The window paints as on a screen, with no display needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    bool ok = true;
    if (settings.headless) {
        const std::vector<Row> rows = Measure(HeadlessFactory(), settings);
        PrintTable("Headless console", rows, settings);
        ok = finished(rows) && ok;
        std::printf("\n");
    }
    const std::vector<Row> rows = Measure(WindowFactory(), settings);
    PrintTable("Window console (offscreen)", rows, settings);
    ok = finished(rows) && ok;
    return ok ? 0 : 1;
#else
    std::fprintf(stderr, "many_servers: built without Qt Widgets, no window to measure\n");
    return 64;
#endif
}
