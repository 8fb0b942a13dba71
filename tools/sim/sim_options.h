#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "sim/sim_session.h"

namespace tavrin::sim {

struct SimOptions {
    uint16_t port = 40000;
    std::string bind = "127.0.0.1";
    std::vector<Account> accounts;  // the default account when none is given
    std::optional<uint32_t> seed;
    int controlPort = -1;  // -1: no control port; 0: one the system picks
    int tickMs = 1000;     // 0: the game stands still
    int refuseSeconds = 0;
    // Limits that keep one silent or slow client from holding the sim.
    int loginTimeoutMs = 10000;    // a connection not logged in by then is closed; 0: never
    int idleTimeoutMs = 60000;     // a silent admin yields to a waiting one; 0: never
    int maxWaiting = 8;            // connections waiting for the slot; later ones are closed
    int maxOutputBytes = 1 << 20;  // unsent bytes a client may leave before it is dropped
    bool menu = false;
    FaultState faults;
};

inline constexpr std::string_view kDefaultUser = "username";
inline constexpr std::string_view kDefaultPassword = "pinecode";

struct OptionsResult {
    SimOptions options;
    bool help = false;
    std::string error;  // empty when the options are good
};

// The command line, without the program name.
OptionsResult ParseOptions(std::span<const std::string> args);

std::string_view UsageText();

}  // namespace tavrin::sim
