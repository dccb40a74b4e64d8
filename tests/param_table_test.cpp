#include "cgi.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace {

using Lookup = std::pair<const char*, std::optional<std::string>>;

struct Case {
    std::optional<std::string> query; // empty optional: QUERY_STRING unset
    std::vector<Lookup> lookups;
};

std::optional<std::string> lookup(const char* name) {
    const char* value = get_cgi(name);
    if (value == nullptr)
        return std::nullopt;
    return std::string(value);
}

TEST(ParamTable, AnswersLookupsAfterInit) {
    using namespace std::string_literals;
    const std::optional<std::string> absent;
    const std::vector<Case> cases = {
        // no table at all, and an empty one
        {std::nullopt, {{"a", absent}, {"", absent}}},
        {""s, {{"a", absent}, {"", absent}}},
        // fields and separators
        {"a=1&b=2"s, {{"a", "1"}, {"b", "2"}, {"c", absent}}},
        {"x=1;y=2"s, {{"x", "1"}, {"y", "2"}}},
        {"&&a=1&"s, {{"a", "1"}, {"", absent}}},
        {"a&b=2"s, {{"a", absent}, {"b", "2"}}},
        {"a="s, {{"a", ""}}},
        {"=x"s, {{"", "x"}}},
        {"a=b=c"s, {{"a", "b=c"}}},
        // a later occurrence replaces an earlier one
        {"a=1&a=2"s, {{"a", "2"}}},
        {"a=1&b=9&a=2&a=3"s, {{"a", "3"}, {"b", "9"}}},
        {"a=1&a"s, {{"a", "1"}}},
        // names are compared exactly
        {"Action_Mode=x"s, {{"action_mode", absent}, {"Action_Mode", "x"}}},
        // decoding runs before the cut at '=' and after the cut at '&' and ';'
        {"a=x%3Dy"s, {{"a", "x=y"}}},
        {"a%3Db=c"s, {{"a", "b=c"}, {"a=b", absent}}},
        {"q=a+b"s, {{"q", "a b"}}},
        {"q=a%2Bb"s, {{"q", "a+b"}}},
        {"q=%26&r=%3B"s, {{"q", "&"}, {"r", ";"}}},
        {"a%20b=c+d"s, {{"a b", "c d"}}},
        {"a=%-1&b=%+1"s, {{"a", "\xff"}, {"b", "\x01"}}},
        // a decoded NUL ends its field; the rest of the piece is a new field
        {"a=b%00c=d"s, {{"a", "b"}, {"c", "d"}}},
        {"a=%00b%2541=x"s, {{"a", ""}, {"bA", "x"}, {"b%41", absent}}},
        {"a=1%00a=2"s, {{"a", "2"}}},
        // ... and each further field is decoded once more, not again and again
        {"a=%00%2B%00%252541=v"s, {{"a", ""}, {"%41", "v"}, {"A", absent}}},
        // a '%' at the end of a field does not reach into the next one
        {"a=%&b=%4&c=1"s, {{"a", "%"}, {"b", "\x04"}, {"c", "1"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.query.value_or("<unset>"));
        std::string storage = c.query.value_or("");
        init_cgi(c.query ? storage.data() : nullptr);
        for (const auto& [name, expected] : c.lookups) {
            SCOPED_TRACE(name);
            EXPECT_EQ(lookup(name), expected);
        }
    }
}

TEST(ParamTable, KeepsEveryFieldWhateverDecodedNulsMake) {
    // One piece split by decoded NULs into many more fields than there are
    // pieces: every one is still stored.
    std::string query = "p=";
    for (int i = 0; i < 500; ++i)
        query += "%00n" + std::to_string(i) + "=" + std::to_string(i * 7);
    init_cgi(query.data());
    for (int i = 0; i < 500; ++i) {
        const std::string name = "n" + std::to_string(i);
        ASSERT_EQ(lookup(name.c_str()), std::to_string(i * 7)) << name;
    }
}

TEST(ParamTable, SetReplacesOrInsertsOnlyWhenATableExists) {
    std::string query = "a=1";
    init_cgi(query.data());
    set_cgi("a", "2");
    set_cgi("b", "3");
    EXPECT_EQ(lookup("a"), "2");
    EXPECT_EQ(lookup("b"), "3");

    init_cgi(nullptr);
    set_cgi("a", "4");
    EXPECT_EQ(lookup("a"), std::nullopt);
}

} // namespace
