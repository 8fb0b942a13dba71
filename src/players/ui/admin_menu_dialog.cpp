#include "players/ui/admin_menu_dialog.h"

#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "common/ui/icons.h"
#include "common/ui/new_button.h"
#include "common/ui/text_codec.h"

namespace tavrin {

// ---------------------------------------------------------------------------
// AdminMenuModel

AdminMenuModel::AdminMenuModel(CAdminMenu& editor, UserDialogs& messages, QObject* parent)
    : QAbstractTableModel(parent),
      m_editor(editor),
      m_messages(messages),
      m_palette(QGuiApplication::palette()) {}

void AdminMenuModel::Reload() {
    beginResetModel();
    endResetModel();
}

void AdminMenuModel::Repaint() {
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, 1), {Qt::BackgroundRole});
}

void AdminMenuModel::SetPalette(const QPalette& palette) {
    m_palette = palette;
    Repaint();
}

int AdminMenuModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_editor.Rows().size());
}

int AdminMenuModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant AdminMenuModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
    const AdminMenuRow& row = m_editor.Rows()[static_cast<size_t>(index.row())];
    const bool command = index.column() == static_cast<int>(CAdminMenu::Column::Command);
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return FromWire(command ? row.command : row.text);
        case Qt::CheckStateRole:
            if (command) return row.ticked ? Qt::Checked : Qt::Unchecked;
            return {};
        case Qt::BackgroundRole:
            return ListTint(m_editor.RowColour(index.row()), m_palette);
        case Qt::ToolTipRole:
            if (command) return QStringLiteral("Untick to leave this entry out of the menu");
            return {};
        default:
            return {};
    }
}

bool AdminMenuModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || !checkIndex(index, CheckIndexOption::IndexIsValid)) return false;
    const auto column = static_cast<CAdminMenu::Column>(index.column());
    if (role == Qt::CheckStateRole && column == CAdminMenu::Column::Command) {
        m_editor.SetTicked(index.row(), value.value<Qt::CheckState>() == Qt::Checked);
        emit dataChanged(index, index, {Qt::CheckStateRole});
        return true;
    }
    if (role != Qt::EditRole) return false;
    const QString text = value.toString();
    const std::optional<std::string> bytes = ToWire(text);
    if (!bytes) {
        // The message names the character by its code point: it cannot quote it.
        m_messages.ShowMessage(ToWire(NotEncodableMessage(text)).value_or(std::string()) +
                               " The cell was not changed.");
        return false;
    }
    if (!m_editor.EditCell(index.row(), column, *bytes)) return false;
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

Qt::ItemFlags AdminMenuModel::flags(const QModelIndex& index) const {
    if (!index.isValid() || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
    if (index.column() == static_cast<int>(CAdminMenu::Column::Command))
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

QVariant AdminMenuModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section > 1) return {};
    if (role == Qt::DisplayRole)
        return section == 0 ? QStringLiteral("Command") : QStringLiteral("Text");
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    return {};
}

// ---------------------------------------------------------------------------
// AdminMenuDialog

class AdminMenuDialog::LaterMessages final : public UserDialogs {
  public:
    LaterMessages(QObject* context, UserDialogs& outer) : m_context(context), m_outer(outer) {}

    void ShowMessage(const std::string& text) override {
        UserDialogs* outer = &m_outer;
        QMetaObject::invokeMethod(
            m_context, [outer, text] { outer->ShowMessage(text); }, Qt::QueuedConnection);
    }
    bool AskYesNo(const std::string& text, DefaultAnswer answer) override {
        return m_outer.AskYesNo(text, answer);
    }
    std::optional<std::string> AskOpenFileName(const FileQuestion& question) override {
        return m_outer.AskOpenFileName(question);
    }
    std::optional<std::string> AskSaveFileName(const FileQuestion& question) override {
        return m_outer.AskSaveFileName(question);
    }

  private:
    QPointer<QObject> m_context;
    UserDialogs& m_outer;
};

AdminMenuDialog::AdminMenuDialog(const std::string& adminMenuText, UserDialogs& dialogs,
                                 QWidget* parent)
    : QDialog(parent),
      m_messages(std::make_unique<LaterMessages>(this, dialogs)),
      m_editor(*m_messages) {
    setObjectName(QStringLiteral("adminMenuDialog"));
    setWindowTitle(QStringLiteral("Player Admin Menu"));

    m_model = new AdminMenuModel(m_editor, *m_messages, this);
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("adminMenuTable"));
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::DoubleClicked |
                             QAbstractItemView::EditKeyPressed);
    m_table->setContextMenuPolicy(Qt::CustomContextMenu);
    m_table->verticalHeader()->hide();
    m_table->setShowGrid(false);
    m_table->setWordWrap(false);
    QHeaderView* header = m_table->horizontalHeader();
    header->setSectionsClickable(false);
    header->setHighlightSections(false);
    header->setStretchLastSection(true);
    // The Command column holds the tick box as well as the kind.
    const QFontMetrics fm(font());
    header->resizeSection(0, std::max(CAdminMenu::kCommandWidth,
                                      fm.horizontalAdvance(QStringLiteral("Command")) + 48));
    header->resizeSection(1, CAdminMenu::kTextWidth);

    QPushButton* above = NewButton(QStringLiteral("Above"), "aboveButton", this);
    QPushButton* below = NewButton(QStringLiteral("Below"), "belowButton", this);
    QPushButton* remove = NewButton(QStringLiteral("Delete"), "deleteButton", this);
    QPushButton* ok = NewButton(QStringLiteral("OK"), "okButton", this);
    QPushButton* cancel = NewButton(QStringLiteral("Cancel"), "cancelButton", this);
    above->setToolTip(QStringLiteral("A new entry above the selected one, of the same command"));
    below->setToolTip(QStringLiteral("A new entry below the selected one"));
    remove->setToolTip(QStringLiteral("Delete the selected entry"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(above);
    buttons->addWidget(below);
    buttons->addWidget(remove);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_table, 1);
    layout->addLayout(buttons);
    resize(std::max(520, header->sectionSize(0) + CAdminMenu::kTextWidth + 80), 460);

    connect(above, &QPushButton::clicked, this, &AdminMenuDialog::InsertAbove);
    connect(below, &QPushButton::clicked, this, &AdminMenuDialog::InsertBelow);
    connect(remove, &QPushButton::clicked, this, &AdminMenuDialog::DeleteRow);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { HandleCurrentRowChanged(current.row()); });
    connect(m_table, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { m_editor.RightClickRow(m_table->indexAt(pos).row()); });

    m_editor.LoadRows(adminMenuText);
    m_model->Reload();
    m_model->SetPalette(m_table->palette());
}

AdminMenuDialog::~AdminMenuDialog() = default;

void AdminMenuDialog::HandleCurrentRowChanged(int row) {
    if (m_showingSelection) return;
    m_editor.ClickRow(row);
    m_model->Repaint();
}

// After a row button the editor's selection is the table's current row, and
// its painting is the editor's own.
void AdminMenuDialog::ShowEditorSelection() {
    m_model->Reload();
    const int selected = m_editor.Selected();
    if (selected < 0) return;
    m_showingSelection = true;
    const QModelIndex at = m_model->index(selected, 0);
    m_table->setCurrentIndex(at);
    m_table->scrollTo(at);
    m_showingSelection = false;
}

void AdminMenuDialog::InsertAbove() {
    m_editor.Above();
    ShowEditorSelection();
}

void AdminMenuDialog::InsertBelow() {
    m_editor.Below();
    ShowEditorSelection();
}

void AdminMenuDialog::DeleteRow() {
    m_editor.Delete();
    ShowEditorSelection();
}

void AdminMenuDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void AdminMenuDialog::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && m_model) m_model->SetPalette(m_table->palette());
}

}  // namespace tavrin
