#pragma once

// Byte-text helpers of the ChatBot.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "common/text_helpers.h"

namespace tavrin {

// One pattern, searched for in time linear in the text (Knuth-Morris-Pratt).
// Chat is typed by players: a plain search compares the same bytes again at
// every start, which a reply of many alike lines turns into minutes.
class TextSearch {
  public:
    explicit TextSearch(std::string_view pattern);

    // The start of the first occurrence at or after `from`; npos when there is
    // none. An empty pattern occurs at `from`.
    size_t FindIn(std::string_view text, size_t from = 0) const;
    // The length of the longest prefix of the pattern that occurs in `text`.
    size_t LongestPrefixIn(std::string_view text) const;
    // The text with every occurrence removed, found left to right without
    // overlap; an empty pattern removes nothing.
    std::string EraseFrom(std::string_view text) const;

  private:
    std::string m_pattern;
    // m_border[i]: length of the longest proper prefix of m_pattern[0..i]
    // that is also a suffix of it.
    std::vector<size_t> m_border;
};

// The text with every occurrence of `what` removed, found left to right
// without overlap; an empty `what` removes nothing.
std::string EraseAll(std::string_view text, std::string_view what);

// The reply router's test for the answer to a "chat send".
inline bool IsChatSentReply(std::string_view reply) {
    return reply.find("Chat sent.") != std::string_view::npos;
}

}  // namespace tavrin
