#include "PgCluster.h"

#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string_view>

#include "ChildProcess.h"
#include "Postgres.h"

namespace server::test {

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The folder of initdb and pg_ctl: Debian keeps each version's programs apart.
std::string ProgramFolder() {
    std::error_code error;
    for (const auto& version : fs::directory_iterator("/usr/lib/postgresql", error)) {
        if (fs::exists(version.path() / "bin/initdb")) {
            return (version.path() / "bin").string();
        }
    }
    return {};
}

unsigned short FreePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    unsigned short port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    close(fd);
    return port;
}

// Runs a PostgreSQL program as the postgres user; its exit code (-1 when it did not end).
int Run(const std::string& dir, const std::string& program, const std::vector<std::string>& arguments) {
    std::vector<std::string> argv = {"/usr/sbin/runuser", "-u", "postgres", "--",
                                     ProgramFolder() + "/" + program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    odc::ChildProcess process(argv, {}, dir + "/" + program + ".log");
    return process.Wait(60s).value_or(-1);
}

// The folder of the run's cluster, when CTest started one.
const char* RunFolder() {
    if (const char* dir = std::getenv("ODC_TEST_PG_DIR")) {
        return dir;
    }
    const char* db = std::getenv("ODC_TEST_DB");
    const std::string_view prefix = "postgresql:";
    return db != nullptr && std::string_view(db).starts_with(prefix) ? db + prefix.size() : nullptr;
}

std::string ServerOf(const std::string& dir) {
    std::ifstream in(dir + "/server");
    std::string server;
    std::getline(in, server);
    return server;
}

}  // namespace

bool PgCluster::Possible(std::string& why) {
    if (getuid() != 0 || getpwnam("postgres") == nullptr || ProgramFolder().empty()) {
        why = "a PostgreSQL cluster needs root and Debian's postgresql package";
        return false;
    }
    return true;
}

bool PgCluster::Start(const std::string& dir, std::string& why) {
    if (!Possible(why)) {
        return false;
    }
    const passwd* postgres = getpwnam("postgres");
    std::error_code ignored;
    fs::create_directories(dir, ignored);
    if (chown(dir.c_str(), postgres->pw_uid, postgres->pw_gid) != 0) {
        why = "cannot give " + dir + " to the postgres user";
        return false;
    }
    if (Run(dir, "initdb", {"-D", dir + "/data", "-A", "trust", "-U", "postgres", "--no-sync"}) != 0) {
        why = "initdb failed (see " + dir + "/initdb.log)";
        return false;
    }
    const unsigned short port = FreePort();
    const std::string options =
        "-p " + std::to_string(port) + " -k " + dir + " -c listen_addresses=127.0.0.1 -c fsync=on";
    if (Run(dir, "pg_ctl", {"-D", dir + "/data", "-o", options, "-l", dir + "/server.log", "-w", "start"}) !=
        0) {
        why = "the cluster did not start (see " + dir + "/server.log)";
        return false;
    }
    std::ofstream(dir + "/server") << "postgresql://postgres@127.0.0.1:" << port << "/\n";
    return true;
}

void PgCluster::Stop(const std::string& dir) {
    if (fs::exists(dir + "/data/postmaster.pid")) {
        Run(dir, "pg_ctl", {"-D", dir + "/data", "-m", "immediate", "-w", "stop"});
    }
    std::error_code ignored;
    fs::remove_all(dir, ignored);
}

PgCluster* PgCluster::Shared(std::string* why) {
    static std::string reason;
    static const std::unique_ptr<PgCluster> cluster = []() -> std::unique_ptr<PgCluster> {
        if (const char* dir = RunFolder()) {
            const std::string server = ServerOf(dir);
            if (server.empty()) {
                reason = std::string("the run's cluster in ") + dir + " did not start";
                return nullptr;
            }
            return std::unique_ptr<PgCluster>(new PgCluster(dir, server, false));
        }
        char folder[] = "/tmp/odc-pg-XXXXXX";
        if (mkdtemp(folder) == nullptr) {
            reason = "cannot make a folder for the cluster";
            return nullptr;
        }
        if (!Start(folder, reason)) {
            return nullptr;
        }
        return std::unique_ptr<PgCluster>(new PgCluster(folder, ServerOf(folder), true));
    }();
    if (why != nullptr) {
        *why = reason;
    }
    return cluster.get();
}

PgCluster::~PgCluster() {
    if (m_owned) {
        Stop(m_dir);
    }
}

std::string PgCluster::NewDatabase() {
    const std::string name = "t" + std::to_string(getpid()) + "_" + std::to_string(++m_databases);
    store::pg::Connection(m_server + "postgres").Exec("CREATE DATABASE " + name);
    return m_server + name;
}

}  // namespace server::test
