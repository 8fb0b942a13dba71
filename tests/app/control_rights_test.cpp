#include "app/control_rights.h"

#include <gtest/gtest.h>

#include <string>

#include "settings/settings_table.h"

namespace tavrin {
namespace {

constexpr RightsMask kMessagesWarn = kRightMessages | kRightWarn;

struct ControlCase {
    std::string_view control;
    RightsMask held;
    bool allowed;
    std::string_view tip;
};

TEST(ControlRightsTest, EachControlAsksForTheRightOfWhatItSends) {
    const ControlCase cases[] = {
        // Reading needs no right at all.
        {"refreshPlayersButton", 0, true, ""},
        {"refreshCycleButton", 0, true, ""},
        {"refreshAvailableButton", 0, true, ""},
        {"settingsRefresh", 0, true, ""},
        {"weaponsUpdate", 0, true, ""},
        // The cycle: edits, the next mission, running it, the saved lists.
        {"availableList", kMessagesWarn, false, "Missing right: Live Cycle Order"},
        {"availableList", kRightLiveCycleOrder, true, ""},
        {"cycleList", kRightCycleToNext, false, "Missing right: Live Cycle Order"},
        {"missionMenuSetNext", kRightLiveCycleOrder, true, ""},
        {"missionMenuRunNext", kRightLiveCycleOrder, false, "Missing right: Cycle To next"},
        {"missionMenuRunNext", kRightCycleToNext, true, ""},
        // Setting and running at once needs both, and names both.
        {"missionMenuRunThis", 0, false, "Missing right: Live Cycle Order; Cycle To next"},
        {"missionMenuRunThis", kRightCycleToNext, false, "Missing right: Live Cycle Order"},
        {"missionMenuRunThis", kRightCycleToNext | kRightLiveCycleOrder, true, ""},
        {"missionMenuSavedLists", kRightLiveCycleOrder, false, "Missing right: Use Saved Lists"},
        {"missionMenuSavedLists", kRightUseSavedLists, true, ""},
        // Settings and weapons.
        {"settingsLoad", kMessagesWarn, false, "Missing right: Game Settings"},
        {"settingsLoad", kRightGameSettings, true, ""},
        {"weaponsList", kMessagesWarn, false, "Missing right: Game Settings"},
        {"weaponsSetAll", kRightGameSettings, true, ""},
        // A chat line: either right sends it.
        {"chatSend", kRightPunt, false, "Missing right: Messages or Warn"},
        {"chatSend", kRightMessages, true, ""},
        {"chatSend", kRightWarn, true, ""},
        {"chatWarnWarnings", kRightWarn, true, ""},
        {"messageAllServersAction", kRightBan, false, "Missing right: Messages or Warn"},
        {"messageAllServersAction", kRightMessages, true, ""},
        // The ChatBot never starts in a remote console, whatever the account.
        {"chatStartStop", kFullAccess, false, kRemoteChatBotTip},
    };
    for (const ControlCase& c : cases) {
        const ControlPermits permits = WindowPermits(true, c.held);
        const ControlPermit& permit = permits.Get(c.control);
        EXPECT_EQ(permit.allowed, c.allowed) << c.control << " with " << c.held;
        EXPECT_EQ(permit.tip, c.tip) << c.control << " with " << c.held;
    }
}

TEST(ControlRightsTest, EveryListedControlIsAllowedToFullAccessAndForbiddenToNoRight) {
    const ControlPermits full = WindowPermits(true, kFullAccess);
    const ControlPermits none = WindowPermits(true, 0);
    for (const GatedControl& control : kGatedControls) {
        EXPECT_TRUE(full.Allowed(control.name)) << control.name;
        const bool reads = CommandsPermit(0, control.first, control.second).allowed;
        EXPECT_EQ(none.Allowed(control.name), reads) << control.name;
    }
}

TEST(ControlRightsTest, EverySettingNeedsTheGameSettingsRight) {
    const ControlPermits narrow = WindowPermits(true, kMessagesWarn);
    const ControlPermits settings = WindowPermits(true, kRightGameSettings);
    // The time-of-day entries send "cmd ..." commands; the others "set ...".
    for (int n = 0; n < kSettingsCount; ++n) {
        const std::string name = "setting" + std::to_string(n);
        EXPECT_FALSE(narrow.Allowed(name)) << name;
        EXPECT_EQ(narrow.Get(name).tip, "Missing right: Game Settings") << name;
        EXPECT_TRUE(settings.Allowed(name)) << name;
    }
}

struct MenuLineCase {
    std::string_view line;
    RightsMask held;
    bool allowed;
    std::string_view tip;
};

TEST(ControlRightsTest, AnAdminMenuLineNeedsWhatItsCommandsNeed) {
    const MenuLineCase cases[] = {
        // A warning is a chat line.
        {"Warn\\Watch your language", kRightWarn, true, ""},
        {"Warn\\Watch your language", kRightMessages, true, ""},
        {"Warn\\Watch your language", kRightPunt, false, "Missing right: Messages or Warn"},
        // An action and the chat line that tells the player why.
        {"Punt\\Team killing", kRightPunt | kRightWarn, true, ""},
        {"Punt\\Team killing", kMessagesWarn, false, "Missing right: Punt"},
        {"Punt\\Team killing", kRightPunt, false, "Missing right: Messages or Warn"},
        {"Ban\\Cheating", kRightBan | kRightMessages, true, ""},
        {"Ban\\Cheating", kRightPunt | kRightMessages, false, "Missing right: Ban"},
        {"Kill\\Camping", kRightKill | kRightWarn, true, ""},
        {"Kill\\Camping", kRightSwap | kRightWarn, false, "Missing right: Kill"},
        {"Swap\\Balance", kRightSwap | kRightWarn, true, ""},
        {"Swap\\Balance", kRightKill | kRightWarn, false, "Missing right: Swap"},
        {"Zero\\Score reset", kRightZero | kRightWarn, true, ""},
        {"Zero\\Score reset", kRightSwap | kRightWarn, false, "Missing right: Zero"},
        // A kind the game server may take as anything needs every right.
        {"Mute\\Quiet", kFullAccess & ~kRightZero, false, "Missing right: Full Access"},
        {"Mute\\Quiet", kFullAccess, true, ""},
    };
    for (const MenuLineCase& c : cases) {
        const ControlPermit permit = WindowPermits(true, c.held).AdminMenuLine(c.line);
        EXPECT_EQ(permit.allowed, c.allowed) << c.line << " with " << c.held;
        EXPECT_EQ(permit.tip, c.tip) << c.line << " with " << c.held;
    }
}

TEST(ControlRightsTest, ADirectConnectionGatesNothing) {
    // Whatever the mask says, a console logged in to a game server is
    // never limited: its window stays as it always was.
    const ControlPermits direct = WindowPermits(false, 0);
    for (const GatedControl& control : kGatedControls)
        EXPECT_EQ(direct.Get(control.name), ControlPermit{}) << control.name;
    EXPECT_EQ(direct.Get(kChatBotToggleName), ControlPermit{});
    EXPECT_EQ(direct.AdminMenuLine("Punt\\Team killing"), ControlPermit{});
}

}  // namespace
}  // namespace tavrin
