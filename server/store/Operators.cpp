#include "Operators.h"

#include <sodium.h>

#include <stdexcept>

namespace store {

const char* RoleName(Role role) {
    return role == Role::Moderator ? "moderator" : "viewer";
}

std::optional<Role> RoleNamed(std::string_view name) {
    if (name == "viewer") {
        return Role::Viewer;
    }
    if (name == "moderator") {
        return Role::Moderator;
    }
    return std::nullopt;
}

std::string HashPassword(std::string_view password) {
    char hash[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(hash, password.data(), password.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0) {
        throw std::runtime_error("cannot hash a password: out of memory");
    }
    return hash;
}

bool PasswordMatches(std::string_view password, const std::string& hash) {
    return crypto_pwhash_str_verify(hash.c_str(), password.data(), password.size()) == 0;
}

std::optional<Verification> LockedOut(const std::optional<Operator>& op, std::int64_t now) {
    if (op && op->lockedUntil > now) {
        return Verification{Verdict::LockedOut, std::nullopt, op->lockedUntil};
    }
    return std::nullopt;
}

const std::string& HashToCheck(const std::optional<Operator>& op) {
    // The hash an unknown name is checked against: made once, never matched by anything given.
    static const std::string dummy = HashPassword("no operator has this password");
    return op ? op->passwordHash : dummy;
}

Verification RecordCheck(Store& store, const std::string& name, bool matches, std::int64_t now) {
    std::optional<Operator> op = store.FindOperator(name);
    if (!op) {
        return {};
    }
    if (auto locked = LockedOut(op, now)) {
        return *locked;
    }
    if (matches) {
        if (op->failures != 0 || op->lockedUntil != 0) {
            store.SetOperatorLock(name, 0, 0);
            op->failures = 0;
            op->lockedUntil = 0;
        }
        return {Verdict::Admitted, std::move(op), 0};
    }
    const int failures = op->failures + 1;
    const bool locks = failures >= kMaxFailures;
    store.SetOperatorLock(name, locks ? 0 : failures, locks ? now + kLockSeconds : 0);
    return {locks ? Verdict::LockedOut : Verdict::Refused, std::nullopt, locks ? now + kLockSeconds : 0};
}

Verification VerifyOperator(Store& store, const std::string& name, std::string_view password,
                            std::int64_t now) {
    const std::optional<Operator> op = store.FindOperator(name);
    if (auto locked = LockedOut(op, now)) {
        return *locked;
    }
    return RecordCheck(store, name, PasswordMatches(password, HashToCheck(op)), now);
}

}  // namespace store
