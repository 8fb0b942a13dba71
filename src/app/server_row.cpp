#include "app/server_row.h"

namespace tavrin {

ServerRow SummariseServer(const std::string& name, const SessionState& state,
                          const std::string& lastReason, int playerRows, bool badge,
                          bool viaManager) {
    ServerRow row{name, ServerMark::NotConnected, "Not connected", -1, badge, viaManager};
    if (state.m_fRATConnected) {
        row.players = playerRows;
        if (state.m_fGameMode) {
            row.mark = ServerMark::LoggedIn;
            row.status = "Logged in";
        } else {
            row.mark = ServerMark::MenuMode;
            row.status = "Menu mode";
        }
    } else if (state.m_fAutoRecon) {
        row.mark = ServerMark::Reconnecting;
        // The countdown stands at its full length while an attempt runs.
        row.status = state.m_nAutoReconCountdown < kAutoReconSeconds
                         ? "Reconnecting in " + std::to_string(state.m_nAutoReconCountdown) + " s"
                         : std::string("Reconnecting");
    } else if (!lastReason.empty()) {
        row.mark = ServerMark::Error;
        row.status = "Error: " + lastReason;
    }
    return row;
}

std::string ServerRowText(const ServerRow& row) {
    std::string text = row.name.empty() ? std::string("(favourite)") : row.name;
    if (row.viaManager) text += " (via manager)";
    if (row.badge) text += " (!)";
    text += "\n" + row.status;
    if (row.players >= 0)
        text += " - " + std::to_string(row.players) + (row.players == 1 ? " player" : " players");
    return text;
}

}  // namespace tavrin
