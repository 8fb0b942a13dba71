#include "common/ui/log_viewer.h"

#include <QAction>
#include <QFontDatabase>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextDocument>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "common/log_pages.h"
#include "common/ui/log_pager.h"
#include "common/ui/text_codec.h"

namespace tavrin {
namespace {

// "Courier New" 14 pixels high where it is installed, else the desktop's
// own fixed-pitch font at that size.
QFont ViewerFont() {
    const QString courier = QStringLiteral("Courier New");
    QFont font = QFontDatabase::families().contains(courier)
                     ? QFont(courier)
                     : QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setPixelSize(14);
    return font;
}

// Each line of the text area is a block of its own, so the line end that
// closes the last line is the end of the view, not an empty line after it.
QString WithoutLastLineEnd(QString text) {
    if (text.endsWith(QLatin1Char('\n'))) text.chop(1);
    return text;
}

}  // namespace

LogViewer::LogViewer(EventLog& log, Kind kind, QWidget* parent)
    : LogViewer(log, kind, RunningSince(), parent) {}

LogViewer::LogViewer(EventLog& log, Kind kind, RunningSince runningSince, QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_log(log),
      m_kind(kind),
      m_runningSince(std::move(runningSince)) {
    setObjectName(kind == Kind::Event ? QStringLiteral("eventLogViewer")
                                      : QStringLiteral("chatLogViewer"));
    setWindowTitle(kind == Kind::Event ? QStringLiteral("Event Log") : QStringLiteral("Chat Log"));

    m_erase = new QAction(QStringLiteral("Erase window"), this);
    m_erase->setObjectName(QStringLiteral("eraseWindowAction"));
    connect(m_erase, &QAction::triggered, this, &LogViewer::EraseWindow);

    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("logViewerToolBar"));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_toolBar->addAction(m_erase);

    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("logText"));
    m_text->setReadOnly(true);
    m_text->setFont(ViewerFont());
    m_text->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_text, &QWidget::customContextMenuRequested, this, &LogViewer::ShowContextMenu);
    m_pager = new LogPager(m_text);
    connect(m_pager, &LogPager::endShown, this, [this](const QStringList& held) {
        for (const QString& live : held) m_text->appendPlainText(WithoutLastLineEnd(live));
        ScrollToEnd();
    });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolBar);
    layout->addWidget(m_text);

    move(kPlacement);
    resize(DefaultSize());
}

QSize LogViewer::DefaultSize() const {
    const QString separator = QStringLiteral("[00:00:00] ") + FromWire(kSeparatorEquals);
    const int line = m_text->fontMetrics().horizontalAdvance(separator);
    // The view wraps at its viewport less the document's margins; the
    // cursor and the frame take a few pixels more.
    const int margins = 2 * static_cast<int>(std::ceil(m_text->document()->documentMargin())) +
                        2 * m_text->frameWidth() + m_text->cursorWidth() + 2;
    const int width = line + margins + m_text->verticalScrollBar()->sizeHint().width();
    return QSize(std::max(kSize.width(), width), kSize.height());
}

void LogViewer::Review() {
    if (const auto large = LargeLogToReview(m_log, m_kind)) {
        setWindowTitle(FromWire(large->path));
        m_pager->ShowFromEnd(*large);
    } else {
        m_pager->Stop();
        const LogReview shown =
            ReviewLog(m_log, m_kind, m_runningSince ? m_runningSince() : std::string());
        setWindowTitle(FromWire(shown.caption));
        m_text->setPlainText(WithoutLastLineEnd(FromWire(shown.text)));
    }
    move(kPlacement);
    resize(DefaultSize());
    show();
    raise();
    activateWindow();
    ScrollToEnd();
}

void LogViewer::AppendLive(const QString& text) {
    if (!isVisible()) return;
    if (m_pager->WaitingForEnd()) {
        m_pager->Hold(text);
        return;
    }
    QScrollBar* bar = m_text->verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum();
    m_text->appendPlainText(WithoutLastLineEnd(text));
    if (atEnd) ScrollToEnd();
}

void LogViewer::EraseWindow() {
    m_pager->Stop();
    m_text->clear();
}

void LogViewer::ShowContextMenu(const QPoint& pos) {
    QMenu* menu = m_text->createStandardContextMenu(pos);
    menu->setObjectName(QStringLiteral("logViewerContextMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addSeparator();
    menu->addAction(m_erase);
    menu->popup(m_text->viewport()->mapToGlobal(pos));
}

void LogViewer::ScrollToEnd() {
    m_text->moveCursor(QTextCursor::End);
    m_text->verticalScrollBar()->setValue(m_text->verticalScrollBar()->maximum());
}

}  // namespace tavrin
