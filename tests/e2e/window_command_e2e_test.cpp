// `tavrinrat` as a person starts it: --help, and the window command on a
// machine without a display, where it runs the console without a window.

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "e2e/console_process.h"
#include "support/temp_dir.h"

namespace tavrin::testing {
namespace {

// The window command with no display to show a window on.
class NoDisplay {
  public:
    NoDisplay() {
        for (const char* name : kNames) {
            const char* value = std::getenv(name);
            m_saved.push_back(value ? std::optional<std::string>(value) : std::nullopt);
            ::unsetenv(name);
        }
    }
    ~NoDisplay() {
        for (size_t i = 0; i < std::size(kNames); ++i)
            if (m_saved[i]) ::setenv(kNames[i], m_saved[i]->c_str(), 1);
    }

  private:
    static constexpr const char* kNames[] = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};
    std::vector<std::optional<std::string>> m_saved;
};

std::vector<std::string> With(std::vector<std::string> args) {
    args.insert(args.begin(), TAVRIN_CONSOLE_PATH);
    return args;
}

TEST(WindowCommandE2e, HelpListsEveryOptionAndExitsZero) {
    for (const char* mode : {"", "--headless"}) {
        std::vector<std::string> args = {"--help"};
        if (*mode) args.insert(args.begin(), mode);
        ChildProcess help(With(args), SIGKILL, "help-out");
        ASSERT_EQ(help.WaitExit(), 0) << mode;
        std::string text;
        for (const auto& line : help.Lines()) text += line + "\n";
        for (const char* option :
             {"--dir", "--chatbot", "--login", "--screenshots", "--headless", "--no-login",
              "--dump", "--review-log", "--review-chat", "--manager", "--admin-port",
              "--admin-bind", "--admin-tls", "--max-admins", "--max-unsent", "--help"})
            EXPECT_NE(text.find(option), std::string::npos) << mode << " " << option << "\n"
                                                            << text;
    }
}

// Without a display the window command presses Login only when --login asks
// for it, as the window does: the default details (no address) then say so
// and end the run with status 2; without --login the console just runs.
TEST(WindowCommandE2e, WithoutADisplayLoginIsPressedOnlyWhenAsked) {
    const NoDisplay noDisplay;
    for (const bool login : {false, true}) {
        TempDir dir;
        std::vector<std::string> args = {"--dir", dir.Path()};
        if (login) args.push_back("--login");
        ChildProcess console(With(args), SIGKILL, "console-out");
        const auto wait = login ? std::chrono::milliseconds(10s) : std::chrono::milliseconds(0);
        auto said = [&console, wait](const char* part) {
            return console
                .Find([part](std::string_view l) { return l.find(part) != std::string_view::npos; },
                      0, wait)
                .has_value();
        };
        if (login) {
            EXPECT_TRUE(said("Message: Check Server details"));
            EXPECT_EQ(console.WaitExit(), 2);
            continue;
        }
        // The first clock tick follows the start-up, where Login would be pressed.
        ASSERT_TRUE(console.Find([](std::string_view l) { return l.rfind("Clock: ", 0) == 0; }))
            << "no clock tick";
        EXPECT_FALSE(said("Check Server details"));
        EXPECT_FALSE(said("Login Request"));
        console.Signal(SIGTERM);
        EXPECT_EQ(console.WaitExit(), 0);
    }
}

}  // namespace
}  // namespace tavrin::testing
