#pragma once

// What the manager asks of the program around it. The manager decides; the
// shell carries these out, per connection in the order given.

#include <cstdint>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "manager/failure_log.h"

namespace tavrin {

// The shell's number for one admin connection; never reused while the
// connection lives.
using ConnectionId = uint64_t;
// Not a connection: timers of the Admin Port as a whole.
inline constexpr ConnectionId kWholePort = 0;

enum class AdminTimer : int {
    // The pause after a login reply: no frame leaves for this connection
    // until the timer has run out and OnAdminTimer(Pace) was called.
    Pace,
    // The time an admin has to log in.
    LoginDeadline,
    // The minute of failed logins and refusals is over (on kWholePort): call
    // OnAdminTimer(kWholePort, FailureSummary).
    FailureSummary,
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
// A failed login or a refusal: the manager logs it in full or only counts
// it (FailureLog). It never leaves the manager; the shell sees AdminLogLine.
struct FailureLogLine {
    std::string text;
    std::string address;
    FailureKind kind;
    bool operator==(const FailureLogLine&) const = default;
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

using AdminEffect =
    std::variant<SendAdminFrame, StartAdminTimer, StopAdminTimer, ForwardCommand, CloseAdmin,
                 AdminLogLine, FailureLogLine, AdminsFieldChanged, AccountRowChanged>;
using AdminEffects = std::vector<AdminEffect>;

inline AdminEffect FailureLine(FailureKind kind, std::string address, std::string text) {
    return AdminEffect{std::in_place_type<FailureLogLine>,
                       FailureLogLine{std::move(text), std::move(address), kind}};
}

}  // namespace tavrin
