#include "history/qt/history_store.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <array>
#include <atomic>
#include <cstdlib>

namespace tavrin {
namespace {

QString Text(const std::string& bytes) {
    return QString::fromStdString(Utf8FromWindows1252(bytes));
}

std::string Bytes(const QVariant& value) {
    return Windows1252FromUtf8(value.toString().toStdString());
}

QString Time(int64_t seconds) {
    return QString::fromStdString(UtcText(seconds));
}

int64_t Seconds(const QVariant& value) {
    return ParseUtcText(value.toString().toStdString()).value_or(0);
}

HistoryFailure FailureOf(const QSqlError& error) {
    return {std::to_string(static_cast<int>(error.type())) + ":" +
                error.nativeErrorCode().toStdString(),
            error.text().toStdString()};
}

// Runs `sql` with `values`; the failure when it fails.
std::optional<HistoryFailure> Run(QSqlDatabase& db, const QString& sql,
                                  const QVariantList& values = {}) {
    QSqlQuery query(db);
    // A statement without values runs as it is: PostgreSQL prepares no
    // schema statements.
    if (values.isEmpty()) {
        if (!query.exec(sql)) return FailureOf(query.lastError());
        return std::nullopt;
    }
    if (!query.prepare(sql)) return FailureOf(query.lastError());
    for (const QVariant& v : values) query.addBindValue(v);
    if (!query.exec()) return FailureOf(query.lastError());
    return std::nullopt;
}

// The statement that stores an item, by the item's kind (its index in
// HistoryItem), and its values.
struct ItemStatement {
    size_t kind = 0;
    QString sql;
    QVariantList values;
};

ItemStatement StatementOf(const HistoryItem& item) {
    if (const auto* s = std::get_if<SessionRecord>(&item)) {
        return {
            item.index(),
            QStringLiteral("INSERT INTO sessions (server, name, started, last_seen, kills, deaths, "
                           "best_ping) VALUES (?, ?, ?, ?, ?, ?, ?) "
                           "ON CONFLICT (server, name, started) DO UPDATE SET last_seen = "
                           "excluded.last_seen, kills = excluded.kills, deaths = excluded.deaths, "
                           "best_ping = excluded.best_ping"),
            {Text(s->server), Text(s->name), Time(s->started), Time(s->lastSeen),
             QVariant::fromValue<qlonglong>(s->kills), QVariant::fromValue<qlonglong>(s->deaths),
             s->bestPing ? QVariant(*s->bestPing) : QVariant(QMetaType::fromType<int>())}};
    }
    if (const auto* s = std::get_if<SanctionRecord>(&item)) {
        return {item.index(),
                QStringLiteral("INSERT INTO sanctions (time, server, player, action, reason, "
                               "source) VALUES (?, ?, ?, ?, ?, ?)"),
                {Time(s->time), Text(s->server), Text(s->player),
                 QString::fromUtf8(SanctionActionName(s->action).data(),
                                   static_cast<qsizetype>(SanctionActionName(s->action).size())),
                 Text(s->reason), Text(s->source)}};
    }
    const auto& c = std::get<CountRecord>(item);
    return {item.index(),
            QStringLiteral("INSERT INTO player_counts (time, server, total, team1, team2) "
                           "VALUES (?, ?, ?, ?, ?)"),
            {Time(c.time), Text(c.server), c.total, c.team1, c.team2}};
}

// Stores the items, each kind's statement prepared once for all of them:
// a batch of thousands of rows costs a round trip each, not three.
std::optional<HistoryFailure> WriteItems(QSqlDatabase& db, const std::vector<HistoryItem>& items) {
    std::array<std::optional<QSqlQuery>, std::variant_size_v<HistoryItem>> prepared;
    for (const HistoryItem& item : items) {
        ItemStatement statement = StatementOf(item);
        std::optional<QSqlQuery>& query = prepared[statement.kind];
        if (!query) {
            query.emplace(db);
            if (!query->prepare(statement.sql)) return FailureOf(query->lastError());
        }
        for (qsizetype i = 0; i < statement.values.size(); ++i)
            query->bindValue(static_cast<int>(i), statement.values[i]);
        if (!query->exec()) return FailureOf(query->lastError());
    }
    return std::nullopt;
}

SanctionAction ActionOf(const std::string& name) {
    for (size_t i = 0; i < kSanctionActionNames.size(); ++i)
        if (kSanctionActionNames[i] == name) return static_cast<SanctionAction>(i);
    return SanctionAction::Warn;
}

}  // namespace

HistoryStore::HistoryStore(HistoryTarget target, std::string password)
    : m_target(std::move(target)), m_password(std::move(password)) {
    static std::atomic<int> next{0};
    m_connection = QStringLiteral("tavrin-history-%1").arg(next++);
}

HistoryStore::~HistoryStore() {
    Close();
    QSqlDatabase::removeDatabase(m_connection);
}

QSqlDatabase HistoryStore::Database() const {
    return QSqlDatabase::database(m_connection, false);
}

bool HistoryStore::IsOpen() const {
    return QSqlDatabase::contains(m_connection) && Database().isOpen();
}

void HistoryStore::Close() {
    if (!QSqlDatabase::contains(m_connection)) return;
    QSqlDatabase db = Database();
    db.close();
}

Result<bool> HistoryStore::Open() {
    const bool pg = m_target.dialect == HistoryDialect::PostgreSQL;
    if (!QSqlDatabase::contains(m_connection)) {
        QSqlDatabase db = QSqlDatabase::addDatabase(
            pg ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE"), m_connection);
        if (!db.isValid()) {
            return Result<bool>::Failure(
                std::string("The Qt SQL driver for ") + (pg ? "PostgreSQL" : "SQLite") +
                " is not installed (Debian: " + (pg ? "libqt6sql6-psql" : "libqt6sql6-sqlite") +
                "): no history is kept.");
        }
        if (pg) {
            db.setHostName(QString::fromStdString(m_target.host));
            db.setPort(m_target.port);
            db.setDatabaseName(QString::fromStdString(m_target.database));
            db.setUserName(QString::fromStdString(m_target.user));
            if (!m_password.empty()) db.setPassword(QString::fromStdString(m_password));
            db.setConnectOptions(QStringLiteral("connect_timeout=5"));
        } else {
            db.setDatabaseName(QString::fromStdString(m_target.path));
            // A writer that finds the file locked waits a little, then
            // fails and retries on its next batch.
            db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=200"));
        }
    }
    QSqlDatabase db = Database();
    m_unreachable = false;
    if (!db.isOpen() && !db.open()) {
        m_unreachable = true;
        return Result<bool>::Failure("The history database cannot be opened: " +
                                     db.lastError().text().toStdString());
    }
    if (!pg) {
        // WAL: a reader never waits for the writer, and a crash loses at
        // most the transactions not yet checkpointed, never the file.
        Run(db, QStringLiteral("PRAGMA journal_mode=WAL"));
        Run(db, QStringLiteral("PRAGMA synchronous=NORMAL"));
    }
    const auto steps = MigrationsFrom(SchemaVersion());
    if (!steps) {
        db.close();
        return Result<bool>::Failure(steps.failure());
    }
    for (const int to : steps.value()) {
        if (auto failure = Migrate(to)) {
            return Result<bool>::Failure(
                "The history database's schema cannot be brought to "
                "version " +
                std::to_string(to) + ": " + failure->text);
        }
    }
    return Result<bool>::Success(true);
}

int HistoryStore::SchemaVersion() {
    QSqlDatabase db = Database();
    if (!db.tables().contains(QString::fromLatin1(kSchemaVersionTable))) return 0;
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT MAX(version) FROM ") +
                    QString::fromLatin1(kSchemaVersionTable)) ||
        !query.next())
        return 0;
    return query.value(0).toInt();
}

std::optional<HistoryFailure> HistoryStore::Migrate(int to) {
    QSqlDatabase db = Database();
    if (!db.transaction()) return FailureOf(db.lastError());
    for (const std::string& sql : MigrationStatements(m_target.dialect, to)) {
        if (auto failure = Run(db, QString::fromStdString(sql))) {
            db.rollback();
            return failure;
        }
    }
    if (auto failure = Run(db,
                           QStringLiteral("UPDATE ") + QString::fromLatin1(kSchemaVersionTable) +
                               QStringLiteral(" SET version = ?"),
                           {to})) {
        db.rollback();
        return failure;
    }
    if (!db.commit()) return FailureOf(db.lastError());
    return std::nullopt;
}

std::optional<HistoryFailure> HistoryStore::Write(const std::vector<HistoryItem>& items) {
    QSqlDatabase db = Database();
    if (!db.isOpen()) return HistoryFailure{"closed", "the history database is not open"};
    if (!db.transaction()) return FailureOf(db.lastError());
    if (auto failure = WriteItems(db, items)) {
        db.rollback();
        return failure;
    }
    if (!db.commit()) {
        auto failure = FailureOf(db.lastError());
        db.rollback();
        return failure;
    }
    return std::nullopt;
}

std::optional<HistoryFailure> HistoryStore::DeleteOlderThan(int64_t cutoff) {
    QSqlDatabase db = Database();
    if (!db.transaction()) return FailureOf(db.lastError());
    for (const std::string& sql : RetentionStatements()) {
        if (auto failure = Run(db, QString::fromStdString(sql), {Time(cutoff)})) {
            db.rollback();
            return failure;
        }
    }
    if (!db.commit()) return FailureOf(db.lastError());
    return std::nullopt;
}

std::vector<SessionRecord> HistoryStore::Sessions(const std::string& name) {
    std::vector<SessionRecord> out;
    QSqlQuery query(Database());
    query.prepare(
        QStringLiteral("SELECT server, name, started, last_seen, kills, deaths, best_ping "
                       "FROM sessions WHERE name = ? ORDER BY started, server"));
    query.addBindValue(Text(name));
    if (!query.exec()) return out;
    while (query.next()) {
        SessionRecord r{Bytes(query.value(0)),
                        Bytes(query.value(1)),
                        Seconds(query.value(2)),
                        Seconds(query.value(3)),
                        query.value(4).toLongLong(),
                        query.value(5).toLongLong(),
                        std::nullopt};
        if (!query.value(6).isNull()) r.bestPing = query.value(6).toInt();
        out.push_back(std::move(r));
    }
    return out;
}

std::vector<SanctionRecord> HistoryStore::ReadSanctions(const QString& where,
                                                        const std::string& player) {
    std::vector<SanctionRecord> out;
    QSqlQuery query(Database());
    query.prepare(QStringLiteral("SELECT time, server, player, action, reason, source FROM "
                                 "sanctions ") +
                  where + QStringLiteral(" ORDER BY time, id"));
    if (!where.isEmpty()) query.addBindValue(Text(player));
    if (!query.exec()) return out;
    while (query.next()) {
        out.push_back({Seconds(query.value(0)), Bytes(query.value(1)), Bytes(query.value(2)),
                       ActionOf(query.value(3).toString().toStdString()), Bytes(query.value(4)),
                       Bytes(query.value(5))});
    }
    return out;
}

std::vector<SanctionRecord> HistoryStore::Sanctions(const std::string& player) {
    return ReadSanctions(QStringLiteral("WHERE player = ?"), player);
}

std::vector<PlayerSummary> HistoryStore::FindPlayers(const std::string& part, int limit) {
    std::vector<PlayerSummary> out;
    QSqlQuery query(Database());
    // Both databases lower-case ASCII letters alike; the pattern is lowered
    // the same way, so the search ignores case on SQLite and PostgreSQL.
    query.prepare(
        QStringLiteral("SELECT server, name, MIN(started), MAX(last_seen), COUNT(*) FROM sessions "
                       "WHERE LOWER(name) LIKE ? ESCAPE '\\' GROUP BY server, name "
                       "ORDER BY MAX(last_seen) DESC, server, name LIMIT ?"));
    query.addBindValue(Text(NameSearchPattern(part)));
    query.addBindValue(limit);
    if (!query.exec()) return out;
    while (query.next()) {
        out.push_back({Bytes(query.value(0)), Bytes(query.value(1)), Seconds(query.value(2)),
                       Seconds(query.value(3)), query.value(4).toLongLong()});
    }
    return out;
}

std::vector<SanctionRecord> HistoryStore::AllSanctions() {
    return ReadSanctions({}, {});
}

std::vector<CountRecord> HistoryStore::Counts(const std::string& server, int64_t from, int64_t to) {
    std::vector<CountRecord> out;
    QSqlQuery query(Database());
    query.prepare(
        QStringLiteral("SELECT time, total, team1, team2 FROM player_counts WHERE "
                       "server = ? AND time >= ? AND time <= ? ORDER BY time"));
    query.addBindValue(Text(server));
    query.addBindValue(Time(from));
    query.addBindValue(Time(to));
    if (!query.exec()) return out;
    while (query.next()) {
        out.push_back({Seconds(query.value(0)), server, query.value(1).toInt(),
                       query.value(2).toInt(), query.value(3).toInt()});
    }
    return out;
}

Result<std::string> HistoryPassword(const std::string& file) {
    if (!file.empty()) {
        QFile f(QString::fromLocal8Bit(file.c_str()));
        if (!f.open(QIODevice::ReadOnly))
            return Result<std::string>::Failure("cannot read the password file " + file);
        std::string line = f.readLine().toStdString();
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        return Result<std::string>::Success(line);
    }
    const char* env = std::getenv("PGPASSWORD");
    return Result<std::string>::Success(env ? std::string(env) : std::string());
}

}  // namespace tavrin
