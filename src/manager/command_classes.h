#pragma once

// What an admin's command is: its class (which decides whether it goes to the
// game server and which reply the admin then waits for), and the rights it
// needs.

#include <array>
#include <string>
#include <string_view>

#include "link/session_types.h"
#include "manager/admin_rights.h"

namespace tavrin {

// Command classes. The numbers of the game-server classes are the reply
// classes of the router.
enum AdminCommandClass : int {
    kCommandNone = 0,
    kCommandPlayers = 100,
    kCommandMissions = 101,
    kCommandGameSettings = 102,
    kCommandChat = 103,
    kCommandAvailable = 104,
    kCommandWeapons = 105,
    kCommandAction = 107,
    kCommandUpload = 108,
    kCommandChatBot = 109,
    kCommandMessages = 110,
    kCommandGameState = 113,
};

struct CommandClassInfo {
    std::string_view keyword;  // a case-sensitive substring anywhere in the command
    int commandClass;
    // The reply class that answers an admin waiting with this class; none
    // when no reply ever does: a mission reply answers "mission available",
    // and game-state replies are never relayed.
    ReplyClass relayed;
};

// The keywords in the order they are tested; every keyword found replaces the
// class found so far, so the last one in this order wins ("chat send hello
// player" is chat).
inline constexpr std::array<CommandClassInfo, 11> kCommandClasses = {{
    {"player", kCommandPlayers, kReplyPlayers},
    {"mission", kCommandMissions, kReplyMissions},
    {"available", kCommandAvailable, kReplyNone},
    {"gamesettings", kCommandGameSettings, kReplySettings},
    {"chat", kCommandChat, kReplyChat},
    {"weapon", kCommandWeapons, kReplyWeapons},
    {"gamestate", kCommandGameState, kReplyNone},
    {"ACTION", kCommandAction, kReplyNone},
    {"UPLOAD", kCommandUpload, kReplyNone},
    {"CHATBOT", kCommandChatBot, kReplyNone},
    {"MESSAGES", kCommandMessages, kReplyNone},
}};

int ClassifyAdminCommand(std::string_view text);

// The game-server classes: the command goes to the game server unchanged.
constexpr bool IsForwardedClass(int commandClass) {
    return commandClass > 0 && commandClass < kCommandAction;
}
// The manager's own upper-case words: recorded, never forwarded.
constexpr bool IsManagerWordClass(int commandClass) {
    return commandClass >= kCommandAction && commandClass <= kCommandMessages;
}

// Commands that change the game server's settings: known by how they begin,
// whatever keyword they hold (unless it is one of the manager's own words).
// They go to the game server, and the reply that answers one goes to the
// admin who sent it alone: no other admin waits for it, and no reply class
// of theirs would tell it apart from the reply they asked for.
inline constexpr std::array<std::string_view, 2> kSenderOnlyPrefixes = {"set ", "cmd "};

bool IsSenderOnlyCommand(std::string_view text, int commandClass);
// Whether the manager sends the command to the game server.
bool IsForwardedCommand(std::string_view text, int commandClass);

// ---------------------------------------------------------------------------
// Rights. A command the manager would forward, or one of its own words, needs
// the rights its row names; a command that is neither (no keyword and no
// setting, or "gamestate") does nothing and needs none. A forwarded command is known by
// its own words, not by its class, so that a keyword added to a command
// ("set ServerName player") does not pass it off as another. A forwarded
// command that no row names may be anything to the game server: it needs Full
// Access.

enum class CommandMatch {
    Whole,    // the command is exactly `command`
    Prefix,   // the command starts with `command` (then its arguments)
    Keyword,  // the command's class is the one this keyword selects
};

struct CommandRight {
    std::string_view command;
    CommandMatch match;
    RightsMask rights;  // any one of them allows the command; 0: no right needed
};

inline constexpr std::array<CommandRight, 23> kCommandRights = {{
    // Reading the game: every admin who has logged in.
    {"player list", CommandMatch::Whole, 0},
    {"chat get", CommandMatch::Whole, 0},
    {"mission list", CommandMatch::Whole, 0},
    {"mission available", CommandMatch::Whole, 0},
    {"get gamesettings", CommandMatch::Whole, 0},
    {"weapon list", CommandMatch::Whole, 0},
    // Player Admin: one right per action word. A warning is a chat line.
    {"player punt ", CommandMatch::Prefix, kRightPunt},
    {"player ban ", CommandMatch::Prefix, kRightBan},
    {"player kill ", CommandMatch::Prefix, kRightKill},
    {"player swapteam ", CommandMatch::Prefix, kRightSwap},
    {"player zeroscore ", CommandMatch::Prefix, kRightZero},
    {"chat send ", CommandMatch::Prefix, kRightMessages | kRightWarn},
    // Game Server: the cycle and the settings.
    {"mission cycle", CommandMatch::Whole, kRightCycleToNext},
    {"mission add ", CommandMatch::Prefix, kRightLiveCycleOrder},
    {"mission remove ", CommandMatch::Prefix, kRightLiveCycleOrder},
    {"mission setnext ", CommandMatch::Prefix, kRightLiveCycleOrder},
    {"set ", CommandMatch::Prefix, kRightGameSettings},
    {"cmd ", CommandMatch::Prefix, kRightGameSettings},
    {"weapon set ", CommandMatch::Prefix, kRightGameSettings},
    // Server Manager: the manager's own words.
    {"ACTION", CommandMatch::Keyword, kRightAdminMenu},
    {"UPLOAD", CommandMatch::Keyword, kRightUseSavedLists},
    {"CHATBOT", CommandMatch::Keyword, kRightChatBot},
    {"MESSAGES", CommandMatch::Keyword, kRightMessages},
}};
// "Admin List" names no command: the admin protocol never touches the account
// table; the bit travels to the admin's console with the others at login.

struct RightsNeeded {
    RightsMask rights = 0;  // 0: none
    bool all = false;       // every right in `rights`, not just one of them

    bool operator==(const RightsNeeded&) const = default;
};

// The rights a command of that class needs.
RightsNeeded RightsForCommand(std::string_view text, int commandClass);

bool RightsAllow(RightsMask held, const RightsNeeded& needed);

// A command that only reads the game and that any admin may send ("player
// list", "chat get", ...): the same text from two admins asks for the same
// reply.
bool IsSharedRead(std::string_view text);

// The reply to the admin for a command refused for its rights, e.g.
// "Refused, missing right: Punt", "Refused, missing right: Messages or Warn",
// "Refused, missing right: Full Access".
std::string MissingRightText(const RightsNeeded& needed);
// How MissingRightText begins.
inline constexpr std::string_view kMissingRightPrefix = "Refused, missing right: ";

}  // namespace tavrin
