// Arbitrary server text made into one log line: no control byte survives, the
// line stays within its bound, and escaping twice changes nothing.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/log_text.h"
#include "support/silent_host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tavrin;
    using tavrin::testing::Check;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const size_t limit = size % 64;
    const std::string line = LogLineText(text, limit);
    for (unsigned char c : line) Check(c >= 32 && c != 127);
    const std::string note = " ... [cut: " + std::to_string(size) + " bytes]";
    const std::string escaped = EscapeControlBytes(text);
    if (escaped.size() <= limit) {
        Check(line == escaped);
    } else {
        Check(line.size() <= limit + note.size() && line.ends_with(note));
        Check(escaped.starts_with(line.substr(0, line.size() - note.size())));
    }
    Check(EscapeControlBytes(escaped) == escaped);
    return 0;
}
