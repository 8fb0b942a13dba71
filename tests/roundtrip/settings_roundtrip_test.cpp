// "get gamesettings" and "weapon list" replies of the simulated game, read by
// the Game Settings tab: every value and what its control shows must equal the
// game's settings and weapons, also after "set" and "weapon set" commands, both
// typed ones and those the tab's own controls send.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "roundtrip/roundtrip_support.h"
#include "settings/settings_tab.h"
#include "sim/sim_game.h"
#include "support/fakes.h"

namespace tavrin {
namespace {

using roundtrip::Chooser;
using sim::SimGame;

std::string KeyName(const SettingEntry& entry) {
    std::string name(entry.key);
    std::erase(name, '\\');
    return name;
}

struct SettingsRoundTrip : ::testing::TestWithParam<uint32_t> {
    SimGame game{GetParam()};
    Chooser choose{GetParam()};
    testing::RecordingCommands commands;
    testing::ScriptedDialogs dialogs;
    CSettings tab{"", commands, dialogs};

    // The tab's commands go to the game as the main window would send them.
    void SendTabCommands() {
        for (const auto& c : commands.Texts()) {
            const std::string reply = game.Execute(c);
            EXPECT_TRUE(reply.rfind("OK - ", 0) == 0) << c << " -> " << reply;
        }
        commands.commands.clear();
    }

    void ReadSettings() {
        const std::string reply = game.Execute("get gamesettings");
        ASSERT_TRUE(IsGameSettingsReply(reply));
        tab.ParseGameSettings(reply);
    }

    void ExpectSettingsEqualGame() {
        for (int n = 0; n < kServerSettingsCount; ++n) {
            const SettingEntry& entry = kSettingsTable[n];
            SCOPED_TRACE(KeyName(entry));
            // The reply's format has no room for blanks: the tab shows values without them.
            std::string want = game.Setting(KeyName(entry));
            std::erase(want, ' ');
            EXPECT_EQ(tab.Value(n), want);
            switch (entry.control) {
                case SettingControl::TickBox:
                    EXPECT_EQ(tab.IsTicked(n), want == "1");
                    break;
                case SettingControl::Slider: {
                    const int shown = n == kVotePercentEntry
                                          ? static_cast<int>(std::lround(std::stod(want) * 100))
                                          : std::stoi(want);
                    EXPECT_EQ(tab.SliderPosition(n), shown);
                    // The label may show a share with a leading zero ("05 %").
                    EXPECT_EQ(std::stoi(tab.ValueLabel(n)), shown) << tab.ValueLabel(n);
                    EXPECT_TRUE(tab.ValueLabel(n).ends_with(entry.unit)) << tab.ValueLabel(n);
                    break;
                }
                case SettingControl::TextBox:
                    EXPECT_EQ(tab.TextBoxText(n), want);
                    break;
                case SettingControl::DropDown:
                    break;
            }
        }
        std::string name = game.Setting("ServerName");
        std::erase(name, ' ');
        EXPECT_EQ(tab.ServerName(), name);
    }
};

// Text values an admin gives. None holds "=" or a backslash, or names another
// setting: the reply is read as one "\Key\value\" text, which has no room for them.
const std::vector<std::string> kTexts = {"",  "Tavrin Night Ops", "hunter2", "Side-A",
                                         "x", "Friday Fragfest 2"};

// A value the game takes for entry n, in the forms an admin types.
std::string TypedValue(Chooser& choose, int n) {
    const SettingEntry& e = kSettingsTable[n];
    switch (e.control) {
        case SettingControl::TickBox:
            return std::to_string(choose.Between(0, 1));
        case SettingControl::Slider: {
            const int v = choose.Between(e.minimum, e.maximum);
            // The vote share as a fraction, as the tab sends it, or as a bare percentage.
            if (n == kVotePercentEntry && choose.OneIn(2)) return VotePercentFraction(v);
            return std::to_string(v);
        }
        default:
            return choose.Pick(kTexts);
    }
}

TEST_P(SettingsRoundTrip, AllValuesEqualTheGameAfterTypedSetCommands) {
    ReadSettings();
    ExpectSettingsEqualGame();
    for (int round = 0; round < 8 && !HasFailure(); ++round) {
        for (int n = 0; n < kServerSettingsCount; ++n) {
            if (!choose.OneIn(2)) continue;
            const std::string command =
                std::string(kSettingsTable[n].prefix) + TypedValue(choose, n);
            const std::string reply = game.Execute(command);
            EXPECT_EQ(reply.rfind("OK - Setting", 0), 0u) << command << " -> " << reply;
        }
        // A value out of range is refused and changes nothing.
        EXPECT_EQ(game.Execute("set maxPing 99").rfind("ERROR", 0), 0u);
        ReadSettings();
        SCOPED_TRACE("round " + std::to_string(round));
        ExpectSettingsEqualGame();
    }
}

TEST_P(SettingsRoundTrip, AllValuesEqualTheGameAfterTheTabsOwnControls) {
    ReadSettings();
    tab.ToggleLock();  // unlocked
    for (int round = 0; round < 8 && !HasFailure(); ++round) {
        for (int n = 0; n < kServerSettingsCount; ++n) {
            const SettingEntry& e = kSettingsTable[n];
            if (!choose.OneIn(2)) continue;
            switch (e.control) {
                case SettingControl::TickBox:
                    tab.ClickTickBox(n, choose.OneIn(2));
                    break;
                case SettingControl::Slider:
                    // A disabled slider (its tick box cleared) sends nothing.
                    tab.ReleaseSlider(n, choose.Between(e.minimum, e.maximum));
                    break;
                case SettingControl::TextBox:
                    if (choose.OneIn(4))
                        tab.PressClear(n);
                    else
                        tab.PressSet(n, choose.Pick(kTexts));
                    break;
                case SettingControl::DropDown:
                    break;
            }
        }
        SendTabCommands();
        ReadSettings();
        SCOPED_TRACE("round " + std::to_string(round));
        ExpectSettingsEqualGame();
    }
}

// Every choice of the two time-of-day lists is a command the game takes, and
// its game state then shows the value sent.
TEST(TimeOfDayRoundTrip, EveryChoiceIsTakenByTheGame) {
    SimGame game(1);
    testing::RecordingCommands commands;
    testing::ScriptedDialogs dialogs;
    CSettings tab("", commands, dialogs);
    tab.ToggleLock();  // unlocked
    struct List {
        size_t choices;
        std::function<void(size_t)> choose;
        std::string_view stateLine;
    };
    const List lists[] = {
        {kTimeOfDayChoices.size(), [&](size_t i) { tab.ChooseTimeOfDay(i); }, "Time Of Day = "},
        {kTodRateChoices.size(), [&](size_t i) { tab.ChooseTodRate(i); }, "Time Of Day Rate = "},
    };
    for (const List& list : lists) {
        // From the last choice back, so that the first ("Def") is a change too.
        for (size_t i = list.choices; i-- > 0;) {
            list.choose(i);
            const std::vector<std::string> sent = commands.Texts();
            commands.commands.clear();
            ASSERT_EQ(sent.size(), 1u);
            const std::string reply = game.Execute(sent[0]);
            EXPECT_EQ(reply.find("ERROR"), std::string::npos) << sent[0] << " -> " << reply;
            EXPECT_EQ(reply.find("USAGE"), std::string::npos) << sent[0] << " -> " << reply;
            const std::string value = sent[0].substr(sent[0].rfind(' ') + 1);
            EXPECT_NE(game.GameStateReply().find(std::string(list.stateLine) + value + "\n"),
                      std::string::npos)
                << sent[0];
        }
    }
}

// --- weapons ------------------------------------------------------------------

WeaponState StateOf(sim::WeaponState s) {
    switch (s) {
        case sim::WeaponState::Always:
            return WeaponState::Always;
        case sim::WeaponState::Armory:
            return WeaponState::Armory;
        case sim::WeaponState::Never:
            return WeaponState::Never;
    }
    return WeaponState::Always;
}

void ExpectWeaponsEqualGame(const WeaponsList& list, const SimGame& game) {
    std::vector<WeaponRow> want;
    for (size_t i = 0; i < game.Weapons().size(); ++i) {
        const sim::Weapon& w = game.Weapons()[i];
        want.push_back({w.name.substr(std::string_view("WPN_").size()), std::to_string(i + 1),
                        StateOf(w.state)});
    }
    EXPECT_EQ(list.Rows(), want);
}

TEST_P(SettingsRoundTrip, WeaponsEqualTheGameAfterTypedAndClickedChanges) {
    static const std::vector<std::string> kStates = {"always", "armory", "never"};
    const WeaponsList& list = tab.Weapons();
    auto read = [&] {
        const std::string reply = game.Execute(std::string(kWeaponListCommand));
        ASSERT_TRUE(IsWeaponListReply(reply));
        tab.ParseWeaponList(reply);
    };
    read();
    ExpectWeaponsEqualGame(list, game);
    tab.ToggleLock();  // unlocked
    const int weapons = static_cast<int>(game.Weapons().size());
    for (int step = 0; step < 40 && !HasFailure(); ++step) {
        switch (choose.Between(0, 3)) {
            case 0: {
                const std::string reply =
                    game.Execute("weapon set " + std::to_string(choose.Between(1, weapons)) + " " +
                                 choose.Pick(kStates));
                EXPECT_TRUE(IsWeaponsResultReply(reply)) << reply;
                break;
            }
            case 1:
                EXPECT_TRUE(
                    IsWeaponsResultReply(game.Execute("weapon set all " + choose.Pick(kStates))));
                break;
            case 2:
                // A click sends "weapon set <number> <STATE>" from the row's number.
                tab.ClickWeaponCell(choose.Between(0, weapons - 1), choose.Between(1, 3));
                SendTabCommands();
                break;
            default:
                tab.PressSetAllWeapons(static_cast<WeaponState>(choose.Between(1, 3)));
                SendTabCommands();
                break;
        }
        read();
        SCOPED_TRACE("step " + std::to_string(step));
        ExpectWeaponsEqualGame(list, game);
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, SettingsRoundTrip, ::testing::ValuesIn(roundtrip::kSeeds),
                         [](const auto& info) { return roundtrip::SeedName(info.param); });

}  // namespace
}  // namespace tavrin
