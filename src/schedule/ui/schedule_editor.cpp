#include "schedule/ui/schedule_editor.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "common/text_file.h"
#include "common/ui/item_views.h"
#include "common/ui/new_button.h"
#include "common/ui/text_codec.h"

namespace tavrin {

namespace {

constexpr int kKindColumn = 0;
constexpr int kWhenColumn = 1;
constexpr int kCommandColumn = 2;

constexpr ScheduleRule::Kind kKinds[] = {
    ScheduleRule::Kind::Every,     ScheduleRule::Kind::At,         ScheduleRule::Kind::OnJoin,
    ScheduleRule::Kind::OnMission, ScheduleRule::Kind::OnOffender,
};

bool HasWhen(ScheduleRule::Kind kind) {
    return kind != ScheduleRule::Kind::OnJoin && kind != ScheduleRule::Kind::OnMission;
}

QTableWidgetItem* NewCell(const std::string& text) {
    auto* item = new QTableWidgetItem(FromWire(text));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
    return item;
}

}  // namespace

ScheduleEditor::ScheduleEditor(std::string programDir, UserDialogs& dialogs,
                               std::function<void()> saved, QWidget* parent)
    : QDialog(parent),
      m_path(std::move(programDir) + std::string(kScheduleFile)),
      m_dialogs(dialogs),
      m_saved(std::move(saved)) {
    setObjectName(QStringLiteral("scheduleEditor"));
    setWindowTitle(QStringLiteral("Schedule"));
    setModal(true);

    m_table = new QTableWidget(0, 3, this);
    m_table->setObjectName(QStringLiteral("scheduleRules"));
    m_table->setHorizontalHeaderLabels(
        {QStringLiteral("Kind"), QStringLiteral("When"), QStringLiteral("Command")});
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setHighlightSections(false);
    m_table->setColumnWidth(kKindColumn, 130);
    m_table->setColumnWidth(kWhenColumn, 130);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    EditOnClick(m_table);
    connect(m_table, &QTableWidget::itemChanged, this, &ScheduleEditor::HandleCellChanged);

    m_result = new QLabel(this);
    m_result->setObjectName(QStringLiteral("scheduleTestResult"));
    m_result->setWordWrap(true);
    m_result->setTextFormat(Qt::PlainText);
    m_result->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* add = NewButton(QStringLiteral("Add"), "scheduleAdd", this);
    auto* remove = NewButton(QStringLiteral("Delete"), "scheduleDelete", this);
    auto* up = NewButton(QStringLiteral("Move Up"), "scheduleMoveUp", this);
    auto* down = NewButton(QStringLiteral("Move Down"), "scheduleMoveDown", this);
    auto* test = NewButton(QStringLiteral("Test"), "scheduleTest", this);
    m_ok = NewButton(QStringLiteral("OK"), "scheduleOk", this);
    auto* cancel = NewButton(QStringLiteral("Cancel"), "scheduleCancel", this);
    connect(add, &QPushButton::clicked, this, [this] { AddRule(); });
    connect(remove, &QPushButton::clicked, this, &ScheduleEditor::DeleteRule);
    connect(up, &QPushButton::clicked, this, [this] { MoveRule(-1); });
    connect(down, &QPushButton::clicked, this, [this] { MoveRule(1); });
    connect(test, &QPushButton::clicked, this, &ScheduleEditor::TestRule);
    connect(m_ok, &QPushButton::clicked, this, &ScheduleEditor::Save);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* rowButtons = new QHBoxLayout;
    for (QPushButton* button : {add, remove, up, down, test}) rowButtons->addWidget(button);
    rowButtons->addStretch(1);
    auto* closeButtons = new QHBoxLayout;
    closeButtons->addStretch(1);
    closeButtons->addWidget(m_ok);
    closeButtons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_table, 1);
    layout->addLayout(rowButtons);
    layout->addWidget(m_result);
    layout->addLayout(closeButtons);
    resize(760, 420);

    Load();
}

void ScheduleEditor::Load() {
    const TextFileRead read = ReadTextFile(m_path);
    if (read.status == TextFileRead::Status::Unreadable) {
        // Saving over a file that could not be read would lose it.
        m_result->setText(FromWire(read.failure));
        m_ok->setEnabled(false);
        return;
    }
    m_oldText = read.text;
    const ScheduleFile file = ParseSchedule(m_oldText);
    for (const ScheduleRule& rule : file.rules) m_rows.push_back(RowOfRule(rule));
    // The lines the console skips are not rows; the user is told that OK
    // leaves them out of the file.
    std::string skipped;
    for (const ScheduleProblem& problem : file.problems)
        skipped += ScheduleProblemLine(problem) + "\n";
    if (!skipped.empty()) m_result->setText(FromWire(skipped + "OK saves the table without them."));
    Render();
}

void ScheduleEditor::Render() {
    m_rendering = true;
    const QSignalBlocker blocker(m_table);
    m_table->setRowCount(static_cast<int>(m_rows.size()));
    for (int row = 0; row < m_table->rowCount(); ++row) {
        const ScheduleRow& rule = m_rows[static_cast<size_t>(row)];
        auto* kind = new QComboBox;
        kind->setObjectName(QStringLiteral("scheduleKind"));
        int current = 0;
        for (int i = 0; i < static_cast<int>(std::size(kKinds)); ++i) {
            kind->addItem(FromWire(RuleKindText(kKinds[i])));
            if (kKinds[i] == rule.kind) current = i;
        }
        kind->setCurrentIndex(current);
        connect(kind, &QComboBox::currentIndexChanged, this, [this, row](int i) {
            if (m_rendering || i < 0 || row >= static_cast<int>(m_rows.size())) return;
            ScheduleRow& changed = m_rows[static_cast<size_t>(row)];
            changed.kind = kKinds[i];
            if (!HasWhen(changed.kind)) changed.when.clear();
            ShowWhen(row);
            SelectRow(row);
        });
        m_table->setCellWidget(row, kKindColumn, kind);
        m_table->setItem(row, kCommandColumn, NewCell(rule.command));
        ShowWhen(row);
    }
    m_rendering = false;
}

void ScheduleEditor::ShowWhen(int row) {
    const ScheduleRow& rule = m_rows[static_cast<size_t>(row)];
    const QSignalBlocker blocker(m_table);
    QTableWidgetItem* when = NewCell(rule.when);
    if (!HasWhen(rule.kind)) when->setFlags(Qt::ItemIsSelectable);
    m_table->setItem(row, kWhenColumn, when);
}

void ScheduleEditor::HandleCellChanged(QTableWidgetItem* item) {
    const int row = item->row();
    if (row < 0 || row >= static_cast<int>(m_rows.size())) return;
    ScheduleRow& rule = m_rows[static_cast<size_t>(row)];
    std::string& field = item->column() == kWhenColumn ? rule.when : rule.command;
    const std::optional<std::string> text = ToWire(item->text());
    if (!text) {
        const QString message = NotEncodableMessage(item->text());
        const QSignalBlocker blocker(m_table);
        item->setText(FromWire(field));
        Tell(ToWire(message).value_or(std::string()));
        return;
    }
    field = *text;
}

int ScheduleEditor::CurrentRow() const {
    const QModelIndexList rows = m_table->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

void ScheduleEditor::SelectRow(int row) {
    if (row >= 0 && row < m_table->rowCount()) m_table->selectRow(row);
}

void ScheduleEditor::AddRule() {
    AddRule({ScheduleRule::Kind::Every, "300 s", ""});
    m_table->editItem(m_table->item(CurrentRow(), kCommandColumn));
}

void ScheduleEditor::AddRule(const ScheduleRow& row) {
    m_rows.push_back(row);
    Render();
    SelectRow(static_cast<int>(m_rows.size()) - 1);
    m_table->scrollToBottom();
}

void ScheduleEditor::DeleteRule() {
    const int row = CurrentRow();
    if (row < 0) return;
    m_rows.erase(m_rows.begin() + row);
    Render();
    SelectRow(std::min(row, static_cast<int>(m_rows.size()) - 1));
}

void ScheduleEditor::MoveRule(int by) {
    const int row = CurrentRow();
    const int to = row + by;
    if (row < 0 || to < 0 || to >= static_cast<int>(m_rows.size())) return;
    std::swap(m_rows[static_cast<size_t>(row)], m_rows[static_cast<size_t>(to)]);
    Render();
    SelectRow(to);
}

void ScheduleEditor::TestRule() {
    const int row = CurrentRow();
    if (row < 0) {
        m_result->setText(QStringLiteral("Select a rule to test."));
        return;
    }
    const RowReading reading = ReadScheduleRow(m_rows[static_cast<size_t>(row)]);
    if (!reading.ok) {
        m_result->setText(FromWire("Row " + std::to_string(row + 1) + ": " + reading.refusal));
        return;
    }
    const ExpandedCommand sample = SampleCommand(reading.rule);
    m_result->setText(FromWire(sample.ok ? "Would send: " + sample.command
                                         : "Would not send it: " + sample.refusal));
}

void ScheduleEditor::Save() {
    const ScheduleSave save = ScheduleFileText(m_oldText, m_rows);
    if (!save.ok) {
        Tell(save.refusal);
        return;
    }
    std::string failure;
    if (!WriteTextFile(m_path, save.text, WriteMode::Replace, &failure)) {
        Tell("The schedule was not saved. " + failure);
        return;
    }
    m_oldText = save.text;
    if (m_saved) m_saved();
    accept();
}

void ScheduleEditor::Tell(const std::string& text) {
    m_result->setText(FromWire(text));
    m_dialogs.ShowMessage(text);
}

}  // namespace tavrin
