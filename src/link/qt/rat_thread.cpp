#include "link/qt/rat_thread.h"

#include <QMetaObject>
#include <QSocketNotifier>
#include <condition_variable>
#include <cstring>

namespace tavrin {

std::atomic<int> CRATThread::s_count{0};

namespace {

// Reads per readable notification: a server that streams without a pause
// must not keep the worker from its requests (a close above all).
constexpr int kMaxReadsPerWake = 64;

}  // namespace

struct CRATThread::Handoff {
    std::mutex mutex;
    std::condition_variable handled;
    bool done = false;
    bool abandoned = false;
};

CRATThread::CRATThread(std::string host, int port, QObject* receiver, RatThreadEvents& events)
    : m_host(std::move(host)), m_port(port), m_receiver(receiver), m_events(events) {
    ++s_count;
    m_thread.setObjectName(QStringLiteral("RatThread"));
}

CRATThread::~CRATThread() {
    // The worker may be waiting for the main thread to take an event; that
    // wait ends here, so the thread can always be joined.
    Abandon();
    m_thread.quit();
    m_thread.wait();
    m_stream.Close();
    --s_count;
}

void CRATThread::Start() {
    moveToThread(&m_thread);
    connect(&m_thread, &QThread::started, this, &CRATThread::InitInstance);
    m_thread.start();
}

void CRATThread::PostCloseRequest() {
    m_closeRequested = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_socket && m_socket->m_fConnected) {
                m_socket->m_fConnected = false;
                m_stream.ShutdownSend();
            }
            EndLoop();
        },
        Qt::QueuedConnection);
}

void CRATThread::PostFrame(std::string frame) {
    QMetaObject::invokeMethod(
        this,
        [this, frame = std::move(frame)]() mutable {
            if (!m_socket || m_ended) return;
            m_socket->SendFrame(std::move(frame));
            WatchWrites();
            UpdateSnapshot();
        },
        Qt::QueuedConnection);
}

void CRATThread::PostIgnore(bool ignore) {
    QMetaObject::invokeMethod(
        this,
        [this, ignore] {
            if (m_socket) m_socket->m_fIgnore = ignore;
            UpdateSnapshot();
        },
        Qt::QueuedConnection);
}

void CRATThread::Deliver(std::function<void()> call) {
    auto handoff = std::make_shared<Handoff>();
    {
        std::lock_guard lock(m_handoffMutex);
        if (m_abandoned) return;
        m_handoff = handoff;
    }
    QMetaObject::invokeMethod(
        m_receiver,
        [this, handoff, call = std::move(call)] {
            {
                std::lock_guard lock(handoff->mutex);
                if (handoff->abandoned) return;  // the worker no longer waits
            }
            if (m_events.IsCurrentWorker(this)) call();
            {
                std::lock_guard lock(handoff->mutex);
                handoff->done = true;
            }
            handoff->handled.notify_one();
        },
        Qt::QueuedConnection);
    // The worker waits until the main thread has handled the event.
    std::unique_lock lock(handoff->mutex);
    handoff->handled.wait(lock, [&] { return handoff->done || handoff->abandoned; });
}

void CRATThread::Abandon() {
    std::lock_guard lock(m_handoffMutex);
    m_abandoned = true;
    if (!m_handoff) return;
    {
        std::lock_guard handoffLock(m_handoff->mutex);
        m_handoff->abandoned = true;
    }
    m_handoff->handled.notify_one();
}

void CRATThread::InitInstance() {
    m_threadId = reinterpret_cast<quintptr>(QThread::currentThreadId());
    m_socket = std::make_unique<CRatSocket>(m_stream, static_cast<RatSocketEvents&>(*this));

    const PosixStream::ConnectStart start = m_stream.Connect(m_host, m_port);
    if (start.state == PosixStream::Connecting::Failed) {
        const int code = start.code;
        Deliver([this, code] { m_events.RatSocketError(code, kOriginThreadInit); });
        EndLoop();
        return;
    }
    if (start.state == PosixStream::Connecting::Connected) {
        m_socket->m_fGameMode = true;
        m_socket->m_fIgnore = false;
    }
    m_readNotifier = new QSocketNotifier(m_stream.Handle(), QSocketNotifier::Read, this);
    m_writeNotifier = new QSocketNotifier(m_stream.Handle(), QSocketNotifier::Write, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &CRATThread::HandleReadable);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &CRATThread::HandleWritable);
    m_connecting = start.state == PosixStream::Connecting::InProgress;
    if (!m_connecting) OnConnect(0);
    UpdateSnapshot();
}

void CRATThread::HandleWritable() {
    if (m_connecting) {
        m_connecting = false;
        const int error = m_stream.ConnectResult();
        OnConnect(error);
        if (error != 0) {
            EndLoop();
            return;
        }
    } else if (m_socket) {
        m_socket->OnSend(0);
    }
    WatchWrites();
    UpdateSnapshot();
}

void CRATThread::WatchWrites() {
    // Writable notifications are wanted only while a frame waits for room.
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(!m_ended && (m_connecting || m_socket->PendingFrames() > 0));
}

void CRATThread::HandleReadable() {
    if (m_ended || !m_socket) return;
    // A refused connect makes the socket readable as well as writable, and
    // either notification may come first: the connect's outcome is reported
    // before anything is read.
    if (m_connecting) {
        HandleWritable();
        if (m_ended) return;
    }
    m_readNotifier->setEnabled(false);
    // Reads as soon as bytes are there: the frame reader joins a frame that
    // arrives in pieces. A bounded number of reads per notification lets the
    // thread's requests in between.
    for (int reads = 0; reads < kMaxReadsPerWake && !m_closeRequested; ++reads) {
        if (!m_socket->OnReceive(0)) {
            // End of stream, a failed read or a broken frame: the peer's close.
            OnClose(m_socket->m_lastErrorCode);
            return;
        }
        if (m_ended || m_stream.Available() <= 0) break;
    }
    if (!m_ended) m_readNotifier->setEnabled(true);
    UpdateSnapshot();
}

void CRATThread::OnConnect(int error) {
    if (error == 0) {
        m_socket->m_fConnected = true;
        Deliver([this] { m_events.RatConnected(); });
    } else {
        m_socket->m_fConnected = false;
        Deliver([this, error] { m_events.RatSocketError(error, kOriginConnect); });
    }
    m_socket->m_lastErrorCode = error;
}

void CRATThread::OnClose(int error) {
    if (m_socket) {
        m_socket->m_fConnected = false;
        m_socket->m_lastErrorCode = error;
    }
    m_stream.ShutdownSend();
    EndLoop();
}

void CRATThread::EndLoop() {
    if (m_ended) return;
    m_ended = true;
    delete m_readNotifier;
    delete m_writeNotifier;
    m_readNotifier = m_writeNotifier = nullptr;
    m_stream.Close();
    UpdateSnapshot();
    const int last = m_socket ? m_socket->m_lastErrorCode : 0;
    const int code = last > 10000 ? last : 0;
    Deliver([this, code] { m_events.RatSocketClosed(code); });
    emit ended();
}

void CRATThread::RatFrameReceived(const std::string& text) {
    Deliver([this, &text] { m_events.RatFrameReceived(text); });
}

void CRATThread::RatFrameIgnored(const std::string& text) {
    Deliver([this, &text] { m_events.RatFrameIgnored(text); });
}

void CRATThread::RatTcpStackFull(int error, int origin) {
    Deliver([this, error, origin] { m_events.RatTcpStackFull(error, origin); });
}

void CRATThread::RatSendNotCompleted(int error, int origin) {
    Deliver([this, error, origin] { m_events.RatSendNotCompleted(error, origin); });
}

void CRATThread::RatSocketError(int error, int origin) {
    Deliver([this, error, origin] { m_events.RatSocketError(error, origin); });
}

void CRATThread::UpdateSnapshot() {
    std::lock_guard lock(m_snapshotMutex);
    if (m_socket) m_snapshot = m_socket->Snapshot();
}

RatSocketSnapshot CRATThread::Snapshot() const {
    std::lock_guard lock(m_snapshotMutex);
    return m_snapshot;
}

}  // namespace tavrin
