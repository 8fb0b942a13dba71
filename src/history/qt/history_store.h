#pragma once

#include <QSqlDatabase>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/result.h"
#include "history/history_browse.h"
#include "history/history_records.h"
#include "history/history_schema.h"

namespace tavrin {

// A failed write: `kind` tells failures of one cause apart (the driver's
// error type and code), `text` says it for a log line.
struct HistoryFailure {
    std::string kind;
    std::string text;
};

// One connection to the history database, used from one thread: it opens
// the database, creates or migrates the schema, writes batches in one
// transaction each and answers look-ups. Texts go in and come out as the
// console's Windows-1252 bytes; the database holds UTF-8.
class HistoryStore {
  public:
    HistoryStore(HistoryTarget target, std::string password = {});
    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    // Opens the database and brings its schema to this program's version.
    // A newer schema is refused, and left as it is.
    Result<bool> Open();
    void Close();
    bool IsOpen() const;
    // Whether the last Open failed to reach the database at all (rather
    // than finding a schema it refuses).
    bool Unreachable() const { return m_unreachable; }
    // The schema version of the open database (0: none).
    int SchemaVersion();

    // Every item in one transaction; nothing is written when any fails.
    std::optional<HistoryFailure> Write(const std::vector<HistoryItem>& items);
    // Deletes rows older than `cutoff` (UTC seconds).
    std::optional<HistoryFailure> DeleteOlderThan(int64_t cutoff);

    // A player's sessions on every server, oldest first, and the sanctions
    // taken against the name.
    std::vector<SessionRecord> Sessions(const std::string& name);
    std::vector<SanctionRecord> Sanctions(const std::string& player);
    // The players of every server whose name holds `part`, whatever its
    // case, the last seen first; at most `limit`. The text is bound as a
    // value, never written into the statement.
    std::vector<PlayerSummary> FindPlayers(const std::string& part, int limit = kSearchLimit);
    // Every sanction, oldest first.
    std::vector<SanctionRecord> AllSanctions();
    // The counts of `server` from `from` to `to` (UTC seconds), oldest first.
    std::vector<CountRecord> Counts(const std::string& server, int64_t from, int64_t to);

    const HistoryTarget& Target() const { return m_target; }
    // The Qt connection, for a look-up this class lacks.
    QSqlDatabase Database() const;

  private:
    std::optional<HistoryFailure> Migrate(int to);
    std::vector<SanctionRecord> ReadSanctions(const QString& where, const std::string& player);

    HistoryTarget m_target;
    std::string m_password;
    QString m_connection;
    bool m_unreachable = false;
};

// The password of a PostgreSQL history: the first line of `file` when one is
// named, else the PGPASSWORD variable (libpq reads it too), else none.
Result<std::string> HistoryPassword(const std::string& file);

}  // namespace tavrin
