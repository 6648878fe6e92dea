#include "Credentials.h"

#include <sodium.h>

namespace store {

namespace {

constexpr std::size_t kTokenBytes = 32;
constexpr std::size_t kSaltBytes = crypto_generichash_KEYBYTES;
constexpr std::size_t kHashBytes = crypto_generichash_BYTES;

std::vector<unsigned char> Hash(std::string_view token, const std::vector<unsigned char>& salt) {
    std::vector<unsigned char> hash(kHashBytes);
    crypto_generichash(hash.data(), hash.size(), reinterpret_cast<const unsigned char*>(token.data()),
                       token.size(), salt.data(), salt.size());
    return hash;
}

}  // namespace

bool InitCrypto() {
    return sodium_init() >= 0;
}

std::string NewToken() {
    unsigned char bytes[kTokenBytes];
    randombytes_buf(bytes, sizeof bytes);
    char hex[2 * kTokenBytes + 1];
    sodium_bin2hex(hex, sizeof hex, bytes, sizeof bytes);
    sodium_memzero(bytes, sizeof bytes);
    return hex;
}

TokenHash HashToken(std::string_view token) {
    TokenHash stored;
    stored.salt.resize(kSaltBytes);
    randombytes_buf(stored.salt.data(), stored.salt.size());
    stored.hash = Hash(token, stored.salt);
    return stored;
}

bool TokenMatches(std::string_view token, const TokenHash& stored) {
    if (stored.salt.size() != kSaltBytes || stored.hash.size() != kHashBytes) {
        return false;
    }
    const std::vector<unsigned char> hash = Hash(token, stored.salt);
    return sodium_memcmp(hash.data(), stored.hash.data(), kHashBytes) == 0;
}

}  // namespace store
