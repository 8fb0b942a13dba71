#pragma once

#include <optional>
#include <string>

namespace tavrin {

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
