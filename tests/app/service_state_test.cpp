#include "app/service_state.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

// Ready once the configuration is read and the Admin Port listens, in
// either order, and said once; the status follows the connection and the
// admins, sent only when it changes.
TEST(ServiceState, ReadyOnceConfiguredAndListeningThenStatusChanges) {
    ServiceState s({{"", true}});
    EXPECT_EQ(s.FieldChanged(0, Field::Connection, "Connecting..."),
              "STATUS=Connection: Connecting..., Admins: ");
    EXPECT_EQ(s.Started(0), "");
    EXPECT_FALSE(s.Ready());
    EXPECT_EQ(s.FieldChanged(0, Field::Admins, "Admins: 0 / 2"),
              "STATUS=Connection: Connecting..., Admins: 0 / 2");
    EXPECT_EQ(s.PortChanged(0, true), "READY=1");
    EXPECT_TRUE(s.Ready());
    EXPECT_EQ(s.FieldChanged(0, Field::Clock, "12:00:00"), "");
    EXPECT_EQ(s.FieldChanged(0, Field::Connection, "Connected"),
              "STATUS=Connection: Connected, Admins: 0 / 2");
    EXPECT_EQ(s.FieldChanged(0, Field::Connection, "Connected"), "");
    EXPECT_EQ(s.FieldChanged(0, Field::Connection, "Lost\nREADY=1"),
              "STATUS=Connection: Lost\\nREADY=1, Admins: 0 / 2");
    EXPECT_EQ(s.PortChanged(0, false), "");
    EXPECT_EQ(s.PortChanged(0, true), "");
    EXPECT_EQ(ServiceState::Stopping(), "STOPPING=1");
}

TEST(ServiceState, SeveralConsolesAreReadyTogether) {
    ServiceState s({{"[a] ", false}, {"[b] ", false}});
    EXPECT_EQ(s.Started(1), "STATUS=[a] Connection: -; [b] Connection: -");
    EXPECT_EQ(s.Started(0), "READY=1");
    EXPECT_EQ(s.FieldChanged(0, Field::Connection, "Connected"),
              "STATUS=[a] Connection: Connected; [b] Connection: -");
}

}  // namespace
}  // namespace tavrin
