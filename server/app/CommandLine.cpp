#include "CommandLine.h"

#include <sys/resource.h>

#include <charconv>

namespace server {

bool ParseInt(std::string_view text, int& value, int low, int high) {
    int parsed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (error != std::errc() || end != text.data() + text.size() || parsed < low || parsed > high) {
        return false;
    }
    value = parsed;
    return true;
}

bool ParseEndpoint(std::string_view text, std::string& host, unsigned short& port) {
    const std::size_t colon = text.rfind(':');
    int number = 0;
    if (colon == std::string_view::npos || !ParseInt(text.substr(colon + 1), number, 0, 65535)) {
        return false;
    }
    std::string_view address = text.substr(0, colon);
    if (address.size() >= 2 && address.front() == '[' && address.back() == ']') {
        address = address.substr(1, address.size() - 2);
    }
    if (address.empty()) {
        return false;
    }
    host = address;
    port = static_cast<unsigned short>(number);
    return true;
}

void RaiseFileLimit() {
    rlimit files{};
    if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
    }
}

}  // namespace server
