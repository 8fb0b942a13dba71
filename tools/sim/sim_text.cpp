#include "sim/sim_text.h"

#include <cstdint>

namespace tavrin::sim {
namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

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

std::string Escape(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<uint8_t>(c);
        if (c == '\\') {
            out += "\\\\";
        } else if (b >= 0x20 && b != 0x7F) {
            out += c;
        } else {
            out += "\\x";
            out += kHex[b >> 4];
            out += kHex[b & 15];
        }
    }
    return out;
}

std::optional<std::string> Unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size()) return std::nullopt;
        switch (text[i]) {
            case 'r':
                out += '\r';
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case '\\':
                out += '\\';
                break;
            case 'x': {
                const int hi = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
                const int lo = i + 2 < text.size() ? HexDigit(text[i + 2]) : -1;
                if (hi < 0 || lo < 0) return std::nullopt;
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                break;
            }
            default:
                return std::nullopt;
        }
    }
    return out;
}

}  // namespace tavrin::sim
