// tavrinrat: the desktop console; "--headless" runs it without a window.
#include <iostream>

#include "app/qt/console_options.h"
#include "app/qt/headless.h"
#include "app/ui/window_app.h"

int main(int argc, char** argv) {
    using tavrin::CommandLine;
    const CommandLine line = tavrin::ParseCommandLine(argc, argv);
    switch (line.outcome) {
        case CommandLine::Outcome::Help:
            std::cout << tavrin::UsageText();
            return 0;
        case CommandLine::Outcome::Bad:
            std::cerr << line.error;
            return 64;
        case CommandLine::Outcome::Run:
            break;
    }
    if (line.options.checkConfig) return tavrin::RunCheckConfig(line.options);
    if (line.options.frontEnd == tavrin::FrontEnd::Headless)
        return tavrin::RunHeadless(argc, argv, line.options);
    return tavrin::RunWindow(argc, argv, line.options);
}
