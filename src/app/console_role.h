#pragma once

#include <string_view>

namespace tavrin {

// The console's role: a client of the game server, or the manager that lets
// remote admins share its one connection.
enum class ConsoleRole {
    None,  // before start-up has chosen one
    Client,
    Manager,
};

// What the start-up line and the manager's window title say of the role.
inline constexpr std::string_view kClientRoleSuffix = " - As TavrinRAT";
inline constexpr std::string_view kManagerRoleSuffix = " - As TavrinMAN";

}  // namespace tavrin
