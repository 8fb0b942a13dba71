#pragma once

// The plain parts of tavrinrat-admin beside the admin's side of the
// connection (remote/admin_port_client.h): how rights and replies are
// printed, standard input cut into commands, and the command line.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "common/result.h"
#include "manager/admin_frame.h"
#include "manager/admin_rights.h"
#include "remote/admin_port_client.h"
#include "remote/remote_target.h"

namespace tavrin::admin {

// The rights as shown after the login: "3F00 (Warn, Punt, Swap, Kill, Ban,
// Zero)", the captions in table order; "0000 (no rights)".
std::string RightsText(RightsMask mask);

// A reply as printed: line feeds and tabs stay, every other control byte is made
// visible (see EscapeControlBytes), so a reply never moves the cursor, clears
// the terminal or fakes a line of ours.
std::string PrintableReply(std::string_view text);

// Whether the manager answers this command: a command whose class has a
// relayed reply (a player list, the chat, ...) is answered by the game
// server's reply or by a refusal, and so is a setting ("set ...", "cmd ..."),
// whose reply goes to its sender; any other is answered at most by a refusal.
bool ExpectsReply(std::string_view command);

// ---------------------------------------------------------------------------
// Standard input: one command per line. A CR before the line feed is dropped,
// blank lines are skipped, and a line longer than one frame can carry is
// refused whole, never cut into a shorter command.
class CommandLines {
  public:
    // Each finished line: a command, or a failure for a line too long.
    std::vector<Result<std::string>> Feed(std::string_view bytes);
    // The input ended: the last line, when it had no line feed.
    std::vector<Result<std::string>> End();

  private:
    void FinishLine(std::vector<Result<std::string>>& out);

    std::string m_line;
    bool m_overlong = false;  // the current line went past the limit: dropped up to its end
};

// ---------------------------------------------------------------------------
// The command line.

inline constexpr int kDefaultTimeoutMs = 5000;

struct Options {
    std::string host;
    uint16_t port = 0;  // ParseOptions sets the Admin Port's when none is given
    std::string user;
    std::optional<std::string> password;
    std::optional<std::string> passwordFile;
    bool tls = false;
    std::optional<std::string> caFile;
    bool insecure = false;
    std::optional<std::string> command;  // -c: one command, then exit
    int timeoutMs = kDefaultTimeoutMs;
};

struct OptionsResult {
    Options options;
    bool help = false;
    std::string error;  // empty when the command line is good
};

// The arguments after the program name.
OptionsResult ParseOptions(std::span<const std::string> args);

std::string_view UsageText();

// The password to send: --password, else the first line of --password-file,
// else `environment` (the value of TAVRIN_ADMIN_PASSWORD, null when unset).
// A failure says why there is none.
Result<std::string> ChoosePassword(const Options& options, const char* environment);

}  // namespace tavrin::admin
