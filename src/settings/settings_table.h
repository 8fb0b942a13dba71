#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace tavrin {

// The kind of control that shows and changes a setting on the Settings tab.
enum class SettingControl { TickBox, Slider, TextBox, DropDown };

// One row of the settings table. Entries 0 to 27 are the game server's
// settings, read from "get gamesettings" and written to settings files in
// this order; 28 and 29 are the time-of-day commands, never read or saved.
struct SettingEntry {
    std::string_view key;      // "\Name\" as in the reply; empty for 28 and 29
    std::string_view prefix;   // the command up to and including its blank
    std::string_view caption;  // "\n" makes a two-line slider caption
    SettingControl control;
    int minimum;  // the range of a slider or tick box
    int maximum;
    int step;               // sliders: 5 rounds the released position down
    std::string_view unit;  // sliders: the value label's unit text
    int enabledBy;          // the tick box that enables this slider, or -1
};

// Row makers for the table below, one per kind of control.
constexpr SettingEntry TickBox(std::string_view key, std::string_view prefix,
                               std::string_view caption) {
    return {key, prefix, caption, SettingControl::TickBox, 0, 1, 0, "", -1};
}
constexpr SettingEntry Slider(std::string_view key, std::string_view prefix,
                              std::string_view caption, int minimum, int maximum, int step,
                              std::string_view unit, int enabledBy = -1) {
    return {key, prefix, caption, SettingControl::Slider, minimum, maximum, step, unit, enabledBy};
}
constexpr SettingEntry TextBox(std::string_view key, std::string_view prefix,
                               std::string_view caption) {
    return {key, prefix, caption, SettingControl::TextBox, 0, 0, 0, "", -1};
}
constexpr SettingEntry DropDown(std::string_view prefix, std::string_view caption) {
    return {"", prefix, caption, SettingControl::DropDown, 0, 0, 0, "", -1};
}

inline constexpr std::array<SettingEntry, 30> kSettingsTable = {
    TickBox("\\AutoBalanceOnRecycle\\", "set autoBalanceOnRecycle ", "AutoBalance on Recycle"),
    TickBox("\\PuntVote\\", "set puntVote ", "Allow Punt Voting"),
    Slider("\\VotePercent\\", "set votePercent ", "percent", 1, 95, 1, " %", 1),
    Slider("\\VoteNumPlayersReq\\", "set voteNumPlayersReq ", "players", 1, 100, 1, "", 1),
    TickBox("\\ChangeTeam\\", "set changeTeam ", "Allow Team Switching"),
    Slider("\\ChangeTeamInterval\\", "set changeTeamInterval ", "interval", 0, 500, 5, " s", 4),
    Slider("\\ChangeTeamPenalty\\", "set changeTeamPenalty ", "penalty", 0, 120, 5, " s", 4),
    Slider("\\ChangeTeamDelay\\", "set changeTeamDelay ", "delay", 0, 60, 5, " s", 4),
    Slider("\\StartDelay\\", "set startDelay ", "Start\nDelay", 0, 300, 5, " s"),
    TickBox("\\DoMinPingCheck\\", "set doMinPingCheck ", "Do Minimum Ping Check"),
    Slider("\\MinPing\\", "set minPing ", "min ping", 0, 50, 5, " ms", 9),
    TickBox("\\DoMaxPingCheck\\", "set doMaxPingCheck ", "Do Maximum Ping Check"),
    Slider("\\MaxPing\\", "set maxPing ", "max ping", 100, 500, 5, " ms", 11),
    Slider("\\MaxFriendlyKills\\", "set maxFriendlyKills ", "Max\nTKills", 0, 50, 1, ""),
    Slider("\\GameTime\\", "set gameTime ", "Time\nLimit", 0, 240, 5, " m"),
    TickBox("\\FriendlyFire\\", "set friendlyFire ", "Friendly Fire"),
    TickBox("\\FriendlyTags\\", "set friendlyTags ", "Friendly Tags"),
    TickBox("\\TeamTriggerClaymore\\", "set teamTriggerClaymore ", "Team Detonate Claymores"),
    TickBox("\\Tracers\\", "set tracers ", "Tracers"),
    Slider("\\KOTHLimit\\", "set KOTHLimit ", "KOTH\nLimit", 0, 500, 5, ""),
    Slider("\\KillLimit\\", "set killLimit ", "Kill\nLimit", 0, 200, 5, ""),
    TickBox("\\FatBullets\\", "set fatBullets ", "Fat Bullets"),
    TickBox("\\OneShotKill\\", "set oneShotKill ", "One Shot Kills"),
    Slider("\\ArmoryTimer\\", "set armoryTimer ", "Armory\nTimer", 0, 60, 5, " s"),
    TextBox("\\ServerName\\", "set serverName ", "Server Title"),
    TextBox("\\ServerPassword\\", "set serverPassword ", "Server Password"),
    TextBox("\\SideAPassword\\", "set sideAPassword ", "Side A Password"),
    TextBox("\\SideBPassword\\", "set sideBPassword ", "Side B Password"),
    DropDown("cmd TOD ", "Set Time of Day"),
    DropDown("cmd TODRate ", "24hrs Game Time Passes in (mins)"),
};

inline constexpr int kSettingsCount = static_cast<int>(kSettingsTable.size());
// Entries 0 to 27: the ones the server reports, settings files hold and the
// bulk send applies.
inline constexpr int kServerSettingsCount = 28;

// Entries the behaviour treats specially.
inline constexpr int kVotePercentEntry = 2;
inline constexpr int kServerNameEntry = 24;
inline constexpr int kTimeOfDayEntry = 28;
inline constexpr int kTodRateEntry = 29;

// The choices of the two time-of-day lists; both start on "Def".
inline constexpr std::array<std::string_view, 25> kTimeOfDayChoices = {
    "Def",   "01:00", "02:00", "03:00", "04:00", "05:00", "06:00", "07:00", "08:00",
    "09:00", "10:00", "11:00", "12:00", "13:00", "14:00", "15:00", "16:00", "17:00",
    "18:00", "19:00", "20:00", "21:00", "22:00", "23:00", "24:00"};
inline constexpr std::array<std::string_view, 10> kTodRateChoices = {
    "Def", "5", "15", "30", "45", "60", "75", "90", "105", "120"};

}  // namespace tavrin
