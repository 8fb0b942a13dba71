#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "common/server_details.h"
#include "common/server_list.h"

class QCheckBox;
class QRadioButton;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace tavrin {

// The Server Details dialog over CConDets: servers are chosen, added, edited
// and deleted, each a game server or a manager ("gameServerKindRadio",
// "managerKindRadio"; a manager's name reads "(manager)" in the list); OK
// hands the lists back to the Server tab's CServer, which saves servers.cfg
// and managers.cfg when they changed. A new dialog is made for every opening,
// so it always starts from the list as it is.
class ServerDetailsDialog final : public QDialog {
    Q_OBJECT

  public:
    explicit ServerDetailsDialog(CServer& server, QWidget* parent = nullptr);
    ~ServerDetailsDialog() override;

    const CConDets& Details() const { return m_details; }

    // Where several servers can be open: an "Open" button hands the selected
    // record's name, as servers.cfg holds it, to `open`, which answers an
    // empty text when the server opened (the dialog then closes, changing
    // nothing) or why it did not.
    using OpenServer = std::function<std::string(const std::string& name)>;
    void OfferOpen(OpenServer open);

  public slots:
    // Takes what is still being typed, as leaving the field would, then OK.
    // A refused text keeps the dialog open.
    void accept() override;

  protected:
    // Enter and Return do nothing here, whatever has the focus.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // The records and the selected one's fields, from the core.
    void ShowDetails();
    void HandleNameActivated(int index);
    bool CommitName();
    bool CommitField(CConDets::Field field, QLineEdit* edit);
    void HandleDeleteClicked();
    void HandleKindChosen(ConnectionKind kind);
    void ShowRefusal(const QString& text);

    CServer& m_server;
    CConDets m_details;
    QComboBox* m_names = nullptr;
    QLineEdit* m_address = nullptr;
    QLineEdit* m_port = nullptr;
    QLineEdit* m_username = nullptr;
    QLineEdit* m_password = nullptr;
    QCheckBox* m_showPassword = nullptr;
    QRadioButton* m_gameServerKind = nullptr;
    QRadioButton* m_managerKind = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_open = nullptr;
    OpenServer m_openServer;
};

}  // namespace tavrin
