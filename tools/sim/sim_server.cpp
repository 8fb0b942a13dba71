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
// A flood round fills the output queue up to this many bytes (never past the
// client's bound) and the next round waits for the socket to take them.
constexpr qint64 kFloodMark = 64 * 1024;

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
    // A connection that has not logged in in time is closed, so a silent
    // client cannot hold the one admin slot for ever.
    m_loginTimer.setSingleShot(true);
    connect(&m_loginTimer, &QTimer::timeout, this, [this] {
        if (!m_session || m_session->LoggedIn()) return;
        EndConnection("login timeout after " + std::to_string(m_options.loginTimeoutMs) +
                      " ms, closing connection");
    });
    m_idleTimer.setSingleShot(true);
    connect(&m_idleTimer, &QTimer::timeout, this, [this] {
        m_idle = true;
        YieldIfIdle();
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
        "; accounts: " + users + "; tick " + std::to_string(m_options.tickMs) +
        " ms; login timeout " + std::to_string(m_options.loginTimeoutMs) + " ms, idle timeout " +
        std::to_string(m_options.idleTimeoutMs) + " ms, waiting at most " +
        std::to_string(m_options.maxWaiting) + ", output at most " +
        std::to_string(m_options.maxOutputBytes) + " bytes; " +
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
        // Without an admin connected one of the line (maybe this one) takes
        // the slot at once; the others wait.
        const size_t waitingAfter = m_waiting.size() + (m_conn ? 1 : 0);
        if (waitingAfter > static_cast<size_t>(m_options.maxWaiting)) {
            Log("connection from " + peer + " refused: " + std::to_string(m_waiting.size()) +
                " connections wait already");
            socket->disconnectFromHost();
            socket->deleteLater();
            continue;
        }
        connect(socket, &QTcpSocket::disconnected, this,
                [this, socket] { HandleConnectionEnded(socket); });
        m_waiting.push_back(socket);
        Log("connection from " + peer + (m_conn ? " waits: another admin is connected" : ""));
    }
    ActivateNext();
    YieldIfIdle();
}

void SimServer::ActivateNext() {
    if (m_conn || m_waiting.empty()) return;
    m_conn = m_waiting.front();
    m_waiting.pop_front();
    // Small segments must leave as they are written for the split fault.
    m_conn->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    connect(m_conn, &QTcpSocket::readyRead, this, &SimServer::HandleReadyRead);
    connect(m_conn, &QTcpSocket::bytesWritten, this, &SimServer::FillFlood);
    m_closeWhenSent = false;
    m_idle = false;
    m_floodSent = 0;
    m_session = std::make_unique<SimSession>(m_game, m_options.accounts, m_faults);
    if (m_options.loginTimeoutMs > 0) m_loginTimer.start(m_options.loginTimeoutMs);
    if (m_options.idleTimeoutMs > 0) m_idleTimer.start(m_options.idleTimeoutMs);
    Apply(m_session->Start());
    if (m_conn && m_conn->bytesAvailable() > 0) HandleReadyRead();
}

void SimServer::HandleReadyRead() {
    if (!m_conn || !m_session) return;
    const QByteArray data = m_conn->readAll();
    if (data.isEmpty()) return;
    m_idle = false;
    if (m_options.idleTimeoutMs > 0) m_idleTimer.start(m_options.idleTimeoutMs);
    Apply(m_session->Feed(std::string_view(data.constData(), static_cast<size_t>(data.size()))));
}

void SimServer::Apply(const SessionOutput& out) {
    for (const auto& line : out.log) Log(line);
    for (const auto& frame : out.frames) Send(frame);
    if (out.close) {
        m_closeWhenSent = true;
        CloseIfSent();
    }
    FillFlood();  // a login just now starts a flood that was switched on
}

void SimServer::Send(const std::string& frame) {
    if (!m_conn) return;
    if (m_faults.coalesce || !m_held.isEmpty()) {
        m_held += Bytes(frame);
        if (!m_holdTimer.isActive()) m_holdTimer.start(kHoldMs);
    } else {
        Emit(Bytes(frame));
    }
    CheckOutputBound();
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
        for (auto& piece : SplitIntoPieces(bytes)) {
            m_pieceBytes += piece.size();
            m_pieces.push_back(std::move(piece));
        }
        if (!m_pieceTimer.isActive()) SendNextPiece();
        return;
    }
    m_conn->write(bytes);
}

void SimServer::SendNextPiece() {
    if (!m_conn || m_pieces.empty()) return;
    const QByteArray piece = std::move(m_pieces.front());
    m_pieces.pop_front();
    m_pieceBytes -= piece.size();
    m_conn->write(piece);
    m_conn->flush();
    if (!m_conn) return;  // the flush found the connection gone
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
    m_pieceBytes = 0;
    m_holdTimer.stop();
    m_pieceTimer.stop();
}

qint64 SimServer::PendingOutput() const {
    return (m_conn ? m_conn->bytesToWrite() : 0) + m_held.size() + m_pieceBytes;
}

void SimServer::CheckOutputBound() {
    const qint64 bound = m_options.maxOutputBytes;
    if (!m_conn || PendingOutput() <= bound) return;
    m_conn->flush();  // judge by what the system would not take
    if (!m_conn || PendingOutput() <= bound) return;
    EndConnection("output queue above " + std::to_string(bound) +
                  " bytes: the admin does not read, dropping connection");
}

void SimServer::EndConnection(const std::string& reason) {
    if (!m_conn) return;
    Log(reason);
    DropPendingOutput();
    // Bytes the client has not taken would hold a clean close open for ever.
    if (m_conn->bytesToWrite() > 0)
        m_conn->abort();
    else
        m_conn->disconnectFromHost();
}

void SimServer::YieldIfIdle() {
    if (!m_idle || !m_session || !m_session->LoggedIn() || m_waiting.empty()) return;
    EndConnection("admin silent for " + std::to_string(m_options.idleTimeoutMs) +
                  " ms while another connection waits, closing connection");
}

void SimServer::FillFlood() {
    if (m_filling || m_faults.flood == 0 || !m_conn || !m_session || !m_session->LoggedIn()) return;
    m_filling = true;
    // One round at a time: the next comes when the socket has taken bytes,
    // so control lines are still read while the flood runs. A round neither
    // takes the queue past the bound nor writes more than the mark, unless a
    // single frame is bigger.
    const qint64 mark = std::min<qint64>(kFloodMark, m_options.maxOutputBytes);
    qint64 round = 0;
    while (m_conn && m_session && m_faults.flood != 0) {
        const std::string frame = m_session->UnaskedFrame(
            m_faults.floodText.empty() ? "flood " + std::to_string(m_floodSent + 1)
                                       : m_faults.floodText);
        const qint64 size = static_cast<qint64>(frame.size());
        const qint64 pending = PendingOutput();
        if ((round > 0 || pending > 0) && std::max(round, pending) + size > mark) break;
        if (++m_floodSent == 1) Log("flood: streaming unasked frames");
        if (m_faults.flood > 0) --m_faults.flood;
        round += size;
        Send(frame);
        if (m_faults.flood == 0) LogFloodEnd();
    }
    m_filling = false;
    // A round the socket took whole leaves no write to announce the next.
    if (m_conn && m_faults.flood != 0 && PendingOutput() == 0)
        QTimer::singleShot(0, this, &SimServer::FillFlood);
}

void SimServer::LogFloodEnd() {
    if (m_floodSent > 0) Log("flood: " + std::to_string(m_floodSent) + " frames sent");
    m_floodSent = 0;
}

void SimServer::HandleConnectionEnded(QTcpSocket* socket) {
    socket->deleteLater();
    if (socket != m_conn) {
        std::erase(m_waiting, socket);
        Log("a waiting connection went away");
        return;
    }
    Log("connection closed");
    LogFloodEnd();
    m_conn = nullptr;
    m_session.reset();
    m_loginTimer.stop();
    m_idleTimer.stop();
    DropPendingOutput();
    // The next in line is let in from the event loop, so a caller that was
    // still sending to the old connection finds none.
    QTimer::singleShot(0, this, &SimServer::ActivateNext);
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
        if (client->bytesToWrite() > m_options.maxOutputBytes) {
            client->flush();
            if (client->state() != QAbstractSocket::ConnectedState) return;  // `line` is gone
            if (client->bytesToWrite() > m_options.maxOutputBytes) {
                Log("control: the client does not read its replies, control client dropped");
                client->abort();
                return;
            }
        }
    }
}

std::string SimServer::RunControl(std::string_view line) {
    ControlResult r = ApplyControl(line, m_faults, m_game);
    const bool needsConnection = r.action == ControlAction::Close ||
                                 r.action == ControlAction::Reset ||
                                 r.action == ControlAction::BadHeader;
    if (needsConnection && !m_conn) return "error: no connection";
    if (r.action == ControlAction::Push && !(m_session && m_session->LoggedIn()))
        return "error: no admin logged in";
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
        case ControlAction::Push:
            Apply(m_session->Push(r.text));
            break;
        case ControlAction::Flood:
            // A new flood counts its frames from 1.
            LogFloodEnd();
            FillFlood();
            break;
        case ControlAction::Status: {
            const int left =
                m_refuseTimer.isActive() ? (m_refuseTimer.remainingTime() + 999) / 1000 : 0;
            r.reply = StatusText(m_faults, m_game, m_conn != nullptr,
                                 m_session && m_session->LoggedIn(), left, m_waiting.size());
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
