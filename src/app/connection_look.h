#pragma once

#include "link/session.h"

namespace tavrin {

// How the Connection field looks, so that the connection's state shows at a
// glance whatever its text says.
enum class ConnectionLook {
    Offline,       // not logged in and not reconnecting
    Connected,     // logged in
    Reconnecting,  // AutoRecon: a countdown runs or a reconnect attempt is under way
};

ConnectionLook LookOfConnection(const SessionState& state);

}  // namespace tavrin
