// GetKeyValue, HexToInt and TextToInt over arbitrary texts and keys.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/value_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view all(reinterpret_cast<const char*>(data), size);
    // Text and key are split at the first NUL byte.
    size_t cut = all.find('\0');
    std::string_view text = all.substr(0, cut);
    std::string_view key = cut == std::string_view::npos ? std::string_view() : all.substr(cut + 1);

    std::string value = tavrin::GetKeyValue(text, key);
    if (value != "Failed" && value.find('\\') != std::string::npos) __builtin_trap();
    (void)tavrin::HexToInt(text);
    (void)tavrin::TextToInt(text);
    (void)tavrin::IntToHex4(tavrin::TextToInt(key));
    return 0;
}
