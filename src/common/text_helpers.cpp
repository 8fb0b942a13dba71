#include "common/text_helpers.h"

#include <array>

namespace tavrin {
namespace {

constexpr std::array<unsigned char, 256> MakeLowerTable() {
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 256; ++c) table[c] = static_cast<unsigned char>(c);
    for (int c = 'A'; c <= 'Z'; ++c) table[c] = static_cast<unsigned char>(c + 32);
    // À..Þ except the multiplication sign × (0xD7).
    for (int c = 0xC0; c <= 0xDE; ++c)
        if (c != 0xD7) table[c] = static_cast<unsigned char>(c + 32);
    table[0x8A] = 0x9A;  // Š
    table[0x8C] = 0x9C;  // Œ
    table[0x8E] = 0x9E;  // Ž
    table[0x9F] = 0xFF;  // Ÿ
    return table;
}

constexpr std::array<unsigned char, 256> kLower = MakeLowerTable();

}  // namespace

std::string_view Trim(std::string_view text, std::string_view chars) {
    const size_t b = text.find_first_not_of(chars);
    if (b == std::string_view::npos) return {};
    const size_t e = text.find_last_not_of(chars);
    return text.substr(b, e - b + 1);
}

std::string LowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string LowerCase1252(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(kLower[static_cast<unsigned char>(c)]);
    return out;
}

}  // namespace tavrin
