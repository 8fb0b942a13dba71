#pragma once

#include <QDialog>
#include <string>

#include "common/user_dialogs.h"
#include "settings/settings_file.h"

class QTableWidget;
class QTableWidgetItem;

namespace tavrin {

// The "Settings File Data" dialog over one CSettingsFile: the file's lines
// with a tick each and an editable Value, Check All, Clear, Save As, Reload,
// Apply and Cancel. Apply closes it accepted; ApplyText() is then the ticked
// lines for the bulk send. Open it with open(), never exec().
//
// Object names: settingsFileDialog, settingsFileRows, settingsFileCheckAll,
// settingsFileClear, settingsFileSaveAs, settingsFileReload,
// settingsFileApply, settingsFileCancel.
class SettingsFileDialog final : public QDialog {
    Q_OBJECT

  public:
    SettingsFileDialog(CSettingsFile file, UserDialogs& dialogs, QWidget* parent = nullptr);

    const CSettingsFile& File() const { return m_file; }
    std::string ApplyText() const { return m_file.ApplyText(); }

  protected:
    void changeEvent(QEvent* event) override;

  private:
    void Render();
    void HandleItemChanged(QTableWidgetItem* item);

    CSettingsFile m_file;
    UserDialogs& m_dialogs;
    QTableWidget* m_rows = nullptr;
    bool m_rendering = false;
};

}  // namespace tavrin
