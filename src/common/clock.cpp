#include "common/clock.h"

#include <cstdio>
#include <ctime>

namespace tavrin {

LocalTime SystemClock::Now() const {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                     tm.tm_hour,        tm.tm_min,     tm.tm_sec};
}

std::string DateText(const LocalTime& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d-%02d-%02d", t.day % 100, t.month % 100,
                  ((t.year % 100) + 100) % 100);
    return buf;
}

std::string TimeText(const LocalTime& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.hour % 100, t.minute % 100, t.second % 100);
    return buf;
}

void GetDateTimeTexts(const Clock& clock, std::string& date, std::string& time) {
    const LocalTime now = clock.Now();
    date = DateText(now);
    time = TimeText(now);
}

}  // namespace tavrin
