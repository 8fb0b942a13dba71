#pragma once

// The history database's schema, written for each driver, and the steps that
// bring an older database up to date. The two views are the interface other
// tools rely on: their columns stay as they are across versions.

#include <cstdint>
#include <string>
#include <vector>

#include "common/result.h"

namespace tavrin {

enum class HistoryDialect { SQLite, PostgreSQL };

// The schema this program writes. A database at a higher version was made by
// a newer program and is left untouched.
inline constexpr int kHistorySchemaVersion = 2;
// The table that holds the version, one row.
inline constexpr const char* kSchemaVersionTable = "history_schema";

// The statements that take a database from version `to - 1` to `to`, without
// the update of the version row (the store writes it in the same transaction).
std::vector<std::string> MigrationStatements(HistoryDialect dialect, int to);

// The versions to migrate through, in order, for a database at `found` (0:
// no schema yet); a failure with the message to show for a newer one.
Result<std::vector<int>> MigrationsFrom(int found);

// The deletions of rows older than the cutoff (a UTC time text): sessions
// last seen, sanctions and counts taken before it.
std::vector<std::string> RetentionStatements();

// Where the history goes, as --history-db names it.
struct HistoryTarget {
    HistoryDialect dialect = HistoryDialect::SQLite;
    std::string path;  // SQLite: the file
    // PostgreSQL: postgresql://USER@HOST:PORT/DB (USER@ and :PORT optional)
    std::string user;
    std::string host;
    int port = 5432;
    std::string database;

    bool operator==(const HistoryTarget&) const = default;
};

// The file `history.db` of the program folder (which ends with the separator).
HistoryTarget DefaultHistoryTarget(const std::string& programDir);
// A postgresql:// address, or any other text as an SQLite file.
Result<HistoryTarget> ParseHistoryTarget(const std::string& text);

}  // namespace tavrin
