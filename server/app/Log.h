// The server's log: one line per event on the error stream, with the time and a level. Nothing
// logged ever holds a token.
#pragma once

#include <string_view>

namespace server {

enum class Level { Info, Warn, Error };

void Log(Level level, std::string_view text);

}  // namespace server
