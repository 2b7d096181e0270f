// Tests of QueryString: appending escaped fields, reading, removing and decoding them.
#include "foundation/streams/QueryString.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "foundation/strings/String.h"

namespace vek {
namespace {

std::string Appended(const char* start, const char* name, const char* value)
{
    String query;
    query.AssignCStr(start);
    query.AppendQueryParam(name, value);
    return query.CStr();
}

std::string GetParam(std::string_view query, std::string_view name)
{
    String value;
    QueryGetParam(query, name, value);
    return value.CStr();
}

std::vector<std::pair<std::string, std::string>> AllPairs(std::string_view text)
{
    std::vector<std::pair<std::string, std::string>> pairs;
    String name;
    String value;
    while (NextQueryPair(text, name, value))
        pairs.emplace_back(name.CStr(), value.CStr());
    EXPECT_TRUE(text.empty());
    EXPECT_EQ(name.Length(), 0);
    EXPECT_EQ(value.Length(), 0);
    return pairs;
}

TEST(QueryStringTest, AppendedValuesAreEscaped)
{
    struct Case {
        const char* value;
        const char* escaped;
    };
    const Case cases[] = {
        {"a b+\xC3\xA9", "a+b%2B%C3%A9"},
        {"plain-Text_1.2*~!$'(),;:@", "plain-Text_1.2*~!$'(),;:@"},
        {"\t\r\n", "%09%0D%0A"},
        // Bytes that would otherwise end the value, start another field or an escape, or cut the link.
        {"&", "%26"},
        {"=", "%3D"},
        {"?", "%3F"},
        {"%", "%25"},
        {"/", "%2F"},
        {"#", "%23"},
        {"\xE2\x82\xAC", "%E2%82%AC"},
        // A byte that starts no character is kept, escaped, rather than ending the value.
        {"a\xFF" "b", "a%FFb"},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(Appended("page", "x", c.value), std::string("page?x=") + c.escaped);
    }
}

TEST(QueryStringTest, AppendPutsTheSeparatorThatTheQueryNeeds)
{
    struct Case {
        const char* start;
        const char* result;
    };
    const Case cases[] = {
        {"page", "page?n=v"},
        {"page?x=1", "page?x=1&n=v"},
        {"page?", "page?n=v"},
        {"page?x=1&", "page?x=1&n=v"},
        {"", "n=v"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start);
        EXPECT_EQ(Appended(c.start, "n", "v"), c.result);
    }
}

TEST(QueryStringTest, AValueCannotAddFieldsOfItsOwn)
{
    // Unescaped, this value would read back as "1" and add the fields admin=1 and t.
    const char* value = "1&admin=1?t=2%26/#x";
    std::string query = Appended("/cgi/run?base=x", "user", value);
    EXPECT_EQ(GetParam(query, "user"), value);
    EXPECT_EQ(GetParam(query, "admin"), "");
    EXPECT_FALSE(QueryHasField(query, "admin", "1"));
    auto pairs = AllPairs(query);
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_EQ(pairs[1], (std::pair<std::string, std::string>{"user", value}));
}

TEST(QueryStringTest, EveryByteReadsBackAsItWasAppended)
{
    std::string value;
    for (int byte = 1; byte < 256; ++byte)
        value += char(byte);
    std::string query = Appended("page?a=1", "v", value.c_str());
    EXPECT_EQ(GetParam(query, "v"), value);
    auto pairs = AllPairs(query);
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_EQ(pairs[1].second, value);
}

TEST(QueryStringTest, AFieldThatDoesNotFitIsNotAppended)
{
    String query;
    query.AssignRepeated('a', String::kGrowthLimit - 10);
    std::string before = query.CStr();
    query.AppendQueryParam("n", "\xC3\xA9\xC3\xA9");  // "?n=" and 12 escaped bytes: 15 bytes
    EXPECT_EQ(std::string(query.CStr()), before);
    query.AppendQueryParam("n", "abcdefg");  // 10 bytes fit exactly
    EXPECT_EQ(query.Length(), String::kGrowthLimit);
    EXPECT_EQ(GetParam(query.CStr(), "n"), "abcdefg");
}

TEST(QueryStringTest, RemovingFields)
{
    struct Case {
        const char* query;
        const char* name;
        const char* value;  // null: RemoveQueryParam, else RemoveQueryField
        const char* result;
    };
    const Case cases[] = {
        {"p?a=1&n=2", "n", nullptr, "p?a=1"},
        {"p?n=2", "n", nullptr, "p"},
        {"p?n=1&a=2&n=3", "n", nullptr, "p?a=2"},
        {"n=1&n=2", "n", nullptr, ""},
        {"p?nn=1&an=2", "n", nullptr, "p?nn=1&an=2"},
        {"p?n=", "n", nullptr, "p"},
        {"p?a=1&a=2", "a", "1", "p?a=2"},
        {"p?a=1&a=2", "a", "2", "p?a=1"},
        {"p?a=10&b=1", "a", "1", "p?a=10&b=1"},
        {"p?a=1", "a", "1", "p"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.query << " without " << c.name);
        String query;
        query.AssignCStr(c.query);
        if (c.value)
            query.RemoveQueryField(c.name, c.value);
        else
            query.RemoveQueryParam(c.name);
        EXPECT_STREQ(query.CStr(), c.result);
    }

    String query;
    query.AssignCStr("p?n=1&a=2");
    query.SetQueryParam("n", "3 4");
    EXPECT_STREQ(query.CStr(), "p?a=2&n=3+4");
}

TEST(QueryStringTest, TidyAndUrlSpecials)
{
    struct Case {
        const char* text;
        const char* tidy;
    };
    const Case tidyCases[] = {{"&&a=1&&&b=2&", "a=1&b=2"}, {"&&&", ""}, {"p?a=1", "p?a=1"}, {"", ""}};
    for (const Case& c : tidyCases) {
        SCOPED_TRACE(c.text);
        String text;
        text.AssignCStr(c.text);
        text.TidyQuery();
        EXPECT_STREQ(text.CStr(), c.tidy);
    }

    String text;
    text.AssignCStr("50% <b> \"x\" &amp;");
    text.EscapeUrlSpecials();
    EXPECT_STREQ(text.CStr(), "50%25 %3Cb%3E %22x%22 &amp;");

    // Near the length cap an escape is left out whole rather than cut in half.
    String nearCap;
    nearCap.AssignRepeated('a', String::kGrowthLimit - 2);
    nearCap.AppendCStr("<");
    nearCap.EscapeUrlSpecials();
    EXPECT_EQ(nearCap.Length(), String::kGrowthLimit - 2);
    EXPECT_EQ(nearCap.CStr()[nearCap.Length() - 1], 'a');
}

TEST(QueryStringTest, Decoding)
{
    struct Case {
        const char* text;
        const char* decoded;
    };
    const Case cases[] = {
        {"a+b%2B%C3%A9", "a b+\xC3\xA9"},
        {"%c3%a9", "%c3%a9"},  // lower-case digits are not escapes
        {"%2541", "%41"},      // a decoded "%" never starts another escape
        {"100%", "100%"},
        {"%4", "%4"},
        {"%G1", "%G1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        String text;
        text.AssignCStr(c.text);
        text.DecodeQueryValue();
        EXPECT_STREQ(text.CStr(), c.decoded);
    }
    String zero;
    zero.AssignCStr("%00x");
    zero.DecodePercent();
    EXPECT_EQ(std::string(zero.CStr(), size_t(zero.Length())), std::string("\0x", 2));
}

TEST(QueryStringTest, ReadingFields)
{
    EXPECT_EQ(GetParam("p?name=J%C3%B6rg+X&x=1", "name"), "J\xC3\xB6rg X");
    EXPECT_EQ(GetParam("p?xname=1&name=2", "name"), "2");
    EXPECT_EQ(GetParam("name=1?name=2", "name"), "1");
    EXPECT_EQ(GetParam("p?x=1", "name"), "");
    EXPECT_EQ(GetParam("p?name", "name"), "");

    struct AtCase {
        int32_t index;
        const char* value;
    };
    const AtCase atCases[] = {{0, "1"}, {1, "2"}, {2, ""}, {-1, ""}};
    for (const AtCase& c : atCases) {
        SCOPED_TRACE(c.index);
        String value;
        value.AssignCStr("stale");
        QueryGetParamAt("a=&a=1&b=7&a=2", "a", c.index, value);
        EXPECT_STREQ(value.CStr(), c.value);
    }

    EXPECT_FALSE(QueryHasField("p?a=10", "a", "1"));
    EXPECT_TRUE(QueryHasField("p?a=10", "a", "10"));
    EXPECT_TRUE(QueryHasField("p?b=2&a=1", "a", "1"));
    EXPECT_TRUE(QueryHasField("a=", "a", ""));
    EXPECT_FALSE(QueryHasField("p?a=1x", "a", "1"));
}

TEST(QueryStringTest, NextPairSkipsPathsAndEmptyNames)
{
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    struct Case {
        const char* text;
        Pairs pairs;
    };
    const Case cases[] = {
        {"/cgi/run?base=x&t=1", {{"base", "x"}, {"t", "1"}}},
        {"/a=b/c?x=1", {{"x", "1"}}},
        {"path/x=1", {}},
        {"a=b=c", {{"a=b", "c"}}},
        {"=1&x=2+3", {{"x", "2 3"}}},
        {"x=&y", {{"x", ""}}},
        {"", {}},
        {"&&?", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(AllPairs(c.text), c.pairs);
    }
}

}  // namespace
}  // namespace vek
