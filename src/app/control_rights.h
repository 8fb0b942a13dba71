#pragma once

// What each control and menu entry of the window that sends commands sends,
// and so whether the account of a remote console may use it: the views ask
// here and render the answer (disabled, with a tooltip naming the missing
// right); no widget knows a command or a right.

#include <array>
#include <string>
#include <string_view>

#include "common/control_permit.h"
#include "manager/admin_rights.h"

namespace tavrin {

// A control (by its object name, or the name of a menu entry) and the
// commands it sends, the second one empty when it sends one. A command's
// arguments stand for any: the rights depend on its words.
struct GatedControl {
    std::string_view name;
    std::string_view first;
    std::string_view second;
};

// The Settings tab's entries (setting<n>) take their commands from the
// settings table and are not listed here.
inline constexpr std::array<GatedControl, 17> kGatedControls = {{
    // Players tab. The admin menu's entries send what their lines say.
    {"refreshPlayersButton", "player list", ""},
    // Missions tab: the lists' double click adds and removes, the cycle
    // list's menu sets the next mission and runs it.
    {"refreshCycleButton", "mission list", ""},
    {"refreshAvailableButton", "mission available", ""},
    {"availableList", "mission add x", "mission list"},
    {"cycleList", "mission remove 1", "mission list"},
    {"missionMenuSetNext", "mission setnext 1", ""},
    {"missionMenuRunNext", "mission cycle", ""},
    {"missionMenuRunThis", "mission setnext 1", "mission cycle"},
    {"missionMenuSavedLists", "UPLOAD", ""},
    // Settings tab: Load sends a settings file, the weapons their states.
    {"settingsLoad", "set x 1", ""},
    {"settingsRefresh", "get gamesettings", "weapon list"},
    {"weaponsList", "weapon set 1 1", ""},
    {"weaponsUpdate", "weapon list", ""},
    {"weaponsSetAll", "weapon set 1 1", ""},
    // ChatBot tab: Send and the chat list's warning, a chat line each.
    {"chatSend", "chat send x", ""},
    {"chatWarnWarnings", "chat send x", ""},
    // The window's "Message all servers": a chat line to each server.
    {"messageAllServersAction", "chat send x", ""},
}};

// The ChatBot's Start/Stop in a remote console.
inline constexpr std::string_view kChatBotToggleName = "chatStartStop";
inline constexpr std::string_view kRemoteChatBotTip =
    "The manager's own ChatBot moderates this server: a second one would sanction twice";

// The permit of commands sent together: allowed when `held` allows each of
// them; otherwise the tooltip names what is missing ("Missing right: Punt",
// "Missing right: Punt; Messages or Warn").
ControlPermit CommandsPermit(RightsMask held, std::string_view first, std::string_view second = {});

// An admin menu line (kind, backslash, message) allows what the commands it
// makes for a player need.
ControlPermit AdminMenuLinePermit(RightsMask held, std::string_view line);

// Every gated control of a console's window. A direct connection (not
// `remote`) gets no permit at all, so nothing in its window changes.
ControlPermits WindowPermits(bool remote, RightsMask held);

}  // namespace tavrin
