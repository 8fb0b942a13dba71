#include "settings/settings_tab.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "settings/settings_fixtures.h"

namespace tavrin {
namespace {

using testing::TabFixture;
using Texts = std::vector<std::string>;

TEST(SettingsTab, StartsLockedAndIgnoresEveryGestureUntilUnlocked) {
    TabFixture f;
    EXPECT_EQ(f.tab.LockButtonLabel(), "Unlock");
    EXPECT_EQ(f.tab.WeaponsListColours(), kLockedListColours);
    EXPECT_FALSE(f.tab.AreButtonsEnabled());
    for (int n = 0; n < kSettingsCount; ++n) EXPECT_FALSE(f.tab.IsEnabled(n)) << n;

    f.tab.ParseWeaponList("1. WPN_Remmington ALWAYS\n");
    const std::function<void(CSettings&)> gestures[] = {
        [](CSettings& t) { t.ClickTickBox(0, true); },
        [](CSettings& t) { t.ReleaseSlider(20, 60); },
        [](CSettings& t) { t.PressSet(24, "Name"); },
        [](CSettings& t) { t.PressClear(25); },
        [](CSettings& t) { t.ChooseTimeOfDay(1); },
        [](CSettings& t) { t.ChooseTodRate(3); },
        [](CSettings& t) { t.PressRefresh(); },
        [](CSettings& t) { t.PressUpdateWeapons(); },
        [](CSettings& t) { t.PressSetAllWeapons(WeaponState::Never); },
        [](CSettings& t) { t.ClickWeaponCell(0, 2); },
    };
    for (const auto& gesture : gestures) gesture(f.tab);
    EXPECT_TRUE(f.commands.commands.empty());
    EXPECT_FALSE(f.tab.Save());
    EXPECT_EQ(f.tab.AskSettingsFileToLoad(), std::nullopt);
    EXPECT_TRUE(f.dialogs.fileSuggestions.empty());
    EXPECT_EQ(f.tab.Value(0), "");
    EXPECT_EQ(f.tab.Weapons().Rows()[0].state, WeaponState::Always);

    f.tab.ToggleLock();
    EXPECT_EQ(f.tab.LockButtonLabel(), "Lock");
    EXPECT_EQ(f.tab.WeaponsListColours(), kUnlockedListColours);
    EXPECT_TRUE(f.tab.AreButtonsEnabled());
    for (const auto& gesture : gestures) gesture(f.tab);
    EXPECT_EQ(f.commands.commands.size(), std::size(gestures));
}

// Without a connection that can take a command the tab stays locked: a
// change would look made and never reach the server.
TEST(SettingsTab, StaysLockedWhileNoCommandCanBeSent) {
    TabFixture f;
    f.tab.SetCanSend(false);
    EXPECT_FALSE(f.tab.IsLockEnabled());
    f.tab.ToggleLock();
    EXPECT_TRUE(f.tab.IsLocked());
    f.tab.ClickTickBox(0, true);
    EXPECT_FALSE(f.tab.IsTicked(0));
    EXPECT_TRUE(f.commands.commands.empty());

    // Unlocked while logged in, then the connection ends: locked again.
    f.tab.SetCanSend(true);
    EXPECT_TRUE(f.tab.IsLockEnabled());
    f.tab.ToggleLock();
    EXPECT_FALSE(f.tab.IsLocked());
    f.tab.SetCanSend(false);
    EXPECT_TRUE(f.tab.IsLocked());
    EXPECT_EQ(f.tab.WeaponsListColours(), kLockedListColours);
    EXPECT_FALSE(f.tab.AreButtonsEnabled());
}

TEST(SettingsTab, DependentSlidersFollowTheirTickBox) {
    TabFixture f;
    f.Unlock();
    f.tab.ParseGameSettings(testing::kGameSettingsReply);  // punt voting on, team switch off
    EXPECT_TRUE(f.tab.IsEnabled(2));
    EXPECT_TRUE(f.tab.IsEnabled(3));
    EXPECT_FALSE(f.tab.IsEnabled(5));
    EXPECT_FALSE(f.tab.IsEnabled(10));
    EXPECT_TRUE(f.tab.IsEnabled(12));
    EXPECT_TRUE(f.tab.IsEnabled(8));  // not dependent

    f.tab.ReleaseSlider(5, 100);  // disabled: nothing happens
    EXPECT_TRUE(f.commands.commands.empty());

    f.tab.ClickTickBox(4, true);
    for (int n : {5, 6, 7}) EXPECT_TRUE(f.tab.IsEnabled(n)) << n;
    f.tab.ClickTickBox(1, false);
    EXPECT_FALSE(f.tab.IsEnabled(2));
    EXPECT_FALSE(f.tab.IsEnabled(3));
    EXPECT_EQ(f.commands.Texts(), (Texts{"set changeTeam 1", "set puntVote 0"}));

    f.tab.ToggleLock();
    EXPECT_FALSE(f.tab.IsEnabled(5));
}

TEST(SettingsTab, ParsedReplyIsShownByEachKindOfControl) {
    TabFixture f;
    f.tab.ParseGameSettings(testing::kGameSettingsReply);
    EXPECT_TRUE(f.tab.IsTicked(0));
    EXPECT_FALSE(f.tab.IsTicked(4));
    struct Case {
        int entry;
        int position;
        const char* label;
    } sliders[] = {
        {2, 50, "50 %"}, {3, 4, "4"},         {5, 120, "120 s"}, {12, 250, "250 ms"},
        {13, 7, "7"},    {14, 12, "12/60 m"}, {19, 300, "300"},  {23, 30, "30 s"},
    };
    for (const auto& s : sliders) {
        SCOPED_TRACE(s.entry);
        EXPECT_EQ(f.tab.SliderPosition(s.entry), s.position);
        EXPECT_EQ(f.tab.ValueLabel(s.entry), s.label);
    }
    EXPECT_EQ(f.tab.TextBoxText(24), "MyServer");
    EXPECT_EQ(f.tab.ServerName(), "MyServer");
    EXPECT_EQ(f.tab.TextBoxText(25), "");

    // A reply without the keys: ticks clear, sliders go to the bottom of
    // their range, and the labels keep their units for the next reply.
    f.tab.ParseGameSettings("AutoBalanceOnRecycle = 1\n");
    EXPECT_FALSE(f.tab.IsTicked(1));
    EXPECT_EQ(f.tab.SliderPosition(5), 0);
    EXPECT_EQ(f.tab.SliderPosition(12), 100);
    EXPECT_EQ(f.tab.ValueLabel(12), "Failed ms");
    EXPECT_EQ(f.tab.ServerName(), "Failed");
    f.tab.ParseGameSettings(testing::kGameSettingsReply);
    EXPECT_EQ(f.tab.ValueLabel(12), "250 ms");
    EXPECT_EQ(f.tab.ValueLabel(2), "50 %");
}

TEST(SettingsTab, VotePercentFromTheServerIsKeptAsTheServerSentIt) {
    // Only a settings file's bare percentage is converted; what the server
    // reports is shown by the slider rule and saved unchanged.
    const struct {
        const char* reply;
        int position;
        const char* label;
        const char* saved;
    } cases[] = {
        {"VotePercent = 0.25\n", 25, "25 %", "set votePercent 0.25\n"},
        {"VotePercent = 0.5\n", 50, "50 %", "set votePercent 0.5\n"},
        {"VotePercent = 30\n", 30, "30 %", "set votePercent 30\n"},
        {"VotePercent = 1\n", 1, "1 %", "set votePercent 1\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        TabFixture f;
        f.Unlock();
        f.tab.ParseGameSettings(c.reply);
        EXPECT_EQ(f.tab.SliderPosition(kVotePercentEntry), c.position);
        EXPECT_EQ(f.tab.ValueLabel(kVotePercentEntry), c.label);
        const std::string path = f.dir.File("Settings/vote.txt");
        f.dialogs.fileAnswers = {path};
        ASSERT_TRUE(f.tab.Save());
        std::string text;
        ASSERT_TRUE(ReadTextFile(path, text));
        EXPECT_NE(text.find(c.saved), std::string::npos) << text;
    }
}

TEST(SettingsTab, EachChangeSendsItsCommand) {
    struct Case {
        const char* what;
        std::function<void(CSettings&)> gesture;
        const char* command;
        int entry;
        const char* value;
    } cases[] = {
        {"tick", [](CSettings& t) { t.ClickTickBox(15, false); }, "set friendlyFire 0", 15, "0"},
        {"step 5", [](CSettings& t) { t.ReleaseSlider(20, 63); }, "set killLimit 60", 20, "60"},
        {"step 1", [](CSettings& t) { t.ReleaseSlider(13, 7); }, "set maxFriendlyKills 7", 13, "7"},
        {"percent 25", [](CSettings& t) { t.ReleaseSlider(2, 25); }, "set votePercent 0.25", 2,
         "0.25"},
        {"percent 5", [](CSettings& t) { t.ReleaseSlider(2, 5); }, "set votePercent 0.05", 2,
         "0.05"},
        {"set name", [](CSettings& t) { t.PressSet(24, "Tavrin"); }, "set serverName Tavrin", 24,
         "Tavrin"},
        {"set empty name", [](CSettings& t) { t.PressSet(24, ""); }, "set serverName Unknown", 24,
         "Unknown"},
        {"clear name", [](CSettings& t) { t.PressClear(24); }, "set serverName Unknown", 24,
         "Unknown"},
        {"set password", [](CSettings& t) { t.PressSet(25, "pw"); }, "set serverPassword pw", 25,
         "pw"},
        {"clear password", [](CSettings& t) { t.PressClear(25); }, "set serverPassword ", 25, ""},
        {"time of day", [](CSettings& t) { t.ChooseTimeOfDay(1); }, "cmd TOD 0100", 28, "0100"},
        {"time of day 24", [](CSettings& t) { t.ChooseTimeOfDay(24); }, "cmd TOD 2400", 28, "2400"},
        {"time of day Def", [](CSettings& t) { t.ChooseTimeOfDay(0); }, "cmd TOD Def", 28, "Def"},
        {"rate 30", [](CSettings& t) { t.ChooseTodRate(3); }, "cmd TODRate 1800", 29, "1800"},
        {"rate Def", [](CSettings& t) { t.ChooseTodRate(0); }, "cmd TODRate 0", 29, "0"},
        {"refresh", [](CSettings& t) { t.PressRefresh(); }, "get gamesettings", -1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TabFixture f;
        f.Unlock();
        f.tab.ParseGameSettings(testing::kGameSettingsReply);
        c.gesture(f.tab);
        ASSERT_EQ(f.commands.commands.size(), 1u);
        EXPECT_EQ(f.commands.commands[0],
                  (PacedCommand{c.command, 0, PacedCommand::Route::Request}));
        if (c.entry >= 0) {
            EXPECT_EQ(f.tab.Value(c.entry), c.value);
        }
    }
}

TEST(SettingsTab, SliderLabelsFollowTheThumbWithTheirUnit) {
    TabFixture f;
    f.Unlock();
    f.tab.ParseGameSettings(testing::kGameSettingsReply);
    f.tab.DragSlider(12, 333);
    EXPECT_EQ(f.tab.ValueLabel(12), "333 ms");
    f.tab.DragSlider(8, 45);
    f.tab.DragSlider(8, 0);  // a position of 0 is not shown while dragging
    EXPECT_EQ(f.tab.ValueLabel(8), "45 s");
    EXPECT_TRUE(f.commands.commands.empty());

    f.tab.ReleaseSlider(12, 333);
    EXPECT_EQ(f.tab.SliderPosition(12), 330);
    EXPECT_EQ(f.tab.ValueLabel(12), "330 ms");
    f.tab.ReleaseSlider(2, 25);
    EXPECT_EQ(f.tab.ValueLabel(2), "25 %");
    EXPECT_EQ(f.tab.SliderPosition(2), 25);
}

TEST(SettingsTab, CommandTooLongForItsBufferIsRefused) {
    TabFixture f;
    f.Unlock();
    f.tab.PressSet(24, "Tavrin");
    const std::string fits(127 - 15, 'n');  // "set serverName " is 15 characters
    f.tab.PressSet(24, fits);
    EXPECT_EQ(f.commands.commands.size(), 2u);
    EXPECT_TRUE(f.dialogs.messages.empty());

    f.tab.PressSet(24, fits + "x");
    EXPECT_EQ(f.commands.commands.size(), 2u);
    EXPECT_EQ(f.tab.Value(24), fits);
    ASSERT_EQ(f.dialogs.messages.size(), 1u);
    EXPECT_NE(f.dialogs.messages[0].find("set serverName"), std::string::npos);
    EXPECT_NE(f.dialogs.messages[0].find("128"), std::string::npos);
    EXPECT_EQ(f.dialogs.messages[0].find("nnnn"), std::string::npos);  // the value stays private
}

TEST(SettingsTab, RefusesControlsOfTheWrongKind) {
    TabFixture f;
    f.Unlock();
    f.tab.ClickTickBox(20, true);  // a slider
    f.tab.ReleaseSlider(0, 1);     // a tick box
    f.tab.PressSet(20, "5");
    f.tab.PressClear(99);
    f.tab.ChooseTimeOfDay(25);  // past the list
    f.tab.ChooseTodRate(10);
    f.tab.ClickWeaponCell(0, 1);  // no rows yet
    EXPECT_TRUE(f.commands.commands.empty());
}

TEST(SettingsTab, WeaponsFollowTheTab) {
    TabFixture f;
    f.tab.ParseWeaponList("1. WPN_Remmington ALWAYS\n2. WPN_M16 NEVER\n");
    // A parse paints the list light green even while locked.
    EXPECT_EQ(f.tab.WeaponsListColours().background, kUnlockedListColours.background);
    EXPECT_EQ(f.tab.WeaponsListColours().text, kLockedListColours.text);
    f.Unlock();
    f.tab.ClickWeaponCell(1, 2);
    f.tab.PressSetAllWeapons(WeaponState::Always);
    f.tab.PressUpdateWeapons();
    EXPECT_EQ(f.commands.Texts(),
              (Texts{"weapon set 2 ARMORY", "weapon set all always", "weapon list"}));
    EXPECT_EQ(f.tab.Weapons().Rows()[1].state, WeaponState::Always);
}

}  // namespace
}  // namespace tavrin
