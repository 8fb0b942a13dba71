#include "common/value_text.h"

#include <cstdio>

namespace tavrin {

std::string IntToText(int32_t n) {
    return std::to_string(n);
}

int32_t TextToInt(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' ||
                               text[i] == '\r' || text[i] == '\v' || text[i] == '\f'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > 2147483648LL) value = 2147483648LL;  // saturate, never overflow
    }
    if (negative) value = -value;
    if (value > INT32_MAX) value = INT32_MAX;
    return static_cast<int32_t>(value);
}

std::string BoolToText(uint8_t flag) {
    return flag == 1 ? "true" : "false";
}

std::string IntToHex4(int32_t n) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04X", static_cast<uint32_t>(n));
    return buf;
}

uint32_t HexToInt(std::string_view text) {
    uint32_t value = 0;
    for (unsigned char ch : text) {
        int d = static_cast<int>(ch) - 48;
        if (d > 16) d -= 7;
        if (d >= 16) d -= 32;
        if (d >= 16 || ch > 127) break;
        value = value * 16 + static_cast<uint32_t>(d);
    }
    return value;
}

std::string GetKeyValue(std::string_view text, std::string_view key) {
    std::string k;
    if (!key.empty() && key.front() == '\\') {
        k = key;
    } else {
        k = "\\";
        k += key;
        k += "\\";
    }
    size_t at = text.find(k);
    if (at == std::string_view::npos) return std::string(kFailed);
    std::string_view rest = text.substr(at + k.size());
    size_t end = rest.find('\\');
    if (end == std::string_view::npos) return std::string(kFailed);
    return std::string(rest.substr(0, end));
}

}  // namespace tavrin
