// The scenario format: every command with its arguments, and the errors a file can have.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Scenario.h"

namespace sim {
namespace {

std::vector<Command> Parse(std::string_view text) {
    const ParsedScenario parsed = ParseScenario(text);
    if (const auto* error = std::get_if<ScenarioError>(&parsed)) {
        ADD_FAILURE() << "line " << error->line << ": " << error->message;
        return {};
    }
    return std::get<std::vector<Command>>(parsed);
}

ScenarioError Error(std::string_view text) {
    const ParsedScenario parsed = ParseScenario(text);
    EXPECT_TRUE(std::holds_alternative<ScenarioError>(parsed)) << text;
    return std::holds_alternative<ScenarioError>(parsed) ? std::get<ScenarioError>(parsed) : ScenarioError{};
}

// The tour (played by the golden test) reads every verb in its plain form; here, the forms it does
// not use: line ends and indents, quoted texts, numeric answers and keys, and close.
TEST(ScenarioTest, CommandsAreReadWithTheirArgumentsInEveryForm) {
    const std::vector<Command> commands = Parse(
        "# a comment\n"
        "\n"
        "login 小舞\r\n"
        "  answer 7\n"
        "type Chamber/m_GuiToolsChangeName.SICurName \" \\\"x\\\" \"\n"
        "key 0x58\n"
        "wallet 100 12\n"
        "close\n");
    ASSERT_EQ(commands.size(), 6u);
    EXPECT_EQ(commands[0].target, "小舞");
    EXPECT_EQ(commands[0].line, 3);
    EXPECT_EQ(commands[1].target, "7");
    EXPECT_EQ(commands[2].text, " \"x\" ");
    EXPECT_EQ(commands[3].number, 0x58);
    EXPECT_EQ(commands[4].number, 100);
    EXPECT_EQ(commands[4].number2, 12);
    EXPECT_EQ(commands[5].verb, Verb::Close);
    EXPECT_EQ(commands[5].line, 8);
}

TEST(ScenarioTest, DurationsTakeTheirUnits) {
    EXPECT_EQ(ParseDuration("250ms"), 250);
    EXPECT_EQ(ParseDuration("3"), 3000);
    EXPECT_EQ(ParseDuration("5m"), 300'000);
    EXPECT_EQ(ParseDuration("2h"), 7'200'000);
    EXPECT_EQ(ParseDuration("h"), -1);
    EXPECT_EQ(ParseDuration("-5s"), -1);
    EXPECT_EQ(ParseDuration("5 s"), -1);
    EXPECT_EQ(ParseDuration("366d"), -1) << "a year at most";
}

TEST(ScenarioTest, ErrorsNameTheLineAndTheCommand) {
    EXPECT_EQ(Error("open\nfly away\n").line, 2);
    EXPECT_EQ(Error("open\nfly away\n").message, "unknown command 'fly'");
    EXPECT_EQ(Error("open now").message, "open: no arguments expected");
    EXPECT_EQ(Error("click").line, 1);
    EXPECT_EQ(Error("click a b").message, "click: exactly one argument expected");
    EXPECT_EQ(Error("type m_GuiManyVotes.SICurName \"12").message, "type: unterminated or badly quoted text");
    EXPECT_EQ(Error("type m_GuiManyVotes.SICurName \"1\" 2").message,
              "type: unterminated or badly quoted text");
    EXPECT_EQ(Error("key F9").message, "key: key F10, F11, F12 or a scan code");
    EXPECT_EQ(Error("wait soon").line, 1);
    EXPECT_EQ(Error("wait 0s").line, 1);
    EXPECT_EQ(Error("wallet 5").line, 1);
    EXPECT_EQ(Error("wallet -5 1").line, 1);
    EXPECT_EQ(Error("picture ../hall").message, "picture: a picture name has only letters, digits, - and _");
    EXPECT_EQ(Error("say").line, 1);
}

}  // namespace
}  // namespace sim
