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
