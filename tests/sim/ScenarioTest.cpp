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

TEST(ScenarioTest, EveryCommandIsReadWithItsArguments) {
    const std::vector<Command> commands = Parse(
        "# a comment\n"
        "\n"
        "say 小舞 opens the hall\n"
        "login 小舞\r\n"
        "  open\n"
        "click Chamber/m_GuiCommon.ArryIBNations[0]\n"
        "rclick m_GuiCommon.ArryIBNations[1]\n"
        "answer yes\n"
        "answer no\n"
        "answer 7\n"
        "type m_GuiManyVotes.SICurName 12 votes\n"
        "type Chamber/m_GuiToolsChangeName.SICurName \" \\\"x\\\" \"\n"
        "key F10\n"
        "key 0x58\n"
        "wait 90s\n"
        "jump 1d\n"
        "wallet 100 12\n"
        "picture hall-2\n"
        "close\n");
    ASSERT_EQ(commands.size(), 17u);
    EXPECT_EQ(commands[0].verb, Verb::Say);
    EXPECT_EQ(commands[0].target, "小舞 opens the hall");
    EXPECT_EQ(commands[0].line, 3);
    EXPECT_EQ(commands[1].target, "小舞");
    EXPECT_EQ(commands[2].verb, Verb::Open);
    EXPECT_EQ(commands[3].target, "Chamber/m_GuiCommon.ArryIBNations[0]");
    EXPECT_EQ(commands[4].verb, Verb::RightClick);
    EXPECT_EQ(commands[5].target, "1");
    EXPECT_EQ(commands[6].target, "0");
    EXPECT_EQ(commands[7].target, "7");
    EXPECT_EQ(commands[8].text, "12 votes");
    EXPECT_EQ(commands[9].text, " \"x\" ");
    EXPECT_EQ(commands[10].number, 0x44);
    EXPECT_EQ(commands[11].number, 0x58);
    EXPECT_EQ(commands[12].number, 90'000);
    EXPECT_EQ(commands[13].number, 86'400'000);
    EXPECT_EQ(commands[14].number, 100);
    EXPECT_EQ(commands[14].number2, 12);
    EXPECT_EQ(commands[15].target, "hall-2");
    EXPECT_EQ(commands[16].verb, Verb::Close);
    EXPECT_EQ(commands[16].line, 19);
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
