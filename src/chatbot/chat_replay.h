#pragma once

// Replaying a stored chat log ("Scan Chatlog") apart from the live chat: the
// log's lines go through a line buffer of their own, are matched against a
// copy of the banned words, and the results wait here until the whole file was
// read. The live chat, its known lines and the sanctioned players stay as they
// were until the results are applied, and a replay given up changes nothing.

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "chatbot/banned_word_matcher.h"
#include "chatbot/chat_line_tracker.h"

namespace tavrin {

class ChatLogReplay {
  public:
    // Who the replay would have caught: one entry per player, in the order of
    // their first catches; `points` sums the points each catch adds (those
    // above 0), `warning` and `word` are those of the last catch.
    struct Catch {
        std::string player;
        int points = 0;
        std::string warning;
        std::string word;
        bool operator==(const Catch&) const = default;
    };

    // `words`: the banned-word records as they stand; `stamp`: the "[HH:MM:SS] "
    // of the rows.
    ChatLogReplay(std::vector<std::string> words, std::string stamp);

    // The next bytes of the file as they lie on disk, cut anywhere. A line ends
    // at a line feed (a carriage return before it is dropped); a last piece
    // without one is never taken. Each line that holds a blank is taken
    // without the text up to its first blank (the time stamp): the replayed
    // buffer grows by that line, which is matched unless it is the first.
    void Feed(std::string_view bytes);

    const std::deque<ChatRow>& Rows() const { return m_rows; }  // newest first
    const std::vector<Catch>& Catches() const { return m_catches; }
    // The word records with their found counts raised by the replay's catches.
    const std::vector<std::string>& Words() const { return m_words; }
    const ScanData& Scan() const { return m_scan; }
    // Whether any line was taken.
    bool TookLines() const { return m_taken > 0; }

  private:
    void TakeLine(std::string_view line);
    void Match(ChatRow& row);

    std::vector<std::string> m_words;
    BannedWordMatcher m_matcher;
    bool m_matcherStale = false;
    std::string m_stamp;
    std::string m_partial;  // a line not ended yet
    std::deque<ChatRow> m_rows;
    std::vector<Catch> m_catches;
    std::unordered_map<std::string, size_t> m_catchOf;  // player -> index in m_catches
    ScanData m_scan;
    uint64_t m_taken = 0;         // lines taken
    uint64_t m_runningBytes = 0;  // length of the replayed buffer
};

}  // namespace tavrin
