#pragma once

#include <string>

#include "link/reply_router.h"
#include "link/session_types.h"

namespace tavrin {

// What a session's host reports to the program that owns the session: each
// timer tick (the program hands the session's own timers on to it), each new
// connection, and what the session shows and routed. The console listens and acts on each before
// its front-end hears of it.
class SessionHostListener {
  public:
    virtual ~SessionHostListener() = default;
    virtual void TimerFired(TimerId id) = 0;
    // The session starts a connection (a Login, or AutoRecon's next
    // attempt); it has emptied what belonged to the last one.
    virtual void ConnectionStarted() = 0;
    virtual void FieldChanged(Field field, const std::string& text) = 0;
    virtual void ControlChanged(Control control, bool on) = 0;
    // A reply after login was paired and its meaning carried out.
    virtual void ReplyRouted(const RouteResult& result, const std::string& text) = 0;
    // A login through a manager was accepted with these account rights
    // (SessionHost::RemoteRights).
    virtual void RemoteRights(uint32_t /*rights*/) {}
};

}  // namespace tavrin
