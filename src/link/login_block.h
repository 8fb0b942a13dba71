#pragma once

#include <string>
#include <string_view>

#include "common/result.h"
#include "link/frame.h"

namespace tavrin {

inline constexpr size_t kMaxUserName = 32;
inline constexpr size_t kMaxPassword = 33;
// Only the first 32 characters of the greeting scramble the login.
inline constexpr size_t kMaxLoginCode = 32;

using LoginBlockResult = Result<LoginBlock>;

// The 65-byte login block: user name and password scrambled with the code
// from the greeting. The user "SCOUT" sends its name unscrambled. A user name
// over 32 bytes, a password over 33 bytes or an empty code is refused.
LoginBlockResult BuildLoginBlock(std::string_view user, std::string_view password,
                                 std::string_view code);

// The code a greeting text carries: its first 32 characters.
std::string_view LoginCodeFromGreeting(std::string_view greeting);

}  // namespace tavrin
