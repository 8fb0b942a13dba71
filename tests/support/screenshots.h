#pragma once

// Pictures for a person to look at, from the views tests: with
// TAVRIN_SCREENSHOT_DIR=DIR set, a test saves what it shows as DIR/<name>.png
// (most in the light and the dark palette, as <name>-light.png and
// <name>-dark.png); without it a picture test is skipped. The whole program's
// pictures come from `tavrinrat --screenshots DIR` (scripts/screenshots.sh),
// in the same two palettes.

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QPixmap>
#include <QStyle>
#include <QWidget>
#include <utility>

#include "common/ui/dark_palette.h"

namespace tavrin::testing {

inline constexpr char kScreenshotDirVariable[] = "TAVRIN_SCREENSHOT_DIR";

// Where pictures go; empty when none are wanted.
inline QString ScreenshotDir() {
    return qEnvironmentVariable(kScreenshotDirVariable);
}

inline bool ScreenshotsWanted() {
    return !ScreenshotDir().isEmpty();
}

// Saves `picture` as DIR/<name>.png; false when the file could not be
// written. Nothing is saved, and true returned, when no pictures are wanted.
inline bool SavePicture(const QPixmap& picture, const QString& name) {
    const QString dir = ScreenshotDir();
    if (dir.isEmpty()) return true;
    QDir().mkpath(dir);
    return picture.save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

// `widget` in the style's light palette and in the dark one, as
// <name>-light.png and <name>-dark.png; the light palette is left in place.
inline bool SaveLightAndDark(QWidget& widget, const QString& name) {
    if (!ScreenshotsWanted()) return true;
    const QPalette light = QApplication::style()->standardPalette();
    bool ok = true;
    for (const auto& [suffix, palette] : {std::pair{QStringLiteral("light"), light},
                                          std::pair{QStringLiteral("dark"), DarkPalette()}}) {
        QApplication::setPalette(palette);
        QCoreApplication::processEvents();
        ok = SavePicture(widget.grab(), name + QLatin1Char('-') + suffix) && ok;
    }
    QApplication::setPalette(light);
    return ok;
}

}  // namespace tavrin::testing
