#include "AccountLookups.h"

#include <algorithm>

#include "Log.h"

namespace server {

namespace {

// On the store's thread: the accounts of `names` and the verdict on each token.
std::vector<AccountLookups::Found> Check(store::Store& store, const std::vector<std::string>& names,
                                         const std::vector<std::string>& tokens) {
    std::vector<AccountLookups::Found> found(names.size());
    try {
        std::vector<std::optional<store::Account>> accounts = store.FindAccounts(names);
        for (std::size_t i = 0; i < names.size(); ++i) {
            found[i].tokenMatches = accounts[i] && store::TokenMatches(tokens[i], accounts[i]->token);
            found[i].account = std::move(accounts[i]);
        }
    } catch (const std::exception& error) {
        Log(Level::Error, "cannot read " + std::to_string(names.size()) + " players: " + error.what());
        std::fill(found.begin(), found.end(), AccountLookups::Found{});
    }
    return found;
}

}  // namespace

void AccountLookups::Find(std::string name, std::string token, Done done) {
    m_queued.push_back({std::move(name), std::move(token), std::move(done)});
    SendNext();
}

void AccountLookups::SendNext() {
    if (m_inFlight || m_queued.empty()) {
        return;
    }
    const std::size_t count = std::min(m_queued.size(), store::Store::kMaxNamesPerLookup);
    std::vector<std::string> names;
    std::vector<std::string> tokens;
    std::vector<Done> waiting;
    for (std::size_t i = 0; i < count; ++i) {
        Lookup& lookup = m_queued.front();
        names.push_back(std::move(lookup.name));
        tokens.push_back(std::move(lookup.token));
        waiting.push_back(std::move(lookup.done));
        m_queued.pop_front();
    }
    m_inFlight = true;
    m_store.Call(
        m_executor,
        [names = std::move(names), tokens = std::move(tokens)](store::Store& store) {
            return Check(store, names, tokens);
        },
        [this, waiting = std::move(waiting)](const std::vector<Found>& found) {
            m_inFlight = false;
            for (std::size_t i = 0; i < waiting.size(); ++i) {
                waiting[i](found[i]);
            }
            SendNext();
        });
}

}  // namespace server
