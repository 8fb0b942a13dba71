// tavrinrat: the desktop console; "--headless" runs it without a window.
#include <cstring>

#include "app/qt/headless.h"
#include "app/ui/window_app.h"

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--headless") == 0) return tavrin::RunHeadless(argc, argv);
    return tavrin::RunWindow(argc, argv);
}
