#pragma once

#include <QWidget>

#include "app/console.h"
#include "app/ui/console_signals.h"

class QAction;
class QPlainTextEdit;

namespace tavrin {

// The information window: the console's state dump in a fixed-pitch font.
// While AutoSysUpdate is on ("AutoRefresh" in its context menu) every clock
// tick shows the dump anew; the caption tells which.
class InfoWindow final : public QWidget {
    Q_OBJECT

  public:
    InfoWindow(Console& console, ConsoleSignals& consoleSignals, QWidget* parent = nullptr);

    // The "AutoRefresh" item, checked while AutoSysUpdate is on.

  public slots:
    // The "System Variables" command: one dump whatever AutoSysUpdate says,
    // then the window is shown.
    void ShowSystemVariables();
    // The "AutoRefresh" item: AutoSysUpdate on or off.
    void ToggleAutoRefresh();

  private:
    void HandleClockTick();
    void ShowDump(const std::string& dump);
    void ShowAutoRefresh();
    void ShowContextMenu(const QPoint& at);

    Console& m_console;
    QPlainTextEdit* m_text = nullptr;
    QAction* m_autoRefresh = nullptr;
};

}  // namespace tavrin
