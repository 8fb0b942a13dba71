#pragma once

#include <chrono>
#include <string>

namespace tavrin {

// Local calendar time, as the clock reads it once.
struct LocalTime {
    int year = 2000;  // four digits
    int month = 1;    // 1..12
    int day = 1;      // 1..31
    int hour = 0;     // 0..23
    int minute = 0;
    int second = 0;
};

using Millis = std::chrono::milliseconds;

// The source of time: the local calendar time that fields and log lines show,
// and the elapsed time that time limits (the manager's login deadline and
// refusals) count, which never goes back whatever the wall clock does. The
// system clocks in the program, a hand-set clock in tests.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual LocalTime Now() const = 0;
    // Time since some fixed moment.
    virtual Millis Elapsed() const = 0;
};

// Reads the host's local time and its steady clock.
class SystemClock final : public Clock {
  public:
    LocalTime Now() const override;
    Millis Elapsed() const override {
        return std::chrono::duration_cast<Millis>(
            std::chrono::steady_clock::now().time_since_epoch());
    }
};

// A clock that shows whatever a test sets: a calendar time it sets and an
// elapsed time it moves on by hand, each apart from the other.
class ManualClock final : public Clock {
  public:
    explicit ManualClock(LocalTime t = {}) : m_now(t) {}
    LocalTime Now() const override { return m_now; }
    Millis Elapsed() const override { return m_elapsed; }
    void Set(LocalTime t) { m_now = t; }
    void Advance(Millis by) { m_elapsed += by; }

  private:
    LocalTime m_now;
    Millis m_elapsed{1'000'000};
};

// DD-MM-YY and HH:MM:SS of one reading of the clock.
void GetDateTimeTexts(const Clock& clock, std::string& date, std::string& time);
std::string DateText(const LocalTime& t);
std::string TimeText(const LocalTime& t);

}  // namespace tavrin
