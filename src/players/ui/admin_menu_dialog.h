#pragma once

#include <QAbstractTableModel>
#include <QDialog>
#include <QPalette>
#include <memory>
#include <string>

#include "common/user_dialogs.h"
#include "players/admin_menu.h"

class QPushButton;
class QTableView;

namespace tavrin {

// The editor's rows as a table model over CAdminMenu: "Command" (the kind,
// with the row's tick box) and "Text" (the message), both editable in place.
// What a person types is encoded to Windows-1252; a text that cannot be, or
// that the editor refuses, leaves the cell as it was, with a message.
class AdminMenuModel final : public QAbstractTableModel {
  public:
    AdminMenuModel(CAdminMenu& editor, UserDialogs& messages, QObject* parent = nullptr);

    // The editor's rows changed in number (Above, Below, Delete, loading).
    void Reload();
    // The editor's row colours changed (a row was clicked).
    void Repaint();
    void SetPalette(const QPalette& palette);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    CAdminMenu& m_editor;
    UserDialogs& m_messages;
    QPalette m_palette;
};

// The "Player Admin Menu" dialog (object name "adminMenuDialog"): the menu's
// entries as rows with tick boxes, edited in place (click a cell of the
// selected row, double click, or F2), and the buttons Above ("aboveButton"),
// Below ("belowButton"), Delete ("deleteButton"), OK ("okButton") and Cancel
// ("cancelButton"). Enter and Return never close it: they finish an edit.
// After OK, MenuText() is the new admin menu text; the dialog writes nothing.
class AdminMenuDialog final : public QDialog {
    Q_OBJECT

  public:
    AdminMenuDialog(const std::string& adminMenuText, UserDialogs& dialogs,
                    QWidget* parent = nullptr);
    ~AdminMenuDialog() override;

    // The admin menu text OK makes of the rows as they stand.
    std::string MenuText() const { return m_editor.Ok(); }

  public slots:
    void InsertAbove();
    void InsertBelow();
    void DeleteRow();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void HandleCurrentRowChanged(int row);
    void ShowEditorSelection();

    // Messages of the editor wait until the edit that caused them has ended,
    // so a box never opens in the middle of an in-place editor's commit.
    class LaterMessages;
    std::unique_ptr<LaterMessages> m_messages;
    CAdminMenu m_editor;
    AdminMenuModel* m_model = nullptr;
    QTableView* m_table = nullptr;
    bool m_showingSelection = false;
};

}  // namespace tavrin
