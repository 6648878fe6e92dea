// Scenario files: what the simulated player and the world do, one command a line. The format is
// described with an example in sim/README.md; examples/scenarios/tour.chamber is the tour
// that chamber-sim plays when it is given no file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace sim {

enum class Verb {
    Say,
    Login,
    Open,
    Close,
    Click,
    RightClick,
    Answer,
    Type,
    Key,
    Wait,
    Jump,
    Wallet,
    Picture,
    Await
};

struct Command {
    int line;
    Verb verb;
    std::string target;        // a widget, a player, an answer, a picture name, a heading
    std::string text;          // type: the text to type
    std::int64_t number = 0;   // key: scan code; wait and jump: milliseconds; wallet: M coins; await: id
    std::int64_t number2 = 0;  // wallet: ballots; await: milliseconds at most
};

struct ScenarioError {
    int line;
    std::string message;
};

using ParsedScenario = std::variant<std::vector<Command>, ScenarioError>;

ParsedScenario ParseScenario(std::string_view text);
// "90s", "5m", "2h", "1d", "250ms" or plain seconds; -1 when it is none of these.
std::int64_t ParseDuration(std::string_view text);
// The verb as written in a scenario file.
std::string_view VerbName(Verb verb);

// The built-in tour, the text of examples/scenarios/tour.chamber compiled in.
std::string_view BuiltInScenario();

}  // namespace sim
