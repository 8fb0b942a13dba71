#pragma once

namespace tavrin {

// A colour a view paints a list row or cell with.
struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;
    bool operator==(const Rgb&) const = default;
};

// A cell that shows no picture of the image strip.
inline constexpr int kNoPicture = -1;

}  // namespace tavrin
