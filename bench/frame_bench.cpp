// Reply-frame reassembly against a plain copy of the same bytes: the ratio of
// the two byte rates is the reader's cost per byte.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "link/frame.h"
#include "link/login_block.h"

namespace {

// A stream of replies of typical sizes (a player list is a few kB).
std::string MakeStream() {
    std::string stream;
    for (int i = 0; i < 64; ++i) {
        std::string body(200 + (i * 97) % 3000, 'x');
        size_t total = body.size() + 9;
        stream += std::string{
            0, 0, 0x0D, 0x0A, static_cast<char>(total & 0xFF), static_cast<char>(total >> 8), 0, 0};
        stream += body;
        stream.push_back('\0');
    }
    return stream;
}

void BM_FrameReassembly(benchmark::State& state) {
    const std::string stream = MakeStream();
    const size_t piece = static_cast<size_t>(state.range(0));
    size_t frames = 0;
    for (auto _ : state) {
        tavrin::FrameReader reader;
        for (size_t at = 0; at < stream.size(); at += piece) {
            std::string_view chunk(stream.data() + at, std::min(piece, stream.size() - at));
            for (size_t used = 0; used < chunk.size();) {
                auto r = reader.Feed(chunk.substr(used));
                used += r.used;
                if (r.status == tavrin::FrameReader::Status::Frame) {
                    ++frames;
                    benchmark::DoNotOptimize(r.text.data());
                }
            }
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stream.size()));
    benchmark::DoNotOptimize(frames);
}
BENCHMARK(BM_FrameReassembly)->Arg(1460)->Arg(65536);

void BM_MemcpySameBytes(benchmark::State& state) {
    const std::string stream = MakeStream();
    std::vector<char> out(stream.size());
    for (auto _ : state) {
        std::memcpy(out.data(), stream.data(), stream.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stream.size()));
}
BENCHMARK(BM_MemcpySameBytes);

void BM_BuildLoginBlock(benchmark::State& state) {
    for (auto _ : state) {
        auto r = tavrin::BuildLoginBlock("admin", "secret", "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345");
        benchmark::DoNotOptimize(r.value().data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(BM_BuildLoginBlock);

}  // namespace
