#include "chatbot/ui/banned_words_dialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

#include "common/ui/item_views.h"
#include "common/ui/new_button.h"
#include "common/ui/text_codec.h"

namespace tavrin {

namespace {

QTableWidgetItem* NewCell(const QString& text, bool editable) {
    auto* item = new QTableWidgetItem(text);
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (editable) flags |= Qt::ItemIsEditable;
    item->setFlags(flags);
    return item;
}

QTableWidgetItem* NewTick(bool ticked) {
    auto* item = new QTableWidgetItem;
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
    return item;
}

std::vector<int> SelectedRows(QTableWidget* table) {
    std::vector<int> rows;
    for (const QModelIndex& index : table->selectionModel()->selectedRows())
        rows.push_back(index.row());
    return rows;
}

}  // namespace

BannedWordsDialog::BannedWordsDialog(CBannedWords model, UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent), m_model(std::move(model)), m_dialogs(dialogs) {
    setObjectName(QStringLiteral("bannedWordsDialog"));
    setWindowTitle(QStringLiteral("Banned Words"));
    setModal(true);

    m_words = new QTableWidget(0, 5, this);
    m_words->setObjectName(QStringLiteral("bannedWordsList"));
    m_words->setHorizontalHeaderLabels({QString(), QStringLiteral("Word"),
                                        QStringLiteral("Warning"), QStringLiteral("Punt Pts"),
                                        QStringLiteral("Found")});
    m_words->verticalHeader()->hide();
    const int widths[] = {28, 110, 230, 150, 56};
    for (int c = 0; c < 5; ++c) m_words->setColumnWidth(c, widths[c]);
    m_words->horizontalHeader()->setSectionResizeMode(CBannedWords::kWarningColumn,
                                                      QHeaderView::Stretch);
    m_words->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_words->setSelectionMode(QAbstractItemView::ExtendedSelection);
    EditOnClick(m_words);
    m_words->setItemDelegateForColumn(CBannedWords::kTickColumn, new TickBoxDelegate(m_words));
    m_words->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_words, &QTableWidget::itemChanged, this, &BannedWordsDialog::HandleWordChanged);
    connect(m_words, &QTableWidget::cellClicked, this,
            [this](int row, int column) { m_model.ClickWordRow(row, column); });
    connect(m_words->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { m_model.SetWordSelection(SelectedRows(m_words)); });
    connect(m_words, &QTableWidget::customContextMenuRequested, this,
            &BannedWordsDialog::PopUpCellMenu);

    m_warnings = new QTableWidget(0, 2, this);
    m_warnings->setObjectName(QStringLiteral("warningsList"));
    m_warnings->setHorizontalHeaderLabels({QString(), QStringLiteral("Warnings List")});
    m_warnings->verticalHeader()->hide();
    m_warnings->setColumnWidth(0, 28);
    m_warnings->horizontalHeader()->setStretchLastSection(true);
    m_warnings->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_warnings->setSelectionMode(QAbstractItemView::ExtendedSelection);
    EditOnClick(m_warnings);
    m_warnings->setItemDelegateForColumn(0, new TickBoxDelegate(m_warnings));
    connect(m_warnings, &QTableWidget::itemChanged, this, &BannedWordsDialog::HandleWarningChanged);
    connect(m_warnings, &QTableWidget::cellClicked, this,
            [this](int row, int) { m_model.ClickWarningRow(row); });
    connect(m_warnings->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { m_model.SetWarningSelection(SelectedRows(m_warnings)); });

    m_penalty = new QComboBox(this);
    m_penalty->setObjectName(QStringLiteral("defaultPenalty"));
    for (auto text : kPenaltyTexts)
        m_penalty->addItem(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
    connect(m_penalty, &QComboBox::activated, this, [this](int i) {
        m_model.SelectCombo(i);
        Render();
    });

    auto* newWord = NewButton(QStringLiteral("New Word"), QStringLiteral("newWord"), this);
    auto* deleteWord = NewButton(QStringLiteral("Delete Row"), QStringLiteral("deleteWord"), this);
    auto* zero = NewButton(QStringLiteral("Zero Count"), QStringLiteral("zeroCount"), this);
    auto* newWarning = NewButton(QStringLiteral("New Warning"), QStringLiteral("newWarning"), this);
    auto* deleteWarning =
        NewButton(QStringLiteral("Delete Row"), QStringLiteral("deleteWarning"), this);
    auto* ok = NewButton(QStringLiteral("OK"), QStringLiteral("bannedWordsOk"), this);
    auto* cancel = NewButton(QStringLiteral("Cancel"), QStringLiteral("bannedWordsCancel"), this);

    connect(newWord, &QPushButton::clicked, this, [this] {
        const int row = m_model.NewWord();
        Render();
        m_words->scrollToItem(m_words->item(row, 1));
    });
    connect(deleteWord, &QPushButton::clicked, this, [this] {
        m_model.DeleteWordRows();
        Render();
    });
    connect(zero, &QPushButton::clicked, this, [this] {
        m_model.ZeroCount();
        Render();
    });
    connect(newWarning, &QPushButton::clicked, this, [this] {
        const int row = m_model.NewWarning();
        Render();
        m_warnings->scrollToItem(m_warnings->item(row, 1));
    });
    connect(deleteWarning, &QPushButton::clicked, this, [this] {
        m_model.DeleteWarningRows();
        Render();
    });
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* wordsBox = new QGroupBox(QStringLiteral("Banned Words List"), this);
    auto* wordsLayout = new QVBoxLayout(wordsBox);
    wordsLayout->addWidget(m_words, 1);
    wordsLayout->addWidget(new QLabel(
        QStringLiteral("Ticked word = chatbot searches for whole word match only"), wordsBox));
    wordsLayout->addWidget(
        new QLabel(QStringLiteral("Right Click on a cell to change warning or action"), wordsBox));
    auto* wordButtons = new QHBoxLayout;
    wordButtons->addWidget(newWord);
    wordButtons->addWidget(deleteWord);
    wordButtons->addWidget(zero);
    wordButtons->addStretch(1);
    wordsLayout->addLayout(wordButtons);

    auto* warningsBox = new QGroupBox(QStringLiteral("Chat Warnings"), this);
    auto* warningsLayout = new QVBoxLayout(warningsBox);
    warningsLayout->addWidget(m_warnings, 1);
    auto* warningNote = new QLabel(
        QStringLiteral("A ticked warning will be used as default for new words"), warningsBox);
    warningNote->setWordWrap(true);
    warningsLayout->addWidget(warningNote);
    auto* warningButtons = new QHBoxLayout;
    warningButtons->addWidget(newWarning);
    warningButtons->addWidget(deleteWarning);
    warningButtons->addStretch(1);
    warningsLayout->addLayout(warningButtons);

    auto* penaltyBox = new QGroupBox(QStringLiteral("Default Penalty for new words"), this);
    auto* penaltyLayout = new QVBoxLayout(penaltyBox);
    penaltyLayout->addWidget(m_penalty);

    auto* exits = new QGridLayout;
    exits->addWidget(ok, 0, 0);
    exits->addWidget(new QLabel(QStringLiteral("Exit this dialog and save chatbot setup"), this), 0,
                     1);
    exits->addWidget(cancel, 1, 0);
    exits->addWidget(new QLabel(QStringLiteral("Exit discard any changes"), this), 1, 1);

    auto* side = new QVBoxLayout;
    side->addWidget(warningsBox, 1);
    side->addWidget(penaltyBox);
    side->addLayout(exits);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(wordsBox, 3);
    layout->addLayout(side, 2);
    resize(1000, 520);
    Render();
}

void BannedWordsDialog::Render() {
    m_rendering = true;
    {
        const QSignalBlocker blockWords(m_words);
        const auto& words = m_model.Words();
        m_words->setRowCount(static_cast<int>(words.size()));
        for (int r = 0; r < static_cast<int>(words.size()); ++r) {
            const auto& w = words[static_cast<size_t>(r)];
            m_words->setItem(r, CBannedWords::kTickColumn, NewTick(w.wholeWord));
            m_words->setItem(r, CBannedWords::kWordColumn, NewCell(FromWire(w.word), true));
            m_words->setItem(r, CBannedWords::kWarningColumn, NewCell(FromWire(w.warning), false));
            m_words->setItem(r, CBannedWords::kPuntPtsColumn, NewCell(FromWire(w.puntPts), false));
            auto* found = NewCell(FromWire(w.found), false);
            found->setTextAlignment(Qt::AlignCenter);
            m_words->setItem(r, CBannedWords::kFoundColumn, found);
        }
    }
    {
        const QSignalBlocker blockWarnings(m_warnings);
        const auto& warnings = m_model.Warnings();
        m_warnings->setRowCount(static_cast<int>(warnings.size()));
        for (int r = 0; r < static_cast<int>(warnings.size()); ++r) {
            const auto& w = warnings[static_cast<size_t>(r)];
            m_warnings->setItem(r, 0, NewTick(w.ticked));
            m_warnings->setItem(r, 1, NewCell(FromWire(w.text), true));
        }
    }
    const QSignalBlocker blockPenalty(m_penalty);
    m_penalty->setCurrentIndex(m_model.ComboSelection());
    m_rendering = false;
}

void BannedWordsDialog::RerenderLater() {
    // Not inside the item's own signal: the table is rebuilt.
    QMetaObject::invokeMethod(this, &BannedWordsDialog::Render, Qt::QueuedConnection);
}

void BannedWordsDialog::HandleWordChanged(QTableWidgetItem* item) {
    if (m_rendering || !item) return;
    if (item->column() == CBannedWords::kTickColumn) {
        m_model.SetWholeWord(item->row(), item->checkState() == Qt::Checked);
    } else if (item->column() == CBannedWords::kWordColumn) {
        const auto bytes = ToWire(item->text());
        if (bytes)
            m_model.EditWord(item->row(), *bytes);
        else
            Refuse(item->text());
    }
    RerenderLater();
}

void BannedWordsDialog::HandleWarningChanged(QTableWidgetItem* item) {
    if (m_rendering || !item) return;
    if (item->column() == 0) {
        m_model.SetWarningTick(item->row(), item->checkState() == Qt::Checked);
    } else {
        const auto bytes = ToWire(item->text());
        if (bytes)
            m_model.EditWarning(item->row(), *bytes);
        else
            Refuse(item->text());
    }
    RerenderLater();
}

void BannedWordsDialog::Refuse(const QString& text) {
    // The message names the character by its code point: it cannot quote it.
    m_dialogs.ShowMessage(ToWire(NotEncodableMessage(text)).value_or(std::string()));
}

void BannedWordsDialog::PopUpCellMenu(const QPoint& pos) {
    const QModelIndex index = m_words->indexAt(pos);
    if (!index.isValid()) return;
    const int row = index.row();
    const int column = index.column();
    const auto items = m_model.CellMenu(row, column);
    if (items.empty()) return;
    delete m_menu;
    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("bannedWordsCellMenu"));
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
        QAction* action = m_menu->addAction(FromWire(items[static_cast<size_t>(i)]));
        connect(action, &QAction::triggered, this, [this, row, column, i] {
            m_model.ChooseCellMenuItem(row, column, i);
            RerenderLater();
        });
    }
    m_menu->popup(m_words->viewport()->mapToGlobal(pos));
}

}  // namespace tavrin
