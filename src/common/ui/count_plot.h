#pragma once

// The player-count plot that the Server tab and the History window draw
// alike: total, team 1 and team 2 as lines over time in the palette's
// colours, a legend along the top, a count axis with 0, half and top, and the
// time labels under it.

#include <QSize>
#include <QString>
#include <QStringList>
#include <vector>

class QPainter;
class QWidget;

namespace tavrin {

// One reading: `x` from 0 (the left end) to 1 (the right end). A reading
// whose `breakBefore` is set starts a new line (nothing was read between).
struct CountPlotPoint {
    double x = 0;
    int total = 0;
    int team1 = 0;
    int team2 = 0;
    bool breakBefore = false;
};

struct CountPlotLabels {
    // Two labels (the left and right ends) or three (with the middle, which
    // also gets a dotted grid line).
    QStringList time;
    // Shown in the middle when there is no reading.
    QString none;
};

// Paints the whole of `widget` (its palette and font).
void PaintCountPlot(QPainter& p, const QWidget& widget, const std::vector<CountPlotPoint>& points,
                    const CountPlotLabels& labels);

// The smallest size at which the plot and `widestTimeRow` stay readable.
QSize CountPlotMinimumSize(const QWidget& widget, const QString& widestTimeRow, int lines);

}  // namespace tavrin
