#pragma once

#include "app/qt/console_options.h"

namespace tavrin {

// `tavrinrat --headless`, or the window's command where there is no display:
// the console without a window, run with `options` (argc and argv are for
// the application object). Returns the exit status.
int RunHeadless(int argc, char** argv, const ConsoleOptions& options);

}  // namespace tavrin
