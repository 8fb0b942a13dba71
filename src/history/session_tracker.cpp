#include "history/session_tracker.h"

#include <set>

namespace tavrin {

int64_t AddRunningCount(int64_t total, int64_t last, int64_t now) {
    if (now < 0) return total;
    return total + (now >= last ? now - last : now);
}

std::vector<SessionRecord> SessionTracker::OnPlayerList(
    const std::string& server, int64_t now, const std::vector<PlayerSighting>& players) {
    std::map<std::string, Open> next;
    std::vector<SessionRecord> changed;
    for (const PlayerSighting& p : players) {
        if (p.name.empty() || next.count(p.name)) continue;
        Open open;
        if (auto it = m_open.find(p.name);
            it != m_open.end() && it->second.record.server == server) {
            open = std::move(it->second);
        } else {
            open.record.server = server;
            open.record.name = p.name;
            open.record.started = now;
        }
        SessionRecord& r = open.record;
        r.lastSeen = now;
        if (p.kills) {
            r.kills = AddRunningCount(r.kills, open.lastKills, *p.kills);
            open.lastKills = *p.kills;
        }
        if (p.deaths) {
            r.deaths = AddRunningCount(r.deaths, open.lastDeaths, *p.deaths);
            open.lastDeaths = *p.deaths;
        }
        if (p.ping && *p.ping >= 0 && (!r.bestPing || *p.ping < *r.bestPing)) r.bestPing = *p.ping;
        changed.push_back(r);
        next.emplace(p.name, std::move(open));
    }
    m_open = std::move(next);
    return changed;
}

}  // namespace tavrin
