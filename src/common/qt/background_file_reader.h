#pragma once

// Reading large files away from the main thread.

#include <QObject>
#include <QString>
#include <QThread>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace tavrin {

// A named thread of its own that reads files in chunks, one job after
// another. Each chunk goes to the job's function on that thread; the main
// thread hears of the progress and of the end by signals. A cancelled job
// stops before its next chunk. The thread is stopped and joined when the
// reader goes, after cancelling what it was reading.
class BackgroundFileReader final : public QObject {
    Q_OBJECT

  public:
    enum class Outcome { Done, Cancelled, Unreadable };
    // Runs on the reader's thread, with the next bytes of the file in order.
    using Chunk = std::function<void(std::string_view bytes)>;
    static constexpr uint64_t kToEnd = UINT64_MAX;

    explicit BackgroundFileReader(const QString& threadName, QObject* parent = nullptr);
    ~BackgroundFileReader() override;

    // Reads bytes [from, to) of the file (to its end as it is when the job
    // begins, for kToEnd), `chunkBytes` at a time. Returns the job's number,
    // which its signals carry.
    uint64_t Start(const std::string& path, uint64_t from, uint64_t to, Chunk chunk,
                   size_t chunkBytes = size_t{1} << 20);
    // Cancels every job started so far.
    void Cancel();
    // Whether a job has not yet reported its end.
    bool Busy() const { return m_unfinished > 0; }

  signals:
    // Bytes of the job's range read so far, of `total`.
    void progressed(quint64 job, qint64 done, qint64 total);
    // The job's end; its chunk function is not called any more.
    void finished(quint64 job, tavrin::BackgroundFileReader::Outcome outcome);

  private:
    struct ThreadStop {
        void operator()(QThread* thread) const;
    };

    Outcome Read(uint64_t job, const std::string& path, uint64_t from, uint64_t to,
                 const Chunk& chunk, size_t chunkBytes);

    std::unique_ptr<QThread, ThreadStop> m_thread;
    QObject* m_worker = nullptr;  // lives on m_thread, deleted when it ends
    std::atomic<uint64_t> m_cancelledUpTo{0};
    uint64_t m_lastJob = 0;
    int m_unfinished = 0;
};

}  // namespace tavrin
