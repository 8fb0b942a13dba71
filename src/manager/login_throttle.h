#pragma once

// Failed admin logins counted per address: five failures from one address
// within 60 seconds refuse that address for 5 minutes.

#include <chrono>
#include <cstddef>
#include <deque>
#include <string>
#include <unordered_map>

#include "common/clock.h"

namespace tavrin {

class LoginThrottle {
  public:
    struct Limits {
        size_t failures = 5;
        Millis window = std::chrono::seconds(60);
        Millis refusal = std::chrono::minutes(5);
        // Addresses remembered at most; past it the least useful are forgotten
        // (one whose failures have all aged out, else the longest quiet one).
        size_t maxAddresses = 4096;
    };

    explicit LoginThrottle(const Clock& clock) : LoginThrottle(clock, Limits{}) {}
    LoginThrottle(const Clock& clock, Limits limits) : m_clock(clock), m_limits(limits) {}

    // The address is refused now.
    bool Refused(const std::string& address) const;
    // How much longer it is refused (0 when it is not).
    Millis RefusedFor(const std::string& address) const;
    // Counts one failed login; true when this failure starts a refusal.
    bool RecordFailure(const std::string& address);

    size_t TrackedAddresses() const { return m_entries.size(); }
    const Limits& GetLimits() const { return m_limits; }

  private:
    struct Entry {
        std::deque<Millis> failures;  // within the window, oldest first
        Millis refusedUntil{0};
        Millis last{0};
    };
    bool Stale(const Entry& e, Millis now) const;
    void MakeRoom(Millis now);

    const Clock& m_clock;
    Limits m_limits;
    std::unordered_map<std::string, Entry> m_entries;
};

}  // namespace tavrin
