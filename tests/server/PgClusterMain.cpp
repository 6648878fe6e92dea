// pg_cluster start DIR | stop DIR: the throwaway PostgreSQL cluster of a whole test run, started
// before the tests that use it and stopped after them (CTest's fixture). On a machine that cannot
// run one (not root, no postgresql) starting says so and succeeds, and the tests skip; where one
// should start and does not, it fails.
#include <iostream>
#include <string>

#include "PgCluster.h"

int main(int argc, char** argv) {
    const std::string command = argc == 3 ? argv[1] : "";
    if (command == "start") {
        server::test::PgCluster::Stop(argv[2]);
        std::string why;
        if (!server::test::PgCluster::Start(argv[2], why)) {
            std::cout << "no PostgreSQL cluster: " << why << "\n";
            return server::test::PgCluster::Possible(why) ? 1 : 0;
        }
        return 0;
    }
    if (command == "stop") {
        server::test::PgCluster::Stop(argv[2]);
        return 0;
    }
    std::cerr << "usage: pg_cluster start|stop DIR\n";
    return 2;
}
