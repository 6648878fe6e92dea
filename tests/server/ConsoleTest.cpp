// The console's parts that stand alone: the JSON it reads from hostile bodies and writes with
// hostile names, queries, its sessions' bounds and cookies, and the live commit percentile.
#include <gtest/gtest.h>

#include "Console.h"
#include "ConsoleSessions.h"
#include "Json.h"
#include "Metrics.h"
#include "Router.h"

namespace server::test {
namespace {

using namespace std::chrono_literals;

TEST(ConsoleTest, OnlyAFlatStrictObjectIsRead) {
    const struct Case {
        std::string text;
        bool read;
    } cases[] = {
        {R"( {"name": "甲", "n": -12, "ok": true} )", true},
        {R"({"s": "a\"\\\/\b\f\n\r\t\u00e9\ud83d\ude00"})", true},
        {"{}", true},
        {R"({"a": 1, "a": 2})", false},             // a member twice
        {R"({"a": {"b": 1}})", false},              // nested
        {R"({"a": [1]})", false},                   // an array
        {R"({"a": 1.5})", false},                   // a fraction
        {R"({"a": 01})", false},                    // a leading zero
        {R"({"a": 99999999999999999999})", false},  // past 64 bits
        {R"({"a": "\ud800"})", false},              // half a surrogate pair
        {"{\"a\": \"\xff\"}", false},               // not UTF-8
        {"{\"a\": \"\xc0\xaf\"}", false},           // an overlong form
        {"{\"a\": \"x\ny\"}", false},               // a raw control character
        {R"({"a": 1} x)", false},                   // trailing text
        {R"({"a": 1,})", false},
        {R"({"a" 1})", false},
        {R"({"a": nul})", false},
        {"", false},
    };
    for (const Case& each : cases) {
        EXPECT_EQ(admin::json::ParseObject(each.text).has_value(), each.read) << each.text;
    }
    const auto read = admin::json::ParseObject(R"({"s": "\u00e9\ud83d\ude00", "n": -12})");
    ASSERT_TRUE(read);
    EXPECT_EQ(read->String("s"), "é😀");
    EXPECT_EQ(read->Int("n"), -12);
    EXPECT_EQ(read->String("n"), std::nullopt) << "a number is not a string";
    std::string many = "{";
    for (std::size_t i = 0; i <= admin::json::kMaxMembers; ++i) {
        many += (i ? ",\"" : "\"") + std::to_string(i) + "\":1";
    }
    EXPECT_FALSE(admin::json::ParseObject(many + "}")) << "more members than the bound";
}

TEST(ConsoleTest, EveryStringWrittenIsEscapedJson) {
    const struct Case {
        std::string text;
        std::string json;
    } cases[] = {
        {"甲", "\"甲\""},
        {"a\"b\\c", R"("a\"b\\c")"},
        {"\n\x01\x7f", R"("\u000a\u0001\u007f")"},
        {"<script>&", R"("\u003cscript\u003e\u0026")"},
        {"x\xff\xc3", "\"x\uFFFD\uFFFD\""},          // U+FFFD for each byte out of place
        {"\xed\xa0\x80", "\"\uFFFD\uFFFD\uFFFD\""},  // a surrogate written as UTF-8
    };
    for (const Case& each : cases) {
        EXPECT_EQ(admin::json::Quoted(each.text), each.json);
        const auto back = admin::json::ParseObject("{\"k\":" + admin::json::Quoted(each.text) + "}");
        ASSERT_TRUE(back) << "what is written reads back";
    }
    admin::json::Writer out;
    out.BeginObject()
        .Key("a")
        .BeginArray()
        .Int(1)
        .Null()
        .Bool(false)
        .EndArray()
        .Key("b")
        .Number(0.5)
        .EndObject();
    EXPECT_EQ(out.Text(), R"({"a":[1,null,false],"b":0.5})");
}

TEST(ConsoleTest, QueriesAreDecodedOrRefused) {
    EXPECT_EQ(admin::QueryValues("a=1&b=x+y%21&&c="),
              (std::map<std::string, std::string>{{"a", "1"}, {"b", "x y!"}, {"c", ""}}));
    EXPECT_EQ(admin::QueryValues("p=%E7%94%B2")->at("p"), "甲");
    EXPECT_FALSE(admin::QueryValues("a=%zz"));
    EXPECT_FALSE(admin::QueryValues("a=1&a=2"));
}

TEST(ConsoleTest, SessionsExpireAndAreBounded) {
    ConsoleSessions sessions(2, 8h, 30min);
    const auto t0 = ConsoleSessions::Clock::time_point{} + 1h;
    const store::Operator op{"mod", store::Role::Moderator, "secret hash", 0, 0};
    const std::string a = sessions.Open(op, t0).id;
    const std::string b = sessions.Open(op, t0 + 1s).id;
    EXPECT_NE(a, b);
    const auto cookie = [](const std::string& id) { return "x=1; odc_session=" + id + "; y=2"; };
    ASSERT_NE(sessions.Find(cookie(a), t0 + 2s), nullptr);
    EXPECT_TRUE(sessions.Find(cookie(a), t0 + 2s)->op.passwordHash.empty()) << "a session keeps no hash";
    sessions.Open(op, t0 + 3s);  // the third: b, the least recently used, goes
    EXPECT_EQ(sessions.Find(cookie(b), t0 + 4s), nullptr);
    EXPECT_NE(sessions.Find(cookie(a), t0 + 29min), nullptr) << "used: not idle";
    EXPECT_EQ(sessions.Find(cookie(a), t0 + 29min + 31min), nullptr) << "idle too long";
    const std::string c = sessions.Open(op, t0).id;
    for (auto at = t0 + 20min; at < t0 + 8h; at += 20min) {
        ASSERT_NE(sessions.Find(cookie(c), at), nullptr);
    }
    EXPECT_EQ(sessions.Find(cookie(c), t0 + 8h + 1s), nullptr) << "too old";

    // A page open on the live events keeps its session in use, but not past its lifetime.
    ConsoleSessions live(2, 8h, 30min);
    const std::string watched = live.Open(op, t0).id;
    const std::string left = live.Open(op, t0).id;
    EXPECT_EQ(live.Expire({watched}, t0 + 20min), std::vector<std::string>{});
    EXPECT_EQ(live.Expire({watched}, t0 + 40min), std::vector<std::string>{left});
    EXPECT_NE(live.Find(cookie(watched), t0 + 60min), nullptr);
    EXPECT_EQ(live.Expire({watched}, t0 + 8h + 1s), std::vector<std::string>{watched});
    EXPECT_EQ(sessions.Find("odc_session=", t0), nullptr);
    EXPECT_EQ(CookieValue("odc_sessionx=1; odc_session=2", "odc_session"), "2");
}

TEST(ConsoleTest, APostMustComeFromTheConsolesOwnPage) {
    const struct Case {
        std::string origin;
        std::string fetchSite;
        bool same;
    } cases[] = {
        {"", "", true},
        {"http://127.0.0.1:9100", "same-origin", true},
        {"https://127.0.0.1:9100", "", true},
        {"http://evil.example", "", false},
        {"http://127.0.0.1:9100", "cross-site", false},
        {"", "same-site", false},
        {"null", "", false},
    };
    for (const Case& each : cases) {
        admin::Request request;
        request.host = "127.0.0.1:9100";
        request.origin = each.origin;
        request.fetchSite = each.fetchSite;
        EXPECT_EQ(SameOrigin(request), each.same) << each.origin << " " << each.fetchSite;
    }
}

TEST(ConsoleTest, TheCommitPercentileIsOfTheLastSecondAlone) {
    const std::vector<double> bounds = {0.001, 0.01, 0.1};
    EXPECT_EQ(metrics::UpperQuantile(bounds, {100, 0, 0, 0}, {}, 0.99), 0.001);
    EXPECT_EQ(metrics::UpperQuantile(bounds, {100, 0, 5, 0}, {100, 0, 0, 0}, 0.99), 0.1);
    EXPECT_EQ(metrics::UpperQuantile(bounds, {98, 2, 0, 0}, {}, 0.99), 0.01);
    EXPECT_TRUE(std::isinf(*metrics::UpperQuantile(bounds, {0, 0, 0, 1}, {}, 0.99)));
    EXPECT_EQ(metrics::UpperQuantile(bounds, {3, 0, 0, 0}, {3, 0, 0, 0}, 0.99), std::nullopt);
    metrics::Registry registry;
    registry.CounterOf("r", "", {{"kind", "vote"}, {"result", "accepted"}}).Add(3);
    registry.CounterOf("r", "", {{"kind", "apply"}, {"result", "accepted"}}).Add(2);
    registry.CounterOf("r", "", {{"kind", "vote"}, {"result", "voting_over"}}).Add(7);
    EXPECT_EQ(registry.Sum("r", {{"result", "accepted"}}), 5);
    EXPECT_EQ(registry.Sum("r", {{"kind", "vote"}}), 10);
    registry.HistogramOf("h", "", bounds, {{"a", "1"}}).Observe(0.005);
    registry.HistogramOf("h", "", bounds, {{"a", "2"}}).Observe(0.05);
    EXPECT_EQ(registry.Buckets("h").second, (std::vector<std::uint64_t>{0, 1, 1, 0}));
}

}  // namespace
}  // namespace server::test
