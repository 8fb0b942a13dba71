#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace tavrin::sim {

// The words of a line, split at any of `separators`; empty words are skipped.
std::vector<std::string_view> SplitWords(std::string_view line, std::string_view separators = " ");

// A whole non-negative decimal number no greater than `max` (digits only).
std::optional<int> ParseNumber(std::string_view text, int max = 999999999);

}  // namespace tavrin::sim
