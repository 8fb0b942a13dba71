#include "manager/name_fingerprint.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

TEST(NameFingerprint, SipHashReferenceVectors) {
    const FingerprintKey key{0x0706050403020100ULL, 0x0F0E0D0C0B0A0908ULL};
    std::string fifteen;
    for (char c = 0; c < 15; ++c) fifteen += c;
    EXPECT_EQ(SipHash24(key, ""), 0x726FDB47DD0E0E31ULL);
    EXPECT_EQ(SipHash24(key, fifteen), 0xA129CA6149BE45E5ULL);
}

TEST(NameFingerprint, EightDigitsThatDependOnTheKey) {
    const NameFingerprint a({1, 2}), b({3, 4});
    EXPECT_EQ(a.Of("hunter2").size(), 8u);
    EXPECT_EQ(a.Of("hunter2"), a.Of("hunter2"));
    EXPECT_NE(a.Of("hunter2"), b.Of("hunter2"));
    EXPECT_EQ(a.Describe("hunter2"), "a name of 7 bytes, fingerprint " + a.Of("hunter2"));
}

}  // namespace
}  // namespace tavrin
