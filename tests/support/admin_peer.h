#pragma once

// An admin console at the other end of the manager's Admin Port, over one
// blocking POSIX socket: admin frames out and in, with time limits.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "manager/admin_frame.h"

namespace tavrin::testing {

using namespace std::chrono_literals;

class AdminPeer {
  public:
    enum class Kind { Frame, Closed, Error, Broken, Timeout };
    struct Read {
        Kind kind = Kind::Timeout;
        std::string text;
    };

    AdminPeer() = default;
    ~AdminPeer() { Close(); }
    AdminPeer(const AdminPeer&) = delete;
    AdminPeer& operator=(const AdminPeer&) = delete;

    // 0 on success, else the errno of the connect.
    int Connect(int port) {
        Close();
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) return 0;
        const int e = errno;
        Close();
        return e;
    }
    void Close() {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = -1;
        m_pending.clear();
        m_reader = AdminFrameReader();
    }

    bool SendRaw(std::string_view bytes) {
        return ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
               static_cast<ssize_t>(bytes.size());
    }
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
            pollfd p{m_fd, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0)
                return {Kind::Timeout, {}};
            char buf[65536];
            const ssize_t n = ::recv(m_fd, buf, sizeof buf, 0);
            if (n == 0) return {Kind::Closed, {}};
            if (n < 0) return {errno == ECONNRESET ? Kind::Closed : Kind::Error, {}};
            m_pending.append(buf, static_cast<size_t>(n));
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
    int m_fd = -1;
    AdminFrameReader m_reader;
    std::string m_pending;
};

}  // namespace tavrin::testing
