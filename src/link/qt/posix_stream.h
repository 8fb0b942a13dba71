#pragma once

#include <string>

#include "link/rat_socket.h"

namespace tavrin {

// The game-server connection's socket on a POSIX system: a non-blocking TCP
// stream whose failures carry the socket library's numbers. Every system
// call of the link lives here, so another platform replaces this one file.
// It tells a reset from a clean close, which Qt's sockets report alike.
class PosixStream final : public NonBlockingStream {
  public:
    enum class Connecting { Connected, InProgress, Failed };
    struct ConnectStart {
        Connecting state = Connecting::Failed;
        int code = 0;  // the socket-library number when it failed
    };

    PosixStream() = default;
    ~PosixStream() override;
    PosixStream(const PosixStream&) = delete;
    PosixStream& operator=(const PosixStream&) = delete;

    // Looks the host up and starts a non-blocking connect.
    ConnectStart Connect(const std::string& host, int port);
    // The outcome of a connect in progress: 0, or the socket-library number.
    int ConnectResult() const;

    // The handle to watch for readable and writable notifications; -1 once closed.
    int Handle() const { return m_fd; }
    // Bytes that a read would return now.
    long Available() const;
    void ShutdownSend();
    void Close();

    long Send(const char* data, size_t count, int& error) override;
    long Recv(char* data, size_t count, int& error) override;

  private:
    int m_fd = -1;
};

}  // namespace tavrin
