#pragma once

#include <QObject>
#include <QThread>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "history/history_browse.h"
#include "history/history_records.h"
#include "history/history_schema.h"

namespace tavrin {

class HistoryStore;

// Answers the window's look-ups on a thread of its own ("history reader")
// with a connection of its own, so that a slow search never holds the main
// thread nor the writer's batches. Each request returns its number at once;
// its answer comes later by a signal carrying that number. A database that
// cannot be read answers with nothing.
class HistoryReader final : public QObject {
    Q_OBJECT
  public:
    HistoryReader(HistoryTarget target, std::string password = {});
    ~HistoryReader() override;

    quint64 FindPlayers(const std::string& part);
    // The sessions and sanctions of `name` on `server`.
    quint64 ReadPlayer(const std::string& server, const std::string& name);
    // The counts of `server` from `from` to `to` (UTC seconds).
    quint64 ReadCounts(const std::string& server, int64_t from, int64_t to);
    // What the history knows of `name` on every server.
    quint64 ReadMark(const std::string& name);

    // How many requests were sent to the database, for tests.
    int64_t Requests() const { return static_cast<int64_t>(m_next - 1); }

  signals:
    void playersFound(quint64 request, const std::vector<tavrin::PlayerSummary>& players);
    void playerRead(quint64 request, const std::vector<tavrin::SessionRecord>& sessions,
                    const std::vector<tavrin::SanctionRecord>& sanctions);
    void countsRead(quint64 request, const std::vector<tavrin::CountRecord>& counts);
    void markRead(quint64 request, const std::string& name, const tavrin::PlayerMark& mark);

  private:
    // Runs `work` on the reader's thread with the open store (null when the
    // database cannot be opened).
    void Post(std::function<void(HistoryStore*)> work);

    HistoryTarget m_target;
    std::string m_password;
    quint64 m_next = 1;
    std::unique_ptr<QThread> m_thread;
    QObject* m_worker = nullptr;                             // lives on m_thread
    std::shared_ptr<std::unique_ptr<HistoryStore>> m_store;  // touched on m_thread only
};

}  // namespace tavrin
