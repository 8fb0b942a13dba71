#include "chatbot/banned_word_matcher.h"

#include <algorithm>

#include "chatbot/chat_line_tracker.h"
#include "chatbot/chatbot_config.h"
#include "common/text_helpers.h"

namespace tavrin {

namespace {

// Deleted from a chat line before it is searched.
constexpr std::string_view kIgnoredMarks = "!?#@,'*";

bool IsIgnoredMark(unsigned char c) {
    return kIgnoredMarks.find(static_cast<char>(c)) != std::string_view::npos;
}

// The text searched for a banned-word record: the lower-cased word, between
// blanks for a whole-word record.
std::string SearchText(const std::string& record) {
    std::string word = LowerCase1252(RecordField(record, 2));
    return IsWholeWord(record) ? " " + word + " " : word;
}

}  // namespace

BannedWordMatcher::BannedWordMatcher() : BannedWordMatcher(std::vector<std::string>{}) {}

BannedWordMatcher::BannedWordMatcher(const std::vector<std::string>& wordRecords,
                                     size_t maxTableCells) {
    // Search texts that can occur. One holding an ignored character never
    // does: the line it would be found in has lost those characters.
    std::vector<std::pair<uint32_t, std::string>> texts;
    texts.reserve(wordRecords.size());
    for (size_t i = 0; i < wordRecords.size(); ++i) {
        std::string text = SearchText(wordRecords[i]);
        if (std::none_of(text.begin(), text.end(),
                         [](char c) { return IsIgnoredMark(static_cast<unsigned char>(c)); }))
            texts.emplace_back(static_cast<uint32_t>(i), std::move(text));
    }
    if (!texts.empty()) m_lowest = texts.front().first;

    // Byte classes of the search texts, then of every byte of a line, which
    // is read lower-cased.
    std::array<uint16_t, 256> classOfLower{};
    m_classCount = kSkipClass + 1;
    for (const auto& [index, text] : texts)
        for (char c : text) {
            auto& cls = classOfLower[static_cast<unsigned char>(c)];
            if (cls == kOtherClass) cls = m_classCount++;
        }
    for (int b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        const auto lower = static_cast<unsigned char>(LowerCase1252(std::string_view(&byte, 1))[0]);
        m_classOf[static_cast<size_t>(b)] =
            IsIgnoredMark(static_cast<unsigned char>(b)) ? kSkipClass : classOfLower[lower];
    }

    // The trie as it is built: children kept sorted by class; `own` is the
    // first list position whose search text ends at the node.
    struct Node {
        std::vector<Edge> children;
        uint32_t own = kNoWord;
    };
    std::vector<Node> nodes(1);
    auto findChild = [](const std::vector<Edge>& children, uint16_t cls) {
        return std::lower_bound(children.begin(), children.end(), cls,
                                [](const Edge& e, uint16_t c) { return e.cls < c; });
    };
    for (const auto& [index, text] : texts) {
        uint32_t at = 0;
        for (char c : text) {
            const uint16_t cls = classOfLower[static_cast<unsigned char>(c)];
            auto& children = nodes[at].children;
            auto it = findChild(children, cls);
            if (it == children.end() || it->cls != cls) {
                const auto next = static_cast<uint32_t>(nodes.size());
                children.insert(it, Edge{cls, next});
                nodes.emplace_back();  // invalidates `children`; not used again
                at = next;
            } else {
                at = it->to;
            }
        }
        // A repeated text keeps its first position.
        nodes[at].own = std::min(nodes[at].own, index);
    }

    // Number the states breadth first, so that a state's fall-back (always
    // shallower) comes before it, and lay the edges out in that order.
    const size_t count = nodes.size();
    std::vector<uint32_t> order;  // order[new number] = build index
    std::vector<uint32_t> number(count);
    order.reserve(count);
    order.push_back(0);
    for (size_t k = 0; k < order.size(); ++k)
        for (const Edge& e : nodes[order[k]].children) {
            number[e.to] = static_cast<uint32_t>(order.size());
            order.push_back(e.to);
        }
    m_edgeBegin.assign(count + 1, 0);
    m_edges.reserve(count - 1);
    for (size_t s = 0; s < count; ++s) {
        m_edgeBegin[s] = static_cast<uint32_t>(m_edges.size());
        for (const Edge& e : nodes[order[s]].children) m_edges.push_back({e.cls, number[e.to]});
    }
    m_edgeBegin[count] = static_cast<uint32_t>(m_edges.size());

    m_rootNext.assign(m_classCount, 0);
    for (uint32_t e = m_edgeBegin[0]; e < m_edgeBegin[1]; ++e)
        m_rootNext[m_edges[e].cls] = m_edges[e].to;

    // Fall-back links and first positions, breadth first.
    m_fail.assign(count, 0);
    m_first.assign(count, kNoWord);
    m_first[0] = nodes[0].own;
    for (uint32_t s = 0; s < count; ++s)
        for (uint32_t e = m_edgeBegin[s]; e < m_edgeBegin[s + 1]; ++e) {
            const uint32_t child = m_edges[e].to;
            m_fail[child] = s == 0 ? 0 : TrieStep(m_fail[s], m_edges[e].cls);
            m_first[child] = std::min(nodes[order[child]].own, m_first[m_fail[child]]);
        }

    // The full table, when it is small enough: every step one look-up.
    const size_t row = size_t{m_classCount} + 1;
    if (count * row > maxTableCells || count * row >= UINT32_MAX) return;
    m_table.assign(count * row, 0);
    for (uint32_t s = 0; s < count; ++s) {
        uint32_t* cells = &m_table[s * row];
        cells[0] = m_first[s];
        uint32_t* next = cells + 1;
        if (s == 0) {
            for (uint16_t c = 0; c < m_classCount; ++c)
                next[c] = static_cast<uint32_t>(m_rootNext[c] * row);
        } else {
            // Where the state has no child it goes where its fall-back goes,
            // whose row is already filled.
            std::copy_n(&m_table[m_fail[s] * row + 1], m_classCount, next);
            for (uint32_t e = m_edgeBegin[s]; e < m_edgeBegin[s + 1]; ++e)
                next[m_edges[e].cls] = static_cast<uint32_t>(m_edges[e].to * row);
        }
        next[kSkipClass] = static_cast<uint32_t>(s * row);
    }
}

uint32_t BannedWordMatcher::TrieStep(uint32_t state, uint16_t cls) const {
    if (cls == kOtherClass) return 0;
    for (;;) {
        if (state == 0) return m_rootNext[cls];
        const Edge* begin = m_edges.data() + m_edgeBegin[state];
        const Edge* end = m_edges.data() + m_edgeBegin[state + 1];
        const Edge* it =
            std::lower_bound(begin, end, cls, [](const Edge& e, uint16_t c) { return e.cls < c; });
        if (it != end && it->cls == cls) return it->to;
        state = m_fail[state];
    }
}

uint32_t BannedWordMatcher::FirstWordByTable(std::string_view message) const {
    const uint32_t* table = m_table.data();
    const uint32_t* next = table + 1;
    uint32_t state = 0;
    uint32_t best = table[0];
    if (best == m_lowest) return best;
    for (char c : message) {
        state = next[state + m_classOf[static_cast<unsigned char>(c)]];
        if (table[state] < best) {
            best = table[state];
            if (best == m_lowest) return best;
        }
    }
    state = next[state + m_classOf[' ']];
    return std::min(best, table[state]);
}

uint32_t BannedWordMatcher::FirstWordByTrie(std::string_view message) const {
    uint32_t state = 0;
    uint32_t best = m_first[0];
    if (best == m_lowest) return best;
    for (char c : message) {
        const uint16_t cls = m_classOf[static_cast<unsigned char>(c)];
        if (cls == kSkipClass) continue;
        state = TrieStep(state, cls);
        if (m_first[state] < best) {
            best = m_first[state];
            if (best == m_lowest) return best;
        }
    }
    state = TrieStep(state, m_classOf[' ']);
    return std::min(best, m_first[state]);
}

uint32_t BannedWordMatcher::FirstWordIn(std::string_view message) const {
    return UsesTable() ? FirstWordByTable(message) : FirstWordByTrie(message);
}

std::optional<ChatCatch> BannedWordMatcher::Match(std::string_view line) const {
    if (m_lowest == kNoWord) return std::nullopt;
    auto speaker = SpeakerName(line);
    if (!speaker) return std::nullopt;
    // Only the name that heads the line is left out. Deleting the name
    // wherever it occurs would let a player named "o" say "noob" unseen.
    // The ": " after the name leaves a blank before the first word and the
    // blank read after the last lets whole words match at both ends.
    const uint32_t word = FirstWordIn(line.substr(speaker->size()));
    if (word == kNoWord) return std::nullopt;
    return ChatCatch{word, std::move(*speaker)};
}

}  // namespace tavrin
