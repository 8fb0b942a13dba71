#pragma once

#include <string_view>

namespace tavrin {

// What `tavrinrat --help` prints: every option of the window and of the
// console without a window.
inline constexpr std::string_view kUsage =
    "usage: tavrinrat [--dir DIR] [--chatbot] [--login] [--screenshots DIR] [MANAGER]\n"
    "       tavrinrat --headless [--dir DIR] [--chatbot] [--dump] [--no-login] [MANAGER]\n"
    "       tavrinrat --headless [--dir DIR] [--review-log] [--review-chat]\n"
    "       tavrinrat --help\n"
    "MANAGER: --manager [--admin-port N] [--admin-bind ADDR] [--admin-tls CERT KEY]\n"
    "         [--max-admins N] [--max-unsent MIB]\n"
    "\n"
    "  --dir DIR            the program folder (default: the current folder)\n"
    "  --chatbot            switch the ChatBot on at start-up\n"
    "  --login              press Login for the server shown on the Server page\n"
    "  --screenshots DIR    save a picture of every window and dialog in DIR, then exit\n"
    "  --headless           run without a window; it logs in to the favourite server\n"
    "  --no-login           (--headless) start without logging in\n"
    "  --dump               (--headless) print the state dump every second\n"
    "  --review-log         (--headless) print the current event log and exit\n"
    "  --review-chat        (--headless) print the current chat log and exit\n"
    "  --manager            the manager role: remote admins share the connection\n"
    "  --admin-port N       the Admin Port (default 9898)\n"
    "  --admin-bind ADDR    listen on this address only (default: all)\n"
    "  --admin-tls CERT KEY TLS on the Admin Port with this certificate and key\n"
    "  --max-admins N       at most N admins logged in at once (default 1000)\n"
    "  --max-unsent MIB     at most this many MiB waiting to go to all admins (64)\n"
    "  --help               this text\n"
    "\n"
    "Without a display (no DISPLAY or WAYLAND_DISPLAY) the window's options run the\n"
    "console without a window, which logs in only when --login is given.\n";

}  // namespace tavrin
