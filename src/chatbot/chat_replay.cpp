#include "chatbot/chat_replay.h"

#include <algorithm>
#include <climits>

#include "chatbot/chatbot_config.h"
#include "common/value_text.h"

namespace tavrin {

namespace {

std::string CountText(uint64_t n) {
    return IntToText(static_cast<int32_t>(std::min<uint64_t>(n, INT32_MAX)));
}

}  // namespace

ChatLogReplay::ChatLogReplay(std::vector<std::string> words, std::string stamp)
    : m_words(std::move(words)), m_matcher(m_words), m_stamp(std::move(stamp)) {}

void ChatLogReplay::Feed(std::string_view bytes) {
    size_t from = 0;
    for (size_t end = bytes.find('\n'); end != std::string_view::npos;
         end = bytes.find('\n', from)) {
        std::string_view line = bytes.substr(from, end - from);
        from = end + 1;
        if (!m_partial.empty()) {
            m_partial.append(line);
            line = m_partial;
        }
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        TakeLine(line);
        m_partial.clear();
    }
    m_partial.append(bytes.substr(from));
}

void ChatLogReplay::TakeLine(std::string_view line) {
    const size_t blank = line.find(' ');
    if (blank == std::string_view::npos) return;
    line.remove_prefix(blank + 1);
    // What the live chat shows for a buffer that grew by this one line.
    const uint64_t before = m_taken < kMaxChatLines ? m_taken : kMaxChatLines;
    m_scan.preLines = CountText(before);
    m_scan.knownLength = CountText(m_runningBytes);
    m_runningBytes += line.size() + 2;
    m_scan.newLength = CountText(m_runningBytes);
    m_scan.postLines = CountText(before + 1);
    // The first line meets an empty buffer, as a first reply does: shown only.
    m_scan.linesToScan = m_taken == 0 ? "None" : "1";
    if (before + 1 > kMaxChatLines) m_scan.excessLines = "1";

    ChatRow row{kImageShown, m_stamp, std::string(line), {}};
    if (m_taken > 0) Match(row);
    ++m_taken;
    m_rows.push_front(std::move(row));
    if (m_rows.size() > kMaxChatLines) m_rows.pop_back();
}

void ChatLogReplay::Match(ChatRow& row) {
    if (m_matcherStale) {
        m_matcher = BannedWordMatcher(m_words);
        m_matcherStale = false;
    }
    row.image = kImageClean;
    const auto caught = m_matcher.Match(row.text);
    if (!caught) return;
    const auto [points, warning, word, wordChanged] = CountCatch(m_words[caught->word]);
    if (wordChanged) m_matcherStale = true;
    row.image = kImageCaught;
    row.caught = word;

    // Monitor-only words are listed too: a replay shows who would have been caught.
    auto [at, added] = m_catchOf.try_emplace(caught->speaker, m_catches.size());
    if (added) m_catches.push_back({caught->speaker, 0, {}, {}});
    Catch& c = m_catches[at->second];
    if (points > 0) c.points = points < INT_MAX - c.points ? c.points + points : INT_MAX;
    c.warning = warning;
    c.word = word;
}

}  // namespace tavrin
