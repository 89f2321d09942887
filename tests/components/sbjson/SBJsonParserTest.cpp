#include "components/sbjson/SBJsonParser.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <utility>
#include <vector>

using namespace foundation;
using namespace sbjson;

namespace {

struct ExpectedError {
    int64_t code;
    std::string description;
};

// The trace as (code, text) pairs, innermost first.
std::vector<ExpectedError> traceOf(const SBJsonParser& parser) {
    std::vector<ExpectedError> trace;
    for (const Error& error : parser.errorTrace()) trace.push_back({error.code, error.description});
    return trace;
}

// Parses a fragment that must fail and returns the outermost error.
Error fragmentFailure(std::string_view text) {
    SBJsonParser parser;
    std::optional<Value> value = parser.fragmentWithString(text);
    EXPECT_FALSE(value.has_value()) << "parsed: " << text;
    std::vector<Error> trace = parser.errorTrace();
    if (trace.empty()) {
        ADD_FAILURE() << "no error for: " << text;
        return Error();
    }
    return trace.back();
}

Value parse(std::string_view text) {
    SBJsonParser parser;
    std::optional<Value> value = parser.fragmentWithString(text);
    EXPECT_TRUE(value.has_value()) << text << ": "
                                   << (parser.errorTrace().empty() ? "" : parser.errorTrace().back().description);
    return value.value_or(Value());
}

std::string nested(size_t levels) { return std::string(levels, '[') + std::string(levels, ']'); }

bool operator==(const ExpectedError& a, const ExpectedError& b) {
    return a.code == b.code && a.description == b.description;
}

void PrintTo(const ExpectedError& e, std::ostream* os) { *os << e.code << " \"" << e.description << "\""; }

}  // namespace

TEST(SBJsonParser, ObjectsMustBeContainersFragmentsMayBeAnything) {
    SBJsonParser parser;
    EXPECT_FALSE(parser.objectWithString("42").has_value());
    EXPECT_EQ(traceOf(parser), (std::vector<ExpectedError>{{4, "Valid fragment, but not JSON"}}));
    EXPECT_FALSE(parser.objectWithString("\"text\"").has_value());
    EXPECT_EQ(parser.errorTrace().back().code, 4);

    std::optional<Value> number = parser.fragmentWithString("42");
    ASSERT_TRUE(number.has_value());
    EXPECT_TRUE(number->isDecimal());
    EXPECT_EQ(number->decimalText(), "42");
    EXPECT_EQ(number->asInt(), 42);
    EXPECT_TRUE(parser.errorTrace().empty()) << "a successful call clears the earlier trace";

    EXPECT_TRUE(parser.objectWithString("{}")->isDictionary());
    EXPECT_TRUE(parser.objectWithString("[]")->isArray());
    EXPECT_TRUE(parser.objectWithString(" \t\n\v\f\r[]\r\n ")->asArray().empty());
}

TEST(SBJsonParser, LiteralsAndNullAreDistinctFromFailure) {
    Value null = parse("null");
    EXPECT_TRUE(null.isNull());
    Value yes = parse("true");
    EXPECT_TRUE(yes.isBool());
    EXPECT_EQ(yes.numberType(), 'c');
    EXPECT_TRUE(yes.asBool());
    EXPECT_FALSE(parse("false").asBool());
}

TEST(SBJsonParser, ArraysCommasAndEnds) {
    Array two = parse("[1 2]").asArray();
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[1].decimalText(), "2");
    EXPECT_EQ(parse("[1,2]").asArray().size(), 2u);

    SBJsonParser parser;
    EXPECT_FALSE(parser.fragmentWithString("[1,]").has_value());
    EXPECT_EQ(traceOf(parser), (std::vector<ExpectedError>{{9, "Trailing comma disallowed in array"}}));
    EXPECT_FALSE(parser.fragmentWithString("[1 , \n ]").has_value());
    EXPECT_EQ(parser.errorTrace().back().code, 9);

    for (std::string_view lone : {"[", "[ ", "[1", "[1,", "[1 "}) {
        Error error = fragmentFailure(lone);
        EXPECT_EQ(error.code, 11) << lone;
        EXPECT_EQ(error.description, "End of input while parsing array") << lone;
    }

    EXPECT_FALSE(parser.fragmentWithString("[1,,2]").has_value());
    EXPECT_EQ(traceOf(parser), (std::vector<ExpectedError>{{3, "Unrecognised leading character"},
                                                           {3, "Expected value while parsing array"}}));
}

TEST(SBJsonParser, ObjectsKeysAndMembers) {
    Dictionary object = parse(R"({"a":1,"b":{"c":[true,null]}})").asDictionary();
    EXPECT_EQ(object.keys(), (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(object["b"].asDictionary()["c"].asArray()[1].isNull());

    Dictionary repeated = parse(R"({"a":1,"a":2})").asDictionary();
    EXPECT_EQ(repeated.size(), 1u);
    EXPECT_EQ(repeated["a"].decimalText(), "2");
    EXPECT_EQ(parse(R"({"a":1 "b":2})").asDictionary().size(), 2u);

    SBJsonParser parser;
    EXPECT_FALSE(parser.fragmentWithString("{\"a\x01\":1}").has_value());
    EXPECT_EQ(traceOf(parser), (std::vector<ExpectedError>{{5, "Unescaped control character '0x1'"},
                                                           {3, "Object key string expected"}}));
}

TEST(SBJsonParser, NumbersKeepTheirLiteral) {
    for (std::string_view literal :
         {"0", "-0", "12", "-3.25", "1e5", "1E+5", "2.5e-3", "123456789012345678901234567890", "1e400"}) {
        Value number = parse(literal);
        EXPECT_TRUE(number.isDecimal()) << literal;
        EXPECT_EQ(number.decimalText(), literal);
    }
    EXPECT_DOUBLE_EQ(parse("-3.25").asDouble(), -3.25);
}

TEST(SBJsonParser, StringEscapes) {
    EXPECT_EQ(parse(R"("a\"b\\c\/d")").asString(), "a\"b\\c/d");
    EXPECT_EQ(parse(R"("\b\f\n\r\t")").asString(), "\b\f\n\r\t");
    EXPECT_EQ(parse(R"("\u0041\u00e9\u00E9\u20ac")").asString(), "A\u00e9\u00e9\u20ac");
    EXPECT_EQ(parse(R"("\u0000")").asString(), std::string(1, '\0'));
    EXPECT_EQ(parse(R"("\ud83d\ude00")").asString(), "\U0001F600");
    EXPECT_EQ(parse("\"h\u00e9llo \u65e5\u672c \U0001F600\"").asString(), "h\u00e9llo \u65e5\u672c \U0001F600");
    EXPECT_EQ(parse(R"("")").asString(), "");
    // DEL and bytes above are ordinary text.
    EXPECT_EQ(parse("\"\x7f\"").asString(), "\x7f");
}

TEST(SBJsonParser, EachFailureGivesItsCodeAndText) {
    struct Failure {
        std::string_view input;
        std::optional<int64_t> code;
        std::optional<std::string> description;
    };
    const std::vector<Failure> failures{
        {"tru", {}, "Expected 'true'"},
        {"fals", {}, "Expected 'false'"},
        {"nul", 3, {}},
        {"nil", {}, "Expected 'null'"},
        {"truex", 10, {}},  // what follows a literal is the caller's concern: here the top level
        {R"({"a":1,})", {}, "Trailing comma disallowed in object"},
        {"{a:1}", {}, "Object key string expected"},
        {R"({"a" 1})", {}, "Expected ':' separating key and value"},
        {R"({"a":})", {}, "Object value expected for key: a"},
        {"{", {}, "End of input while parsing object"},
        {R"({"a":1)", {}, "End of input while parsing object"},
        {"01", {}, "Leading 0 disallowed in number"},
        {"-", {}, "No digits after initial minus"},
        {"-x", {}, "No digits after initial minus"},
        {"1.", {}, "No digits after decimal point"},
        {"1.e5", {}, "No digits after decimal point"},
        {"1.5e", {}, "No digits after exponent"},
        {"1e+", {}, "No digits after exponent"},
        {"+1", 2, "Leading + disallowed in number"},
        {".5", {}, "Unrecognised leading character"},
        {"", 11, "Unexpected end of string"},
        {"   ", {}, "Unexpected end of string"},
        {"{} x", 10, "Garbage after JSON"},
        {"[]]", 10, {}},
        {std::string_view("[1]\0[2]", 7), 10, {}},  // a zero byte is data, not the end of the text
        {"@", {}, "Unrecognised leading character"},
        {R"("\x")", 8, "Illegal escape sequence '0x78'"},
        {R"("abc\n)", 11, "Unexpected EOF while parsing string"},
        {"\"abc\\", {}, "Unexpected EOF while parsing string"},
        {"\"abc", 5, "Unescaped control character '0x0'"},
        {"\"a\tb\"", {}, "Unescaped control character '0x9'"},
        {"\"a\x1f\"", {}, "Unescaped control character '0x1f'"},
        {std::string_view("\"a\0b\"", 5), {}, "Unescaped control character '0x0'"},
    };
    for (const Failure& failure : failures) {
        SCOPED_TRACE(std::string(failure.input));
        Error error = fragmentFailure(failure.input);
        if (failure.code) {
            EXPECT_EQ(error.code, *failure.code);
        }
        if (failure.description) {
            EXPECT_EQ(error.description, *failure.description);
        }
    }
}

TEST(SBJsonParser, NilInputIsRefused) {
    SBJsonParser parser;
    EXPECT_FALSE(parser.objectWithString(std::nullopt).has_value());
    EXPECT_EQ(traceOf(parser), (std::vector<ExpectedError>{{12, "Input was 'nil'"}}));
}

TEST(SBJsonParser, UnicodeEscapeFailuresTraceEveryLevel) {
    const std::vector<std::pair<std::string_view, std::vector<ExpectedError>>> cases{
        {R"("\u12x4")", {{6, "Missing hex digit in quad"}, {6, "Missing hex quad"}, {6, "Broken unicode character"}}},
        {R"("\udc00")", {{6, "Invalid high character in surrogate pair"}, {6, "Broken unicode character"}}},
        {R"("\ud83dx")", {{6, "Missing low character in surrogate pair"}, {6, "Broken unicode character"}}},
        {R"("\ud83d\u0041")", {{6, "Invalid low surrogate char"}, {6, "Broken unicode character"}}},
    };
    SBJsonParser parser;
    for (const auto& [input, trace] : cases) {
        EXPECT_FALSE(parser.fragmentWithString(input).has_value()) << input;
        EXPECT_EQ(traceOf(parser), trace) << input;
    }

    EXPECT_FALSE(parser.fragmentWithString(R"("\ud83d\ud83d")").has_value());
    EXPECT_EQ(parser.errorTrace().front().description, "Invalid low surrogate char");

    EXPECT_FALSE(parser.fragmentWithString(R"("\u00)").has_value());
    EXPECT_EQ(parser.errorTrace().front().description, "Missing hex digit in quad");
}

TEST(SBJsonParser, MalformedUtf8IsRefused) {
    for (std::string_view bad : {"\"\xff\"", "\"\xc3\"", "\"\xc0\xaf\"", "\"\xed\xa0\x80\"", "\"\xf4\x90\x80\x80\"",
                                 "\"a\x80\"", "\"\xe2\x82\"", "\"plain ascii first\xc3\"", "\"\xc3\xa9 then \xff\""}) {
        Error error = fragmentFailure(bad);
        EXPECT_EQ(error.code, 13);
        EXPECT_EQ(error.description, "Invalid UTF-8 in string");
    }
    EXPECT_EQ(parse("\"\xf4\x8f\xbf\xbf\"").asString(), "\xf4\x8f\xbf\xbf");  // U+10FFFF is the last valid
    EXPECT_EQ(parse("\"caf\xc3\xa9 au lait\"").asString(), "caf\xc3\xa9 au lait");
}

TEST(SBJsonParser, ErrorsChainToThePreviousOne) {
    SBJsonParser parser;
    EXPECT_FALSE(parser.fragmentWithString(R"({"k":[1,"\q"]})").has_value());
    std::vector<Error> trace = parser.errorTrace();
    ASSERT_EQ(trace.size(), 3u);
    EXPECT_EQ(trace[0].description, "Illegal escape sequence '0x71'");
    EXPECT_EQ(trace[1].description, "Expected value while parsing array");
    EXPECT_EQ(trace[2].description, "Object value expected for key: k");
    EXPECT_EQ(trace[0].underlying, nullptr);
    ASSERT_NE(trace[2].underlying, nullptr);
    EXPECT_EQ(trace[2].underlying->description, trace[1].description);
    ASSERT_NE(trace[2].underlying->underlying, nullptr);
    EXPECT_EQ(trace[2].underlying->underlying->code, 8);
    for (const Error& error : trace) EXPECT_EQ(error.domain, kSBJsonErrorDomain);
}

TEST(SBJsonParser, NestingLimit) {
    SBJsonParser parser;
    EXPECT_EQ(parser.maxDepth(), 512u);
    EXPECT_TRUE(parser.objectWithString(nested(512)).has_value());
    EXPECT_FALSE(parser.objectWithString(nested(513)).has_value());
    std::vector<Error> trace = parser.errorTrace();
    EXPECT_EQ(trace.front().code, 7);
    EXPECT_EQ(trace.front().description, "Nested too deep");
    EXPECT_EQ(trace.size(), 513u) << "every enclosing array adds its own error";

    std::string objects;
    for (int i = 0; i < 3; ++i) objects += R"({"a":)";
    objects += "1}}}";
    parser.setMaxDepth(2);
    EXPECT_FALSE(parser.objectWithString(objects).has_value());
    EXPECT_EQ(parser.errorTrace().front().description, "Nested too deep");
    parser.setMaxDepth(3);
    EXPECT_TRUE(parser.objectWithString(objects).has_value());
    EXPECT_EQ(parser.depth(), 0u);
}

TEST(SBJsonParser, UnlimitedDepthIsStillBoundedByTheHardLimit) {
    SBJsonParser parser;
    parser.setMaxDepth(0);
    EXPECT_TRUE(parser.objectWithString(nested(SBJsonBase::kHardDepthLimit)).has_value());
    // Far deeper than any stack could take by recursion.
    EXPECT_FALSE(parser.objectWithString(std::string(1'000'000, '[')).has_value());
    EXPECT_EQ(parser.errorTrace().front().description, "Nested too deep");
    parser.setMaxDepth(1'000'000);
    EXPECT_FALSE(parser.objectWithString(nested(SBJsonBase::kHardDepthLimit + 1)).has_value());
    EXPECT_EQ(parser.errorTrace().front().code, 7);
}
