#include "settings/ui/settings_file_dialog.h"

#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

#include "common/ui/icons.h"
#include "common/ui/item_views.h"
#include "common/ui/new_button.h"
#include "common/ui/text_codec.h"

namespace tavrin {

SettingsFileDialog::SettingsFileDialog(CSettingsFile file, UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent), m_file(std::move(file)), m_dialogs(dialogs) {
    setObjectName(QStringLiteral("settingsFileDialog"));
    setModal(true);

    m_rows = new QTableWidget(0, 2, this);
    m_rows->setObjectName(QStringLiteral("settingsFileRows"));
    m_rows->setHorizontalHeaderLabels({QStringLiteral("Command"), QStringLiteral("Value")});
    m_rows->verticalHeader()->hide();
    m_rows->setColumnWidth(0, 220);
    m_rows->horizontalHeader()->setStretchLastSection(true);
    m_rows->setSelectionMode(QAbstractItemView::SingleSelection);
    EditOnClick(m_rows);
    m_rows->setItemDelegateForColumn(0, new TickBoxDelegate(m_rows));
    connect(m_rows, &QTableWidget::itemChanged, this, &SettingsFileDialog::HandleItemChanged);

    auto* dataBox = new QGroupBox(QStringLiteral("  Data  "), this);
    auto* dataLayout = new QVBoxLayout(dataBox);
    dataLayout->addWidget(m_rows);
    auto* note = new QLabel(QString::fromLatin1(kSettingsFileNote.data(),
                                                static_cast<qsizetype>(kSettingsFileNote.size())),
                            dataBox);
    note->setWordWrap(true);
    dataLayout->addWidget(note);

    auto* tickBox = new QGroupBox(QStringLiteral("  Tick Boxes  "), this);
    auto* tickLayout = new QVBoxLayout(tickBox);
    auto* checkAll =
        NewButton(QStringLiteral("Check All"), QStringLiteral("settingsFileCheckAll"), tickBox);
    auto* clear = NewButton(QStringLiteral("Clear"), QStringLiteral("settingsFileClear"), tickBox);
    tickLayout->addWidget(checkAll);
    tickLayout->addWidget(clear);

    auto* fileBox = new QGroupBox(QStringLiteral("  File  "), this);
    auto* fileLayout = new QVBoxLayout(fileBox);
    auto* saveAs =
        NewButton(QStringLiteral("Save As"), QStringLiteral("settingsFileSaveAs"), fileBox);
    auto* reload =
        NewButton(QStringLiteral("Reload"), QStringLiteral("settingsFileReload"), fileBox);
    fileLayout->addWidget(saveAs);
    fileLayout->addWidget(reload);

    auto* apply = NewButton(QStringLiteral("Apply"), QStringLiteral("settingsFileApply"), this);
    auto* cancel = NewButton(QStringLiteral("Cancel"), QStringLiteral("settingsFileCancel"), this);

    auto* side = new QVBoxLayout;
    side->addWidget(fileBox);
    side->addWidget(tickBox);
    side->addStretch(1);
    side->addWidget(apply);
    side->addWidget(cancel);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(dataBox, 1);
    layout->addLayout(side);

    connect(checkAll, &QPushButton::clicked, this, [this] {
        m_file.CheckAll();
        Render();
    });
    connect(clear, &QPushButton::clicked, this, [this] {
        m_file.ClearTicks();
        Render();
    });
    connect(reload, &QPushButton::clicked, this, [this] {
        m_file.Reload();
        Render();
    });
    connect(saveAs, &QPushButton::clicked, this, [this] {
        if (m_file.SaveAs(m_dialogs)) setWindowTitle(FromWire(m_file.Title()));
    });
    connect(apply, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    setWindowTitle(FromWire(m_file.Title()));
    resize(560, 520);
    Render();
}

void SettingsFileDialog::Render() {
    m_rendering = true;
    const QSignalBlocker block(m_rows);
    const auto& rows = m_file.Rows();
    // The dialog's own palette: on a change it is new before the list's is.
    const QColor green = ListTint(kSettingsFileRowColour, palette());
    m_rows->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const auto& row = rows[static_cast<size_t>(r)];
        auto* command = new QTableWidgetItem(FromWire(row.command));
        command->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        command->setCheckState(row.ticked ? Qt::Checked : Qt::Unchecked);
        m_rows->setItem(r, 0, command);
        auto* value = new QTableWidgetItem(FromWire(row.value));
        value->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
        m_rows->setItem(r, 1, value);
        // The list's own light green, toned down on a dark palette so that
        // its light text stays readable.
        for (QTableWidgetItem* item : {command, value}) item->setBackground(green);
    }
    m_rendering = false;
}

void SettingsFileDialog::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && m_rows) Render();
}

void SettingsFileDialog::HandleItemChanged(QTableWidgetItem* item) {
    if (m_rendering || !item) return;
    const size_t row = static_cast<size_t>(item->row());
    if (item->column() == 0) {
        m_file.SetTicked(row, item->checkState() == Qt::Checked);
    } else if (item->column() == 1) {
        if (auto bytes = ToWire(item->text())) {
            m_file.EditValue(row, *bytes);
        } else {
            m_dialogs.ShowMessage(
                ToWire(NotEncodableMessage(item->text())).value_or(std::string()));
        }
    }
    // Back to what the file holds, e.g. a refused edit.
    QMetaObject::invokeMethod(this, &SettingsFileDialog::Render, Qt::QueuedConnection);
}

}  // namespace tavrin
