#include "players/admin_actions.h"

#include <array>
#include <vector>

#include "common/tab_command.h"
#include "common/text_helpers.h"
#include "common/value_text.h"

namespace tavrin {
namespace {

// Tested in this order; the first hit decides.
constexpr std::array<std::string_view, 7> kActionResults = {
    "Player Zeroed", "Player Killed", "Player Swapped", "Player Punted",
    "Player punted", "Player Banned", "Player banned"};

}  // namespace

std::string ActionWord(std::string_view kind) {
    std::string word = LowerAscii(" " + std::string(kind) + " ");
    if (Contains(word, "warn")) return word;
    // Both tests look at the kind itself, so a kind with both words is zeroed.
    const bool swap = Contains(word, "swap");
    if (Contains(word, "zero")) return " zeroscore ";
    if (swap) return " swapteam ";
    return word;
}

std::string ActionSentence(std::string_view actionWord, std::string_view id, std::string_view name,
                           std::string_view message) {
    const std::string who = std::string(name) + " (id " + std::string(id) + ")";
    std::string doing;
    if (Contains(actionWord, "warn")) {
        doing = "Warn " + who;
    } else if (actionWord == " swapteam ") {
        doing = "Swap " + who + " to the other team";
    } else if (actionWord == " zeroscore ") {
        doing = "Zero the score of " + who;
    } else {
        // Punt, Ban, Kill and any other kind: the kind as a verb.
        std::string verb(actionWord);
        verb.erase(0, verb.find_first_not_of(' '));
        verb.erase(verb.find_last_not_of(' ') + 1);
        if (!verb.empty() && verb[0] >= 'a' && verb[0] <= 'z')
            verb[0] = static_cast<char>(verb[0] - 'a' + 'A');
        doing = verb + " " + who;
    }
    return doing + " with the message: " + std::string(message) + "?";
}

AdminAction BuildAdminAction(std::string_view menuLine, std::string_view id,
                             std::string_view name) {
    const size_t p = menuLine.find('\\');
    const std::string_view kind =
        p == std::string_view::npos ? std::string_view() : menuLine.substr(0, p);
    const std::string_view message =
        p == std::string_view::npos ? menuLine : menuLine.substr(p + 1);

    AdminAction action;
    action.actionWord = ActionWord(kind);
    const std::string idText = std::string(id) + " ";
    const std::string nameText = std::string(name) + " ";
    const std::string messageText = " > " + std::string(message);
    const std::string chatLine = "chat send " + nameText + messageText;
    if (Contains(action.actionWord, "warn")) {
        action.first = chatLine;
    } else {
        action.first = "player" + action.actionWord + idText;
        action.second = chatLine;
    }
    action.confirmation = ActionSentence(action.actionWord, id, name, message) + "\n\n" +
                          action.actionWord + "\n" + messageText + "\n" + nameText + "\n" + idText;
    action.confirmationDefault =
        Contains(action.actionWord, "warn") ? DefaultAnswer::Yes : DefaultAnswer::No;
    return action;
}

bool IsActionResultReply(std::string_view reply) {
    for (auto marker : kActionResults) {
        if (Contains(reply, marker)) return true;
    }
    return false;
}

bool PostCommands(CommandSink& sink, std::string_view first, std::string_view second) {
    if (first.size() > kMaxTabCommand || second.size() > kMaxTabCommand) return false;
    std::vector<PacedCommand> batch;
    for (std::string_view command : {first, second}) {
        if (!command.empty()) batch.push_back({std::string(command), kCommandPauseMs});
    }
    if (!batch.empty()) sink.SubmitCommands(std::move(batch));
    return true;
}

AdminActions::AdminActions(const PlayerList& players, CommandSink& commands, UserDialogs& dialogs)
    : m_players(players), m_commands(commands), m_dialogs(dialogs) {}

void AdminActions::OnPlayerRightClick(int row, const ChooseMenuLine& chooseMenuLine) {
    const auto& rows = m_players.Rows();
    if (row < 0 || static_cast<size_t>(row) >= rows.size()) return;
    // Copied before the menu opens: a refresh meanwhile must not move the
    // action onto whichever player now has this row.
    const PlayerRow clicked = rows[static_cast<size_t>(row)];

    const std::string line = chooseMenuLine();
    if (line.empty()) return;
    if (line.find('\\') == std::string::npos) {
        m_dialogs.ShowMessage("Menu line has no action: " + line);
        return;
    }
    const AdminAction action =
        BuildAdminAction(line, clicked.cells[kColumnId], clicked.cells[kColumnName]);

    // The host (id 0) cannot be punted or banned.
    if (clicked.cells[kColumnId] == "0" &&
        (action.actionWord == " punt " || action.actionWord == " ban ")) {
        m_dialogs.ShowMessage("Can't" + action.actionWord + "server host");
        return;
    }
    for (const std::string* command : {&action.first, &action.second}) {
        if (command->size() > kMaxTabCommand) {
            m_dialogs.ShowMessage(TabCommandTooLongMessage(*command, command->size()));
            return;
        }
    }
    if (!m_dialogs.AskYesNo(action.confirmation, action.confirmationDefault)) return;
    PostCommands(m_commands, action.first, action.second);
}

void AdminActions::RefreshPlayerList() {
    PostCommands(m_commands, "player list", "");
}

}  // namespace tavrin
