// How the store waits while its database cannot take a transaction and nothing of it is written.
#pragma once

#include <functional>

namespace store {

// Called while the database cannot take a transaction (another process holds SQLite's write lock,
// or the PostgreSQL server cannot be reached) and nothing of it is known to be written, with the
// number of tries so far: waits as it sees fit and says whether to try again.
using BusyWait = std::function<bool(int tries)>;

}  // namespace store
