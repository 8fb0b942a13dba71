#pragma once

#include <string_view>

namespace tavrin {

// How two cells of a list compare when a column header is clicked: as
// unsigned numbers when both read wholly as hexadecimal, else as decimal
// numbers (a single trailing "%" allowed), else as date-times, else byte by
// byte. Returns -1, 0 or 1.
int CompareCells(std::string_view a, std::string_view b);

}  // namespace tavrin
