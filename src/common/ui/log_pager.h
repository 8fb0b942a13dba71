#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <string>

#include "common/log_pages.h"
#include "common/qt/background_file_reader.h"

class QPlainTextEdit;

namespace tavrin {

// Fills a log viewer's text area with a large log away from the main thread:
// the last page first, then, each time the view is scrolled to its top, the
// page before, until the file's start. The reading runs on the "LogReview"
// thread; the main thread only puts each page's text into the view.
class LogPager final : public QObject {
    Q_OBJECT

  public:
    explicit LogPager(QPlainTextEdit* text);

    // Empties the view and reads `log`'s last page into it.
    void ShowFromEnd(const LargeLog& log);
    // No more pages come: the view was erased or shows something else.
    void Stop();
    // Whether the last page is still being read. Lines written meanwhile lie
    // past the part being read: Hold keeps them for the view until it comes.
    bool WaitingForEnd() const { return m_job != 0 && m_endPending; }
    void Hold(const QString& live) { m_held.append(live); }
    // Whether every byte from the file's start is in the view.
    bool AtFileStart() const { return m_loadedFrom == 0 && m_job == 0; }

  signals:
    // The last page is in the view, with the lines held meanwhile after it.
    void endShown(const QStringList& held);

  private:
    void ReadPage(uint64_t end);
    void PageRead(quint64 job, BackgroundFileReader::Outcome outcome);
    void ScrolledTo(int value);

    QPlainTextEdit* m_text;
    BackgroundFileReader m_reader;
    std::string m_path;
    uint64_t m_loadedFrom = 0;  // the view holds the file from here on
    uint64_t m_job = 0;         // the page being read; 0 for none
    bool m_endPending = false;  // that page is the last one
    std::shared_ptr<LogPage> m_page;
    QStringList m_held;
};

}  // namespace tavrin
