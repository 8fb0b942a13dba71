#include "common/address_entry.h"

#include <array>

namespace tavrin {
namespace {

constexpr size_t kParts = 4;

// The dot-separated parts of `typed`; false past four parts.
bool SplitParts(std::string_view typed, std::array<std::string_view, kParts>& parts,
                size_t& count) {
    count = 0;
    for (;;) {
        if (count == kParts) return false;
        const size_t dot = typed.find('.');
        parts[count++] = typed.substr(0, dot);
        if (dot == std::string_view::npos) return true;
        typed.remove_prefix(dot + 1);
    }
}

bool AcceptsPart(std::string_view part) {
    if (part.size() > 3) return false;
    int value = 0;
    for (char c : part) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return value <= 255;
}

}  // namespace

bool AcceptsAddressEntry(std::string_view typed) {
    std::array<std::string_view, kParts> parts;
    size_t count = 0;
    if (!SplitParts(typed, parts, count)) return false;
    for (size_t i = 0; i < count; ++i)
        if (!AcceptsPart(parts[i])) return false;
    return true;
}

std::string AddressEntryValue(std::string_view typed) {
    if (!AcceptsAddressEntry(typed)) return std::string(typed);
    std::array<std::string_view, kParts> parts;
    size_t count = 0;
    SplitParts(typed, parts, count);
    std::string value;
    for (size_t i = 0; i < kParts; ++i) {
        int number = 0;
        if (i < count)
            for (char c : parts[i]) number = number * 10 + (c - '0');
        if (i > 0) value += '.';
        value += std::to_string(number);
    }
    return value;
}

}  // namespace tavrin
