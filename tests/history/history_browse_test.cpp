#include "history/history_browse.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

int64_t At(const char* utc) {
    return ParseUtcText(utc).value();
}

TEST(HistoryBrowseTest, SearchPatternKeepsTheUsersTextLiteral) {
    const struct {
        const char* part;
        const char* pattern;
    } cases[] = {
        {"Bob", "%bob%"},
        {"", "%%"},
        {"50%_off", "%50\\%\\_off%"},
        {"a\\b", "%a\\\\b%"},
        {"O'Neil; DROP", "%o'neil; drop%"},
        {"\xC9lise", "%\xC9lise%"},  // only ASCII letters are folded
    };
    for (const auto& c : cases) EXPECT_EQ(NameSearchPattern(c.part), c.pattern) << c.part;
}

TEST(HistoryBrowseTest, RowsShowTimesInTheLocalZone) {
    const int64_t t = At("2026-12-11T23:30:00Z");
    EXPECT_EQ(ShownTime(t, 0), "2026-12-11 23:30");
    EXPECT_EQ(ShownTime(t, 3600), "2026-12-12 00:30");
    EXPECT_EQ(ShownTime(t, -5 * 3600), "2026-12-11 18:30");

    const PlayerSummary p{"Main", "Bob", t, t + 7200, 3};
    EXPECT_EQ(
        PlayerSummaryCells(p, 0),
        (std::array<std::string, 5>{"Main", "Bob", "2026-12-11 23:30", "2026-12-12 01:30", "3"}));
    SessionRecord s{"Main", "Bob", t, t + 60, 12, 4, std::nullopt};
    EXPECT_EQ(SessionCells(s, 0),
              (std::array<std::string, 5>{"2026-12-11 23:30", "2026-12-11 23:31", "12", "4", "-"}));
    s.bestPing = 38;
    EXPECT_EQ(SessionCells(s, 0)[4], "38");
    const SanctionRecord k{t, "Main", "Bob", SanctionAction::Punt, "Language", "admin:ann"};
    EXPECT_EQ(SanctionCells(k, 0),
              (std::array<std::string, 4>{"2026-12-11 23:30", "punt", "Language", "admin:ann"}));
}

TEST(HistoryBrowseTest, SearchStatusTexts) {
    EXPECT_EQ(SearchingText(), "Searching\x85");
    EXPECT_EQ(SearchResultText(0), "No player found");
    EXPECT_EQ(SearchResultText(1), "1 player found");
    EXPECT_EQ(SearchResultText(7), "7 players found");
    EXPECT_EQ(SearchResultText(kSearchLimit), "500 players found (the first 500)");
}

TEST(HistoryBrowseTest, CountsAreBucketedByTheirPeak) {
    const int64_t from = At("2026-12-10T00:00:00Z");
    const int64_t to = from + 86'400;
    const std::vector<CountRecord> counts = {
        {from - 1, "Main", 99, 50, 49},  // before the range
        {from, "Main", 4, 2, 2},         // first bucket
        {from + 899, "Main", 9, 5, 4},   // still the first (15 minutes)
        {from + 900, "Main", 3, 1, 2},   // second
        {from + 3 * 900 + 5, "Main", 6, 3, 3},
        {to, "Main", 7, 4, 3},         // the end is in the last bucket
        {to + 1, "Main", 99, 50, 49},  // after
    };
    const auto buckets = BucketCounts(counts, from, to, RangeInfo(HistoryRange::Day).buckets);
    ASSERT_EQ(buckets.size(), 96u);
    EXPECT_EQ(buckets[0], (CountBucket{from, false, 9, 5, 4}));
    EXPECT_EQ(buckets[1], (CountBucket{from + 900, false, 3, 1, 2}));
    EXPECT_TRUE(buckets[2].empty);  // a gap in the line
    EXPECT_EQ(buckets[3], (CountBucket{from + 2700, false, 6, 3, 3}));
    EXPECT_EQ(buckets[95], (CountBucket{to - 900, false, 7, 4, 3}));
    EXPECT_EQ(BucketPeak(buckets), 9);
    EXPECT_EQ(PlotCaption(buckets, from, to, 0),
              "2026-12-10 00:00 to 2026-12-11 00:00: at most 9 players");
    EXPECT_EQ(PlotCaption(BucketCounts({}, from, to, 4), from, to, 0),
              "2026-12-10 00:00 to 2026-12-11 00:00: no player counts recorded");

    // Every range spans what it says, in buckets that fit it evenly.
    for (const HistoryRangeInfo& r : kHistoryRanges) {
        EXPECT_EQ(r.seconds % r.buckets, 0) << r.label;
        EXPECT_EQ(BucketCounts({}, 0, r.seconds, r.buckets).back().start,
                  r.seconds - r.seconds / r.buckets)
            << r.label;
    }
    EXPECT_EQ(RangeInfo(HistoryRange::Week).seconds, 7 * 86'400);
    EXPECT_EQ(RangeInfo(HistoryRange::Month).seconds, 30 * 86'400);
}

TEST(HistoryBrowseTest, MarkOfAPlayerSanctionedBefore) {
    const int64_t first = At("2026-11-02T20:15:00Z");
    const std::vector<SessionRecord> sessions = {
        {"Main", "Bob", first + 86'400, first + 90'000, 0, 0, std::nullopt},
        {"Other", "Bob", first, first + 600, 0, 0, std::nullopt},
        {"Main", "Bob", first + 2 * 86'400, first + 2 * 86'400 + 60, 0, 0, std::nullopt},
    };
    auto sanction = [&](SanctionAction a) {
        return SanctionRecord{first + 100, "Main", "Bob", a, "", "chatbot"};
    };
    const std::vector<SanctionRecord> sanctions = {
        sanction(SanctionAction::Warn), sanction(SanctionAction::Warn),
        sanction(SanctionAction::Punt), sanction(SanctionAction::Kill)};

    const PlayerMark mark = PlayerMarkOf(sessions, sanctions);
    EXPECT_EQ(mark, (PlayerMark{3, first, 2, 1, 0, 1}));
    EXPECT_TRUE(IsMarked(mark));
    EXPECT_EQ(PlayerMarkText(mark),
              "seen 3 sessions since 2026-11-02; 2 warnings, 1 punts, 0 bans");

    // Seen but never sanctioned: no mark.
    EXPECT_FALSE(IsMarked(PlayerMarkOf(sessions, {})));
    // A kill alone is a sanction too.
    EXPECT_TRUE(IsMarked(PlayerMarkOf({}, {sanction(SanctionAction::Kill)})));
    // Sanctioned without a session recorded: since the first sanction.
    EXPECT_EQ(PlayerMarkText(PlayerMarkOf({}, {sanction(SanctionAction::Ban)})),
              "seen 0 sessions since 2026-11-02; 0 warnings, 0 punts, 1 bans");

    EXPECT_EQ(SessionsOn(sessions, "Main").size(), 2u);
    EXPECT_EQ(SanctionsOn(sanctions, "Other").size(), 0u);
}

TEST(HistoryBrowseTest, MarksAreAskedOncePerNamePerConnection) {
    PlayerMarkCache cache;
    using Names = std::vector<std::string>;
    EXPECT_EQ(cache.ToLookUp({"Ann", "Bob"}, 1), (Names{"Ann", "Bob"}));
    // The next poll asks nothing again, even before the answers came.
    EXPECT_EQ(cache.ToLookUp({"Ann", "Bob", "Cy"}, 1), (Names{"Cy"}));
    EXPECT_FALSE(cache.Find("Ann"));
    EXPECT_TRUE(cache.Found("Ann", 1, PlayerMark{2, 0, 1, 0, 0, 0}));
    EXPECT_EQ(cache.Find("Ann")->warnings, 1);
    EXPECT_FALSE(cache.Found("Zed", 1, PlayerMark{}));  // never asked

    // A reconnect asks again; an answer of the old connection is dropped.
    EXPECT_EQ(cache.ToLookUp({"Ann"}, 2), (Names{"Ann"}));
    EXPECT_FALSE(cache.Found("Ann", 1, PlayerMark{}));
    EXPECT_FALSE(cache.Find("Ann"));
}

}  // namespace
}  // namespace tavrin
