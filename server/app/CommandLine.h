// What the command lines of the server and its tools share.
#pragma once

#include <string>
#include <string_view>

namespace server {

// A decimal integer within low ... high, the whole text; `value` is unchanged when it is not one.
bool ParseInt(std::string_view text, int& value, int low, int high);
// "HOST:PORT" with an IPv4 address or a name, or "[IPv6]:PORT"; port 0 ... 65535.
bool ParseEndpoint(std::string_view text, std::string& host, unsigned short& port);
// Takes every file descriptor the system allows this process: a connection is one.
void RaiseFileLimit();

}  // namespace server
