#pragma once

// What the manager asks of the program around it. The manager decides; the
// shell carries these out, per connection in the order given.

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace tavrin {

// The shell's number for one admin connection; never reused while the
// connection lives.
using ConnectionId = uint64_t;

enum class AdminTimer : int {
    // The pause after a login reply: no frame leaves for this connection
    // until the timer has run out and OnAdminTimer(Pace) was called.
    Pace,
    // The time an admin has to log in.
    LoginDeadline,
};

// Write these bytes (one whole frame) to the connection.
struct SendAdminFrame {
    ConnectionId connection;
    std::string bytes;
    bool operator==(const SendAdminFrame&) const = default;
};
// Start (or restart) a one-shot timer; when it runs out, call OnAdminTimer.
struct StartAdminTimer {
    ConnectionId connection;
    AdminTimer timer;
    int ms;
    bool operator==(const StartAdminTimer&) const = default;
};
struct StopAdminTimer {
    ConnectionId connection;
    AdminTimer timer;
    bool operator==(const StopAdminTimer&) const = default;
};
// Send this command to the game server (RatSession::SendRatCommand), which
// drops it when the manager is not logged in there.
struct ForwardCommand {
    ConnectionId from;
    std::string text;
    bool operator==(const ForwardCommand&) const = default;
};
// Write what is still pending, shut down the sending side and close; stop the
// connection's timers. OnAdminDisconnected follows once it is closed.
struct CloseAdmin {
    ConnectionId connection;
    bool operator==(const CloseAdmin&) const = default;
};
// One event-log line.
struct AdminLogLine {
    std::string text;
    bool operator==(const AdminLogLine&) const = default;
};
// The main window's Admins field shows this text.
struct AdminsFieldChanged {
    std::string text;
    bool operator==(const AdminsFieldChanged&) const = default;
};
// A row of the account table changed (status, last activity): the Admins tab
// redraws it.
struct AccountRowChanged {
    int row;
    bool operator==(const AccountRowChanged&) const = default;
};

using AdminEffect = std::variant<SendAdminFrame, StartAdminTimer, StopAdminTimer, ForwardCommand,
                                 CloseAdmin, AdminLogLine, AdminsFieldChanged, AccountRowChanged>;
using AdminEffects = std::vector<AdminEffect>;

}  // namespace tavrin
