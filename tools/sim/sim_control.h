#pragma once

#include <string>
#include <string_view>

#include "sim/sim_game.h"
#include "sim/sim_session.h"

namespace tavrin::sim {

// What a control line asks of the server beyond the fault switches.
enum class ControlAction { None, Close, Reset, BadHeader, Refuse, Status, Push, Flood };

struct ControlResult {
    std::string reply;  // one line; empty for a blank control line
    ControlAction action = ControlAction::None;
    int seconds = 0;   // for Refuse
    std::string text;  // for Push: the frame's text, escapes resolved
};

// Applies one control line ("stall on", "refuse 5", ...): fault switches are
// set here, connection actions are returned for the server to carry out.
ControlResult ApplyControl(std::string_view line, FaultState& faults, SimGame& game);

// The "status" line.
std::string StatusText(const FaultState& faults, const SimGame& game, bool connected, bool loggedIn,
                       int refuseSecondsLeft, size_t waiting = 0);

std::string_view ControlHelp();

}  // namespace tavrin::sim
