#pragma once

// The manager role in virtual time: the real ManagerRole over a virtual Admin
// Port (frames per connection, timers, closes followed by the disconnection
// event) and a game link a test sets, keeping what a test looks at.

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/manager_role.h"
#include "manager/manager.h"
#include "support/virtual_admin_port.h"

namespace tavrin::testing {

// The game link's state as a test sets it, and what the role hands it: each
// forwarded command with the connection whose event sent it, and the Admins
// field.
struct FixedLink final : ManagerGameLink {
    bool connected = true;
    ConnectionId current = 0;  // the connection whose event the role is handling
    std::vector<std::pair<ConnectionId, std::string>> forwarded;
    std::string adminsField = std::string(kAdminsFieldInitial);

    bool RatConnected() const override { return connected; }
    // Each command goes out with the next ticket, as the session's router
    // numbers them.
    uint64_t SendRatCommand(const std::string& text) override {
        forwarded.emplace_back(current, text);
        return ++lastTicket;
    }
    uint64_t lastTicket = 0;
    void SetAdminsField(const std::string& text) override { adminsField = text; }
};

class VirtualShell final : ManagerRoleObserver, EventSink, AdminPortEvents {
  public:
    explicit VirtualShell(const CAdmins& accounts) : role(link, *this, clock, *this) {
        role.Accounts() = accounts;
        port.events = this;
        role.AttachPort(port);
    }

    // Connects and returns the connection id.
    ConnectionId Connect(const std::string& address = "10.0.0.1") { return port.Connect(address); }
    void Bytes(ConnectionId id, const std::string& bytes) { port.Bytes(id, bytes); }
    void Frames(ConnectionId id, std::initializer_list<std::string> texts) {
        port.Frames(id, texts);
    }
    // The admin closes its end.
    void PeerCloses(ConnectionId id) { port.PeerCloses(id); }
    void Routed(ReplyClass cls, const std::string& text, ReplyKind kind = ReplyKind::Chat,
                const std::string& command = "cmd", uint64_t ticket = 0) {
        link.current = 0;
        role.OnReplyRouted(RouteResult{kind, cls, command, true, ticket}, text);
        port.Settle();
    }
    void DisconnectAll() {
        link.current = 0;
        role.DisconnectAllAdmins();
        port.Settle();
    }

    // Virtual time passes; timers run out in order.
    void Advance(long ms) { port.Advance(ms); }

    long NowMs() const { return port.NowMs(); }
    std::vector<std::string> Texts(ConnectionId id) const { return port.Texts(id); }
    bool IsOpen(ConnectionId id) const { return port.IsOpen(id); }
    bool TimerRunning(ConnectionId id, AdminTimer t) const { return port.TimerRunning(id, t); }
    std::vector<std::string> LogsContaining(const std::string& part) const {
        std::vector<std::string> out;
        for (const auto& l : logs)
            if (l.find(part) != std::string::npos) out.push_back(l);
        return out;
    }

    ManualClock clock;
    FixedLink link;
    VirtualAdminPort port{clock};
    ManagerRole role;
    Manager& manager = role.Decisions();
    CAdmins& accounts = role.Accounts();
    std::map<ConnectionId, std::vector<SentText>>& received = port.received;
    std::set<ConnectionId>& open = port.open;
    std::vector<std::pair<ConnectionId, std::string>>& forwarded = link.forwarded;
    std::vector<std::string> logs;
    std::vector<int> changedRows;
    std::string& adminsField = link.adminsField;

  private:
    // ManagerRoleObserver
    void AdminAccountChanged(int row) override { changedRows.push_back(row); }
    void AdminPortChanged(bool) override {}
    // EventSink: the role's log lines.
    void LogEvent(const std::string& text) override { logs.push_back(text); }
    // AdminPortEvents: to the role, each as its connection's, so that what it
    // forwards is known to be that admin's.
    bool AcceptsAdmin() const override { return role.AcceptsAdmin(); }
    void AdminConnected(ConnectionId id, std::string address) override {
        link.current = id;
        role.AdminConnected(id, std::move(address));
    }
    void AdminBytes(ConnectionId id, std::string_view bytes) override {
        link.current = id;
        role.AdminBytes(id, bytes);
    }
    void AdminTimerFired(ConnectionId id, AdminTimer timer) override {
        link.current = id;
        role.AdminTimerFired(id, timer);
    }
    void AdminDisconnected(ConnectionId id) override {
        link.current = id;
        role.AdminDisconnected(id);
    }
    void AdminPortNote(const std::string& text) override { role.AdminPortNote(text); }
};

}  // namespace tavrin::testing
