// The descriptor limit of programs that hold many connections.
#pragma once

namespace cli {

// Takes every file descriptor the system allows this process: a connection is one.
void RaiseFileLimit();

}  // namespace cli
