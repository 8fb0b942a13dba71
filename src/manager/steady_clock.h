#pragma once

// Elapsed time for the manager's time limits: the login deadline and the
// refusal of an address after failed logins. It never goes back, whatever
// the wall clock does.

#include <chrono>

namespace tavrin {

using Millis = std::chrono::milliseconds;

class SteadyClock {
  public:
    virtual ~SteadyClock() = default;
    // Time since some fixed moment.
    virtual Millis Now() const = 0;
};

class SystemSteadyClock final : public SteadyClock {
  public:
    Millis Now() const override {
        return std::chrono::duration_cast<Millis>(
            std::chrono::steady_clock::now().time_since_epoch());
    }
};

// A clock a test moves by hand.
class ManualSteadyClock final : public SteadyClock {
  public:
    Millis Now() const override { return m_now; }
    void Advance(Millis by) { m_now += by; }

  private:
    Millis m_now{1'000'000};
};

}  // namespace tavrin
