#pragma once

// Screenshots of the Settings and ChatBot pages for a person to look at:
// with TAVRIN_SCREENSHOT_DIR set, a widget is saved there as
// <name>-light.png and <name>-dark.png.

#include <QApplication>
#include <QDir>
#include <QPalette>
#include <QStyle>
#include <QWidget>
#include <utility>

namespace tavrin::testing {

inline bool ScreenshotsWanted() {
    return !qEnvironmentVariableIsEmpty("TAVRIN_SCREENSHOT_DIR");
}

inline QPalette DarkPagePalette() {
    QPalette p;
    const QColor text(222, 222, 222), dim(128, 128, 128);
    p.setColor(QPalette::Window, QColor(45, 45, 48));
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, QColor(30, 30, 30));
    p.setColor(QPalette::AlternateBase, QColor(45, 45, 48));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(55, 55, 58));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, Qt::white);
    p.setColor(QPalette::Highlight, QColor(42, 130, 218));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::PlaceholderText, dim);
    p.setColor(QPalette::Light, QColor(85, 85, 88));
    p.setColor(QPalette::Midlight, QColor(70, 70, 72));
    p.setColor(QPalette::Mid, QColor(95, 95, 98));
    p.setColor(QPalette::Dark, QColor(35, 35, 37));
    p.setColor(QPalette::Shadow, Qt::black);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, dim);
    return p;
}

// Returns false when a file could not be written.
inline bool SaveLightAndDark(QWidget& widget, const QString& name) {
    const QString dir = qEnvironmentVariable("TAVRIN_SCREENSHOT_DIR");
    if (dir.isEmpty()) return true;
    QDir().mkpath(dir);
    const QPalette light = QApplication::style()->standardPalette();
    bool ok = true;
    for (const auto& [suffix, palette] : {std::pair{QStringLiteral("light"), light},
                                          std::pair{QStringLiteral("dark"), DarkPagePalette()}}) {
        QApplication::setPalette(palette);
        QCoreApplication::processEvents();
        ok = widget.grab().save(dir + QLatin1Char('/') + name + QLatin1Char('-') + suffix +
                                QStringLiteral(".png")) &&
             ok;
    }
    QApplication::setPalette(light);
    return ok;
}

}  // namespace tavrin::testing
