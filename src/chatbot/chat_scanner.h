#pragma once

// Chat scanning without a tab: telling new chat lines from the overlapping
// "chat get" replies, and matching a chat line against the banned words.

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrin {

// The line buffer is cut back to this many lines after every reply.
inline constexpr size_t kMaxChatLines = 45;

// The speaker of a chat line: the text before the first ": ", or before the
// first ":[" in a team message (one that holds "]: " and ":["). nullopt for a
// line without ": ", which is no chat line.
std::optional<std::string> SpeakerName(std::string_view line);

struct ChatCatch {
    size_t word = 0;  // position of the banned-word record in the list
    std::string speaker;
};

// Matches chat lines against one banned-word list; the search texts are made
// once, so a reply's lines are matched without re-reading the records.
class BannedWordMatcher {
  public:
    explicit BannedWordMatcher(const std::vector<std::string>& wordRecords);

    // The first banned word, in list order, that the line holds. Case-insensitive;
    // the speaker's name and the characters ! ? # @ , ' * do not count.
    std::optional<ChatCatch> Match(std::string_view line) const;

  private:
    std::vector<std::string> m_searchTexts;
};

// Which lines of a reply are new: S and N of one step.
struct NewLines {
    int first = -1;      // buffer index of the first added line; -1 when nothing was added
    bool match = false;  // whether the added lines are to be matched
};

// The known text (the last chat reply taken in) and the line buffer.
class ChatLineTracker {
  public:
    NewLines TakeReply(const std::string& reply);
    // Removes lines from the front down to `max`; returns how many went.
    size_t CutTo(size_t max);
    void Clear();

    const std::string& KnownText() const { return m_known; }
    const std::deque<std::string>& Lines() const { return m_lines; }

  private:
    // Appends every non-empty piece that ends in CR LF; a last piece without one is dropped.
    void Split(std::string_view text);

    std::string m_known;
    std::deque<std::string> m_lines;
};

}  // namespace tavrin
