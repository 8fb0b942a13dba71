#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "common/command_sink.h"
#include "common/user_dialogs.h"
#include "players/player_list.h"

namespace tavrin {

// A command must fit a 128-byte buffer with its closing zero byte.

// The one or two commands an admin menu line makes for one player.
struct AdminAction {
    std::string actionWord;    // e.g. " punt ", " swapteam "
    std::string first;         // the action command, or the chat line of a warning
    std::string second;        // the chat line after an action command, or empty
    std::string confirmation;  // the text of the Yes/No question
    // Warn only talks: its question defaults to Yes. Every other action
    // changes the game for the player, so Enter and Escape answer No.
    DefaultAnswer confirmationDefault = DefaultAnswer::No;
};

// What Yes will do, in words, for the confirmation's first line, e.g. "Punt
// Shadow (id 4) with the message: KICKED FOR TEAM-KILLING?".
std::string ActionSentence(std::string_view actionWord, std::string_view id, std::string_view name,
                           std::string_view message);

// " kind " in lower case; a word containing "swap" becomes " swapteam " and one
// containing "zero" " zeroscore " (zero wins), unless it contains "warn".
std::string ActionWord(std::string_view kind);

// Splits the menu line (kind, backslash, message) and builds the commands for
// the player with this id and name.
AdminAction BuildAdminAction(std::string_view menuLine, std::string_view id, std::string_view name);

// True for the game server's answer to an admin action.
bool IsActionResultReply(std::string_view reply);

// Hands the non-empty commands, first then second, to the command path as one
// batch with a 250 ms pause after each. A command longer than 127 characters
// is never cut: then nothing is posted and the result is false.
bool PostCommands(CommandSink& sink, std::string_view first, std::string_view second);

// The command side of the Players tab: admin actions on a clicked row and the
// Refresh PlayerList button.
class AdminActions {
  public:
    // Shows the admin popup menu and returns the chosen line, or "" for none.
    using ChooseMenuLine = std::function<std::string()>;

    AdminActions(const PlayerList& players, CommandSink& commands, UserDialogs& dialogs);

    // A right click on row `row` (-1 when it hit no row). Offers the menu only
    // on a row, and acts on the player that was clicked even when the list is
    // refreshed while the menu is open.
    void OnPlayerRightClick(int row, const ChooseMenuLine& chooseMenuLine);

    // Sends "player list".
    void RefreshPlayerList();

  private:
    const PlayerList& m_players;
    CommandSink& m_commands;
    UserDialogs& m_dialogs;
};

}  // namespace tavrin
