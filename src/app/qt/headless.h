#pragma once

#include "app/qt/console_options.h"

namespace tavrin {

// `tavrinrat --headless`, or the window's command where there is no display:
// the console without a window, run with `options` (argc and argv are for
// the application object). Returns the exit status.
int RunHeadless(int argc, char** argv, const ConsoleOptions& options);

// `tavrinrat --check-config`: each problem of the program folder's
// configuration files (and of the servers named with --server) on a line of
// standard output; 1 when one of them is an error, 0 when they are all
// warnings or there is none (66 for a folder that does not exist).
int RunCheckConfig(const ConsoleOptions& options);

}  // namespace tavrin
