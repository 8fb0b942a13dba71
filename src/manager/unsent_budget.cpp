#include "manager/unsent_budget.h"

#include <algorithm>

namespace tavrin {

void UnsentBudget::Set(ConnectionId id, size_t unsent) {
    size_t& held = m_unsent[id];
    m_total = m_total - held + unsent;
    held = unsent;
    if (unsent == 0) m_unsent.erase(id);
}

void UnsentBudget::Forget(ConnectionId id) {
    Set(id, 0);
}

size_t UnsentBudget::Unsent(ConnectionId id) const {
    const auto it = m_unsent.find(id);
    return it == m_unsent.end() ? 0 : it->second;
}

std::vector<ConnectionId> UnsentBudget::ToClose(ConnectionId id, size_t bytes) const {
    const size_t own = Unsent(id) + bytes;
    if (own > m_limits.perConnection) return {id};
    if (m_total + bytes <= m_limits.inAll) return {};
    std::vector<std::pair<size_t, ConnectionId>> held;
    held.reserve(m_unsent.size() + 1);
    for (const auto& [other, unsent] : m_unsent)
        if (other != id) held.emplace_back(unsent, other);
    held.emplace_back(own, id);
    // Most unsent first; of equals, the later connection.
    std::sort(held.begin(), held.end(), [](const auto& a, const auto& b) { return a > b; });
    std::vector<ConnectionId> close;
    size_t total = m_total + bytes;
    for (const auto& [unsent, other] : held) {
        if (total <= m_limits.inAll) break;
        close.push_back(other);
        total -= unsent;
    }
    return close;
}

}  // namespace tavrin
