#include "settings/bulk_progress.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

TEST(BulkProgress, TextCountsCommandsAndTimeLeft) {
    struct Case {
        SettingsBulkProgress progress;
        int msLeft;
        std::string text;
    };
    const Case cases[] = {
        {{0, 28, true}, 7000, "Command 0 of 28, about 7 s left"},
        {{1, 28, true}, 7000, "Command 1 of 28, about 7 s left"},
        {{5, 28, true}, 6000, "Command 5 of 28, about 6 s left"},
        {{28, 28, true}, 250, "Command 28 of 28, about 1 s left"},
        {{28, 28, false}, 0, "Sent 28 of 28 commands"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BulkMillisecondsLeft(c.progress, 250), c.msLeft) << c.text;
        EXPECT_EQ(BulkProgressText(c.progress, 250), c.text);
    }
}

TEST(BulkProgress, WeaponFilterIgnoresCaseAndBlanks) {
    EXPECT_TRUE(WeaponNameMatches("Remmington", ""));
    EXPECT_TRUE(WeaponNameMatches("Remmington", "  "));
    EXPECT_TRUE(WeaponNameMatches("Remmington", "remm"));
    EXPECT_TRUE(WeaponNameMatches("M16_Grenade", " GREN "));
    EXPECT_FALSE(WeaponNameMatches("Remmington", "knife"));
}

}  // namespace
}  // namespace tavrin
