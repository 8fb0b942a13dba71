#pragma once

// What every round trip shares: the seeds its games are played with, and a
// test-side chooser that picks commands without touching the game's own dice.

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "sim/sim_game.h"

namespace tavrin::roundtrip {

// Seeds of the simulated games: each gives other player names, chat, cycle and
// scores, so together they cover what a single game happens not to show.
inline constexpr uint32_t kSeeds[] = {1, 7, 42, 1999, 2026, 31337, 90210, 4000000007u};

// Test-side dice, seeded apart from the game so that choosing a command does
// not change what the game does next.
class Chooser {
  public:
    explicit Chooser(uint32_t seed) : m_rng(seed ^ 0x5bd1e995u) {}

    int Between(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_rng); }
    bool OneIn(int n) { return Between(1, n) == 1; }
    template <class T>
    const T& Pick(const std::vector<T>& items) {
        return items[static_cast<size_t>(Between(0, static_cast<int>(items.size()) - 1))];
    }

  private:
    std::mt19937 m_rng;
};

inline std::string SeedName(uint32_t seed) {
    return "seed" + std::to_string(seed);
}

}  // namespace tavrin::roundtrip
