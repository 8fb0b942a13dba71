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
// A chat line is an echo only when the whole line equals a remembered text,
// either as the game's own line "Admin: " + text or bare, as a game that
// echoes without a speaker would show it. Every player's line begins with the
// player's name and ": ", so a player who quotes a warning ("Bob: <warning>"),
// or adds a word before or after it, never makes an echo. A player could make
// one only by being called "Admin" and repeating, word for word, a line the
// console has just said; and each remembered text excuses one line at most,
// so the repeat or the echo, whichever comes second, is matched as usual.
// Blanks at the end do not count: they hold no word, and a game may trim them.
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
