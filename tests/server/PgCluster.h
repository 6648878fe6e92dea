// A throwaway PostgreSQL server for the tests: a cluster made with initdb in a temporary folder as
// the postgres user, listening on a free port of 127.0.0.1 only, stopped at once (immediate
// shutdown) and removed at the end. Tests that need one skip where this machine cannot start it
// (not root, or PostgreSQL not installed); CI installs it.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace server::test {

class PgCluster {
public:
    // The cluster of this test program, started on first use; null (with the reason in `why`) when
    // it cannot start.
    static PgCluster* Shared(std::string* why = nullptr);

    ~PgCluster();
    PgCluster(const PgCluster&) = delete;
    PgCluster& operator=(const PgCluster&) = delete;

    // A new empty database; its libpq URI.
    std::string NewDatabase();
    unsigned short Port() const { return m_port; }

private:
    PgCluster() = default;
    bool Start(std::string& why);
    // Runs a PostgreSQL program as the postgres user; its exit code (-1 when it did not end).
    int Run(const std::string& program, const std::vector<std::string>& arguments) const;

    std::string m_dir;
    unsigned short m_port = 0;
    int m_databases = 0;
    bool m_running = false;
};

}  // namespace server::test
