#include "app/connection_look.h"

namespace tavrin {

ConnectionLook LookOfConnection(const SessionState& state) {
    if (state.m_fRATConnected) return ConnectionLook::Connected;
    // The flag stays set from the loss through the countdown and every
    // attempt, until a login succeeds, the attempts run out or the user logs out.
    if (state.m_fAutoRecon) return ConnectionLook::Reconnecting;
    return ConnectionLook::Offline;
}

}  // namespace tavrin
