#include "manager/unsent_budget.h"

#include <gtest/gtest.h>

#include <utility>

namespace tavrin {
namespace {

TEST(UnsentBudget, WhoIsClosedForAFrameToFit) {
    const struct {
        const char* what;
        std::vector<std::pair<ConnectionId, size_t>> unsent;
        ConnectionId writer;
        size_t bytes;
        std::vector<ConnectionId> closed;
    } cases[] = {
        // Limits: 80 per connection, 100 in all.
        {"within both", {{1, 30}, {2, 30}}, 1, 40, {}},
        {"past its own share", {{1, 50}}, 1, 31, {1}},
        {"past its own share alone", {}, 1, 81, {1}},
        {"in all: the one with most goes", {{1, 30}, {2, 50}, {3, 10}}, 3, 20, {2}},
        {"in all: the writer holds most", {{1, 30}, {2, 40}}, 1, 35, {1}},
        {"in all: as many as it takes", {{1, 50}, {2, 45}, {3, 40}}, 4, 30, {1, 2}},
        {"of two alike, the later", {{1, 50}, {2, 50}}, 3, 10, {2}},
        {"exactly the limit", {{1, 50}, {2, 30}}, 2, 20, {}},
    };
    for (const auto& c : cases) {
        UnsentBudget budget(UnsentBudget::Limits{80, 100});
        for (const auto& [id, n] : c.unsent) budget.Set(id, n);
        EXPECT_EQ(budget.ToClose(c.writer, c.bytes), c.closed) << c.what;
    }
}

TEST(UnsentBudget, WhatIsTakenOrClosedLeavesTheTotal) {
    UnsentBudget budget(UnsentBudget::Limits{80, 100});
    budget.Set(1, 60);
    budget.Set(2, 30);
    budget.Set(1, 20);  // the admin read some
    EXPECT_EQ(budget.Total(), 50u);
    budget.Forget(2);
    EXPECT_EQ(budget.Total(), 20u);
    EXPECT_EQ(budget.Unsent(2), 0u);
    // What was closed no longer counts against the others.
    EXPECT_TRUE(budget.ToClose(3, 80).empty());
}

}  // namespace
}  // namespace tavrin
