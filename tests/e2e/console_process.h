#pragma once

// `tavrinrat --headless` as a child process, with the ways a test looks for
// its status lines ("Field: text") and event-log lines ("[HH:MM:SS] text").

#include <string>
#include <string_view>
#include <vector>

#include "support/child_process.h"

namespace tavrin::testing {

// The text of an event-log line ("[HH:MM:SS] text"); any other line as it is.
inline std::string_view LogText(std::string_view line) {
    if (line.size() >= 11 && line[0] == '[' && line[9] == ']' && line[10] == ' ')
        return line.substr(11);
    return line;
}

class ConsoleProcess : public ChildProcess {
  public:
    ConsoleProcess(const std::string& path, const std::string& dir,
                   std::vector<std::string> extra = {})
        : ChildProcess(Arguments(path, dir, std::move(extra)), SIGKILL, "console-out") {}

    // A status line ("Field: text") or the text of an event-log line, whole.
    std::optional<size_t> WaitFor(std::string_view line, size_t from = 0,
                                  std::chrono::milliseconds timeout = 10s) {
        const std::string want(line);
        return Find([want](std::string_view l) { return l == want || LogText(l) == want; }, from,
                    timeout);
    }

    // A line that holds `part` anywhere.
    std::optional<size_t> WaitForPart(std::string_view part, size_t from = 0,
                                      std::chrono::milliseconds timeout = 10s) {
        const std::string want(part);
        return Find([want](std::string_view l) { return l.find(want) != std::string_view::npos; },
                    from, timeout);
    }

    // Everything printed so far, for failure messages.
    std::string Transcript() {
        std::string out;
        for (const auto& l : Lines()) out += "  | " + l + "\n";
        return out;
    }

  private:
    static std::vector<std::string> Arguments(const std::string& path, const std::string& dir,
                                              std::vector<std::string> extra) {
        std::vector<std::string> args = {path, "--headless", "--dir", dir};
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    }
};

}  // namespace tavrin::testing
