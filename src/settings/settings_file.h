#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/command_sink.h"
#include "common/text_file.h"
#include "common/user_dialogs.h"
#include "common/view_types.h"
#include "settings/settings_table.h"

namespace tavrin {

// Texts of the file dialogs and of the Settings File Data dialog.
inline constexpr std::string_view kSettingsFileFilter = "Text Files (*.txt)|*.txt";
inline constexpr std::string_view kSettingsFileExtension = "txt";
inline constexpr std::string_view kSaveSettingsTitle = "Save Settings To File";
inline constexpr std::string_view kSaveAmendedTitle = "Save Amended Settings Data";
inline constexpr std::string_view kLoadSettingsTitle = "Load Settings From File";
inline constexpr std::string_view kSettingsFileNote =
    "Click Apply to pass ticked commands onto game server";
inline constexpr std::string_view kSettingsFolderName = "Settings";
// The light green of the Settings File Data dialog's rows.
inline constexpr Rgb kSettingsFileRowColour{150, 200, 150};
inline constexpr std::string_view kSettingsSavedStatus = "Settings Saved";
// Settings files hold the server's passwords.
inline constexpr FileAccess kSettingsFileAccess = FileAccess::OwnerOnly;

// The file dialogs of settings files: text files, "txt" given to a name typed
// without an extension, opening at `start`.
FileQuestion SettingsFileQuestion(std::string_view title, std::string start);

// Prepares entries 0 to 27 for a settings file, changing them in place: a
// number with a "/" keeps what follows its first "/", and an empty server
// name becomes "UnNamed". Returns the file text, one line per entry in table
// order, an entry without a value commented out with "##".
std::string PrepareSettingsFileText(std::span<std::string, kServerSettingsCount> values);

// One line of a settings file as the Settings File Data dialog lists it.
struct SettingsFileRow {
    std::string command;  // the first two words, e.g. "set gameTime"
    std::string value;    // the third word, possibly empty
    bool ticked = true;   // false for a line commented out with "##"

    bool operator==(const SettingsFileRow&) const = default;
};

// The rows of a settings file text: a line repeated in the file gives one
// row; lines without a first word are left out.
std::vector<SettingsFileRow> ReadSettingsFileRows(std::string_view text);

// The logic of the modal "Settings File Data" dialog for one file.
class CSettingsFile {
  public:
    CSettingsFile(std::string path, std::string fileText);

    const std::string& Path() const { return m_path; }
    const std::string& Title() const { return m_title; }
    const std::vector<SettingsFileRow>& Rows() const { return m_rows; }

    void SetTicked(size_t row, bool ticked);
    // Only the Value column can be edited.
    void EditValue(size_t row, std::string value);
    void CheckAll();
    void ClearTicks();
    // Back to the file as it was read when the dialog opened.
    void Reload();

    // "Save As": asks for a file and writes every row, unticked ones
    // commented out with "##". Returns true when the file was written.
    bool SaveAs(UserDialogs& dialogs);

    // "Apply": the ticked rows, one "command value" line each.
    std::string ApplyText() const;

  private:
    std::string m_path;
    std::string m_fileText;
    std::string m_title;
    std::vector<SettingsFileRow> m_rows;
};

// Opens the dialog on a file; a file that cannot be read gives an empty list.
CSettingsFile OpenSettingsFile(const std::string& path);

// The values that an applied text gives entries 0 to 27: for each entry the
// rest of the first line that begins with its command prefix; nothing for an
// entry without such a line.
std::array<std::optional<std::string>, kServerSettingsCount> ReadAppliedValues(
    std::string_view applied);

// The batch the main window sends for an applied settings file: every entry
// 0 to 27 in table order with a pause of 250 ms after each (an entry whose
// command would not fit the command buffer is left out). Before the first
// command the main window stops the status poll, logs kLogLine and sets the
// socket's m_fIgnore, so the replies to the batch are discarded; after the
// last pause it clears m_fIgnore and restarts the poll when Auto Refresh is
// ticked. Each command is shown in the Rat Command field and, only while
// logged in and in game mode, logged and sent.
struct SettingsBulkSend {
    static constexpr std::string_view kRequestText = "LOAD SETTINGS FILE";
    static constexpr std::string_view kLogLine = "Loading settings file";
    static constexpr int kPauseMs = kCommandPauseMs;

    std::vector<PacedCommand> commands;
    bool ignoreReplies = true;

    bool operator==(const SettingsBulkSend&) const = default;
};

}  // namespace tavrin
