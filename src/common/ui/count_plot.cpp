#include "common/ui/count_plot.h"

#include <QPainter>
#include <QPainterPath>
#include <QWidget>
#include <algorithm>
#include <array>

namespace tavrin {
namespace {

constexpr int kMargin = 6;
constexpr int kLegendLine = 18;

// One line of the plot and its legend entry.
struct Series {
    const char* name;
    QPalette::ColorRole role;
    qreal width;
    Qt::PenStyle style;
    int CountPlotPoint::*count;
};

// Total in the text colour, the teams in two accent colours of the palette;
// the dashes keep team 2 apart where a palette's two accents look alike.
constexpr std::array<Series, 3> kSeries{{
    {"Total", QPalette::Text, 2.0, Qt::SolidLine, &CountPlotPoint::total},
    {"Team 1", QPalette::Highlight, 1.5, Qt::SolidLine, &CountPlotPoint::team1},
    {"Team 2", QPalette::LinkVisited, 1.5, Qt::DashLine, &CountPlotPoint::team2},
}};

// The top of the count axis: a multiple of 4 above the peak, so the middle
// grid line falls on a whole count.
int AxisTop(const std::vector<CountPlotPoint>& points) {
    int peak = 0;
    for (const CountPlotPoint& point : points)
        peak = std::max({peak, point.total, point.team1, point.team2});
    return std::max(4, (peak / 4 + 1) * 4);
}

}  // namespace

QSize CountPlotMinimumSize(const QWidget& widget, const QString& widestTimeRow, int lines) {
    const QFontMetrics fm(widget.font());
    return {fm.horizontalAdvance(widestTimeRow) + 4 * kMargin, lines * fm.height()};
}

void PaintCountPlot(QPainter& p, const QWidget& widget, const std::vector<CountPlotPoint>& points,
                    const CountPlotLabels& labels) {
    p.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = widget.palette();
    const QFontMetrics fm(widget.font());
    const QColor text = pal.color(QPalette::Text);
    const QColor grid = pal.color(QPalette::Mid);
    const QRect whole = widget.rect();
    p.fillRect(whole, pal.color(QPalette::Base));
    p.setPen(grid);
    p.drawRect(whole.adjusted(0, 0, -1, -1));

    // Legend along the top.
    int x = kMargin;
    const int legendMiddle = kMargin + fm.height() / 2;
    for (const Series& s : kSeries) {
        p.setPen(QPen(pal.color(s.role), s.width, s.style, Qt::FlatCap));
        p.drawLine(x, legendMiddle, x + kLegendLine, legendMiddle);
        x += kLegendLine + 4;
        const QString name = QString::fromLatin1(s.name);
        p.setPen(text);
        p.drawText(x, kMargin + fm.ascent(), name);
        x += fm.horizontalAdvance(name) + 3 * kMargin;
    }

    const int top = AxisTop(points);
    const int labelWidth = fm.horizontalAdvance(QString::number(top));
    const QRect plot(
        QPoint(kMargin + labelWidth + 4, kMargin + fm.height() + kMargin),
        QPoint(whole.width() - 1 - kMargin - fm.horizontalAdvance(QLatin1Char('0')) / 2,
               whole.height() - 1 - kMargin - fm.height() - 2));
    if (plot.width() < 10 || plot.height() < 10) return;

    // Count grid and labels: 0, half and top.
    for (int count : {0, top / 2, top}) {
        const int y = plot.bottom() - count * plot.height() / top;
        p.setPen(QPen(grid, 1, count == 0 ? Qt::SolidLine : Qt::DotLine));
        p.drawLine(plot.left(), y, plot.right(), y);
        p.setPen(text);
        p.drawText(QRect(kMargin, y - fm.height() / 2, labelWidth, fm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, QString::number(count));
    }
    // Time grid and labels.
    if (labels.time.size() == 3) {
        p.setPen(QPen(grid, 1, Qt::DotLine));
        p.drawLine(plot.center().x(), plot.top(), plot.center().x(), plot.bottom());
    }
    p.setPen(QPen(grid, 1));
    p.drawLine(plot.left(), plot.top(), plot.left(), plot.bottom());
    p.setPen(text);
    const QRect timeRow(plot.left(), plot.bottom() + 2, plot.width(), fm.height());
    if (!labels.time.isEmpty()) {
        p.drawText(timeRow, Qt::AlignLeft | Qt::AlignTop, labels.time.front());
        p.drawText(timeRow, Qt::AlignRight | Qt::AlignTop, labels.time.back());
        if (labels.time.size() == 3)
            p.drawText(timeRow, Qt::AlignHCenter | Qt::AlignTop, labels.time[1]);
    }

    if (points.empty()) {
        p.setPen(pal.color(QPalette::PlaceholderText));
        p.drawText(plot, Qt::AlignCenter, labels.none);
        return;
    }
    auto at = [&](const CountPlotPoint& point, int count) {
        return QPointF(plot.left() + point.x * plot.width(),
                       plot.bottom() - static_cast<qreal>(count) * plot.height() / top);
    };
    p.setClipRect(plot.adjusted(-3, -3, 3, 3));
    // Team lines first, so the total stays on top.
    for (auto s = kSeries.rbegin(); s != kSeries.rend(); ++s) {
        const QColor colour = pal.color(s->role);
        QPainterPath path;
        for (size_t i = 0; i < points.size(); ++i) {
            const QPointF point = at(points[i], points[i].*(s->count));
            const bool runStarts = i == 0 || points[i].breakBefore;
            const bool runEnds = i + 1 == points.size() || points[i + 1].breakBefore;
            if (runStarts)
                path.moveTo(point);
            else
                path.lineTo(point);
            // A reading with no neighbour to join is a dot.
            if (runStarts && runEnds) {
                p.setPen(Qt::NoPen);
                p.setBrush(colour);
                p.drawEllipse(point, s->width + 1.5, s->width + 1.5);
            }
        }
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(colour, s->width, s->style, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(path);
    }
}

}  // namespace tavrin
