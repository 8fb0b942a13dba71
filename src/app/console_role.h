#pragma once

namespace tavrin {

// The console's role: a client of the game server, or the manager that lets
// remote admins share its one connection.
enum class ConsoleRole {
    None,  // before start-up has chosen one
    Client,
    Manager,
};

}  // namespace tavrin
