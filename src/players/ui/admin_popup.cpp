#include "players/ui/admin_popup.h"

#include <QMenu>

#include "common/ui/text_codec.h"

namespace tavrin {

void FillMenu(QMenu& menu, const MenuLevel& items) {
    for (const MenuItem& item : items) {
        switch (item.kind) {
            case MenuItem::Kind::Separator:
                menu.addSeparator();
                break;
            case MenuItem::Kind::Submenu: {
                QMenu* sub = menu.addMenu(MenuText(FromWire(item.text)));
                sub->setObjectName(QStringLiteral("submenu"));
                FillMenu(*sub, item.children);
                break;
            }
            case MenuItem::Kind::Command: {
                QAction* action = menu.addAction(MenuText(FromWire(item.text)));
                action->setData(item.id);
                action->setEnabled(item.enabled);
                if (!item.tip.empty()) {
                    action->setToolTip(FromWire(item.tip));
                    menu.setToolTipsVisible(true);
                }
                break;
            }
        }
    }
}

int WidgetPopupMenus::TrackPopup(const CContextMenu& menu) {
    QMenu popup(m_parent);
    popup.setObjectName(QStringLiteral("adminPopup"));
    FillMenu(popup, menu.Items());
    QAction* chosen = m_chooser ? m_chooser(popup, m_globalPos) : nullptr;
    return chosen ? chosen->data().toInt() : 0;
}

}  // namespace tavrin
