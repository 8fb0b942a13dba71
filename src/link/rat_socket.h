#pragma once

#include <cstddef>
#include <deque>
#include <string>

#include "link/frame.h"

namespace tavrin {

// A non-blocking byte stream. Each call returns the bytes moved (0 for a read
// that met the end of the stream), or -1 with `error` set to a socket-library
// code (kWouldBlock when nothing can move now).
class NonBlockingStream {
  public:
    virtual ~NonBlockingStream() = default;
    virtual long Send(const char* data, size_t count, int& error) = 0;
    virtual long Recv(char* data, size_t count, int& error) = 0;
};

// What the socket reports towards the main window.
class RatSocketEvents {
  public:
    virtual ~RatSocketEvents() = default;
    virtual void RatFrameReceived(const std::string& text) = 0;
    // A complete reply taken while replies are ignored: it is not routed,
    // but it still answers the command it was sent for.
    virtual void RatFrameIgnored(const std::string& text) = 0;
    virtual void RatTcpStackFull(int error, int origin) = 0;
    virtual void RatSendNotCompleted(int error, int origin) = 0;
    virtual void RatSocketError(int error, int origin) = 0;
};

// What the state dump shows of a connection's socket.
struct RatSocketSnapshot {
    bool connected = false;
    bool gameMode = true;
    bool readDataLength = true;
    bool ignore = false;
    long bytesSent = 0;
    long sendDataLen = 0;
    long bytesRecv = 0;
    long recvDataLen = 8;
    int lastErrorCode = 0;
};

// The game-server socket's send and receive logic, apart from the socket
// itself. One object per connection; all calls come from the thread that owns
// the connection.
class CRatSocket {
  public:
    CRatSocket(NonBlockingStream& stream, RatSocketEvents& events);

    // Takes one complete frame. A frame offered while another is still pending
    // waits its turn and is sent after it. Failures are reported through the
    // events.
    void SendFrame(std::string frame);

    // Pushes the rest of the pending frame (and any waiting ones) into the stream.
    void DoAsyncSendBuffer();

    // The stream has room again.
    void OnSend(int error);

    // The stream has bytes to read: reads once, at most what the current
    // phase still needs. Returns false once the stream has ended or broken.
    bool OnReceive(int error);

    bool m_fIgnore = false;
    bool m_fConnected = false;
    bool m_fGameMode = true;
    int m_lastErrorCode = 0;

    RatSocketSnapshot Snapshot() const;
    size_t PendingFrames() const { return m_queue.size() + (m_nSendDataLen ? 1 : 0); }
    bool ReceiveEnded() const { return m_fReceiveEnded; }

  private:
    void StartNextFrame();

    NonBlockingStream& m_stream;
    RatSocketEvents& m_events;

    std::string m_pSendBuffer;
    size_t m_nSendDataLen = 0;
    size_t m_nBytesSent = 0;
    std::deque<std::string> m_queue;

    FrameReader m_reader;
    bool m_fReceiveEnded = false;
};

}  // namespace tavrin
