#pragma once

// What the views tests do to widgets as a person would: find one by its
// object name, and type into it.

#include <QString>
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

}  // namespace tavrin::testing
