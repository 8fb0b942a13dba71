// Reads arbitrary bytes as each configuration file for --check-config: every
// problem names its file and a line the text has; a text the readers take
// whole may still have problems, but never one past its last line.

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "app/config_check.h"
#include "support/silent_host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tavrin;
    using tavrin::testing::Check;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const int lines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) +
                      (text.empty() || text.back() == '\n' ? 0 : 1);
    for (auto check : {CheckServerList, CheckAdminAccounts, CheckChatBotConfig, CheckAdminMenu,
                       CheckWindowState}) {
        for (const ConfigProblem& p : check(text)) {
            Check(p.file.starts_with("Configs/"));
            Check(p.line >= 0 && p.line <= lines);
            const std::string line = ProblemLine(p);
            Check(line.find('\n') == std::string::npos);
        }
    }
    return 0;
}
