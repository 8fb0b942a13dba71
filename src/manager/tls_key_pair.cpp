#include "manager/tls_key_pair.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tavrin {
namespace {

constexpr uint8_t kInteger = 0x02;
constexpr uint8_t kBitString = 0x03;
constexpr uint8_t kOctetString = 0x04;
constexpr uint8_t kSequence = 0x30;
constexpr uint8_t kContext1 = 0xA1;  // [1], where SEC1 keeps the public point

struct Tlv {
    uint8_t tag = 0;
    std::string_view content;
};

// One element off the front of `in`; false for anything that is not whole,
// definite-length DER with a one-byte tag.
bool Next(std::string_view& in, Tlv& out) {
    if (in.size() < 2) return false;
    out.tag = static_cast<uint8_t>(in[0]);
    size_t length = static_cast<uint8_t>(in[1]);
    size_t at = 2;
    if (length & 0x80) {
        const size_t bytes = length & 0x7F;
        if (bytes == 0 || bytes > 4 || in.size() < at + bytes) return false;
        length = 0;
        for (size_t i = 0; i < bytes; ++i) length = (length << 8) | static_cast<uint8_t>(in[at++]);
    }
    if (in.size() - at < length) return false;
    out.content = in.substr(at, length);
    in.remove_prefix(at + length);
    return true;
}

bool NextOf(std::string_view& in, uint8_t tag, Tlv& out) {
    return Next(in, out) && out.tag == tag;
}

std::string_view Unsigned(std::string_view integer) {
    while (integer.size() > 1 && integer[0] == '\0') integer.remove_prefix(1);
    return integer;
}

// The public half of a key, as the two sides are compared.
struct PublicPart {
    enum class Kind { Rsa, Ec } kind;
    std::string value;
    bool operator==(const PublicPart&) const = default;
};

std::optional<PublicPart> Rsa(std::string_view modulus, std::string_view exponent) {
    return PublicPart{PublicPart::Kind::Rsa,
                      std::string(Unsigned(modulus)) + '/' + std::string(Unsigned(exponent))};
}

// RSAPublicKey: SEQUENCE { modulus, publicExponent } and nothing after it.
std::optional<PublicPart> RsaPublicKey(std::string_view der) {
    Tlv seq, n, e;
    if (!NextOf(der, kSequence, seq) || !der.empty()) return std::nullopt;
    std::string_view in = seq.content;
    if (!NextOf(in, kInteger, n) || !NextOf(in, kInteger, e) || !in.empty()) return std::nullopt;
    return Rsa(n.content, e.content);
}

std::optional<PublicPart> OfPrivateKey(std::string_view der, int depth = 0) {
    Tlv seq, version, next;
    if (!NextOf(der, kSequence, seq)) return std::nullopt;
    std::string_view in = seq.content;
    if (!NextOf(in, kInteger, version) || !Next(in, next)) return std::nullopt;
    switch (next.tag) {
        case kSequence: {  // PKCS#8: the algorithm, then the key itself
            Tlv inner;
            if (depth > 0 || !NextOf(in, kOctetString, inner)) return std::nullopt;
            return OfPrivateKey(inner.content, depth + 1);
        }
        case kInteger: {  // PKCS#1: modulus, public exponent, private parts
            Tlv e;
            if (!NextOf(in, kInteger, e)) return std::nullopt;
            return Rsa(next.content, e.content);
        }
        case kOctetString: {  // SEC1: the private scalar, then [0] and [1], both optional
            Tlv field, point;
            while (Next(in, field)) {
                if (field.tag != kContext1) continue;
                std::string_view bits = field.content;
                if (!NextOf(bits, kBitString, point) || point.content.size() < 2 ||
                    point.content[0] != '\0')
                    return std::nullopt;
                return PublicPart{PublicPart::Kind::Ec, std::string(point.content.substr(1))};
            }
            return std::nullopt;
        }
        default:
            return std::nullopt;
    }
}

std::optional<PublicPart> OfPublicKey(std::string_view der) {
    if (auto rsa = RsaPublicKey(der)) return rsa;
    Tlv seq, algorithm, key;
    if (!NextOf(der, kSequence, seq)) return std::nullopt;
    std::string_view in = seq.content;
    if (!NextOf(in, kSequence, algorithm) || !NextOf(in, kBitString, key) ||
        key.content.size() < 2 || key.content[0] != '\0')
        return std::nullopt;
    const std::string_view bits = key.content.substr(1);
    if (auto rsa = RsaPublicKey(bits)) return rsa;
    return PublicPart{PublicPart::Kind::Ec, std::string(bits)};
}

}  // namespace

KeyPairCheck CheckKeyPair(std::string_view privateKeyDer, std::string_view publicKeyDer) {
    const std::optional<PublicPart> mine = OfPrivateKey(privateKeyDer);
    const std::optional<PublicPart> theirs = OfPublicKey(publicKeyDer);
    if (!mine || !theirs) return KeyPairCheck::Unknown;
    return *mine == *theirs ? KeyPairCheck::Match : KeyPairCheck::Mismatch;
}

}  // namespace tavrin
