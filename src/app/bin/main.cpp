// tavrinrat: the console. "--headless" runs it without a window.
#include <cstring>
#include <iostream>

#include "app/qt/headless.h"

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--headless") == 0) return tavrin::RunHeadless(argc, argv);
    std::cerr << "tavrinrat: the window is not built yet; run with --headless\n";
    return tavrin::RunHeadless(argc, argv);
}
