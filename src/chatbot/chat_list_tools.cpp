#include "chatbot/chat_list_tools.h"

#include "chatbot/chat_line_tracker.h"
#include "common/text_helpers.h"

namespace tavrin {

namespace {

bool Skipped(char c) {
    switch (c) {
        case '!':
        case '?':
        case '#':
        case '@':
        case ',':
        case '\'':
        case '*':
            return true;
        default:
            return false;
    }
}

}  // namespace

std::optional<TextSpan> CaughtWordSpan(std::string_view line, std::string_view word) {
    const std::string lowWord = LowerCase1252(word);
    std::string key;
    for (char c : lowWord)
        if (!Skipped(c)) key += c;
    // A word of blanks at either end is found by the blanks around a word.
    const std::string_view trimmed = Trim(key);
    if (trimmed.empty()) return std::nullopt;
    const std::string low = LowerCase1252(line);
    size_t from = 0;
    if (auto speaker = SpeakerName(line)) from = speaker->size();
    for (size_t start = from; start < low.size(); ++start) {
        if (Skipped(low[start])) continue;
        size_t i = start;
        size_t k = 0;
        while (i < low.size() && k < trimmed.size()) {
            if (Skipped(low[i]) && k > 0) {
                ++i;
                continue;
            }
            if (low[i] != trimmed[k]) break;
            ++i;
            ++k;
        }
        if (k == trimmed.size()) return TextSpan{start, i - start};
    }
    return std::nullopt;
}

std::optional<size_t> FindChatText(const std::vector<std::string>& rows, std::string_view needle,
                                   size_t from) {
    if (needle.empty() || rows.empty()) return std::nullopt;
    const std::string low = LowerCase1252(needle);
    for (size_t n = 0; n < rows.size(); ++n) {
        const size_t row = (from + n) % rows.size();
        if (Contains(LowerCase1252(rows[row]), low)) return row;
    }
    return std::nullopt;
}

void SendHistory::Add(const std::string& text) {
    if (m_texts.empty() || m_texts.back() != text) m_texts.push_back(text);
    if (m_texts.size() > kKept) m_texts.pop_front();
    m_pos = m_texts.size();
    m_typing.clear();
}

std::optional<std::string> SendHistory::Older(const std::string& typing) {
    if (m_pos == 0) return std::nullopt;
    if (m_pos == m_texts.size()) m_typing = typing;
    return m_texts[--m_pos];
}

std::optional<std::string> SendHistory::Newer() {
    if (m_pos >= m_texts.size()) return std::nullopt;
    ++m_pos;
    return m_pos == m_texts.size() ? m_typing : m_texts[m_pos];
}

}  // namespace tavrin
