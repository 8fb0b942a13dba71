// history: the player and sanction history under load, on SQLite and on a
// PostgreSQL server this program starts for itself (as the history tests
// do), both in one run.
//
// Recording. The console core takes player-list replies of 64 players as
// the main thread does (the session routes each reply, the Players list
// parses it, the history recorder hands its sessions and count to the
// writer), with 1,000 sanctions recorded among them by the call the console
// makes for its admin's commands, as fast as the thread can take them (so
// the writer's batches are far larger than a live server's). Measured on the
// thread that handles the replies: its CPU time per reply, beside the same
// replies with no history kept; the writer's rows per second, from the time
// its batches took on its own thread; the database's size.
//
// Look-up. The sessions table is then filled in bulk (multi-row inserts in
// one transaction) to the asked number of sessions, and one player's record
// is looked up as `tavrinrat --history NAME` does (HistoryStore::Sessions
// and ::Sanctions), for many names in turn.
//
//   history [--replies N] [--sessions N] [--driver sqlite|postgresql|both]

#include <time.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/console.h"
#include "history/history_recorder.h"
#include "history/qt/history_store.h"
#include "history/qt/history_writer.h"
#include "support/fakes.h"
#include "support/postgres_server.h"
#include "support/quiet_console_observer.h"
#include "support/temp_dir.h"
#include "support/virtual_host.h"

namespace {

using namespace tavrin;
using SteadyClock = std::chrono::steady_clock;

constexpr int kPlayersPerList = 64;
constexpr int kSanctions = 1000;
constexpr int kBaselineReplies = 1000;
// The seeded sessions: this many per name, spread over this many servers.
constexpr int kSessionsPerName = 10;
constexpr int kSeedServers = 8;
constexpr int kSeedRowsPerInsert = 500;
constexpr int kLookups = 200;

struct Options {
    int replies = 10000;
    int sessions = 1000000;
    bool sqlite = true;
    bool postgresql = true;
};

int64_t ThreadCpuNs() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return int64_t{t.tv_sec} * 1'000'000'000 + t.tv_nsec;
}

int64_t NsSince(SteadyClock::time_point start) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(SteadyClock::now() - start).count();
}

struct Spread {
    double mean = 0, p50 = 0, p99 = 0, max = 0;  // milliseconds
};

Spread SpreadOf(std::vector<int64_t> ns) {
    Spread s;
    if (ns.empty()) return s;
    std::sort(ns.begin(), ns.end());
    double sum = 0;
    for (int64_t v : ns) sum += static_cast<double>(v);
    const auto at = [&ns](double q) {
        return static_cast<double>(ns[std::min(
                   ns.size() - 1, static_cast<size_t>(q * static_cast<double>(ns.size())))]) /
               1e6;
    };
    s.mean = sum / static_cast<double>(ns.size()) / 1e6;
    s.p50 = at(0.50);
    s.p99 = at(0.99);
    s.max = static_cast<double>(ns.back()) / 1e6;
    return s;
}

void PrintSpread(const char* what, const Spread& s) {
    std::printf("  %-44s mean %.4f  p50 %.4f  p99 %.4f  max %.4f ms\n", what, s.mean, s.p50, s.p99,
                s.max);
}

// The players of a busy server: 64 in the game at a time, one leaving and a
// newcomer joining every few lists, scores and pings moving every list.
class GameRoster {
  public:
    GameRoster() {
        for (int i = 0; i < kPlayersPerList; ++i) m_players.push_back(NewPlayer());
    }

    // The next "player list" reply.
    std::string NextReply() {
        ++m_list;
        if (m_list % 4 == 0) {
            m_players.erase(m_players.begin() +
                            static_cast<std::ptrdiff_t>(m_random() % m_players.size()));
            m_players.push_back(NewPlayer());
        }
        std::string reply = "NAME\t#\tTEAM\tClass\tKills\tDeaths\tPING\nHost\t0\t1\t8\t0\t0\t0\n";
        for (Player& p : m_players) {
            p.kills += static_cast<int>(m_random() % 3);
            p.deaths += static_cast<int>(m_random() % 2);
            const int ping = 30 + static_cast<int>(m_random() % 170);
            reply += p.name + "\t" + std::to_string(p.id) + "\t" + std::to_string(1 + p.id % 2) +
                     "\t" + std::to_string(5 + p.id % 5) + "\t" + std::to_string(p.kills) + "\t" +
                     std::to_string(p.deaths) + "\t" + std::to_string(ping) + "\n";
        }
        return reply;
    }

    // A player of the last list, for a sanction: id and name.
    std::pair<std::string, std::string> Someone() {
        const Player& p = m_players[m_random() % m_players.size()];
        return {std::to_string(p.id), p.name};
    }

  private:
    struct Player {
        std::string name;
        int id = 0;
        int kills = 0;
        int deaths = 0;
    };
    Player NewPlayer() {
        ++m_joined;
        // Names come back: a regular plays many sessions.
        return {"Soldier_" + std::to_string(m_random() % 5000), m_joined % 250 + 1, 0, 0};
    }

    std::mt19937 m_random{7};
    std::vector<Player> m_players;
    int m_list = 0;
    int m_joined = 0;
};

// The console core logged in to a server in virtual time, as the tests
// drive it; replies are handed to its session as the worker hands them.
class ConsoleUnderLoad final : public WorkerInfoSource, public testing::QuietConsoleObserver {
  public:
    explicit ConsoleUnderLoad(const std::string& dir) {
        std::filesystem::create_directories(dir + "Configs");
        std::ofstream(dir + "Configs/servers.cfg", std::ios::binary)
            << "*FAV*Home,10.0.0.5,40000,admin,secret\r\n";
        m_console = std::make_unique<Console>(dir, m_host, m_dialogs, m_clock, *this, *this);
        m_host.session = &m_console->Session();
        m_host.clock = &m_clock;
        m_console->Initialise(ConsoleRole::Client);
        m_host.Advance(0);
        m_console->OnTimer(TimerId::Startup);
        m_host.listener = m_console.get();
    }

    bool LogIn() {
        RatSession& s = m_console->Session();
        if (!m_console->Login()) return false;
        testing::AcceptLogin(s);
        s.OnAutoRefreshToggled(false);
        testing::AnswerFirstCommands(m_host, s);
        return true;
    }

    // "player list" sent and `reply` handled: the CPU time of the handling
    // on this thread.
    int64_t HandlePlayerList(const std::string& reply) {
        RatSession& s = m_console->Session();
        s.SendRatCommand("player list");
        m_host.sent.clear();
        const int64_t before = ThreadCpuNs();
        s.OnRatFrameReceived(reply);
        return ThreadCpuNs() - before;
    }

    Console& Get() { return *m_console; }
    WorkerInfo CurrentWorkerInfo() const override { return {}; }

  private:
    ManualClock m_clock{{2026, 12, 11, 9, 0, 0}};
    testing::VirtualHost m_host;
    testing::ScriptedDialogs m_dialogs;
    std::unique_ptr<Console> m_console;
};

std::string NameOfId(Console& console, const std::string& id) {
    for (const PlayerRow& row : console.Players().Rows())
        if (row.cells[kColumnId] == id) return row.cells[kColumnName];
    return {};
}

int64_t DatabaseBytes(HistoryStore& store) {
    if (store.Target().dialect == HistoryDialect::SQLite) {
        int64_t bytes = 0;
        for (const char* suffix : {"", "-wal", "-shm"}) {
            const QFileInfo file(QString::fromStdString(store.Target().path + suffix));
            if (file.exists()) bytes += file.size();
        }
        return bytes;
    }
    QSqlQuery q(store.Database());
    if (!q.exec(QStringLiteral("SELECT pg_database_size(current_database())")) || !q.next())
        return -1;
    return q.value(0).toLongLong();
}

int64_t CountRows(HistoryStore& store, const char* table) {
    QSqlQuery q(store.Database());
    if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM ") + QString::fromLatin1(table)) || !q.next())
        return -1;
    return q.value(0).toLongLong();
}

double Mb(int64_t bytes) {
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

// The console's main-thread cost per reply with no history, then with it;
// the writer's pace. False when something failed (said on stderr).
bool RunRecording(const HistoryTarget& target, const Options& options) {
    testing::TempDir dir;
    std::vector<int64_t> baseline;
    {
        ConsoleUnderLoad console(dir.Path());
        if (!console.LogIn()) {
            std::fprintf(stderr, "  the console did not log in\n");
            return false;
        }
        GameRoster roster;
        for (int i = 0; i < std::min(kBaselineReplies, options.replies); ++i)
            baseline.push_back(console.HandlePlayerList(roster.NextReply()));
    }

    std::atomic<int64_t> virtualNow{1796960992};  // 2026-12-11T03:49:52Z
    HistoryWriterOptions writerOptions;
    writerOptions.target = target;
    writerOptions.keepDays = 0;
    writerOptions.utcNow = [&virtualNow] { return virtualNow.load(); };
    auto writer = std::make_unique<HistoryWriter>(writerOptions);
    QObject::connect(
        writer.get(), &HistoryWriter::noteWritten, writer.get(),
        [](const QString& text) { std::fprintf(stderr, "  writer: %s\n", qPrintable(text)); },
        Qt::DirectConnection);
    if (auto started = writer->Start(); !started) {
        std::fprintf(stderr, "  the writer did not start: %s\n", started.failure().c_str());
        return false;
    }

    std::vector<int64_t> withHistory;
    std::vector<int64_t> sanctionCost;
    const auto start = SteadyClock::now();
    {
        testing::TempDir consoleDir;
        // The recorder outlives the console that records to it.
        HistoryRecorder recorder(*writer, [&virtualNow] { return virtualNow.load(); });
        ConsoleUnderLoad console(consoleDir.Path());
        console.Get().SetHistory(&recorder);
        if (!console.LogIn()) {
            std::fprintf(stderr, "  the console did not log in\n");
            return false;
        }
        GameRoster roster;
        int sanctions = 0;
        for (int i = 0; i < options.replies; ++i) {
            virtualNow += 5;  // a list every 5 s, as Auto Refresh fetches them
            withHistory.push_back(console.HandlePlayerList(roster.NextReply()));
            // The sanctions spread over the lists; the console admin's punt
            // as the Players popup sends it.
            while (sanctions < static_cast<int64_t>(kSanctions) * (i + 1) / options.replies) {
                ++sanctions;
                const auto [id, name] = roster.Someone();
                const int64_t before = ThreadCpuNs();
                recorder.Commands("Home",
                                  {"player punt " + id + " ",
                                   "chat send " + name + "  > KICKED FOR TEAM-KILLING"},
                                  kSourceConsole, [&console](const std::string& wanted) {
                                      return NameOfId(console.Get(), wanted);
                                  });
                sanctionCost.push_back(ThreadCpuNs() - before);
            }
        }
    }
    const double recordSeconds = static_cast<double>(NsSince(start)) / 1e9;
    if (!writer->Flush()) {
        std::fprintf(stderr, "  the writer could not write everything\n");
        return false;
    }
    const double allWrittenSeconds = static_cast<double>(NsSince(start)) / 1e9;
    const int64_t items = writer->ItemsWritten();
    const double writeSeconds = static_cast<double>(writer->WriteNanoseconds()) / 1e9;
    const int64_t batches = writer->BatchesWritten();
    writer.reset();

    std::printf("  recording: %d replies of %d players, %zu sanctions\n", options.replies,
                kPlayersPerList, sanctionCost.size());
    PrintSpread("main-thread CPU per reply, no history", SpreadOf(baseline));
    const Spread with = SpreadOf(withHistory);
    PrintSpread("main-thread CPU per reply, history kept", with);
    PrintSpread("main-thread CPU per sanction recorded", SpreadOf(sanctionCost));
    std::printf("  goal: <= 0.2 ms per reply: %s (mean %.4f ms, p99 %.4f ms)\n",
                with.p99 <= 0.2 ? "met" : "MISSED", with.mean, with.p99);
    // Each list queues its sessions and its count; the writer writes each
    // session once per batch, its newest copy.
    const int64_t queued = int64_t{options.replies} * (kPlayersPerList + 1) +
                           static_cast<int64_t>(sanctionCost.size());
    std::printf(
        "  writer: %lld items queued, %lld rows written in %lld batches, %.2f s writing on its "
        "thread: %.0f rows/s (%.0f items/s)\n",
        static_cast<long long>(queued), static_cast<long long>(items),
        static_cast<long long>(batches), writeSeconds,
        writeSeconds > 0 ? static_cast<double>(items) / writeSeconds : 0.0,
        writeSeconds > 0 ? static_cast<double>(queued) / writeSeconds : 0.0);
    std::printf("  wall: replies handled in %.2f s, all written %.2f s after the first\n",
                recordSeconds, allWrittenSeconds);

    HistoryStore store(target);
    if (auto opened = store.Open(); !opened) {
        std::fprintf(stderr, "  cannot reopen: %s\n", opened.failure().c_str());
        return false;
    }
    std::printf("  stored: %lld sessions, %lld sanctions, %lld counts; database %.1f MB\n",
                static_cast<long long>(CountRows(store, "sessions")),
                static_cast<long long>(CountRows(store, "sanctions")),
                static_cast<long long>(CountRows(store, "player_counts")),
                Mb(DatabaseBytes(store)));
    return true;
}

std::string SeededName(int n) {
    char name[32];
    std::snprintf(name, sizeof name, "Regular_%07d", n);
    return name;
}

// Sessions added in bulk until the table holds `total`: multi-row inserts,
// all in one transaction.
bool SeedSessions(HistoryStore& store, int64_t total) {
    const int64_t have = CountRows(store, "sessions");
    QSqlDatabase db = store.Database();
    if (!db.transaction()) return false;
    QSqlQuery q(db);
    int64_t added = 0;
    std::string sql;
    for (int64_t i = 0; have + i < total; ++i) {
        const int64_t name = i / kSessionsPerName;
        const int64_t session = i % kSessionsPerName;
        const int64_t started = 1765000000 + name * 7 + session * 86400;
        if (sql.empty())
            sql =
                "INSERT INTO sessions (server, name, started, last_seen, kills, deaths, "
                "best_ping) VALUES ";
        else
            sql += ",";
        sql += "('Server" + std::to_string(session % kSeedServers) + "','" +
               SeededName(static_cast<int>(name)) + "','" + UtcText(started) + "','" +
               UtcText(started + 1800) + "'," + std::to_string(session * 3) + "," +
               std::to_string(session) + "," + std::to_string(40 + name % 150) + ")";
        if (++added % kSeedRowsPerInsert == 0) {
            if (!q.exec(QString::fromStdString(sql))) {
                db.rollback();
                return false;
            }
            sql.clear();
        }
    }
    if (!sql.empty() && !q.exec(QString::fromStdString(sql))) {
        db.rollback();
        return false;
    }
    return db.commit();
}

bool RunLookups(const HistoryTarget& target, const Options& options) {
    HistoryStore store(target);
    if (auto opened = store.Open(); !opened) {
        std::fprintf(stderr, "  cannot open: %s\n", opened.failure().c_str());
        return false;
    }
    const auto seedStart = SteadyClock::now();
    if (!SeedSessions(store, options.sessions)) {
        std::fprintf(stderr, "  seeding failed\n");
        return false;
    }
    const int64_t sessions = CountRows(store, "sessions");
    std::printf("  look-up: %lld sessions (seeded in %.1f s), database %.1f MB\n",
                static_cast<long long>(sessions), static_cast<double>(NsSince(seedStart)) / 1e9,
                Mb(DatabaseBytes(store)));

    const int names = std::max(1, options.sessions / kSessionsPerName);
    std::mt19937 random(11);
    std::vector<int64_t> times;
    size_t found = 0;
    for (int i = 0; i < kLookups; ++i) {
        const std::string name = SeededName(static_cast<int>(random() % names));
        const auto start = SteadyClock::now();
        const auto lines = store.Sessions(name);
        const auto sanctions = store.Sanctions(name);
        times.push_back(NsSince(start));
        found += lines.size() + sanctions.size();
    }
    // A name nobody has: the whole answer is the index's.
    const auto start = SteadyClock::now();
    const bool none = store.Sessions("Nobody_at_all").empty();
    const double missMs = static_cast<double>(NsSince(start)) / 1e6;
    const Spread s = SpreadOf(times);
    std::printf("  one name's sessions and sanctions, %d names (%zu rows found):\n", kLookups,
                found);
    std::printf(
        "    first %.3f ms, p50 %.3f ms, p99 %.3f ms, max %.3f ms; unknown name %.3f ms%s\n",
        static_cast<double>(times.front()) / 1e6, s.p50, s.p99, s.max, missMs,
        none ? "" : " (found?)");
    std::printf("  goal: <= 10 ms per look-up: %s\n", s.p99 <= 10.0 ? "met" : "MISSED");
    // How the database answers the sessions look-up: the plan (and on
    // PostgreSQL the server's own time), to tell a missing index from a
    // busy machine.
    const bool pg = target.dialect == HistoryDialect::PostgreSQL;
    QSqlQuery plan(store.Database());
    const QString lookup = QStringLiteral(
                               "SELECT server, name, started, last_seen, kills, deaths, "
                               "best_ping FROM sessions WHERE name = '") +
                           QString::fromStdString(SeededName(names / 2)) +
                           QStringLiteral("' ORDER BY started, server");
    if (plan.exec(
            (pg ? QStringLiteral("EXPLAIN ANALYZE ") : QStringLiteral("EXPLAIN QUERY PLAN ")) +
            lookup)) {
        while (plan.next())
            std::printf("    plan: %s\n", qPrintable(plan.value(pg ? 0 : 3).toString()));
    }
    return true;
}

bool ParseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (i + 1 >= argc) return false;
        const std::string v = argv[++i];
        if (a == "--replies") {
            o.replies = std::atoi(v.c_str());
            if (o.replies <= 0) return false;
        } else if (a == "--sessions") {
            o.sessions = std::atoi(v.c_str());
            if (o.sessions <= 0) return false;
        } else if (a == "--driver") {
            o.sqlite = v == "sqlite" || v == "both";
            o.postgresql = v == "postgresql" || v == "both";
            if (!o.sqlite && !o.postgresql) return false;
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: history [--replies N] [--sessions N] "
                     "[--driver sqlite|postgresql|both]\n");
        return 64;
    }
    bool ok = true;
    if (options.sqlite) {
        std::printf("sqlite:\n");
        testing::TempDir dir;
        HistoryTarget target;
        target.path = dir.File("history.db");
        ok = RunRecording(target, options) && RunLookups(target, options) && ok;
    }
    if (options.postgresql) {
        std::printf("postgresql:\n");
        testing::PostgresServer& pg = testing::PostgresServer::Get();
        if (!pg.SkipReason().empty()) {
            std::printf("  skipped: %s\n", pg.SkipReason().c_str());
        } else if (const Result<HistoryTarget> target = pg.NewDatabase(); !target) {
            std::printf("  skipped: no database could be made: %s\n", target.failure().c_str());
        } else {
            ok = RunRecording(target.value(), options) && RunLookups(target.value(), options) && ok;
        }
    }
    std::fflush(stdout);
    return ok ? 0 : 1;
}
