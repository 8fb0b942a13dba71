#include "chatbot/chat_scanner.h"

#include <algorithm>

#include "chatbot/chat_text.h"
#include "chatbot/chatbot_config.h"

namespace tavrin {

namespace {

// Below this many buffered lines a reply is taken as the old text plus new lines
// even when it does not hold the old text.
constexpr size_t kSmallBuffer = 40;
// A reply shorter than this share of the known text means the server's buffer restarted.
constexpr double kShrunkShare = 0.8;

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kIgnoredMarks = "!?#@,'*";

}  // namespace

std::optional<std::string> SpeakerName(std::string_view line) {
    size_t end = line.find(": ");
    if (end == std::string_view::npos) return std::nullopt;
    if (line.find("]: ") != std::string_view::npos) {
        size_t team = line.find(":[");
        if (team != std::string_view::npos) end = team;
    }
    return std::string(line.substr(0, end));
}

BannedWordMatcher::BannedWordMatcher(const std::vector<std::string>& wordRecords) {
    m_searchTexts.reserve(wordRecords.size());
    for (const auto& record : wordRecords) {
        std::string word = LowerCase1252(RecordField(record, 2));
        m_searchTexts.push_back(IsWholeWord(record) ? " " + word + " " : word);
    }
}

std::optional<ChatCatch> BannedWordMatcher::Match(std::string_view line) const {
    auto speaker = SpeakerName(line);
    if (!speaker) return std::nullopt;
    // The ": " after the deleted name leaves a blank before the first word and
    // the appended blank follows the last, so whole words match at both ends.
    std::string copy = EraseAll(line, *speaker);
    std::erase_if(copy, [](char c) { return kIgnoredMarks.find(c) != std::string_view::npos; });
    copy += ' ';
    copy = LowerCase1252(copy);
    for (size_t i = 0; i < m_searchTexts.size(); ++i)
        if (copy.find(m_searchTexts[i]) != std::string::npos)
            return ChatCatch{i, std::move(*speaker)};
    return std::nullopt;
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
    if (m_lines.size() < kSmallBuffer || reply.find(m_known) != std::string::npos) {
        Split(EraseAll(reply, m_known));
        m_known = reply;
        return added;
    }
    // The server dropped old lines from the front of its buffer: look for the
    // longest tail of the known text that the reply still holds.
    bool found = false;
    std::string_view tail = m_known;
    for (size_t end = tail.find(kLineEnd); end != std::string_view::npos;
         end = tail.find(kLineEnd)) {
        tail.remove_prefix(end + kLineEnd.size());
        if (tail.empty()) break;
        if (reply.find(tail) != std::string::npos) {
            Split(EraseAll(reply, tail));
            found = true;
            break;
        }
    }
    if (!found) Split(reply);
    m_known = reply;
    return added;
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
