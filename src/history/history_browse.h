#pragma once

// What the History window and the Players tab show of the history: the rows
// of a search, of a player's sessions and sanctions, the player-count plot
// over a day, a week or a month, and the mark of a player sanctioned before.

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "history/history_records.h"

namespace tavrin {

// A player of one server as a search finds it.
struct PlayerSummary {
    std::string server;
    std::string name;
    int64_t firstSeen = 0;
    int64_t lastSeen = 0;
    int64_t sessions = 0;

    bool operator==(const PlayerSummary&) const = default;
};

// The most players a search lists.
inline constexpr int kSearchLimit = 500;
// The escape character of NameSearchPattern.
inline constexpr char kSearchEscape = '\\';

// The LIKE pattern that finds `part` anywhere in a lower-cased name: the
// text is lower-cased (ASCII letters, as the databases' lower() does for
// both) and its wildcards and escape character stand for themselves.
std::string NameSearchPattern(std::string_view part);

// A time as the window shows it: "YYYY-MM-DD HH:MM" in the zone `utcOffset`
// seconds east of UTC.
std::string ShownTime(int64_t utc, int64_t utcOffset);

inline constexpr std::array<std::string_view, 5> kPlayerSummaryHeaders = {
    "Server", "Name", "First seen", "Last seen", "Sessions"};
inline constexpr std::array<std::string_view, 5> kSessionHeaders = {"Start", "End", "Kills",
                                                                    "Deaths", "Best ping"};
inline constexpr std::array<std::string_view, 4> kSanctionHeaders = {"Time", "Action", "Reason",
                                                                     "Source"};

std::array<std::string, 5> PlayerSummaryCells(const PlayerSummary& p, int64_t utcOffset);
// A session without a ping read shows "-" as its best ping.
std::array<std::string, 5> SessionCells(const SessionRecord& s, int64_t utcOffset);
std::array<std::string, 4> SanctionCells(const SanctionRecord& s, int64_t utcOffset);

// The line under the search box: "Searching…" while a search runs, then how
// many players it found.
std::string SearchingText();
std::string SearchResultText(size_t found);

// The ranges the plot offers, and the buckets each is drawn in.
enum class HistoryRange { Day, Week, Month };
struct HistoryRangeInfo {
    HistoryRange range;
    std::string_view label;
    int64_t seconds;
    int buckets;
};
inline constexpr std::array<HistoryRangeInfo, 3> kHistoryRanges = {{
    {HistoryRange::Day, "Day", 86'400, 96},            // 15 minutes each
    {HistoryRange::Week, "Week", 7 * 86'400, 168},     // an hour each
    {HistoryRange::Month, "Month", 30 * 86'400, 120},  // 6 hours each
}};
const HistoryRangeInfo& RangeInfo(HistoryRange range);

// One bucket of the plot: the highest counts read in it (a peak is what an
// admin looks for; an average hides it). An empty bucket is a gap in the line.
struct CountBucket {
    int64_t start = 0;
    bool empty = true;
    int total = 0;
    int team1 = 0;
    int team2 = 0;

    bool operator==(const CountBucket&) const = default;
};

// The counts from `from` to `to` (UTC seconds, `to` included in the last
// bucket) in `buckets` equal buckets; counts outside are left out.
std::vector<CountBucket> BucketCounts(const std::vector<CountRecord>& counts, int64_t from,
                                      int64_t to, int buckets);
// The highest count of any bucket; 0 when all are empty.
int BucketPeak(const std::vector<CountBucket>& buckets);
// The line over the plot: the range, its two ends and the peak, or that
// nothing was recorded.
std::string PlotCaption(const std::vector<CountBucket>& buckets, int64_t from, int64_t to,
                        int64_t utcOffset);

// A player's sessions and sanctions of one server, out of those of every server.
std::vector<SessionRecord> SessionsOn(const std::vector<SessionRecord>& all,
                                      const std::string& server);
std::vector<SanctionRecord> SanctionsOn(const std::vector<SanctionRecord>& all,
                                        const std::string& server);

// What the Players tab knows of a name from the history.
struct PlayerMark {
    int64_t sessions = 0;
    int64_t since = 0;  // the first session's start, else the first sanction
    int warnings = 0;
    int punts = 0;
    int bans = 0;
    int others = 0;  // kills, team swaps, score resets

    bool operator==(const PlayerMark&) const = default;
};

PlayerMark PlayerMarkOf(const std::vector<SessionRecord>& sessions,
                        const std::vector<SanctionRecord>& sanctions);
// Whether the player was sanctioned before: then the row carries the mark.
bool IsMarked(const PlayerMark& mark);
// "seen N sessions since DATE; W warnings, P punts, B bans", DATE as
// YYYY-MM-DD (UTC); the words stay as they are for a count of 1.
std::string PlayerMarkText(const PlayerMark& mark);

// The marks of the names shown, asked once per name per connection.
class PlayerMarkCache {
  public:
    // The names of `shown` not asked yet on `connection`; they count as
    // asked from now on. A new connection forgets what was asked and found.
    std::vector<std::string> ToLookUp(const std::vector<std::string>& shown, int connection);
    // The answer for `name`, asked on `connection`; a late answer of an
    // earlier connection is dropped. Whether it was kept.
    bool Found(const std::string& name, int connection, const PlayerMark& mark);
    // The mark found for `name`; none while asked or never asked.
    std::optional<PlayerMark> Find(const std::string& name) const;

  private:
    int m_connection = -1;
    std::map<std::string, std::optional<PlayerMark>> m_names;
};

}  // namespace tavrin
