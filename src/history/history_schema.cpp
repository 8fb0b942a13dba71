#include "history/history_schema.h"

#include <charconv>

namespace tavrin {

std::vector<std::string> MigrationStatements(HistoryDialect dialect, int to) {
    const bool pg = dialect == HistoryDialect::PostgreSQL;
    // Times are UTC texts "YYYY-MM-DDTHH:MM:SSZ": they sort as they read, and
    // the views show them as they are on both drivers.
    switch (to) {
        case 1:
            return {
                std::string("CREATE TABLE ") + kSchemaVersionTable + " (version INTEGER NOT NULL)",
                std::string("INSERT INTO ") + kSchemaVersionTable + " (version) VALUES (0)",
                "CREATE TABLE sessions (server TEXT NOT NULL, name TEXT NOT NULL, "
                "started TEXT NOT NULL, last_seen TEXT NOT NULL, "
                "kills BIGINT NOT NULL DEFAULT 0, deaths BIGINT NOT NULL DEFAULT 0, "
                "best_ping INTEGER, PRIMARY KEY (server, name, started))",
                std::string("CREATE TABLE sanctions (id ") +
                    (pg ? "BIGSERIAL PRIMARY KEY" : "INTEGER PRIMARY KEY AUTOINCREMENT") +
                    ", time TEXT NOT NULL, server TEXT NOT NULL, player TEXT NOT NULL, "
                    "action TEXT NOT NULL, reason TEXT NOT NULL, source TEXT NOT NULL)",
                "CREATE VIEW player_history AS SELECT server, name, MIN(started) AS first_seen, "
                "MAX(last_seen) AS last_seen, COUNT(*) AS sessions FROM sessions "
                "GROUP BY server, name",
                "CREATE VIEW sanction_history AS SELECT time, server, player, action, reason, "
                "source FROM sanctions",
            };
        case 2:
            // The count samples of the Server tab's plot, and the look-ups by
            // name that a console makes for a player who joins.
            return {
                "CREATE TABLE player_counts (time TEXT NOT NULL, server TEXT NOT NULL, "
                "total INTEGER NOT NULL, team1 INTEGER NOT NULL, team2 INTEGER NOT NULL)",
                "CREATE INDEX player_counts_time ON player_counts (server, time)",
                "CREATE INDEX sessions_name ON sessions (name)",
                "CREATE INDEX sanctions_player ON sanctions (player)",
                "CREATE INDEX sanctions_time ON sanctions (time)",
            };
        default:
            return {};
    }
}

Result<std::vector<int>> MigrationsFrom(int found) {
    if (found > kHistorySchemaVersion) {
        return Result<std::vector<int>>::Failure(
            "The history database has schema version " + std::to_string(found) +
            ", newer than this program knows (" + std::to_string(kHistorySchemaVersion) +
            "): it is left as it is and no history is kept. Use a newer TavrinRAT or another "
            "--history-db.");
    }
    if (found < 0) {
        return Result<std::vector<int>>::Failure("The history database's schema version " +
                                                 std::to_string(found) + " is not valid.");
    }
    std::vector<int> steps;
    for (int v = found + 1; v <= kHistorySchemaVersion; ++v) steps.push_back(v);
    return Result<std::vector<int>>::Success(std::move(steps));
}

std::vector<std::string> RetentionStatements() {
    return {
        "DELETE FROM sessions WHERE last_seen < ?",
        "DELETE FROM sanctions WHERE time < ?",
        "DELETE FROM player_counts WHERE time < ?",
    };
}

HistoryTarget DefaultHistoryTarget(const std::string& programDir) {
    HistoryTarget t;
    t.path = programDir + "history.db";
    return t;
}

Result<HistoryTarget> ParseHistoryTarget(const std::string& text) {
    constexpr std::string_view kScheme = "postgresql://";
    HistoryTarget t;
    if (text.compare(0, kScheme.size(), kScheme) != 0) {
        if (text.empty()) return Result<HistoryTarget>::Failure("--history-db needs a file name");
        t.path = text;
        return Result<HistoryTarget>::Success(std::move(t));
    }
    const auto bad = [] {
        return Result<HistoryTarget>::Failure(
            "--history-db takes a file or postgresql://USER@HOST:PORT/DB");
    };
    t.dialect = HistoryDialect::PostgreSQL;
    std::string rest = text.substr(kScheme.size());
    const size_t slash = rest.find('/');
    if (slash == std::string::npos) return bad();
    t.database = rest.substr(slash + 1);
    rest.resize(slash);
    if (const size_t at = rest.rfind('@'); at != std::string::npos) {
        t.user = rest.substr(0, at);
        rest.erase(0, at + 1);
    }
    if (const size_t colon = rest.rfind(':'); colon != std::string::npos) {
        const std::string port = rest.substr(colon + 1);
        unsigned value = 0;
        const auto [ptr, ec] = std::from_chars(port.data(), port.data() + port.size(), value);
        if (ec != std::errc() || ptr != port.data() + port.size() || value == 0 || value > 65535)
            return bad();
        t.port = static_cast<int>(value);
        rest.resize(colon);
    }
    t.host = rest;
    if (t.host.empty() || t.database.empty() || t.database.find('/') != std::string::npos)
        return bad();
    return Result<HistoryTarget>::Success(std::move(t));
}

}  // namespace tavrin
