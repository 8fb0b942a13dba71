#include "sim/sim_server.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QTime>
#include <cstdio>

namespace tavrin::sim {
namespace {

constexpr int kHoldMs = 500;       // how long coalescing gathers frames
constexpr int kPieceDelayMs = 15;  // pause between the pieces of a split frame
constexpr size_t kMaxControlLine = 1024;
// A connection that has not logged in by then is closed, so a silent client
// cannot hold the one admin slot for ever.
constexpr int kLoginTimeoutMs = 30000;

QByteArray Bytes(std::string_view s) {
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

// Cuts a frame so that its header arrives in two parts and its body in a few.
std::deque<QByteArray> SplitIntoPieces(const QByteArray& bytes) {
    std::deque<QByteArray> pieces;
    qsizetype at = 0;
    const qsizetype body = std::max<qsizetype>(16, (bytes.size() - 10) / 4);
    for (qsizetype size : {qsizetype{3}, qsizetype{7}}) {
        if (at >= bytes.size()) break;
        pieces.push_back(bytes.mid(at, size));
        at += size;
    }
    for (; at < bytes.size(); at += body) pieces.push_back(bytes.mid(at, body));
    return pieces;
}

}  // namespace

void Log(std::string_view text) {
    const std::string stamp =
        QTime::currentTime().toString(QStringLiteral("hh:mm:ss.zzz")).toStdString();
    std::printf("[%s] %.*s\n", stamp.c_str(), static_cast<int>(text.size()), text.data());
    std::fflush(stdout);
}

SimServer::SimServer(SimOptions options, uint32_t seed)
    : m_options(std::move(options)), m_game(seed), m_faults(m_options.faults) {
    m_game.SetMenuMode(m_options.menu);
    connect(&m_listener, &QTcpServer::newConnection, this, &SimServer::HandleNewConnection);
    connect(&m_controlListener, &QTcpServer::newConnection, this,
            &SimServer::HandleControlConnection);
    connect(&m_tickTimer, &QTimer::timeout, this, [this] { m_game.Tick(); });
    m_refuseTimer.setSingleShot(true);
    connect(&m_refuseTimer, &QTimer::timeout, this, &SimServer::Relisten);
    m_holdTimer.setSingleShot(true);
    connect(&m_holdTimer, &QTimer::timeout, this, &SimServer::FlushHeld);
    m_pieceTimer.setSingleShot(true);
    connect(&m_pieceTimer, &QTimer::timeout, this, &SimServer::SendNextPiece);
    m_loginTimer.setSingleShot(true);
    connect(&m_loginTimer, &QTimer::timeout, this, [this] {
        if (!m_conn || !m_session || m_session->LoggedIn()) return;
        Log("login timeout, closing connection");
        DropPendingOutput();
        m_conn->disconnectFromHost();
    });
}

SimServer::~SimServer() = default;

bool SimServer::Start(std::string& error) {
    m_address = QHostAddress(QString::fromStdString(m_options.bind));
    if (m_address.isNull()) {
        error = "not an address: " + m_options.bind;
        return false;
    }
    if (!m_listener.listen(m_address, m_options.port)) {
        error = "cannot listen on " + m_options.bind + ":" + std::to_string(m_options.port) + ": " +
                m_listener.errorString().toStdString();
        return false;
    }
    m_port = m_listener.serverPort();
    // Refusing from the start closes the listener before anyone can learn
    // the port, so no connect slips in before the refusal.
    if (m_options.refuseSeconds > 0) m_listener.close();
    std::printf("port %u\n", static_cast<unsigned>(m_port));
    if (m_options.controlPort >= 0) {
        if (!m_controlListener.listen(m_address, static_cast<quint16>(m_options.controlPort))) {
            error = "cannot listen on control port " + std::to_string(m_options.controlPort) +
                    ": " + m_controlListener.errorString().toStdString();
            return false;
        }
        std::printf("control %u\n", static_cast<unsigned>(m_controlListener.serverPort()));
    }
    std::fflush(stdout);

    std::string users;
    for (const auto& a : m_options.accounts) users += (users.empty() ? "" : ", ") + a.user;
    Log("tavrinrat-sim listening on " + m_options.bind + ":" + std::to_string(m_port) +
        "; accounts: " + users + "; tick " + std::to_string(m_options.tickMs) + " ms; " +
        StatusText(m_faults, m_game, false, false, m_options.refuseSeconds));

    m_stdin = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
    connect(m_stdin.get(), &QSocketNotifier::activated, this, &SimServer::HandleStdin);
    if (m_options.tickMs > 0) m_tickTimer.start(m_options.tickMs);
    if (m_options.refuseSeconds > 0) Refuse(m_options.refuseSeconds);
    return true;
}

void SimServer::HandleNewConnection() {
    while (QTcpSocket* socket = m_listener.nextPendingConnection()) {
        const std::string peer = socket->peerAddress().toString().toStdString() + ":" +
                                 std::to_string(socket->peerPort());
        connect(socket, &QTcpSocket::disconnected, this,
                [this, socket] { HandleConnectionEnded(socket); });
        m_waiting.push_back(socket);
        Log("connection from " + peer + (m_conn ? " waits: another admin is connected" : ""));
    }
    ActivateNext();
}

void SimServer::ActivateNext() {
    if (m_conn || m_waiting.empty()) return;
    m_conn = m_waiting.front();
    m_waiting.pop_front();
    // Small segments must leave as they are written for the split fault.
    m_conn->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    connect(m_conn, &QTcpSocket::readyRead, this, &SimServer::HandleReadyRead);
    m_closeWhenSent = false;
    m_session = std::make_unique<SimSession>(m_game, m_options.accounts, m_faults);
    m_loginTimer.start(kLoginTimeoutMs);
    Apply(m_session->Start());
    if (m_conn && m_conn->bytesAvailable() > 0) HandleReadyRead();
}

void SimServer::HandleReadyRead() {
    if (!m_conn || !m_session) return;
    const QByteArray data = m_conn->readAll();
    Apply(m_session->Feed(std::string_view(data.constData(), static_cast<size_t>(data.size()))));
}

void SimServer::Apply(const SessionOutput& out) {
    for (const auto& line : out.log) Log(line);
    for (const auto& frame : out.frames) Send(frame);
    if (out.close) {
        m_closeWhenSent = true;
        CloseIfSent();
    }
}

void SimServer::Send(const std::string& frame) {
    if (!m_conn) return;
    if (m_faults.coalesce || !m_held.isEmpty()) {
        m_held += Bytes(frame);
        if (!m_holdTimer.isActive()) m_holdTimer.start(kHoldMs);
        return;
    }
    Emit(Bytes(frame));
}

void SimServer::FlushHeld() {
    const QByteArray held = std::exchange(m_held, {});
    if (!held.isEmpty()) Emit(held);
    CloseIfSent();
}

void SimServer::Emit(const QByteArray& bytes) {
    if (!m_conn) return;
    // Once pieces are queued, later bytes queue behind them to keep the order.
    if (m_faults.split || !m_pieces.empty()) {
        for (auto& piece : SplitIntoPieces(bytes)) m_pieces.push_back(std::move(piece));
        if (!m_pieceTimer.isActive()) SendNextPiece();
        return;
    }
    m_conn->write(bytes);
}

void SimServer::SendNextPiece() {
    if (!m_conn || m_pieces.empty()) return;
    m_conn->write(m_pieces.front());
    m_conn->flush();
    m_pieces.pop_front();
    if (!m_pieces.empty())
        m_pieceTimer.start(kPieceDelayMs);
    else
        CloseIfSent();
}

void SimServer::CloseIfSent() {
    if (m_conn && m_closeWhenSent && m_held.isEmpty() && m_pieces.empty())
        m_conn->disconnectFromHost();
}

void SimServer::DropPendingOutput() {
    m_held.clear();
    m_pieces.clear();
    m_holdTimer.stop();
    m_pieceTimer.stop();
}

void SimServer::HandleConnectionEnded(QTcpSocket* socket) {
    socket->deleteLater();
    if (socket != m_conn) {
        std::erase(m_waiting, socket);
        Log("a waiting connection went away");
        return;
    }
    Log("connection closed");
    m_conn = nullptr;
    m_session.reset();
    m_loginTimer.stop();
    DropPendingOutput();
    ActivateNext();
}

void SimServer::HandleStdin() {
    char buf[512];
    const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
    if (n <= 0) {
        m_stdin->setEnabled(false);  // end of input: the sim runs on
        return;
    }
    for (ssize_t i = 0; i < n; ++i) {
        if (buf[i] != '\n') {
            if (m_stdinLine.size() < kMaxControlLine) m_stdinLine += buf[i];
            continue;
        }
        const std::string reply = RunControl(std::exchange(m_stdinLine, {}));
        if (!reply.empty()) Log("control: " + reply);
    }
}

void SimServer::HandleControlConnection() {
    while (QTcpSocket* client = m_controlListener.nextPendingConnection()) {
        connect(client, &QTcpSocket::readyRead, this,
                [this, client] { HandleControlReadyRead(client); });
        connect(client, &QTcpSocket::disconnected, this, [this, client] {
            m_controlLines.erase(client);
            client->deleteLater();
        });
    }
}

void SimServer::HandleControlReadyRead(QTcpSocket* client) {
    std::string& line = m_controlLines[client];
    const QByteArray data = client->readAll();
    for (char c : data) {
        if (c != '\n') {
            line += c;
            if (line.size() > kMaxControlLine) {
                Log("control: line too long, control client dropped");
                client->abort();
                return;
            }
            continue;
        }
        const std::string reply = RunControl(std::exchange(line, {}));
        if (reply.empty()) continue;
        Log("control: " + reply);
        client->write(Bytes(reply + "\n"));
    }
}

std::string SimServer::RunControl(std::string_view line) {
    ControlResult r = ApplyControl(line, m_faults, m_game);
    const bool needsConnection = r.action == ControlAction::Close ||
                                 r.action == ControlAction::Reset ||
                                 r.action == ControlAction::BadHeader;
    if (needsConnection && !m_conn) return "error: no connection";
    switch (r.action) {
        case ControlAction::None:
            break;
        case ControlAction::Close:
            Log("fault: closing the connection cleanly");
            DropPendingOutput();
            m_conn->disconnectFromHost();
            break;
        case ControlAction::Reset: {
            Log("fault: resetting the connection");
            DropPendingOutput();
            // A zero linger time makes the close send RST instead of FIN.
            const linger hard{1, 0};
            ::setsockopt(static_cast<int>(m_conn->socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard,
                         sizeof hard);
            m_conn->abort();
            break;
        }
        case ControlAction::BadHeader:
            Log("fault: sending a header with total length 4");
            Emit(Bytes(BadHeaderFrame()));
            break;
        case ControlAction::Refuse:
            Refuse(r.seconds);
            break;
        case ControlAction::Status: {
            const int left =
                m_refuseTimer.isActive() ? (m_refuseTimer.remainingTime() + 999) / 1000 : 0;
            r.reply = StatusText(m_faults, m_game, m_conn != nullptr,
                                 m_session && m_session->LoggedIn(), left);
            break;
        }
    }
    return r.reply;
}

void SimServer::Refuse(int seconds) {
    if (seconds <= 0) {
        m_refuseTimer.stop();
        Relisten();
        return;
    }
    // With the listener closed the system answers a connect with RST, so the
    // admin sees "connection refused".
    m_listener.close();
    m_refuseTimer.start(seconds * 1000);
    Log("fault: refusing connections for " + std::to_string(seconds) + " s");
}

void SimServer::Relisten() {
    if (m_listener.isListening()) return;
    if (m_listener.listen(m_address, m_port)) {
        Log("accepting connections again");
    } else {
        Log("cannot listen again: " + m_listener.errorString().toStdString() + "; retrying");
        m_refuseTimer.start(1000);
    }
}

}  // namespace tavrin::sim
