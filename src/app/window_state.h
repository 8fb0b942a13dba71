#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/event_log.h"

namespace tavrin {

// Where the main window was and which page it showed, kept between runs in
// Configs/window.cfg as "key=value" lines (x, y, width, height, maximized,
// tab, and the open servers). Nothing of the game server lives here: losing the file only loses
// the window's place.
struct WindowState {
    // No remembered place: the window takes its own size and the desktop
    // places it.
    bool placed = false;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool maximized = false;
    int tab = 0;  // 0 .. kWindowTabs - 1
    // The records of servers.cfg open when the window closed, in the list's
    // order, one "server=NAME" line each (empty: the favourite). A file
    // without them is read as before.
    std::vector<std::string> servers;

    bool operator==(const WindowState&) const = default;
};

inline constexpr int kWindowTabs = 5;
// A remembered size outside these bounds is not a size a window had.
inline constexpr int kMinWindowSide = 100;
inline constexpr int kMaxWindowSide = 32767;

// The state a file text holds; the defaults when any line is not a known key
// with a value in range, or a key is missing.
WindowState ParseWindowState(std::string_view text);
std::string WindowStateText(const WindowState& state);

std::string WindowStatePath(const std::string& programDir);

// Reads Configs/window.cfg under `programDir` (ending with the separator); a
// missing, unreadable or bad file gives the defaults.
WindowState LoadWindowState(const std::string& programDir);
// Replaces the file atomically; a failure is logged and returned as false.
bool SaveWindowState(const std::string& programDir, const WindowState& state, EventSink& log);

}  // namespace tavrin
