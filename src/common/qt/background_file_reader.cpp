#include "common/qt/background_file_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>

namespace tavrin {

void BackgroundFileReader::ThreadStop::operator()(QThread* thread) const {
    thread->quit();
    thread->wait();
    delete thread;
}

BackgroundFileReader::BackgroundFileReader(const QString& threadName, QObject* parent)
    : QObject(parent), m_thread(new QThread) {
    m_thread->setObjectName(threadName);
    m_worker = new QObject;
    m_worker->moveToThread(m_thread.get());
    connect(m_thread.get(), &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread->start();
}

BackgroundFileReader::~BackgroundFileReader() {
    Cancel();
    m_thread.reset();  // joins: no job runs past this line
}

uint64_t BackgroundFileReader::Start(const std::string& path, uint64_t from, uint64_t to,
                                     Chunk chunk, size_t chunkBytes) {
    const uint64_t job = ++m_lastJob;
    ++m_unfinished;
    QMetaObject::invokeMethod(
        m_worker,
        [this, job, path, from, to, chunk = std::move(chunk), chunkBytes] {
            const Outcome outcome = Read(job, path, from, to, chunk, chunkBytes);
            QMetaObject::invokeMethod(
                this,
                [this, job, outcome] {
                    --m_unfinished;
                    emit finished(job, outcome);
                },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
    return job;
}

void BackgroundFileReader::Cancel() {
    m_cancelledUpTo.store(m_lastJob);
}

BackgroundFileReader::Outcome BackgroundFileReader::Read(uint64_t job, const std::string& path,
                                                         uint64_t from, uint64_t to,
                                                         const Chunk& chunk, size_t chunkBytes) {
    auto cancelled = [&] { return job <= m_cancelledUpTo.load(); };
    if (cancelled()) return Outcome::Cancelled;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Outcome::Unreadable;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Outcome::Unreadable;
    }
    const uint64_t end = std::min<uint64_t>(to, static_cast<uint64_t>(st.st_size));
    const qint64 total = static_cast<qint64>(end > from ? end - from : 0);
    std::string buffer(std::max<size_t>(chunkBytes, 1), '\0');
    Outcome outcome = Outcome::Done;
    for (uint64_t at = from; at < end;) {
        if (cancelled()) {
            outcome = Outcome::Cancelled;
            break;
        }
        const size_t want = static_cast<size_t>(std::min<uint64_t>(buffer.size(), end - at));
        const ssize_t n = ::pread(fd, buffer.data(), want, static_cast<off_t>(at));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            // A file cut shorter while it was read ends the job where it ends.
            if (n < 0) outcome = Outcome::Unreadable;
            break;
        }
        chunk(std::string_view(buffer.data(), static_cast<size_t>(n)));
        at += static_cast<uint64_t>(n);
        const qint64 done = static_cast<qint64>(at - from);
        QMetaObject::invokeMethod(
            this, [this, job, done, total] { emit progressed(job, done, total); },
            Qt::QueuedConnection);
    }
    ::close(fd);
    if (outcome == Outcome::Done && cancelled()) outcome = Outcome::Cancelled;
    return outcome;
}

}  // namespace tavrin
