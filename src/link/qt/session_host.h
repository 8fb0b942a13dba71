#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "link/qt/rat_thread.h"
#include "link/session.h"
#include "link/session_host_listener.h"
#include "link/worker_info.h"

namespace tavrin {

// Runs a RatSession for real: Qt timers by number, one worker per connection
// attempt (a CRATThread to a game server, unless another transport is set), and the bounded wait
// for workers without blocking.
class QtSessionHost final : public QObject,
                            public SessionHost,
                            public WorkerInfoSource,
                            private RatThreadEvents {
    Q_OBJECT
  public:
    QtSessionHost();
    ~QtSessionHost() override;

    // The session that gets the workers' events, and the listener that hears
    // the ticks and the session's notices (both are made after their host).
    // Until a listener is set, what the host would report is dropped.
    void Attach(RatSession& session) { m_session = &session; }
    void SetListener(SessionHostListener& listener) { m_listener = &listener; }
    // The workers of later connection attempts come from `factory` (another
    // transport than the game server's); unset, a CRATThread.
    void SetWorkerFactory(LinkWorkerFactory factory) { m_factory = std::move(factory); }

    void StartTimer(TimerId id, int periodMs) override;
    void StopTimer(TimerId id) override;
    // Reported to the listener as a new connection, then run.
    void StartWorker(const LoginDetails& details, int port) override;
    bool HasWorker() const override { return m_current != nullptr; }
    void PostCloseRequest() override;
    void WaitForWorkers(std::function<void()> then) override;
    void SendFrame(std::string frame) override;
    void SetIgnoreReplies(bool ignore) override;
    void FieldChanged(Field field, const std::string& text) override;
    void ControlChanged(Control control, bool on) override;
    void ReplyRouted(const RouteResult& result, const std::string& text) override;
    void RemoteRights(uint32_t rights) override;

    // Workers still alive (the current one and any that are ending).
    int LiveWorkers() const { return static_cast<int>(m_workers.size()); }
    WorkerInfo CurrentWorkerInfo() const override;
    // Shutdown: waits in place (bounded) for the workers to end.
    void WaitForWorkersInPlace(int ms);
    // The same for several hosts at once: every worker is asked to end
    // first, then all end side by side within the one bound.
    static void WaitForWorkersInPlace(const std::vector<QtSessionHost*>& hosts, int ms);

  private:
    bool IsCurrentWorker(const LinkWorker* worker) const override { return worker == m_current; }
    void RatConnected() override;
    void RatSocketError(int code, int origin) override;
    void RatFrameReceived(const std::string& text) override;
    void RatFrameIgnored(const std::string& text) override;
    void RatSocketClosed(int code) override;
    void RatTcpStackFull(int error, int origin) override;
    void RatSendNotCompleted(int error, int origin) override;

    void WorkerEnded(LinkWorker* worker);
    void ReleaseWaits();

    SessionHostListener* m_listener = nullptr;
    RatSession* m_session = nullptr;
    std::map<TimerId, std::unique_ptr<QTimer>> m_timers;
    LinkWorkerFactory m_factory;
    std::vector<std::unique_ptr<LinkWorker>> m_workers;
    LinkWorker* m_current = nullptr;
    std::vector<std::function<void()>> m_waits;
    QTimer m_waitBound;
};

}  // namespace tavrin
