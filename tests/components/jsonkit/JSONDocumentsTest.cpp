#include "components/jsonkit/JKSerializer.h"
#include "components/jsonkit/JSONDecoder.h"
#include "support/DecimalCommaLocale.h"
#include "support/Process.h"

#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <random>
#include <sstream>

using namespace foundation;
using namespace jsonkit;

namespace {

// Random JSON texts over everything both readers accept alike: every kind
// of value, nesting, blanks, escapes of every form, raw multi-byte UTF-8,
// repeated keys, integers across the whole 64-bit range and doubles from
// subnormal to huge.
class DocumentGenerator {
public:
    explicit DocumentGenerator(uint32_t seed) : random_(seed) {}

    std::string document() {
        out_.clear();
        blanks();
        below(2) ? object(0) : array(0);
        blanks();
        return out_;
    }

private:
    uint64_t below(uint64_t n) { return random_() % n; }

    void blanks() {
        static const char kBlanks[] = {' ', '\t', '\n', '\r'};
        for (uint64_t n = below(4) == 0 ? below(3) : 0; n > 0; --n) out_ += kBlanks[below(4)];
    }

    void value(int depth) {
        blanks();
        switch (below(depth >= 5 ? 6 : 8)) {
            case 0:
                out_ += below(2) ? "true" : "false";
                break;
            case 1:
                out_ += "null";
                break;
            case 2:
                integer();
                break;
            case 3:
                real();
                break;
            case 4:
            case 5:
                string();
                break;
            case 6:
                array(depth + 1);
                break;
            default:
                object(depth + 1);
        }
        blanks();
    }

    void integer() {
        switch (below(4)) {
            case 0:
                out_ += std::to_string(static_cast<int64_t>(below(2000)) - 1000);
                break;
            case 1:
                out_ += std::to_string(static_cast<int64_t>(random_()));
                break;
            case 2:
                out_ += std::to_string(random_());
                break;
            default:
                out_ += below(2) ? "18446744073709551615" : "-9223372036854775808";
        }
    }

    void real() {
        char text[64];
        switch (below(4)) {
            case 0:
                std::snprintf(text, sizeof text, "%.17g", std::ldexp(static_cast<double>(random_() >> 11), -53));
                break;
            case 1:
                std::snprintf(text, sizeof text, "%lld.%03llue%d", static_cast<long long>(below(1000)) - 500,
                              static_cast<unsigned long long>(below(1000)), static_cast<int>(below(600)) - 300);
                break;
            case 2:
                std::snprintf(text, sizeof text, "%.17g", 4.9e-324 * static_cast<double>(1 + below(1000)));
                break;
            default:
                std::snprintf(text, sizeof text, "-%llu.5E+%d", static_cast<unsigned long long>(below(99)),
                              static_cast<int>(below(300)));
        }
        out_ += text;
    }

    void string() {
        static const char* const kPieces[] = {"a",
                                              "Z",
                                              " ",
                                              "/",
                                              "\\/",
                                              "\\\"",
                                              "\\\\",
                                              "\\b",
                                              "\\f",
                                              "\\n",
                                              "\\r",
                                              "\\t",
                                              "\\u0001",
                                              "\\u001F",
                                              "\\u00e9",
                                              "\\u2028",
                                              "\\uD83D\\uDE00",
                                              "\\uFFFD",
                                              "\xC3\xA9",
                                              "\xE6\x97\xA5",
                                              "\xF0\x9F\x8E\xAC",
                                              "\x7F",
                                              "key",
                                              "frame"};
        out_ += '"';
        for (uint64_t n = below(8); n > 0; --n) out_ += kPieces[below(std::size(kPieces))];
        out_ += '"';
    }

    void array(int depth) {
        out_ += '[';
        for (uint64_t i = 0, n = below(6); i < n; ++i) {
            if (i) out_ += ',';
            value(depth);
        }
        blanks();
        out_ += ']';
    }

    void object(int depth) {
        out_ += '{';
        for (uint64_t i = 0, n = below(6); i < n; ++i) {
            if (i) out_ += ',';
            blanks();
            below(4) ? string() : void(out_ += "\"same\"");  // now and then a repeated key
            blanks();
            out_ += ':';
            value(depth);
        }
        blanks();
        out_ += '}';
    }

    std::mt19937_64 random_;
    std::string out_;
};

// Equal values of the same kinds: integers stay integers, doubles doubles
// with their sign, and nothing is told apart by value alone.
bool sameAs(const Value& ours, const Value& theirs) {
    if (ours.type() != theirs.type()) return false;
    if (ours.isReal())
        return ours.asDouble() == theirs.asDouble() && std::signbit(ours.asDouble()) == std::signbit(theirs.asDouble());
    if (ours.isArray()) {
        const Array a = ours.asArray(), b = theirs.asArray();
        if (a.size() != b.size()) return false;
        for (size_t i = 0; i < a.size(); ++i)
            if (!sameAs(a[i], b[i])) return false;
        return true;
    }
    if (ours.isDictionary()) {
        const Dictionary a = ours.asDictionary(), b = theirs.asDictionary();
        if (a.size() != b.size()) return false;
        for (const auto& [key, value] : a)
            if (!b.contains(key) || !sameAs(value, b.get(key))) return false;
        return true;
    }
    return ours == theirs;
}

}  // namespace

TEST(JSONDocuments, GeneratedDocumentsReadAsPythonReadsThem) {
    constexpr int kDocuments = 1000;
    DocumentGenerator generator(16);
    std::vector<std::string> documents;
    std::string joined;
    for (int i = 0; i < kDocuments; ++i) {
        documents.push_back(generator.document());
        joined += documents.back();
        joined += '\x1e';  // never inside a document: control bytes in strings are escaped
    }
    const std::string path = testsupport::artifactsDirectory() + "/jsonkit-documents.json";
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(joined.data(), 1, joined.size(), file);
    std::fclose(file);
    // python3 reads every document and writes it back in its own plain form.
    const testsupport::ProcessResult python = testsupport::runPython(
        "import json, sys\n"
        "texts = open(sys.argv[1], encoding='utf-8').read().split('\\x1e')[:-1]\n"
        "for text in texts: print(json.dumps(json.loads(text), ensure_ascii=True))\n",
        {path});
    ASSERT_EQ(python.exitCode, 0) << python.output;
    std::istringstream lines(python.output);
    JSONDecoder decoder;
    int compared = 0;
    for (std::string line; std::getline(lines, line); ++compared) {
        ASSERT_LT(compared, kDocuments);
        const std::string& document = documents[static_cast<size_t>(compared)];
        JKError error;
        std::optional<Value> ours = decoder.objectWithUTF8String(document.data(), document.size(), &error);
        ASSERT_TRUE(ours.has_value()) << error.description << " in " << document;
        std::optional<Value> theirs = objectFromJSONString(line);
        ASSERT_TRUE(theirs.has_value()) << line;
        ASSERT_TRUE(sameAs(*ours, *theirs)) << document << "\npython: " << line;
    }
    EXPECT_EQ(compared, kDocuments);
}

TEST(JSONDocuments, DecimalCommaLocaleChangesNoNumber) {
    testsupport::ScopedDecimalCommaLocale commas;
    ASSERT_TRUE(commas.cLocaleActive()) << "no German locale could be made";
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 0.5);
    ASSERT_STREQ(probe, "0,5") << "the locale is not in effect";

    std::optional<Value> read = objectFromJSONString("[0.5, 1e-310, -2.25e3, 1e999]");
    EXPECT_FALSE(read.has_value()) << "1e999 is still too large";
    read = objectFromJSONString("[0.5, 1e-310, -2.25e3, 7]");
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, Value(Array{0.5, 1e-310, -2250.0, 7}));
    EXPECT_EQ(JSONString(*read).value_or("?"), "[0.5,9.9999999999999694e-311,-2250,7]");
    EXPECT_EQ(JSONString(Array{0.1, -1.5e-7}, JKEncodePrettyPrint).value_or("?"),
              "[\n  0.10000000000000001,\n  -1.4999999999999999e-07\n]");
}
