#include "PgCluster.h"

#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "ChildProcess.h"

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

}  // namespace

PgCluster* PgCluster::Shared(std::string* why) {
    static std::string reason;
    static const std::unique_ptr<PgCluster> cluster = [] {
        std::unique_ptr<PgCluster> started(new PgCluster);
        return started->Start(reason) ? std::move(started) : nullptr;
    }();
    if (why != nullptr) {
        *why = reason;
    }
    return cluster.get();
}

bool PgCluster::Start(std::string& why) {
    const passwd* postgres = getpwnam("postgres");
    if (getuid() != 0 || postgres == nullptr || ProgramFolder().empty()) {
        why = "a PostgreSQL cluster needs root and Debian's postgresql package";
        return false;
    }
    char folder[] = "/tmp/odc-pg-XXXXXX";
    if (mkdtemp(folder) == nullptr || chown(folder, postgres->pw_uid, postgres->pw_gid) != 0) {
        why = "cannot make a folder for the cluster";
        return false;
    }
    m_dir = folder;
    m_port = FreePort();
    if (Run("initdb", {"-D", m_dir + "/data", "-A", "trust", "-U", "postgres", "--no-sync"}) != 0) {
        why = "initdb failed (see " + m_dir + "/initdb.log)";
        return false;
    }
    const std::string options =
        "-p " + std::to_string(m_port) + " -k " + m_dir + " -c listen_addresses=127.0.0.1 -c fsync=on";
    m_running = Run("pg_ctl",
                    {"-D", m_dir + "/data", "-o", options, "-l", m_dir + "/server.log", "-w", "start"}) == 0;
    if (!m_running) {
        why = "the cluster did not start (see " + m_dir + "/server.log)";
    }
    return m_running;
}

PgCluster::~PgCluster() {
    if (m_running) {
        Run("pg_ctl", {"-D", m_dir + "/data", "-m", "immediate", "-w", "stop"});
    }
    std::error_code ignored;
    fs::remove_all(m_dir, ignored);
}

std::string PgCluster::NewDatabase() {
    const std::string name = "t" + std::to_string(++m_databases);
    Run("createdb", {"-h", "127.0.0.1", "-p", std::to_string(m_port), "-U", "postgres", name});
    return "postgresql://postgres@127.0.0.1:" + std::to_string(m_port) + "/" + name;
}

int PgCluster::Run(const std::string& program, const std::vector<std::string>& arguments) const {
    std::vector<std::string> argv = {"/usr/sbin/runuser", "-u", "postgres", "--",
                                     ProgramFolder() + "/" + program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    odc::ChildProcess process(argv, {}, m_dir + "/" + program + ".log");
    return process.Wait(60s).value_or(-1);
}

}  // namespace server::test
