#include "app/player_count_history.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

LocalTime At(int hour, int minute, int second, int day = 7) {
    return {2026, 3, day, hour, minute, second};
}

TEST(CalendarSeconds, CountsAcrossMidnightMonthAndLeapDay) {
    EXPECT_EQ(CalendarSeconds({1970, 1, 1, 0, 0, 0}), 0);
    EXPECT_EQ(CalendarSeconds({2024, 2, 29, 23, 59, 59}) + 1,
              CalendarSeconds({2024, 3, 1, 0, 0, 0}));
    EXPECT_EQ(CalendarSeconds(At(0, 0, 0, 8)) - CalendarSeconds(At(23, 30, 0)), 1800);
    EXPECT_EQ(CalendarSeconds({2026, 1, 1, 0, 0, 0}) - CalendarSeconds({2025, 12, 31, 23, 0, 0}),
              3600);
}

TEST(PlayerCountHistory, KeepsTheLastHourOfTheNewestSample) {
    PlayerCountHistory h;
    h.Record(At(9, 0, 0), 10, 5, 5);
    h.Record(At(9, 30, 0), 12, 6, 6);
    h.Record(At(10, 0, 0), 14, 8, 6);  // exactly an hour after the first: kept
    ASSERT_EQ(h.Samples().size(), 3u);
    h.Record(At(10, 0, 1), 15, 8, 7);  // the first is now older than an hour
    ASSERT_EQ(h.Samples().size(), 3u);
    EXPECT_EQ(h.Samples().front(), (PlayerCountSample{CalendarSeconds(At(9, 30, 0)), 12, 6, 6}));
    EXPECT_EQ(h.Samples().back(), (PlayerCountSample{CalendarSeconds(At(10, 0, 1)), 15, 8, 7}));
    EXPECT_EQ(h.Peak(), 15);

    // Over midnight the hour still holds.
    PlayerCountHistory night;
    night.Record(At(23, 10, 0), 3, 1, 2);
    night.Record(At(0, 5, 0, 8), 4, 2, 2);
    EXPECT_EQ(night.Samples().size(), 2u);
    night.Record(At(0, 10, 1, 8), 4, 2, 2);
    EXPECT_EQ(night.Samples().size(), 2u);
}

TEST(PlayerCountHistory, AStoredHourGoesBeforeTheLiveSamples) {
    // The stored counts are UTC; this zone is an hour east of it.
    const int64_t nineUtc = CalendarSeconds(At(8, 0, 0));
    const std::vector<CountRecord> stored = {
        {nineUtc + 1200, "Main", 7, 4, 3},  // 09:20 local, after the first live sample: dropped
        {nineUtc - 7200, "Main", 1, 1, 0},  // 07:00 local, over an hour before the newest: dropped
        {nineUtc + 600, "Main", 6, 3, 3},   // 09:10 local
        {nineUtc - 600, "Main", 5, 3, 2},   // 08:50 local
    };
    const auto samples = SamplesFromHistory(stored, 3600);
    EXPECT_EQ(samples[0], (PlayerCountSample{CalendarSeconds(At(9, 20, 0)), 7, 4, 3}));

    PlayerCountHistory h;
    h.Record(At(9, 15, 0), 9, 5, 4);
    h.Seed(samples);
    std::vector<int> totals;
    for (const PlayerCountSample& s : h.Samples()) totals.push_back(s.total);
    EXPECT_EQ(totals, (std::vector<int>{5, 6, 9}));
    // Live samples go on after the stored ones.
    h.Record(At(9, 55, 0), 10, 5, 5);
    EXPECT_EQ(h.Samples().size(), 3u);  // 08:50 is now past the hour
    EXPECT_EQ(h.Samples().front().total, 6);

    // Before any player list, the stored hour is all there is.
    PlayerCountHistory fresh;
    fresh.Seed(samples);
    EXPECT_EQ(fresh.Samples().size(), 3u);
    EXPECT_EQ(fresh.Peak(), 7);
}

TEST(PlayerCountHistory, AClockSetBackStartsAfresh) {
    PlayerCountHistory h;
    h.Record(At(9, 0, 0), 10, 5, 5);
    h.Record(At(9, 0, 20), 11, 5, 6);
    h.Record(At(8, 59, 0), 2, 1, 1);
    ASSERT_EQ(h.Samples().size(), 1u);
    EXPECT_EQ(h.Samples()[0].total, 2);
    // The same second twice is two readings, both kept.
    h.Record(At(8, 59, 0), 3, 2, 1);
    EXPECT_EQ(h.Samples().size(), 2u);
}

TEST(PlayerCountHistory, PlotPointsSpanTheHourAndBreakAtPauses) {
    PlayerCountHistory h;
    EXPECT_TRUE(h.PlotPoints().empty());
    EXPECT_EQ(h.Peak(), 0);

    h.Record(At(9, 0, 0), 4, 2, 2);
    h.Record(At(9, 0, 15), 5, 3, 2);
    h.Record(At(9, 2, 15), 6, 3, 3);  // 120 s later: still one run
    h.Record(At(9, 30, 0), 7, 4, 3);  // after a pause
    h.Record(At(10, 0, 0), 9, 5, 4);
    const auto p = h.PlotPoints();
    ASSERT_EQ(p.size(), 5u);
    EXPECT_DOUBLE_EQ(p[0].x, 0.0);
    EXPECT_DOUBLE_EQ(p[1].x, 15.0 / 3600);
    EXPECT_DOUBLE_EQ(p[3].x, 0.5);
    EXPECT_DOUBLE_EQ(p[4].x, 1.0);
    const bool breaks[] = {false, false, false, true, true};
    for (size_t i = 0; i < p.size(); ++i) EXPECT_EQ(p[i].breakBefore, breaks[i]) << i;
    EXPECT_EQ(p[4].total, 9);
    EXPECT_EQ(p[4].team1, 5);
    EXPECT_EQ(p[4].team2, 4);

    // A single sample sits at the right edge.
    PlayerCountHistory one;
    one.Record(At(9, 0, 0), 1, 1, 0);
    ASSERT_EQ(one.PlotPoints().size(), 1u);
    EXPECT_DOUBLE_EQ(one.PlotPoints()[0].x, 1.0);
}

}  // namespace
}  // namespace tavrin
