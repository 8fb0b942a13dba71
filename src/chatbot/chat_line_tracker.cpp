#include "chatbot/chat_line_tracker.h"

#include <algorithm>
#include <unordered_map>

#include "chatbot/chat_text.h"

namespace tavrin {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

std::string_view WithoutTrailingBlanks(std::string_view text) {
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

// Knuth-Morris-Pratt borders of a sequence of line ids: b[i] is the length of
// the longest proper prefix of p[0..i] that is also a suffix of it.
std::vector<size_t> Borders(const std::vector<int>& p) {
    std::vector<size_t> b(p.size(), 0);
    for (size_t i = 1, k = 0; i < p.size(); ++i) {
        while (k > 0 && p[i] != p[k]) k = b[k - 1];
        if (p[i] == p[k]) ++k;
        b[i] = k;
    }
    return b;
}

// One step of a Knuth-Morris-Pratt scan: the matched length after `x`.
size_t Step(const std::vector<int>& p, const std::vector<size_t>& b, size_t q, int x) {
    if (q == p.size()) q = b[q - 1];
    while (q > 0 && p[q] != x) q = b[q - 1];
    return p[q] == x ? q + 1 : q;
}

}  // namespace

std::vector<std::string_view> ChatLinesOf(std::string_view text) {
    std::vector<std::string_view> out;
    size_t from = 0;
    for (size_t end = text.find(kLineEnd, from); end != std::string_view::npos;
         end = text.find(kLineEnd, from)) {
        if (end > from) out.push_back(text.substr(from, end - from));
        from = end + kLineEnd.size();
    }
    return out;
}

size_t LinesContinuing(const std::vector<std::string>& seen,
                       const std::vector<std::string_view>& reply) {
    if (seen.empty() || reply.empty()) return 0;
    // Lines compared as numbers: equal lines get equal ids.
    std::unordered_map<std::string_view, int> ids;
    auto id = [&ids](std::string_view line) {
        return ids.emplace(line, static_cast<int>(ids.size())).first->second;
    };
    std::vector<int> s, r;
    s.reserve(seen.size());
    r.reserve(reply.size());
    for (const auto& line : seen) s.push_back(id(line));
    for (const auto line : reply) r.push_back(id(line));

    // The longest tail of the seen lines that the reply starts with: the
    // reply's start matched along the seen lines, as far as it got at their end.
    const std::vector<int> head(
        r.begin(), r.begin() + static_cast<std::ptrdiff_t>(std::min(r.size(), s.size())));
    const auto headBorders = Borders(head);
    size_t q = 0;
    for (const int x : s) q = Step(head, headBorders, q, x);
    if (q > 0) return q;

    // Else the longest tail of the seen lines that the reply holds anywhere
    // (the longest prefix of the seen lines backwards found in the reply
    // backwards), and where it first ends.
    const std::vector<int> backwards(s.rbegin(), s.rend());
    const auto backBorders = Borders(backwards);
    size_t longest = 0;
    q = 0;
    for (auto x = r.rbegin(); x != r.rend(); ++x) {
        q = Step(backwards, backBorders, q, *x);
        longest = std::max(longest, q);
    }
    if (longest == 0) return 0;
    const std::vector<int> tail(s.end() - static_cast<std::ptrdiff_t>(longest), s.end());
    const auto tailBorders = Borders(tail);
    q = 0;
    for (size_t i = 0; i < r.size(); ++i) {
        q = Step(tail, tailBorders, q, r[i]);
        if (q == tail.size()) return i + 1;
    }
    return 0;
}

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
    // A text without a single line end is not the server's chat buffer but
    // some other answer the router could not place. Taken as the known text,
    // it would make the next chat reply look wholly new.
    if (!reply.empty() && reply.find(kLineEnd) == std::string::npos) return {};
    const bool afterClear = m_known.empty() && m_lines.empty();
    if (!afterClear && reply == m_known) return {};
    if (reply.empty()) {
        m_known.clear();
        m_seen.clear();
        return afterClear ? NewLines{0, false} : NewLines{};
    }
    // Every search here is linear in the reply: a reply is outside text, and
    // tens of thousands of alike lines must not stall the main thread.
    const std::vector<std::string_view> lines = ChatLinesOf(reply);
    const size_t old = LinesContinuing(m_seen, lines);
    NewLines added;
    if (afterClear) {
        // Shown whole, the lines already seen among them marked as such; the
        // first reply after a reset or a connect is not matched.
        m_lines.insert(m_lines.end(), lines.begin(), lines.end());
        added = {0, false, static_cast<int>(old)};
    } else {
        added = {static_cast<int>(m_lines.size()), true, 0};
        m_lines.insert(m_lines.end(), lines.begin() + static_cast<std::ptrdiff_t>(old),
                       lines.end());
    }
    m_known = reply;
    if (!lines.empty()) m_seen.assign(lines.begin(), lines.end());
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
    line = WithoutTrailingBlanks(line);
    // The text after the speaker, whoever the game shows as the speaker; a
    // team message is a player's.
    std::string_view said;
    const size_t separator = line.find(": ");
    if (const auto speaker = SpeakerName(line); speaker && speaker->size() == separator)
        said = line.substr(separator + 2);
    // The oldest first: echoes come back in the order the texts were sent.
    const auto echo = std::find_if(m_texts.begin(), m_texts.end(), [&](const std::string& text) {
        return text == line || text == said;
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

}  // namespace tavrin
