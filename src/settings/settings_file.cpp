#include "settings/settings_file.h"

#include <algorithm>
#include <unordered_set>

#include "common/text_file.h"
#include "common/value_text.h"
#include "settings/game_settings.h"

namespace tavrin {

namespace {

// Calls `each` for every line of `text`, without its line feed. A last line
// without a line feed counts too, so a hand-edited file loses nothing.
template <typename Each>
void ForEachLine(std::string_view text, Each each) {
    while (!text.empty()) {
        size_t end = text.find('\n');
        each(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
}

}  // namespace

std::string PrepareSettingsFileText(std::span<std::string, kServerSettingsCount> values) {
    std::string text;
    for (int n = 0; n < kServerSettingsCount; ++n) {
        std::string& value = values[n];
        // Numbers such as "12/60" hold the setting after the "/"; in a name
        // or a password the "/" is part of the text.
        size_t slash = value.find('/');
        if (slash != std::string::npos && kSettingsTable[n].control != SettingControl::TextBox)
            value.erase(0, slash + 1);
        if (n == kServerNameEntry && value.empty()) value = "UnNamed";
        if (value.empty()) text += "##";
        text += kSettingsTable[n].prefix;
        text += value;
        text += '\n';
    }
    return text;
}

std::vector<SettingsFileRow> ReadSettingsFileRows(std::string_view text) {
    std::vector<SettingsFileRow> rows;
    std::unordered_set<std::string_view> seen;
    ForEachLine(text, [&](std::string_view line) {
        if (!seen.insert(line).second) return;
        // "set gameTime 60" becomes "\PARAM\set\gameTime\60\": each word is
        // then the value of the word before it.
        std::string work = "\\PARAM\\";
        work += line;
        work += '\\';
        std::replace(work.begin(), work.end(), ' ', '\\');
        std::string word1 = GetKeyValue(work, "PARAM");
        std::string word2 = GetKeyValue(work, word1);
        std::string word3 = GetKeyValue(work, word2);
        if (word1.empty()) return;
        if (word2 == kFailed) word2.clear();
        if (word3 == kFailed) word3.clear();
        SettingsFileRow row;
        for (size_t at = word1.find("##"); at != std::string::npos; at = word1.find("##")) {
            word1.erase(at, 2);
            row.ticked = false;
        }
        row.command = word1 + " " + word2;
        row.value = std::move(word3);
        rows.push_back(std::move(row));
    });
    return rows;
}

CSettingsFile::CSettingsFile(std::string path, std::string fileText)
    : m_path(std::move(path)), m_fileText(std::move(fileText)), m_title("File: " + m_path) {
    Reload();
}

void CSettingsFile::SetTicked(size_t row, bool ticked) {
    if (row < m_rows.size()) m_rows[row].ticked = ticked;
}

void CSettingsFile::EditValue(size_t row, std::string value) {
    if (row < m_rows.size()) m_rows[row].value = std::move(value);
}

void CSettingsFile::CheckAll() {
    for (auto& row : m_rows) row.ticked = true;
}

void CSettingsFile::ClearTicks() {
    for (auto& row : m_rows) row.ticked = false;
}

void CSettingsFile::Reload() {
    m_rows = ReadSettingsFileRows(m_fileText);
}

FileQuestion SettingsFileQuestion(std::string_view title, std::string start) {
    return {std::string(title), std::move(start), std::string(kSettingsFileFilter),
            std::string(kSettingsFileExtension)};
}

bool CSettingsFile::SaveAs(UserDialogs& dialogs) {
    std::optional<std::string> path =
        dialogs.AskSaveFileName(SettingsFileQuestion(kSaveAmendedTitle, m_path));
    if (!path) return false;
    *path = WithDefaultExtension(*path, kSettingsFileExtension);
    std::string text;
    for (const auto& row : m_rows)
        text += (row.ticked ? "" : "##") + row.command + " " + row.value + "\n";
    std::string failure;
    if (!WriteTextFile(*path, text, WriteMode::Replace, &failure, kSettingsFileAccess)) {
        dialogs.ShowMessage("File not saved. " + failure);
        return false;
    }
    dialogs.ShowMessage("File Saved: " + *path);
    m_title = "Settings File: " + *path;
    return true;
}

std::string CSettingsFile::ApplyText() const {
    std::string text;
    for (const auto& row : m_rows)
        if (row.ticked) text += row.command + " " + row.value + "\n";
    return text;
}

CSettingsFile OpenSettingsFile(const std::string& path) {
    std::string text;
    ReadTextFile(path, text);
    return CSettingsFile(path, std::move(text));
}

std::array<std::optional<std::string>, kServerSettingsCount> ReadAppliedValues(
    std::string_view applied) {
    std::array<std::optional<std::string>, kServerSettingsCount> values;
    // Only whole lines count: the applied text ends each with a line feed.
    size_t end = applied.rfind('\n');
    applied = end == std::string_view::npos ? std::string_view() : applied.substr(0, end + 1);
    ForEachLine(applied, [&](std::string_view line) {
        for (int n = 0; n < kServerSettingsCount; ++n) {
            std::string_view prefix = kSettingsTable[n].prefix;
            if (!values[n] && line.starts_with(prefix))
                values[n] = std::string(line.substr(prefix.size()));
        }
    });
    return values;
}

}  // namespace tavrin
