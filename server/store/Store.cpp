#include "Store.h"

#include <libpq-fe.h>

#include <memory>
#include <regex>
#include <string_view>

#include "PgStore.h"
#include "SqliteStore.h"

namespace store {

std::vector<std::optional<Account>> Store::FindAccounts(std::span<const std::string> names) {
    if (names.size() > kMaxNamesPerLookup) {
        throw std::length_error(std::to_string(names.size()) + " names in one lookup, more than " +
                                std::to_string(kMaxNamesPerLookup));
    }
    return ReadAccounts(names);
}

bool IsPostgres(const std::string& db) {
    static const std::regex keyValue(R"(^\s*[A-Za-z_]+\s*=)");
    return db.starts_with("postgresql://") || db.starts_with("postgres://") ||
           std::regex_search(db, keyValue);
}

std::string DisplayName(const std::string& db) {
    if (!IsPostgres(db)) {
        return db;
    }
    const std::unique_ptr<PQconninfoOption, decltype(&PQconninfoFree)> options(
        PQconninfoParse(db.c_str(), nullptr), &PQconninfoFree);
    std::string shown = "PostgreSQL";
    for (const std::string_view keyword : {"host", "hostaddr", "port", "dbname", "user"}) {
        for (const PQconninfoOption* option = options.get(); option != nullptr && option->keyword != nullptr;
             ++option) {
            if (option->val != nullptr && option->keyword == keyword) {
                shown += " " + std::string(keyword) + "=" + option->val;
            }
        }
    }
    return shown;
}

std::unique_ptr<Store> OpenStore(const std::string& db, std::int64_t now, Seed seed) {
    if (IsPostgres(db)) {
        return std::make_unique<PgStore>(db, now, seed);
    }
    return std::make_unique<SqliteStore>(db, now, seed);
}

void CopyRealm(Store& from, Store& to) {
    to.Import(from.Export());
}

}  // namespace store
