#pragma once

#include <QAbstractItemView>
#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QPoint>
#include <functional>
#include <optional>

namespace tavrin {

// Shows a popup menu at a point of the screen and gives the chosen action, or
// null when the person chose nothing. Pages run their popups through one, so
// that a test (or a screenshot) can take the menu as built and choose from it
// without a modal event loop; by default it is QMenu::exec.
using PopupChooser = std::function<QAction*(QMenu& menu, const QPoint& globalPos)>;

inline QAction* ExecPopup(QMenu& menu, const QPoint& globalPos) {
    return menu.exec(globalPos);
}

// Menu texts show '&' as a mnemonic marker; a text of the game is shown as it is.
inline QString MenuText(const QString& text) {
    QString shown = text;
    return shown.replace(QLatin1Char('&'), QLatin1String("&&"));
}

// The keys that open a list's popup without the mouse: the Menu key, and
// Shift+F10 as on the desktop the console comes from.
inline bool IsPopupKey(const QKeyEvent& event) {
    return event.key() == Qt::Key_Menu ||
           (event.key() == Qt::Key_F10 && event.modifiers() == Qt::ShiftModifier);
}

// Where a popup opened from the keyboard points, in the view's viewport: the
// middle of the current row's first visible cell; nothing without a current row.
inline std::optional<QPoint> KeyboardPopupPoint(const QAbstractItemView& view) {
    const QModelIndex current = view.currentIndex();
    if (!current.isValid()) return std::nullopt;
    const QRect cell = view.visualRect(current);
    if (cell.isEmpty()) return std::nullopt;
    return cell.center();
}

}  // namespace tavrin
