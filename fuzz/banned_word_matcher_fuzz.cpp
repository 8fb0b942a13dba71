// Arbitrary banned-word records and chat lines: the one-pass matcher, in both
// of its layouts, must catch what the word-by-word search catches. The input
// is records, then lines, each ended by a line feed; an empty line ends the
// records. A record is taken as it stands, so odd ones (no fields, a word
// without its backslash, bytes of any value) are tried too.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chatbot/banned_word_matcher.h"
#include "chatbot/reference_word_matcher.h"
#include "support/silent_host.h"

namespace {

using namespace tavrin;

bool Same(const std::optional<ChatCatch>& a, const std::optional<ChatCatch>& b) {
    return a.has_value() == b.has_value() &&
           (!a || (a->word == b->word && a->speaker == b->speaker));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> records;
    std::vector<std::string_view> lines;
    bool inRecords = true;
    size_t from = 0;
    for (size_t end = input.find('\n'); from < input.size(); end = input.find('\n', from)) {
        const std::string_view piece =
            input.substr(from, end == std::string_view::npos ? std::string_view::npos : end - from);
        from = end == std::string_view::npos ? input.size() : end + 1;
        if (inRecords && piece.empty()) {
            inRecords = false;
        } else if (inRecords) {
            records.emplace_back(piece);
        } else {
            lines.push_back(piece);
        }
    }
    const BannedWordMatcher table(records);
    const BannedWordMatcher trie(records, 0);
    const testing::ReferenceWordMatcher reference(records);
    for (const auto line : lines) {
        const auto expected = reference.Match(line);
        testing::Check(Same(table.Match(line), expected));
        testing::Check(Same(trie.Match(line), expected));
    }
    return 0;
}
