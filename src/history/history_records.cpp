#include "history/history_records.h"

#include <cstdio>
#include <unordered_set>

namespace tavrin {
namespace {

// Days since 1970-01-01 of a proleptic Gregorian date, and back (Howard
// Hinnant's civil calendar algorithms): no time zone or locale involved.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int64_t& y, int64_t& m, int64_t& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp + (mp < 10 ? 3 : -9);
    y = yoe + era * 400 + (m <= 2);
}

bool Digits(std::string_view text, size_t at, size_t count, int64_t& value) {
    value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

}  // namespace

std::string RemoteAdminSource(std::string_view user) {
    return "admin:" + std::string(user);
}

std::string UtcText(int64_t seconds) {
    int64_t days = seconds / 86400;
    int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    int64_t y = 0, m = 0, d = 0;
    CivilFromDays(days, y, m, d);
    char text[96];
    std::snprintf(text, sizeof text, "%04lld-%02lld-%02lldT%02lld:%02lld:%02lldZ",
                  static_cast<long long>(y), static_cast<long long>(m), static_cast<long long>(d),
                  static_cast<long long>(rest / 3600), static_cast<long long>(rest / 60 % 60),
                  static_cast<long long>(rest % 60));
    return text;
}

std::optional<int64_t> ParseUtcText(std::string_view text) {
    // YYYY-MM-DDTHH:MM:SSZ
    if (text.size() != 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
        text[13] != ':' || text[16] != ':' || text[19] != 'Z')
        return std::nullopt;
    int64_t y, mo, d, h, mi, s;
    if (!Digits(text, 0, 4, y) || !Digits(text, 5, 2, mo) || !Digits(text, 8, 2, d) ||
        !Digits(text, 11, 2, h) || !Digits(text, 14, 2, mi) || !Digits(text, 17, 2, s))
        return std::nullopt;
    if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 59) return std::nullopt;
    return DaysFromCivil(y, mo, d) * 86400 + h * 3600 + mi * 60 + s;
}

}  // namespace tavrin

namespace tavrin {
namespace {

// The characters of bytes 0x80 to 0x9F.
constexpr char32_t kHigh[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

std::string Utf8FromWindows1252(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        AppendUtf8(out, b >= 0x80 && b < 0xA0 ? kHigh[b - 0x80] : char32_t{b});
    }
    return out;
}

std::string Windows1252FromUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        char32_t c = 0;
        size_t length = 1;
        if (b < 0x80) {
            c = b;
        } else if ((b & 0xE0) == 0xC0) {
            c = b & 0x1F;
            length = 2;
        } else if ((b & 0xF0) == 0xE0) {
            c = b & 0x0F;
            length = 3;
        } else if ((b & 0xF8) == 0xF0) {
            c = b & 0x07;
            length = 4;
        } else {
            out += '?';
            ++i;
            continue;
        }
        bool whole = i + length <= text.size();
        for (size_t k = 1; whole && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) whole = false;
            c = (c << 6) | (next & 0x3F);
        }
        if (!whole) {
            out += '?';
            ++i;
            continue;
        }
        i += length;
        char mapped = '?';
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            mapped = static_cast<char>(c);
        } else {
            for (int k = 0; k < 32; ++k)
                if (kHigh[k] == c) mapped = static_cast<char>(0x80 + k);
        }
        out += mapped;
    }
    return out;
}

void KeepNewestSessions(std::vector<HistoryItem>& items) {
    // From the newest back: a session already seen there is an older copy.
    std::unordered_set<std::string> seen;
    std::vector<bool> keep(items.size(), true);
    bool any = false;
    for (size_t i = items.size(); i-- > 0;) {
        const auto* s = std::get_if<SessionRecord>(&items[i]);
        if (!s) continue;
        std::string key = s->server;
        key += '\0';
        key += s->name;
        key += '\0';
        key += std::to_string(s->started);
        if (!seen.insert(std::move(key)).second) {
            keep[i] = false;
            any = true;
        }
    }
    if (!any) return;
    size_t out = 0;
    for (size_t i = 0; i < items.size(); ++i)
        if (keep[i]) {
            if (out != i) items[out] = std::move(items[i]);
            ++out;
        }
    items.resize(out);
}

}  // namespace tavrin
