#include "history/ui/history_window.h"

#include <QComboBox>
#include <QDateTime>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <ctime>

#include "common/ui/count_plot.h"
#include "common/ui/new_button.h"
#include "common/ui/text_codec.h"
#include "history/qt/history_reader.h"

namespace tavrin {
namespace {

template <size_t N>
QTableWidget* NewTable(const std::array<std::string_view, N>& headers, const char* objectName,
                       QWidget* parent) {
    auto* table = new QTableWidget(0, static_cast<int>(N), parent);
    table->setObjectName(QString::fromLatin1(objectName));
    QStringList labels;
    for (std::string_view h : headers) labels << FromWire(h);
    table->setHorizontalHeaderLabels(labels);
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setAlternatingRowColors(true);
    table->horizontalHeader()->setSectionResizeMode(static_cast<int>(N) - 1, QHeaderView::Stretch);
    table->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return table;
}

template <size_t N>
void FillRow(QTableWidget* table, int row, const std::array<std::string, N>& cells) {
    for (size_t c = 0; c < N; ++c) {
        auto* item = new QTableWidgetItem(FromWire(cells[c]));
        table->setItem(row, static_cast<int>(c), item);
    }
}

// Columns as wide as their texts, the last one taking the rest of the row.
// Columns as wide as their texts; the last takes the rest of the row.
void Fit(QTableWidget* table) {
    for (int c = 0; c + 1 < table->columnCount(); ++c) table->resizeColumnToContents(c);
}

}  // namespace

// ---------------------------------------------------------------------------
// The plot

HistoryCountPlot::HistoryCountPlot(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("historyPlot"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void HistoryCountPlot::Show(std::vector<CountBucket> buckets, QString startLabel,
                            QString endLabel) {
    m_buckets = std::move(buckets);
    m_start = std::move(startLabel);
    m_end = std::move(endLabel);
    update();
}

QSize HistoryCountPlot::sizeHint() const {
    return {520, 200};
}

QSize HistoryCountPlot::minimumSizeHint() const {
    return CountPlotMinimumSize(*this, QStringLiteral("0000-00-00 00:00  0000-00-00 00:00"), 7);
}

void HistoryCountPlot::paintEvent(QPaintEvent*) {
    // A bucket's peak stands at its middle; an empty bucket breaks the lines.
    std::vector<CountPlotPoint> points;
    const size_t n = m_buckets.size();
    bool gap = false;
    for (size_t i = 0; i < n; ++i) {
        const CountBucket& b = m_buckets[i];
        if (b.empty) {
            gap = true;
            continue;
        }
        points.push_back({(static_cast<double>(i) + 0.5) / static_cast<double>(n), b.total, b.team1,
                          b.team2, gap});
        gap = false;
    }
    QPainter p(this);
    PaintCountPlot(p, *this, points,
                   {{m_start, m_end}, QStringLiteral("No player counts in this range")});
}

// ---------------------------------------------------------------------------
// The window

HistoryWindow::HistoryWindow(HistoryReader& reader, QWidget* parent)
    : QWidget(parent, Qt::Window), m_reader(reader) {
    setObjectName(QStringLiteral("historyWindow"));
    setWindowTitle(QStringLiteral("History"));

    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("historySearch"));
    m_search->setPlaceholderText(QStringLiteral("Part of a name, on every server"));
    m_search->setClearButtonEnabled(true);
    m_searchButton = NewButton(QStringLiteral("Search"), "historySearchButton", this);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("historyStatus"));
    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(new QLabel(QStringLiteral("Player:"), this));
    searchRow->addWidget(m_search, 1);
    searchRow->addWidget(m_searchButton);
    searchRow->addWidget(m_status);

    m_playerTable = NewTable(kPlayerSummaryHeaders, "historyPlayers", this);
    m_sessions = NewTable(kSessionHeaders, "historySessions", this);
    m_sanctions = NewTable(kSanctionHeaders, "historySanctions", this);
    auto* sessionsGroup = new QGroupBox(QStringLiteral("Sessions"), this);
    sessionsGroup->setObjectName(QStringLiteral("historySessionsGroup"));
    (new QVBoxLayout(sessionsGroup))->addWidget(m_sessions);
    auto* sanctionsGroup = new QGroupBox(QStringLiteral("Sanctions"), this);
    sanctionsGroup->setObjectName(QStringLiteral("historySanctionsGroup"));
    (new QVBoxLayout(sanctionsGroup))->addWidget(m_sanctions);
    auto* record = new QSplitter(Qt::Horizontal, this);
    record->setObjectName(QStringLiteral("historyRecordSplitter"));
    record->addWidget(sessionsGroup);
    record->addWidget(sanctionsGroup);

    auto* plotGroup = new QGroupBox(QStringLiteral("Player counts"), this);
    plotGroup->setObjectName(QStringLiteral("historyPlotGroup"));
    m_rangeBox = new QComboBox(plotGroup);
    m_rangeBox->setObjectName(QStringLiteral("historyRange"));
    for (const HistoryRangeInfo& r : kHistoryRanges)
        m_rangeBox->addItem(FromWire(r.label), static_cast<int>(r.range));
    m_plotCaption =
        new QLabel(QStringLiteral("Choose a player to plot the counts of their server"), plotGroup);
    m_plotCaption->setObjectName(QStringLiteral("historyPlotCaption"));
    m_plot = new HistoryCountPlot(plotGroup);
    auto* rangeRow = new QHBoxLayout;
    rangeRow->addWidget(new QLabel(QStringLiteral("Range:"), plotGroup));
    rangeRow->addWidget(m_rangeBox);
    rangeRow->addWidget(m_plotCaption, 1);
    auto* plotLayout = new QVBoxLayout(plotGroup);
    plotLayout->addLayout(rangeRow);
    plotLayout->addWidget(m_plot, 1);

    auto* split = new QSplitter(Qt::Vertical, this);
    split->setObjectName(QStringLiteral("historySplitter"));
    split->addWidget(m_playerTable);
    split->addWidget(record);
    split->addWidget(plotGroup);
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 2);
    split->setStretchFactor(2, 3);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(searchRow);
    layout->addWidget(split, 1);
    resize(900, 760);

    connect(m_search, &QLineEdit::returnPressed, this, &HistoryWindow::Search);
    connect(m_searchButton, &QPushButton::clicked, this, &HistoryWindow::Search);
    connect(m_playerTable, &QTableWidget::currentCellChanged, this,
            [this](int row) { SelectPlayer(row); });
    connect(m_rangeBox, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0) SetRange(static_cast<HistoryRange>(m_rangeBox->itemData(index).toInt()));
    });
    connect(&m_reader, &HistoryReader::playersFound, this, &HistoryWindow::HandlePlayersFound);
    connect(&m_reader, &HistoryReader::playerRead, this, &HistoryWindow::HandlePlayerRead);
    connect(&m_reader, &HistoryReader::countsRead, this, &HistoryWindow::HandleCountsRead);
}

int64_t HistoryWindow::Now() const {
    return m_now ? m_now() : static_cast<int64_t>(std::time(nullptr));
}

int64_t HistoryWindow::Offset() const {
    return m_offset ? *m_offset : QDateTime::currentDateTime().offsetFromUtc();
}

void HistoryWindow::Search() {
    // A text Windows-1252 cannot hold is no name a server sent.
    const std::optional<std::string> part = ToWire(m_search->text().trimmed());
    m_status->setText(FromWire(SearchingText()));
    if (!part) {
        m_searchRequest = 0;
        HandlePlayersFound(0, {});
        return;
    }
    m_searchRequest = m_reader.FindPlayers(*part);
}

void HistoryWindow::HandlePlayersFound(quint64 request, const std::vector<PlayerSummary>& players) {
    if (request != m_searchRequest) return;  // an earlier search's answer
    m_players = players;
    m_status->setText(FromWire(SearchResultText(players.size())));
    const QSignalBlocker quiet(m_playerTable);
    m_playerTable->clearContents();
    m_playerTable->setRowCount(static_cast<int>(players.size()));
    const int64_t offset = Offset();
    for (size_t i = 0; i < players.size(); ++i)
        FillRow(m_playerTable, static_cast<int>(i), PlayerSummaryCells(players[i], offset));
    Fit(m_playerTable);
    m_playerTable->setCurrentCell(-1, -1);
    m_sessions->setRowCount(0);
    m_sanctions->setRowCount(0);
    if (!players.empty()) {
        m_playerTable->selectRow(0);
        SelectPlayer(0);
    }
}

void HistoryWindow::SelectPlayer(int row) {
    if (row < 0 || row >= static_cast<int>(m_players.size())) return;
    if (m_playerTable->currentRow() != row) {
        const QSignalBlocker quiet(m_playerTable);
        m_playerTable->selectRow(row);
    }
    const PlayerSummary& p = m_players[static_cast<size_t>(row)];
    m_playerRequest = m_reader.ReadPlayer(p.server, p.name);
    if (p.server != m_plotServer || m_countsRequest == 0) {
        m_plotServer = p.server;
        ReadCounts();
    }
}

void HistoryWindow::HandlePlayerRead(quint64 request, const std::vector<SessionRecord>& sessions,
                                     const std::vector<SanctionRecord>& sanctions) {
    if (request != m_playerRequest) return;
    const int64_t offset = Offset();
    m_sessions->setRowCount(static_cast<int>(sessions.size()));
    // The newest first: that is what an admin looks at.
    for (size_t i = 0; i < sessions.size(); ++i)
        FillRow(m_sessions, static_cast<int>(i),
                SessionCells(sessions[sessions.size() - 1 - i], offset));
    m_sanctions->setRowCount(static_cast<int>(sanctions.size()));
    for (size_t i = 0; i < sanctions.size(); ++i)
        FillRow(m_sanctions, static_cast<int>(i),
                SanctionCells(sanctions[sanctions.size() - 1 - i], offset));
    Fit(m_sessions);
    Fit(m_sanctions);
}

void HistoryWindow::SetRange(HistoryRange range) {
    m_range = range;
    const int index = m_rangeBox->findData(static_cast<int>(range));
    if (index != m_rangeBox->currentIndex()) {
        const QSignalBlocker quiet(m_rangeBox);
        m_rangeBox->setCurrentIndex(index);
    }
    if (!m_plotServer.empty()) ReadCounts();
}

void HistoryWindow::ReadCounts() {
    m_plotTo = Now();
    m_plotFrom = m_plotTo - RangeInfo(m_range).seconds;
    m_plotCaption->setText(FromWire(m_plotServer) + QStringLiteral(": ") +
                           FromWire(SearchingText()));
    m_countsRequest = m_reader.ReadCounts(m_plotServer, m_plotFrom, m_plotTo);
}

void HistoryWindow::HandleCountsRead(quint64 request, const std::vector<CountRecord>& counts) {
    if (request != m_countsRequest) return;
    const int64_t offset = Offset();
    auto buckets = BucketCounts(counts, m_plotFrom, m_plotTo, RangeInfo(m_range).buckets);
    m_plotCaption->setText(FromWire(m_plotServer) + QStringLiteral(": ") +
                           FromWire(PlotCaption(buckets, m_plotFrom, m_plotTo, offset)));
    m_plot->Show(std::move(buckets), FromWire(ShownTime(m_plotFrom, offset)),
                 FromWire(ShownTime(m_plotTo, offset)));
}

}  // namespace tavrin
