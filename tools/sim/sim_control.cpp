#include "sim/sim_control.h"

#include "sim/sim_text.h"

namespace tavrin::sim {
namespace {

const char* OnOff(bool on) {
    return on ? "on" : "off";
}

constexpr std::string_view kBadEscape =
    "error: bad escape (use \\r \\n \\t \\\\ or \\x followed by two hex digits)";

// The rest of the line from `word` on, inner blanks and all; the blanks and
// CR that end the line are not part of it.
std::string_view RestOfLine(std::string_view line, std::string_view word) {
    std::string_view rest = line.substr(static_cast<size_t>(word.data() - line.data()));
    while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t' || rest.back() == '\r'))
        rest.remove_suffix(1);
    return rest;
}

std::string FloodState(int flood) {
    return flood < 0 ? "on" : flood == 0 ? "off" : std::to_string(flood) + " left";
}

}  // namespace

std::string_view ControlHelp() {
    return "control words: stall on|off, menu on|off, reject on|off, split on|off, "
           "coalesce on|off, close, reset, badheader, refuse <seconds>, say <name> <text>, "
           "push <text>, flood on|off|<frames> [<text>], ignore [<commands>], bigreply <bytes>, "
           "echoname [<name>], trimchat <lines>, status, help (texts take \\r \\n \\t \\\\ \\xNN)";
}

ControlResult ApplyControl(std::string_view line, FaultState& faults, SimGame& game) {
    const auto w = SplitWords(line, " \t\r");
    ControlResult r;
    if (w.empty()) return r;
    const std::string word(w[0]);
    if (w.size() == 2 && (w[1] == "on" || w[1] == "off")) {
        const bool on = w[1] == "on";
        bool* flag = word == "stall"      ? &faults.stall
                     : word == "reject"   ? &faults.reject
                     : word == "split"    ? &faults.split
                     : word == "coalesce" ? &faults.coalesce
                                          : nullptr;
        if (flag) *flag = on;
        if (word == "menu") game.SetMenuMode(on);
        if (flag || word == "menu") {
            r.reply = "ok " + word + " " + OnOff(on);
            return r;
        }
    }
    if (w.size() == 1) {
        static constexpr std::pair<std::string_view, ControlAction> kActions[] = {
            {"close", ControlAction::Close},
            {"reset", ControlAction::Reset},
            {"badheader", ControlAction::BadHeader},
            {"status", ControlAction::Status},
        };
        for (const auto& [name, action] : kActions) {
            if (word == name) {
                r.reply = "ok " + word;
                r.action = action;
                return r;
            }
        }
        if (word == "help") {
            r.reply = std::string(ControlHelp());
            return r;
        }
    }
    if (w.size() == 2 && word == "refuse") {
        if (auto n = ParseNumber(w[1], 86400)) {
            r.reply = "ok refuse " + std::to_string(*n);
            r.action = ControlAction::Refuse;
            r.seconds = *n;
            return r;
        }
    }
    if (w.size() >= 3 && word == "say") {
        const auto name = Unescape(w[1]);
        const auto text = Unescape(RestOfLine(line, w[2]));
        if (!name || !text) {
            r.reply = kBadEscape;
            return r;
        }
        // The reply is one line whatever bytes the name holds.
        if (const auto id = game.Say(*name, *text))
            r.reply = "ok say " + Escape(*name) + " (id " + std::to_string(*id) + ")";
        else
            r.reply =
                "error: " + Escape(*name) + " cannot speak (banned, no player name, or game full)";
        return r;
    }
    if (word == "push") {
        // "push" alone sends an empty text.
        const auto text = Unescape(w.size() > 1 ? RestOfLine(line, w[1]) : std::string_view());
        if (!text) {
            r.reply = kBadEscape;
            return r;
        }
        r.reply = "ok push (" + std::to_string(text->size()) + " bytes)";
        r.action = ControlAction::Push;
        r.text = *text;
        return r;
    }
    if (word == "flood" && w.size() >= 2) {
        const std::optional<int> frames = w[1] == "on"                     ? -1
                                          : w[1] == "off" && w.size() == 2 ? 0
                                                                           : ParseNumber(w[1]);
        if (frames) {
            const auto text = Unescape(w.size() > 2 ? RestOfLine(line, w[2]) : std::string_view());
            if (!text) {
                r.reply = kBadEscape;
                return r;
            }
            faults.flood = *frames;
            faults.floodText = *frames != 0 ? *text : std::string();
            r.action = ControlAction::Flood;
            r.reply = "ok flood " + (*frames < 0    ? std::string("on")
                                     : *frames == 0 ? std::string("off")
                                                    : std::to_string(*frames));
            return r;
        }
    }
    if (word == "ignore" && w.size() <= 2) {
        if (const auto n = w.size() == 1 ? std::optional<int>(1) : ParseNumber(w[1])) {
            faults.ignore = *n;
            r.reply = "ok ignore " + std::to_string(*n);
            return r;
        }
    }
    if (word == "bigreply" && w.size() == 2) {
        if (const auto n = ParseNumber(w[1], static_cast<int>(kMaxReplyText))) {
            faults.bigReply = static_cast<size_t>(*n);
            r.reply = "ok bigreply " + std::to_string(*n);
            return r;
        }
        r.reply = "error: bigreply takes 0 to " + std::to_string(kMaxReplyText) + " bytes";
        return r;
    }
    if (word == "echoname") {
        // "echoname" alone: the console's lines show without a speaker.
        const auto name = Unescape(w.size() > 1 ? RestOfLine(line, w[1]) : std::string_view());
        if (!name) {
            r.reply = kBadEscape;
            return r;
        }
        if (name->find_first_of(":\r\n") != std::string::npos) {
            r.reply = "error: an echo name holds no ':', CR or LF";
            return r;
        }
        game.SetEchoName(*name);
        r.reply = "ok echoname " + Escape(*name);
        return r;
    }
    if (word == "trimchat" && w.size() == 2) {
        if (const auto n = ParseNumber(w[1])) {
            r.reply = "ok trimchat (" + std::to_string(game.TrimChat(static_cast<size_t>(*n))) +
                      " lines left)";
            return r;
        }
    }
    r.reply = "error: unknown control line: " + std::string(line) + " (try help)";
    return r;
}

std::string StatusText(const FaultState& faults, const SimGame& game, bool connected, bool loggedIn,
                       int refuseSecondsLeft, size_t waiting) {
    return std::string("status: stall ") + OnOff(faults.stall) + ", menu " +
           OnOff(game.MenuMode()) + ", reject " + OnOff(faults.reject) + ", split " +
           OnOff(faults.split) + ", coalesce " + OnOff(faults.coalesce) + ", ignore " +
           std::to_string(faults.ignore) + ", bigreply " + std::to_string(faults.bigReply) +
           ", echoname " + Escape(game.EchoName()) + ", flood " + FloodState(faults.flood) +
           ", refusing " + std::to_string(refuseSecondsLeft) + " s, connection " +
           (loggedIn    ? "logged in"
            : connected ? "open"
                        : "none") +
           ", waiting " + std::to_string(waiting) + ", players " +
           std::to_string(game.Players().size());
}

}  // namespace tavrin::sim
