#include "chatbot/banned_words.h"

#include <algorithm>

#include "common/value_text.h"

namespace tavrin {

namespace {

constexpr const char* kNewWordText = "NEW WORD";
constexpr const char* kNewWarningText = "EDIT WARNING";

// Valid distinct rows of a selection, highest first so erasing keeps the rest in place.
std::vector<int> RowsToErase(std::vector<int> rows, int rowCount) {
    std::erase_if(rows, [&](int r) { return r < 0 || r >= rowCount; });
    std::sort(rows.begin(), rows.end(), std::greater<>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

template <typename Row>
void EraseRows(std::vector<Row>& list, const std::vector<int>& rowsHighFirst) {
    for (int r : rowsHighFirst) list.erase(list.begin() + r);
}

}  // namespace

CBannedWords::CBannedWords(const ChatBotConfig& config, UserDialogs& dialogs)
    : m_dialogs(dialogs), m_defaultPenalty(config.defaultPenalty) {
    for (const auto& record : config.words)
        m_words.push_back({TextToInt(RecordField(record, 1)) == 1, RecordField(record, 2),
                           RecordField(record, 3), RecordField(record, 4), RecordField(record, 5)});
    for (const auto& record : config.warnings)
        m_warnings.push_back({TextToInt(RecordField(record, 1)) == 1, RecordField(record, 2)});
    if (m_warnings.empty()) {
        m_warnings.push_back({true, "DO NOT USE BAD LANGUAGE"});
        m_warnings.push_back({false, "DO NOT USE RASCIST LANGUAGE"});
    }
}

int CBannedWords::ComboSelection() const {
    return PenaltyText(m_defaultPenalty).empty() ? -1 : m_defaultPenalty - 1;
}

void CBannedWords::SelectCombo(int selection) {
    if (!PenaltyText(selection + 1).empty()) m_defaultPenalty = selection + 1;
}

bool CBannedWords::ClickWordRow(int row, int column) {
    m_lastWordRow = IsWordRow(row) ? row : -1;
    return m_lastWordRow >= 0 && column == kWordColumn;
}

void CBannedWords::ClickWarningRow(int row) {
    m_lastWarningRow = IsWarningRow(row) ? row : -1;
}

void CBannedWords::SetWholeWord(int row, bool ticked) {
    if (IsWordRow(row)) m_words[static_cast<size_t>(row)].wholeWord = ticked;
}

void CBannedWords::SetWarningTick(int row, bool ticked) {
    if (!IsWarningRow(row)) return;
    if (ticked)
        for (auto& warning : m_warnings) warning.ticked = false;
    m_warnings[static_cast<size_t>(row)].ticked = ticked;
}

bool CBannedWords::Storable(const std::string& text) {
    if (text.find_first_of("\\\r\n") == std::string::npos) return true;
    m_dialogs.ShowMessage(kRefusedText);
    return false;
}

bool CBannedWords::EditWord(int row, const std::string& text) {
    if (!IsWordRow(row) || !Storable(text)) return false;
    if (IsBlankWord(text)) {
        m_dialogs.ShowMessage(kBlankWordText);
        return false;
    }
    m_words[static_cast<size_t>(row)].word = text;
    return true;
}

bool CBannedWords::EditWarning(int row, const std::string& text) {
    if (!IsWarningRow(row) || !Storable(text)) return false;
    m_warnings[static_cast<size_t>(row)].text = text;
    return true;
}

int CBannedWords::NewWord() {
    WordRow row;
    row.word = kNewWordText;
    auto ticked = std::find_if(m_warnings.begin(), m_warnings.end(),
                               [](const WarningRow& w) { return w.ticked; });
    if (ticked == m_warnings.end() && !m_warnings.empty()) {
        ticked = m_warnings.begin();
        ticked->ticked = true;
    }
    if (ticked != m_warnings.end()) row.warning = ticked->text;
    // An index outside 1..6 from the file falls back to the mildest penalty.
    std::string_view penalty = PenaltyText(m_defaultPenalty);
    row.puntPts = penalty.empty() ? kPenaltyTexts[0] : penalty;
    row.found = "0";
    m_words.push_back(std::move(row));
    return static_cast<int>(m_words.size()) - 1;
}

void CBannedWords::DeleteWordRows() {
    auto selected = RowsToErase(m_wordSelection, static_cast<int>(m_words.size()));
    if (selected.size() >= 2)
        EraseRows(m_words, selected);
    else if (m_lastWordRow >= 0)
        EraseRows(m_words, RowsToErase({m_lastWordRow}, static_cast<int>(m_words.size())));
    m_lastWordRow = -1;
    m_wordSelection.clear();
}

int CBannedWords::NewWarning() {
    m_warnings.push_back({false, kNewWarningText});
    return static_cast<int>(m_warnings.size()) - 1;
}

void CBannedWords::DeleteWarningRows() {
    const int count = static_cast<int>(m_warnings.size());
    auto selected = RowsToErase(m_warningSelection, count);
    // The list must keep at least one warning for new words.
    if (count < 2 || static_cast<int>(selected.size()) == count) return;
    if (selected.size() >= 2)
        EraseRows(m_warnings, selected);
    else if (m_lastWarningRow >= 0)
        EraseRows(m_warnings, RowsToErase({m_lastWarningRow}, count));
    // The remembered row is gone or now names another row.
    m_lastWarningRow = -1;
    m_warningSelection.clear();
    if (std::none_of(m_warnings.begin(), m_warnings.end(),
                     [](const WarningRow& w) { return w.ticked; }))
        m_warnings.front().ticked = true;
}

void CBannedWords::ZeroCount() {
    for (auto& word : m_words) word.found = "0";
}

std::vector<std::string> CBannedWords::CellMenu(int row, int column) const {
    std::vector<std::string> items;
    if (!IsWordRow(row)) return items;
    if (column == kWarningColumn)
        for (const auto& warning : m_warnings) items.push_back(warning.text);
    else if (column == kPuntPtsColumn)
        items.assign(kPenaltyTexts.begin(), kPenaltyTexts.end());
    return items;
}

void CBannedWords::ChooseCellMenuItem(int row, int column, int item) {
    const auto items = CellMenu(row, column);
    if (item < 0 || item >= static_cast<int>(items.size())) return;
    auto& word = m_words[static_cast<size_t>(row)];
    if (column == kWarningColumn) {
        word.warning = items[static_cast<size_t>(item)];
    } else {
        word.puntPts = items[static_cast<size_t>(item)];
        m_defaultPenalty = item + 1;
    }
}

ChatBotConfig CBannedWords::Ok() const {
    ChatBotConfig config;
    config.defaultPenalty = m_defaultPenalty;
    for (const auto& w : m_words)
        config.words.push_back(std::string(w.wholeWord ? "1" : "0") + "\\" + w.word + "\\" +
                               w.warning + "\\" + w.puntPts + "\\" +
                               (w.found.empty() ? "0" : w.found) + "\\");
    for (const auto& w : m_warnings)
        config.warnings.push_back(std::string(w.ticked ? "1" : "0") + "\\" + w.text + "\\");
    return config;
}

}  // namespace tavrin
