#include "sim/sim_options.h"

#include "link/login_block.h"
#include "sim/sim_text.h"

namespace tavrin::sim {

std::string_view UsageText() {
    return "usage: tavrinrat-sim [options]\n"
           "  --port N            RAT port to listen on (default 40000; 0 picks a free one)\n"
           "  --bind ADDRESS      address to listen on (default 127.0.0.1)\n"
           "  --user U --password P\n"
           "                      an admin account; repeat the pair for more accounts\n"
           "                      (default account: username / pinecode)\n"
           "  --control-port N    line-based control port (0 picks a free one)\n"
           "  --seed N            seed of the game, for a reproducible run\n"
           "  --tick-ms N         game step in milliseconds (default 1000; 0 stands still)\n"
           "  --stall --menu --reject --split --coalesce\n"
           "                      start with that fault switched on\n"
           "  --refuse N          refuse connections for the first N seconds\n"
           "  --login-timeout-ms N\n"
           "                      close a connection not logged in after N ms\n"
           "                      (default 10000; 0 never)\n"
           "  --idle-timeout-ms N close an admin silent for N ms when another waits\n"
           "                      (default 60000; 0 never)\n"
           "  --max-waiting N     connections that may wait for the admin slot\n"
           "                      (default 8; later ones are closed at once)\n"
           "  --max-output-bytes N\n"
           "                      unsent bytes a client may leave before it is dropped\n"
           "                      (default 1048576)\n"
           "  --help              this text\n";
}

OptionsResult ParseOptions(std::span<const std::string> args) {
    OptionsResult r;
    SimOptions& o = r.options;
    bool passwordPending = false;
    auto fail = [&](std::string message) {
        r.error = std::move(message);
        return r;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string* {
            return i + 1 < args.size() ? &args[++i] : nullptr;
        };
        auto number = [&](int max) -> std::optional<int> {
            const std::string* v = value();
            return v ? ParseNumber(*v, max) : std::nullopt;
        };
        if (a == "--help" || a == "-h") {
            r.help = true;
        } else if (a == "--stall") {
            o.faults.stall = true;
        } else if (a == "--reject") {
            o.faults.reject = true;
        } else if (a == "--split") {
            o.faults.split = true;
        } else if (a == "--coalesce") {
            o.faults.coalesce = true;
        } else if (a == "--menu") {
            o.menu = true;
        } else if (a == "--port" || a == "--control-port") {
            const auto n = number(65535);
            if (!n) return fail(a + " needs a port number from 0 to 65535");
            if (a == "--port")
                o.port = static_cast<uint16_t>(*n);
            else
                o.controlPort = *n;
        } else if (a == "--tick-ms" || a == "--refuse") {
            const auto n = number(86400000);
            if (!n) return fail(a + " needs a whole number");
            (a == "--tick-ms" ? o.tickMs : o.refuseSeconds) = *n;
        } else if (a == "--login-timeout-ms" || a == "--idle-timeout-ms" || a == "--max-waiting") {
            const auto n = number(86400000);
            if (!n) return fail(a + " needs a whole number");
            (a == "--login-timeout-ms"  ? o.loginTimeoutMs
             : a == "--idle-timeout-ms" ? o.idleTimeoutMs
                                        : o.maxWaiting) = *n;
        } else if (a == "--max-output-bytes") {
            const auto n = number(999999999);
            if (!n || *n == 0) return fail(a + " needs a number of bytes above 0");
            o.maxOutputBytes = *n;
        } else if (a == "--seed") {
            const std::string* v = value();
            if (!v || v->empty() || v->size() > 10 ||
                v->find_first_not_of("0123456789") != std::string::npos ||
                std::stoull(*v) > 0xFFFFFFFFull)
                return fail("--seed needs a number from 0 to 4294967295");
            o.seed = static_cast<uint32_t>(std::stoull(*v));
        } else if (a == "--bind") {
            const std::string* v = value();
            if (!v) return fail("--bind needs an address");
            o.bind = *v;
        } else if (a == "--user") {
            const std::string* v = value();
            if (!v || v->empty() || v->size() > kMaxUserName)
                return fail("--user needs a name of 1 to 32 bytes");
            if (passwordPending) return fail("each --user needs its --password");
            o.accounts.push_back({*v, ""});
            passwordPending = true;
        } else if (a == "--password") {
            const std::string* v = value();
            if (!v || v->size() > kMaxPassword)
                return fail("--password needs a text of at most 33 bytes");
            if (!passwordPending) return fail("--password must follow its --user");
            o.accounts.back().password = *v;
            passwordPending = false;
        } else {
            return fail("unknown option " + a);
        }
    }
    if (passwordPending) return fail("each --user needs its --password");
    if (o.accounts.empty())
        o.accounts.push_back({std::string(kDefaultUser), std::string(kDefaultPassword)});
    return r;
}

}  // namespace tavrin::sim
