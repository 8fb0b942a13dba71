#pragma once

#include <QColor>
#include <QPalette>
#include <QPixmap>
#include <QVariant>

#include "common/view_types.h"

namespace tavrin {

// The pictures of the lists' image strip, by the numbers the models use.
enum StripPicture : int {
    kStripEmpty = 0,           // a transparent square: no team, or a cleared mark
    kStripTeam1 = 1,           // a blue square
    kStripTeam2 = 2,           // a red square
    kStripSortAscending = 4,   // a triangle pointing up
    kStripSortDescending = 5,  // a triangle pointing down
    kStripCurrent = 6,         // a triangle pointing right: the mission being played
    kStripNext = 7,            // a triangle pointing left: the next mission
    kStripFlipped = 9,         // two circling arrows: a flipped mission
};
inline constexpr int kStripSize = 13;

// The side of a picture in device-independent pixels.
inline constexpr int kPictureSide = 16;

// Picture `index` of the strip drawn in `palette`'s colours, on a transparent
// ground. A number of the strip without a drawing (3, 8, 10 to 12) is a
// transparent square, so the texts of a column stay aligned; a number outside
// the strip (kNoPicture, a team code such as 12) is a null pixmap.
QPixmap StripPixmap(int index, const QPalette& palette);

// The same as a model's DecorationRole value (an icon that looks the same on a
// selected row); empty for a null pixmap.
QVariant StripDecoration(int index, const QPalette& palette);

// The background of a list's rows. The lists have light tints of their own
// (pale green, lavender) that assume dark text; on a dark palette, where the
// text is light, such a tint would leave the text unreadable, so there the
// tint is mixed into the palette's own base colour instead: the same hue,
// dark enough for the palette's text.
QColor ListTint(Rgb tint, const QPalette& palette);

// True when the palette's base colour is dark (light text on a dark ground).
bool IsDarkPalette(const QPalette& palette);

}  // namespace tavrin
