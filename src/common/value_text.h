#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tavrin {

// Decimal digits, with a leading "-" for negative values.
std::string IntToText(int32_t n);

// Skips leading white space, takes an optional sign and the decimal digits up
// to the first other character. No digits gives 0; values beyond 32 bits stop
// at the 32-bit limits.
int32_t TextToInt(std::string_view text);

// "true" when the byte is exactly 1, "false" otherwise.
std::string BoolToText(uint8_t flag);

// Upper-case hexadecimal of the 32-bit value (two's complement for negative
// values), padded on the left to at least four digits.
std::string IntToHex4(int32_t n);

// Hexadecimal value of the text. Stops at the end, at a character above 127
// or at one whose digit value comes out at 16 or more; other non-digits enter
// the sum with the value the digit arithmetic gives them.
uint32_t HexToInt(std::string_view text);

// The value after "\key\" in a backslash-delimited text, up to the next
// backslash; "Failed" when the key is absent or the value is not closed.
std::string GetKeyValue(std::string_view text, std::string_view key);

inline constexpr std::string_view kFailed = "Failed";

}  // namespace tavrin
