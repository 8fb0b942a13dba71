#include "link/rat_socket.h"

#include <vector>

#include "link/socket_errors.h"

namespace tavrin {

CRatSocket::CRatSocket(NonBlockingStream& stream, RatSocketEvents& events)
    : m_stream(stream), m_events(events) {}

void CRatSocket::SendFrame(std::string frame) {
    if (!m_fGameMode || frame.empty()) return;
    m_queue.push_back(std::move(frame));
    if (m_nSendDataLen == 0) StartNextFrame();
}

void CRatSocket::StartNextFrame() {
    while (m_nSendDataLen == 0 && !m_queue.empty()) {
        m_pSendBuffer = std::move(m_queue.front());
        m_queue.pop_front();
        m_nSendDataLen = m_pSendBuffer.size();
        m_nBytesSent = 0;
        DoAsyncSendBuffer();
    }
}

void CRatSocket::DoAsyncSendBuffer() {
    if (m_nSendDataLen == 0) return;
    while (m_nBytesSent < m_nSendDataLen) {
        int error = 0;
        long n = m_stream.Send(m_pSendBuffer.data() + m_nBytesSent, m_nSendDataLen - m_nBytesSent,
                               error);
        if (n > 0) {
            m_nBytesSent += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && error == kWouldBlock) {
            m_events.RatTcpStackFull(kWouldBlock, kOriginSend1);
            break;
        }
        // The stream failed: the frame and those waiting behind it are lost
        // with the connection.
        m_nSendDataLen = 0;
        m_nBytesSent = 0;
        m_pSendBuffer.clear();
        m_queue.clear();
        m_events.RatSocketError(error ? error : kConnectionAborted, kOriginSend1);
        return;
    }
    if (m_nBytesSent == m_nSendDataLen) {
        m_nSendDataLen = 0;
        m_nBytesSent = 0;
        m_pSendBuffer.clear();
    } else {
        m_events.RatSendNotCompleted(0, kOriginSend2);
    }
}

RatSocketSnapshot CRatSocket::Snapshot() const {
    return {m_fConnected,
            m_fGameMode,
            m_reader.ReadingHeader(),
            m_fIgnore,
            static_cast<long>(m_nBytesSent),
            static_cast<long>(m_nSendDataLen),
            static_cast<long>(m_reader.BytesReceived()),
            static_cast<long>(m_reader.PhaseLength()),
            m_lastErrorCode};
}

void CRatSocket::OnSend(int error) {
    if (m_fConnected) {
        DoAsyncSendBuffer();
        StartNextFrame();
    }
    m_lastErrorCode = error;
}

bool CRatSocket::OnReceive(int error) {
    m_lastErrorCode = error;
    if (m_fReceiveEnded) return false;
    std::vector<char> buf(m_reader.Wanted());
    int rerror = 0;
    long n = m_stream.Recv(buf.data(), buf.size(), rerror);
    if (n <= 0) {
        if (n < 0 && rerror == kWouldBlock) {
            m_events.RatTcpStackFull(0, kOriginReceive);
            return true;
        }
        // End of stream or a failed read: nothing more is read; the close
        // notification ends the connection.
        m_fReceiveEnded = true;
        if (n < 0) m_lastErrorCode = rerror;
        return false;
    }
    FrameReader::Result r = m_reader.Feed(std::string_view(buf.data(), static_cast<size_t>(n)));
    if (r.status == FrameReader::Status::Broken) {
        // A header shorter than itself cannot be followed: the stream is out of step.
        m_fReceiveEnded = true;
        m_lastErrorCode = kConnectionAborted;
        m_events.RatSocketError(kConnectionAborted, kOriginReceive);
        return false;
    }
    if (r.status == FrameReader::Status::Frame) {
        if (m_fIgnore)
            m_events.RatFrameIgnored(r.text);
        else
            m_events.RatFrameReceived(r.text);
    }
    return true;
}

}  // namespace tavrin
