#include "common/day_folders.h"

#include <chrono>
#include <filesystem>
#include <system_error>

namespace tavrin {
namespace {

int DaysSinceEpoch(int year, int month, int day) {
    using namespace std::chrono;
    const year_month_day date{std::chrono::year(year),
                              std::chrono::month(static_cast<unsigned>(month)),
                              std::chrono::day(static_cast<unsigned>(day))};
    return static_cast<int>(sys_days(date).time_since_epoch().count());
}

bool Digits(std::string_view two) {
    return two.size() == 2 && two[0] >= '0' && two[0] <= '9' && two[1] >= '0' && two[1] <= '9';
}

int TwoDigits(std::string_view two) {
    return (two[0] - '0') * 10 + (two[1] - '0');
}

}  // namespace

std::optional<int> DayFolderDay(std::string_view name) {
    if (name.size() != 8 || name[2] != '-' || name[5] != '-') return std::nullopt;
    const std::string_view dd = name.substr(0, 2), mm = name.substr(3, 2), yy = name.substr(6, 2);
    if (!Digits(dd) || !Digits(mm) || !Digits(yy)) return std::nullopt;
    const std::chrono::year_month_day date{std::chrono::year(2000 + TwoDigits(yy)),
                                           std::chrono::month(static_cast<unsigned>(TwoDigits(mm))),
                                           std::chrono::day(static_cast<unsigned>(TwoDigits(dd)))};
    if (!date.ok()) return std::nullopt;
    return DaysSinceEpoch(2000 + TwoDigits(yy), TwoDigits(mm), TwoDigits(dd));
}

int DayNumber(const LocalTime& t) {
    return DaysSinceEpoch(t.year, t.month, t.day);
}

std::vector<std::string> ExpiredDayFolders(const std::vector<std::string>& names,
                                           const LocalTime& today, int keepDays) {
    std::vector<std::string> expired;
    const int oldestKept = DayNumber(today) - keepDays;
    for (const std::string& name : names) {
        const std::optional<int> day = DayFolderDay(name);
        if (day && *day < oldestKept) expired.push_back(name);
    }
    return expired;
}

int RemoveExpiredDayFolders(const std::string& logDir, const LocalTime& today, int keepDays,
                            EventSink& log) {
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(logDir, ec), end; !ec && it != end; it.increment(ec)) {
        // The entry itself, not what a link points at.
        if (it->symlink_status(ec).type() == fs::file_type::directory)
            names.push_back(it->path().filename().string());
    }
    int removed = 0;
    for (const std::string& name : ExpiredDayFolders(names, today, keepDays)) {
        std::error_code failure;
        fs::remove_all(fs::path(logDir) / name, failure);
        if (failure) {
            log.LogEvent("Old day folder " + name + " not removed: " + failure.message());
        } else {
            log.LogEvent("Old day folder " + name + " removed (logs kept " +
                         std::to_string(keepDays) + " days)");
            ++removed;
        }
    }
    return removed;
}

int DayFolderKeeper::Tick(const LocalTime& now, EventSink& log) {
    if (m_keepDays <= 0 || m_lastDay == DayNumber(now)) return 0;
    m_lastDay = DayNumber(now);
    return RemoveExpiredDayFolders(m_logDir, now, m_keepDays, log);
}

}  // namespace tavrin
