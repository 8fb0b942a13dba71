#pragma once

#include <string>
#include <string_view>

// Small text helpers of the Missions tab, kept in their own namespace so they
// never meet another subsystem's helpers of the same name at link time.
namespace tavrin::mission_text {

// Trims only " " at both ends.
std::string_view TrimBlanks(std::string_view text);

// Trims blanks, tabs, line ends, vertical tabs and form feeds at both ends.
std::string_view TrimWhiteSpace(std::string_view text);

// Removes every occurrence of `pattern` in one pass from left to right; text
// that a removal brings together is not searched again. An empty pattern
// changes nothing.
std::string RemoveAll(std::string_view text, std::string_view pattern);

}  // namespace tavrin::mission_text
