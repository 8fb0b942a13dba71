#pragma once

#include <QIcon>

namespace tavrin {

// The program's icon, drawn at every size it is asked for, so it stays sharp
// on any screen. packaging/tavrinrat.svg is the same drawing for the desktop.
QIcon AppIcon();

}  // namespace tavrin
