#include "history/qt/history_reader.h"

#include <QMetaObject>

#include "history/qt/history_store.h"

namespace tavrin {

HistoryReader::HistoryReader(HistoryTarget target, std::string password)
    : m_target(std::move(target)),
      m_password(std::move(password)),
      m_thread(std::make_unique<QThread>()),
      m_worker(new QObject),
      m_store(std::make_shared<std::unique_ptr<HistoryStore>>()) {
    m_thread->setObjectName(QStringLiteral("history reader"));
    m_worker->moveToThread(m_thread.get());
    m_thread->start();
}

HistoryReader::~HistoryReader() {
    // The store's connection is closed on the thread that opened it.
    QMetaObject::invokeMethod(
        m_worker,
        [store = m_store, worker = m_worker] {
            store->reset();
            delete worker;
        },
        Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
}

void HistoryReader::Post(std::function<void(HistoryStore*)> work) {
    QMetaObject::invokeMethod(
        m_worker,
        [store = m_store, target = m_target, password = m_password, work = std::move(work)] {
            if (!*store || !(*store)->IsOpen()) {
                *store = std::make_unique<HistoryStore>(target, password);
                if (!(*store)->Open()) store->reset();
            }
            work(store->get());
        },
        Qt::QueuedConnection);
}

quint64 HistoryReader::FindPlayers(const std::string& part) {
    const quint64 request = m_next++;
    Post([this, request, part](HistoryStore* store) {
        emit playersFound(request, store ? store->FindPlayers(part) : std::vector<PlayerSummary>());
    });
    return request;
}

quint64 HistoryReader::ReadPlayer(const std::string& server, const std::string& name) {
    const quint64 request = m_next++;
    Post([this, request, server, name](HistoryStore* store) {
        if (!store) {
            emit playerRead(request, {}, {});
            return;
        }
        emit playerRead(request, SessionsOn(store->Sessions(name), server),
                        SanctionsOn(store->Sanctions(name), server));
    });
    return request;
}

quint64 HistoryReader::ReadCounts(const std::string& server, int64_t from, int64_t to) {
    const quint64 request = m_next++;
    Post([this, request, server, from, to](HistoryStore* store) {
        emit countsRead(request,
                        store ? store->Counts(server, from, to) : std::vector<CountRecord>());
    });
    return request;
}

quint64 HistoryReader::ReadMark(const std::string& name) {
    const quint64 request = m_next++;
    Post([this, request, name](HistoryStore* store) {
        emit markRead(
            request, name,
            store ? PlayerMarkOf(store->Sessions(name), store->Sanctions(name)) : PlayerMark());
    });
    return request;
}

}  // namespace tavrin
