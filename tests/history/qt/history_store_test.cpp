// The history store and its writer against real databases: an SQLite file,
// and a PostgreSQL server the test starts itself where its programs are
// installed (elsewhere those cases are skipped, with the reason).

#include "history/qt/history_store.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardPaths>
#include <QTcpServer>
#include <QThread>
#include <QVariant>
#include <atomic>
#include <functional>
#include <iostream>
#include <mutex>

#include "history/history_recorder.h"
#include "history/qt/history_reader.h"
#include "history/qt/history_writer.h"
#include "support/postgres_server.h"
#include "support/temp_dir.h"

namespace tavrin {
namespace {

using testing::PostgresServer;
using testing::TempDir;

// Waits for `done`, checking every few milliseconds; the ceiling is only
// there so that a broken writer fails the test instead of hanging it.
bool WaitFor(const std::function<bool()>& done) {
    for (int i = 0; i < 6000; ++i) {
        if (done()) return true;
        QThread::msleep(5);
    }
    return done();
}

// Rows of a query, each row its columns joined by '|'.
std::vector<std::string> Rows(QSqlDatabase db, const QString& sql) {
    std::vector<std::string> rows;
    QSqlQuery q(db);
    EXPECT_TRUE(q.exec(sql)) << q.lastError().text().toStdString();
    while (q.next()) {
        std::string row;
        for (int c = 0; c < q.record().count(); ++c)
            row += (c ? "|" : "") + q.value(c).toString().toStdString();
        rows.push_back(row);
    }
    return rows;
}

// What the writer notes, gathered from its thread.
struct Notes {
    std::mutex mutex;
    std::vector<std::string> lines;

    void Listen(HistoryWriter& writer) {
        QObject::connect(
            &writer, &HistoryWriter::noteWritten, &writer,
            [this](const QString& text) {
                std::lock_guard lock(mutex);
                lines.push_back(text.toStdString());
            },
            Qt::DirectConnection);
    }
    size_t Count(const std::string& part) {
        std::lock_guard lock(mutex);
        size_t n = 0;
        for (const auto& l : lines) n += l.find(part) != std::string::npos;
        return n;
    }
};

class HistoryStoreTest : public ::testing::TestWithParam<HistoryDialect> {
  protected:
    void SetUp() override {
        if (GetParam() == HistoryDialect::PostgreSQL) {
            PostgresServer& pg = PostgresServer::Get();
            if (!pg.SkipReason().empty())
                GTEST_SKIP() << "PostgreSQL cases skipped: " << pg.SkipReason();
            const Result<HistoryTarget> made = pg.NewDatabase();
            ASSERT_TRUE(made.ok()) << made.failure();
            m_target = made.value();
        } else {
            m_target.path = m_dir.File("history.db");
        }
    }

    HistoryWriterOptions Options(int keepDays = 365) {
        HistoryWriterOptions o;
        o.target = m_target;
        o.keepDays = keepDays;
        o.batchMs = 20;
        o.utcNow = [this] { return m_now.load(); };
        return o;
    }

    TempDir m_dir;
    HistoryTarget m_target;
    std::atomic<int64_t> m_now{1796960992};  // 2026-12-11T03:49:52Z
};

TEST_P(HistoryStoreTest, RecordsPlayersAndSanctionsOfEachSourceIntoTheTwoViews) {
    HistoryWriter writer(Options());
    {
        const Result<bool> started = writer.Start();
        ASSERT_TRUE(started.ok()) << started.failure();
    }
    HistoryRecorder recorder(writer, [this] { return m_now.load(); });
    const auto names = [](const std::string& id) {
        return id == "4" ? std::string("Shadow") : std::string();
    };
    recorder.PlayerList("Alpha", {{"Ann", 2, 1, 80}, {"Shadow", 0, 3, 120}}, 2, 1, 1);
    m_now += 15;
    recorder.PlayerList("Alpha", {{"Ann", 3, 1, 70}, {"Shadow", 0, 3, 110}}, 2, 1, 1);
    recorder.Commands("Alpha", {"player punt 4 ", "chat send Shadow  > TEAM, KILLING"},
                      kSourceConsole, names);
    recorder.Sanction("Alpha", {SanctionAction::Warn, "Shadow", "Warning2 fool"}, kSourceChatBot);
    recorder.Commands("Alpha", {"player ban 4"}, RemoteAdminSource("bob"), names);
    // A reconnect: Ann's next list is a new session.
    recorder.NewConnection();
    m_now += 60;
    recorder.PlayerList("Alpha", {{"Ann\xE9", 0, 0, 90}, {"Ann", 0, 0, 90}}, 2, 2, 0);
    ASSERT_TRUE(writer.Flush());

    HistoryStore reader(m_target);
    {
        const Result<bool> opened = reader.Open();
        ASSERT_TRUE(opened.ok()) << opened.failure();
    }
    EXPECT_EQ(Rows(reader.Database(), QStringLiteral("SELECT server, name, first_seen, last_seen, "
                                                     "sessions FROM player_history ORDER BY name")),
              (std::vector<std::string>{
                  "Alpha|Ann|2026-12-11T03:49:52Z|2026-12-11T03:51:07Z|2",
                  "Alpha|Ann\xC3\xA9|2026-12-11T03:51:07Z|2026-12-11T03:51:07Z|1",
                  "Alpha|Shadow|2026-12-11T03:49:52Z|2026-12-11T03:50:07Z|1",
              }));
    EXPECT_EQ(Rows(reader.Database(),
                   QStringLiteral("SELECT time, server, player, action, reason, source FROM "
                                  "sanction_history ORDER BY time, action DESC")),
              (std::vector<std::string>{
                  "2026-12-11T03:50:07Z|Alpha|Shadow|warn|Warning2 fool|chatbot",
                  "2026-12-11T03:50:07Z|Alpha|Shadow|punt|TEAM, KILLING|console",
                  "2026-12-11T03:50:07Z|Alpha|Shadow|ban||admin:bob",
              }));
    // A session's kills and best ping; the name comes back as its bytes.
    const auto ann = reader.Sessions("Ann");
    ASSERT_EQ(ann.size(), 2u);
    EXPECT_EQ(ann[0].kills, 3);
    EXPECT_EQ(ann[0].bestPing, 70);
    EXPECT_EQ(reader.Sessions("Ann\xE9").size(), 1u);
    EXPECT_EQ(reader.Counts("Alpha", 0, m_now).size(), 3u);
}

TEST_P(HistoryStoreTest, AnOlderSchemaIsMigratedKeepingItsRows) {
    {
        HistoryStore store(m_target);
        {
            const Result<bool> opened = store.Open();
            ASSERT_TRUE(opened.ok()) << opened.failure();
        }  // makes the connection; then back to version 1
        QSqlDatabase db = store.Database();
        QSqlQuery q(db);
        for (const char* table : {"player_counts"})
            q.exec(QStringLiteral("DROP TABLE ") + QString::fromLatin1(table));
        for (const char* index : {"sessions_name", "sanctions_player", "sanctions_time"})
            q.exec(QStringLiteral("DROP INDEX ") + QString::fromLatin1(index));
        ASSERT_TRUE(q.exec(QStringLiteral("UPDATE history_schema SET version = 1")));
        ASSERT_TRUE(q.exec(QStringLiteral(
            "INSERT INTO sanctions (time, server, player, action, reason, source) VALUES "
            "('2025-01-02T03:04:05Z', 'Alpha', 'Old', 'punt', 'spam', 'console')")));
    }
    HistoryStore store(m_target);
    ASSERT_TRUE(store.Open().ok());
    EXPECT_EQ(store.SchemaVersion(), kHistorySchemaVersion);
    EXPECT_EQ(Rows(store.Database(), QStringLiteral("SELECT player, action FROM sanction_history")),
              (std::vector<std::string>{"Old|punt"}));
    EXPECT_FALSE(store.Write({CountRecord{m_now, "Alpha", 3, 2, 1}}).has_value());
}

TEST_P(HistoryStoreTest, ANewerSchemaIsRefusedAndLeftAsItIs) {
    {
        HistoryStore store(m_target);
        {
            const Result<bool> opened = store.Open();
            ASSERT_TRUE(opened.ok()) << opened.failure();
        }
        QSqlQuery q(store.Database());
        ASSERT_TRUE(q.exec(QStringLiteral("UPDATE history_schema SET version = 99")));
        ASSERT_TRUE(q.exec(QStringLiteral("DROP VIEW player_history")));
    }
    HistoryStore store(m_target);
    const Result<bool> opened = store.Open();
    ASSERT_FALSE(opened.ok());
    EXPECT_NE(opened.failure().find("newer than this program knows"), std::string::npos);
    ASSERT_TRUE(QSqlDatabase::cloneDatabase(store.Database(), QStringLiteral("look")).open());
    {
        QSqlDatabase db = QSqlDatabase::database(QStringLiteral("look"));
        EXPECT_EQ(Rows(db, QStringLiteral("SELECT version FROM history_schema")),
                  (std::vector<std::string>{"99"}));
        EXPECT_FALSE(db.tables(QSql::Views).contains(QStringLiteral("player_history")));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("look"));
    // And the writer will not start on it.
    HistoryWriter writer(Options());
    EXPECT_FALSE(writer.Start().ok());
}

TEST_P(HistoryStoreTest, AWriteFailureIsNotedOnceAndTriedAgainUntilItIsWritten) {
    HistoryWriter writer(Options());
    Notes notes;
    notes.Listen(writer);
    {
        const Result<bool> started = writer.Start();
        ASSERT_TRUE(started.ok()) << started.failure();
    }

    // SQLite: another connection holds the write lock. PostgreSQL: the
    // server is stopped.
    std::unique_ptr<HistoryStore> locker;
    if (GetParam() == HistoryDialect::SQLite) {
        locker = std::make_unique<HistoryStore>(m_target);
        ASSERT_TRUE(locker->Open().ok());
        QSqlQuery q(locker->Database());
        ASSERT_TRUE(q.exec(QStringLiteral("BEGIN IMMEDIATE")));
    } else {
        ASSERT_TRUE(PostgresServer::Get().Stop());
    }
    const auto kept = [this](int n) {
        return SanctionRecord{m_now,
                              "Alpha",
                              "Kept" + std::to_string(n),
                              SanctionAction::Punt,
                              "",
                              std::string(kSourceConsole)};
    };
    writer.Add({kept(1)});
    ASSERT_TRUE(WaitFor([&] { return writer.FailedAttempts() >= 3; }));
    writer.Add({kept(2)});
    ASSERT_TRUE(WaitFor([&] { return writer.FailedAttempts() >= 6; }));
    EXPECT_EQ(notes.Count("History not written"), 1u);
    EXPECT_EQ(writer.BatchesWritten(), 0);

    if (locker) {
        QSqlQuery q(locker->Database());
        ASSERT_TRUE(q.exec(QStringLiteral("ROLLBACK")));
    } else {
        ASSERT_TRUE(PostgresServer::Get().Start());
    }
    ASSERT_TRUE(WaitFor([&] { return writer.BatchesWritten() >= 1; }));
    EXPECT_EQ(notes.Count("History written again"), 1u);
    HistoryStore reader(m_target);
    {
        const Result<bool> opened = reader.Open();
        ASSERT_TRUE(opened.ok()) << opened.failure();
    }
    EXPECT_EQ(Rows(reader.Database(),
                   QStringLiteral("SELECT player FROM sanction_history ORDER BY player")),
              (std::vector<std::string>{"Kept1", "Kept2"}));
}

// A shared server that is down when the console starts: the history is
// written once it is up. A file that cannot be opened keeps none.
TEST_P(HistoryStoreTest, AServerDownAtStartIsWrittenOnceItIsUp) {
    if (GetParam() == HistoryDialect::SQLite) {
        m_target.path = m_dir.File("missing/folder/history.db");
        HistoryWriter writer(Options());
        EXPECT_FALSE(writer.Start().ok());
        return;
    }
    ASSERT_TRUE(PostgresServer::Get().Stop());
    HistoryWriter writer(Options());
    Notes notes;
    notes.Listen(writer);
    const Result<bool> started = writer.Start();
    ASSERT_TRUE(started.ok()) << started.failure();
    writer.Add({CountRecord{m_now, "Alpha", 1, 1, 0}});
    ASSERT_TRUE(WaitFor([&] { return writer.FailedAttempts() >= 2; }));
    EXPECT_EQ(notes.Count("History not written"), 1u);
    ASSERT_TRUE(PostgresServer::Get().Start());
    ASSERT_TRUE(WaitFor([&] { return writer.BatchesWritten() >= 1; }));
    HistoryStore reader(m_target);
    ASSERT_TRUE(reader.Open().ok());
    EXPECT_EQ(reader.Counts("Alpha", 0, m_now).size(), 1u);
}

TEST_P(HistoryStoreTest, RowsOlderThanTheKeptDaysGoAtStartAndOnceADay) {
    const int64_t day = 86400;
    {
        HistoryStore store(m_target);
        {
            const Result<bool> opened = store.Open();
            ASSERT_TRUE(opened.ok()) << opened.failure();
        }
        ASSERT_FALSE(store.Write({
            SessionRecord{"Alpha", "Gone", m_now - 50 * day, m_now - 40 * day, 0, 0, {}},
            SanctionRecord{m_now - 40 * day, "Alpha", "Gone", SanctionAction::Ban, "", "console"},
            CountRecord{m_now - 40 * day, "Alpha", 1, 1, 0},
            SessionRecord{"Alpha", "Soon", m_now - 30 * day, m_now - 29 * day - 10, 0, 0, {}},
            SanctionRecord{m_now - 5 * day, "Alpha", "Stays", SanctionAction::Warn, "", "chatbot"},
        }));
    }
    HistoryWriter writer(Options(30));
    {
        const Result<bool> started = writer.Start();
        ASSERT_TRUE(started.ok()) << started.failure();
    }
    EXPECT_EQ(writer.Prunes(), 1);
    HistoryStore reader(m_target);
    {
        const Result<bool> opened = reader.Open();
        ASSERT_TRUE(opened.ok()) << opened.failure();
    }
    const QString sessions = QStringLiteral("SELECT name FROM player_history ORDER BY name");
    const QString sanctions = QStringLiteral("SELECT player FROM sanction_history");
    EXPECT_EQ(Rows(reader.Database(), sessions), (std::vector<std::string>{"Soon"}));
    EXPECT_EQ(Rows(reader.Database(), sanctions), (std::vector<std::string>{"Stays"}));
    EXPECT_EQ(Rows(reader.Database(), QStringLiteral("SELECT COUNT(*) FROM player_counts")),
              (std::vector<std::string>{"0"}));

    // A day later "Soon" is past 30 days too.
    m_now += day;
    ASSERT_TRUE(WaitFor([&] { return writer.Prunes() >= 2; }));
    EXPECT_TRUE(Rows(reader.Database(), sessions).empty());
    EXPECT_EQ(Rows(reader.Database(), sanctions), (std::vector<std::string>{"Stays"}));
}

INSTANTIATE_TEST_SUITE_P(Drivers, HistoryStoreTest,
                         ::testing::Values(HistoryDialect::SQLite, HistoryDialect::PostgreSQL),
                         [](const auto& info) {
                             return info.param == HistoryDialect::SQLite ? "SQLite" : "PostgreSQL";
                         });

// A burst larger than what may wait for a failing database, queued between
// two batches of a writer that has not failed: all of it is written, and
// nothing is said to be dropped.
TEST(HistoryWriterTest, ABurstBetweenBatchesIsWrittenWhole) {
    TempDir dir;
    HistoryWriterOptions o;
    o.target.path = dir.File("history.db");
    o.batchMs = 60'000;  // only Flush writes
    HistoryWriter writer(o);
    Notes notes;
    notes.Listen(writer);
    ASSERT_TRUE(writer.Start().ok());
    constexpr int64_t kBurst = HistoryWriter::kMaxWaiting + 10;
    std::vector<HistoryItem> items;
    for (int64_t i = 0; i < kBurst; ++i)
        items.emplace_back(CountRecord{1796960992 + i, "Alpha", 1, 1, 0});
    writer.Add(std::move(items));
    ASSERT_TRUE(writer.Flush());
    EXPECT_EQ(writer.ItemsWritten(), kBurst);
    EXPECT_EQ(notes.Count("dropped"), 0u);
}

// Lists queued between two batches: each session is written once, as the
// last list left it.
TEST(HistoryWriterTest, ABatchWritesEachSessionOnce) {
    TempDir dir;
    HistoryWriterOptions o;
    o.target.path = dir.File("history.db");
    o.batchMs = 60'000;  // only Flush writes
    HistoryWriter writer(o);
    ASSERT_TRUE(writer.Start().ok());
    int64_t now = 1796960992;
    HistoryRecorder recorder(writer, [&now] { return now; });
    for (int64_t kills = 1; kills <= 3; ++kills, now += 5)
        recorder.PlayerList("Alpha", {{"Ann", kills, 0, 60}, {"Bob", 0, kills, 70}}, 2, 1, 1);
    ASSERT_TRUE(writer.Flush());
    EXPECT_EQ(writer.ItemsWritten(), 2 + 3);  // two sessions, three counts
    HistoryStore reader(o.target);
    ASSERT_TRUE(reader.Open().ok());
    const auto ann = reader.Sessions("Ann");
    ASSERT_EQ(ann.size(), 1u);
    EXPECT_EQ(ann[0].kills, 3);
    EXPECT_EQ(ann[0].lastSeen, now - 5);
}

// The child of the kill -9 case: writes sanctions in flushed rounds into the
// SQLite file `path`, saying after each round how many are stored, until it
// is killed.
int WriteUntilKilled(const std::string& path) {
    HistoryWriterOptions o;
    o.target.path = path;
    o.batchMs = 5;
    HistoryWriter writer(o);
    if (!writer.Start()) return 3;
    for (int round = 1;; ++round) {
        std::vector<HistoryItem> items;
        for (int k = 0; k < 50; ++k)
            items.emplace_back(SanctionRecord{1796960992 + round, "Alpha", "P" + std::to_string(k),
                                              SanctionAction::Warn,
                                              "round " + std::to_string(round), "chatbot"});
        writer.Add(std::move(items));
        if (!writer.Flush()) return 4;
        std::cout << "stored " << round * 50 << std::endl;
    }
}

TEST_P(HistoryStoreTest, FindsPlayersByAnyPartOfTheirNameWhateverItsCase) {
    HistoryWriter writer(Options());
    ASSERT_TRUE(writer.Start().ok());
    auto session = [this](const char* server, const char* name, int64_t at) {
        return SessionRecord{server, name, m_now + at, m_now + at + 60, 0, 0, std::nullopt};
    };
    writer.Add({session("Alpha", "Shadow", 0), session("Alpha", "Shadow", 100),
                session("Beta", "[TR]shadowy", 50), session("Alpha", "Ann", 0),
                session("Alpha", "50%_off", 0), session("Alpha", "500 off", 0),
                session("Alpha", "x'); DROP TABLE sessions; --", 0)});
    ASSERT_TRUE(writer.Flush());

    HistoryStore store(m_target);
    ASSERT_TRUE(store.Open().ok());
    auto names = [&](const std::string& part) {
        std::vector<std::string> out;
        for (const PlayerSummary& p : store.FindPlayers(part))
            out.push_back(p.server + "/" + p.name + "/" + std::to_string(p.sessions));
        return out;
    };
    using Names = std::vector<std::string>;
    // The last seen first; one row per server and name.
    EXPECT_EQ(names("SHAD"), (Names{"Alpha/Shadow/2", "Beta/[TR]shadowy/1"}));
    EXPECT_EQ(names("0%_"), (Names{"Alpha/50%_off/1"}));  // wildcards stand for themselves
    EXPECT_EQ(names("'); DROP"), (Names{"Alpha/x'); DROP TABLE sessions; --/1"}));
    EXPECT_EQ(names("nobody"), Names{});
    EXPECT_EQ(store.FindPlayers("", 2).size(), 2u);
    const auto shadow = store.FindPlayers("shadow").front();
    EXPECT_EQ(shadow.firstSeen, m_now.load());
    EXPECT_EQ(shadow.lastSeen, m_now + 160);

    // The reader answers the same by signal, off the caller's thread.
    HistoryReader reader(m_target);
    std::vector<PlayerSummary> found;
    quint64 answered = 0;
    QObject::connect(&reader, &HistoryReader::playersFound, &reader,
                     [&](quint64 request, const std::vector<PlayerSummary>& players) {
                         answered = request;
                         found = players;
                     });
    const quint64 request = reader.FindPlayers("ann");
    EXPECT_EQ(answered, 0u);
    ASSERT_TRUE(WaitFor([&] {
        QCoreApplication::processEvents();
        return answered == request;
    }));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].name, "Ann");
}

TEST(HistoryKillTest, AKillDuringWritesLeavesTheDatabaseReadableWithWhatWasStored) {
    TempDir dir;
    const std::string path = dir.File("history.db");
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--history-child"), QString::fromStdString(path)});
    ASSERT_TRUE(child.waitForStarted());
    long stored = 0;
    // Killed in the middle of the writes, after a few rounds are stored.
    while (stored < 1000 && child.waitForReadyRead(30000)) {
        while (child.canReadLine()) {
            const QByteArray line = child.readLine().trimmed();
            if (line.startsWith("stored ")) stored = line.mid(7).toLong();
        }
    }
    ASSERT_GE(stored, 1000);
    ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
    child.waitForFinished();
    EXPECT_EQ(child.exitStatus(), QProcess::CrashExit);

    QSqlDatabase db =
        QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("after-kill"));
    db.setDatabaseName(QString::fromStdString(path));
    ASSERT_TRUE(db.open());
    EXPECT_EQ(Rows(db, QStringLiteral("PRAGMA integrity_check")), (std::vector<std::string>{"ok"}));
    const auto count = Rows(db, QStringLiteral("SELECT COUNT(*) FROM sanction_history"));
    ASSERT_EQ(count.size(), 1u);
    EXPECT_GE(std::stol(count[0]), stored);
    db.close();
    db = {};
    QSqlDatabase::removeDatabase(QStringLiteral("after-kill"));
    // And the program opens it again.
    HistoryStore store(ParseHistoryTarget(path).value());
    EXPECT_TRUE(store.Open().ok());
}

}  // namespace
}  // namespace tavrin

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 3 && std::string(argv[1]) == "--history-child")
        return tavrin::WriteUntilKilled(argv[2]);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
