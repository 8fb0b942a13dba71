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
    m_textEnded = false;
    m_body.clear();
}

FrameReader::Result FrameReader::Feed(std::string_view data) {
    Result r;
    if (m_bReadDataLength) {
        size_t take = std::min(Wanted(), data.size());
        if (take > 0) std::memcpy(m_header.data() + m_nBytesRecv, data.data(), take);
        m_nBytesRecv += take;
        r.used = take;
        if (m_nBytesRecv < m_nRecvDataLen) return r;
        const size_t total = m_header[4] + 256u * m_header[5];
        if (total < kFrameHeaderSize) {
            r.status = Status::Broken;
            return r;
        }
        m_bReadDataLength = false;
        m_nRecvDataLen = total - kFrameHeaderSize;
        m_nBytesRecv = 0;
    }
    const size_t take = std::min(Wanted(), data.size() - r.used);
    const char* from = data.data() + r.used;
    r.used += take;
    // The text ends at the body's first zero; a body without one is whole.
    // Only the text is kept, and each of its bytes is copied once: straight
    // into the result when the whole body came in one piece, else into the
    // body, which is then handed over as it is.
    const char* zero =
        take > 0 && !m_textEnded ? static_cast<const char*>(std::memchr(from, 0, take)) : nullptr;
    const size_t textBytes = m_textEnded ? 0 : zero ? static_cast<size_t>(zero - from) : take;
    if (m_nBytesRecv == 0 && take == m_nRecvDataLen) {
        if (textBytes > 0) r.text.assign(from, textBytes);
    } else {
        if (m_body.empty()) m_body.reserve(m_nRecvDataLen);
        m_body.append(from, textBytes);
        m_textEnded = m_textEnded || zero != nullptr;
        m_nBytesRecv += take;
        if (m_nBytesRecv < m_nRecvDataLen) return r;
        r.text = std::move(m_body);
    }
    r.status = Status::Frame;
    Reset();
    return r;
}

}  // namespace tavrin
