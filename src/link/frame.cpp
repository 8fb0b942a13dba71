#include "link/frame.h"

#include <algorithm>
#include <cstring>

namespace tavrin {
namespace {

void PutHeader(std::string& frame, uint32_t total) {
    frame.append(kFrameMagic, 4);
    for (int i = 0; i < 4; ++i) frame.push_back(static_cast<char>((total >> (8 * i)) & 0xFF));
}

}  // namespace

std::optional<std::string> EncodeCommandFrame(std::string_view text) {
    if (text.size() > kMaxCommandText) return std::nullopt;
    std::string frame;
    frame.reserve(text.size() + kFrameHeaderSize + 1);
    PutHeader(frame, static_cast<uint32_t>(text.size() + kFrameHeaderSize + 1));
    frame.append(text);
    frame.push_back('\0');
    return frame;
}

std::string CommandTooLongMessage(std::string_view text) {
    size_t end = text.find(' ');
    if (end != std::string_view::npos) end = text.find(' ', end + 1);
    std::string_view head = text.substr(0, std::min(end, text.size()));
    return "TavrinRat: command refused, " + std::to_string(text.size()) +
           " bytes is over the limit of " + std::to_string(kMaxCommandText) + ": " +
           std::string(head);
}

std::string EncodeLoginFrame(const LoginBlock& block) {
    std::string frame;
    frame.reserve(kLoginFrameSize);
    PutHeader(frame, kLoginFrameSize);
    frame.append(reinterpret_cast<const char*>(block.data()), block.size());
    return frame;
}

std::string OriginName(int origin) {
    switch (origin) {
        case kOriginConnect:
            return "OnConnect()";
        case kOriginSend1:
            return "DoAsyncSendBuffer(1)";
        case kOriginSend2:
            return "DoAsyncSendBuffer(2)";
        case kOriginReceive:
            return "OnReceive()";
        case kOriginThreadInit:
            return "RatThread::InitInstance()";
        default:
            return "Not_Set";
    }
}

void FrameReader::Reset() {
    m_nRecvDataLen = kFrameHeaderSize;
    m_nBytesRecv = 0;
    m_bReadDataLength = true;
    m_body.clear();
}

FrameReader::Result FrameReader::Feed(std::string_view data) {
    Result r;
    for (;;) {
        if (m_bReadDataLength) {
            size_t take = std::min(Wanted(), data.size() - r.used);
            std::memcpy(m_header.data() + m_nBytesRecv, data.data() + r.used, take);
            m_nBytesRecv += take;
            r.used += take;
            if (m_nBytesRecv < m_nRecvDataLen) return r;
            const size_t total = m_header[4] + 256u * m_header[5];
            if (total < kFrameHeaderSize) {
                r.status = Status::Broken;
                return r;
            }
            m_bReadDataLength = false;
            m_nRecvDataLen = total - kFrameHeaderSize;
            m_nBytesRecv = 0;
            m_body.clear();
            m_body.reserve(m_nRecvDataLen);
        }
        size_t take = std::min(Wanted(), data.size() - r.used);
        m_body.append(data.data() + r.used, take);
        m_nBytesRecv += take;
        r.used += take;
        if (m_nBytesRecv < m_nRecvDataLen) return r;
        // The text ends at the body's first zero; a body without one is whole.
        size_t end = m_body.find('\0');
        r.text = m_body.substr(0, end);
        r.status = Status::Frame;
        Reset();
        return r;
    }
}

}  // namespace tavrin
