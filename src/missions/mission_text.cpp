#include "missions/mission_text.h"

#include <charconv>
#include <optional>

namespace tavrin::mission_text {
namespace {

std::string_view Trim(std::string_view text, std::string_view set) {
    size_t first = text.find_first_not_of(set);
    if (first == std::string_view::npos) return {};
    size_t last = text.find_last_not_of(set);
    return text.substr(first, last - first + 1);
}

}  // namespace

std::string_view TrimBlanks(std::string_view text) {
    return Trim(text, " ");
}

std::string_view TrimWhiteSpace(std::string_view text) {
    return Trim(text, " \t\n\v\f\r");
}

std::string RemoveAll(std::string_view text, std::string_view pattern) {
    if (pattern.empty()) return std::string(text);
    std::string out;
    out.reserve(text.size());
    size_t from = 0;
    for (size_t at; (at = text.find(pattern, from)) != std::string_view::npos;
         from = at + pattern.size())
        out.append(text, from, at - from);
    out.append(text, from);
    return out;
}

}  // namespace tavrin::mission_text
