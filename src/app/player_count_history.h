#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "common/clock.h"
#include "history/history_records.h"

namespace tavrin {

// The player counts of one player list, with the time it was read.
struct PlayerCountSample {
    int64_t seconds = 0;  // local time as seconds of a calendar count
    int total = 0;
    int team1 = 0;
    int team2 = 0;

    bool operator==(const PlayerCountSample&) const = default;
};

// A sample placed on the plot: x runs from 0 (an hour before the newest
// sample) to 1 (the newest sample). `breakBefore` marks a sample that follows
// a pause in the readings (logged out, reconnecting): no line joins it to the
// one before.
struct PlayerCountPoint {
    double x = 0;
    int total = 0;
    int team1 = 0;
    int team2 = 0;
    bool breakBefore = false;
};

// The player counts of the last hour, as the Server tab plots them.
class PlayerCountHistory {
  public:
    static constexpr int64_t kSpanSeconds = 3600;
    // Player lists come every 15 to 20 seconds while logged in; a longer
    // silence than this is a pause, not a trend.
    static constexpr int64_t kGapSeconds = 120;

    // A player list read at `at`. Samples older than an hour before it are
    // dropped; a time before the newest sample (the clock was set back) starts
    // the history afresh, so the samples stay in order.
    void Record(const LocalTime& at, int total, int team1, int team2);
    void Clear() { m_samples.clear(); }
    // Samples read before this history started (an earlier run, from the
    // stored history): those older than the first sample kept go before it,
    // in order; those past the hour before the newest are dropped.
    void Seed(std::vector<PlayerCountSample> earlier);

    const std::deque<PlayerCountSample>& Samples() const { return m_samples; }
    std::vector<PlayerCountPoint> PlotPoints() const;
    // The highest count kept, total or team; 0 when empty.
    int Peak() const;

  private:
    std::deque<PlayerCountSample> m_samples;
};

// The stored counts as samples of the local calendar, `utcOffset` seconds
// east of UTC.
std::vector<PlayerCountSample> SamplesFromHistory(const std::vector<CountRecord>& counts,
                                                  int64_t utcOffset);

// Seconds of a local calendar time, counted from 1970-01-01 00:00 of the same
// zone: differences are elapsed seconds, except across a daylight-saving change.
int64_t CalendarSeconds(const LocalTime& t);

}  // namespace tavrin
