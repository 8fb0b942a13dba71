#pragma once

// An Admin Port in virtual time: connections a test opens and feeds, the
// frames the manager sends each one (decoded, with the moment they left),
// its timers run out when the test advances time, and a close followed by
// the disconnection, after the call that asked for it, as the real port does.

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "common/clock.h"
#include "manager/admin_frame.h"
#include "manager/admin_port.h"

namespace tavrin::testing {

// Admin frames of the given texts, back to back, written out here rather than
// by the encoder, so that the frame reader's tests stand on their own.
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
    long atMs;  // virtual time since the port was made
    bool operator==(const SentText&) const = default;
};

class VirtualAdminPort final : public AdminPort {
  public:
    // `clock` moves with the port's virtual time.
    explicit VirtualAdminPort(ManualClock& clock) : m_clock(clock) {}

    // Where connection events go (the manager role); set before the first.
    AdminPortEvents* events = nullptr;

    bool SetListening(bool on) override { return m_listening = on; }
    bool Listening() const override { return m_listening; }
    void SendFrame(ConnectionId id, std::string bytes) override {
        EXPECT_TRUE(open.count(id)) << "a frame for a closed connection";
        AdminFrameReader reader;
        const auto r = reader.Feed(bytes);
        EXPECT_EQ(r.status, AdminFrameReader::Status::Frame);
        EXPECT_EQ(r.used, bytes.size()) << "one whole frame at a time";
        received[id].push_back({r.text, NowMs()});
    }
    void StartTimer(ConnectionId id, AdminTimer timer, int ms) override {
        m_timers[{id, timer}] = NowMs() + ms;
    }
    void StopTimer(ConnectionId id, AdminTimer timer) override { m_timers.erase({id, timer}); }
    void Close(ConnectionId id) override {
        m_timers.erase({id, AdminTimer::Pace});
        m_timers.erase({id, AdminTimer::LoginDeadline});
        m_closing.push_back(id);
    }

    // An admin connects; returns its connection.
    ConnectionId Connect(const std::string& address = "10.0.0.1") {
        const ConnectionId id = m_nextId++;
        open.insert(id);
        events->AdminConnected(id, address);
        Settle();
        return id;
    }
    void Bytes(ConnectionId id, const std::string& bytes) {
        events->AdminBytes(id, bytes);
        Settle();
    }
    void Frames(ConnectionId id, std::initializer_list<std::string> texts) {
        Bytes(id, AdminFrames(texts));
    }
    // The admin closes its end.
    void PeerCloses(ConnectionId id) {
        if (open.erase(id)) events->AdminDisconnected(id);
        Settle();
    }
    // The connections the manager closed are gone: each disconnection is
    // reported, after the call that closed it.
    void Settle() {
        while (!m_closing.empty()) {
            const ConnectionId id = m_closing.front();
            m_closing.erase(m_closing.begin());
            if (open.erase(id)) events->AdminDisconnected(id);
        }
    }

    // Virtual time passes; timers run out in order.
    void Advance(long ms) {
        const long until = NowMs() + ms;
        for (;;) {
            auto next = m_timers.end();
            for (auto it = m_timers.begin(); it != m_timers.end(); ++it)
                if (next == m_timers.end() || it->second < next->second) next = it;
            if (next == m_timers.end() || next->second > until) break;
            m_clock.Advance(Millis(next->second - NowMs()));
            const auto [id, timer] = next->first;
            m_timers.erase(next);
            events->AdminTimerFired(id, timer);
            Settle();
        }
        m_clock.Advance(Millis(until - NowMs()));
    }

    long NowMs() const { return static_cast<long>((m_clock.Elapsed() - m_start).count()); }
    std::vector<std::string> Texts(ConnectionId id) const {
        std::vector<std::string> out;
        if (auto it = received.find(id); it != received.end())
            for (const auto& s : it->second) out.push_back(s.text);
        return out;
    }
    bool IsOpen(ConnectionId id) const { return open.count(id) != 0; }
    bool TimerRunning(ConnectionId id, AdminTimer t) const { return m_timers.count({id, t}) != 0; }

    std::map<ConnectionId, std::vector<SentText>> received;
    std::set<ConnectionId> open;

  private:
    ManualClock& m_clock;
    Millis m_start = m_clock.Elapsed();
    bool m_listening = false;
    ConnectionId m_nextId = 1;
    std::map<std::pair<ConnectionId, AdminTimer>, long> m_timers;
    std::vector<ConnectionId> m_closing;
};

}  // namespace tavrin::testing
