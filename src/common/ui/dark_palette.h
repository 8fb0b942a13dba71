#pragma once

#include <QPalette>

namespace tavrin {

// A dark palette like a desktop's dark theme: the dark pictures of
// --screenshots, and the views tests that check a page on a dark desktop.
QPalette DarkPalette();

}  // namespace tavrin
