// A throwaway PostgreSQL server for the tests: a cluster made with initdb in a temporary folder as
// the postgres user, listening on a free port of 127.0.0.1 only, stopped at once (immediate
// shutdown) and removed at the end. CTest starts one for a whole run (the pg_cluster program, a
// fixture of its own) and names its folder in ODC_TEST_PG_DIR, or in ODC_TEST_DB as
// postgresql:FOLDER for the tests that run the server on it; a test program run alone starts one
// of its own. Tests that need one skip where this machine cannot start it (not root, or
// PostgreSQL not installed); CI installs it.
#pragma once

#include <string>
#include <vector>

namespace server::test {

class PgCluster {
public:
    // The run's cluster, or else this program's, started on first use; null (with the reason in
    // `why`) when there is none.
    static PgCluster* Shared(std::string* why = nullptr);

    // Whether this machine can run a cluster at all (root and Debian's postgresql); the reason when not.
    static bool Possible(std::string& why);
    // Starts a cluster in the empty folder `dir` and leaves it running; false with the reason.
    static bool Start(const std::string& dir, std::string& why);
    // Stops the cluster of `dir` and removes the folder.
    static void Stop(const std::string& dir);

    ~PgCluster();
    PgCluster(const PgCluster&) = delete;
    PgCluster& operator=(const PgCluster&) = delete;

    // A new empty database; its libpq URI.
    std::string NewDatabase();

private:
    PgCluster(std::string dir, std::string server, bool owned)
        : m_dir(std::move(dir)), m_server(std::move(server)), m_owned(owned) {}

    std::string m_dir;
    std::string m_server;  // postgresql://postgres@127.0.0.1:PORT/
    bool m_owned;
    int m_databases = 0;
};

}  // namespace server::test
