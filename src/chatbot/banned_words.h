#pragma once

// The "Banned Words" dialog without its widgets: the words and warnings rows,
// ticks, selections, buttons, right-click menus and the combo box. It works on
// copies; Ok() hands back the records rebuilt from the rows.

#include <string>
#include <vector>

#include "chatbot/chatbot_config.h"
#include "common/user_dialogs.h"

namespace tavrin {

class CBannedWords {
  public:
    // Columns of the words list.
    enum WordColumn { kTickColumn = 0, kWordColumn, kWarningColumn, kPuntPtsColumn, kFoundColumn };

    struct WordRow {
        bool wholeWord = false;
        std::string word;
        std::string warning;
        std::string puntPts;
        std::string found;
        bool operator==(const WordRow&) const = default;
    };
    struct WarningRow {
        bool ticked = false;
        std::string text;
        bool operator==(const WarningRow&) const = default;
    };

    // `dialogs` shows the message that refuses an unstorable edit.
    CBannedWords(const ChatBotConfig& config, UserDialogs& dialogs);

    const std::vector<WordRow>& Words() const { return m_words; }
    const std::vector<WarningRow>& Warnings() const { return m_warnings; }
    int DefaultPenalty() const { return m_defaultPenalty; }

    // Combo box: selection = default penalty index - 1; -1 shows no selection.
    int ComboSelection() const;
    void SelectCombo(int selection);

    // A left click on a row (-1: on no row). Returns whether the Word cell may
    // be edited in place, which only a click in the Word column allows.
    bool ClickWordRow(int row, int column);
    void ClickWarningRow(int row);
    // The rows the view has selected.
    void SetWordSelection(std::vector<int> rows) { m_wordSelection = std::move(rows); }
    void SetWarningSelection(std::vector<int> rows) { m_warningSelection = std::move(rows); }

    void SetWholeWord(int row, bool ticked);
    // Ticks work like radio buttons: ticking one unticks all others.
    void SetWarningTick(int row, bool ticked);

    // In-place edits. A text that would break the record (a backslash or a
    // line break) is refused with a message and the cell keeps its text, and
    // so is a blank word, which would match every chat line.
    bool EditWord(int row, const std::string& text);
    bool EditWarning(int row, const std::string& text);

    // Buttons. The New buttons return the new row, to be scrolled into view.
    int NewWord();
    void DeleteWordRows();
    int NewWarning();
    void DeleteWarningRows();
    void ZeroCount();

    // Right click on a words cell: the menu items, empty when there is no menu.
    std::vector<std::string> CellMenu(int row, int column) const;
    // The item chosen from CellMenu(row, column).
    void ChooseCellMenuItem(int row, int column, int item);

    // OK: the records rebuilt from the rows, in row order.
    ChatBotConfig Ok() const;

    static constexpr const char* kRefusedText =
        "A word or warning cannot contain a backslash (\\) or a line break: the ChatBot "
        "setup stores its fields between backslashes, one record per line. The text "
        "was not changed.";
    static constexpr const char* kBlankWordText =
        "A banned word cannot be empty or only blanks: it would be found in every chat "
        "line. The word was not changed.";

  private:
    bool Storable(const std::string& text);
    bool IsWordRow(int row) const { return row >= 0 && row < static_cast<int>(m_words.size()); }
    bool IsWarningRow(int row) const {
        return row >= 0 && row < static_cast<int>(m_warnings.size());
    }

    UserDialogs& m_dialogs;
    std::vector<WordRow> m_words;
    std::vector<WarningRow> m_warnings;
    int m_defaultPenalty;
    std::vector<int> m_wordSelection;
    std::vector<int> m_warningSelection;
    int m_lastWordRow = -1;
    int m_lastWarningRow = -1;
};

}  // namespace tavrin
