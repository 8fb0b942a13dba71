#pragma once

#include <QObject>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "link/qt/link_worker.h"
#include "link/qt/posix_stream.h"
#include "link/rat_socket.h"

class QSocketNotifier;

namespace tavrin {

// One connection attempt to the game server on a thread of its own: a
// non-blocking TCP socket, watched by socket notifiers in the thread's event
// loop. It ends with its connection.
class CRATThread final : public LinkWorker, private RatSocketEvents {
    Q_OBJECT
  public:
    // `receiver` lives on the main thread; events are delivered through it.
    CRATThread(std::string host, int port, QObject* receiver, RatThreadEvents& events);
    ~CRATThread() override;

    // Starts the thread; the connection is made there.
    void Start() override;
    // Requests, posted to the worker's thread.
    void PostCloseRequest() override;
    void PostFrame(std::string frame) override;
    void PostIgnore(bool ignore) override;

    RatSocketSnapshot Snapshot() const override;
    quintptr ThreadId() const override { return m_threadId.load(); }

    // Live workers in the process.
    static int Count() { return s_count.load(); }

  private:
    void InitInstance();
    void HandleReadable();
    void HandleWritable();
    void OnConnect(int error);
    void OnClose(int error);
    void EndLoop();
    void UpdateSnapshot();
    void WatchWrites();

    // RatSocketEvents: delivered synchronously to the main thread.
    void RatFrameReceived(const std::string& text) override;
    void RatFrameIgnored(const std::string& text) override;
    void RatTcpStackFull(int error, int origin) override;
    void RatSendNotCompleted(int error, int origin) override;
    void RatSocketError(int error, int origin) override;

    // Runs `call` on the main thread and waits until it has run, unless the
    // worker is abandoned meanwhile (the program is closing).
    void Deliver(std::function<void()> call);
    // Ends every wait for the main thread, now and later; main thread only.
    void Abandon();

    struct Handoff;

    std::string m_host;
    int m_port;
    QObject* m_receiver;
    RatThreadEvents& m_events;

    QThread m_thread;
    PosixStream m_stream;
    QSocketNotifier* m_readNotifier = nullptr;
    QSocketNotifier* m_writeNotifier = nullptr;
    std::unique_ptr<CRatSocket> m_socket;
    bool m_connecting = false;
    bool m_ended = false;
    // Set from the main thread: the read loop gives way to the close request.
    std::atomic<bool> m_closeRequested{false};

    std::mutex m_handoffMutex;
    std::shared_ptr<Handoff> m_handoff;
    bool m_abandoned = false;  // guarded by m_handoffMutex

    mutable std::mutex m_snapshotMutex;
    RatSocketSnapshot m_snapshot;
    std::atomic<quintptr> m_threadId{0};

    static std::atomic<int> s_count;
};

}  // namespace tavrin
