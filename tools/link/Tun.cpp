#include "Tun.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/if_tun.h>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>

namespace tunlink {

namespace {

[[noreturn]] void Fail(const std::string& what) {
    throw std::system_error(errno, std::generic_category(), what);
}

// A descriptor closed when it goes out of scope, unless it is released.
class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0) {
            close(m_fd);
        }
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int Get() const { return m_fd; }
    int Release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

void SetAddress(int socketFd, ifreq& request, unsigned long command, const std::string& address) {
    sockaddr_in in{};
    in.sin_family = AF_INET;
    if (inet_pton(AF_INET, address.c_str(), &in.sin_addr) != 1) {
        errno = EINVAL;
        Fail("not an IPv4 address: " + address);
    }
    std::memcpy(&request.ifr_addr, &in, sizeof in);
    if (ioctl(socketFd, command, &request) != 0) {
        Fail("cannot set the address " + address);
    }
}

}  // namespace

int OpenTun(const std::string& ns, const std::string& device, const std::string& local,
            const std::string& peer) {
    if (device.empty() || device.size() >= IFNAMSIZ) {
        errno = EINVAL;
        Fail("a device name has 1 to " + std::to_string(IFNAMSIZ - 1) + " characters");
    }
    const Fd home(open("/proc/self/ns/net", O_RDONLY | O_CLOEXEC));
    const Fd target(open(("/run/netns/" + ns).c_str(), O_RDONLY | O_CLOEXEC));
    if (home.Get() < 0 || target.Get() < 0) {
        Fail("no network namespace " + ns);
    }
    if (setns(target.Get(), CLONE_NEWNET) != 0) {
        Fail("cannot enter the namespace " + ns);
    }
    // Whatever happens below, the thread goes home again.
    struct GoHome {
        int fd;
        ~GoHome() { setns(fd, CLONE_NEWNET); }
    } goHome{home.Get()};

    Fd tun(open("/dev/net/tun", O_RDWR | O_NONBLOCK | O_CLOEXEC));
    ifreq request{};
    std::strncpy(request.ifr_name, device.c_str(), IFNAMSIZ - 1);
    request.ifr_flags = IFF_TUN | IFF_NO_PI;
    if (tun.Get() < 0 || ioctl(tun.Get(), TUNSETIFF, &request) != 0) {
        Fail("cannot create the TUN device " + device + " in " + ns);
    }
    const Fd control(socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    SetAddress(control.Get(), request, SIOCSIFADDR, local);
    SetAddress(control.Get(), request, SIOCSIFDSTADDR, peer);
    if (ioctl(control.Get(), SIOCGIFFLAGS, &request) != 0) {
        Fail("cannot read the flags of " + device);
    }
    request.ifr_flags |= IFF_UP | IFF_RUNNING;
    if (ioctl(control.Get(), SIOCSIFFLAGS, &request) != 0) {
        Fail("cannot bring " + device + " up");
    }
    return tun.Release();
}

}  // namespace tunlink
