#include "manager/tls_key_pair.h"

#include <gtest/gtest.h>

#include <string>

namespace tavrin {
namespace {

std::string Der(int tag, const std::string& content) {
    std::string out(1, static_cast<char>(tag));
    const size_t n = content.size();
    if (n < 0x80) {
        out += static_cast<char>(n);
    } else {
        out += static_cast<char>(0x82);
        out += static_cast<char>(n >> 8);
        out += static_cast<char>(n & 0xFF);
    }
    return out + content;
}
std::string Int(const std::string& bytes) {
    return Der(0x02, bytes);
}
std::string Seq(const std::string& content) {
    return Der(0x30, content);
}
std::string Bits(const std::string& content) {
    return Der(0x03, std::string(1, '\0') + content);
}

const std::string kRsaAlg = Seq(Der(0x06, "\x2a\x86\x48\x86\xf7\x0d\x01\x01\x01") + Der(0x05, ""));
const std::string kEcAlg = Seq(Der(0x06, "\x2a\x86\x48\xce\x3d\x02\x01"));

std::string RsaPkcs1(const std::string& n, const std::string& e) {
    return Seq(Int(std::string(1, '\0')) + Int(n) + Int(e) + Int("\x33\x44"));
}
std::string Pkcs8(const std::string& alg, const std::string& key) {
    return Seq(Int(std::string(1, '\0')) + alg + Der(0x04, key));
}
std::string RsaSpki(const std::string& n, const std::string& e) {
    return Seq(kRsaAlg + Bits(Seq(Int(n) + Int(e))));
}
std::string EcKey(const std::string& point, bool withPoint = true) {
    return Seq(Int("\x01") + Der(0x04, std::string(32, '\x11')) + Der(0xA0, "\x06\x01\x01") +
               (withPoint ? Der(0xA1, Bits(point)) : ""));
}
std::string EcSpki(const std::string& point) {
    return Seq(kEcAlg + Bits(point));
}

TEST(CheckKeyPair, Table) {
    const std::string n1 = std::string(1, '\0') + std::string(256, '\xC1');  // long lengths
    const std::string n2 = std::string(1, '\0') + std::string(256, '\xC2');
    const std::string e = "\x01\x00\x01";
    const std::string p1 = "\x04" + std::string(64, '\x21');
    const std::string p2 = "\x04" + std::string(64, '\x22');
    const struct {
        const char* what;
        std::string key, cert;
        KeyPairCheck check;
    } cases[] = {
        {"RSA, PKCS#1", RsaPkcs1(n1, e), RsaSpki(n1, e), KeyPairCheck::Match},
        {"RSA, PKCS#8", Pkcs8(kRsaAlg, RsaPkcs1(n1, e)), RsaSpki(n1, e), KeyPairCheck::Match},
        {"RSA, another modulus", RsaPkcs1(n2, e), RsaSpki(n1, e), KeyPairCheck::Mismatch},
        {"RSA, another exponent", RsaPkcs1(n1, "\x03"), RsaSpki(n1, e), KeyPairCheck::Mismatch},
        {"RSA, PKCS#8, another modulus", Pkcs8(kRsaAlg, RsaPkcs1(n2, e)), RsaSpki(n1, e),
         KeyPairCheck::Mismatch},
        {"EC", EcKey(p1), EcSpki(p1), KeyPairCheck::Match},
        {"EC, PKCS#8", Pkcs8(kEcAlg, EcKey(p1)), EcSpki(p1), KeyPairCheck::Match},
        {"EC, another point", EcKey(p2), EcSpki(p1), KeyPairCheck::Mismatch},
        {"an RSA key, an EC certificate", RsaPkcs1(n1, e), EcSpki(p1), KeyPairCheck::Mismatch},
        {"EC saved without its point", EcKey(p1, false), EcSpki(p1), KeyPairCheck::Unknown},
        {"a key cut short", RsaPkcs1(n1, e).substr(0, 100), RsaSpki(n1, e), KeyPairCheck::Unknown},
        {"no DER at all", "-----BEGIN", RsaSpki(n1, e), KeyPairCheck::Unknown},
        {"an empty certificate key", RsaPkcs1(n1, e), "", KeyPairCheck::Unknown},
    };
    for (const auto& c : cases) EXPECT_EQ(CheckKeyPair(c.key, c.cert), c.check) << c.what;
}

}  // namespace
}  // namespace tavrin
