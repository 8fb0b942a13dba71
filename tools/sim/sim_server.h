#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "sim/sim_control.h"
#include "sim/sim_game.h"
#include "sim/sim_options.h"
#include "sim/sim_session.h"

namespace tavrin::sim {

// The network side of the sim: the RAT listener with one admin connection at
// a time (later ones wait in line, up to a limit), the control channel on
// standard input and on an optional control port, the game clock, and the
// transmission faults (split, coalesce, close, reset, refuse, bad header,
// flood). It also keeps one client from holding the sim: a connection that
// does not log in in time, an admin that stays silent while another waits,
// and a client that does not read what it is sent are closed. Every decision
// about bytes and replies is the session's; this class only moves them.
class SimServer : public QObject {
  public:
    SimServer(SimOptions options, uint32_t seed);
    ~SimServer() override;

    // Listens and prints "port N" (and "control N") first on standard output.
    bool Start(std::string& error);

  private:
    void HandleNewConnection();
    void ActivateNext();
    void HandleReadyRead();
    void HandleConnectionEnded(QTcpSocket* socket);
    void Apply(const SessionOutput& out);
    void Send(const std::string& frame);
    void Emit(const QByteArray& bytes);
    void SendNextPiece();
    void FlushHeld();
    void CloseIfSent();
    void DropPendingOutput();
    qint64 PendingOutput() const;
    void CheckOutputBound();
    void EndConnection(const std::string& reason);
    void YieldIfIdle();
    void FillFlood();
    void LogFloodEnd();

    void HandleControlConnection();
    void HandleControlReadyRead(QTcpSocket* client);
    void HandleStdin();
    std::string RunControl(std::string_view line);
    void Refuse(int seconds);
    void Relisten();

    SimOptions m_options;
    SimGame m_game;
    FaultState m_faults;
    QHostAddress m_address;
    quint16 m_port = 0;
    QTcpServer m_listener;
    QTcpServer m_controlListener;
    QTimer m_tickTimer;
    QTimer m_refuseTimer;
    QTimer m_holdTimer;
    QTimer m_pieceTimer;
    QTimer m_loginTimer;
    QTimer m_idleTimer;

    QTcpSocket* m_conn = nullptr;
    std::unique_ptr<SimSession> m_session;
    std::deque<QTcpSocket*> m_waiting;
    QByteArray m_held;                // frames gathered while coalescing
    std::deque<QByteArray> m_pieces;  // pieces still to send while splitting
    qint64 m_pieceBytes = 0;          // their size in all
    bool m_closeWhenSent = false;
    bool m_idle = false;     // the admin has been silent for the idle time
    bool m_filling = false;  // a flood round is under way
    long m_floodSent = 0;    // unasked frames of the current flood

    std::unique_ptr<QSocketNotifier> m_stdin;
    std::string m_stdinLine;
    std::map<QTcpSocket*, std::string> m_controlLines;
};

// One log line on standard output: "[HH:MM:SS.mmm] text", flushed at once.
void Log(std::string_view text);

}  // namespace tavrin::sim
