#include "manager/admin_frame.h"

#include <algorithm>
#include <cstring>

namespace tavrin {

std::string EncodeAdminFrame(std::string_view text) {
    if (text.empty()) return {};
    const auto n = static_cast<uint32_t>(text.size());
    std::string frame;
    frame.reserve(kAdminFrameHeaderSize + text.size());
    frame.push_back(static_cast<char>((n >> 24) & 0xFF));
    frame.push_back(static_cast<char>((n >> 16) & 0xFF));
    frame.push_back(static_cast<char>((n >> 8) & 0xFF));
    frame.push_back(static_cast<char>(n & 0xFF));
    frame.append(text);
    return frame;
}

AdminFrameReader::Result AdminFrameReader::Feed(std::string_view data) {
    Result r;
    if (m_broken) {
        r.status = Status::Broken;
        return r;
    }
    if (m_readingLength) {
        const size_t take = std::min(m_want - m_got, data.size());
        if (take > 0) std::memcpy(m_length.data() + m_got, data.data(), take);
        m_got += take;
        r.used = take;
        if (m_got < m_want) return r;
        const uint32_t announced = (uint32_t{m_length[0]} << 24) | (uint32_t{m_length[1]} << 16) |
                                   (uint32_t{m_length[2]} << 8) | uint32_t{m_length[3]};
        r.announced = announced;
        if (announced > m_limit) {
            m_broken = true;
            r.status = Status::Broken;
            return r;
        }
        m_readingLength = false;
        m_want = announced;
        m_got = 0;
    }
    r.announced = static_cast<uint32_t>(m_want);
    // The payload is kept whole, zero bytes included (the session decides
    // what a zero means), and only as it arrives: the announced length is
    // never reserved up front.
    const size_t take = std::min(m_want - m_got, data.size() - r.used);
    m_text.append(data.data() + r.used, take);
    r.used += take;
    m_got += take;
    if (m_got < m_want) return r;
    r.status = Status::Frame;
    r.text = std::move(m_text);
    m_text.clear();
    m_readingLength = true;
    m_want = kAdminFrameHeaderSize;
    m_got = 0;
    return r;
}

}  // namespace tavrin
