#include "chatbot/chat_scanner.h"

#include <algorithm>

#include "chatbot/chat_text.h"

namespace tavrin {

namespace {

// Below this many buffered lines a reply is taken as the old text plus new lines
// even when it does not hold the old text.
constexpr size_t kSmallBuffer = 40;
// A reply shorter than this share of the known text means the server's buffer restarted.
constexpr double kShrunkShare = 0.8;

constexpr std::string_view kLineEnd = "\r\n";

// Where the longest tail of `known` that `reply` holds begins, among the
// tails that start right after a line end of `known` and are not empty;
// known.size() when the reply holds none of them.
//
// A tail that occurs in the reply is a suffix of the known text, and every
// shorter suffix of it occurs too. So one pass finds the length of the
// longest suffix that occurs (as the longest prefix of the reversed known
// text that occurs in the reversed reply), and the answer is the first line
// start at or after the point where that suffix begins.
size_t LineTailIn(std::string_view known, std::string_view reply) {
    const std::string knownBackwards(known.rbegin(), known.rend());
    const std::string replyBackwards(reply.rbegin(), reply.rend());
    const size_t longest = TextSearch(knownBackwards).LongestPrefixIn(replyBackwards);
    const size_t earliest = known.size() - longest;
    const size_t lineEnd =
        known.find(kLineEnd, earliest < kLineEnd.size() ? 0 : earliest - kLineEnd.size());
    if (lineEnd == std::string_view::npos) return known.size();
    return lineEnd + kLineEnd.size();
}

std::string_view WithoutTrailingBlanks(std::string_view text) {
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

}  // namespace

std::optional<std::string> SpeakerName(std::string_view line) {
    size_t end = line.find(": ");
    if (end == std::string_view::npos) return std::nullopt;
    // A team message puts its team between the name and the ": "
    // ("Bob:[TEAM]: go"). Only a ":[" before the first ": " can be that mark:
    // one further on was typed by the player, and ending the name there would
    // take the message before it out of the search.
    const size_t team = line.find(":[");
    if (team < end && line.find("]: ") != std::string_view::npos) end = team;
    return std::string(line.substr(0, end));
}

NewLines ChatLineTracker::TakeReply(const std::string& reply) {
    const int before = static_cast<int>(m_lines.size());
    const NewLines added{before, true};
    // A text without a single line end is not the server's chat buffer but
    // some other answer the router could not place. Taken as the known text,
    // it would make the next chat reply look wholly new, so old lines would
    // be shown, logged and sanctioned again.
    if (!reply.empty() && reply.find(kLineEnd) == std::string::npos) return {};
    if (m_known.empty() && m_lines.empty()) {
        // First reply, or the first after a reset: shown, not matched.
        m_known = reply;
        Split(reply);
        return {0, false};
    }
    if (reply == m_known) return {};
    if (reply.empty()) {
        m_known.clear();
        return {};
    }
    if (m_known.empty() ||
        static_cast<double>(reply.size()) < kShrunkShare * static_cast<double>(m_known.size())) {
        m_known = reply;
        Split(reply);
        return added;
    }
    // Every search below is linear in the reply: a reply is outside text, and
    // tens of thousands of alike lines must not stall the main thread.
    const TextSearch known(m_known);
    if (m_lines.size() < kSmallBuffer || known.FindIn(reply) != std::string::npos) {
        Split(known.EraseFrom(reply));
        m_known = reply;
        return added;
    }
    // The server dropped old lines from the front of its buffer: look for the
    // longest tail of the known text, starting after one of its line ends,
    // that the reply still holds.
    const size_t tail = LineTailIn(m_known, reply);
    if (tail < m_known.size())
        Split(TextSearch(std::string_view(m_known).substr(tail)).EraseFrom(reply));
    else
        Split(reply);
    m_known = reply;
    return added;
}

void OwnChatLines::CommandSent(std::string_view command) {
    constexpr std::string_view kChatSend = "chat send ";
    if (command.size() < kChatSend.size() ||
        LowerCase1252(command.substr(0, kChatSend.size())) != kChatSend)
        return;
    const std::string_view text = WithoutTrailingBlanks(command.substr(kChatSend.size()));
    if (text.empty()) return;  // the game refuses an empty line
    m_texts.emplace_back(text);
    if (m_texts.size() > kRemembered) m_texts.pop_front();
}

bool OwnChatLines::TakeEcho(std::string_view line) {
    constexpr std::string_view kAdminSpeaker = "Admin: ";
    line = WithoutTrailingBlanks(line);
    const std::string_view unprefixed =
        line.starts_with(kAdminSpeaker) ? line.substr(kAdminSpeaker.size()) : std::string_view();
    // The oldest first: echoes come back in the order the texts were sent.
    const auto echo = std::find_if(m_texts.begin(), m_texts.end(), [&](const std::string& text) {
        return text == line || text == unprefixed;
    });
    if (echo == m_texts.end()) return false;
    m_texts.erase(echo);
    return true;
}

size_t ChatLineTracker::CutTo(size_t max) {
    const size_t excess = m_lines.size() > max ? m_lines.size() - max : 0;
    m_lines.erase(m_lines.begin(), m_lines.begin() + static_cast<std::ptrdiff_t>(excess));
    return excess;
}

void ChatLineTracker::Clear() {
    m_known.clear();
    m_lines.clear();
}

void ChatLineTracker::Split(std::string_view text) {
    size_t from = 0;
    for (size_t end = text.find(kLineEnd, from); end != std::string_view::npos;
         end = text.find(kLineEnd, from)) {
        if (end > from) m_lines.emplace_back(text.substr(from, end - from));
        from = end + kLineEnd.size();
    }
}

}  // namespace tavrin
