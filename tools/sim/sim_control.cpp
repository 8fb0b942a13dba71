#include "sim/sim_control.h"

#include "sim/sim_text.h"

namespace tavrin::sim {
namespace {

const char* OnOff(bool on) {
    return on ? "on" : "off";
}

}  // namespace

std::string_view ControlHelp() {
    return "control words: stall on|off, menu on|off, reject on|off, split on|off, "
           "coalesce on|off, close, reset, badheader, refuse <seconds>, say <name> <text>, status, "
           "help";
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
        // The text is the rest of the line as written, inner blanks and all.
        std::string_view text = line.substr(static_cast<size_t>(w[2].data() - line.data()));
        while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
            text.remove_suffix(1);
        const std::string name(w[1]);
        if (const auto id = game.Say(name, text))
            r.reply = "ok say " + name + " (id " + std::to_string(*id) + ")";
        else
            r.reply = "error: " + name + " cannot speak (banned, no player name, or game full)";
        return r;
    }
    r.reply = "error: unknown control line: " + std::string(line) + " (try help)";
    return r;
}

std::string StatusText(const FaultState& faults, const SimGame& game, bool connected, bool loggedIn,
                       int refuseSecondsLeft) {
    return std::string("status: stall ") + OnOff(faults.stall) + ", menu " +
           OnOff(game.MenuMode()) + ", reject " + OnOff(faults.reject) + ", split " +
           OnOff(faults.split) + ", coalesce " + OnOff(faults.coalesce) + ", refusing " +
           std::to_string(refuseSecondsLeft) + " s, connection " +
           (loggedIn    ? "logged in"
            : connected ? "open"
                        : "none") +
           ", players " + std::to_string(game.Players().size());
}

}  // namespace tavrin::sim
