#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tavrin {

// A tab's command travels in a 128-byte buffer: 127 characters and a zero.
// A longer command is refused whole, never cut.
inline constexpr size_t kMaxTabCommand = 127;

// The message for a tab's command that does not fit its buffer. `shown` is
// what the person sees of it (a command that holds a password shows only its
// start).
inline std::string TabCommandTooLongMessage(std::string_view shown, size_t length) {
    return "Command too long (" + std::to_string(length) + " characters, at most " +
           std::to_string(kMaxTabCommand) + "); nothing was sent:\n" + std::string(shown);
}

}  // namespace tavrin
