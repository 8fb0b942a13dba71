#include "history/history_browse.h"

#include <algorithm>

namespace tavrin {
namespace {

// "YYYY-MM-DD" and "HH:MM" out of "YYYY-MM-DDTHH:MM:SSZ".
std::string DateOf(int64_t utc) {
    return UtcText(utc).substr(0, 10);
}

}  // namespace

std::string NameSearchPattern(std::string_view part) {
    std::string pattern = "%";
    for (const char c : part) {
        if (c == '%' || c == '_' || c == kSearchEscape) pattern += kSearchEscape;
        pattern += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    pattern += '%';
    return pattern;
}

std::string ShownTime(int64_t utc, int64_t utcOffset) {
    const std::string text = UtcText(utc + utcOffset);
    return text.substr(0, 10) + " " + text.substr(11, 5);
}

std::array<std::string, 5> PlayerSummaryCells(const PlayerSummary& p, int64_t utcOffset) {
    return {p.server, p.name, ShownTime(p.firstSeen, utcOffset), ShownTime(p.lastSeen, utcOffset),
            std::to_string(p.sessions)};
}

std::array<std::string, 5> SessionCells(const SessionRecord& s, int64_t utcOffset) {
    return {ShownTime(s.started, utcOffset), ShownTime(s.lastSeen, utcOffset),
            std::to_string(s.kills), std::to_string(s.deaths),
            s.bestPing ? std::to_string(*s.bestPing) : std::string("-")};
}

std::array<std::string, 4> SanctionCells(const SanctionRecord& s, int64_t utcOffset) {
    return {ShownTime(s.time, utcOffset), std::string(SanctionActionName(s.action)), s.reason,
            s.source};
}

std::string SearchingText() {
    return "Searching\x85";  // the ellipsis of Windows-1252
}

std::string SearchResultText(size_t found) {
    if (found == 0) return "No player found";
    if (found == 1) return "1 player found";
    std::string text = std::to_string(found) + " players found";
    if (found >= static_cast<size_t>(kSearchLimit))
        text += " (the first " + std::to_string(kSearchLimit) + ")";
    return text;
}

const HistoryRangeInfo& RangeInfo(HistoryRange range) {
    for (const HistoryRangeInfo& info : kHistoryRanges)
        if (info.range == range) return info;
    return kHistoryRanges.front();
}

std::vector<CountBucket> BucketCounts(const std::vector<CountRecord>& counts, int64_t from,
                                      int64_t to, int buckets) {
    std::vector<CountBucket> out;
    if (buckets <= 0 || to <= from) return out;
    const int64_t span = to - from;
    out.resize(static_cast<size_t>(buckets));
    for (int i = 0; i < buckets; ++i) out[static_cast<size_t>(i)].start = from + span * i / buckets;
    for (const CountRecord& c : counts) {
        if (c.time < from || c.time > to) continue;
        // The bucket whose start is the last at or before the count.
        int64_t i = (c.time - from) * buckets / span;
        i = std::min<int64_t>(i, buckets - 1);
        while (i > 0 && out[static_cast<size_t>(i)].start > c.time) --i;
        CountBucket& b = out[static_cast<size_t>(i)];
        b.empty = false;
        b.total = std::max(b.total, c.total);
        b.team1 = std::max(b.team1, c.team1);
        b.team2 = std::max(b.team2, c.team2);
    }
    return out;
}

int BucketPeak(const std::vector<CountBucket>& buckets) {
    int peak = 0;
    for (const CountBucket& b : buckets) peak = std::max({peak, b.total, b.team1, b.team2});
    return peak;
}

std::string PlotCaption(const std::vector<CountBucket>& buckets, int64_t from, int64_t to,
                        int64_t utcOffset) {
    std::string text = ShownTime(from, utcOffset) + " to " + ShownTime(to, utcOffset);
    const bool none =
        std::all_of(buckets.begin(), buckets.end(), [](const CountBucket& b) { return b.empty; });
    if (none) return text + ": no player counts recorded";
    return text + ": at most " + std::to_string(BucketPeak(buckets)) + " players";
}

std::vector<SessionRecord> SessionsOn(const std::vector<SessionRecord>& all,
                                      const std::string& server) {
    std::vector<SessionRecord> out;
    std::copy_if(all.begin(), all.end(), std::back_inserter(out),
                 [&](const SessionRecord& s) { return s.server == server; });
    return out;
}

std::vector<SanctionRecord> SanctionsOn(const std::vector<SanctionRecord>& all,
                                        const std::string& server) {
    std::vector<SanctionRecord> out;
    std::copy_if(all.begin(), all.end(), std::back_inserter(out),
                 [&](const SanctionRecord& s) { return s.server == server; });
    return out;
}

PlayerMark PlayerMarkOf(const std::vector<SessionRecord>& sessions,
                        const std::vector<SanctionRecord>& sanctions) {
    PlayerMark mark;
    mark.sessions = static_cast<int64_t>(sessions.size());
    std::optional<int64_t> since;
    for (const SessionRecord& s : sessions)
        if (!since || s.started < *since) since = s.started;
    for (const SanctionRecord& s : sanctions) {
        if (sessions.empty() && (!since || s.time < *since)) since = s.time;
        switch (s.action) {
            case SanctionAction::Warn:
                ++mark.warnings;
                break;
            case SanctionAction::Punt:
                ++mark.punts;
                break;
            case SanctionAction::Ban:
                ++mark.bans;
                break;
            default:
                ++mark.others;
                break;
        }
    }
    mark.since = since.value_or(0);
    return mark;
}

bool IsMarked(const PlayerMark& mark) {
    return mark.warnings + mark.punts + mark.bans + mark.others > 0;
}

std::string PlayerMarkText(const PlayerMark& mark) {
    return "seen " + std::to_string(mark.sessions) + " sessions since " + DateOf(mark.since) +
           "; " + std::to_string(mark.warnings) + " warnings, " + std::to_string(mark.punts) +
           " punts, " + std::to_string(mark.bans) + " bans";
}

std::vector<std::string> PlayerMarkCache::ToLookUp(const std::vector<std::string>& shown,
                                                   int connection) {
    if (connection != m_connection) {
        m_connection = connection;
        m_names.clear();
    }
    std::vector<std::string> out;
    for (const std::string& name : shown)
        if (m_names.emplace(name, std::nullopt).second) out.push_back(name);
    return out;
}

bool PlayerMarkCache::Found(const std::string& name, int connection, const PlayerMark& mark) {
    if (connection != m_connection) return false;
    const auto it = m_names.find(name);
    if (it == m_names.end()) return false;
    it->second = mark;
    return true;
}

std::optional<PlayerMark> PlayerMarkCache::Find(const std::string& name) const {
    const auto it = m_names.find(name);
    if (it == m_names.end()) return std::nullopt;
    return it->second;
}

}  // namespace tavrin
