#pragma once

// What the ChatBot tab's chat list and Send box need beyond the scanning:
// where a caught word stands in its line, searching the list, and the
// history of the texts sent in this session.

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrin {

// Where a caught word stands in its chat line, to highlight it.
struct TextSpan {
    size_t start = 0;
    size_t length = 0;
    bool operator==(const TextSpan&) const = default;
};

// The first place after the speaker's name where the banned word is written,
// compared as the matcher compares (case-insensitive, the characters
// ! ? # @ , ' * skipped inside the word, so "H*E*L*L*O" shows whole).
// nullopt when the word cannot be shown in the line, e.g. an empty word.
std::optional<TextSpan> CaughtWordSpan(std::string_view line, std::string_view word);

// Ctrl+F in the chat list: the first row at or after `from`, wrapping round,
// whose text holds `needle` (case-insensitive); nullopt when none does or
// the needle is empty.
std::optional<size_t> FindChatText(const std::vector<std::string>& rows, std::string_view needle,
                                   size_t from);

// The Send box's history of the texts sent in this session, newest last,
// walked with Up and Down as a shell's history is.
class SendHistory {
  public:
    static constexpr size_t kKept = 100;

    // A text was sent: it becomes the newest (a repeat of the newest is kept
    // once) and the walk starts again below the newest.
    void Add(const std::string& text);
    // Up: the next older text; nullopt at the oldest. `typing` is what the
    // box holds, given back by Down past the newest.
    std::optional<std::string> Older(const std::string& typing);
    // Down: the next newer text, or what was being typed past the newest;
    // nullopt when the walk has not begun.
    std::optional<std::string> Newer();

    const std::deque<std::string>& Texts() const { return m_texts; }

  private:
    std::deque<std::string> m_texts;
    size_t m_pos = 0;  // m_texts.size() while not walking
    std::string m_typing;
};

}  // namespace tavrin
