#pragma once

// Replies and a tab with its recording doubles, shared by the settings tests.

#include <string>

#include "common/text_file.h"
#include "settings/settings_tab.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace tavrin::testing {

// A "get gamesettings" reply as the game server writes it.
inline const std::string kGameSettingsReply =
    "AutoBalanceOnRecycle = 1\n"
    "PuntVote = 1\n"
    "VotePercent = 0.5\n"
    "VoteNumPlayersReq = 4\n"
    "ChangeTeam = 0\n"
    "ChangeTeamInterval = 120\n"
    "ChangeTeamPenalty = 30\n"
    "ChangeTeamDelay = 10\n"
    "StartDelay = 60\n"
    "DoMinPingCheck = 0\n"
    "MinPing = 20\n"
    "DoMaxPingCheck = 1\n"
    "MaxPing = 250\n"
    "MaxFriendlyKills = 7\n"
    "GameTime = 12/60\n"
    "FriendlyFire = 1\n"
    "FriendlyTags = 1\n"
    "TeamTriggerClaymore = 0\n"
    "Tracers = 1\n"
    "KOTHLimit = 300\n"
    "KillLimit = 100\n"
    "FatBullets = 0\n"
    "OneShotKill = 0\n"
    "ArmoryTimer = 30\n"
    "ServerName = My Server\n"
    "ServerPassword = \n"
    "SideAPassword = alpha\n"
    "SideBPassword = bravo\n";

// A Settings tab on a temporary program folder, with its doubles.
struct TabFixture {
    TempDir dir;
    RecordingCommands commands;
    ScriptedDialogs dialogs;
    CSettings tab{dir.Path(), commands, dialogs};

    TabFixture() { MakeDirectory(tab.SettingsFolder()); }
    void Unlock() {
        if (tab.IsLocked()) tab.ToggleLock();
    }
};

}  // namespace tavrin::testing
