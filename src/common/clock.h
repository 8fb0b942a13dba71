#pragma once

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

// The source of "now". The system clock in the program, a hand-set clock in tests.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual LocalTime Now() const = 0;
};

// Reads the host's local time.
class SystemClock final : public Clock {
  public:
    LocalTime Now() const override;
};

// A clock that shows whatever a test sets.
class ManualClock final : public Clock {
  public:
    explicit ManualClock(LocalTime t = {}) : m_now(t) {}
    LocalTime Now() const override { return m_now; }
    void Set(LocalTime t) { m_now = t; }

  private:
    LocalTime m_now;
};

// DD-MM-YY and HH:MM:SS of one reading of the clock.
void GetDateTimeTexts(const Clock& clock, std::string& date, std::string& time);
std::string DateText(const LocalTime& t);
std::string TimeText(const LocalTime& t);

}  // namespace tavrin
