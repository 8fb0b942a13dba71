#pragma once

// Matching chat lines against the banned words: every word of the list is
// looked for in one pass over the line (Aho-Corasick), so the cost of a line
// follows its length, not the length of the list.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrin {

struct ChatCatch {
    size_t word = 0;  // position of the banned-word record in the list
    std::string speaker;
};

// Matches chat lines against one banned-word list. Built once per word list
// and kept until the list changes; building costs time in the total length of
// the words, a match costs time in the length of the line.
class BannedWordMatcher {
  public:
    // Above this many cells (16 MB) the full transition table, a cell per
    // state and distinct byte, gives way to the trie with its fall-back
    // links, whose memory follows the length of the words alone. Ten
    // thousand random words of four to nine lower-case letters, half of
    // them whole words, take 1.5 million cells.
    static constexpr size_t kMaxTableCells = size_t{1} << 22;

    // Matches nothing.
    BannedWordMatcher();
    // `maxTableCells` bounds the full transition table; 0 always uses the
    // compact trie.
    explicit BannedWordMatcher(const std::vector<std::string>& wordRecords,
                               size_t maxTableCells = kMaxTableCells);

    // The first banned word, in list order, that the line holds. Case-insensitive;
    // the speaker's name at the head of the line and the characters
    // ! ? # @ , ' * do not count.
    std::optional<ChatCatch> Match(std::string_view line) const;

    // Whether matching uses the full transition table.
    bool UsesTable() const { return !m_table.empty(); }

  private:
    static constexpr uint32_t kNoWord = UINT32_MAX;

    // The smallest list position of a search text that occurs in the message
    // (the line after the speaker's name), with the ignored characters
    // dropped, a blank appended and everything lower-cased; kNoWord for none.
    uint32_t FirstWordIn(std::string_view message) const;
    uint32_t FirstWordByTable(std::string_view message) const;
    uint32_t FirstWordByTrie(std::string_view message) const;
    // The trie state after `state` reads a byte of class `cls`.
    uint32_t TrieStep(uint32_t state, uint16_t cls) const;

    // Byte classes: every byte a search text holds (after lower-casing) has a
    // class of its own; kOtherClass stands for every other byte, and
    // kSkipClass for the ignored characters, which leave the state as it is.
    // m_classOf gives the class of a byte of the line as it comes.
    static constexpr uint16_t kOtherClass = 0;
    static constexpr uint16_t kSkipClass = 1;
    std::array<uint16_t, 256> m_classOf{};
    uint16_t m_classCount = kSkipClass + 1;

    // The trie, states numbered breadth first (0 is the root). State s has
    // the children m_edges[m_edgeBegin[s] .. m_edgeBegin[s + 1]), sorted by class.
    struct Edge {
        uint16_t cls;
        uint32_t to;
    };
    std::vector<uint32_t> m_edgeBegin;
    std::vector<Edge> m_edges;
    std::vector<uint32_t> m_fail;
    // m_first[s]: the smallest list position among the search texts that end
    // the text spelled by state s (itself or its tails, the empty text included).
    std::vector<uint32_t> m_first;
    std::vector<uint32_t> m_rootNext;  // the root's step for every class

    // The full table: row of state s at s * (m_classCount + 1); cell 0 holds
    // m_first[s], cell 1 + c the row offset of the next state on class c.
    std::vector<uint32_t> m_table;

    // No line can do better than this; matching stops when it is found.
    uint32_t m_lowest = kNoWord;
};

}  // namespace tavrin
