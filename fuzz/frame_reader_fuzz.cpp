// Arbitrary bytes from the game server, cut into arbitrary reads.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "link/frame.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte picks the read size, so split and coalesced frames both occur.
    const size_t piece = 1 + data[0] % 64;
    std::string_view stream(reinterpret_cast<const char*>(data + 1), size - 1);
    tavrin::FrameReader reader;
    for (size_t at = 0; at < stream.size();) {
        std::string_view chunk = stream.substr(at, piece);
        size_t used = 0;
        while (used < chunk.size()) {
            auto r = reader.Feed(chunk.substr(used));
            if (r.status == tavrin::FrameReader::Status::Broken) return 0;
            if (r.used == 0 && r.status != tavrin::FrameReader::Status::Frame) __builtin_trap();
            used += r.used;
        }
        at += chunk.size();
    }
    return 0;
}
