#include "chatbot/chat_text.h"

namespace tavrin {

TextSearch::TextSearch(std::string_view pattern) : m_pattern(pattern), m_border(pattern.size(), 0) {
    size_t k = 0;
    for (size_t i = 1; i < m_pattern.size(); ++i) {
        while (k > 0 && m_pattern[i] != m_pattern[k]) k = m_border[k - 1];
        if (m_pattern[i] == m_pattern[k]) ++k;
        m_border[i] = k;
    }
}

size_t TextSearch::FindIn(std::string_view text, size_t from) const {
    if (from > text.size()) return std::string_view::npos;
    if (m_pattern.empty()) return from;
    size_t matched = 0;
    for (size_t i = from; i < text.size(); ++i) {
        while (matched > 0 && text[i] != m_pattern[matched]) matched = m_border[matched - 1];
        if (text[i] == m_pattern[matched]) ++matched;
        if (matched == m_pattern.size()) return i + 1 - matched;
    }
    return std::string_view::npos;
}

size_t TextSearch::LongestPrefixIn(std::string_view text) const {
    // After each byte, `matched` is the longest prefix of the pattern that
    // ends there; every prefix that occurs ends somewhere.
    size_t matched = 0;
    size_t longest = 0;
    for (char c : text) {
        if (matched == m_pattern.size()) return matched;
        while (matched > 0 && c != m_pattern[matched]) matched = m_border[matched - 1];
        if (c == m_pattern[matched]) ++matched;
        if (matched > longest) longest = matched;
    }
    return longest;
}

std::string TextSearch::EraseFrom(std::string_view text) const {
    if (m_pattern.empty()) return std::string(text);
    std::string out;
    out.reserve(text.size());
    size_t from = 0;
    for (size_t at = FindIn(text); at != std::string_view::npos; at = FindIn(text, from)) {
        out.append(text, from, at - from);
        from = at + m_pattern.size();
    }
    out.append(text, from);
    return out;
}

std::string EraseAll(std::string_view text, std::string_view what) {
    return TextSearch(what).EraseFrom(text);
}

}  // namespace tavrin
