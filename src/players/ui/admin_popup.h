#pragma once

#include <QPoint>
#include <QPointer>
#include <QWidget>

#include "common/ui/popup_chooser.h"
#include "players/context_menu.h"

class QMenu;

namespace tavrin {

// Fills `menu` with the entries of a popup tree: commands (their id as the
// action's data, greyed when disabled), separators and submenus, in order.
// Texts are decoded from Windows-1252 and shown as they are.
void FillMenu(QMenu& menu, const MenuLevel& items);

// The core's popup host for one right click: shows a CContextMenu as a QMenu
// at a point of the screen through a chooser and gives the chosen id.
class WidgetPopupMenus final : public PopupMenus {
  public:
    WidgetPopupMenus(QWidget* parent, QPoint globalPos, PopupChooser chooser)
        : m_parent(parent), m_globalPos(globalPos), m_chooser(std::move(chooser)) {}

    int TrackPopup(const CContextMenu& menu) override;

  private:
    QPointer<QWidget> m_parent;
    QPoint m_globalPos;
    PopupChooser m_chooser;
};

}  // namespace tavrin
