#pragma once

#include <QPushButton>
#include <QString>

namespace tavrin {

// A push button found by its object name. It never becomes a dialog's
// default button: Enter finishes an edit, it never presses a button.
inline QPushButton* NewButton(const QString& text, const QString& objectName, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

inline QPushButton* NewButton(const QString& text, const char* objectName, QWidget* parent) {
    return NewButton(text, QString::fromLatin1(objectName), parent);
}

}  // namespace tavrin
