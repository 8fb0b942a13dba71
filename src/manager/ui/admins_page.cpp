#include "manager/ui/admins_page.h"

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>

#include "common/ui/icons.h"
#include "common/ui/new_button.h"
#include "common/ui/text_codec.h"

namespace tavrin {
namespace {

constexpr int kColumnCount = static_cast<int>(AdminColumn::Count);
constexpr int kPassColumn = static_cast<int>(AdminColumn::Pass);
constexpr int kRightsColumn = static_cast<int>(AdminColumn::Rights);
constexpr int kStatusColumn = static_cast<int>(AdminColumn::Status);

// What the password cell shows: the same dots whatever its length, so the
// list tells nothing of the password but whether there is one.
const QString kPasswordDots = QString(8, QChar(0x2022));

// The side of the "Online" marker in the status column.
constexpr int kMarkerSide = 10;

const QString kUnsaved = QStringLiteral("Unsaved changes");

QString Wire(std::string_view bytes) {
    return FromWire(bytes);
}

// sRGB relative luminance, 0 (black) to 1 (white).
double Luminance(const QColor& c) {
    auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

double Contrast(const QColor& a, const QColor& b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The palette's text colour when it reads well on `ground`, else black or
// white, whichever reads better.
QColor ReadableTextOn(const QColor& ground, const QPalette& palette) {
    const QColor text = palette.color(QPalette::Text);
    if (Contrast(text, ground) >= 4.5) return text;
    const QColor black(Qt::black), white(Qt::white);
    return Contrast(black, ground) >= Contrast(white, ground) ? black : white;
}

// A small green dot for an admin who is logged in; `lit` false gives a
// transparent square of the same size, so the statuses stay aligned.
QPixmap StatusMarker(bool lit) {
    QPixmap marker(kMarkerSide, kMarkerSide);
    marker.fill(Qt::transparent);
    if (!lit) return marker;
    QPainter p(&marker);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(20, 110, 40), 1));
    p.setBrush(QColor(60, 190, 90));
    p.drawEllipse(QRectF(0.5, 0.5, kMarkerSide - 1.0, kMarkerSide - 1.0));
    return marker;
}

// The names of the rights in a rights cell, for its tooltip.
QString RightsToolTip(RightsMask mask) {
    if (mask == kFullAccess) return QStringLiteral("Full Access");
    QStringList names;
    for (const RightInfo& r : kRights)
        if ((mask & r.value) != 0) names << Wire(r.name);
    return names.isEmpty() ? QStringLiteral("No rights") : names.join(QStringLiteral(", "));
}

// The account list's cells: the editors are plain line edits (the
// password's hides what is typed), and the view's own selection highlight is
// left out, since the rows' colours from CAdmins mark the selected row.
class AdminCellDelegate final : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& /*option*/,
                          const QModelIndex& index) const override {
        auto* editor = new QLineEdit(parent);
        editor->setObjectName(QStringLiteral("adminCellEditor"));
        editor->setFrame(false);
        if (index.column() == kPassColumn) editor->setEchoMode(QLineEdit::Password);
        return editor;
    }

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->state &= ~QStyle::State_Selected;
    }
};

}  // namespace

// ---------------------------------------------------------------------------
// The account list as a table model over CAdmins::Rows(). It reads the rows
// where they are; the number of rows it reports changes only inside its own
// insert, remove and reset steps, so a view never sees a row count that the
// signals have not announced.
class AdminListModel final : public QAbstractTableModel {
  public:
    AdminListModel(CAdmins& admins, UserDialogs& dialogs, std::function<void()> edited,
                   QObject* parent)
        : QAbstractTableModel(parent),
          m_admins(admins),
          m_dialogs(dialogs),
          m_edited(std::move(edited)),
          m_count(admins.AccountCount()),
          m_palette(QGuiApplication::palette()),
          m_online(StatusMarker(true)),
          m_offline(StatusMarker(false)) {}

    // "New Admin" as one insert step.
    void AppendAccount() {
        const int row = m_admins.AccountCount();
        beginInsertRows(QModelIndex(), row, row);
        m_admins.NewAdmin();
        m_count = m_admins.AccountCount();
        endInsertRows();
    }

    // "Del Admin" as one remove step.
    void DeleteSelected() {
        const int row = m_admins.SelectedRow();
        if (row < 0 || row >= m_count) return;
        beginRemoveRows(QModelIndex(), row, row);
        m_admins.DelAdmin();
        m_count = m_admins.AccountCount();
        endRemoveRows();
    }

    void Reset() {
        beginResetModel();
        m_count = m_admins.AccountCount();
        endResetModel();
    }

    // False when CAdmins holds another number of rows than the model shows.
    bool InStep() const { return m_count == m_admins.AccountCount(); }

    void RowChanged(int row) {
        if (row < 0 || row >= m_count) return;
        emit dataChanged(index(row, 0), index(row, kColumnCount - 1));
    }

    void CellChanged(int row, int column) {
        if (row < 0 || row >= m_count) return;
        emit dataChanged(index(row, column), index(row, column));
    }

    // The rows' colours (a row was selected).
    void RepaintLooks() {
        if (m_count > 0)
            emit dataChanged(index(0, 0), index(m_count - 1, kColumnCount - 1),
                             {Qt::BackgroundRole, Qt::ForegroundRole});
    }

    void SetPalette(const QPalette& palette) {
        m_palette = palette;
        RepaintLooks();
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : m_count;
    }

    int columnCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : kColumnCount;
    }

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override {
        if (!index.isValid() || !checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
        const int row = index.row();
        if (row >= m_admins.AccountCount()) return {};
        const auto column = static_cast<AdminColumn>(index.column());
        switch (role) {
            case Qt::DisplayRole: {
                const std::string cell = m_admins.AccountCell(row, column);
                if (column == AdminColumn::Pass) return cell.empty() ? QString() : kPasswordDots;
                return Wire(cell);
            }
            case Qt::EditRole:
                // The password's editor is in password mode: it may hold the text.
                if (!CAdmins::Editable(column)) return {};
                return Wire(m_admins.AccountCell(row, column));
            case Qt::BackgroundRole:
                if (const auto ground = Ground(row)) return *ground;
                return {};
            case Qt::ForegroundRole:
                if (const auto ground = Ground(row)) return ReadableTextOn(*ground, m_palette);
                return {};
            case Qt::DecorationRole:
                if (column != AdminColumn::Status) return {};
                return m_admins.AccountCell(row, column) == kStatusOnline ? m_online : m_offline;
            case Qt::ToolTipRole:
                if (column == AdminColumn::Rights) return RightsToolTip(m_admins.RightsOf(row));
                if (column == AdminColumn::Pass)
                    return QStringLiteral("Double-click to type a new password");
                return {};
            case Qt::TextAlignmentRole:
                return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
            default:
                return {};
        }
    }

    bool setData(const QModelIndex& index, const QVariant& value,
                 int role = Qt::EditRole) override {
        if (role != Qt::EditRole || !index.isValid() ||
            !checkIndex(index, CheckIndexOption::IndexIsValid))
            return false;
        const auto column = static_cast<AdminColumn>(index.column());
        if (!CAdmins::Editable(column)) return false;
        const std::string columnName(kAdminColumnNames[static_cast<size_t>(index.column())]);
        const std::optional<std::string> bytes = ToWire(value.toString());
        if (!bytes) {
            // The message does not quote the text: it may be a password.
            Tell(columnName +
                 " was not changed: the text holds a character that cannot be stored (only "
                 "Windows-1252 characters can).");
            return false;
        }
        const std::string before = m_admins.AccountCell(index.row(), column);
        const Result<std::string> edited = m_admins.EditCell(index.row(), column, *bytes);
        if (!edited) {
            Tell(columnName + " was not changed: " + edited.failure());
            return false;
        }
        emit dataChanged(index, index);
        if (edited.value() != before) m_edited();
        return true;
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        if (!index.isValid() || !checkIndex(index, CheckIndexOption::IndexIsValid))
            return Qt::NoItemFlags;
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (CAdmins::Editable(static_cast<AdminColumn>(index.column())))
            flags |= Qt::ItemIsEditable;
        return flags;
    }

    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override {
        if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) return {};
        if (role == Qt::DisplayRole) return Wire(kAdminColumnNames[static_cast<size_t>(section)]);
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
        return {};
    }

  private:
    std::optional<QColor> Ground(int row) const {
        switch (m_admins.LookOf(row)) {
            case RowLook::Selected:
                return Tint(kSelectedRowColour);
            case RowLook::Deselected:
                return Tint(kDeselectedRowColour);
            case RowLook::Plain:
                break;
        }
        return std::nullopt;
    }

    QColor Tint(RowColour colour) const {
        return ListTint(Rgb{colour.red, colour.green, colour.blue}, m_palette);
    }

    // A refused edit is told once the editor's commit has ended, so a message
    // box never opens in the middle of it.
    void Tell(std::string text) {
        UserDialogs* dialogs = &m_dialogs;
        QMetaObject::invokeMethod(
            this, [dialogs, text = std::move(text)] { dialogs->ShowMessage(text); },
            Qt::QueuedConnection);
    }

    CAdmins& m_admins;
    UserDialogs& m_dialogs;
    std::function<void()> m_edited;
    int m_count = 0;
    QPalette m_palette;
    QPixmap m_online;
    QPixmap m_offline;
};

// ---------------------------------------------------------------------------
// AdminsPage

AdminsPage::AdminsPage(CAdmins& admins, std::string programDir, EventSink& log,
                       UserDialogs& dialogs, QWidget* parent)
    : QWidget(parent),
      m_admins(admins),
      m_programDir(std::move(programDir)),
      m_log(log),
      m_dialogs(dialogs) {
    setObjectName(QStringLiteral("adminsPage"));

    m_model = new AdminListModel(
        m_admins, m_dialogs, [this] { SetSaveState(kUnsaved); }, this);
    m_list = new QTableView(this);
    m_list->setObjectName(QStringLiteral("adminList"));
    m_list->setModel(m_model);
    m_list->setItemDelegate(new AdminCellDelegate(m_list));
    m_list->verticalHeader()->hide();
    m_list->setShowGrid(false);
    m_list->setWordWrap(false);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                            QAbstractItemView::EditKeyPressed);
    m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 6);
    QHeaderView* header = m_list->horizontalHeader();
    header->setSectionsClickable(false);
    header->setHighlightSections(false);
    header->setStretchLastSection(true);
    m_list->viewport()->installEventFilter(this);

    m_new = NewButton(QStringLiteral("New Admin"), "newAdmin", this);
    m_del = NewButton(QStringLiteral("Del Admin"), "delAdmin", this);
    m_save = NewButton(QStringLiteral("Save List"), "saveList", this);
    m_new->setToolTip(QStringLiteral("A new account at the end of the list"));
    m_del->setToolTip(QStringLiteral("Delete the selected account"));
    m_save->setToolTip(QStringLiteral("Write the list to Configs/radmins.cfg"));
    m_saveState = new QLabel(this);
    m_saveState->setObjectName(QStringLiteral("saveState"));

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_new);
    buttons->addWidget(m_del);
    buttons->addWidget(m_save);
    buttons->addWidget(m_saveState);
    buttons->addStretch(1);
    auto* bottom = new QHBoxLayout;
    bottom->addLayout(buttons);
    bottom->addWidget(BuildRights(), 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(bottom);

    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &AdminsPage::HandleListSelectionChanged);
    connect(m_new, &QPushButton::clicked, this, &AdminsPage::NewAdmin);
    connect(m_del, &QPushButton::clicked, this, &AdminsPage::DelAdmin);
    connect(m_save, &QPushButton::clicked, this, &AdminsPage::SaveList);

    SizeColumns();
    m_model->SetPalette(m_list->palette());
    Refresh();
}

AdminsPage::~AdminsPage() = default;

QWidget* AdminsPage::BuildRights() {
    auto* panel = new QWidget(this);
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 0, 0);

    auto* full = new QGroupBox(QStringLiteral("Full Access"), panel);
    auto* fullLayout = new QVBoxLayout(full);
    m_selectAll = new QCheckBox(QStringLiteral("Select All"), full);
    m_selectAll->setObjectName(QStringLiteral("selectAll"));
    fullLayout->addWidget(m_selectAll);
    fullLayout->addStretch(1);
    row->addWidget(full);
    connect(m_selectAll, &QCheckBox::clicked, this,
            [this](bool ticked) { ClickBox([this, ticked] { m_admins.ClickSelectAll(ticked); }); });

    for (size_t g = 0; g < kRightsGroups.size(); ++g) {
        const RightsGroupInfo& info = kRightsGroups[g];
        const QString name = Wire(info.name);
        auto* frame = new QGroupBox(name, panel);
        auto* grid = new QGridLayout(frame);
        // Player Admin's six rights in two rows of three, the others' four in
        // two rows of two: the frames stay low, the list keeps the height.
        const int columns = info.group == RightsGroup::PlayerAdmin ? 3 : 2;
        auto* group = new QCheckBox(QStringLiteral("Group"), frame);
        group->setObjectName(QStringLiteral("group") + QString(name).remove(QLatin1Char(' ')));
        grid->addWidget(group, 0, 0, 1, columns);
        m_groups[g] = group;
        const RightsGroup which = info.group;
        connect(group, &QCheckBox::clicked, this, [this, which](bool ticked) {
            ClickBox([this, which, ticked] { m_admins.ClickGroup(which, ticked); });
        });

        int k = 0;
        for (const RightInfo& right : kRights) {
            if (right.group != which) continue;
            QString caption = Wire(right.name);
            // The first right stands on two lines, "Admin" over "List".
            if (right.bit == 0) caption.replace(QLatin1Char(' '), QLatin1Char('\n'));
            auto* box = new QCheckBox(caption, frame);
            box->setObjectName(QStringLiteral("right") + QString::number(right.bit));
            box->setToolTip(Wire(right.name));
            grid->addWidget(box, 1 + k / columns, k % columns);
            ++k;
            m_rights[static_cast<size_t>(right.bit)] = box;
            const int bit = right.bit;
            connect(box, &QCheckBox::clicked, this, [this, bit](bool ticked) {
                ClickBox([this, bit, ticked] { m_admins.ClickRight(bit, ticked); });
            });
        }
        grid->setRowStretch(grid->rowCount(), 1);
        row->addWidget(frame);
    }
    row->addStretch(1);
    return panel;
}

void AdminsPage::SizeColumns() {
    // Room for each heading and a typical cell in this font.
    const QFontMetrics fm(m_list->font());
    const int padding = 2 * m_list->style()->pixelMetric(QStyle::PM_HeaderMargin) + 12;
    const std::array<QString, kColumnCount> samples = {
        QStringLiteral("A Server Admin Name"),
        QStringLiteral("admin_user"),
        kPasswordDots,
        QStringLiteral("3FFF"),
        QStringLiteral("Offline"),
        QStringLiteral("0123456789abcdef01234567"),
        QString(),
    };
    QHeaderView* header = m_list->horizontalHeader();
    for (int c = 0; c < kColumnCount - 1; ++c) {
        int needed = std::max(fm.horizontalAdvance(Wire(kAdminColumnNames[static_cast<size_t>(c)])),
                              fm.horizontalAdvance(samples[static_cast<size_t>(c)]));
        if (c == kStatusColumn) needed += kMarkerSide + 6;
        header->resizeSection(c, needed + padding);
    }
}

void AdminsPage::AccountRowChanged(int row) {
    // A table that changed in length behind the page's back is drawn whole.
    if (!m_model->InStep()) {
        Refresh();
        return;
    }
    m_model->RowChanged(row);
}

void AdminsPage::Refresh() {
    m_showingSelection = true;
    m_model->Reset();
    m_showingSelection = false;
    ShowBoxes();
    ShowListSelection();
}

void AdminsPage::SelectRow(int row) {
    ClickRow(row);
    ShowListSelection();
}

void AdminsPage::ClickRow(int row) {
    m_admins.ClickRow(row);
    m_model->RepaintLooks();
    ShowBoxes();
}

void AdminsPage::HandleListSelectionChanged() {
    // The keyboard selected a row in the list; a click has told CAdmins
    // already (see eventFilter). Focus coming to the list makes a row current
    // without selecting it, and selects nothing here either.
    if (m_showingSelection) return;
    const QModelIndexList rows = m_list->selectionModel()->selectedRows();
    if (rows.isEmpty() || rows.front().row() == m_admins.SelectedRow()) return;
    ClickRow(rows.front().row());
}

void AdminsPage::ClickBox(const std::function<void()>& click) {
    const int row = m_admins.SelectedRow();
    const std::string before = m_admins.AccountCell(row, AdminColumn::Rights);
    click();
    ShowBoxes();
    if (row < 0) return;
    m_model->CellChanged(row, kRightsColumn);
    if (m_admins.AccountCell(row, AdminColumn::Rights) != before) SetSaveState(kUnsaved);
}

void AdminsPage::NewAdmin() {
    m_showingSelection = true;
    m_model->AppendAccount();
    m_showingSelection = false;
    m_model->RepaintLooks();
    ShowBoxes();
    ShowListSelection();
    SetSaveState(kUnsaved);
}

void AdminsPage::DelAdmin() {
    if (m_admins.SelectedRow() < 0) return;
    m_showingSelection = true;
    m_model->DeleteSelected();
    m_showingSelection = false;
    m_model->RepaintLooks();
    ShowBoxes();
    ShowListSelection();
    SetSaveState(kUnsaved);
}

void AdminsPage::SaveList() {
    const Result<std::string> saved = m_admins.SaveList(m_programDir, m_log);
    if (saved) {
        SetSaveState(QStringLiteral("Saved"));
        return;
    }
    SetSaveState(QStringLiteral("Not saved"));
    m_dialogs.ShowMessage("The admin list was not saved: " + saved.failure());
}

void AdminsPage::ShowBoxes() {
    m_selectAll->setChecked(m_admins.SelectAllTicked());
    for (size_t g = 0; g < kRightsGroups.size(); ++g)
        m_groups[g]->setChecked(m_admins.GroupTicked(kRightsGroups[g].group));
    for (size_t i = 0; i < kRights.size(); ++i)
        m_rights[i]->setChecked(m_admins.RightTicked(static_cast<int>(i)));
    m_del->setEnabled(m_admins.SelectedRow() >= 0);
}

void AdminsPage::ShowListSelection() {
    m_showingSelection = true;
    QItemSelectionModel* selection = m_list->selectionModel();
    const int row = m_admins.SelectedRow();
    if (row >= 0 && row < m_model->rowCount()) {
        const QModelIndex at = m_model->index(row, std::max(0, m_list->currentIndex().column()));
        selection->setCurrentIndex(at,
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        m_list->scrollTo(at);
    } else {
        selection->clear();
    }
    m_showingSelection = false;
}

void AdminsPage::SetSaveState(const QString& text) {
    m_saveState->setText(text);
}

bool AdminsPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_list->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) {
            // The row under the pointer, -1 below the rows. The view then
            // makes the clicked cell its current one as usual.
            const int row = m_list->indexAt(mouse->position().toPoint()).row();
            ClickRow(row);
            if (row < 0) ShowListSelection();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void AdminsPage::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && m_model) m_model->SetPalette(m_list->palette());
}

}  // namespace tavrin
