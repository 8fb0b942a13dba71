#pragma once

// Whether a private key belongs to a certificate, read from their DER bytes:
// the public half that the key carries (an RSA modulus and exponent, an EC
// point) must be the certificate's public key. A pair that does not match
// would open the Admin Port and then fail every handshake.

#include <string_view>

namespace tavrin {

enum class KeyPairCheck {
    Match,
    Mismatch,
    // One of them is of a form not read here (another algorithm, an EC key
    // saved without its public point): nothing can be said.
    Unknown,
};

// `privateKeyDer`: PKCS#1 RSAPrivateKey, SEC1 ECPrivateKey, or either inside
// PKCS#8 PrivateKeyInfo. `publicKeyDer`: the certificate's
// SubjectPublicKeyInfo (or a bare PKCS#1 RSAPublicKey).
KeyPairCheck CheckKeyPair(std::string_view privateKeyDer, std::string_view publicKeyDer);

}  // namespace tavrin
