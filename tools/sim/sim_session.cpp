#include "sim/sim_session.h"

#include <algorithm>
#include <cstdint>

#include "link/login_block.h"
#include "sim/sim_text.h"

namespace tavrin::sim {
namespace {

size_t TotalLength(std::string_view header) {
    return static_cast<uint8_t>(header[4]) + 256u * static_cast<uint8_t>(header[5]);
}

bool SameBlock(std::string_view a, const LoginBlock& b) {
    if (a.size() != b.size()) return false;
    // Compared in constant time, so the reply time tells nothing of the block.
    uint8_t diff = 0;
    for (size_t i = 0; i < b.size(); ++i) diff |= static_cast<uint8_t>(a[i]) ^ b[i];
    return diff == 0;
}

}  // namespace

std::string EncodeReplyFrame(std::string_view text) {
    text = text.substr(0, kMaxReplyText);
    const uint32_t total = static_cast<uint32_t>(text.size() + kFrameHeaderSize + 1);
    std::string frame(kFrameMagic, 4);
    for (int i = 0; i < 4; ++i) frame.push_back(static_cast<char>((total >> (8 * i)) & 0xFF));
    frame.append(text);
    frame.push_back('\0');
    return frame;
}

std::string BadHeaderFrame() {
    std::string frame(kFrameMagic, 4);
    frame.append("\x04\x00\x00\x00", 4);
    return frame;
}

SimSession::SimSession(SimGame& game, std::span<const Account> accounts, FaultState& faults)
    : m_game(game), m_accounts(accounts), m_faults(faults) {}

SessionOutput SimSession::Start() {
    SessionOutput out;
    m_greeting = m_game.MakeGreeting();
    m_phase = Phase::Login;
    out.frames.push_back(EncodeReplyFrame(m_greeting));
    out.log.push_back("greeting sent");
    return out;
}

SessionOutput SimSession::Feed(std::string_view bytes) {
    SessionOutput out;
    if (m_phase == Phase::Login) TakeLoginBytes(bytes, out);
    if (m_phase == Phase::Commands) TakeCommandBytes(bytes, out);
    return out;
}

void SimSession::Broken(SessionOutput& out) {
    out.log.push_back("broken header: total length below 8, closing connection");
    out.close = true;
    m_phase = Phase::Closed;
}

void SimSession::TakeLoginBytes(std::string_view& bytes, SessionOutput& out) {
    // The login block may hold zero bytes, so the login frame is cut raw
    // rather than as a text.
    if (m_loginBytes.size() < kFrameHeaderSize) {
        const size_t take = std::min(bytes.size(), kFrameHeaderSize - m_loginBytes.size());
        m_loginBytes.append(bytes.substr(0, take));
        bytes.remove_prefix(take);
        if (m_loginBytes.size() < kFrameHeaderSize) return;
    }
    const size_t total = TotalLength(m_loginBytes);
    if (total < kFrameHeaderSize) return Broken(out);
    const size_t take = std::min(bytes.size(), total - m_loginBytes.size());
    m_loginBytes.append(bytes.substr(0, take));
    bytes.remove_prefix(take);
    if (m_loginBytes.size() < total) return;

    const std::string_view block = std::string_view(m_loginBytes).substr(kFrameHeaderSize);
    const Account* account = nullptr;
    if (total != kLoginFrameSize) {
        out.log.push_back("login: a frame of " + std::to_string(total) +
                          " bytes is no login frame");
    } else if (m_faults.reject) {
        out.log.push_back("login: rejected by the reject fault");
    } else {
        account = MatchAccount(block);
        if (!account) out.log.push_back("login: no account matches");
    }
    if (!account) {
        // A rejected admin is sent away; the console waits for the close.
        out.frames.push_back(EncodeReplyFrame(kRejectVerdict));
        out.log.push_back("verdict: " + std::string(kRejectVerdict));
        out.close = true;
        m_phase = Phase::Closed;
        return;
    }
    const std::string verdict = "Welcome " + account->user + ", login accepted";
    out.frames.push_back(EncodeReplyFrame(verdict));
    out.log.push_back("login: user " + account->user + " accepted");
    out.log.push_back("verdict: " + verdict);
    m_phase = Phase::Commands;
}

const Account* SimSession::MatchAccount(std::string_view block) const {
    const std::string_view code = LoginCodeFromGreeting(m_greeting);
    for (const Account& a : m_accounts) {
        const LoginBlockResult expected = BuildLoginBlock(a.user, a.password, code);
        if (expected.ok() && SameBlock(block, expected.value())) return &a;
    }
    return nullptr;
}

void SimSession::TakeCommandBytes(std::string_view bytes, SessionOutput& out) {
    for (;;) {
        FrameReader::Result r = m_reader.Feed(bytes);
        bytes.remove_prefix(r.used);
        if (r.status == FrameReader::Status::NeedMore) return;
        if (r.status == FrameReader::Status::Broken) return Broken(out);
        Answer(r.text, out);
    }
}

void SimSession::Answer(const std::string& command, SessionOutput& out) {
    // Escaped, so a command cannot break the one-line-per-event log that
    // tests and people read, and a test sees every control byte it carried.
    out.log.push_back("cmd: " + Escape(command));
    if (m_faults.ignore > 0) {
        --m_faults.ignore;
        out.log.push_back("ignore: command dropped, no reply");
        return;
    }
    if (m_faults.stall && command == "get gamestate") {
        out.log.push_back("stall: no reply to get gamestate");
        return;
    }
    out.frames.push_back(ReplyFrame(m_game.Execute(command)));
}

SessionOutput SimSession::Push(std::string_view text) {
    SessionOutput out;
    if (!LoggedIn()) return out;
    out.frames.push_back(ReplyFrame(text));
    out.log.push_back("push: " + Escape(text));
    return out;
}

std::string SimSession::ReplyFrame(std::string_view text) const {
    const size_t size = std::min(m_faults.bigReply, kMaxReplyText);
    if (size <= text.size()) return EncodeReplyFrame(text);
    // The padding is a line of its own, so the reply's last value stays as it
    // was and its markers are still found.
    std::string padded(text);
    if (!padded.empty() && padded.back() != '\n') padded += '\n';
    padded.resize(size, '.');
    return EncodeReplyFrame(padded);
}

}  // namespace tavrin::sim
