#include "chatbot/ui/chatbot_page.h"

#include <QApplication>
#include <QClipboard>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <filesystem>
#include <set>

#include "chatbot/ui/banned_words_dialog.h"
#include "chatbot/ui/caught_window.h"
#include "common/ui/new_button.h"
#include "common/ui/permit_view.h"
#include "common/ui/text_codec.h"
#include "common/view_types.h"

namespace tavrin {

namespace {

enum ChatColumn { kImageColumn = 0, kTimeColumn, kTextColumn };
// The caught word's place in the line's text, as a QPoint (start, length).
constexpr int kSpanRole = Qt::UserRole + 1;

// A dot in a colour that stands out on light and dark lists alike.
QIcon StatusIcon(int image) {
    QColor colour(128, 128, 128);
    if (image == kImageClean) colour = QColor(46, 160, 67);
    if (image == kImageCaught) colour = QColor(214, 48, 49);
    QPixmap pixmap(12, 12);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(1, 1, 10, 10);
    return QIcon(pixmap);
}

QString StatusTip(int image) {
    if (image == kImageClean) return QStringLiteral("Matched: no banned word");
    if (image == kImageCaught) return QStringLiteral("Caught");
    return QStringLiteral("Shown, not matched");
}

// Draws a chat line with its caught word in the palette's highlight colours
// (bold and underlined when the row itself is selected).
class CaughtWordDelegate final : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QVariant span = index.data(kSpanRole);
        if (!span.isValid()) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem o = option;
        initStyleOption(&o, index);
        const QString text = o.text;
        o.text.clear();
        const QWidget* widget = o.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &o, painter, widget);

        const QPoint at = span.toPoint();
        const QString before = text.left(at.x());
        const QString word = text.mid(at.x(), at.y());
        const QString after = text.mid(at.x() + at.y());
        const bool selected = o.state & QStyle::State_Selected;
        const QPalette::ColorGroup group =
            o.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
        const QColor textColour =
            o.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);

        QRect r = style->subElementRect(QStyle::SE_ItemViewItemText, &o, widget);
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        r.adjust(margin, 0, -margin, 0);
        painter->save();
        painter->setClipRect(r);
        QFont wordFont = o.font;
        wordFont.setBold(true);
        if (selected) wordFont.setUnderline(true);
        const QFontMetrics plain(o.font);
        const QFontMetrics bold(wordFont);
        int x = r.left();
        painter->setFont(o.font);
        painter->setPen(textColour);
        painter->drawText(QRect(x, r.top(), r.width(), r.height()),
                          Qt::AlignVCenter | Qt::AlignLeft, before);
        x += plain.horizontalAdvance(before);
        const int wordWidth = bold.horizontalAdvance(word);
        if (!selected) {
            painter->fillRect(QRect(x, r.top() + 1, wordWidth + 2, r.height() - 2),
                              o.palette.color(group, QPalette::Highlight));
            painter->setPen(o.palette.color(group, QPalette::HighlightedText));
        }
        painter->setFont(wordFont);
        painter->drawText(QRect(x + 1, r.top(), wordWidth + 2, r.height()),
                          Qt::AlignVCenter | Qt::AlignLeft, word);
        x += wordWidth + 2;
        painter->setFont(o.font);
        painter->setPen(textColour);
        painter->drawText(QRect(x, r.top(), r.right() - x, r.height()),
                          Qt::AlignVCenter | Qt::AlignLeft, after);
        painter->restore();
    }
};

}  // namespace

ChatBotPage::ChatBotPage(CChatBot& chatBot, UserDialogs& dialogs, QWidget* parent)
    : QWidget(parent), m_chatBot(chatBot), m_dialogs(dialogs) {
    setObjectName(QStringLiteral("chatBotPage"));

    m_chat = new QTreeWidget(this);
    m_chat->setObjectName(QStringLiteral("chatList"));
    m_chat->setColumnCount(3);
    m_chat->setHeaderLabels({QString(), QStringLiteral("Time"), QStringLiteral("Text")});
    m_chat->setRootIsDecorated(false);
    m_chat->setUniformRowHeights(true);
    m_chat->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    m_chat->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_chat->setColumnWidth(kImageColumn, 28);
    m_chat->setColumnWidth(kTimeColumn, 84);
    m_chat->setItemDelegateForColumn(kTextColumn, new CaughtWordDelegate(m_chat));
    m_chat->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_chat, &QTreeWidget::customContextMenuRequested, this, &ChatBotPage::PopUpWarnMenu);
    auto* copy = new QShortcut(QKeySequence::Copy, m_chat, nullptr, nullptr, Qt::WidgetShortcut);
    connect(copy, &QShortcut::activated, this, &ChatBotPage::CopySelection);

    // Ctrl+F: a search bar over the chat list.
    m_findBar = new QWidget(this);
    m_find = new QLineEdit(m_findBar);
    m_find->setObjectName(QStringLiteral("chatFind"));
    m_find->setPlaceholderText(QStringLiteral("Find in chat (Enter: next, Esc: close)"));
    auto* findNextButton =
        NewButton(QStringLiteral("Find Next"), QStringLiteral("chatFindNext"), m_findBar);
    auto* findLayout = new QHBoxLayout(m_findBar);
    findLayout->setContentsMargins(0, 0, 0, 0);
    findLayout->addWidget(m_find, 1);
    findLayout->addWidget(findNextButton);
    m_findBar->hide();
    m_find->installEventFilter(this);
    connect(m_find, &QLineEdit::returnPressed, this, &ChatBotPage::FindNext);
    connect(findNextButton, &QPushButton::clicked, this, &ChatBotPage::FindNext);
    auto* find =
        new QShortcut(QKeySequence::Find, this, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
    connect(find, &QShortcut::activated, this, [this] {
        m_findBar->show();
        m_find->setFocus();
        m_find->selectAll();
    });

    auto* scanBox = new QGroupBox(QStringLiteral("Scan Data"), this);
    auto* scanLayout = new QFormLayout(scanBox);
    const std::pair<const char*, const char*> fields[] = {
        {"Pre Lines", "scanPreLines"},        {"Post Lines", "scanPostLines"},
        {"Known Length", "scanKnownLength"},  {"New Length", "scanNewLength"},
        {"Lines to Scan", "scanLinesToScan"}, {"Excess Lines", "scanExcessLines"}};
    for (const auto& [label, name] : fields) {
        auto* field = new QLineEdit(scanBox);
        field->setObjectName(QLatin1String(name));
        field->setReadOnly(true);
        field->setFocusPolicy(Qt::NoFocus);
        field->setMaximumWidth(90);
        scanLayout->addRow(QLatin1String(label), field);
        m_scanFields.push_back(field);
    }

    m_startStop = NewButton(QStringLiteral("Start ChatBot"), QStringLiteral("chatStartStop"), this);
    m_startStop->setCheckable(true);
    auto* request = NewButton(QStringLiteral("Request Chat"), QStringLiteral("chatRequest"), this);
    auto* viewWords =
        NewButton(QStringLiteral("View Banned Words"), QStringLiteral("chatViewBannedWords"), this);
    auto* viewCaught = NewButton(QStringLiteral("View Sanctioned Players"),
                                 QStringLiteral("chatViewCaught"), this);
    auto* scan = NewButton(QStringLiteral("Scan Chatlog"), QStringLiteral("chatScanChatlog"), this);
    auto* reset = NewButton(QStringLiteral("Reset ChatBot"), QStringLiteral("chatReset"), this);
    connect(m_startStop, &QPushButton::clicked, this, [this](bool on) {
        m_chatBot.SetOn(on);
        Refresh();
    });
    connect(request, &QPushButton::clicked, this, [this] { m_chatBot.RequestChat(); });
    connect(viewWords, &QPushButton::clicked, this, &ChatBotPage::OpenBannedWords);
    connect(viewCaught, &QPushButton::clicked, this, &ChatBotPage::ShowCaught);
    connect(scan, &QPushButton::clicked, this, &ChatBotPage::ScanChatlog);
    m_scanButton = scan;
    // A large chat log is read on a thread of its own; this shows how far.
    m_scanProgress = new QProgressBar(this);
    m_scanProgress->setObjectName(QStringLiteral("chatScanProgress"));
    m_scanProgress->setRange(0, 1000);
    m_scanProgress->setMaximumWidth(scan->sizeHint().width() * 2);
    m_scanProgress->hide();
    m_scanCancel = NewButton(QStringLiteral("Cancel Scan"), QStringLiteral("chatScanCancel"), this);
    m_scanCancel->hide();
    connect(m_scanCancel, &QPushButton::clicked, this, &ChatBotPage::CancelScan);
    connect(&m_scanReader, &BackgroundFileReader::progressed, this, &ChatBotPage::ScanProgressed);
    connect(&m_scanReader, &BackgroundFileReader::finished, this, &ChatBotPage::ScanFinished);
    connect(reset, &QPushButton::clicked, this, [this] {
        m_chatBot.Reset();
        Refresh();
    });

    m_sendText = new QLineEdit(this);
    m_sendText->setObjectName(QStringLiteral("chatSendText"));
    m_sendText->setPlaceholderText(QStringLiteral("Chat to the game ($ first: a server command)"));
    m_sendText->installEventFilter(this);
    auto* sendButton = NewButton(QStringLiteral("Send"), QStringLiteral("chatSend"), this);
    m_send = sendButton;
    connect(sendButton, &QPushButton::clicked, this, &ChatBotPage::Send);
    connect(m_sendText, &QLineEdit::returnPressed, this, &ChatBotPage::Send);

    auto* side = new QVBoxLayout;
    side->addWidget(m_startStop);
    side->addWidget(request);
    side->addWidget(viewWords);
    side->addWidget(viewCaught);
    side->addWidget(scan);
    side->addWidget(m_scanProgress);
    side->addWidget(m_scanCancel);
    side->addWidget(reset);
    side->addWidget(scanBox);
    side->addStretch(1);
    auto* sendRow = new QHBoxLayout;
    sendRow->addWidget(m_sendText, 1);
    sendRow->addWidget(sendButton);
    auto* left = new QVBoxLayout;
    left->addWidget(m_findBar);
    left->addWidget(m_chat, 1);
    left->addLayout(sendRow);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(side);

    m_caught = new CaughtWindow(m_chatBot.Shamed(), this);
    m_caught->hide();
    Refresh();
}

BannedWordsDialog* ChatBotPage::BannedWords() const {
    return m_bannedWords;
}

QMenu* ChatBotPage::WarnMenu() const {
    return m_warnMenu;
}

void ChatBotPage::Refresh() {
    m_startStop->setChecked(m_chatBot.IsOn());
    m_startStop->setText(QLatin1String(m_chatBot.StartStopLabel()));
    ShowStartStopPermit();
    RenderChat();
    RenderScanData();
    RefreshCaught();
}

void ChatBotPage::RefreshCaught() {
    m_caught->Refresh();
}

void ChatBotPage::RenderChat() {
    const auto& rows = m_chatBot.ChatRows();
    std::vector<std::string> keys;
    keys.reserve(rows.size());
    for (const auto& row : rows) keys.push_back(row.time + row.text);
    if (keys == m_shownKeys) {
        return;
    }
    // New lines come in at the top: the rows shown before move down by the
    // number of rows above the one that was on top.
    int shift = static_cast<int>(keys.size());
    if (!m_shownKeys.empty()) {
        for (size_t i = 0; i < keys.size(); ++i)
            if (keys[i] == m_shownKeys.front()) {
                shift = static_cast<int>(i);
                break;
            }
    }
    QScrollBar* bar = m_chat->verticalScrollBar();
    const bool atTop = bar->value() == bar->minimum();
    const int oldValue = bar->value();
    std::set<int> selected;
    for (const QModelIndex& index : m_chat->selectionModel()->selectedRows())
        selected.insert(index.row() + shift);

    m_chat->clear();
    QList<QTreeWidgetItem*> items;
    for (const auto& row : rows) {
        auto* item = new QTreeWidgetItem;
        item->setIcon(kImageColumn, StatusIcon(row.image));
        item->setToolTip(kImageColumn, StatusTip(row.image));
        item->setText(kTimeColumn, FromWire(row.time).trimmed());
        item->setTextAlignment(kTimeColumn, Qt::AlignCenter);
        item->setText(kTextColumn, FromWire(row.text));
        // A line wider than the list can still be read whole.
        item->setToolTip(kTextColumn, item->text(kTextColumn));
        if (!row.caught.empty()) {
            if (auto span = CaughtWordSpan(row.text, row.caught))
                item->setData(
                    kTextColumn, kSpanRole,
                    QPoint(static_cast<int>(span->start), static_cast<int>(span->length)));
        }
        items.push_back(item);
    }
    m_chat->addTopLevelItems(items);
    for (int r : selected)
        if (r < m_chat->topLevelItemCount()) m_chat->topLevelItem(r)->setSelected(true);
    // The scroll range follows the new rows now, not at the next layout.
    m_chat->doItemsLayout();
    bar->setValue(atTop ? bar->minimum() : oldValue + shift);
    m_shownKeys = std::move(keys);
}

void ChatBotPage::RenderScanData() {
    const ScanData& s = m_chatBot.Scan();
    const std::string* texts[] = {&s.preLines,  &s.postLines,   &s.knownLength,
                                  &s.newLength, &s.linesToScan, &s.excessLines};
    for (size_t i = 0; i < m_scanFields.size(); ++i) m_scanFields[i]->setText(FromWire(*texts[i]));
}

void ChatBotPage::SetCanSend(bool on) {
    m_canSend = on;
    const QString why = on ? QString() : FromWire(kSendNeedsGameMode);
    const ControlPermit& permit = m_permits.Get("chatSend");
    SetOwnToolTip(*m_send, why, permit);
    SetOwnToolTip(*m_sendText, why, permit);
    ShowPermit(*m_send, permit, on);
}

void ChatBotPage::SetPermits(const ControlPermits& permits) {
    m_permits = permits;
    const ControlPermit& send = m_permits.Get("chatSend");
    ShowPermit(*m_send, send, m_canSend);
    // The box keeps taking text; its tooltip says why Send is off.
    ShowPermit(*m_sendText, send);
    m_sendText->setEnabled(true);
    ShowStartStopPermit();
}

void ChatBotPage::ShowStartStopPermit() {
    // The permit holds back a start: a ChatBot that runs can always be stopped.
    ShowPermit(*m_startStop, m_chatBot.IsOn() ? ControlPermit{} : m_permits.Get("chatStartStop"));
}

void ChatBotPage::Send() {
    // What is typed stays for when it can go out.
    if (!m_canSend || !m_permits.Allowed("chatSend")) return;
    const QString text = m_sendText->text();
    const auto bytes = ToWire(text);
    if (!bytes) {
        m_dialogs.ShowMessage(ToWire(NotEncodableMessage(text)).value_or(std::string()));
        return;
    }
    m_chatBot.Send(*bytes);
    if (!bytes->empty()) m_history.Add(*bytes);
    m_sendText->clear();
}

void ChatBotPage::OpenBannedWords() {
    if (m_bannedWords) {
        m_bannedWords->raise();
        return;
    }
    auto* dialog = new BannedWordsDialog(m_chatBot.OpenBannedWords(), m_dialogs, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_bannedWords = dialog;
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        m_chatBot.AcceptBannedWords(dialog->Result());
        Refresh();
    });
    dialog->open();
}

void ChatBotPage::ShowCaught() {
    m_chatBot.Shamed().Show();
    m_caught->Refresh();
    m_caught->show();
    m_caught->raise();
}

void ChatBotPage::ScanChatlog() {
    if (m_scan) return;
    auto job = m_chatBot.BeginScan();
    if (!job) return;
    std::error_code error;
    const auto size = std::filesystem::file_size(job->path, error);
    if (error || size <= kScanAtOnceBytes) {
        m_chatBot.ScanFile(*job);
        Refresh();
        return;
    }
    // The replay is the reader's alone until its job ends; nothing of the
    // live chat changes before then.
    auto replay = std::make_shared<ChatLogReplay>(job->words, job->stamp);
    const uint64_t id =
        m_scanReader.Start(job->path, 0, BackgroundFileReader::kToEnd,
                           [replay](std::string_view bytes) { replay->Feed(bytes); });
    m_scan = RunningScan{id, std::move(*job), std::move(replay)};
    m_scanProgress->setValue(0);
    m_scanProgress->show();
    m_scanCancel->show();
    m_scanButton->setEnabled(false);
}

void ChatBotPage::ScanProgressed(quint64 job, qint64 done, qint64 total) {
    if (!m_scan || m_scan->id != job || total <= 0) return;
    m_scanProgress->setValue(static_cast<int>(done * 1000 / total));
}

void ChatBotPage::ScanFinished(quint64 job, BackgroundFileReader::Outcome outcome) {
    if (!m_scan || m_scan->id != job) return;
    RunningScan scan = std::move(*m_scan);
    EndScan();
    if (outcome == BackgroundFileReader::Outcome::Done) {
        m_chatBot.FinishScan(scan.job, *scan.replay);
        Refresh();
        RefreshCaught();
    } else if (outcome == BackgroundFileReader::Outcome::Unreadable) {
        m_chatBot.ScanFailed(scan.job.path);
    }
}

void ChatBotPage::CancelScan() {
    if (!m_scan) return;
    m_scanReader.Cancel();
    EndScan();
}

void ChatBotPage::EndScan() {
    m_scan.reset();
    m_scanProgress->hide();
    m_scanCancel->hide();
    m_scanButton->setEnabled(true);
}

void ChatBotPage::PopUpWarnMenu(const QPoint& pos) {
    QTreeWidgetItem* item = m_chat->itemAt(pos);
    const int row = item ? m_chat->indexOfTopLevelItem(item) : -1;
    delete m_warnMenu;
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("chatWarnMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    if (const auto offer = m_chatBot.MenuForChatRow(row)) {
        QMenu* warn = menu->addMenu(QStringLiteral("Warn ") + FromWire(offer->speaker));
        warn->setObjectName(QStringLiteral("chatWarnWarnings"));
        const ControlPermit& permit = m_permits.Get("chatWarnWarnings");
        if (!permit.allowed) warn->setToolTipsVisible(true);
        for (const auto& text : offer->warnings) {
            const std::string speaker = offer->speaker;
            QAction* action = warn->addAction(FromWire(text));
            ShowPermit(*action, permit);
            connect(action, &QAction::triggered, this,
                    [this, speaker, text] { m_chatBot.WarnSpeaker(speaker, text); });
        }
        menu->addSeparator();
    }
    QAction* copy = menu->addAction(QStringLiteral("Copy"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setEnabled(!m_chat->selectedItems().isEmpty());
    connect(copy, &QAction::triggered, this, &ChatBotPage::CopySelection);
    m_warnMenu = menu;
    menu->popup(m_chat->viewport()->mapToGlobal(pos));
}

void ChatBotPage::FindNext() {
    const auto needle = ToWire(m_find->text());
    if (!needle) return;
    std::vector<std::string> texts;
    for (const auto& row : m_chatBot.ChatRows()) texts.push_back(row.time + row.text);
    QTreeWidgetItem* current = m_chat->currentItem();
    const size_t from = current ? static_cast<size_t>(m_chat->indexOfTopLevelItem(current)) + 1 : 0;
    const auto found = FindChatText(texts, *needle, from);
    if (!found) return;
    QTreeWidgetItem* item = m_chat->topLevelItem(static_cast<int>(*found));
    m_chat->clearSelection();
    m_chat->setCurrentItem(item);
    item->setSelected(true);
    m_chat->scrollToItem(item);
}

void ChatBotPage::CopySelection() {
    QStringList lines;
    for (int r = 0; r < m_chat->topLevelItemCount(); ++r) {
        const QTreeWidgetItem* item = m_chat->topLevelItem(r);
        if (item->isSelected())
            lines << item->text(kTimeColumn) + QLatin1Char(' ') + item->text(kTextColumn);
    }
    if (!lines.isEmpty()) QApplication::clipboard()->setText(lines.join(QLatin1Char('\n')));
}

bool ChatBotPage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (watched == m_sendText && (key == Qt::Key_Up || key == Qt::Key_Down)) {
            std::optional<std::string> text;
            if (key == Qt::Key_Up) {
                text = m_history.Older(ToWire(m_sendText->text()).value_or(std::string()));
            } else {
                text = m_history.Newer();
            }
            if (text) m_sendText->setText(FromWire(*text));
            return true;
        }
        if (watched == m_find && key == Qt::Key_Escape) {
            m_findBar->hide();
            m_chat->setFocus();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace tavrin
