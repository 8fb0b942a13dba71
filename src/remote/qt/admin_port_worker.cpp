#include "remote/qt/admin_port_worker.h"

#include <QSslSocket>
#include <QThread>
#include <QTimer>
#include <utility>

#include "link/frame.h"
#include "link/socket_errors.h"

namespace tavrin {

namespace {
// How long a close waits for the frames still to be written.
constexpr int kCloseFlushMs = 1000;
// The most bytes taken from the socket at a time.
constexpr qint64 kReadChunk = 64 * 1024;
}  // namespace

int SocketErrorFromQt(QAbstractSocket::SocketError error) {
    switch (error) {
        case QAbstractSocket::RemoteHostClosedError:
            return kSocketOk;
        case QAbstractSocket::ConnectionRefusedError:
            return kConnectionRefused;
        case QAbstractSocket::HostNotFoundError:
            return kHostNotFound;
        case QAbstractSocket::SocketTimeoutError:
            return kTimedOut;
        case QAbstractSocket::NetworkError:
            return kNetworkUnreachable;
        case QAbstractSocket::SocketAccessError:
            return kAccessDenied;
        case QAbstractSocket::SocketResourceError:
            return kNoBuffers;
        case QAbstractSocket::AddressInUseError:
            return kAddressInUse;
        case QAbstractSocket::SocketAddressNotAvailableError:
            return kAddressNotAvailable;
        default:
            return kConnectionAborted;
    }
}

AdminPortWorker::AdminPortWorker(std::string host, int port, RatThreadEvents& events,
                                 AdminTlsSettings tls, std::function<void(const std::string&)> note)
    : m_host(std::move(host)),
      m_port(port),
      m_events(events),
      m_tls(std::move(tls)),
      m_note(std::move(note)),
      m_threadId(reinterpret_cast<quintptr>(QThread::currentThreadId())) {}

AdminPortWorker::~AdminPortWorker() {
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
    }
}

void AdminPortWorker::Start() {
    // Connects from the event loop: no event of this attempt reaches the
    // session in the middle of the one that started it.
    QTimer::singleShot(0, this, [this] {
        if (m_ended || m_closing) return;
        if (m_tls.tls && !QSslSocket::supportsSsl()) {
            Note("TLS is not available here (no TLS backend)");
            if (Current()) m_events.RatSocketError(kConnectionAborted, kOriginConnect);
            End(kConnectionAborted);
            return;
        }
        QTcpSocket* socket = nullptr;
        if (m_tls.tls) {
            auto* tls = new QSslSocket(this);
            ConfigureAdminTls(*tls, m_tls, [this](std::string problem) {
                for (const std::string& p : m_tlsProblems)
                    if (p == problem) return;
                m_tlsProblems.push_back(std::move(problem));
            });
            connect(tls, &QSslSocket::encrypted, this, &AdminPortWorker::HandleConnected);
            socket = tls;
        } else {
            socket = new QTcpSocket(this);
            connect(socket, &QTcpSocket::connected, this, &AdminPortWorker::HandleConnected);
        }
        m_socket = socket;
        connect(socket, &QTcpSocket::readyRead, this, &AdminPortWorker::HandleBytes);
        connect(socket, &QTcpSocket::errorOccurred, this, &AdminPortWorker::HandleError);
        connect(socket, &QTcpSocket::disconnected, this, &AdminPortWorker::HandleDisconnected);
        const QString host = QString::fromStdString(m_host);
        if (auto* tls = qobject_cast<QSslSocket*>(socket))
            tls->connectToHostEncrypted(host, static_cast<quint16>(m_port));
        else
            socket->connectToHost(host, static_cast<quint16>(m_port));
    });
}

void AdminPortWorker::HandleConnected() {
    if (m_ended) return;
    m_connected = true;
    if (Current()) m_events.RatConnected();
    // Bytes that came with the handshake are read now.
    if (!m_ended && m_socket && m_socket->bytesAvailable() > 0) HandleBytes();
}

void AdminPortWorker::HandleBytes() {
    while (!m_ended && m_connected && m_socket && m_socket->bytesAvailable() > 0) {
        const QByteArray bytes = m_socket->read(kReadChunk);
        if (bytes.isEmpty()) break;
        m_bytesRecv += bytes.size();
        std::string_view rest(bytes.constData(), static_cast<size_t>(bytes.size()));
        while (!rest.empty() && !m_ended) {
            AdminFrameReader::Result r = m_reader.Feed(rest);
            rest.remove_prefix(r.used);
            if (r.status == AdminFrameReader::Status::NeedMore) break;
            if (r.status == AdminFrameReader::Status::Broken) {
                Note("the manager announced a frame of " + std::to_string(r.announced) +
                     " bytes, more than an admin frame holds: connection closed");
                m_lastError = kConnectionAborted;
                if (Current()) m_events.RatSocketError(kConnectionAborted, kOriginReceive);
                End(kConnectionAborted);
                return;
            }
            if (!Current()) continue;
            if (m_ignore)
                m_events.RatFrameIgnored(r.text);
            else
                m_events.RatFrameReceived(r.text);
        }
    }
}

void AdminPortWorker::HandleError(QAbstractSocket::SocketError error) {
    if (m_ended || error == QAbstractSocket::RemoteHostClosedError) return;
    const int code = SocketErrorFromQt(error);
    m_lastError = code;
    if (error == QAbstractSocket::SslHandshakeFailedError || !m_tlsProblems.empty()) {
        std::string why;
        for (const std::string& p : m_tlsProblems) why += (why.empty() ? "" : "; ") + p;
        if (why.empty() && m_socket) why = m_socket->errorString().toLocal8Bit().toStdString();
        Note("TLS to the manager failed: " + why);
    }
    if (!m_connected) {
        // The connect failed: reported as the game server's worker does.
        if (Current()) m_events.RatSocketError(code, kOriginConnect);
        End(code);
        return;
    }
    if (m_socket && m_socket->state() == QAbstractSocket::UnconnectedState) End(code);
}

void AdminPortWorker::HandleDisconnected() {
    if (m_ended) return;
    HandleBytes();  // whatever arrived before the close counts
    End(m_lastError);
}

void AdminPortWorker::PostCloseRequest() {
    QTimer::singleShot(0, this, [this] {
        if (m_ended || m_closing) return;
        m_closing = true;
        if (!m_socket || !m_connected) {
            if (m_socket) m_socket->abort();
            End(0);
            return;
        }
        // The manager has no logout: the frames still waiting go, then the
        // socket closes, and the manager frees the account.
        m_socket->disconnectFromHost();
        if (m_socket->state() == QAbstractSocket::UnconnectedState) {
            End(0);
            return;
        }
        QTimer::singleShot(kCloseFlushMs, this, [this] {
            if (m_ended) return;
            if (m_socket) m_socket->abort();
            End(0);
        });
    });
}

void AdminPortWorker::PostFrame(std::string frame) {
    if (m_ended || m_closing || !m_socket || !m_connected || frame.empty()) return;
    const qint64 written = m_socket->write(frame.data(), static_cast<qint64>(frame.size()));
    if (written > 0) m_bytesSent += static_cast<long>(written);
}

void AdminPortWorker::PostIgnore(bool ignore) {
    m_ignore = ignore;
}

RatSocketSnapshot AdminPortWorker::Snapshot() const {
    RatSocketSnapshot s;
    s.connected = m_connected && !m_ended;
    s.ignore = m_ignore;
    s.bytesSent = m_bytesSent;
    s.bytesRecv = m_bytesRecv;
    s.lastErrorCode = m_lastError;
    return s;
}

quintptr AdminPortWorker::ThreadId() const {
    return m_threadId;
}

void AdminPortWorker::End(int code) {
    if (m_ended) return;
    const bool current = Current();
    m_ended = true;
    m_connected = false;
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
    }
    if (current) m_events.RatSocketClosed(code > 10000 ? code : 0);
    emit ended();
}

void AdminPortWorker::Note(const std::string& text) const {
    if (m_note) m_note(text);
}

}  // namespace tavrin
