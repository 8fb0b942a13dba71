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

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsWhollyHex(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (!IsHexDigit(c)) return false;
    return true;
}

// Hexadecimal texts of any length compare by value: leading zeros dropped,
// the longer text is the larger, equal lengths compare digit by digit.
int CompareHex(std::string_view a, std::string_view b) {
    auto strip = [](std::string_view s) {
        size_t nz = s.find_first_not_of('0');
        return nz == std::string_view::npos ? std::string_view{} : s.substr(nz);
    };
    a = strip(a);
    b = strip(b);
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    auto value = [](char c) {
        return IsDigit(c) ? c - '0' : (c >= 'a' ? c - 'a' + 10 : c - 'A' + 10);
    };
    for (size_t i = 0; i < a.size(); ++i)
        if (value(a[i]) != value(b[i])) return value(a[i]) < value(b[i]) ? -1 : 1;
    return 0;
}

// An optional sign, digits with at most one decimal point, and an optional
// single trailing "%".
std::optional<double> DecimalValue(std::string_view s) {
    if (!s.empty() && s.back() == '%') s.remove_suffix(1);
    std::string_view body = s;
    if (!body.empty() && (body.front() == '+' || body.front() == '-')) body.remove_prefix(1);
    bool digits = false, point = false;
    for (char c : body) {
        if (IsDigit(c)) {
            digits = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return std::nullopt;
        }
    }
    if (!digits) return std::nullopt;
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);  // from_chars takes no "+"
    double value = 0;
    std::from_chars(s.data(), s.data() + s.size(), value);
    return value;
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

int CompareCells(std::string_view a, std::string_view b) {
    if (IsWhollyHex(a) && IsWhollyHex(b)) return CompareHex(a, b);
    auto da = DecimalValue(a);
    auto db = DecimalValue(b);
    if (da && db) return *da < *db ? -1 : (*db < *da ? 1 : 0);
    int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

}  // namespace tavrin::mission_text
