#include "components/sbjson/JsonProxy.h"
#include "components/sbjson/SBJsonWriter.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace foundation;
using namespace sbjson;

namespace {

std::string write(const Value& value) {
    SBJsonWriter writer;
    std::optional<std::string> json = writer.stringWithFragment(value);
    EXPECT_TRUE(json.has_value()) << (writer.errorTrace().empty() ? "" : writer.errorTrace().back().description);
    return json.value_or("<failed>");
}

// A model object that writes itself as a small dictionary.
class Point : public JsonProxy {
public:
    Point(int x, int y) : x_(x), y_(y) {}
    Value proxyForJson() const override { return Dictionary{{"x", x_}, {"y", y_}}; }

private:
    int x_, y_;
};

class Fixed : public JsonProxy {
public:
    explicit Fixed(Value value) : value_(std::move(value)) {}
    Value proxyForJson() const override { return value_; }

private:
    Value value_;
};

// A proxy that names itself as its substitute.
class SelfProxy : public JsonProxy, public std::enable_shared_from_this<SelfProxy> {
public:
    Value proxyForJson() const override {
        return JsonProxy::wrap(std::const_pointer_cast<SelfProxy>(shared_from_this()));
    }
};

}  // namespace

TEST(SBJsonWriter, Scalars) {
    EXPECT_EQ(write(Value()), "null");
    EXPECT_EQ(write(Value(true)), "true");
    EXPECT_EQ(write(Value(false)), "false");
    EXPECT_EQ(write(Value::integer(7, Value::kTypeBool)), "true") << "type 'c' is a boolean whatever its value";
    EXPECT_EQ(write(Value::integer(0, Value::kTypeBool)), "false");
    EXPECT_EQ(write(Value(42)), "42");
    EXPECT_EQ(write(Value(-7)), "-7");
    EXPECT_EQ(write(Value(std::numeric_limits<uint64_t>::max())), "18446744073709551615");
    EXPECT_EQ(write(Value(0.1)), "0.1");
    EXPECT_EQ(write(Value(2.0)), "2");
    EXPECT_EQ(write(Value(-1.5e-7)), "-1.5e-07");
    EXPECT_EQ(write(Value::decimal("1.50")), "1.50") << "a parsed decimal keeps its literal";
    EXPECT_EQ(write(Value::decimal("1e400")), "1e400");
    EXPECT_EQ(write(Value("")), "\"\"");
}

TEST(SBJsonWriter, StringEscapes) {
    EXPECT_EQ(write(Value("a\"b\\c")), R"("a\"b\\c")");
    EXPECT_EQ(write(Value("\b\t\n\f\r")), R"("\b\t\n\f\r")");
    EXPECT_EQ(write(Value("tab\there")), R"("tab\there")");
    EXPECT_EQ(write(Value("\v")), R"("\u000b")");
    EXPECT_EQ(write(Value(std::string("\0\x1f\x1b", 3))), R"("\u0000\u001f\u001b")");
    EXPECT_EQ(write(Value("a/b")), R"("a/b")");
    EXPECT_EQ(write(Value("\x7f")), "\"\x7f\"");
    EXPECT_EQ(write(Value("gr\u00fc\u00df \u65e5\u672c \U0001F600")), "\"gr\u00fc\u00df \u65e5\u672c \U0001F600\"");
    EXPECT_EQ(write(Value("\u00e9\n")), "\"\u00e9\\n\"") << "non-ASCII stays unescaped next to escapes";
}

TEST(SBJsonWriter, CompactContainers) {
    EXPECT_EQ(write(Array{}), "[]");
    EXPECT_EQ(write(Dictionary{}), "{}");
    Dictionary object{{"z", 1}, {"a", Array{true, Value(), "s"}}, {"m", Dictionary{{"k", 2.5}}}};
    EXPECT_EQ(write(object), R"({"z":1,"a":[true,null,"s"],"m":{"k":2.5}})");

    SBJsonWriter writer;
    writer.setSortKeys(true);
    EXPECT_EQ(writer.stringWithObject(object), R"({"a":[true,null,"s"],"m":{"k":2.5},"z":1})");
    EXPECT_EQ(write(Dictionary{{"k\"ey", 1}}), R"({"k\"ey":1})");
}

TEST(SBJsonWriter, HumanReadableSortedOutput) {
    SBJsonWriter writer;
    writer.setHumanReadable(true);
    writer.setSortKeys(true);
    Dictionary object{{"b", Array{1, 2}}, {"a", Dictionary{}}};
    EXPECT_EQ(writer.stringWithObject(object),
              "{\n"
              "  \"a\" : {},\n"
              "  \"b\" : [\n"
              "    1,\n"
              "    2\n"
              "  ]\n"
              "}");

    Dictionary other{{"b", 1}, {"a", Array{true, Value()}}};
    EXPECT_EQ(writer.stringWithObject(other),
              "{\n"
              "  \"a\" : [\n"
              "    true,\n"
              "    null\n"
              "  ],\n"
              "  \"b\" : 1\n"
              "}");
    EXPECT_EQ(writer.stringWithObject(Array{}), "[]");
}

TEST(SBJsonWriter, ObjectsMustBeContainers) {
    SBJsonWriter writer;
    EXPECT_FALSE(writer.stringWithObject(Value(42)).has_value());
    ASSERT_EQ(writer.errorTrace().size(), 1u);
    EXPECT_EQ(writer.errorTrace()[0].code, 4);
    EXPECT_EQ(writer.errorTrace()[0].description, "Not valid type for JSON");
    EXPECT_EQ(writer.stringWithFragment(Value(42)), "42");
    EXPECT_TRUE(writer.errorTrace().empty());
}

TEST(SBJsonWriter, UnsupportedValues) {
    SBJsonWriter writer;
    EXPECT_FALSE(writer.stringWithFragment(Value(Bytes{1, 2})).has_value());
    EXPECT_EQ(writer.errorTrace().back().code, 1);
    EXPECT_EQ(writer.errorTrace().back().description, "JSON serialisation not supported for Data");
    EXPECT_FALSE(writer.stringWithFragment(Value(Date{0})).has_value());
    EXPECT_EQ(writer.errorTrace().back().description, "JSON serialisation not supported for Date");
    EXPECT_FALSE(writer.stringWithFragment(Value::object(std::string("native"))).has_value());
    EXPECT_NE(writer.errorTrace().back().description.find("std::"), std::string::npos)
        << writer.errorTrace().back().description;

    EXPECT_FALSE(writer.stringWithObject(Dictionary{{"when", Date{0}}}).has_value());
    std::vector<Error> trace = writer.errorTrace();
    ASSERT_EQ(trace.size(), 2u);
    EXPECT_EQ(trace[0].description, "JSON serialisation not supported for Date");
    EXPECT_EQ(trace[1].description, "Unsupported value for key when in object");
    EXPECT_EQ(trace[1].code, 1);
    ASSERT_NE(trace[1].underlying, nullptr);
    EXPECT_EQ(trace[1].underlying->description, trace[0].description);

    // An unsupported array element fails the array without an error of its own.
    EXPECT_FALSE(writer.stringWithObject(Array{1, Value::uid(3)}).has_value());
    ASSERT_EQ(writer.errorTrace().size(), 1u);
    EXPECT_EQ(writer.errorTrace()[0].description, "JSON serialisation not supported for UID");
}

TEST(SBJsonWriter, NonFiniteNumbersAreRefused) {
    SBJsonWriter writer;
    for (double bad :
         {std::nan(""), std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()}) {
        EXPECT_FALSE(writer.stringWithObject(Array{1, bad}).has_value()) << bad;
        ASSERT_FALSE(writer.errorTrace().empty());
        EXPECT_EQ(writer.errorTrace().back().code, 1);
        EXPECT_NE(writer.errorTrace().back().description.find("non-finite number"), std::string::npos);
    }
    EXPECT_FALSE(writer.stringWithFragment(Value(std::numeric_limits<float>::quiet_NaN())).has_value());
}

TEST(SBJsonWriter, Proxies) {
    Value point = JsonProxy::wrap(std::make_shared<Point>(3, -4));
    SBJsonWriter writer;
    EXPECT_EQ(writer.stringWithObject(point), R"({"x":3,"y":-4})");
    EXPECT_EQ(writer.stringWithFragment(Array{point, point}), R"([{"x":3,"y":-4},{"x":3,"y":-4}])");
    EXPECT_EQ(writer.stringWithFragment(JsonProxy::wrap(std::make_shared<Fixed>(Value("s")))), "\"s\"");

    // A proxy standing for a scalar is no object, and a failing proxy's own
    // errors give way to the one that says so.
    EXPECT_FALSE(writer.stringWithObject(JsonProxy::wrap(std::make_shared<Fixed>(Value(1)))).has_value());
    EXPECT_EQ(writer.errorTrace().size(), 1u);
    EXPECT_EQ(writer.errorTrace().back().description, "Not valid type for JSON");
    EXPECT_FALSE(writer.stringWithObject(JsonProxy::wrap(std::make_shared<Fixed>(Array{Date{}}))).has_value());
    ASSERT_EQ(writer.errorTrace().size(), 1u);
    EXPECT_EQ(writer.errorTrace().back().code, 4);

    // A proxy held as its own derived type is not recognised as one.
    EXPECT_FALSE(writer.stringWithFragment(Value::object(std::make_shared<Point>(1, 1))).has_value());
}

TEST(SBJsonWriter, CyclesAndSelfProxiesEndInsteadOfOverflowing) {
    Value self = JsonProxy::wrap(std::make_shared<SelfProxy>());
    SBJsonWriter writer;
    EXPECT_FALSE(writer.stringWithObject(self).has_value());
    EXPECT_EQ(writer.errorTrace().back().code, 4);
    EXPECT_FALSE(writer.stringWithFragment(self).has_value());
    EXPECT_EQ(writer.errorTrace().front().description, "Nested too deep");

    Array loop;
    loop.push_back(Value(loop));
    EXPECT_FALSE(writer.stringWithObject(loop).has_value());
    EXPECT_EQ(writer.errorTrace().front().code, 7);
    writer.setMaxDepth(0);
    EXPECT_FALSE(writer.stringWithObject(loop).has_value());
    EXPECT_EQ(writer.errorTrace().front().description, "Nested too deep");
    loop.clear();  // break the cycle so the array is freed
}

TEST(SBJsonWriter, NestingLimit) {
    Value value = Array{};
    for (int i = 1; i < 512; ++i) value = Array{value};
    SBJsonWriter writer;
    std::optional<std::string> json = writer.stringWithObject(value);
    ASSERT_TRUE(json.has_value());
    EXPECT_EQ(*json, std::string(512, '[') + std::string(512, ']'));
    EXPECT_FALSE(writer.stringWithObject(Array{value}).has_value());
    EXPECT_EQ(writer.errorTrace().front().description, "Nested too deep");
    writer.setMaxDepth(0);
    EXPECT_TRUE(writer.stringWithObject(Array{value}).has_value());
}
