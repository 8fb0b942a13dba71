#include "common/log_text.h"

namespace tavrin {
namespace {

// Appends the visible form of one byte.
void AppendEscaped(std::string& out, unsigned char c) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    switch (c) {
        case '\r':
            out += "\\r";
            return;
        case '\n':
            out += "\\n";
            return;
        case '\t':
            out += "\\t";
            return;
        default:
            break;
    }
    if (c < 32 || c == 127) {
        out += "\\x";
        out += kHex[c >> 4];
        out += kHex[c & 15];
        return;
    }
    out += static_cast<char>(c);
}

// How many bytes AppendEscaped adds for `c`.
size_t EscapedSize(unsigned char c) {
    if (c == '\r' || c == '\n' || c == '\t') return 2;
    return c < 32 || c == 127 ? 4 : 1;
}

}  // namespace

std::string EscapeControlBytes(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text) AppendEscaped(out, c);
    return out;
}

std::string LogLineText(std::string_view text, size_t limit) {
    std::string out;
    out.reserve(text.size() < limit ? text.size() : limit);
    for (unsigned char c : text) {
        // An escape is never split: the cut comes before one that does not fit.
        if (out.size() + EscapedSize(c) > limit) {
            out += " ... [cut: " + std::to_string(text.size()) + " bytes]";
            return out;
        }
        AppendEscaped(out, c);
    }
    return out;
}

}  // namespace tavrin
