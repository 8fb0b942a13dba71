#pragma once

// Checks of the lists' cells as a person meets them: does one click open a
// cell's editor, and can a row's tick box be told apart from its ground.

#include <QAbstractItemView>
#include <QImage>
#include <QLineEdit>
#include <QtTest>
#include <algorithm>
#include <cstdlib>

namespace tavrin::testing {

// Clicks the cell once and returns the editor that opened in it, if any.
inline QLineEdit* EditorAfterOneClick(QAbstractItemView* view, const QModelIndex& index) {
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier,
                      view->visualRect(index).center());
    for (auto* editor : view->viewport()->findChildren<QLineEdit*>())
        if (editor->isVisible()) return editor;
    return nullptr;
}

// The greatest difference in grey between any pixel of the cell's left part
// (where its tick box is) and the list's base colour.
inline int TickContrast(QAbstractItemView* view, const QModelIndex& index) {
    const QRect cell = view->visualRect(index);
    const QImage image = view->viewport()->grab(cell).toImage();
    const int base = qGray(view->palette().color(QPalette::Base).rgb());
    const int width = std::min(image.width(), cell.height() + 8);
    int most = 0;
    for (int y = 2; y < image.height() - 2; ++y)
        for (int x = 0; x < width; ++x)
            most = std::max(most, std::abs(qGray(image.pixel(x, y)) - base));
    return most;
}

}  // namespace tavrin::testing
