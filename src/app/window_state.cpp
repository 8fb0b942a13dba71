#include "app/window_state.h"

#include <charconv>
#include <optional>

#include "common/text_file.h"

namespace tavrin {
namespace {

std::optional<int> ParseInt(std::string_view text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || text.empty()) return std::nullopt;
    return value;
}

bool InRange(int v, int lo, int hi) {
    return v >= lo && v <= hi;
}

}  // namespace

WindowState ParseWindowState(std::string_view text) {
    WindowState s;
    enum : unsigned { kX = 1, kY = 2, kWidth = 4, kHeight = 8, kMaximized = 16, kTab = 32 };
    unsigned seen = 0;
    while (!text.empty()) {
        const size_t eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
        if (line.empty()) continue;
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos) return {};
        const std::string_view key = line.substr(0, eq);
        if (key == "server") {
            s.servers.emplace_back(line.substr(eq + 1));
            continue;
        }
        const std::optional<int> value = ParseInt(line.substr(eq + 1));
        if (!value) return {};
        const int v = *value;
        if (key == "x" && InRange(v, -kMaxWindowSide, kMaxWindowSide)) {
            s.x = v;
            seen |= kX;
        } else if (key == "y" && InRange(v, -kMaxWindowSide, kMaxWindowSide)) {
            s.y = v;
            seen |= kY;
        } else if (key == "width" && InRange(v, kMinWindowSide, kMaxWindowSide)) {
            s.width = v;
            seen |= kWidth;
        } else if (key == "height" && InRange(v, kMinWindowSide, kMaxWindowSide)) {
            s.height = v;
            seen |= kHeight;
        } else if (key == "maximized" && InRange(v, 0, 1)) {
            s.maximized = v == 1;
            seen |= kMaximized;
        } else if (key == "tab" && InRange(v, 0, kWindowTabs - 1)) {
            s.tab = v;
            seen |= kTab;
        } else {
            return {};
        }
    }
    if (seen != (kX | kY | kWidth | kHeight | kMaximized | kTab)) return {};
    s.placed = true;
    return s;
}

std::string WindowStateText(const WindowState& s) {
    auto line = [](const char* key, int v) {
        return std::string(key) + "=" + std::to_string(v) + "\n";
    };
    std::string text = line("x", s.x) + line("y", s.y) + line("width", s.width) +
                       line("height", s.height) + line("maximized", s.maximized ? 1 : 0) +
                       line("tab", s.tab);
    // A name that would break its line is not kept.
    for (const std::string& name : s.servers)
        if (name.find_first_of("\r\n") == std::string::npos) text += "server=" + name + "\n";
    return text;
}

std::string WindowStatePath(const std::string& programDir) {
    return programDir + "Configs" + kPathSeparator + "window.cfg";
}

WindowState LoadWindowState(const std::string& programDir) {
    const TextFileRead read = ReadTextFile(WindowStatePath(programDir));
    if (read.status != TextFileRead::Status::Read) return {};
    return ParseWindowState(read.text);
}

bool SaveWindowState(const std::string& programDir, const WindowState& state, EventSink& log) {
    std::string failure;
    if (WriteTextFile(WindowStatePath(programDir), WindowStateText(state), WriteMode::Replace,
                      &failure))
        return true;
    log.LogEvent("Window state not saved: " + failure);
    return false;
}

}  // namespace tavrin
