#include "common/ui/log_pager.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>

#include "common/ui/text_codec.h"

namespace tavrin {

LogPager::LogPager(QPlainTextEdit* text)
    : QObject(text), m_text(text), m_reader(QStringLiteral("LogReview"), this) {
    // Pages are put in by the program, never undone; a record of each would
    // keep a second copy of the text.
    m_text->setUndoRedoEnabled(false);
    connect(&m_reader, &BackgroundFileReader::finished, this, &LogPager::PageRead);
    connect(m_text->verticalScrollBar(), &QScrollBar::valueChanged, this, &LogPager::ScrolledTo);
}

void LogPager::ShowFromEnd(const LargeLog& log) {
    Stop();
    m_text->clear();
    m_path = log.path;
    m_endPending = true;
    ReadPage(log.size);
}

void LogPager::Stop() {
    m_reader.Cancel();
    m_job = 0;
    m_loadedFrom = 0;
    m_endPending = false;
    m_held.clear();
    m_page.reset();
}

void LogPager::ReadPage(uint64_t end) {
    const uint64_t begin = PageBegin(end);
    auto page = std::make_shared<LogPage>(begin);
    m_page = page;
    // The page is touched by the reader's thread alone until its job ends.
    m_job = m_reader.Start(
        m_path, begin, end, [page](std::string_view bytes) { page->Feed(bytes); },
        static_cast<size_t>(kReviewPageBytes));
}

void LogPager::PageRead(quint64 job, BackgroundFileReader::Outcome outcome) {
    if (job != m_job) return;  // given up
    m_job = 0;
    const std::shared_ptr<LogPage> page = std::move(m_page);
    if (outcome != BackgroundFileReader::Outcome::Done) {
        m_loadedFrom = 0;
        if (m_endPending) {
            m_endPending = false;
            emit endShown(std::exchange(m_held, {}));
        }
        return;
    }
    QString text = FromWire(page->Text());
    m_loadedFrom = page->LineStart();
    if (m_endPending) {
        m_endPending = false;
        if (text.endsWith(QLatin1Char('\n'))) text.chop(1);
        m_text->setPlainText(text);
        emit endShown(std::exchange(m_held, {}));
        return;
    }
    // An earlier page goes before the first line; the view stays on the
    // line it showed.
    QScrollBar* bar = m_text->verticalScrollBar();
    const int blocksBefore = m_text->document()->blockCount();
    const int value = bar->value();
    QTextCursor cursor(m_text->document());
    cursor.movePosition(QTextCursor::Start);
    cursor.insertText(text);
    bar->setValue(value + m_text->document()->blockCount() - blocksBefore);
}

void LogPager::ScrolledTo(int value) {
    if (value != m_text->verticalScrollBar()->minimum() || m_job != 0 || m_loadedFrom == 0) return;
    ReadPage(m_loadedFrom);
}

}  // namespace tavrin
