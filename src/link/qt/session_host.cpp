#include "link/qt/session_host.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>

namespace tavrin {

namespace {
constexpr int kWorkerWaitMs = 1000;
}

QtSessionHost::QtSessionHost() {
    m_waitBound.setSingleShot(true);
    connect(&m_waitBound, &QTimer::timeout, this, &QtSessionHost::ReleaseWaits);
}

QtSessionHost::~QtSessionHost() = default;

void QtSessionHost::StartTimer(TimerId id, int periodMs) {
    auto& timer = m_timers[id];
    if (!timer) {
        timer = std::make_unique<QTimer>();
        // A coarse timer may fire up to 5 % early, which would cut the pauses
        // between paced commands short on the wire.
        timer->setTimerType(Qt::PreciseTimer);
        connect(timer.get(), &QTimer::timeout, this, [this, id] {
            if (m_listener) m_listener->TimerFired(id);
        });
    }
    timer->start(periodMs);
}

void QtSessionHost::StopTimer(TimerId id) {
    auto it = m_timers.find(id);
    if (it != m_timers.end()) it->second->stop();
}

void QtSessionHost::StartWorker(const LoginDetails& details, int port) {
    if (m_listener) m_listener->ConnectionStarted();
    auto& events = static_cast<RatThreadEvents&>(*this);
    std::unique_ptr<LinkWorker> worker =
        m_factory ? m_factory(details.address, port, this, events)
                  : std::make_unique<CRATThread>(details.address, port, this, events);
    LinkWorker* raw = worker.get();
    connect(
        raw, &LinkWorker::ended, this, [this, raw] { WorkerEnded(raw); }, Qt::QueuedConnection);
    m_current = raw;
    m_workers.push_back(std::move(worker));
    raw->Start();
}

void QtSessionHost::PostCloseRequest() {
    if (m_current) m_current->PostCloseRequest();
}

void QtSessionHost::WaitForWorkers(std::function<void()> then) {
    if (m_workers.empty()) {
        then();
        return;
    }
    m_waits.push_back(std::move(then));
    if (!m_waitBound.isActive()) m_waitBound.start(kWorkerWaitMs);
}

void QtSessionHost::WorkerEnded(LinkWorker* worker) {
    if (m_current == worker) m_current = nullptr;
    for (auto it = m_workers.begin(); it != m_workers.end(); ++it) {
        if (it->get() == worker) {
            m_workers.erase(it);  // joins the finished thread
            break;
        }
    }
    if (m_workers.empty()) ReleaseWaits();
}

void QtSessionHost::ReleaseWaits() {
    m_waitBound.stop();
    auto ready = std::move(m_waits);
    m_waits.clear();
    for (auto& then : ready) then();
}

void QtSessionHost::WaitForWorkersInPlace(int ms) {
    WaitForWorkersInPlace({this}, ms);
}

void QtSessionHost::WaitForWorkersInPlace(const std::vector<QtSessionHost*>& hosts, int ms) {
    for (QtSessionHost* host : hosts)
        for (auto& w : host->m_workers) w->PostCloseRequest();
    const auto alive = [&hosts] {
        return std::any_of(hosts.begin(), hosts.end(),
                           [](const QtSessionHost* h) { return !h->m_workers.empty(); });
    };
    QElapsedTimer timer;
    timer.start();
    while (alive() && timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

void QtSessionHost::SendFrame(std::string frame) {
    if (m_current) m_current->PostFrame(std::move(frame));
}

void QtSessionHost::SetIgnoreReplies(bool ignore) {
    if (m_current) m_current->PostIgnore(ignore);
}

void QtSessionHost::FieldChanged(Field field, const std::string& text) {
    if (m_listener) m_listener->FieldChanged(field, text);
}

void QtSessionHost::ControlChanged(Control control, bool on) {
    if (m_listener) m_listener->ControlChanged(control, on);
}

void QtSessionHost::ReplyRouted(const RouteResult& result, const std::string& text) {
    if (m_listener) m_listener->ReplyRouted(result, text);
}

void QtSessionHost::RemoteRights(uint32_t rights) {
    if (m_listener) m_listener->RemoteRights(rights);
}

WorkerInfo QtSessionHost::CurrentWorkerInfo() const {
    WorkerInfo w;
    w.threadCount = CRATThread::Count();
    if (m_current) {
        w.present = true;
        w.reference = reinterpret_cast<unsigned long long>(m_current);
        w.threadId = m_current->ThreadId();
        w.socket = m_current->Snapshot();
    }
    return w;
}

// Events from the workers go to the session as they come.
void QtSessionHost::RatConnected() {
    if (m_session) m_session->OnRatConnected();
}
void QtSessionHost::RatSocketError(int code, int origin) {
    if (m_session) m_session->OnRatSocketError(code, origin);
}
void QtSessionHost::RatFrameReceived(const std::string& text) {
    if (m_session) m_session->OnRatFrameReceived(text);
}
void QtSessionHost::RatFrameIgnored(const std::string& text) {
    if (m_session) m_session->OnRatFrameIgnored(text);
}
void QtSessionHost::RatSocketClosed(int code) {
    if (m_session) m_session->OnRatSocketClosed(code);
}
void QtSessionHost::RatTcpStackFull(int error, int origin) {
    if (m_session) m_session->OnRatTcpStackFull(error, origin);
}
void QtSessionHost::RatSendNotCompleted(int error, int origin) {
    if (m_session) m_session->OnRatSendNotCompleted(error, origin);
}

}  // namespace tavrin
