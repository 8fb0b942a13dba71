#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "history/history_records.h"

namespace tavrin {

// One player of a parsed player list, as the history reads it. A count the
// list did not give as a number is nullopt.
struct PlayerSighting {
    std::string name;
    std::optional<int64_t> kills;
    std::optional<int64_t> deaths;
    std::optional<int> ping;
};

// Tells the sessions apart. A session is a stretch of consecutive player
// lists of one connection that hold the name: a list without the name ends
// it, and so does a new connection (a reconnect starts a new session even for
// a player who never left the game).
class SessionTracker {
  public:
    // A connection starts: every open session ends.
    void NewConnection() { m_open.clear(); }

    // A list of `server` read at `now`: the session of every name it holds,
    // as it stands after this list (a name listed twice counts once, its
    // first row). Sessions of names it lacks end.
    std::vector<SessionRecord> OnPlayerList(const std::string& server, int64_t now,
                                            const std::vector<PlayerSighting>& players);

    size_t OpenSessions() const { return m_open.size(); }

  private:
    struct Open {
        SessionRecord record;
        // The game's running counts at the last list: a drop means its
        // score was reset (a new map, a zeroed score), not that kills were undone.
        int64_t lastKills = 0;
        int64_t lastDeaths = 0;
    };
    std::map<std::string, Open> m_open;
};

// Adds a running count to a session's total: the rise since the last list,
// or the whole count after a reset.
int64_t AddRunningCount(int64_t total, int64_t last, int64_t now);

}  // namespace tavrin
