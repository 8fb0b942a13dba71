#include "manager/name_fingerprint.h"

#include <cstdio>
#include <random>

namespace tavrin {
namespace {

constexpr uint64_t Rotl(uint64_t x, int b) {
    return (x << b) | (x >> (64 - b));
}

struct SipState {
    uint64_t v0, v1, v2, v3;

    void Round() {
        v0 += v1;
        v1 = Rotl(v1, 13);
        v1 ^= v0;
        v0 = Rotl(v0, 32);
        v2 += v3;
        v3 = Rotl(v3, 16);
        v3 ^= v2;
        v0 += v3;
        v3 = Rotl(v3, 21);
        v3 ^= v0;
        v2 += v1;
        v1 = Rotl(v1, 17);
        v1 ^= v2;
        v2 = Rotl(v2, 32);
    }
    void Absorb(uint64_t m) {
        v3 ^= m;
        Round();
        Round();
        v0 ^= m;
    }
};

uint64_t LittleEndian(const char* p, size_t n) {
    uint64_t word = 0;
    for (size_t i = 0; i < n; ++i) word |= uint64_t{static_cast<unsigned char>(p[i])} << (8 * i);
    return word;
}

}  // namespace

uint64_t SipHash24(const FingerprintKey& key, std::string_view data) {
    SipState s{key[0] ^ 0x736f6d6570736575ULL, key[1] ^ 0x646f72616e646f6dULL,
               key[0] ^ 0x6c7967656e657261ULL, key[1] ^ 0x7465646279746573ULL};
    const size_t whole = data.size() / 8 * 8;
    for (size_t at = 0; at < whole; at += 8) s.Absorb(LittleEndian(data.data() + at, 8));
    const uint64_t last = LittleEndian(data.data() + whole, data.size() - whole) |
                          (uint64_t{data.size() & 0xFF} << 56);
    s.Absorb(last);
    s.v2 ^= 0xFF;
    for (int i = 0; i < 4; ++i) s.Round();
    return s.v0 ^ s.v1 ^ s.v2 ^ s.v3;
}

FingerprintKey RandomFingerprintKey() {
    std::random_device random;
    FingerprintKey key{};
    for (uint64_t& word : key) word = (uint64_t{random()} << 32) ^ uint64_t { random() };
    return key;
}

std::string NameFingerprint::Of(std::string_view text) const {
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08x",
                  static_cast<unsigned>(SipHash24(m_key, text) >> 32));
    return digits;
}

std::string NameFingerprint::Describe(std::string_view text) const {
    return "a name of " + std::to_string(text.size()) + " bytes, fingerprint " + Of(text);
}

}  // namespace tavrin
