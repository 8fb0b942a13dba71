#pragma once

// Chat scanning without a tab: telling new chat lines from the overlapping
// "chat get" replies, and matching a chat line against the banned words
// (BannedWordMatcher).

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chatbot/banned_word_matcher.h"

namespace tavrin {

// The line buffer is cut back to this many lines after every reply.
inline constexpr size_t kMaxChatLines = 45;

// The speaker of a chat line: the text before its first separator, which is
// the first ": ", or the first ":[" when that comes earlier in a team message
// (one that holds "]: "). nullopt for a line without ": ", which is no chat
// line. What follows the speaker is the player's, ":" sequences and all.
std::optional<std::string> SpeakerName(std::string_view line);

// The lines the console itself said in the game chat. The game echoes each
// "chat send" text into the chat, and a warning that quotes the word would
// otherwise be caught again and answered with a warning of its own, without
// end.
//
// Games show the console's chat under different names ("Admin", the host
// player's, the server's) or under none, so a chat line is an echo when the
// text after its speaker's ": " equals a remembered text, whoever the speaker
// is, or when the whole line does. A team message (its speaker ends at ":[")
// is a player's, never the console's. A player who adds a word before or
// after a warning never makes an echo; one who repeats a warning word for
// word may take the place of its echo, but each remembered text excuses one
// line at most, so the echo, coming second, is then matched as usual. Blanks
// at the end do not count: they hold no word, and a game may trim them.
class OwnChatLines {
  public:
    // Texts of this many recent "chat send" commands are kept; older ones go.
    static constexpr size_t kRemembered = 32;

    // Every command sent to the game server; only "chat send " ones are kept.
    void CommandSent(std::string_view command);
    // Whether the line is the echo of a remembered text, which is then forgotten.
    bool TakeEcho(std::string_view line);

    size_t Size() const { return m_texts.size(); }

  private:
    std::deque<std::string> m_texts;
};

// Status images of a chat row.
enum ChatImage { kImageShown = 1, kImageCaught = 2, kImageClean = 12 };

struct ChatRow {
    int image = kImageShown;
    std::string time;  // "[HH:MM:SS] "
    std::string text;
    std::string caught;  // the banned word of a caught row, as the list holds it
    bool operator==(const ChatRow&) const = default;
};

// The "Scan Data" fields as they read.
struct ScanData {
    std::string preLines;
    std::string postLines;
    std::string knownLength;
    std::string newLength;
    std::string linesToScan;  // a count, or "None"
    std::string excessLines;  // set only when lines were cut
};

// Which lines of a reply are new: S and N of one step.
struct NewLines {
    int first = -1;      // buffer index of the first added line; -1 when nothing was added
    bool match = false;  // whether the added lines are to be matched
    // How many of the added lines, from `first` on, were already seen before a
    // reset and are only shown again: they are neither matched nor logged.
    int seenAgain = 0;
};

// The known text (the last chat reply taken in), the line buffer, and the
// lines already seen.
//
// The server returns its whole chat buffer each time, so a reply repeats the
// lines of the previous one, less those the server dropped from its front,
// and adds new ones after them. The lines of a reply that continue the lines
// already seen (the longest run of their tail that the reply starts with or,
// failing that, holds) are old; only what follows that run is new. A reply
// with no such run is wholly new. A player who says the same words again adds
// a line after the run, so he is read again, as he should be.
//
// Clear() (the Reset button, every connect) empties the known text and the
// buffer but keeps the lines already seen: the next reply is shown whole, and
// of it only the lines that follow what was seen are new. An empty reply says
// the server's buffer is empty, so the lines seen are forgotten with it.
class ChatLineTracker {
  public:
    NewLines TakeReply(const std::string& reply);
    // Removes lines from the front down to `max`; returns how many went.
    size_t CutTo(size_t max);
    void Clear();

    const std::string& KnownText() const { return m_known; }
    const std::deque<std::string>& Lines() const { return m_lines; }

  private:
    std::string m_known;
    std::deque<std::string> m_lines;
    std::vector<std::string> m_seen;  // the lines of the last reply that held any
};

// How many of `reply`'s lines continue `seen`: the end of the longest run of
// the tail of `seen` that `reply` starts with or, when it starts with none,
// of the longest such run it holds (its first occurrence); 0 for no overlap.
// Linear in the number of lines.
size_t LinesContinuing(const std::vector<std::string>& seen,
                       const std::vector<std::string_view>& reply);

// Every non-empty piece of `text` that ends in CR LF; a last piece without one is dropped.
std::vector<std::string_view> ChatLinesOf(std::string_view text);

}  // namespace tavrin
