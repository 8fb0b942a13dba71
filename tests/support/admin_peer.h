#pragma once

// An admin console at the other end of the manager's Admin Port: admin frames
// out and in, with time limits.

#include <cerrno>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "manager/admin_frame.h"
#include "support/loopback_socket.h"

namespace tavrin::testing {

using namespace std::chrono_literals;

class AdminPeer {
  public:
    enum class Kind { Frame, Closed, Error, Broken, Timeout };
    struct Read {
        Kind kind = Kind::Timeout;
        std::string text;
    };

    // 0 on success, else the errno of the connect; see LoopbackSocket for
    // `receiveBuffer`.
    int Connect(int port, int receiveBuffer = 0) {
        Close();
        return m_socket.Connect(port, receiveBuffer);
    }
    void Close() {
        m_socket.Close();
        m_pending.clear();
        m_reader = AdminFrameReader();
    }

    bool SendRaw(std::string_view bytes) { return m_socket.SendRaw(bytes); }
    bool Send(std::string_view text) { return SendRaw(EncodeAdminFrame(text)); }

    Read ReadFrame(std::chrono::milliseconds timeout = 5s) {
        const auto until = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            if (!m_pending.empty()) {
                auto f = m_reader.Feed(m_pending);
                m_pending.erase(0, f.used);
                if (f.status == AdminFrameReader::Status::Frame)
                    return {Kind::Frame, std::move(f.text)};
                if (f.status == AdminFrameReader::Status::Broken) return {Kind::Broken, {}};
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                until - std::chrono::steady_clock::now());
            int error = 0;
            switch (m_socket.Receive(m_pending, left, &error)) {
                case LoopbackSocket::Got::Data:
                    break;
                case LoopbackSocket::Got::Closed:
                    return {Kind::Closed, {}};
                case LoopbackSocket::Got::Error:
                    return {error == ECONNRESET ? Kind::Closed : Kind::Error, {}};
                case LoopbackSocket::Got::Timeout:
                    return {Kind::Timeout, {}};
            }
        }
    }
    // The text of the next frame; "" when none came.
    std::string Next(std::chrono::milliseconds timeout = 5s) {
        Read r = ReadFrame(timeout);
        return r.kind == Kind::Frame ? r.text : std::string();
    }
    // The connection ends within the time, with no frame before the end.
    bool ClosesWithoutFrame(std::chrono::milliseconds timeout = 5s) {
        return ReadFrame(timeout).kind == Kind::Closed;
    }

    // Greeting, user, password: the texts the manager answered with, in
    // order, until it has said whether the login holds (three for a login:
    // "User:OK", the rights, the link state).
    std::vector<std::string> Login(const std::string& user, const std::string& pass) {
        std::vector<std::string> got;
        if (Next() != "Hollispark") return got;
        Send(user);
        got.push_back(Next());
        if (got.back() != "User:OK") return got;
        Send(pass);
        got.push_back(Next());
        if (got.back().find(':') != std::string::npos) return got;  // a rejection
        got.push_back(Next());
        return got;
    }

  private:
    LoopbackSocket m_socket;
    AdminFrameReader m_reader;
    std::string m_pending;
};

}  // namespace tavrin::testing
