// The console's operators: their passwords, hashed with Argon2id (libsodium's crypto_pwhash_str
// at its INTERACTIVE limits: 64 MiB and a fraction of a second a hash), and the check of a password with a
// lock-out after repeated failures.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "Store.h"

namespace store {

// A password shorter than this is refused.
inline constexpr std::size_t kMinPasswordBytes = 12;
inline constexpr std::size_t kMaxPasswordBytes = 1024;
// So many wrong passwords in a row lock an operator out for kLockSeconds.
inline constexpr int kMaxFailures = 5;
inline constexpr std::int64_t kLockSeconds = 15 * 60;

// The stored text of a password's hash (its salt and limits inside); throws when libsodium cannot
// hash (out of memory).
std::string HashPassword(std::string_view password);
// Whether `password` matches a stored hash.
bool PasswordMatches(std::string_view password, const std::string& hash);

enum class Verdict { Admitted, Refused, LockedOut };

struct Verification {
    Verdict verdict = Verdict::Refused;
    std::optional<Operator> op;    // when admitted
    std::int64_t lockedUntil = 0;  // when locked out: until when (seconds since 1970)
};

// Checks an operator's password at `now` (seconds since 1970). An unknown name costs a hash all
// the same, so that timing does not tell names apart. A locked-out operator is refused without a
// look at the password; the kMaxFailures-th failure in a row locks it out, a success resets the
// count. A hash takes a fraction of a second: run it where that holds up nothing else.
Verification VerifyOperator(Store& store, const std::string& name, std::string_view password,
                            std::int64_t now);

// VerifyOperator in steps, for a server that hashes on a thread of its own: read the operator
// (FindOperator) and refuse a locked-out one at once (LockedOut), compare the password with
// HashToCheck anywhere, then record the outcome (RecordCheck). RecordCheck reads the operator again,
// so that checks that crossed each count their failure.
std::optional<Verification> LockedOut(const std::optional<Operator>& op, std::int64_t now);
// The operator's hash, or for an unknown name one that nothing matches.
const std::string& HashToCheck(const std::optional<Operator>& op);
Verification RecordCheck(Store& store, const std::string& name, bool matches, std::int64_t now);

}  // namespace store
