#include "link/qt/posix_stream.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "link/socket_errors.h"

namespace tavrin {

PosixStream::~PosixStream() {
    Close();
}

PosixStream::ConnectStart PosixStream::Connect(const std::string& host, int port) {
    if (port <= 0 || port > 65535) return {Connecting::Failed, kAddressNotAvailable};
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (::getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0 || !found)
        return {Connecting::Failed, kHostNotFound};
    m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const int rc = m_fd < 0 ? -1 : ::connect(m_fd, found->ai_addr, found->ai_addrlen);
    const int err = rc == 0 ? 0 : errno;
    ::freeaddrinfo(found);
    if (rc == 0) return {Connecting::Connected, 0};
    if (err == EINPROGRESS) return {Connecting::InProgress, 0};
    return {Connecting::Failed, SocketErrorFromErrno(err)};
}

int PosixStream::ConnectResult() const {
    int soError = 0;
    socklen_t len = sizeof soError;
    ::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &soError, &len);
    return SocketErrorFromErrno(soError);
}

long PosixStream::Available() const {
    int available = 0;
    if (m_fd < 0 || ::ioctl(m_fd, FIONREAD, &available) != 0) return 0;
    return available;
}

void PosixStream::ShutdownSend() {
    if (m_fd >= 0) ::shutdown(m_fd, SHUT_WR);
}

void PosixStream::Close() {
    if (m_fd < 0) return;
    ::close(m_fd);
    m_fd = -1;
}

long PosixStream::Send(const char* data, size_t count, int& error) {
    const ssize_t n = ::send(m_fd, data, count, MSG_NOSIGNAL);
    if (n < 0) error = SocketErrorFromErrno(errno);
    return n;
}

long PosixStream::Recv(char* data, size_t count, int& error) {
    const ssize_t n = ::recv(m_fd, data, count, 0);
    if (n < 0) error = SocketErrorFromErrno(errno);
    return n;
}

}  // namespace tavrin
