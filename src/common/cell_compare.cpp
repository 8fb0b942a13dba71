#include "common/cell_compare.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>
#include <system_error>

namespace tavrin {
namespace {

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int HexDigitValue(char c) {
    if (c <= '9') return c - '0';
    return (c | 0x20) - 'a' + 10;
}

bool IsWhollyHex(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), IsHexDigit);
}

// Exact unsigned comparison of any length, so long digit runs cannot wrap.
int CompareHex(std::string_view a, std::string_view b) {
    auto strip = [](std::string_view s) {
        size_t nz = s.find_first_not_of('0');
        return nz == std::string_view::npos ? std::string_view() : s.substr(nz);
    };
    a = strip(a);
    b = strip(b);
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    for (size_t i = 0; i < a.size(); ++i) {
        int da = HexDigitValue(a[i]), db = HexDigitValue(b[i]);
        if (da != db) return da < db ? -1 : 1;
    }
    return 0;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Optional sign, digits with an optional decimal point, optional trailing "%".
std::optional<double> ReadDecimal(std::string_view s) {
    if (!s.empty() && s.back() == '%') s.remove_suffix(1);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    size_t digits = 0, points = 0;
    for (char c : s) {
        if (IsDigit(c)) {
            ++digits;
        } else if (c == '.') {
            ++points;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0 || points > 1) return std::nullopt;
    double value = 0;
    if (std::from_chars(s.data(), s.data() + s.size(), value).ec ==
        std::errc::result_out_of_range) {
        // Too large when the whole part has a non-zero digit, else too small.
        const std::string_view whole = s.substr(0, s.find('.'));
        value = whole.find_first_not_of('0') == std::string_view::npos ? 0.0 : HUGE_VAL;
    }
    return negative ? -value : value;
}

// Reads 1 to `maxDigits` decimal digits at `s`, advancing past them.
std::optional<int> ReadNumber(std::string_view& s, size_t minDigits, size_t maxDigits) {
    size_t n = 0;
    int value = 0;
    while (n < s.size() && n < maxDigits && IsDigit(s[n])) value = value * 10 + (s[n++] - '0');
    if (n < minDigits) return std::nullopt;
    s.remove_prefix(n);
    return value;
}

bool Skip(std::string_view& s, char c) {
    if (s.empty() || s.front() != c) return false;
    s.remove_prefix(1);
    return true;
}

// Seconds since midnight of "H:MM" or "HH:MM:SS"; consumes the whole text.
std::optional<int64_t> ReadTime(std::string_view s) {
    auto h = ReadNumber(s, 1, 2);
    if (!h || !Skip(s, ':')) return std::nullopt;
    auto m = ReadNumber(s, 2, 2);
    if (!m) return std::nullopt;
    int sec = 0;
    if (Skip(s, ':')) {
        auto v = ReadNumber(s, 2, 2);
        if (!v) return std::nullopt;
        sec = *v;
    }
    if (!s.empty() || *h > 23 || *m > 59 || sec > 59) return std::nullopt;
    return int64_t{*h} * 3600 + *m * 60 + sec;
}

// Day number of "DD-MM-YY" or "DD-MM-YYYY" at the start of `s`, advancing.
std::optional<int64_t> ReadDate(std::string_view& s) {
    std::string_view rest = s;
    auto d = ReadNumber(rest, 1, 2);
    if (!d || !Skip(rest, '-')) return std::nullopt;
    auto m = ReadNumber(rest, 1, 2);
    if (!m || !Skip(rest, '-')) return std::nullopt;
    size_t before = rest.size();
    auto y = ReadNumber(rest, 2, 4);
    if (!y || before - rest.size() == 3) return std::nullopt;
    if (before - rest.size() == 2) *y += 2000;
    if (*d < 1 || *d > 31 || *m < 1 || *m > 12) return std::nullopt;
    s = rest;
    return (int64_t{*y} * 12 + *m) * 31 + *d;
}

std::optional<int64_t> ReadDateTime(std::string_view s) {
    if (auto time = ReadTime(s)) return time;
    auto day = ReadDate(s);
    if (!day) return std::nullopt;
    int64_t seconds = 0;
    if (!s.empty()) {
        if (!Skip(s, ' ')) return std::nullopt;
        auto time = ReadTime(s);
        if (!time) return std::nullopt;
        seconds = *time;
    }
    return *day * 86400 + seconds;
}

template <typename T>
int Order(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

}  // namespace

int CompareCells(std::string_view a, std::string_view b) {
    if (IsWhollyHex(a) && IsWhollyHex(b)) return CompareHex(a, b);
    auto da = ReadDecimal(a), db = ReadDecimal(b);
    if (da && db) return Order(*da, *db);
    auto ta = ReadDateTime(a), tb = ReadDateTime(b);
    if (ta && tb) return Order(*ta, *tb);
    return Order(a, b);
}

}  // namespace tavrin
