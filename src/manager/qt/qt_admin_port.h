#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <map>
#include <memory>

#include "manager/admin_port.h"
#include "manager/unsent_budget.h"

class QTcpServer;
class QTcpSocket;

namespace tavrin {

struct AdminPortOptions {
    // All local addresses unless one is chosen (--admin-bind).
    QHostAddress bind = QHostAddress::Any;
    uint16_t port = 9898;
    // Both set: admins connect with TLS (PEM files).
    QString tlsCertificate;
    QString tlsKey;
    // An admin that does not read what the manager sends is closed once this
    // much waits to be written to it (in the manager and in the system's send
    // buffer); when all admins together have more waiting than
    // maxUnsentInAll, the ones with most are closed first.
    int64_t maxUnsentBytes = 4 * 1024 * 1024;
    int64_t maxUnsentInAll = 64 * 1024 * 1024;
    // A closed connection that cannot write its last frames in this time is
    // cut off.
    int closeGraceMs = 2000;
};

// The Admin Port on the main thread: the listening socket and every admin
// connection, with Qt's network classes and one timer per pending pause or
// deadline; no thread per admin. Bytes, connections, ends and timers go to
// AdminPortEvents as they happen; a frame to send is written at once (the
// socket keeps what the peer has not taken yet).
class QtAdminPort final : public QObject, public AdminPort {
    Q_OBJECT
  public:
    QtAdminPort(AdminPortEvents& events, AdminPortOptions options);
    ~QtAdminPort() override;

    bool SetListening(bool on) override;
    bool Listening() const override;
    void SendFrame(ConnectionId id, std::string bytes) override;
    void StartTimer(ConnectionId id, AdminTimer timer, int ms) override;
    void StopTimer(ConnectionId id, AdminTimer timer) override;
    void Close(ConnectionId id) override;

    // The port listened on (the one the system chose when the options said 0).
    uint16_t ServerPort() const;
    bool UsesTls() const;
    // Where the port listens, for the log and the window: "0.0.0.0:9898".
    QString Where() const;

  private:
    struct Connection {
        ConnectionId id = 0;
        QTcpSocket* socket = nullptr;  // deleted later, by Qt
        std::unique_ptr<QTimer> pace;
        std::unique_ptr<QTimer> deadline;
        std::unique_ptr<QTimer> closeGrace;
        bool closing = false;
        bool gone = false;  // the end has been reported
    };

    void acceptPending();
    void adopt(QTcpSocket* socket);
    void readFrom(ConnectionId id);
    void ended(ConnectionId id);
    // Closes at once a connection that does not take what is written to it.
    void shed(Connection& c, const std::string& why);
    void noteUnsent(Connection& c);
    Connection* find(ConnectionId id);
    QTimer* timerOf(Connection& c, AdminTimer timer);

    AdminPortEvents& m_events;
    AdminPortOptions m_options;
    std::unique_ptr<QTcpServer> m_server;
    std::map<ConnectionId, std::unique_ptr<Connection>> m_connections;
    ConnectionId m_nextId = 1;
    UnsentBudget m_unsent;
    // The port's own timer: the minute of failed logins and refusals.
    QTimer m_failureSummary;
    // Runs a little after connections end, to give their memory back.
    QTimer m_trim;
    QString m_tlsProblem;
};

}  // namespace tavrin
