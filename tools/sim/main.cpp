// tavrinrat-sim: a simulated game server with a remote administration port,
// for trying and testing the console on one machine.

#include <QCoreApplication>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "sim/sim_options.h"
#include "sim/sim_server.h"

int main(int argc, char** argv) {
    using namespace tavrin::sim;
    const std::vector<std::string> args(argv + 1, argv + argc);
    const OptionsResult parsed = ParseOptions(args);
    if (parsed.help) {
        std::fputs(UsageText().data(), stdout);
        return 0;
    }
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "tavrinrat-sim: %s\n%s", parsed.error.c_str(), UsageText().data());
        return 2;
    }
    QCoreApplication app(argc, argv);
    const uint32_t seed = parsed.options.seed.value_or(std::random_device{}());
    SimServer server(parsed.options, seed);
    std::string error;
    if (!server.Start(error)) {
        std::fprintf(stderr, "tavrinrat-sim: %s\n", error.c_str());
        return 1;
    }
    Log("seed " + std::to_string(seed));
    return app.exec();
}
