#pragma once

#include <QLabel>

namespace tavrin {

// A read-only status field of the main window. It shows its text as plain
// text on one line: a text wider than the field is cut with an ellipsis (the
// whole text is in the tool tip), so a long reply never widens the window.
class StatusField final : public QLabel {
    Q_OBJECT

  public:
    explicit StatusField(const QString& objectName, QWidget* parent = nullptr);

    // The text and its tool tip.
    void SetFieldText(const QString& text);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace tavrin
