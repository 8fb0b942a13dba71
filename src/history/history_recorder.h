#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "history/history_records.h"
#include "history/session_tracker.h"

namespace tavrin {

// A sanction read from the commands that carry it out.
struct SanctionSeen {
    SanctionAction action = SanctionAction::Warn;
    std::string player;
    std::string reason;

    bool operator==(const SanctionSeen&) const = default;
};

// The name of the listed player with this id, or "" when none has it.
using PlayerNameLookup = std::function<std::string(const std::string& id)>;

// The sanctions a batch of commands takes, in order. "player punt 4" (ban,
// kill, swapteam, zeroscore alike) sanctions the player with id 4, its reason
// the message of a "chat send NAME  > MESSAGE" line that follows it; such a
// chat line on its own is a warning of NAME. A player no list names is
// written "(id 4)". Any other command is no sanction.
std::vector<SanctionSeen> SanctionsInCommands(const std::vector<std::string>& commands,
                                              const PlayerNameLookup& nameOfId);

// What a console records, for one server: it keeps the sessions apart and
// hands every record to the queue with the time of `utcNow`. The console
// calls it; it owns no thread and no clock.
class HistoryRecorder {
  public:
    HistoryRecorder(HistoryQueue& queue, std::function<int64_t()> utcNow)
        : m_queue(queue), m_utcNow(std::move(utcNow)) {}

    // A connection starts: the next list starts new sessions.
    void NewConnection() { m_sessions.NewConnection(); }
    // A parsed player list of `server` and its counts.
    void PlayerList(const std::string& server, const std::vector<PlayerSighting>& players,
                    int total, int team1, int team2);
    void Sanction(const std::string& server, const SanctionSeen& sanction, std::string_view source);
    // The commands a source sent: the sanctions among them.
    void Commands(const std::string& server, const std::vector<std::string>& commands,
                  std::string_view source, const PlayerNameLookup& nameOfId);

  private:
    HistoryQueue& m_queue;
    std::function<int64_t()> m_utcNow;
    SessionTracker m_sessions;
};

}  // namespace tavrin
