#pragma once

#include <cstdint>
#include <string>

#include "link/session.h"

namespace tavrin {

// The state a row of the window's server list marks.
enum class ServerMark {
    LoggedIn,      // logged in, the game running
    MenuMode,      // logged in while the server is in its menus
    Reconnecting,  // AutoRecon: its countdown or an attempt runs
    NotConnected,  // never logged in, or logged out
    Error,         // the last connection ended (or never began) for a reason
};

// What one open server's row shows: its name, the mark with its text (the
// AutoRecon countdown in it), the player count while logged in, and the
// badge of a catch not yet seen.
struct ServerRow {
    std::string name;
    ServerMark mark = ServerMark::NotConnected;
    std::string status;
    int players = -1;  // -1: none known (not logged in)
    bool badge = false;
    bool viaManager = false;  // a remote console: the server is reached through a manager

    bool operator==(const ServerRow&) const = default;
};

// A console's row from its session state, its "Last Reason" field, the rows
// of its player list, whether a catch waits unseen and whether it is the
// remote admin of a manager (a record of managers.cfg).
ServerRow SummariseServer(const std::string& name, const SessionState& state,
                          const std::string& lastReason, int playerRows, bool badge,
                          bool viaManager = false);

// The row as the list shows it: the name (with "(via manager)" for a remote
// console and "(!)" for the badge) on the first line, the status and players
// on the second.
std::string ServerRowText(const ServerRow& row);

// Whether a server's ChatBot has caught someone since its row was last
// selected, from its running count of catches.
class CatchBadge {
  public:
    // The count now; a selected row sees every catch as it comes.
    void Update(uint64_t catches, bool selected) {
        if (selected) m_seen = catches;
        m_catches = catches;
    }
    // The row was selected: what it has caught so far is seen.
    void Seen() { m_seen = m_catches; }
    bool On() const { return m_catches > m_seen; }

  private:
    uint64_t m_catches = 0;
    uint64_t m_seen = 0;
};

}  // namespace tavrin
