#pragma once

// The Admin Port between the manager and the shell that runs it: the shell
// listens, holds the connections and their timers and reports what happens
// (AdminPortEvents); the manager's side tells it what to send, when to close
// and which timers to run (AdminPort).

#include <string>
#include <string_view>

#include "manager/admin_effects.h"

namespace tavrin {

// What the shell reports, each on the main thread.
class AdminPortEvents {
  public:
    virtual ~AdminPortEvents() = default;
    // Asked before a connection is accepted: false refuses it at once.
    virtual bool AcceptsAdmin() const = 0;
    // A connection is up; `address` is the peer's address.
    virtual void AdminConnected(ConnectionId id, std::string address) = 0;
    virtual void AdminBytes(ConnectionId id, std::string_view bytes) = 0;
    virtual void AdminTimerFired(ConnectionId id, AdminTimer timer) = 0;
    // The connection has ended, whoever ended it.
    virtual void AdminDisconnected(ConnectionId id) = 0;
    // Something of the port itself worth an event-log line (a port that
    // cannot be opened, a connection that stopped reading its replies).
    virtual void AdminPortNote(const std::string& text) = 0;
};

// The listener and the connections, as the manager drives them.
class AdminPort {
  public:
    virtual ~AdminPort() = default;
    // Starts or stops listening; connected admins stay connected either way.
    // Returns whether the port is listening afterwards.
    virtual bool SetListening(bool on) = 0;
    virtual bool Listening() const = 0;

    virtual void SendFrame(ConnectionId id, std::string bytes) = 0;
    virtual void StartTimer(ConnectionId id, AdminTimer timer, int ms) = 0;
    virtual void StopTimer(ConnectionId id, AdminTimer timer) = 0;
    // Writes what is pending, then closes; AdminDisconnected follows (later,
    // never from inside this call).
    virtual void Close(ConnectionId id) = 0;
};

}  // namespace tavrin
