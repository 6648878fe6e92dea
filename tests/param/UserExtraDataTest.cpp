// The key/value text format: lookup rules and escaping.
#include <gtest/gtest.h>

#include "param/UserExtraData.h"

namespace {

TEST(UserExtraDataTest, LooksUpValuesByExactKey) {
    const CString info = u"UserId=42;level=1;family=7;Desc=负责王国的外交事务";
    EXPECT_EQ(GetValueFromUserExtraData(info, u"UserId"), CString(u"42"));
    EXPECT_EQ(GetValueFromUserExtraData(info, u"family"), CString(u"7"));
    EXPECT_EQ(GetValueFromUserExtraData(info, u"Desc"), CString(u"负责王国的外交事务"));
    EXPECT_EQ(GetValueFromUserExtraData(info, u"Level"), CString());
    EXPECT_EQ(GetValueFromUserExtraData(info, u"User"), CString());
    EXPECT_EQ(GetValueFromUserExtraData(u"", u"UserId"), CString());
}

TEST(UserExtraDataTest, TheFirstEntryWinsAndBareKeysHaveEmptyValues) {
    EXPECT_EQ(GetValueFromUserExtraData(u"Price=300;Price=5", u"Price"), CString(u"300"));
    EXPECT_EQ(GetValueFromUserExtraData(u"Flag;Price=3", u"Flag"), CString());
    EXPECT_EQ(GetValueFromUserExtraData(u"Flag;Price=3", u"Price"), CString(u"3"));
    EXPECT_EQ(GetValueFromUserExtraData(u"a=b=c", u"a"), CString(u"b=c"));
}

TEST(UserExtraDataTest, BackslashEscapesTheNextCharacter) {
    const CString data = u"Desc=a\\;b\\nc;Conditions=等级 \\= 20 以上;Path=c:\\\\x;Odd=\\q";
    EXPECT_EQ(GetValueFromUserExtraData(data, u"Desc"), CString(u"a;b\nc"));
    EXPECT_EQ(GetValueFromUserExtraData(data, u"Conditions"), CString(u"等级 = 20 以上"));
    EXPECT_EQ(GetValueFromUserExtraData(data, u"Path"), CString(u"c:\\x"));
    EXPECT_EQ(GetValueFromUserExtraData(data, u"Odd"), CString(u"q"));
    EXPECT_EQ(GetValueFromUserExtraData(u"k\\=1=v", u"k=1"), CString(u"v"));
}

TEST(UserExtraDataTest, WrittenEntriesReadBackExactly) {
    const std::vector<std::pair<CString, CString>> entries{
        {u"Desc", u"负责王国的外交事务\n每周主持一次国会"},
        {u"Awkward", u";=\\n\\;;=="},
        {u"key;with=all\\", u"trailing\\"},
        {u"Empty", u""},
        {u"Emoji", u"😀"},
    };
    const CString data = MakeUserExtraData(entries);
    for (const auto& [key, value] : entries) {
        EXPECT_EQ(GetValueFromUserExtraData(data, key), value) << key.ToUtf8();
    }
    EXPECT_EQ(MakeUserExtraData({{u"UserId", u"42"}, {u"level", u"1"}}), CString(u"UserId=42;level=1"));
}

}  // namespace
