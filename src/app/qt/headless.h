#pragma once

namespace tavrin {

// `tavrinrat --headless`: the console without a window. Returns the exit status.
int RunHeadless(int argc, char** argv);

}  // namespace tavrin
