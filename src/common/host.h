#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrin {

// The pause after each command of a batch, so the server is not flooded.
inline constexpr int kCommandPauseMs = 250;

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

// One command a model wants sent to the game server, with the pause the main
// window keeps after it before the next command of the same batch goes out.
struct PacedCommand {
    enum class Route {
        Request,  // a tab's command event: shown, sent when logged in, always logged
        Direct,   // the main window's own sending: sent when logged in, not logged
    };
    std::string text;
    int pauseAfterMs = 0;
    Route route = Route::Request;

    bool operator==(const PacedCommand&) const = default;
};

// Where models hand their commands. The main window sends a batch in order,
// keeping each pause without ever blocking its thread.
class CommandSink {
  public:
    virtual ~CommandSink() = default;
    virtual void SubmitCommands(std::vector<PacedCommand> batch) = 0;
};

// The answer a Yes/No box gives to Enter, and a console without a window
// takes. A question whose Yes changes the game for someone (a punt, a ban)
// defaults to No, so that neither Enter nor Escape can do it.
enum class DefaultAnswer { Yes, No };

// What a file dialog shows and where it opens.
struct FileQuestion {
    std::string title;
    // The folder it opens in (ending with a separator) or a file it suggests.
    std::string start;
    // Pairs of a description and a pattern, each ended by "|" but the last,
    // e.g. "Text Files (*.txt)|*.txt".
    std::string filter;
    // Given to a file name typed without one (without its dot), e.g. "txt".
    std::string extension;

    bool operator==(const FileQuestion&) const = default;
};

// The questions and messages a model puts to the person at the console. The
// window shows boxes; the headless console and tests answer them.
class UserDialogs {
  public:
    virtual ~UserDialogs() = default;
    // A message box with OK only.
    virtual void ShowMessage(const std::string& text) = 0;
    // A Yes/No box; true for Yes.
    virtual bool AskYesNo(const std::string& text, DefaultAnswer answer) = 0;
    // A file dialog; nullopt when the person cancels. The open dialog takes
    // only a file that exists.
    virtual std::optional<std::string> AskOpenFileName(const FileQuestion& question) = 0;
    virtual std::optional<std::string> AskSaveFileName(const FileQuestion& question) = 0;
};

}  // namespace tavrin
