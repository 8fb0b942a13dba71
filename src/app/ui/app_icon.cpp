#include "app/ui/app_icon.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>

namespace tavrin {
namespace {

// The drawing on a 64 x 64 grid, as in packaging/tavrinrat.svg: a blue tile
// with a light sight ring, its four ticks and an amber centre.
void PaintIcon(QPainter& p, const QRectF& rect) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(rect.topLeft());
    p.scale(rect.width() / 64.0, rect.height() / 64.0);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1f, 0x4e, 0x79));
    p.drawRoundedRect(QRectF(4, 4, 56, 56), 12, 12);

    QPen line(QColor(0xe8, 0xf1, 0xf8), 4.0, Qt::SolidLine, Qt::RoundCap);
    p.setPen(line);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(32, 32), 17, 17);
    p.drawLine(QPointF(32, 10), QPointF(32, 20));
    p.drawLine(QPointF(32, 44), QPointF(32, 54));
    p.drawLine(QPointF(10, 32), QPointF(20, 32));
    p.drawLine(QPointF(44, 32), QPointF(54, 32));

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf2, 0xa3, 0x3a));
    p.drawEllipse(QPointF(32, 32), 6, 6);
    p.restore();
}

class IconEngine final : public QIconEngine {
  public:
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override {
        const int side = std::min(rect.width(), rect.height());
        const QRectF square(rect.x() + (rect.width() - side) / 2.0,
                            rect.y() + (rect.height() - side) / 2.0, side, side);
        PaintIcon(*painter, square);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap pm(size);
        pm.fill(Qt::transparent);
        QPainter painter(&pm);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return pm;
    }
    QIconEngine* clone() const override { return new IconEngine; }
};

}  // namespace

QIcon AppIcon() {
    return QIcon(new IconEngine);
}

}  // namespace tavrin
