// Players' secret tokens: made at random, stored only as a salted hash, checked in constant time.
// A token is 32 random bytes written as 64 hex digits, so it cannot be guessed: a fast keyed hash
// (BLAKE2b, libsodium's crypto_generichash) is the standard way to store such a secret; slow
// password hashing is for secrets people choose.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace store {

struct TokenHash {
    std::vector<unsigned char> salt;
    std::vector<unsigned char> hash;
    friend bool operator==(const TokenHash&, const TokenHash&) = default;
};

// Starts libsodium; false when it cannot run (no random source).
bool InitCrypto();
// A new random token.
std::string NewToken();
// The token's hash under a new random salt.
TokenHash HashToken(std::string_view token);
// Whether `token` hashes to `stored.hash` under its salt; the comparison takes the same time
// wherever the hashes differ.
bool TokenMatches(std::string_view token, const TokenHash& stored);

}  // namespace store
