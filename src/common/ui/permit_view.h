#pragma once

#include <QAction>
#include <QVariant>
#include <QWidget>

#include "common/control_permit.h"
#include "common/ui/text_codec.h"

namespace tavrin {

// Renders a control's permit: a forbidden control is disabled and its
// tooltip says why; an allowed one is as its page would have it (enabled
// when `enabledOtherwise`, with the tooltip it had before any permit). The
// page's own tooltip is kept aside the first time a permit is shown, so a
// later login that brings the right gives it back.
template <typename Control>
void ShowPermit(Control& control, const ControlPermit& permit, bool enabledOtherwise = true) {
    constexpr const char* kOwnTip = "tavrinOwnToolTip";
    QVariant own = control.property(kOwnTip);
    if (!own.isValid()) {
        own = control.toolTip();
        control.setProperty(kOwnTip, own);
    }
    control.setEnabled(enabledOtherwise && permit.allowed);
    control.setToolTip(permit.allowed ? own.toString() : FromWire(permit.tip));
}

// A page that sets a control's tooltip itself (the "cannot send now" of
// SetCanSend) tells it here, so the permit gives back that one.
template <typename Control>
void SetOwnToolTip(Control& control, const QString& tip, const ControlPermit& permit) {
    control.setProperty("tavrinOwnToolTip", tip);
    if (permit.allowed) control.setToolTip(tip);
}

}  // namespace tavrin
