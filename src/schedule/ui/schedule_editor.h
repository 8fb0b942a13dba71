#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "common/user_dialogs.h"
#include "schedule/schedule_edit.h"

class QLabel;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;

namespace tavrin {

// The "Schedule" dialog over Configs/schedule.cfg: the rules in a table
// (Kind chosen from the five kinds, When and Command edited in place; When is
// empty and off for ON JOIN and ON MISSION), Add, Delete, Move Up, Move Down,
// Test (the command the selected rule would send now with sample values, in
// the label under the table), OK and Cancel.
//
// It reads the file when it opens. OK reads every row as the file would be
// read (a row that cannot be read is named in a message and the dialog stays
// open), writes the file atomically keeping its comments, and then runs
// `saved` (the console reloads the schedule of every open server). A write
// that fails is told and the dialog stays open.
//
// Object names: scheduleEditor, scheduleRules (each row's kind combo
// scheduleKind), scheduleAdd, scheduleDelete, scheduleMoveUp,
// scheduleMoveDown, scheduleTest, scheduleTestResult, scheduleOk,
// scheduleCancel.
class ScheduleEditor final : public QDialog {
    Q_OBJECT

  public:
    // `programDir` ends with the path separator; `dialogs` tells of a
    // refusal or a failed write.
    ScheduleEditor(std::string programDir, UserDialogs& dialogs, std::function<void()> saved,
                   QWidget* parent = nullptr);

    const std::vector<ScheduleRow>& Rows() const { return m_rows; }
    // The row Test and the move buttons act on; -1 without one.
    int CurrentRow() const;
    void SelectRow(int row);

    // The buttons' work, for the screenshot tour as for a click. Add puts a
    // new EVERY row at the end and starts editing its command; a row given
    // is added as it is.
    void AddRule();
    void AddRule(const ScheduleRow& row);
    void DeleteRule();
    void MoveRule(int by);
    void TestRule();
    void Save();

  private:
    void Load();
    void Render();
    void ShowWhen(int row);
    void HandleCellChanged(QTableWidgetItem* item);
    void Tell(const std::string& text);

    std::string m_path;
    UserDialogs& m_dialogs;
    std::function<void()> m_saved;
    std::string m_oldText;  // the file as it was read, for its comments
    std::vector<ScheduleRow> m_rows;
    QTableWidget* m_table = nullptr;
    QLabel* m_result = nullptr;
    QPushButton* m_ok = nullptr;
    bool m_rendering = false;
};

}  // namespace tavrin
