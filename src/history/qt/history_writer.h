#pragma once

#include <QObject>
#include <QThread>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "common/result.h"
#include "history/history_records.h"
#include "history/history_schema.h"
#include "history/qt/history_store.h"

namespace tavrin {

struct HistoryWriterOptions {
    HistoryTarget target;
    std::string password;
    int keepDays = 365;  // rows older than this go at start and once a day; 0: kept
    int batchMs = 1000;  // how often what is queued is written
    // The UTC time in seconds; the system clock when empty.
    std::function<int64_t()> utcNow;
};

class HistoryWorker;

// Stores what the consoles record, on a thread of its own ("history
// writer"): what Add queues is written in one transaction about once a
// second. A batch that fails stays queued and is tried again with the next;
// each kind of failure is reported once (noteWritten), and so is the first
// write that succeeds after failures. Nothing here ever waits for the
// database on the caller's thread, except Start and Flush.
class HistoryWriter final : public QObject, public HistoryQueue {
    Q_OBJECT
  public:
    // What waits while the database cannot be written; past it the oldest
    // items go, with one note.
    static constexpr size_t kMaxWaiting = 200'000;

    explicit HistoryWriter(HistoryWriterOptions options);
    ~HistoryWriter() override;

    // Opens (and creates or migrates) the database on the writer's thread
    // and starts the batches; the failure text when it cannot. A PostgreSQL
    // server that cannot be reached is no failure: it is tried again with
    // every batch, and a note says so.
    Result<bool> Start();

    void Add(std::vector<HistoryItem> items) override;
    // Writes what is queued now and waits for it: at shutdown, and in tests.
    // Whether everything queued was written.
    bool Flush();

    // What it was started with: the database a reader opens beside it.
    const HistoryWriterOptions& Options() const { return m_options; }

    // Counts since start, read from any thread.
    int64_t BatchesWritten() const { return m_written; }
    int64_t FailedAttempts() const { return m_failed; }
    int64_t Prunes() const { return m_prunes; }
    // The items (rows inserted or updated) of the batches written, and the
    // time those writes took on the writer's thread, in nanoseconds.
    int64_t ItemsWritten() const { return m_itemsWritten; }
    int64_t WriteNanoseconds() const { return m_writeNs; }

  signals:
    // A line for the event log: a failure of a new kind, or writes resumed.
    // Emitted on the writer's thread; a queued connection brings it over.
    void noteWritten(const QString& text);

  private:
    friend class HistoryWorker;
    std::vector<HistoryItem> TakeQueued();

    HistoryWriterOptions m_options;
    std::mutex m_mutex;
    // Each Add's items as they came: queuing moves no earlier item, however
    // far the writer is behind.
    std::vector<std::vector<HistoryItem>> m_queued;
    std::atomic<int64_t> m_written{0};
    std::atomic<int64_t> m_failed{0};
    std::atomic<int64_t> m_prunes{0};
    std::atomic<int64_t> m_itemsWritten{0};
    std::atomic<int64_t> m_writeNs{0};
    std::unique_ptr<QThread> m_thread;
    HistoryWorker* m_worker = nullptr;  // lives on m_thread
};

// The worker on the writer's thread: the store, the batch timer, what
// waits for a retry.
class HistoryWorker final : public QObject {
    Q_OBJECT
  public:
    explicit HistoryWorker(HistoryWriter& owner);
    ~HistoryWorker() override;

    Result<bool> Open();
    // One batch: the retry and what is queued, in one transaction.
    bool WriteBatch();
    void Stop();

  private:
    void Note(const std::string& text);
    void PruneIfDue();
    int64_t Now() const;

    HistoryWriter& m_owner;
    std::unique_ptr<HistoryStore> m_store;
    std::vector<HistoryItem> m_waiting;
    std::set<std::string> m_kindsNoted;
    bool m_failing = false;
    bool m_droppedNoted = false;
    int64_t m_nextPrune = 0;
    int m_timer = 0;

  protected:
    void timerEvent(QTimerEvent*) override;
};

}  // namespace tavrin
