#include "history/qt/history_writer.h"

#include <QMetaObject>
#include <QTimerEvent>
#include <chrono>
#include <ctime>

namespace tavrin {

HistoryWriter::HistoryWriter(HistoryWriterOptions options) : m_options(std::move(options)) {
    if (!m_options.utcNow)
        m_options.utcNow = [] { return static_cast<int64_t>(std::time(nullptr)); };
}

HistoryWriter::~HistoryWriter() {
    if (!m_thread) return;
    // What is queued is written before the thread ends.
    QMetaObject::invokeMethod(
        m_worker,
        [this] {
            m_worker->WriteBatch();
            m_worker->Stop();
            delete m_worker;
        },
        Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
}

Result<bool> HistoryWriter::Start() {
    m_thread = std::make_unique<QThread>();
    m_thread->setObjectName(QStringLiteral("history writer"));
    m_worker = new HistoryWorker(*this);
    m_worker->moveToThread(m_thread.get());
    m_thread->start();
    Result<bool> opened = Result<bool>::Success(true);
    QMetaObject::invokeMethod(
        m_worker, [this, &opened] { opened = m_worker->Open(); }, Qt::BlockingQueuedConnection);
    if (!opened) {
        QMetaObject::invokeMethod(
            m_worker,
            [this] {
                m_worker->Stop();
                delete m_worker;
            },
            Qt::BlockingQueuedConnection);
        m_thread->quit();
        m_thread->wait();
        m_thread.reset();
        m_worker = nullptr;
    }
    return opened;
}

void HistoryWriter::Add(std::vector<HistoryItem> items) {
    if (items.empty()) return;
    std::lock_guard lock(m_mutex);
    m_queued.push_back(std::move(items));
}

std::vector<HistoryItem> HistoryWriter::TakeQueued() {
    std::vector<std::vector<HistoryItem>> batches;
    {
        std::lock_guard lock(m_mutex);
        batches = std::exchange(m_queued, {});
    }
    // Joined here, on the writer's thread, in the order they came.
    if (batches.size() == 1) return std::move(batches.front());
    size_t total = 0;
    for (const auto& batch : batches) total += batch.size();
    std::vector<HistoryItem> items;
    items.reserve(total);
    for (auto& batch : batches)
        items.insert(items.end(), std::make_move_iterator(batch.begin()),
                     std::make_move_iterator(batch.end()));
    return items;
}

bool HistoryWriter::Flush() {
    if (!m_thread) return false;
    bool ok = false;
    QMetaObject::invokeMethod(
        m_worker, [this, &ok] { ok = m_worker->WriteBatch(); }, Qt::BlockingQueuedConnection);
    return ok;
}

HistoryWorker::HistoryWorker(HistoryWriter& owner) : m_owner(owner) {}

HistoryWorker::~HistoryWorker() = default;

int64_t HistoryWorker::Now() const {
    return m_owner.m_options.utcNow();
}

Result<bool> HistoryWorker::Open() {
    m_store = std::make_unique<HistoryStore>(m_owner.m_options.target, m_owner.m_options.password);
    Result<bool> opened = m_store->Open();
    if (!opened) {
        // A shared server that is down now is tried again with every batch,
        // as when it goes away later; a file that cannot be opened, or a
        // schema that is refused, keeps no history.
        if (m_owner.m_options.target.dialect != HistoryDialect::PostgreSQL ||
            !m_store->Unreachable())
            return opened;
        m_kindsNoted.insert("connection");
        m_failing = true;
        Note("History not written yet, tried again every batch: " + opened.failure());
    }
    PruneIfDue();
    m_timer = startTimer(m_owner.m_options.batchMs);
    return Result<bool>::Success(true);
}

void HistoryWorker::Stop() {
    if (m_timer) killTimer(m_timer);
    m_timer = 0;
    m_store.reset();
}

void HistoryWorker::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_timer) return;
    WriteBatch();
    PruneIfDue();
}

void HistoryWorker::Note(const std::string& text) {
    emit m_owner.noteWritten(QString::fromStdString(text));
}

void HistoryWorker::PruneIfDue() {
    const int keepDays = m_owner.m_options.keepDays;
    if (keepDays <= 0 || !m_store || !m_store->IsOpen()) return;
    const int64_t now = Now();
    if (now < m_nextPrune) return;
    if (auto failure = m_store->DeleteOlderThan(now - int64_t{keepDays} * 86400)) {
        if (m_kindsNoted.insert("prune " + failure->kind).second)
            Note("History: old rows could not be deleted: " + failure->text);
        return;  // tried again with the next batch
    }
    m_nextPrune = now + 86400;
    ++m_owner.m_prunes;
}

bool HistoryWorker::WriteBatch() {
    std::vector<HistoryItem> queued = m_owner.TakeQueued();
    if (m_waiting.empty()) {
        m_waiting = std::move(queued);
    } else {
        m_waiting.insert(m_waiting.end(), std::make_move_iterator(queued.begin()),
                         std::make_move_iterator(queued.end()));
    }
    // A session written again as it grows needs only its newest copy.
    KeepNewestSessions(m_waiting);
    // The cap bounds what waits for a database that fails; a writer that
    // has not failed writes whatever came since its last batch, however much.
    if (m_failing && m_waiting.size() > HistoryWriter::kMaxWaiting) {
        const size_t drop = m_waiting.size() - HistoryWriter::kMaxWaiting;
        m_waiting.erase(m_waiting.begin(), m_waiting.begin() + static_cast<std::ptrdiff_t>(drop));
        if (!m_droppedNoted) {
            m_droppedNoted = true;
            Note(
                "History: the database has not been written for long; the oldest records are "
                "dropped");
        }
    }
    if (m_waiting.empty() || !m_store) return m_store != nullptr;
    const bool server = m_owner.m_options.target.dialect == HistoryDialect::PostgreSQL;
    const auto began = std::chrono::steady_clock::now();
    std::optional<HistoryFailure> failure;
    if (!m_store->IsOpen()) {
        if (auto opened = m_store->Open(); !opened)
            failure = HistoryFailure{"connection", opened.failure()};
    }
    if (!failure) failure = m_store->Write(m_waiting);
    if (failure && server && failure->kind != "connection") {
        // A server that went away fails a write first, then every connection
        // attempt: one cause, one note. A server that is there is written
        // on a fresh connection next time.
        m_store->Close();
        if (auto opened = m_store->Open(); !opened)
            failure = HistoryFailure{"connection", opened.failure()};
    }
    if (failure) {
        ++m_owner.m_failed;
        if (m_kindsNoted.insert(failure->kind).second)
            Note("History not written, tried again every batch: " + failure->text);
        m_failing = true;
        return false;
    }
    m_owner.m_writeNs += std::chrono::duration_cast<std::chrono::nanoseconds>(
                             std::chrono::steady_clock::now() - began)
                             .count();
    m_owner.m_itemsWritten += static_cast<int64_t>(m_waiting.size());
    m_waiting.clear();
    ++m_owner.m_written;
    if (m_failing) {
        m_failing = false;
        m_kindsNoted.clear();
        m_droppedNoted = false;
        Note("History written again");
    }
    return true;
}

}  // namespace tavrin
