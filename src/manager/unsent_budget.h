#pragma once

// The bytes written to admin connections that the admins have not taken yet,
// per connection and in all. An admin that does not read makes the manager
// hold its replies; the budget says which connections to close so that the
// manager's memory stays bounded however many admins stop reading: one past
// its own share, and, when all together pass theirs, the ones holding most
// first.

#include <cstddef>
#include <unordered_map>
#include <vector>

#include "manager/admin_effects.h"

namespace tavrin {

class UnsentBudget {
  public:
    struct Limits {
        size_t perConnection = 4 * 1024 * 1024;
        size_t inAll = 64 * 1024 * 1024;
    };

    UnsentBudget() : UnsentBudget(Limits{}) {}
    explicit UnsentBudget(Limits limits) : m_limits(limits) {}

    // The connection holds `unsent` bytes now.
    void Set(ConnectionId id, size_t unsent);
    // The connection is closed: what it held is gone.
    void Forget(ConnectionId id);

    // `bytes` more are to be written to `id`: the connections to close first
    // for them to fit, the most unsent first (counting the new bytes with
    // `id`; of two that hold as much, the one that came later). Holds `id`
    // itself when the frame would take it past its own share or when it
    // holds most; the frame is then not to be written.
    std::vector<ConnectionId> ToClose(ConnectionId id, size_t bytes) const;

    size_t Unsent(ConnectionId id) const;
    size_t Total() const { return m_total; }
    const Limits& GetLimits() const { return m_limits; }

  private:
    Limits m_limits;
    std::unordered_map<ConnectionId, size_t> m_unsent;
    size_t m_total = 0;
};

}  // namespace tavrin
