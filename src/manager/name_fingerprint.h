#pragma once

// A short fingerprint of a text that must not be written down as typed (a
// user name that is no account may well be a password typed into the wrong
// field): the same text gives the same fingerprint, so repeated attempts can
// be told apart in the event log, but the key is chosen afresh for every run
// and never leaves the process, so a fingerprint cannot be checked against
// guesses.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tavrin {

using FingerprintKey = std::array<uint64_t, 2>;

// SipHash-2-4 of `data` under `key` (the key's bytes are the two words in
// little-endian order).
uint64_t SipHash24(const FingerprintKey& key, std::string_view data);

// A key from the system's random source.
FingerprintKey RandomFingerprintKey();

class NameFingerprint {
  public:
    NameFingerprint() : m_key(RandomFingerprintKey()) {}
    explicit NameFingerprint(const FingerprintKey& key) : m_key(key) {}

    // Eight lower-case hexadecimal digits.
    std::string Of(std::string_view text) const;
    // What a log line says of the text: "a name of 7 bytes, fingerprint 1a2b3c4d".
    std::string Describe(std::string_view text) const;

  private:
    FingerprintKey m_key;
};

}  // namespace tavrin
