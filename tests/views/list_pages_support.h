#pragma once

// What the tests of the Players and Missions pages share: one application
// object, a page shown on the offscreen platform, popups chosen by their
// texts, and clicks on a list's rows and headers.

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QStringList>
#include <QTableView>
#include <QtTest>
#include <memory>
#include <optional>
#include <ostream>
#include <vector>

#include "common/ui/popup_chooser.h"

// Texts of failed expectations print as text.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& texts, std::ostream* out) {
    *out << '[' << texts.join(QStringLiteral("|")).toStdString() << ']';
}

namespace tavrin::testing {

class QtEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { m_app = std::make_unique<QApplication>(m_argc, m_argv); }
    void TearDown() override { m_app.reset(); }

  private:
    int m_argc = 1;
    char m_name[20] = "test_list_pages";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QApplication> m_app;
};

// Shows a widget at a size and lets its layouts settle.
inline void ShowAt(QWidget& widget, QSize size) {
    widget.resize(size);
    widget.show();
    QCoreApplication::processEvents();
}

// The action reached by following `path` through the menu's texts (submenu
// titles, then the item), or null.
inline QAction* FindAction(QMenu& menu, const QStringList& path) {
    QMenu* level = &menu;
    for (qsizetype i = 0; i < path.size(); ++i) {
        QAction* found = nullptr;
        for (QAction* action : level->actions())
            if (!action->isSeparator() && action->text() == path[i]) found = action;
        if (!found) return nullptr;
        if (i + 1 == path.size()) return found;
        level = found->menu();
        if (!level) return nullptr;
    }
    return nullptr;
}

// A popup chooser that takes the menu as built, remembers its texts, and
// chooses the entry at `path` (nothing when the path is empty or missing).
struct PathChooser {
    QStringList path;
    int shown = 0;
    QStringList topLevel;      // the top level's texts, separators as "-"
    QStringList submenuItems;  // the items of the first submenu opened by `path`
    std::vector<bool> submenuEnabled;
    QPoint at;

    PopupChooser Chooser() {
        return [this](QMenu& menu, const QPoint& globalPos) -> QAction* {
            ++shown;
            at = globalPos;
            topLevel.clear();
            for (QAction* a : menu.actions())
                topLevel << (a->isSeparator() ? QStringLiteral("-") : a->text());
            submenuItems.clear();
            submenuEnabled.clear();
            if (!path.isEmpty())
                if (QAction* head = FindAction(menu, {path.front()}); head && head->menu())
                    for (QAction* a : head->menu()->actions()) {
                        submenuItems << a->text();
                        submenuEnabled.push_back(a->isEnabled());
                    }
            return path.isEmpty() ? nullptr : FindAction(menu, path);
        };
    }
};

// The point of a row's cell in the view's viewport, scrolled into view.
inline QPoint CellPoint(QAbstractItemView& view, int row, int column = 1) {
    const QModelIndex index = view.model()->index(row, column);
    view.scrollTo(index);
    return view.visualRect(index).center();
}

// A right click as the desktop sends it: a context-menu event on the viewport.
inline void RightClick(QAbstractItemView& view, QPoint at) {
    QTest::mouseClick(view.viewport(), Qt::RightButton, {}, at);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, view.viewport()->mapToGlobal(at));
    QApplication::sendEvent(view.viewport(), &event);
}

// A double click as the desktop sends it: press, release, double-click, release
// (QTest's mouseDClick sends the double-click event alone).
inline void DoubleClick(QAbstractItemView& view, QPoint at) {
    QTest::mousePress(view.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, at);
}

inline void ClickHeader(QTableView& view, int section) {
    QHeaderView* header = view.horizontalHeader();
    const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

inline QString Cell(const QAbstractItemView& view, int row, int column) {
    return view.model()->index(row, column).data().toString();
}

inline QStringList Column(const QAbstractItemView& view, int column) {
    QStringList out;
    for (int r = 0; r < view.model()->rowCount(); ++r) out << Cell(view, r, column);
    return out;
}

// The row of the view whose `column` shows `text`, or -1.
inline int RowWith(const QAbstractItemView& view, int column, const QString& text) {
    for (int r = 0; r < view.model()->rowCount(); ++r)
        if (Cell(view, r, column) == text) return r;
    return -1;
}

}  // namespace tavrin::testing
