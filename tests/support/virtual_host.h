#pragma once

// A session host in virtual time: timers fire when a test advances the
// clock, workers live until a test ends them, and everything the session
// shows or sends is recorded.

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "link/session.h"
#include "link/session_host_listener.h"

namespace tavrin::testing {

class VirtualHost final : public SessionHost {
  public:
    struct Sent {
        long atMs;
        std::string frame;
    };

    // The session that receives timer ticks.
    RatSession* session = nullptr;
    // When set, it hears the ticks instead of the session, and what the
    // session shows and routes, as the real host reports them.
    SessionHostListener* listener = nullptr;
    // Real time: also moves the ManualClock given here, when there is one.
    ManualClock* clock = nullptr;

    void StartTimer(TimerId id, int periodMs) override {
        timers[id] = {periodMs, nowMs + periodMs};
    }
    void StopTimer(TimerId id) override { timers.erase(id); }
    bool Running(TimerId id) const { return timers.count(id) != 0; }

    void StartWorker(const LoginDetails& d, int port) override {
        if (listener) listener->ConnectionStarted();
        ++liveWorkers;
        ++workersStarted;
        lastDetails = d;
        lastPort = port;
    }
    bool HasWorker() const override { return liveWorkers > 0; }
    void PostCloseRequest() override {
        ++closeRequests;
        if (workerEndsOnClose) EndWorker();
    }
    void WaitForWorkers(std::function<void()> then) override {
        if (liveWorkers == 0) {
            then();
            return;
        }
        waits.push_back({nowMs + 1000, std::move(then)});
    }
    // The worker ends: a pending wait goes on.
    void EndWorker() {
        if (liveWorkers > 0) --liveWorkers;
        if (liveWorkers == 0) ReleaseWaits();
    }
    void SendFrame(std::string frame) override { sent.push_back({nowMs, std::move(frame)}); }
    void SetIgnoreReplies(bool ignore) override {
        ignoreChanges.push_back({nowMs, ignore ? "on" : "off"});
    }
    void FieldChanged(Field f, const std::string& text) override {
        fieldChanges.push_back(std::string(kFieldNames[static_cast<size_t>(f)]) + ": " + text);
        if (listener) listener->FieldChanged(f, text);
    }
    void ControlChanged(Control c, bool on) override {
        if (listener) listener->ControlChanged(c, on);
    }
    void ReplyRouted(const RouteResult& r, const std::string& text) override {
        routed.push_back(r);
        if (listener) listener->ReplyRouted(r, text);
    }
    void RemoteRights(uint32_t rights) override {
        remoteRights.push_back(rights);
        if (listener) listener->RemoteRights(rights);
    }

    // Moves virtual time forward, firing timers (and bounded waits) in order.
    void Advance(long ms) {
        const long end = nowMs + ms;
        for (;;) {
            long due = end + 1;
            TimerId which{};
            for (auto& [id, t] : timers)
                if (t.dueMs < due) {
                    due = t.dueMs;
                    which = id;
                }
            long waitDue = waits.empty() ? end + 1 : waits.front().dueMs;
            if (due > end && waitDue > end) break;
            if (waitDue <= due) {
                SetNow(waitDue);
                ReleaseWaits();
                continue;
            }
            SetNow(due);
            timers[which].dueMs += timers[which].periodMs;
            if (listener)
                listener->TimerFired(which);
            else
                session->OnTimer(which);
        }
        SetNow(end);
    }

    // Commands sent, as texts, in order.
    std::vector<std::string> Commands() const {
        std::vector<std::string> out;
        for (const auto& s : sent) {
            // A command frame ends with its only zero byte; a login block may hold zeros anywhere.
            if (s.frame.size() < 9 || s.frame.back() != '\0') continue;
            std::string text = s.frame.substr(8, s.frame.size() - 9);
            if (text.find('\0') == std::string::npos) out.push_back(text);
        }
        return out;
    }

    struct Timer {
        int periodMs;
        long dueMs;
    };
    struct Wait {
        long dueMs;
        std::function<void()> then;
    };
    std::map<TimerId, Timer> timers;
    std::vector<Wait> waits;
    long nowMs = 0;
    int liveWorkers = 0;
    int workersStarted = 0;
    int closeRequests = 0;
    bool workerEndsOnClose = true;
    LoginDetails lastDetails;
    int lastPort = 0;
    std::vector<Sent> sent;
    std::vector<std::pair<long, std::string>> ignoreChanges;
    std::vector<std::string> fieldChanges;
    std::vector<RouteResult> routed;
    std::vector<uint32_t> remoteRights;

  private:
    void SetNow(long ms) {
        if (clock) {
            LocalTime t = clock->Now();
            long secs = t.hour * 3600L + t.minute * 60L + t.second;
            secs += ms / 1000 - nowMs / 1000;
            t.hour = static_cast<int>((secs / 3600) % 24);
            t.minute = static_cast<int>((secs / 60) % 60);
            t.second = static_cast<int>(secs % 60);
            clock->Set(t);
            clock->Advance(Millis(ms - nowMs));
        }
        nowMs = ms;
    }
    void ReleaseWaits() {
        auto ready = std::move(waits);
        waits.clear();
        for (auto& w : ready) w.then();
    }
};

// A server in game mode accepts the login: the encryption code and the welcome.
inline void AcceptLogin(RatSession& session) {
    session.OnRatConnected();
    session.OnRatFrameReceived("ABCDEFGHIJKLMNOPQRSTUVWXYZ012345");
    session.OnRatFrameReceived("Welcome admin");
}

// The console's first commands after a login go out and are answered (no
// chat, the game running, "ERROR" to the rest); then nothing sent is kept.
inline void AnswerFirstCommands(VirtualHost& host, RatSession& session) {
    host.Advance(2000);
    for (const std::string& command : host.Commands())
        session.OnRatFrameReceived(command == "chat get"        ? ""
                                   : command == "get gamestate" ? "Current State = Game"
                                                                : "ERROR");
    host.sent.clear();
}

}  // namespace tavrin::testing
