#include "app/ui/status_field.h"

#include <QPainter>
#include <QStyle>

namespace tavrin {

StatusField::StatusField(const QString& objectName, QWidget* parent) : QLabel(parent) {
    setObjectName(objectName);
    // Field texts come from the server: never read as rich text.
    setTextFormat(Qt::PlainText);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setMargin(2);
}

void StatusField::SetFieldText(const QString& text) {
    setText(text);
    setToolTip(text);
}

QSize StatusField::sizeHint() const {
    const QFontMetrics fm = fontMetrics();
    // Room for about twenty characters; the layout gives the rest.
    const int frame = 2 * (frameWidth() + margin()) + 4;
    return {fm.averageCharWidth() * 20 + frame, fm.height() + frame};
}

QSize StatusField::minimumSizeHint() const {
    const QFontMetrics fm = fontMetrics();
    const int frame = 2 * (frameWidth() + margin()) + 4;
    return {fm.averageCharWidth() * 6 + frame, fm.height() + frame};
}

void StatusField::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawFrame(&painter);
    const QRect area = contentsRect().adjusted(margin() + 2, margin(), -margin() - 2, -margin());
    // One line: line breaks in a server's text show as blanks.
    QString line = text();
    line.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    const QString shown = fontMetrics().elidedText(line, Qt::ElideRight, area.width());
    style()->drawItemText(&painter, area, Qt::AlignVCenter | Qt::AlignLeft, palette(), isEnabled(),
                          shown, foregroundRole());
}

}  // namespace tavrin
