// The account lookups of logins, batched like the hall's commits: the logins that arrive while a
// lookup is on the store's thread gather and go together as the next, at most
// Store::kMaxNamesPerLookup at a time. Each login's token is compared there with the account's
// hash, so that the game thread spends nothing on either and learns only the verdict.
#pragma once

#include <boost/asio/any_io_executor.hpp>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Store.h"
#include "StoreWorker.h"

namespace server {

class AccountLookups {
public:
    // What the store's thread found for one login: the account of its name, if there is one, and
    // whether the login's token matches that account's hash.
    struct Found {
        std::optional<store::Account> account;
        bool tokenMatches = false;
    };
    using Done = std::function<void(const Found&)>;

    AccountLookups(boost::asio::any_io_executor executor, StoreWorker& store)
        : m_executor(std::move(executor)), m_store(store) {}

    // Looks `name` up and compares `token` with its hash; `done` runs on the executor. A lookup the
    // store fails finds no account (the error is logged).
    void Find(std::string name, std::string token, Done done);

private:
    struct Lookup {
        std::string name;
        std::string token;
        Done done;
    };
    // Sends the lookups queued, up to the bound, unless a batch is on the store's thread.
    void SendNext();

    boost::asio::any_io_executor m_executor;
    StoreWorker& m_store;
    std::deque<Lookup> m_queued;
    bool m_inFlight = false;
};

}  // namespace server
