#include "common/ui/icons.h"

#include <QHash>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace tavrin {
namespace {

// Drawn at twice the size, so a picture stays sharp on a high-density screen.
constexpr qreal kScale = 2.0;

// A fixed hue of the strip, lighter on a dark palette so that it stands out
// from the dark ground as the darker one does from a light ground.
QColor Hue(QColor light, QColor dark, const QPalette& palette) {
    return IsDarkPalette(palette) ? dark : light;
}

// The outline of a coloured shape: the palette's text colour, softened.
QPen Outline(const QPalette& palette) {
    QColor c = palette.color(QPalette::Text);
    c.setAlpha(150);
    return QPen(c, 1.0);
}

QPolygonF Triangle(QPointF a, QPointF b, QPointF c) {
    return QPolygonF({a, b, c});
}

void DrawTeamSquare(QPainter& p, const QColor& fill, const QPalette& palette) {
    p.setPen(Outline(palette));
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(2.5, 2.5, 11, 11), 2, 2);
}

void DrawTriangle(QPainter& p, const QPolygonF& shape, const QColor& fill, const QPen& pen) {
    p.setPen(pen);
    p.setBrush(fill);
    p.drawPolygon(shape);
}

// Two arrows chasing each other round a circle.
void DrawCirclingArrows(QPainter& p, const QPalette& palette) {
    const QColor c = palette.color(QPalette::Text);
    p.setPen(QPen(c, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    const QRectF ring(3, 3, 10, 10);
    p.drawArc(ring, 20 * 16, 140 * 16);
    p.drawArc(ring, 200 * 16, 140 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    // Heads at the arcs' ends (160° and 340°), pointing round the circle.
    p.drawPolygon(Triangle({0.8, 5.2}, {5.6, 5.0}, {3.0, 9.2}));
    p.drawPolygon(Triangle({15.2, 10.8}, {10.4, 11.0}, {13.0, 6.8}));
}

QPixmap Draw(int index, const QPalette& palette) {
    QPixmap pixmap(QSize(kPictureSide, kPictureSide) * kScale);
    pixmap.setDevicePixelRatio(kScale);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (index) {
        case kStripTeam1:
            DrawTeamSquare(p, Hue(QColor(0x2f, 0x62, 0xd0), QColor(0x6a, 0x9b, 0xff), palette),
                           palette);
            break;
        case kStripTeam2:
            DrawTeamSquare(p, Hue(QColor(0xd0, 0x33, 0x2c), QColor(0xff, 0x6b, 0x60), palette),
                           palette);
            break;
        case kStripSortAscending:
            DrawTriangle(p, Triangle({8, 4}, {13.5, 12}, {2.5, 12}),
                         palette.color(QPalette::ButtonText), Qt::NoPen);
            break;
        case kStripSortDescending:
            DrawTriangle(p, Triangle({2.5, 4}, {13.5, 4}, {8, 12}),
                         palette.color(QPalette::ButtonText), Qt::NoPen);
            break;
        case kStripCurrent:
            DrawTriangle(p, Triangle({4, 2.5}, {13.5, 8}, {4, 13.5}),
                         Hue(QColor(0x1f, 0x8a, 0x3e), QColor(0x6f, 0xe0, 0x8a), palette),
                         Outline(palette));
            break;
        case kStripNext:
            DrawTriangle(p, Triangle({12, 2.5}, {2.5, 8}, {12, 13.5}),
                         Hue(QColor(0xc8, 0x6a, 0x10), QColor(0xff, 0xb3, 0x5c), palette),
                         Outline(palette));
            break;
        case kStripFlipped:
            DrawCirclingArrows(p, palette);
            break;
        default:
            break;  // transparent
    }
    return pixmap;
}

}  // namespace

bool IsDarkPalette(const QPalette& palette) {
    return palette.color(QPalette::Base).lightness() < 128;
}

QPixmap StripPixmap(int index, const QPalette& palette) {
    if (index < 0 || index >= kStripSize) return {};
    // Lists ask for the same few pictures on every paint: keep them per palette.
    static QHash<quint64, QPixmap> cache;
    const quint64 key =
        (static_cast<quint64>(palette.cacheKey()) << 4) ^ static_cast<quint64>(index);
    auto found = cache.constFind(key);
    if (found != cache.constEnd()) return *found;
    if (cache.size() > 512) cache.clear();
    return *cache.insert(key, Draw(index, palette));
}

QVariant StripDecoration(int index, const QPalette& palette) {
    QPixmap pixmap = StripPixmap(index, palette);
    if (pixmap.isNull()) return {};
    // The same drawing on a selected row: a style would otherwise tint it
    // with the selection colour, and a red square would turn purple.
    QIcon icon(pixmap);
    icon.addPixmap(pixmap, QIcon::Selected);
    return icon;
}

QColor ListTint(Rgb tint, const QPalette& palette) {
    const QColor own(tint.r, tint.g, tint.b);
    if (!IsDarkPalette(palette)) return own;
    // A quarter of the tint over the dark base keeps its hue and the
    // palette's light text readable.
    const QColor base = palette.color(QPalette::Base);
    constexpr int kPart = 25;  // percent of the tint
    auto mix = [](int b, int t) { return (b * (100 - kPart) + t * kPart) / 100; };
    return QColor(mix(base.red(), own.red()), mix(base.green(), own.green()),
                  mix(base.blue(), own.blue()));
}

}  // namespace tavrin
