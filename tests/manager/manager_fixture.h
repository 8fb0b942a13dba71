#pragma once

// A shell for the manager in virtual time: it carries out the effects as the
// real one does (frames per connection, timers, closes followed by the
// disconnection event) and keeps what a test looks at.

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "manager/admin_frame.h"
#include "manager/manager.h"

namespace tavrin::testing {

// Admin frames of the given texts, back to back.
inline std::string AdminFrames(std::initializer_list<std::string> texts) {
    std::string bytes;
    for (const auto& t : texts) {
        const auto n = static_cast<uint32_t>(t.size());
        bytes += static_cast<char>(n >> 24);
        bytes += static_cast<char>((n >> 16) & 0xFF);
        bytes += static_cast<char>((n >> 8) & 0xFF);
        bytes += static_cast<char>(n & 0xFF);
        bytes += t;
    }
    return bytes;
}

struct SentText {
    std::string text;
    long atMs;  // virtual time since the fixture started
    bool operator==(const SentText&) const = default;
};

// The game link's state as a test sets it.
struct FixedLink final : GameLinkStatus {
    bool connected = true;
    bool RatConnected() const override { return connected; }
};

class VirtualShell {
  public:
    explicit VirtualShell(CAdmins& accounts) : manager(accounts, clock, link) {}

    // Connects and returns the connection id.
    ConnectionId Connect(const std::string& address = "10.0.0.1") {
        const ConnectionId id = m_nextId++;
        open.insert(id);
        Apply(manager.OnAdminConnected(id, address));
        return id;
    }
    void Bytes(ConnectionId id, const std::string& bytes) {
        Apply(manager.OnAdminBytes(id, bytes));
    }
    void Frames(ConnectionId id, std::initializer_list<std::string> texts) {
        Bytes(id, AdminFrames(texts));
    }
    // The admin closes its end.
    void PeerCloses(ConnectionId id) {
        if (open.erase(id)) Apply(manager.OnAdminDisconnected(id));
    }
    void Routed(ReplyClass cls, const std::string& text, ReplyKind kind = ReplyKind::Chat,
                const std::string& command = "cmd") {
        Apply(manager.OnReplyRouted(RouteResult{kind, cls, command, true}, text));
    }
    void DisconnectAll() { Apply(manager.DisconnectAllAdmins()); }

    // Virtual time passes; timers run out in order.
    void Advance(long ms) {
        const long until = NowMs() + ms;
        for (;;) {
            auto next = m_timers.end();
            for (auto it = m_timers.begin(); it != m_timers.end(); ++it)
                if (next == m_timers.end() || it->second < next->second) next = it;
            if (next == m_timers.end() || next->second > until) break;
            clock.Advance(Millis(next->second - NowMs()));
            const auto [id, timer] = next->first;
            m_timers.erase(next);
            Apply(manager.OnAdminTimer(id, timer));
        }
        clock.Advance(Millis(until - NowMs()));
    }

    long NowMs() const { return static_cast<long>((clock.Elapsed() - m_start).count()); }
    std::vector<std::string> Texts(ConnectionId id) const {
        std::vector<std::string> out;
        auto it = received.find(id);
        if (it != received.end())
            for (const auto& s : it->second) out.push_back(s.text);
        return out;
    }
    bool IsOpen(ConnectionId id) const { return open.count(id) != 0; }
    bool TimerRunning(ConnectionId id, AdminTimer t) const { return m_timers.count({id, t}) != 0; }
    std::vector<std::string> LogsContaining(const std::string& part) const {
        std::vector<std::string> out;
        for (const auto& l : logs)
            if (l.find(part) != std::string::npos) out.push_back(l);
        return out;
    }

    ManualClock clock;
    FixedLink link;
    Manager manager;
    std::map<ConnectionId, std::vector<SentText>> received;
    std::set<ConnectionId> open;
    std::vector<std::pair<ConnectionId, std::string>> forwarded;
    std::vector<std::string> logs;
    std::vector<int> changedRows;
    std::string adminsField = std::string(kAdminsFieldInitial);

  private:
    void Apply(const AdminEffects& effects) {
        std::vector<ConnectionId> closed;
        for (const AdminEffect& e : effects) {
            if (auto* f = std::get_if<SendAdminFrame>(&e)) {
                EXPECT_TRUE(open.count(f->connection)) << "a frame for a closed connection";
                AdminFrameReader reader;
                auto r = reader.Feed(f->bytes);
                EXPECT_EQ(r.status, AdminFrameReader::Status::Frame);
                EXPECT_EQ(r.used, f->bytes.size()) << "one whole frame per effect";
                received[f->connection].push_back({r.text, NowMs()});
            } else if (auto* t = std::get_if<StartAdminTimer>(&e)) {
                m_timers[{t->connection, t->timer}] = NowMs() + t->ms;
            } else if (auto* s = std::get_if<StopAdminTimer>(&e)) {
                m_timers.erase({s->connection, s->timer});
            } else if (auto* c = std::get_if<ForwardCommand>(&e)) {
                forwarded.emplace_back(c->from, c->text);
            } else if (auto* c = std::get_if<CloseAdmin>(&e)) {
                m_timers.erase({c->connection, AdminTimer::Pace});
                m_timers.erase({c->connection, AdminTimer::LoginDeadline});
                closed.push_back(c->connection);
            } else if (auto* l = std::get_if<AdminLogLine>(&e)) {
                logs.push_back(l->text);
            } else if (auto* a = std::get_if<AdminsFieldChanged>(&e)) {
                adminsField = a->text;
            } else if (auto* r = std::get_if<AccountRowChanged>(&e)) {
                changedRows.push_back(r->row);
            }
        }
        for (ConnectionId id : closed) {
            open.erase(id);
            Apply(manager.OnAdminDisconnected(id));
        }
    }

    ConnectionId m_nextId = 1;
    Millis m_start = clock.Elapsed();
    std::map<std::pair<ConnectionId, AdminTimer>, long> m_timers;
};

}  // namespace tavrin::testing
