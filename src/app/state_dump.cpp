// The state dump of the information window ("System Variables").
#include "app/console.h"
#include "common/build_flags.h"
#include "common/value_text.h"

namespace tavrin {

std::string Console::SystemVariables() const {
    const SessionState& s = m_session->State();
    auto flag = [](bool b) { return std::string(b ? "true" : "false"); };
    std::string t;
    auto line = [&t](const char* label, const std::string& value) {
        t += label;
        t += value;
        t += "\n";
    };
    line("DebugMode................ = ", flag(kDebugMode));
    line("BetaCode................. = ", flag(kBetaCode));
    line("m_fMainWndIsClosing...... = ", flag(s.m_fMainWndIsClosing));
    line("m_fEncryptCodeReceived... = ", flag(s.m_fEncryptCodeReceived));
    line("m_fRATConnected.......... = ", flag(s.m_fRATConnected));
    line("m_fGameMode.............. = ", flag(s.m_fGameMode));
    // Kept for the layout of the dump: no mission list is ever added behind the user.
    line("m_fAddingMissionList..... = ", flag(false));
    line("m_fChatScanning.......... = ", flag(s.m_fChatScanning));
    line("m_fRatMode............... = ", flag(RatMode()));
    line("m_fAutoRecon............. = ", flag(s.m_fAutoRecon));
    line("m_ConnAttempts........... = ", IntToText(s.m_ConnAttempts));
    line("m_fRequestingStatus...... = ", flag(s.m_fRequestingStatus));
    t += "------------------------------------------\n";
    t += "THREAD\n";
    const WorkerInfo w = m_workers.CurrentWorkerInfo();
    line("nRATThreadCount.......... = ", IntToText(w.threadCount));
    line("m_pRATThread............. = ", std::to_string(w.reference));
    if (w.present)
        line("m_pRATThread->m_nThreadID = ",
             "0x" + IntToHex4(static_cast<int32_t>(w.threadId & 0xFFFFFFFFu)));
    else
        line("m_pRATThread->m_nThreadID = ", "null");
    t += "------------------------------------------\n";
    t += "RAT SOCKET\n";
    const RatSocketSnapshot& r = w.socket;
    const std::pair<const char*, std::string> socket[] = {
        {"m_RAT_socket.m_fConnected..... = ", flag(r.connected)},
        {"m_RAT_socket.m_fGameMode...... = ", flag(r.gameMode)},
        {"m_RAT_socket.m_bReadDataLength = ", flag(r.readDataLength)},
        {"m_RAT_socket.m_fIgnore........ = ", flag(r.ignore)},
        {"m_RAT_socket.m_nBytesSent..... = ", std::to_string(r.bytesSent)},
        {"m_RAT_socket.m_nSendDataLen... = ", std::to_string(r.sendDataLen)},
        {"m_RAT_socket.m_nBytesRecv..... = ", std::to_string(r.bytesRecv)},
        {"m_RAT_socket.m_nRecvDataLen... = ", std::to_string(r.recvDataLen)},
        {"m_RAT_socket.m_lastErrorCode.. = ", IntToText(r.lastErrorCode)},
    };
    for (const auto& [label, value] : socket) line(label, w.present ? value : "-");
    return t;
}

std::string Console::DumpSystemVariables() const {
    return m_fAutoSysUpdate ? SystemVariables() : std::string();
}

}  // namespace tavrin
