#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrin::sim {

// The words of a line, split at any of `separators`; empty words are skipped.
std::vector<std::string_view> SplitWords(std::string_view line, std::string_view separators = " ");

// A whole non-negative decimal number no greater than `max` (digits only).
std::optional<int> ParseNumber(std::string_view text, int max = 999999999);

// Bytes from outside shown on one log or control line: a control byte
// becomes \xNN and a backslash \\, every other byte stays as it is. The
// result reads back through Unescape, so a logged text can be pasted into a
// control word.
std::string Escape(std::string_view bytes);

// The bytes a control word's text stands for: \r, \n, \t, \\ and \xNN (two
// hex digits) are replaced, everything else is taken as it is. Nothing when
// a backslash starts no such escape.
std::optional<std::string> Unescape(std::string_view text);

}  // namespace tavrin::sim
