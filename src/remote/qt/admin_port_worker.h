#pragma once

#include <QPointer>
#include <QTcpSocket>
#include <functional>
#include <string>
#include <vector>

#include "link/qt/link_worker.h"
#include "manager/admin_frame.h"
#include "remote/qt/admin_tls.h"

namespace tavrin {

// One connection attempt to a manager's Admin Port, as a remote admin. It
// runs on the main thread's event loop (one socket; the manager paces what
// it sends), reads admin frames and hands each frame's text to its events,
// and writes the frames the session gives it as they are. Socket failures
// carry the same error numbers as the game server's worker, so AutoRecon
// and the Last Reason field read the same.
class AdminPortWorker final : public LinkWorker {
    Q_OBJECT
  public:
    // `note` hears, in words, what the numbers cannot say (a TLS problem, a
    // broken frame); it may be empty.
    AdminPortWorker(std::string host, int port, RatThreadEvents& events, AdminTlsSettings tls,
                    std::function<void(const std::string&)> note);
    ~AdminPortWorker() override;

    void Start() override;
    void PostCloseRequest() override;
    void PostFrame(std::string frame) override;
    void PostIgnore(bool ignore) override;
    RatSocketSnapshot Snapshot() const override;
    quintptr ThreadId() const override;

  private:
    void HandleConnected();
    void HandleBytes();
    void HandleError(QAbstractSocket::SocketError error);
    void HandleDisconnected();
    // Ends the attempt once: the close is reported with `code` (0: a clean
    // close), then `ended`.
    void End(int code);
    // Only the current worker's events reach the session.
    bool Current() const { return !m_ended && m_events.IsCurrentWorker(this); }
    void Note(const std::string& text) const;

    std::string m_host;
    int m_port;
    RatThreadEvents& m_events;
    AdminTlsSettings m_tls;
    std::function<void(const std::string&)> m_note;

    QPointer<QTcpSocket> m_socket;
    AdminFrameReader m_reader;
    bool m_connected = false;
    bool m_ignore = false;
    bool m_ended = false;
    bool m_closing = false;
    std::vector<std::string> m_tlsProblems;
    long m_bytesSent = 0;
    long m_bytesRecv = 0;
    int m_lastError = 0;
    quintptr m_threadId;  // the main thread's: the worker has none of its own
};

// Error numbers for what a Qt socket reports: the numbers of the game
// server's worker. A close by the peer is 0.
int SocketErrorFromQt(QAbstractSocket::SocketError error);

}  // namespace tavrin
