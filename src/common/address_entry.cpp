#include "common/address_entry.h"

#include <algorithm>

namespace tavrin {
namespace {

constexpr size_t kMaxHostName = 253;
constexpr size_t kMaxLabel = 63;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool AllDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit);
}

// Four numbers 0 to 255, written without leading zeros.
bool IsDottedQuad(std::string_view text) {
    int parts = 0;
    for (;;) {
        const size_t dot = text.find('.');
        const std::string_view part = text.substr(0, dot);
        if (!AllDigits(part) || part.size() > 3 || (part.size() > 1 && part[0] == '0'))
            return false;
        if (std::stoi(std::string(part)) > 255) return false;
        ++parts;
        if (dot == std::string_view::npos) break;
        text.remove_prefix(dot + 1);
    }
    return parts == 4;
}

bool IsLabel(std::string_view label) {
    if (label.empty() || label.size() > kMaxLabel) return false;
    if (label.front() == '-' || label.back() == '-') return false;
    return std::all_of(label.begin(), label.end(),
                       [](char c) { return IsLetter(c) || IsDigit(c) || c == '-'; });
}

bool IsHostName(std::string_view text) {
    if (text.empty() || text.size() > kMaxHostName) return false;
    std::string_view last;
    for (;;) {
        const size_t dot = text.find('.');
        last = text.substr(0, dot);
        if (!IsLabel(last)) return false;
        if (dot == std::string_view::npos) break;
        text.remove_prefix(dot + 1);
    }
    // A name that ends in a number is a mistyped address, not a name.
    return !AllDigits(last);
}

}  // namespace

std::string AddressRefusal(std::string_view typed) {
    if (typed.empty()) return {};
    const bool numeric =
        std::all_of(typed.begin(), typed.end(), [](char c) { return IsDigit(c) || c == '.'; });
    if (numeric ? IsDottedQuad(typed) : IsHostName(typed)) return {};
    return "\"" + std::string(typed) +
           "\" is not a server address. Type an IPv4 address, four numbers from 0 to 255 "
           "without leading zeros (such as 192.168.1.5), or a host name (such as "
           "localhost).";
}

std::string PortRefusal(std::string_view typed) {
    if (typed.empty()) return {};
    if (AllDigits(typed) && typed.size() <= 5) {
        const int port = std::stoi(std::string(typed));
        if (port >= 1 && port <= 65535 && typed[0] != '0') return {};
    }
    return "\"" + std::string(typed) + "\" is not a RAT port. A port is a number from 1 to 65535.";
}

}  // namespace tavrin
