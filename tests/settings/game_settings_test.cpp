#include "settings/game_settings.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "settings/settings_fixtures.h"

namespace tavrin {
namespace {

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

TEST(SettingsTable, EveryServerEntryIsKeyedAndSetByItsOwnName) {
    for (int n = 0; n < kServerSettingsCount; ++n) {
        const SettingEntry& e = kSettingsTable[n];
        SCOPED_TRACE(e.prefix);
        ASSERT_GE(e.key.size(), 3u);
        EXPECT_EQ(e.key.front(), '\\');
        EXPECT_EQ(e.key.back(), '\\');
        // "\GameTime\" is set with "set gameTime ".
        EXPECT_EQ(Lower(e.prefix), "set " + Lower(e.key.substr(1, e.key.size() - 2)) + " ");
        if (e.enabledBy >= 0) {
            EXPECT_EQ(kSettingsTable[e.enabledBy].control, SettingControl::TickBox);
            EXPECT_EQ(e.control, SettingControl::Slider);
        }
    }
    EXPECT_TRUE(kSettingsTable[kTimeOfDayEntry].key.empty());
    EXPECT_TRUE(kSettingsTable[kTodRateEntry].key.empty());
}

TEST(ReadGameSettings, ReadsEveryEntryOfAServerReply) {
    EXPECT_TRUE(IsGameSettingsReply(testing::kGameSettingsReply));
    EXPECT_FALSE(IsGameSettingsReply("AutoBalance = 1"));
    ServerSettingValues v = ReadGameSettings(testing::kGameSettingsReply);
    EXPECT_EQ(v[0], "1");
    EXPECT_EQ(v[2], "0.5");
    EXPECT_EQ(v[4], "0");
    EXPECT_EQ(v[5], "120");  // "\ChangeTeam\" does not catch "ChangeTeamInterval"
    EXPECT_EQ(v[14], "12/60");
    EXPECT_EQ(v[23], "30");
    EXPECT_EQ(v[24], "MyServer");  // blanks are dropped
    EXPECT_EQ(v[25], "");
    EXPECT_EQ(v[27], "bravo");
}

TEST(ReadGameSettings, MissingOrBrokenReplies) {
    struct Case {
        const char* reply;
        int entry;
        const char* value;
    } cases[] = {
        {"AutoBalanceOnRecycle = 1\n", 1, "Failed"},           // key absent
        {"", 0, "Failed"},                                     // empty reply
        {"AutoBalanceOnRecycle = 1", 0, "1"},                  // no final line feed
        {"AutoBalanceOnRecycle=1\r\nPuntVote=0\r\n", 1, "0"},  // CR LF lines
        {"Name = x\nServerName = a = b\n", 24, "a"},           // "=" ends a value
        {"OneShotKill\n", 22, ""},                             // key without a value
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        EXPECT_EQ(ReadGameSettings(c.reply)[c.entry], c.value);
    }
}

TEST(SliderValueText, FractionsBecomeTwoDigitPercentages) {
    struct Case {
        const char* value;
        const char* shown;
    } cases[] = {
        {"0.5", "50"}, {"0.25", "25"},     {"0.05", "05"},       {"0.255", "25"},
        {"60", "60"},  {"12/60", "12/60"}, {"Failed", "Failed"}, {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(SliderValueText(c.value), c.shown);
    }
}

TEST(UnitFromLabel, LastUnitFoundWins) {
    struct Case {
        const char* label;
        const char* unit;
    } cases[] = {
        {"60 s", " s"}, {"5 m", " m"},  {"250 ms", " ms"}, {"50 %", " %"},
        {"7", ""},      {"Failed", ""}, {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(UnitFromLabel(c.label), c.unit);
    }
}

TEST(SliderReleasePosition, StepFiveRoundsDownInsideTheRange) {
    struct Case {
        int entry;
        int position;
        int released;
    } cases[] = {
        {20, 63, 60},    // killLimit, step 5
        {13, 7, 7},      // maxFriendlyKills, step 1
        {12, 499, 495},  // maxPing
        {12, 40, 100},   // below the range
        {2, 120, 95},    // above the range
        {5, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry);
        EXPECT_EQ(SliderReleasePosition(kSettingsTable[c.entry], c.position), c.released);
    }
}

TEST(VotePercent, BarePercentagesBecomeTheServersFraction) {
    EXPECT_EQ(VotePercentFraction(5), "0.05");
    EXPECT_EQ(VotePercentFraction(25), "0.25");
    struct Case {
        const char* value;
        const char* sent;
    } cases[] = {
        {"25", "0.25"}, {"5", "0.05"},           {"0.5", "0.5"}, {"0.25", "0.25"},
        {"0", "0.01"},  {"250", "0.95"},         {"", ""},       {"Failed", "Failed"},
        {"25%", "25%"}, {"99999999999", "0.95"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(NormaliseVotePercent(c.value), c.sent);
    }
}

}  // namespace
}  // namespace tavrin
