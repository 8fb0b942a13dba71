#include "settings/weapons_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavrin {
namespace {

// A "weapon list" reply as the game server writes it.
const std::string kReply =
    "Weapons:\n"
    "1. WPN_Remmington ALWAYS\n"
    "2. WPN_M16 ARMORY\n"
    "12. WPN_Knife NEVER\n";

TEST(WeaponsReplies, RecognisedByTheirMarkers) {
    struct Case {
        const char* reply;
        bool list;
        bool result;
    } cases[] = {
        {"1. WPN_Remmington ALWAYS\n", true, false},
        {"1. WPN_M16 ALWAYS\n", false, false},
        {"OK - Weapon 12 set to NEVER", false, true},
        {"OK - All weapons set to ALWAYS", false, true},
        {"ERROR: OK - Weap", false, false},
        {"ok - weap", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        EXPECT_EQ(IsWeaponListReply(c.reply), c.list);
        EXPECT_EQ(IsWeaponsResultReply(c.reply), c.result);
    }
}

TEST(WeaponsList, ReadsNameNumberAndStateOfEachWeaponLine) {
    WeaponsList list;
    list.Parse(kReply);
    EXPECT_EQ(list.Rows(), (std::vector<WeaponRow>{
                               {"Remmington ALWAYS", "1", WeaponState::Always},
                               {"M16 ARMORY", "2", WeaponState::Armory},
                               {"Knife NEVER", "12", WeaponState::Never},
                           }));
}

TEST(WeaponsList, LineRules) {
    struct Case {
        const char* line;
        WeaponRow row;
    } cases[] = {
        {"3. WPN_Colt", {"Colt", "3", WeaponState::Always}},  // no word: always
        {"4. ARMORY WPN_Remmington", {"Remmington", "4", WeaponState::Armory}},
        {"4. WPN_Ak47 ARMORY NEVER", {"Ak47 ARMORY NEVER", "4", WeaponState::Never}},
        {"5. WPN_Ak47 NEVER ALWAYS", {"Ak47 NEVER ALWAYS", "5", WeaponState::Never}},
        {"x WPN_A WPN_B.1 ARMORY", {"A B.1 ARMORY", "x WPN_A WPN_B", WeaponState::Armory}},
        {"WPN_Stick ARMORY", {"Stick ARMORY", "", WeaponState::Armory}},  // no number
        {"NEVER WPN_Mp5", {"Mp5", "", WeaponState::Never}},  // word anywhere in the line
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        WeaponsList list;
        list.Parse(c.line);  // a last line without a line feed counts too
        ASSERT_EQ(list.Rows().size(), 1u);
        EXPECT_EQ(list.Rows()[0], c.row);
    }
}

TEST(WeaponsList, RepeatedLinesCountOnceAndPartsOfLinesAreLeftAlone) {
    WeaponsList list;
    list.Parse(
        "\n\n1. WPN_Remmington ALWAYS\n1. WPN_Remmington ALWAYS\n \n11. WPN_Remmington ALWAYS\n");
    ASSERT_EQ(list.Rows().size(), 2u);
    EXPECT_EQ(list.Rows()[1], (WeaponRow{"Remmington ALWAYS", "11", WeaponState::Always}));
}

TEST(WeaponsList, LaterRepliesOverwriteInOrderAndFollowTheReplysLength) {
    WeaponsList list;
    list.Parse(kReply);
    list.Parse("1. WPN_Remmington NEVER\nWPN_Pike ARMORY\n");
    EXPECT_EQ(list.Rows(), (std::vector<WeaponRow>{
                               {"Remmington NEVER", "1", WeaponState::Never},
                               {"Pike ARMORY", "", WeaponState::Armory},  // not row 2's "2"
                           }));
    list.Parse(kReply + "13. WPN_Saw ALWAYS\n");
    ASSERT_EQ(list.Rows().size(), 4u);
    EXPECT_EQ(list.Rows()[3].name, "Saw ALWAYS");
}

TEST(WeaponsList, ClickMovesTheMarkAndSetsThatWeapon) {
    struct Case {
        size_t row;
        int column;
        std::optional<std::string> command;
        WeaponState after;
    } cases[] = {
        {2, 1, "weapon set 12 ALWAYS", WeaponState::Always},
        {0, 2, "weapon set 1 ARMORY", WeaponState::Armory},
        {0, 3, "weapon set 1 NEVER", WeaponState::Never},
        {1, 2, std::nullopt, WeaponState::Armory},  // already marked
        {1, 0, std::nullopt, WeaponState::Armory},  // the name column
        {1, 4, std::nullopt, WeaponState::Armory},  // the hidden number column
        {3, 1, std::nullopt, WeaponState::Always},  // no such row
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.row << "/" << c.column);
        WeaponsList list;
        list.Parse(kReply);
        EXPECT_EQ(list.Click(c.row, c.column), c.command);
        if (c.row < list.Rows().size()) {
            EXPECT_EQ(list.Rows()[c.row].state, c.after);
        }
    }
}

TEST(WeaponsList, SetAllMarksEveryRow) {
    for (const auto& words : kWeaponStates) {
        WeaponsList list;
        list.Parse(kReply);
        EXPECT_EQ(list.SetAll(words.state), words.setAllCommand);
        for (const auto& row : list.Rows()) EXPECT_EQ(row.state, words.state);
    }
}

}  // namespace
}  // namespace tavrin
