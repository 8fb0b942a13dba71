#pragma once

// One blocking POSIX socket to a port on 127.0.0.1, for test clients that
// speak a framed protocol: connect, send, and receive with a time limit.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <string_view>

namespace tavrin::testing {

class LoopbackSocket {
  public:
    enum class Got { Data, Closed, Error, Timeout };

    LoopbackSocket() = default;
    ~LoopbackSocket() { Close(); }
    LoopbackSocket(const LoopbackSocket&) = delete;
    LoopbackSocket& operator=(const LoopbackSocket&) = delete;

    // 0 on success, else the errno of the connect. A `receiveBuffer` above 0
    // fixes the system's receive buffer before the connect, so a client that
    // reads nothing takes no more than that however the system would grow it.
    int Connect(int port, int receiveBuffer = 0) {
        Close();
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (receiveBuffer > 0)
            ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
        // Each frame goes out when sent: a client whose peer cannot write to
        // it gets its acknowledgements late, and small frames held back for
        // them would reach the peer in bursts, long after the test sent them.
        const int one = 1;
        ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
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
    }

    bool SendRaw(std::string_view bytes) {
        return ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
               static_cast<ssize_t>(bytes.size());
    }

    // Waits up to `timeout` for bytes and appends what one receive gives to
    // `into`; `error` holds the errno of a failed receive.
    Got Receive(std::string& into, std::chrono::milliseconds timeout, int* error = nullptr,
                size_t* received = nullptr) {
        pollfd p{m_fd, POLLIN, 0};
        if (timeout.count() <= 0 || ::poll(&p, 1, static_cast<int>(timeout.count())) <= 0)
            return Got::Timeout;
        char buf[65536];
        const ssize_t n = ::recv(m_fd, buf, sizeof buf, 0);
        if (n == 0) return Got::Closed;
        if (n < 0) {
            if (error) *error = errno;
            return Got::Error;
        }
        if (received) *received = static_cast<size_t>(n);
        into.append(buf, static_cast<size_t>(n));
        return Got::Data;
    }

  private:
    int m_fd = -1;
};

}  // namespace tavrin::testing
