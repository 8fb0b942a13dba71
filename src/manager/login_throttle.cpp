#include "manager/login_throttle.h"

namespace tavrin {

bool LoginThrottle::Refused(const std::string& address) const {
    return RefusedFor(address) > Millis{0};
}

Millis LoginThrottle::RefusedFor(const std::string& address) const {
    const auto it = m_entries.find(address);
    if (it == m_entries.end()) return Millis{0};
    const Millis now = m_clock.Elapsed();
    return it->second.refusedUntil > now ? it->second.refusedUntil - now : Millis{0};
}

bool LoginThrottle::Stale(const Entry& e, Millis now) const {
    return e.refusedUntil <= now &&
           (e.failures.empty() || now - e.failures.back() >= m_limits.window);
}

void LoginThrottle::MakeRoom(Millis now) {
    for (auto it = m_entries.begin(); it != m_entries.end();)
        it = Stale(it->second, now) ? m_entries.erase(it) : std::next(it);
    if (m_entries.size() < m_limits.maxAddresses) return;
    // Every address is live: forget the one quiet for longest, a refused one
    // only when all are refused.
    auto victim = m_entries.end();
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (victim == m_entries.end()) {
            victim = it;
            continue;
        }
        const bool itRefused = it->second.refusedUntil > now;
        const bool victimRefused = victim->second.refusedUntil > now;
        if (itRefused != victimRefused ? !itRefused : it->second.last < victim->second.last)
            victim = it;
    }
    if (victim != m_entries.end()) m_entries.erase(victim);
}

bool LoginThrottle::RecordFailure(const std::string& address) {
    const Millis now = m_clock.Elapsed();
    if (m_entries.find(address) == m_entries.end() && m_entries.size() >= m_limits.maxAddresses)
        MakeRoom(now);
    Entry& e = m_entries[address];
    e.last = now;
    if (e.refusedUntil > now) return false;
    while (!e.failures.empty() && now - e.failures.front() >= m_limits.window)
        e.failures.pop_front();
    e.failures.push_back(now);
    if (e.failures.size() < m_limits.failures) return false;
    e.failures.clear();
    e.refusedUntil = now + m_limits.refusal;
    return true;
}

}  // namespace tavrin
