#include "chatbot/chat_text.h"

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

std::string EraseAll(std::string_view text, std::string_view what) {
    if (what.empty()) return std::string(text);
    std::string out;
    out.reserve(text.size());
    size_t from = 0;
    for (size_t at = text.find(what); at != std::string_view::npos; at = text.find(what, from)) {
        out.append(text, from, at - from);
        from = at + what.size();
    }
    out.append(text, from);
    return out;
}

std::string LowerCase1252(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(kLower[static_cast<unsigned char>(c)]);
    return out;
}

}  // namespace tavrin
