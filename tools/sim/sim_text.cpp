#include "sim/sim_text.h"

namespace tavrin::sim {

std::vector<std::string_view> SplitWords(std::string_view line, std::string_view separators) {
    std::vector<std::string_view> words;
    size_t i = 0;
    while ((i = line.find_first_not_of(separators, i)) != std::string_view::npos) {
        const size_t end = std::min(line.find_first_of(separators, i), line.size());
        words.push_back(line.substr(i, end - i));
        i = end;
    }
    return words;
}

std::optional<int> ParseNumber(std::string_view text, int max) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    int n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + (c - '0');
    }
    if (n > max) return std::nullopt;
    return n;
}

}  // namespace tavrin::sim
