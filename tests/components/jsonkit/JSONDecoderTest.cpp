#include "components/jsonkit/JSONDecoder.h"
#include "platform/foundation/Exceptions.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

using namespace foundation;
using namespace jsonkit;

namespace {

struct Failure {
    std::string input;
    uint64_t options;
    std::string message;
    uint64_t index;
    uint64_t line;
};

}  // namespace

TEST(JSONDecoder, RejectsBadInputWithTheFirstErrorItsIndexAndLine) {
    const std::string expectContainer = "Expected either '[' or '{'.";
    const std::string unexpected =
        "Unexpected token, wanted '{', '}', '[', ']', ',', ':', 'true', 'false', 'null', '\"STRING\"', 'NUMBER'.";
    const Failure cases[] = {
        {"", 0, "Reached the end of the buffer.", 0, 1},
        {"  \n ", 0, unexpected, 4, 2},
        {"\"a\" ", 0, expectContainer, 3, 1},
        {"1 ", 0, expectContainer, 1, 1},
        {"true ", 0, expectContainer, 4, 1},
        {"5", 0, "Invalid number.", 1, 1},
        {"true", 0, unexpected, 0, 1},
        {"[1] x", 0, "A valid JSON object was parsed but there were additional non-white-space characters remaining.",
         4, 1},
        {"[1,]", 0, "Unexpected ']'.", 4, 1},
        {"[,1]", 0, "Unexpected ','.", 2, 1},
        {"[1 2]", 0, "Unexpected value.", 4, 1},
        {"{\"a\" 1}", 0, "Expected ':'.", 6, 1},
        {"{\"a\":1,}", 0, "Unexpected '}'.", 8, 1},
        {"[1:2]", 0, "Expected a comma or a ']', not ':'", 3, 1},
        {"{\"a\":1 2}", 0, "Expected a comma or a '}', not '2'", 8, 1},
        {"{:1}", 0, "Expected a \"STRING\" or a '}', not ':'", 2, 1},
        {"[\"a\":1]", 0, "Expected a comma or a ']', not ':'", 5, 1},
        {"[tru]", 0, unexpected, 1, 1},
        {"[truex]", 0, unexpected, 5, 1},
        {"[0123]", 0, "Unexpected value.", 5, 1},
        {"[18446744073709551616]", 0,
         "The value '18446744073709551616' exceeded the maximum value that could be represented: 18446744073709551615.",
         21, 1},
        {"[-9223372036854775809]", 0,
         "The value '-9223372036854775809' exceeded the minimum value that could be represented: -9223372036854775808.",
         21, 1},
        {"[1e999]", 0, "The value '1e999' could not be represented as a 'double' due to overflow.", 6, 1},
        {"[1e-999]", 0, "The value '1e-999' could not be represented as a 'double' due to underflow.", 7, 1},
        {"[1.]", 0, "Invalid number.", 3, 1},
        {"[-]", 0, "Invalid number.", 2, 1},
        {"[1e+]", 0, "Invalid number.", 4, 1},
        {std::string("[\"a\x01\"]", 6), 0, "Invalid character < 0x20 found in string: 0x01.", 3, 1},
        {std::string("[\"a\0\"]", 6), 0, "Invalid character < 0x20 found in string: 0x00.", 3, 1},
        {std::string("[1,\0]", 5), 0, unexpected, 3, 1},
        {"[\"\\u0000\"]", 0, "Illegal \\u Unicode escape sequence.", 8, 1},
        {"[\"\\udc00\"]", 0, "Illegal \\u Unicode escape sequence.", 8, 1},
        {"[\"\\ud800x\"]", 0,
         "Required a second \\u Unicode escape sequence following a surrogate \\u Unicode escape sequence.", 8, 1},
        {"[\"\\u12g4\"]", 0,
         "Unexpected character found in \\u Unicode escape sequence.  Found 'g', expected [0-9a-fA-F].", 6, 1},
        {"[\"\\q\"]", 0, "Invalid escape sequence found in \"\" string.", 3, 1},
        {"[\"\xC3\"]", 0, "Illegal UTF8 sequence found in \"\" string.", 2, 1},
        {"[\"\xED\xA0\x80\"]", 0, "Illegal UTF8 sequence found in \"\" string.", 2, 1},
        {"[\"\xE2\x82", 0, "End of buffer reached while parsing UTF8 in \"\" string.", 2, 1},
        {"[\"abc", 0, "Invalid string.", 5, 1},
        {"[1", 0, "Invalid number.", 2, 1},
        {"[1 ", 0, unexpected, 3, 1},
        {"/* c */ [1]", 0, unexpected, 0, 1},
        {"/* a\n b */ [1,\n// x\n ]", JKDecodeAllowComments, "Unexpected ']'.", 22, 4},
        {"[1]\xE2\x80\xA8", 0,
         "A valid JSON object was parsed but there were additional non-white-space characters remaining.", 3, 1},
        {"\xE2\x80\xA8[1,]", JKDecodeUnicodeLineBreaks, "Unexpected ']'.", 7, 2},
        {"\r\n\r[1,]", 0, "Unexpected ']'.", 7, 3},
    };
    for (const Failure& c : cases) {
        SCOPED_TRACE(c.input);
        JKError error;
        EXPECT_FALSE(objectFromJSONString(c.input, c.options, &error).has_value());
        EXPECT_EQ(error.domain, "JKErrorDomain");
        EXPECT_EQ(error.code, -1);
        EXPECT_EQ(error.description, c.message);
        EXPECT_EQ(error.userInfo.get("NSLocalizedDescriptionKey").asString(), c.message);
        EXPECT_EQ(error.userInfo.get("JKAtIndexKey").asUInt(99999), c.index);
        EXPECT_EQ(error.userInfo.get("JKLineNumberKey").asUInt(99999), c.line);
    }
}

TEST(JSONDecoder, ReadsValuesAsTheyAreWritten) {
    struct Case {
        std::string input;
        uint64_t options;
        Value expected;
    };
    const Case cases[] = {
        {"[true, false, null] ", 0, Array{true, false, Value()}},
        {"[1] x", JKDecodeAllowTrailingText, Array{1}},
        {"[1] \t\r\n ", 0, Array{1}},
        {"[\"\\ud83d\\ude00\", \"\\u00e9\\/\\b\\f\\n\\r\\t\\\"\\\\\"]", 0,
         Array{"\U0001F600", "\u00e9/\b\f\n\r\t\"\\"}},
        {"[\"\\ud800x\"]", JKDecodeReplaceInvalidUnicode, Array{"\uFFFDx"}},
        {"[\"\\ud800\\n\"]", JKDecodeReplaceInvalidUnicode, Array{"\uFFFD\n"}},
        {"[\"\\u0000\", \"\\ud800\\u0041\"]", JKDecodeReplaceInvalidUnicode, Array{"\uFFFD", "\uFFFD"}},
        {"[\"a\xC3\"]", JKDecodeReplaceInvalidUnicode, Array{"a\uFFFD"}},
        {"/* a */ [1, // b\n 2]", JKDecodeAllowComments, Array{1, 2}},
        {"[1]\xE2\x80\xA8\xC2\x85", JKDecodeUnicodeLineBreaks, Array{1}},
        {"{\"a\":1,\"b\":2,\"a\":3}", 0, Dictionary{{"a", 3}, {"b", 2}}},
        {"{\"\":{}, \"x\":[[]]}", 0, Dictionary{{"", Dictionary{}}, {"x", Array{Value(Array{})}}}},
        // Keys unescaped, as written, longer than a short string holds, and
        // an unescaped one followed by a key as written.
        {"{\"a\\\"b\":1,\"\\u00e9\":2,\"plain\":3,\"a key longer than sixteen bytes\":4,\"a\\\"b\":5}", 0,
         Dictionary{{"a\"b", 5}, {"\u00e9", 2}, {"plain", 3}, {"a key longer than sixteen bytes", 4}}},
        {"[{\"k\\n\":[\"v\\n\"],\"k\":{\"k\\n\":1}}]", 0,
         Array{Dictionary{{"k\n", Array{"v\n"}}, {"k", Dictionary{{"k\n", 1}}}}}},
        {"[1.5e2, -7, 0.25, 1e-310]", 0, Array{150.0, -7, 0.25, 1e-310}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        JKError error;
        std::optional<Value> result = objectFromJSONString(c.input, c.options, &error);
        ASSERT_TRUE(result.has_value()) << error.description;
        EXPECT_EQ(*result, c.expected) << result->description();
    }
}

// Long plain runs are scanned many bytes at a time: a byte that ends one is
// found at every position of a run, in a string value and in a key, and
// plain bytes around it are read as they are.
TEST(JSONDecoder, FindsTheEndOfAPlainRunAtAnyPosition) {
    struct Case {
        std::string written;
        std::string read;  // empty: the byte is refused
    };
    const Case cases[] = {
        {"\\n", "\n"},
        {"\\\\", "\\"},
        {"\\u00e9", "\u00e9"},
        {"\u00e9", "\u00e9"},
        {"\U0001F3AC", "\U0001F3AC"},
        {"/", "/"},
        {"\x7f", "\x7f"},
        {" ", " "},
        {"\x1f", ""},
    };
    for (const Case& c : cases) {
        for (size_t at = 0; at < 40; ++at) {
            SCOPED_TRACE(c.written + " at " + std::to_string(at));
            const std::string before(at, 'a'), after(39 - at, 'z');
            const std::string text = "[\"" + before + c.written + after + "\"]";
            JKError error;
            const std::optional<Value> value = objectFromJSONString(text, 0, &error);
            if (c.read.empty()) {
                EXPECT_FALSE(value);
                EXPECT_EQ(error.description, "Invalid character < 0x20 found in string: 0x1f.");
                EXPECT_EQ(error.userInfo.get("JKAtIndexKey").asUInt(99999), 2 + at);
                continue;
            }
            ASSERT_TRUE(value) << error.description;
            EXPECT_EQ(*value, Value(Array{before + c.read + after}));
            const std::optional<Value> keyed = objectFromJSONString("{\"" + before + c.written + after + "\":1}");
            ASSERT_TRUE(keyed);
            EXPECT_EQ(*keyed, Value(Dictionary{{before + c.read + after, 1}}));
        }
    }
}

TEST(JSONDecoder, NumbersKeepTheirKind) {
    std::optional<Value> result =
        objectFromJSONString("[18446744073709551615, 9223372036854775807, -9223372036854775808, -0, 0.5, 1e-310, 0]");
    ASSERT_TRUE(result.has_value());
    Array values = result->asArray();
    EXPECT_EQ(values[0].numberType(), 'Q');
    EXPECT_EQ(values[0].asUInt(), 18446744073709551615ULL);
    EXPECT_EQ(values[1].numberType(), 'q');
    EXPECT_EQ(values[1].asInt(), INT64_MAX);
    EXPECT_EQ(values[2].asInt(), INT64_MIN);
    EXPECT_TRUE(values[3].isReal());
    EXPECT_TRUE(std::signbit(values[3].asDouble()));
    EXPECT_EQ(values[3].asDouble(), 0.0);
    EXPECT_EQ(values[4].asDouble(), 0.5);
    EXPECT_EQ(values[5].asDouble(), 1e-310);
    EXPECT_TRUE(values[6].isInteger());
}

// Integers of up to 19 digits are gathered while they are scanned; longer
// ones, and numbers with a fraction or an exponent, are converted from their
// text. Both give the exact value and kind at every boundary between them,
// and a double is bit for bit what strtod reads.
TEST(JSONDecoder, NumbersAreExactOnEitherSideOfTheFastPath) {
    struct Case {
        std::string text;
        char kind;  // 'q' signed, 'Q' unsigned, 'd' double
    };
    const Case cases[] = {
        {"0", 'q'},
        {"-0", 'd'},
        {"-9", 'q'},
        {"999999999999999999", 'q'},
        {"9223372036854775807", 'q'},
        {"9223372036854775808", 'Q'},
        {"9999999999999999999", 'Q'},
        {"10000000000000000000", 'Q'},
        {"18446744073709551615", 'Q'},
        {"-999999999999999999", 'q'},
        {"-9223372036854775807", 'q'},
        {"-9223372036854775808", 'q'},
        {"9007199254740993", 'q'},
        {"9007199254740993.0", 'd'},
        {"-0.0", 'd'},
        {"0.1", 'd'},
        {"0.30000000000000004", 'd'},
        {"1E+2", 'd'},
        {"1e-0", 'd'},
        {"1e23", 'd'},
        {"1.00000762939453125", 'd'},
        {"7.2057594037927933e16", 'd'},
        {"123456789012345678901234567890e-10", 'd'},
        {"8.98846567431158e307", 'd'},
        {"1.7976931348623157e308", 'd'},
        {"2.2250738585072011e-308", 'd'},
        {"2.2250738585072014e-308", 'd'},
        {"4.9406564584124654e-324", 'd'},
        {"2.4703282292062328e-324", 'd'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        JKError error;
        const std::optional<Value> read = objectFromJSONString("[" + c.text + "]", 0, &error);
        ASSERT_TRUE(read.has_value()) << error.description;
        const Value& number = read->asArray()[0];
        EXPECT_EQ(number.numberType(), c.kind);
        if (c.kind == 'd') {
            const double expected = std::strtod(c.text.c_str(), nullptr);
            const double got = number.asDouble();
            EXPECT_EQ(std::memcmp(&got, &expected, sizeof got), 0) << got << " vs " << expected;
        } else if (c.kind == 'Q') {
            EXPECT_EQ(number.asUInt(), std::stoull(c.text));
        } else {
            EXPECT_EQ(number.asInt(), std::stoll(c.text));
        }
    }
}

// A dictionary may read a fixed span from the start of every key it is
// handed: a key too near the end of the input for that span, or one that had
// to be unescaped, reaches it through a padded copy.
TEST(JSONDecoder, KeysOfEveryLengthNearTheEndOfTheInput) {
    for (size_t length = 0; length <= 40; ++length) {
        std::string key;
        for (size_t i = 0; i < length; ++i) key += static_cast<char>('a' + i % 26);
        for (const bool escaped : {false, true}) {
            const std::string written = escaped ? key + "\\n" : key, read = escaped ? key + "\n" : key;
            SCOPED_TRACE(written);
            const std::string text = "{\"x\":1,\"" + written + "\":[2]}";
            const std::optional<Value> value = objectFromJSONString(text);
            ASSERT_TRUE(value.has_value());
            EXPECT_EQ(*value, Value(Dictionary{{"x", 1}, {read, Array{2}}}));
            EXPECT_EQ(value->asDictionary().get(read), Value(Array{2}));
        }
    }
}

TEST(JSONDecoder, HostileInputEndsInAnOrderlyError) {
    JSONDecoder decoder;
    JKError error;
    const std::string deep(1000000, '[');
    EXPECT_FALSE(decoder.objectWithUTF8String(deep.data(), deep.size(), &error).has_value());
    EXPECT_EQ(error.description, "Arrays and objects are nested deeper than 1024 levels.");
    EXPECT_EQ(error.userInfo.get("JKAtIndexKey").asUInt(), 1025u);

    const std::string deepest = std::string(1024, '[') + std::string(1024, ']');
    EXPECT_TRUE(decoder.objectWithUTF8String(deepest.data(), deepest.size()).has_value());

    // Fifty megabytes of one array of numbers and strings.
    std::string big = "[";
    while (big.size() < 50u * 1024 * 1024) big += "123456789,\"abcdefghijklmnopqrstuvwxyz\",";
    big += "0]";
    std::optional<Value> result = decoder.objectWithUTF8String(big.data(), big.size(), &error);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->asArray().size() % 2, 1u);

    EXPECT_THROW(JSONDecoder(16), NSInvalidArgumentException);
    EXPECT_THROW(decoder.objectWithUTF8String(nullptr, 0), NSInvalidArgumentException);
}

TEST(JSONDecoder, SharesRepeatedStringsAndNumbersAcrossParses) {
    JSONDecoder decoder;
    const std::string text = "[\"frame\", 42, 0.5, 18446744073709551615, \"frame\", 42, \"\", -3]";
    std::optional<Value> first = decoder.objectWithUTF8String(text.data(), text.size());
    std::optional<Value> second = decoder.objectWithUTF8String(text.data(), text.size());
    ASSERT_TRUE(first && second);
    EXPECT_EQ(*first, *second);
    const Array a = first->asArray(), b = second->asArray();
    EXPECT_TRUE(a[0].isIdenticalTo(a[4]));
    EXPECT_TRUE(a[1].isIdenticalTo(a[5]));
    for (size_t i : {0u, 1u, 2u, 3u, 7u}) EXPECT_TRUE(a[i].isIdenticalTo(b[i])) << i;
    EXPECT_EQ(b[3].numberType(), 'Q');

    decoder.clearCache();
    std::optional<Value> third = decoder.objectWithUTF8String(text.data(), text.size());
    ASSERT_TRUE(third);
    EXPECT_EQ(*third, *first);
    EXPECT_FALSE(third->asArray()[0].isIdenticalTo(a[0]));
    // Another decoder shares nothing with this one.
    EXPECT_FALSE(JSONDecoder().objectWithUTF8String(text.data(), text.size())->asArray()[0].isIdenticalTo(a[0]));
}
