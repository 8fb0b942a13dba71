#include "history/history_recorder.h"

#include <array>
#include <utility>

namespace tavrin {
namespace {

struct ActionVerb {
    std::string_view verb;
    SanctionAction action;
};
// The verbs of "player VERB ID" that act on a player.
constexpr std::array<ActionVerb, 5> kActionVerbs = {{
    {"punt", SanctionAction::Punt},
    {"ban", SanctionAction::Ban},
    {"kill", SanctionAction::Kill},
    {"swapteam", SanctionAction::Swap},
    {"zeroscore", SanctionAction::Zero},
}};

constexpr std::string_view kPlayerPrefix = "player ";
constexpr std::string_view kChatPrefix = "chat send ";
// Between the name and the message of an admin's chat line to a player.
constexpr std::string_view kToPlayer = "  > ";

std::string_view Trim(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

struct ChatToPlayer {
    std::string name;
    std::string message;
};

std::optional<ChatToPlayer> ReadChatToPlayer(std::string_view command) {
    if (command.substr(0, kChatPrefix.size()) != kChatPrefix) return std::nullopt;
    command.remove_prefix(kChatPrefix.size());
    const size_t at = command.find(kToPlayer);
    if (at == std::string_view::npos || at == 0) return std::nullopt;
    return ChatToPlayer{std::string(command.substr(0, at)),
                        std::string(Trim(command.substr(at + kToPlayer.size())))};
}

std::optional<std::pair<SanctionAction, std::string>> ReadPlayerAction(std::string_view command) {
    if (command.substr(0, kPlayerPrefix.size()) != kPlayerPrefix) return std::nullopt;
    command = Trim(command.substr(kPlayerPrefix.size()));
    const size_t space = command.find(' ');
    if (space == std::string_view::npos) return std::nullopt;
    const std::string_view verb = command.substr(0, space);
    std::string_view id = Trim(command.substr(space + 1));
    id = id.substr(0, id.find(' '));
    if (id.empty() || id.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    for (const ActionVerb& v : kActionVerbs)
        if (v.verb == verb) return std::make_pair(v.action, std::string(id));
    return std::nullopt;
}

}  // namespace

std::vector<SanctionSeen> SanctionsInCommands(const std::vector<std::string>& commands,
                                              const PlayerNameLookup& nameOfId) {
    std::vector<SanctionSeen> seen;
    for (size_t i = 0; i < commands.size(); ++i) {
        if (auto action = ReadPlayerAction(commands[i])) {
            SanctionSeen s;
            s.action = action->first;
            s.player = nameOfId ? nameOfId(action->second) : std::string();
            if (i + 1 < commands.size()) {
                if (auto chat = ReadChatToPlayer(commands[i + 1])) {
                    s.reason = chat->message;
                    if (s.player.empty()) s.player = chat->name;
                    ++i;
                }
            }
            if (s.player.empty()) s.player = "(id " + action->second + ")";
            seen.push_back(std::move(s));
        } else if (auto chat = ReadChatToPlayer(commands[i])) {
            seen.push_back({SanctionAction::Warn, chat->name, chat->message});
        }
    }
    return seen;
}

void HistoryRecorder::PlayerList(const std::string& server,
                                 const std::vector<PlayerSighting>& players, int total, int team1,
                                 int team2) {
    const int64_t now = m_utcNow();
    std::vector<HistoryItem> items;
    for (SessionRecord& r : m_sessions.OnPlayerList(server, now, players))
        items.emplace_back(std::move(r));
    items.emplace_back(CountRecord{now, server, total, team1, team2});
    m_queue.Add(std::move(items));
}

void HistoryRecorder::Sanction(const std::string& server, const SanctionSeen& sanction,
                               std::string_view source) {
    m_queue.Add({SanctionRecord{m_utcNow(), server, sanction.player, sanction.action,
                                sanction.reason, std::string(source)}});
}

void HistoryRecorder::Commands(const std::string& server, const std::vector<std::string>& commands,
                               std::string_view source, const PlayerNameLookup& nameOfId) {
    for (const SanctionSeen& s : SanctionsInCommands(commands, nameOfId))
        Sanction(server, s, source);
}

}  // namespace tavrin
