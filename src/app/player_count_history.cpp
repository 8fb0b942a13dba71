#include "app/player_count_history.h"

#include <algorithm>
#include <chrono>

namespace tavrin {

int64_t CalendarSeconds(const LocalTime& t) {
    using namespace std::chrono;
    const sys_days day{year{t.year} / month{static_cast<unsigned>(t.month)} /
                       std::chrono::day{static_cast<unsigned>(t.day)}};
    return static_cast<int64_t>(day.time_since_epoch().count()) * 86400 + t.hour * 3600 +
           t.minute * 60 + t.second;
}

void PlayerCountHistory::Record(const LocalTime& at, int total, int team1, int team2) {
    const int64_t now = CalendarSeconds(at);
    if (!m_samples.empty() && now < m_samples.back().seconds) m_samples.clear();
    m_samples.push_back({now, total, team1, team2});
    while (m_samples.front().seconds < now - kSpanSeconds) m_samples.pop_front();
}

void PlayerCountHistory::Seed(std::vector<PlayerCountSample> earlier) {
    std::sort(earlier.begin(), earlier.end(),
              [](const PlayerCountSample& a, const PlayerCountSample& b) {
                  return a.seconds < b.seconds;
              });
    if (!m_samples.empty()) {
        const int64_t first = m_samples.front().seconds;
        std::erase_if(earlier, [&](const PlayerCountSample& s) { return s.seconds >= first; });
    }
    m_samples.insert(m_samples.begin(), earlier.begin(), earlier.end());
    if (m_samples.empty()) return;
    const int64_t newest = m_samples.back().seconds;
    while (m_samples.front().seconds < newest - kSpanSeconds) m_samples.pop_front();
}

std::vector<PlayerCountSample> SamplesFromHistory(const std::vector<CountRecord>& counts,
                                                  int64_t utcOffset) {
    std::vector<PlayerCountSample> out;
    out.reserve(counts.size());
    for (const CountRecord& c : counts)
        out.push_back({c.time + utcOffset, c.total, c.team1, c.team2});
    return out;
}

std::vector<PlayerCountPoint> PlayerCountHistory::PlotPoints() const {
    std::vector<PlayerCountPoint> points;
    if (m_samples.empty()) return points;
    const int64_t start = m_samples.back().seconds - kSpanSeconds;
    points.reserve(m_samples.size());
    int64_t previous = 0;
    for (const PlayerCountSample& s : m_samples) {
        const bool gap = !points.empty() && s.seconds - previous > kGapSeconds;
        points.push_back({static_cast<double>(s.seconds - start) / kSpanSeconds, s.total, s.team1,
                          s.team2, gap});
        previous = s.seconds;
    }
    return points;
}

int PlayerCountHistory::Peak() const {
    int peak = 0;
    for (const PlayerCountSample& s : m_samples) peak = std::max({peak, s.total, s.team1, s.team2});
    return peak;
}

}  // namespace tavrin
