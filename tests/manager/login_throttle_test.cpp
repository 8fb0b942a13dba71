#include "manager/login_throttle.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

using std::chrono::minutes;
using std::chrono::seconds;

// Failures at the given seconds, then whether the address is refused at `at`.
TEST(LoginThrottle, FiveFailuresWithinAMinuteRefuseForFiveMinutes) {
    const struct {
        const char* what;
        std::vector<int> failures;  // seconds
        int at;
        bool refused;
        int starts;  // failures that started a refusal
    } cases[] = {
        {"four failures", {0, 1, 2, 3}, 4, false, 0},
        {"five at once", {0, 0, 0, 0, 0}, 0, true, 1},
        {"five within 59 s", {0, 10, 20, 30, 59}, 60, true, 1},
        {"the first has aged out", {0, 10, 20, 30, 60}, 61, false, 0},
        {"a sixth after an aged-out one", {0, 10, 20, 30, 60, 65}, 66, true, 1},
        {"still refused just before 5 minutes", {0, 0, 0, 0, 10}, 10 + 299, true, 1},
        {"free after 5 minutes", {0, 0, 0, 0, 10}, 10 + 300, false, 1},
    };
    for (const auto& c : cases) {
        ManualClock clock;
        LoginThrottle throttle(clock);
        const Millis start = clock.Elapsed();
        int starts = 0;
        for (int s : c.failures) {
            clock.Advance(start + seconds(s) - clock.Elapsed());
            starts += throttle.RecordFailure("10.0.0.1") ? 1 : 0;
        }
        clock.Advance(start + seconds(c.at) - clock.Elapsed());
        EXPECT_EQ(throttle.Refused("10.0.0.1"), c.refused) << c.what;
        EXPECT_EQ(starts, c.starts) << c.what;
        EXPECT_FALSE(throttle.Refused("10.0.0.2")) << c.what;
    }
}

TEST(LoginThrottle, FailuresDuringARefusalDoNotProlongIt) {
    ManualClock clock;
    LoginThrottle throttle(clock);
    for (int i = 0; i < 5; ++i) throttle.RecordFailure("a");
    EXPECT_EQ(throttle.RefusedFor("a"), minutes(5));
    clock.Advance(minutes(4));
    EXPECT_FALSE(throttle.RecordFailure("a"));
    EXPECT_EQ(throttle.RefusedFor("a"), minutes(1));
    clock.Advance(minutes(1));
    EXPECT_FALSE(throttle.Refused("a"));
    // After the refusal the count starts afresh.
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(throttle.RecordFailure("a"));
    EXPECT_TRUE(throttle.RecordFailure("a"));
}

TEST(LoginThrottle, TheTableOfAddressesIsBounded) {
    ManualClock clock;
    LoginThrottle throttle(clock, {5, seconds(60), minutes(5), 100});
    for (int i = 0; i < 5; ++i) throttle.RecordFailure("locked");
    for (int i = 0; i < 1000; ++i) {
        clock.Advance(Millis(1));
        throttle.RecordFailure("10.1." + std::to_string(i / 256) + "." + std::to_string(i % 256));
        ASSERT_LE(throttle.TrackedAddresses(), 100u);
    }
    // The quiet ones went first; the refused address is still refused.
    EXPECT_TRUE(throttle.Refused("locked"));
    // Entries whose failures have aged out are dropped when room is needed.
    clock.Advance(minutes(10));
    throttle.RecordFailure("new");
    EXPECT_LE(throttle.TrackedAddresses(), 100u);
    EXPECT_FALSE(throttle.Refused("locked"));
}

}  // namespace
}  // namespace tavrin
