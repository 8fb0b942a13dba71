#pragma once

// What the views tests do to widgets as a person would: find one by its
// object name, and type into it.

#include <QAction>
#include <QMenu>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <QtTest>

namespace tavrin::testing {

// The child of `parent` of type T with this object name; null when there is none.
template <class T>
T* Find(const QObject& parent, const QString& name) {
    return parent.findChild<T*>(name);
}
template <class T>
T* Find(const QObject& parent, const char* name) {
    return parent.findChild<T*>(QString::fromLatin1(name));
}

// Types as a person does, any character, as a keyboard layout or input
// method would give it.
inline void Type(QWidget* edit, const QString& text) {
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// The action at `path` in a popup: a submenu's title, then an item; null
// when the path leads nowhere.
inline QAction* ActionAt(QMenu& menu, const QStringList& path) {
    QMenu* in = &menu;
    for (qsizetype i = 0; i < path.size(); ++i) {
        QAction* found = nullptr;
        for (QAction* a : in->actions())
            if (a->text() == path[i]) found = a;
        if (!found || i + 1 == path.size()) return found;
        in = found->menu();
        if (!in) return nullptr;
    }
    return nullptr;
}

}  // namespace tavrin::testing
