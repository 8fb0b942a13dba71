#include "manager/qt/qt_admin_port.h"

#include <QFile>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <algorithm>

#if defined(__GLIBC__)
#include <malloc.h>
#endif
#if defined(__linux__)
#include <linux/sockios.h>
#include <sys/ioctl.h>
#endif

#include "manager/manager.h"
#include "manager/tls_key_pair.h"

namespace tavrin {
namespace {

// How many bytes one readable notification takes from a connection before
// the others get their turn.
constexpr qint64 kReadSlice = 64 * 1024;

std::string PeerText(const QTcpSocket& socket) {
    QHostAddress peer = socket.peerAddress();
    bool v4 = false;
    const quint32 ip4 = peer.toIPv4Address(&v4);
    if (v4) peer = QHostAddress(ip4);
    return peer.toString().toStdString();
}

// Bytes the system still holds for the peer: written by the manager but not
// yet taken by the peer's side of the connection. The system's send buffer
// grows on its own up to megabytes per connection, so leaving it out would
// let the one who reads least look as if he held least.
size_t SystemUnsent(const QTcpSocket& socket) {
#if defined(__linux__)
    const qintptr fd = socket.socketDescriptor();
    int queued = 0;
    if (fd >= 0 && ::ioctl(static_cast<int>(fd), SIOCOUTQ, &queued) == 0 && queued > 0)
        return static_cast<size_t>(queued);
#else
    (void)socket;
#endif
    return 0;
}

}  // namespace

QtAdminPort::QtAdminPort(AdminPortEvents& events, AdminPortOptions options)
    : m_events(events),
      m_options(std::move(options)),
      m_unsent(UnsentBudget::Limits{
          static_cast<size_t>(std::max<int64_t>(0, m_options.maxUnsentBytes)),
          static_cast<size_t>(std::max<int64_t>(0, m_options.maxUnsentInAll))}) {
    m_failureSummary.setSingleShot(true);
    m_failureSummary.setTimerType(Qt::CoarseTimer);
    connect(&m_failureSummary, &QTimer::timeout, this,
            [this] { m_events.AdminTimerFired(kWholePort, AdminTimer::FailureSummary); });
    m_trim.setSingleShot(true);
    connect(&m_trim, &QTimer::timeout, this, [] {
#if defined(__GLIBC__)
        // The buffers of ended connections are freed, but glibc keeps the
        // pages unless asked: a flood of connections would leave the manager
        // as large as at its peak.
        malloc_trim(0);
#endif
    });
}

QtAdminPort::~QtAdminPort() {
    // The sockets are the connections' own; nothing is reported any more.
    for (auto& [id, c] : m_connections) {
        c->gone = true;
        if (c->socket) {
            c->socket->disconnect(this);
            c->socket->abort();
            delete c->socket;
        }
    }
}

bool QtAdminPort::UsesTls() const {
    return !m_options.tlsCertificate.isEmpty() || !m_options.tlsKey.isEmpty();
}

bool QtAdminPort::Listening() const {
    return m_server && m_server->isListening();
}

uint16_t QtAdminPort::ServerPort() const {
    return Listening() ? m_server->serverPort() : m_options.port;
}

QString QtAdminPort::Where() const {
    const QHostAddress& a = m_options.bind;
    const QString host =
        a == QHostAddress::Any ? QStringLiteral("all local addresses") : a.toString();
    return host + QStringLiteral(" port ") + QString::number(ServerPort());
}

bool QtAdminPort::SetListening(bool on) {
    if (!on) {
        if (m_server) {
            m_server->close();
            m_server.reset();
            m_events.AdminPortNote("Admin Port closed");
        }
        return false;
    }
    if (Listening()) return true;
    if (UsesTls()) {
        QFile certFile(m_options.tlsCertificate);
        QFile keyFile(m_options.tlsKey);
        QSslCertificate cert;
        QSslKey key;
        if (certFile.open(QIODevice::ReadOnly)) cert = QSslCertificate(&certFile, QSsl::Pem);
        if (keyFile.open(QIODevice::ReadOnly)) key = QSslKey(&keyFile, QSsl::Rsa, QSsl::Pem);
        if (key.isNull() && keyFile.open(QIODevice::ReadOnly))
            key = QSslKey(&keyFile, QSsl::Ec, QSsl::Pem);
        if (!QSslSocket::supportsSsl() || cert.isNull() || key.isNull()) {
            // Never a plain port instead: the admins' passwords would travel
            // in the clear.
            m_events.AdminPortNote(
                "Admin Port not opened: the TLS certificate or key cannot be read (" +
                m_options.tlsCertificate.toStdString() + ", " + m_options.tlsKey.toStdString() +
                ")");
            return false;
        }
        // A key that is not the certificate's would fail every handshake on
        // an open port, with nothing to say why.
        const QByteArray keyDer = key.toDer();
        const QByteArray publicDer = cert.publicKey().toDer();
        if (CheckKeyPair(std::string_view(keyDer.constData(), keyDer.size()),
                         std::string_view(publicDer.constData(), publicDer.size())) ==
            KeyPairCheck::Mismatch) {
            m_events.AdminPortNote(
                "Admin Port not opened: the TLS key does not belong to the certificate (" +
                m_options.tlsCertificate.toStdString() + ", " + m_options.tlsKey.toStdString() +
                ")");
            return false;
        }
        auto server = std::make_unique<QSslServer>();
        QSslConfiguration config = QSslConfiguration::defaultConfiguration();
        config.setLocalCertificate(cert);
        config.setPrivateKey(key);
        config.setPeerVerifyMode(QSslSocket::VerifyNone);
        server->setSslConfiguration(config);
        m_server = std::move(server);
    } else {
        m_server = std::make_unique<QTcpServer>();
    }
    m_server->setListenBacklogSize(kAdminListenBacklog);
    connect(m_server.get(), &QTcpServer::pendingConnectionAvailable, this,
            &QtAdminPort::acceptPending);
    if (!m_server->listen(m_options.bind, m_options.port)) {
        m_events.AdminPortNote(
            "Admin Port not opened on " + m_options.bind.toString().toStdString() + " port " +
            std::to_string(m_options.port) + ": " + m_server->errorString().toStdString());
        m_server.reset();
        return false;
    }
    m_events.AdminPortNote("Admin Port open on " + Where().toStdString() +
                           (UsesTls() ? " (TLS)" : ""));
    return true;
}

void QtAdminPort::acceptPending() {
    while (m_server && m_server->hasPendingConnections()) adopt(m_server->nextPendingConnection());
}

void QtAdminPort::adopt(QTcpSocket* socket) {
    if (socket == nullptr) return;
    socket->setParent(nullptr);
    if (!m_events.AcceptsAdmin()) {
        // Past the limit: the manager logs the refusal; the connection gets
        // no greeting and costs nothing more.
        const ConnectionId id = m_nextId++;
        std::string peer = PeerText(*socket);
        socket->abort();
        socket->deleteLater();
        m_events.AdminConnected(id, std::move(peer));
        m_events.AdminDisconnected(id);
        return;
    }
    auto c = std::make_unique<Connection>();
    c->id = m_nextId++;
    c->socket = socket;
    const ConnectionId id = c->id;
    m_connections.emplace(id, std::move(c));
    // What the admin sends waits in the system, not here, until it is read.
    socket->setReadBufferSize(kReadSlice);
    connect(socket, &QTcpSocket::readyRead, this, [this, id] { readFrom(id); });
    connect(socket, &QTcpSocket::bytesWritten, this, [this, id] {
        if (Connection* written = find(id)) noteUnsent(*written);
    });
    // Queued: a close asked while the manager handles this connection's
    // bytes ends it after that handling, never inside it.
    connect(
        socket, &QTcpSocket::disconnected, this, [this, id] { ended(id); }, Qt::QueuedConnection);
    m_events.AdminConnected(id, PeerText(*socket));
    // Bytes that came with the connection.
    if (find(id) != nullptr && socket->bytesAvailable() > 0) readFrom(id);
}

QtAdminPort::Connection* QtAdminPort::find(ConnectionId id) {
    const auto it = m_connections.find(id);
    return it == m_connections.end() ? nullptr : it->second.get();
}

void QtAdminPort::readFrom(ConnectionId id) {
    Connection* c = find(id);
    if (c == nullptr || c->closing) return;
    QTcpSocket* socket = c->socket;
    const QByteArray bytes = socket->read(kReadSlice);
    if (!bytes.isEmpty()) m_events.AdminBytes(id, std::string_view(bytes.data(), bytes.size()));
    // More than one slice waiting: the rest on the next turn of the loop.
    c = find(id);
    if (c != nullptr && !c->closing && socket->bytesAvailable() > 0)
        QMetaObject::invokeMethod(
            this, [this, id] { readFrom(id); }, Qt::QueuedConnection);
}

void QtAdminPort::SendFrame(ConnectionId id, std::string bytes) {
    Connection* c = find(id);
    if (c == nullptr || c->gone || bytes.empty()) return;
    QTcpSocket* socket = c->socket;
    if (socket->state() != QAbstractSocket::ConnectedState) return;
    noteUnsent(*c);
    const UnsentBudget::Limits& limits = m_unsent.GetLimits();
    std::vector<ConnectionId> shedding = m_unsent.ToClose(id, bytes.size());
    if (!shedding.empty()) {
        // The others' counts date from their last write and the system has
        // sent some of it since: decide on what every one holds now.
        for (auto& entry : m_connections) noteUnsent(*entry.second);
        shedding = m_unsent.ToClose(id, bytes.size());
    }
    for (ConnectionId other : shedding) {
        Connection* o = find(other);
        if (o == nullptr) continue;
        const std::string held = std::to_string(m_unsent.Unsent(other)) + " bytes unsent";
        if (other == id && m_unsent.Unsent(id) + bytes.size() > limits.perConnection)
            shed(*o, "it does not read its replies (" + held + ")");
        else
            shed(*o, "it does not read its replies and holds most of the " +
                         std::to_string(m_unsent.Total()) + " bytes unsent to all admins (" + held +
                         ", at most " + std::to_string(limits.inAll) + " in all)");
    }
    if (std::find(shedding.begin(), shedding.end(), id) != shedding.end()) return;
    socket->write(bytes.data(), static_cast<qint64>(bytes.size()));
    noteUnsent(*c);
}

void QtAdminPort::noteUnsent(Connection& c) {
    if (c.socket == nullptr || c.gone || c.closing) return;
    m_unsent.Set(c.id, static_cast<size_t>(std::max<qint64>(0, c.socket->bytesToWrite())) +
                           SystemUnsent(*c.socket));
}

void QtAdminPort::shed(Connection& c, const std::string& why) {
    m_events.AdminPortNote("Admin connection " + std::to_string(c.id) + " from " +
                           PeerText(*c.socket) + " closed: " + why);
    c.closing = true;
    m_unsent.Forget(c.id);
    c.socket->abort();
}

QTimer* QtAdminPort::timerOf(Connection& c, AdminTimer timer) {
    std::unique_ptr<QTimer>& slot = timer == AdminTimer::Pace ? c.pace : c.deadline;
    if (!slot) {
        slot = std::make_unique<QTimer>();
        slot->setSingleShot(true);
        // The pause is short and exact; the deadline may be coarse.
        slot->setTimerType(timer == AdminTimer::Pace ? Qt::PreciseTimer : Qt::CoarseTimer);
        const ConnectionId id = c.id;
        connect(slot.get(), &QTimer::timeout, this, [this, id, timer] {
            Connection* still = find(id);
            if (still != nullptr && !still->gone) m_events.AdminTimerFired(id, timer);
        });
    }
    return slot.get();
}

void QtAdminPort::StartTimer(ConnectionId id, AdminTimer timer, int ms) {
    if (id == kWholePort) {
        if (timer == AdminTimer::FailureSummary) m_failureSummary.start(ms);
        return;
    }
    Connection* c = find(id);
    if (c == nullptr || c->gone) return;
    timerOf(*c, timer)->start(ms);
}

void QtAdminPort::StopTimer(ConnectionId id, AdminTimer timer) {
    if (id == kWholePort) {
        if (timer == AdminTimer::FailureSummary) m_failureSummary.stop();
        return;
    }
    Connection* c = find(id);
    if (c == nullptr) return;
    std::unique_ptr<QTimer>& slot = timer == AdminTimer::Pace ? c->pace : c->deadline;
    if (slot) slot->stop();
}

void QtAdminPort::Close(ConnectionId id) {
    Connection* c = find(id);
    if (c == nullptr || c->closing) return;
    c->closing = true;
    if (c->pace) c->pace->stop();
    if (c->deadline) c->deadline->stop();
    // What is written still goes out; a peer that takes nothing is cut off.
    c->closeGrace = std::make_unique<QTimer>();
    c->closeGrace->setSingleShot(true);
    QTcpSocket* socket = c->socket;
    connect(c->closeGrace.get(), &QTimer::timeout, socket, [socket] { socket->abort(); });
    c->closeGrace->start(m_options.closeGraceMs);
    socket->disconnectFromHost();
}

void QtAdminPort::ended(ConnectionId id) {
    const auto it = m_connections.find(id);
    if (it == m_connections.end()) return;
    std::unique_ptr<Connection> c = std::move(it->second);
    m_connections.erase(it);
    c->gone = true;
    m_unsent.Forget(id);
    c->socket->disconnect(this);
    c->socket->deleteLater();
    if (!m_trim.isActive()) m_trim.start(1000);
    m_events.AdminDisconnected(id);
}

}  // namespace tavrin
