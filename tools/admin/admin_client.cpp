#include "admin/admin_client.h"

#include <utility>

#include "common/log_text.h"
#include "manager/admin_accounts.h"
#include "manager/admin_session.h"
#include "manager/command_classes.h"
#include "manager/manager.h"
#include "remote/admin_port_dialect.h"

namespace tavrin::admin {

std::string RightsText(RightsMask mask) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    for (int shift = 12; shift >= 0; shift -= 4) text += kHex[(mask >> shift) & 0xF];
    std::string names;
    for (const auto& r : kRights) {
        if ((mask & r.value) == 0) continue;
        if (!names.empty()) names += ", ";
        names += r.name;
    }
    return text + " (" + (names.empty() ? std::string("no rights") : names) + ")";
}

bool ExpectsReply(std::string_view command) {
    // Allowed or not, the account's rights are the manager's to check: a
    // refusal is a reply too, so only what is answered when allowed counts.
    return ManagerAnswers(command, kFullAccess);
}

std::string PrintableReply(std::string_view text) {
    // Line feeds and tabs stay as they are (a player list is tab-separated
    // columns); every other control byte is escaped, so a reply can neither
    // move the cursor nor send the terminal an escape sequence.
    std::string out;
    out.reserve(text.size());
    size_t at = 0;
    for (;;) {
        const size_t end = text.find_first_of("\n\t", at);
        out += EscapeControlBytes(text.substr(at, end == std::string_view::npos ? end : end - at));
        if (end == std::string_view::npos) return out;
        out += text[end];
        at = end + 1;
    }
}

// ---------------------------------------------------------------------------

std::vector<Result<std::string>> CommandLines::Feed(std::string_view bytes) {
    std::vector<Result<std::string>> out;
    while (!bytes.empty()) {
        const size_t end = bytes.find('\n');
        const std::string_view piece = bytes.substr(0, end);
        // Only the start of a line past the limit is kept, enough to know it
        // was too long; its whole length is never held.
        // One byte more than a frame may carry can be the CR before the line
        // feed; two more make the line too long whatever follows.
        if (!m_overlong) {
            m_line.append(piece.substr(0, kMaxAdminFrame + 2 - m_line.size()));
            m_overlong = m_line.size() > kMaxAdminFrame + 1;
        }
        if (end == std::string_view::npos) break;
        FinishLine(out);
        bytes.remove_prefix(end + 1);
    }
    return out;
}

std::vector<Result<std::string>> CommandLines::End() {
    std::vector<Result<std::string>> out;
    FinishLine(out);
    return out;
}

void CommandLines::FinishLine(std::vector<Result<std::string>>& out) {
    std::string line = std::exchange(m_line, {});
    const bool overlong = std::exchange(m_overlong, false);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (overlong || line.size() > kMaxAdminFrame) {
        out.push_back(Result<std::string>::Failure(
            "a line of more than " + std::to_string(kMaxAdminFrame) + " bytes was not sent"));
        return;
    }
    if (line.find_first_not_of(" \t") == std::string::npos) return;
    out.push_back(Result<std::string>::Success(std::move(line)));
}

// ---------------------------------------------------------------------------

namespace {

// "HOST", "HOST:PORT", "[V6]" or "[V6]:PORT".
bool ParseAddress(std::string_view text, Options& o) {
    const std::optional<AdminAddress> address = ParseAdminAddress(text, o.port);
    if (!address) return false;
    o.host = address->host;
    o.port = address->port;
    return true;
}

// Seconds with up to three decimals ("5", "0.5"), above 0 and at most a day.
std::optional<int> ParseSeconds(std::string_view text) {
    const size_t dot = text.find('.');
    const std::string_view whole = text.substr(0, dot);
    const std::string_view fraction = dot == text.npos ? std::string_view() : text.substr(dot + 1);
    auto digits = [](std::string_view s) {
        return s.find_first_not_of("0123456789") == std::string_view::npos;
    };
    if (whole.empty() || whole.size() > 5 || !digits(whole) || fraction.size() > 3 ||
        !digits(fraction) || (dot != text.npos && fraction.empty()))
        return std::nullopt;
    int ms = std::stoi(std::string(whole)) * 1000;
    int scale = 100;
    for (char c : fraction) {
        ms += (c - '0') * scale;
        scale /= 10;
    }
    if (ms <= 0 || ms > 86400 * 1000) return std::nullopt;
    return ms;
}

}  // namespace

std::string_view UsageText() {
    return "usage: tavrinrat-admin HOST[:PORT] --user U --password P [options]\n"
           "Logs in to a TavrinRAT manager's Admin Port (default port 9898; an IPv6 address\n"
           "is written [ADDR]:PORT), then sends each line of standard input as one command,\n"
           "each once the one before has its reply (or its time is up), and prints every\n"
           "reply.\n"
           "  --user U            the admin account's user name\n"
           "  --password P        its password (visible to other users in the process list)\n"
           "  --password-file F   read the password from the first line of F instead\n"
           "                      (without either, from the variable TAVRIN_ADMIN_PASSWORD)\n"
           "  -c CMD              send this one command, print the reply and exit:\n"
           "                      0 a reply, 1 a reply starting \"Refused\", 2 no reply in time\n"
           "  --timeout SECONDS   the wait for the login and for the reply to -c (default 5)\n"
           "  --tls               connect with TLS\n"
           "  --ca FILE           trust only this PEM certificate (such as the manager's own\n"
           "                      self-signed one); shown by the manager itself, it is\n"
           "                      taken whatever name it holds\n"
           "  --insecure          do not check the manager's certificate at all\n"
           "  --help              this text\n"
           "Exit status 3: the connection or the login failed; 64: a bad command line.\n";
}

OptionsResult ParseOptions(std::span<const std::string> args) {
    OptionsResult r;
    Options& o = r.options;
    o.port = static_cast<uint16_t>(kAdminPort);
    bool addressGiven = false;
    auto fail = [&](std::string message) {
        r.error = std::move(message);
        return r;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string* {
            return i + 1 < args.size() ? &args[++i] : nullptr;
        };
        if (a == "--help" || a == "-h") {
            r.help = true;
            return r;
        }
        if (a == "--tls") {
            o.tls = true;
        } else if (a == "--insecure") {
            o.insecure = true;
        } else if (a == "--user" || a == "--password") {
            const std::string* v = value();
            if (!v || v->empty() || v->size() > kMaxAdminFrame)
                return fail(a + " needs a text of 1 to " + std::to_string(kMaxAdminFrame) +
                            " bytes");
            (a == "--user" ? o.user : o.password.emplace()) = *v;
        } else if (a == "--password-file" || a == "--ca") {
            const std::string* v = value();
            if (!v || v->empty()) return fail(a + " needs a file name");
            (a == "--ca" ? o.caFile : o.passwordFile) = *v;
        } else if (a == "-c") {
            const std::string* v = value();
            if (!v || v->empty() || v->size() > kMaxAdminFrame)
                return fail("-c needs a command of 1 to " + std::to_string(kMaxAdminFrame) +
                            " bytes");
            o.command = *v;
        } else if (a == "--timeout") {
            const std::string* v = value();
            const auto ms = v ? ParseSeconds(*v) : std::nullopt;
            if (!ms) return fail("--timeout needs a number of seconds above 0, at most 86400");
            o.timeoutMs = *ms;
        } else if (a.starts_with('-') && a.size() > 1) {
            return fail("unknown option " + a);
        } else if (addressGiven) {
            return fail("more than one address: " + a);
        } else {
            if (!ParseAddress(a, o)) return fail("not an address: " + a + " (HOST or HOST:PORT)");
            addressGiven = true;
        }
    }
    if (!addressGiven) return fail("no address of a manager given");
    if (o.user.empty()) return fail("no --user given");
    if (o.password && o.passwordFile) return fail("--password and --password-file both given");
    if ((o.caFile || o.insecure) && !o.tls) return fail("--ca and --insecure need --tls");
    if (o.caFile && o.insecure) return fail("--ca and --insecure both given");
    return r;
}

Result<std::string> ChoosePassword(const Options& options, const char* environment) {
    using R = Result<std::string>;
    std::string password;
    if (options.password) {
        password = *options.password;
    } else if (options.passwordFile) {
        R read = ReadPasswordFile(*options.passwordFile);
        if (!read)
            return R::Failure("--password-file " + *options.passwordFile + ": " + read.failure());
        password = std::move(read.value());
    } else if (environment && *environment) {
        password = environment;
    } else {
        return R::Failure("no password: give --password or --password-file, or set " +
                          std::string(kPasswordVariable));
    }
    if (password.size() > kMaxAdminFrame)
        return R::Failure("the password is longer than " + std::to_string(kMaxAdminFrame) +
                          " bytes");
    return R::Success(std::move(password));
}

}  // namespace tavrin::admin
