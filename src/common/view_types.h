#pragma once

#include <string_view>

namespace tavrin {

// A colour a view paints a list row or cell with.
struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;
    bool operator==(const Rgb&) const = default;
};

// Why a control that sends a command is disabled: no connection can take it.
inline constexpr std::string_view kSendNeedsGameMode =
    "Log in to a server in game mode to send commands";

// A cell that shows no picture of the image strip.
inline constexpr int kNoPicture = -1;

}  // namespace tavrin
