#pragma once

#include <QPoint>
#include <QSize>
#include <QString>
#include <QWidget>
#include <functional>
#include <string>

#include "common/event_log.h"
#include "common/log_review.h"

class QAction;
class QPlainTextEdit;
class QToolBar;

namespace tavrin {

class LogPager;

// One of the two log viewers: a modeless window with the day's event log or
// chat log in a read-only, fixed-pitch text area. It stays hidden until a
// review; closing it only hides it. While it is visible, lines appended with
// AppendLive show up at its end. "Erase window" (tool bar and context menu)
// empties the view, never the file.
class LogViewer final : public QWidget {
    Q_OBJECT

  public:
    using Kind = LogKind;  // Kind::Event or Kind::Chat

    // The Server tab's Connection Started text (Windows-1252 bytes), asked
    // for at each review of the event log: it goes into the continuation
    // header of a day that has no event log yet.
    using RunningSince = std::function<std::string()>;

    // `log` is the console's log: the event viewer's review writes the
    // continuation header through it. Without `runningSince` the header's
    // "Program Running Since " line ends there, as before any login.
    LogViewer(EventLog& log, Kind kind, QWidget* parent = nullptr);
    LogViewer(EventLog& log, Kind kind, RunningSince runningSince, QWidget* parent = nullptr);

    // Where a review places the window, and how large it makes it at least.
    static constexpr QPoint kPlacement{300, 300};
    static constexpr QSize kSize{500, 310};
    // kSize, widened where the viewer's font needs it so that a separator
    // line of the log ("[HH:MM:SS] " and 49 "=") is never wrapped.
    QSize DefaultSize() const;

  public slots:
    // The review buttons: today's log, reloaded whole, placed at kPlacement
    // in DefaultSize(), shown on top and scrolled to its end. A log larger
    // than a page is read on a thread of its own: its end shows first,
    // earlier pages as the view is scrolled to its top (LogPager).
    void Review();
    // A line (with or without its line end) or a block of lines just written
    // to this viewer's log. Ignored while the viewer is hidden: the next
    // review reads the whole file. The view follows the new text when it was
    // scrolled to its end.
    void AppendLive(const QString& text);
    // Empties the view; the file is left as it is.
    void EraseWindow();

  private:
    void ShowContextMenu(const QPoint& pos);
    void ScrollToEnd();

    EventLog& m_log;
    Kind m_kind;
    RunningSince m_runningSince;
    QToolBar* m_toolBar = nullptr;
    QPlainTextEdit* m_text = nullptr;
    QAction* m_erase = nullptr;
    LogPager* m_pager = nullptr;
};

}  // namespace tavrin
