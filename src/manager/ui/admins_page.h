#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <string>

#include "common/event_log.h"
#include "common/user_dialogs.h"
#include "manager/admin_accounts.h"
#include "manager/admin_rights.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QTableView;

namespace tavrin {

class AdminListModel;

// The Admins tab (object name "adminsPage") over CAdmins: the account list
// ("adminList": name, user, password shown as dots, rights, status, guid,
// last activity), "New Admin" ("newAdmin"), "Del Admin" ("delAdmin"),
// "Save List" ("saveList") with a short note of the saved state
// ("saveState"), and the rights boxes: "Select All" ("selectAll") in the
// frame "Full Access", and the frames "Server Manager", "Game Server" and
// "Player Admin", each with its "Group" box ("groupServerManager",
// "groupGameServer", "groupPlayerAdmin") and its rights ("right0" to
// "right13" by bit).
//
// Name, user, password and guid are edited in place (double click, a click
// on the selected row's cell, or F2); the password's editor hides what is
// typed. A click on a row selects it in CAdmins, which paints it and shows
// its rights in the boxes; a click below the rows selects none. Every box
// click goes to CAdmins with the box's new state, and then every box shows
// what CAdmins holds.
//
// The page draws what CAdmins holds. The window calls AccountRowChanged()
// when an admin session changed a row's status or last activity, and
// Refresh() after anything else changed the table behind the page's back
// (a load).
class AdminsPage final : public QWidget {
    Q_OBJECT

  public:
    // `programDir` ends with the separator; "Save List" writes
    // Configs/radmins.cfg under it, a failure going to `log` and, as a
    // message, to `dialogs`.
    AdminsPage(CAdmins& admins, std::string programDir, EventSink& log, UserDialogs& dialogs,
               QWidget* parent = nullptr);
    ~AdminsPage() override;

  public slots:
    // One row's cells changed (status, last activity): that row is drawn
    // again, the list's selection and current cell stay.
    void AccountRowChanged(int row);
    // Draws the whole table and the boxes again.
    void Refresh();
    // Selects a row as a click on it does (-1: as a click below the rows),
    // and brings it into view.
    void SelectRow(int row);
    // The buttons.
    void NewAdmin();
    void DelAdmin();
    void SaveList();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    QWidget* BuildRights();
    void ClickRow(int row);
    void HandleListSelectionChanged();
    // One click on a rights box: `click` is the model call; then every box
    // shows the model and the selected row's rights cell is drawn again.
    void ClickBox(const std::function<void()>& click);
    void ShowBoxes();
    void ShowListSelection();
    void SizeColumns();
    void SetSaveState(const QString& text);

    CAdmins& m_admins;
    std::string m_programDir;
    EventSink& m_log;
    UserDialogs& m_dialogs;

    AdminListModel* m_model = nullptr;
    QTableView* m_list = nullptr;
    QPushButton* m_new = nullptr;
    QPushButton* m_del = nullptr;
    QPushButton* m_save = nullptr;
    QLabel* m_saveState = nullptr;
    QCheckBox* m_selectAll = nullptr;
    std::array<QCheckBox*, kRightsGroups.size()> m_groups{};
    std::array<QCheckBox*, kRights.size()> m_rights{};
    bool m_showingSelection = false;
};

}  // namespace tavrin
