#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "link/rat_socket.h"

namespace tavrin {

class LinkWorker;

// Where a worker's events go, on the main thread. A worker on a thread of
// its own waits for each call to return.
class RatThreadEvents {
  public:
    virtual ~RatThreadEvents() = default;
    // Only the current worker's events are delivered: those of a worker that
    // a newer one has replaced are stale.
    virtual bool IsCurrentWorker(const LinkWorker* worker) const = 0;
    virtual void RatConnected() = 0;
    virtual void RatSocketError(int code, int origin) = 0;
    virtual void RatFrameReceived(const std::string& text) = 0;
    virtual void RatFrameIgnored(const std::string& text) = 0;
    virtual void RatSocketClosed(int code) = 0;
    virtual void RatTcpStackFull(int error, int origin) = 0;
    virtual void RatSendNotCompleted(int error, int origin) = 0;
};

// One connection attempt: it connects, hands each frame it reads to its
// events, writes the frames it is given, and ends with its connection. The
// game server's worker runs a thread of its own; another transport may run on
// the main thread's event loop.
class LinkWorker : public QObject {
    Q_OBJECT
  public:
    ~LinkWorker() override = default;

    // Starts connecting.
    virtual void Start() = 0;
    // Requests: each is carried out after the current event.
    virtual void PostCloseRequest() = 0;
    virtual void PostFrame(std::string frame) = 0;
    // While set, complete replies are consumed and reported as ignored.
    virtual void PostIgnore(bool ignore) = 0;

    virtual RatSocketSnapshot Snapshot() const = 0;
    virtual quintptr ThreadId() const = 0;

  signals:
    // The worker has ended and its close has been reported.
    void ended();
};

// Makes the worker of one connection attempt to host:port; its events go
// through `receiver` (on the main thread) to `events`.
using LinkWorkerFactory = std::function<std::unique_ptr<LinkWorker>(
    const std::string& host, int port, QObject* receiver, RatThreadEvents& events)>;

}  // namespace tavrin
