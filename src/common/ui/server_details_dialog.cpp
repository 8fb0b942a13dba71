#include "common/ui/server_details_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "common/ui/new_button.h"
#include "common/ui/text_codec.h"

namespace tavrin {
namespace {

QLineEdit* NewField(const char* objectName, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(objectName));
    return edit;
}

// Enter never closes the dialog: no button is a default one.
}  // namespace

ServerDetailsDialog::ServerDetailsDialog(CServer& server, QWidget* parent)
    : QDialog(parent), m_server(server), m_details(server.OpenDetails()) {
    setObjectName(QStringLiteral("serverDetailsDialog"));
    setWindowTitle(QStringLiteral("Server Details"));

    m_names = new QComboBox(this);
    m_names->setObjectName(QStringLiteral("serverNameCombo"));
    m_names->setEditable(true);
    m_names->setInsertPolicy(QComboBox::NoInsert);
    // A typed name is a new record, never completed into an existing one.
    m_names->setCompleter(nullptr);
    m_names->setMinimumContentsLength(24);
    m_address = NewField("addressEdit", this);
    m_address->setPlaceholderText(QStringLiteral("IPv4 address or host name"));
    m_port = NewField("portEdit", this);
    m_username = NewField("usernameEdit", this);
    m_password = NewField("passwordEdit", this);
    m_password->setEchoMode(QLineEdit::Password);
    m_showPassword = new QCheckBox(QStringLiteral("Show"), this);
    m_showPassword->setObjectName(QStringLiteral("showPasswordCheck"));

    // Which file the record goes to, and so what a login connects to.
    m_gameServerKind = new QRadioButton(QStringLiteral("Game server"), this);
    m_gameServerKind->setObjectName(QStringLiteral("gameServerKindRadio"));
    m_managerKind = new QRadioButton(QStringLiteral("Manager"), this);
    m_managerKind->setObjectName(QStringLiteral("managerKindRadio"));
    m_managerKind->setToolTip(
        QStringLiteral("Logged in to as a remote admin at the manager's Admin Port"));
    auto* kindRow = new QHBoxLayout;
    kindRow->addWidget(m_gameServerKind);
    kindRow->addWidget(m_managerKind);
    kindRow->addStretch(1);

    auto* passwordRow = new QHBoxLayout;
    passwordRow->addWidget(m_password, 1);
    passwordRow->addWidget(m_showPassword);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Server"), m_names);
    form->addRow(QStringLiteral("Kind"), kindRow);
    form->addRow(QStringLiteral("Address"), m_address);
    form->addRow(QStringLiteral("RAT Port"), m_port);
    form->addRow(QStringLiteral("Username"), m_username);
    form->addRow(QStringLiteral("Password"), passwordRow);

    m_delete = NewButton(QStringLiteral("Delete Server"), "deleteServerButton", this);
    m_open = NewButton(QStringLiteral("Open"), "openServerButton", this);
    m_open->hide();
    QPushButton* ok = NewButton(QStringLiteral("OK"), "okButton", this);
    QPushButton* cancel = NewButton(QStringLiteral("Cancel"), "cancelButton", this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_delete);
    buttons->addWidget(m_open);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addSpacing(6);
    layout->addLayout(buttons);

    connect(m_names, &QComboBox::activated, this, &ServerDetailsDialog::HandleNameActivated);
    connect(m_names->lineEdit(), &QLineEdit::editingFinished, this,
            &ServerDetailsDialog::CommitName);
    // The address is taken when the field is left: half an address is no
    // address, and what is typed stays as typed.
    connect(m_address, &QLineEdit::editingFinished, this,
            [this] { CommitField(CConDets::Field::Address, m_address); });
    connect(m_port, &QLineEdit::editingFinished, this,
            [this] { CommitField(CConDets::Field::Port, m_port); });
    connect(m_username, &QLineEdit::editingFinished, this,
            [this] { CommitField(CConDets::Field::Username, m_username); });
    connect(m_password, &QLineEdit::editingFinished, this,
            [this] { CommitField(CConDets::Field::Password, m_password); });
    connect(m_showPassword, &QCheckBox::toggled, this, [this](bool shown) {
        m_password->setEchoMode(shown ? QLineEdit::Normal : QLineEdit::Password);
    });
    connect(m_delete, &QPushButton::clicked, this, &ServerDetailsDialog::HandleDeleteClicked);
    connect(m_gameServerKind, &QRadioButton::clicked, this,
            [this] { HandleKindChosen(ConnectionKind::GameServer); });
    connect(m_managerKind, &QRadioButton::clicked, this,
            [this] { HandleKindChosen(ConnectionKind::Manager); });
    connect(ok, &QPushButton::clicked, this, &ServerDetailsDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &ServerDetailsDialog::reject);

    ShowDetails();
}

void ServerDetailsDialog::OfferOpen(OpenServer open) {
    m_openServer = std::move(open);
    m_open->setVisible(static_cast<bool>(m_openServer));
    connect(m_open, &QPushButton::clicked, this, [this] {
        const int selected = m_details.SelectedIndex();
        if (selected < 0 || !m_openServer) return;
        const std::string refusal = m_openServer(m_details.Records()[selected].name);
        if (refusal.empty())
            reject();
        else
            ShowRefusal(FromWire(refusal));
    });
}

ServerDetailsDialog::~ServerDetailsDialog() {
    // Fields losing their focus while the dialog goes must not reach it.
    m_names->lineEdit()->disconnect(this);
    for (QLineEdit* edit : {m_address, m_port, m_username, m_password}) edit->disconnect(this);
}

void ServerDetailsDialog::ShowDetails() {
    const int selected = m_details.SelectedIndex();
    {
        const QSignalBlocker block(m_names);
        m_names->clear();
        for (int i = 0; i < static_cast<int>(m_details.Records().size()); ++i)
            m_names->addItem(FromWire(m_details.ListText(i)));
        m_names->setCurrentIndex(selected);
        m_names->setEditText(selected >= 0 ? FromWire(m_details.Records()[selected].name)
                                           : QString());
    }
    const ServerRecord& fields = m_details.Fields();
    m_address->setText(FromWire(fields.address));
    m_port->setText(FromWire(fields.port));
    m_username->setText(FromWire(fields.username));
    m_password->setText(FromWire(fields.password));
    m_delete->setEnabled(m_details.CanDelete());
    const bool manager = m_details.SelectedKind() == ConnectionKind::Manager;
    m_gameServerKind->setChecked(!manager);
    m_managerKind->setChecked(manager);
    m_gameServerKind->setEnabled(selected >= 0);
    m_managerKind->setEnabled(selected >= 0);
    // "Open" opens a record of the tab's own kind beside this one.
    m_open->setEnabled(selected >= 0 && m_details.SelectedKind() == m_server.Kind());
}

void ServerDetailsDialog::HandleKindChosen(ConnectionKind kind) {
    // The fields typed so far belong to the record that moves.
    if (!CommitName()) return ShowDetails();
    m_details.ChooseKind(kind);
    ShowDetails();
}

void ServerDetailsDialog::HandleNameActivated(int index) {
    m_details.ChooseRecord(index);
    ShowDetails();
}

bool ServerDetailsDialog::CommitName() {
    const int selected = m_details.SelectedIndex();
    const QString shown = selected >= 0 ? FromWire(m_details.Records()[selected].name) : QString();
    const QString typed = m_names->currentText();
    if (typed == shown) return true;
    if (typed.isEmpty()) {
        m_names->setEditText(shown);
        return true;
    }
    const auto bytes = ToWire(typed);
    if (!bytes) {
        m_names->setEditText(shown);
        ShowRefusal(NotEncodableMessage(typed));
        return false;
    }
    if (!m_details.EnterNewName(*bytes)) {
        m_names->setEditText(shown);
        return false;
    }
    ShowDetails();
    return true;
}

bool ServerDetailsDialog::CommitField(CConDets::Field field, QLineEdit* edit) {
    const QString typed = edit->text();
    const auto bytes = ToWire(typed);
    if (!bytes) {
        edit->setText(FromWire(m_details.FieldText(field)));
        ShowRefusal(NotEncodableMessage(typed));
        return false;
    }
    if (!m_details.EditField(field, *bytes)) {
        // A refused address or port stays as typed, to be put right; a text
        // the file cannot hold goes back to what the record has.
        if (field != CConDets::Field::Address && field != CConDets::Field::Port)
            edit->setText(FromWire(m_details.FieldText(field)));
        return false;
    }
    return true;
}

void ServerDetailsDialog::HandleDeleteClicked() {
    m_details.DeleteServer();
    ShowDetails();
}

void ServerDetailsDialog::accept() {
    if (!CommitName()) return;
    if (!CommitField(CConDets::Field::Address, m_address) ||
        !CommitField(CConDets::Field::Port, m_port) ||
        !CommitField(CConDets::Field::Username, m_username) ||
        !CommitField(CConDets::Field::Password, m_password))
        return;
    m_server.AcceptDetails(m_details);
    QDialog::accept();
}

void ServerDetailsDialog::keyPressEvent(QKeyEvent* event) {
    // QDialog would click a default button, its own or one of a message box
    // the same key has just opened.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void ServerDetailsDialog::ShowRefusal(const QString& text) {
    // Shown without a nested event loop; the field already shows its old text.
    auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("notEncodableMessage"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

}  // namespace tavrin
