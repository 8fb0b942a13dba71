#pragma once

// Byte-text helpers of the ChatBot.

#include <string>
#include <string_view>

namespace tavrin {

// The text with every occurrence of `what` removed, found left to right
// without overlap; an empty `what` removes nothing.
std::string EraseAll(std::string_view text, std::string_view what);

// Lower case in the Windows-1252 code page: ASCII letters and the accented
// capitals (and the ligature) of that page; every other byte stays.
std::string LowerCase1252(std::string_view text);

}  // namespace tavrin
