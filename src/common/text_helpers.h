#pragma once

// Small text helpers every subsystem uses. Texts are Windows-1252 bytes.

#include <string>
#include <string_view>

namespace tavrin {

inline bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

// `text` without the given characters (blanks by default) at both ends.
std::string_view Trim(std::string_view text, std::string_view chars = " ");

// A-Z lowered; every other byte kept.
std::string LowerAscii(std::string_view text);

// Lowered as Windows-1252 lowers it: A-Z, and the accented capitals
// (0xC0-0xDE but 0xD7, and 0x8A, 0x8C, 0x8E, 0x9F) to their small forms.
std::string LowerCase1252(std::string_view text);

}  // namespace tavrin
