#pragma once

// Bounded logs: the day folders (DD-MM-YY) of a log folder older than a
// number of days are removed, and nothing else ever is.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/clock.h"
#include "common/event_log.h"

namespace tavrin {

// The day a folder name stands for, counted in days since 1970-01-01; only
// a name that is a day folder exactly ("DD-MM-YY", a real date, 20YY) has one.
std::optional<int> DayFolderDay(std::string_view name);
int DayNumber(const LocalTime& t);

// Of `names`, the day folders more than `keepDays` days before `today`: with
// keepDays 1, today's and yesterday's folders stay.
std::vector<std::string> ExpiredDayFolders(const std::vector<std::string>& names,
                                           const LocalTime& today, int keepDays);

// Removes, with everything in them, the expired day folders directly in
// `logDir` (ending with the separator). Only real folders with a day
// folder's name are touched: a file or a link of such a name stays. Each
// removal, and each failure, is a line in `log`. Returns how many were
// removed.
int RemoveExpiredDayFolders(const std::string& logDir, const LocalTime& today, int keepDays,
                            EventSink& log);

// --keep-days over a run: the old day folders go at start and after each
// midnight, not at every tick between.
class DayFolderKeeper {
  public:
    // `logDir` ends with the separator; keepDays 0 keeps everything.
    DayFolderKeeper(std::string logDir, int keepDays)
        : m_logDir(std::move(logDir)), m_keepDays(keepDays) {}
    // At start and at each clock tick: the first call, and the first of each
    // new day, removes what has grown too old. Returns how many went.
    int Tick(const LocalTime& now, EventSink& log);

  private:
    std::string m_logDir;
    int m_keepDays;
    std::optional<int> m_lastDay;
};

}  // namespace tavrin
