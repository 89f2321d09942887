#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/PropertyList.h"
#include "support/ChildProcess.h"
#include "support/Process.h"
#include "support/TempAppFolders.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <signal.h>
#include <unistd.h>

using namespace foundation;
namespace fs = std::filesystem;

namespace {

// The same sample on both sides: every scalar kind, the integer edges, text
// beyond ASCII, dates before 1970 and key order that is not sorted.
const char* kPythonSample = R"PY(
import plistlib, sys
from datetime import datetime
SAMPLE = {
    "integers": [0, 1, 255, 256, 65535, 65536, 4294967295, 4294967296, -1, -5,
                 -9223372036854775808, 9223372036854775807, 9223372036854775808,
                 18446744073709551615],
    "reals": [0.1, 5.0, -1e300, 2.5e-08, 1.5],
    "booleans": [True, False],
    "strings": ["", "plain", "h\u00e9llo w\u00f6rld", "\u65e5\u672c\u8a9e", "\U0001F3AC clip",
                "a<b>&c", "line\nbreak\ttab"],
    "dates": [datetime(2026, 12, 7, 8, 30, 15), datetime(1800, 5, 6, 7, 8, 9)],
    "data": [b"", b"\x00", bytes(range(256))],
    "nested": {"z": [{"deep": [[], {}]}], "a": {"b": {"c": "d"}}},
}
)PY";

Value cppSample() {
    Array data{Value(Bytes{}), Value(Bytes{0})};
    Bytes all;
    for (int i = 0; i < 256; ++i) all.push_back(static_cast<uint8_t>(i));
    data.push_back(Value(all));
    return Dictionary{
        {"integers",
         Array{0, 1, 255, 256, 65535, 65536, 4294967295LL, 4294967296LL, -1, -5, std::numeric_limits<int64_t>::min(),
               std::numeric_limits<int64_t>::max(), 9223372036854775808ULL, 18446744073709551615ULL}},
        {"reals", Array{0.1, 5.0, -1e300, 2.5e-8, 1.5}},
        {"booleans", Array{true, false}},
        {"strings", Array{"", "plain", "h\u00e9llo w\u00f6rld", "\u65e5\u672c\u8a9e", "\U0001F3AC clip", "a<b>&c",
                          "line\nbreak\ttab"}},
        {"dates", Array{Date{818325015.0}, Date{-6332143911.0}}},
        {"data", data},
        {"nested", Dictionary{{"z", Array{Dictionary{{"deep", Array{Array{}, Dictionary{}}}}}},
                              {"a", Dictionary{{"b", Dictionary{{"c", "d"}}}}}}},
    };
}

// Equality that also insists on the same kinds (5 is not 5.0, 1 is not true)
// and the same key order.
::testing::AssertionResult sameTyped(const Value& a, const Value& b, const std::string& path = "root") {
    if (a.type() != b.type() || a.isUnsigned() != b.isUnsigned()) {
        return ::testing::AssertionFailure() << path << ": " << a.typeName() << " vs " << b.typeName();
    }
    if (a.isArray()) {
        if (a.asArray().size() != b.asArray().size()) return ::testing::AssertionFailure() << path << ": sizes";
        for (size_t i = 0; i < a.asArray().size(); ++i) {
            auto r = sameTyped(a.asArray()[i], b.asArray()[i], path + "[" + std::to_string(i) + "]");
            if (!r) return r;
        }
        return ::testing::AssertionSuccess();
    }
    if (a.isDictionary()) {
        if (a.asDictionary().keys() != b.asDictionary().keys())
            return ::testing::AssertionFailure() << path << ": keys";
        for (const auto& [key, value] : a.asDictionary()) {
            auto r = sameTyped(value, b.asDictionary().get(key), path + "." + key);
            if (!r) return r;
        }
        return ::testing::AssertionSuccess();
    }
    if (!(a == b)) return ::testing::AssertionFailure() << path << ": " << a.description() << " vs " << b.description();
    return ::testing::AssertionSuccess();
}

class PropertyListTest : public ::testing::Test {
protected:
    std::string python(const std::string& body, const std::vector<std::string>& args) {
        auto result = testsupport::runPython(std::string(kPythonSample) + body, args);
        EXPECT_EQ(result.exitCode, 0) << result.output;
        return result.output;
    }

    testsupport::TempAppFolders folders;
    const std::string dir = folders.root();
};

std::string text(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

Bytes fileBytes(const std::string& path) { return readFile(path).valueOr(Bytes{}); }

}  // namespace

// ---- interchange with an outside reader and writer ----------------------------

TEST_F(PropertyListTest, PlistlibReadsWhatWeWriteInBothFormats) {
    for (auto format : {plist::Format::Xml, plist::Format::Binary}) {
        std::string path = dir + (format == plist::Format::Xml ? "/ours.xml" : "/ours.bin");
        ASSERT_TRUE(plist::writeFile(cppSample(), path, format).ok());
        // repr() tells 5 from 5.0 and True from 1, and shows the key order.
        std::string output = python(R"PY(
with open(sys.argv[1], "rb") as f:
    loaded = plistlib.load(f)
print("equal" if repr(loaded) == repr(SAMPLE) else "differs:\n%r\n%r" % (loaded, SAMPLE))
)PY",
                                    {path});
        EXPECT_EQ(output, "equal\n") << path;
    }
}

TEST_F(PropertyListTest, WeReadWhatPlistlibWritesInBothFormats) {
    for (std::string fmt : {"FMT_XML", "FMT_BINARY"}) {
        std::string path = dir + "/theirs-" + fmt;
        python("with open(sys.argv[1], 'wb') as f:\n    plistlib.dump(SAMPLE, f, fmt=plistlib." + fmt +
                   ", sort_keys=False)\n",
               {path});
        auto value = plist::readFile(path);
        ASSERT_TRUE(value.ok()) << fmt << ": " << value.error().description;
        EXPECT_TRUE(sameTyped(*value, cppSample())) << fmt;
    }
}

TEST_F(PropertyListTest, BinaryDatesKeepSubSecondPrecisionAgreeingWithPlistlib) {
    Value value = Array{Date{1.5}, Date{-0.25}};
    std::string path = dir + "/dates.bin";
    ASSERT_TRUE(plist::writeFile(value, path, plist::Format::Binary).ok());
    EXPECT_EQ(python(R"PY(
loaded = plistlib.load(open(sys.argv[1], "rb"))
print([d.isoformat() for d in loaded])
)PY",
                     {path}),
              "['2001-01-01T00:00:01.500000', '2000-12-31T23:59:59.750000']\n");
    auto back = plist::readFile(path);
    ASSERT_TRUE(back.ok());
    EXPECT_TRUE(sameTyped(*back, value));
}

// ---- the XML text itself -------------------------------------------------------

TEST_F(PropertyListTest, XmlTellsIntegersFromRealsAndEscapesText) {
    auto xml = plist::serialize(
        Dictionary{{"int", 5}, {"real", 5.0}, {"text", "a<b & c\rd"}, {"big", 18446744073709551615ULL}},
        plist::Format::Xml);
    ASSERT_TRUE(xml.ok());
    std::string s = text(*xml);
    EXPECT_NE(s.find("<key>int</key>\n\t<integer>5</integer>"), std::string::npos) << s;
    EXPECT_NE(s.find("<key>real</key>\n\t<real>5</real>"), std::string::npos) << s;
    EXPECT_NE(s.find("<string>a&lt;b &amp; c&#13;d</string>"), std::string::npos) << s;
    EXPECT_NE(s.find("<integer>18446744073709551615</integer>"), std::string::npos) << s;
    EXPECT_EQ(s.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n", 0), 0u);
    // The carriage return survives the trip, which a raw CR would not.
    auto back = plist::parse(*xml);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back->asDictionary()["text"].asString(), "a<b & c\rd");
    EXPECT_TRUE(back->asDictionary()["real"].isReal());
    EXPECT_TRUE(back->asDictionary()["int"].isInteger());
}

TEST_F(PropertyListTest, XmlReaderAndWriterHoldTheCharactersPlistlibHolds) {
    struct Case {
        std::string text;  // as it stands in the XML file, raw or as a reference
        bool holdable;
    };
    // XML 1.0's characters: tab, line feed, carriage return, U+0020 on,
    // without U+FFFE and U+FFFF; raw or referenced alike.
    const Case cases[] = {
        {"a\x01"
         "b",
         false},
        {std::string("a\0b", 3), false},
        {"\x1f", false},
        {"&#1;", false},
        {"&#x1F;", false},
        {"&#0;", false},
        {"\xEF\xBF\xBE", false},
        {"&#xFFFF;", false},
        {"a\tb\nc", true},
        {"&#13;", true},
        {"\x7f", true},
        {"\xC2\x85", true},
        {"&#xFFFD;", true},
        {"\xF0\x9F\x8E\xAC", true},
    };
    std::vector<std::string> files;
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        // The same text as a key and as a string.
        std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict><key>k" + c.text +
                          "</key><string>" + c.text + "</string></dict></plist>\n";
        files.push_back(dir + "/chars" + std::to_string(i) + ".plist");
        ASSERT_TRUE(writeFileAtomically(files.back(), xml));
        auto ours = plist::readFile(files.back());
        EXPECT_EQ(ours.ok(), c.holdable) << "reading case " << i;
        if (!ours.ok()) continue;
        // What was read is written again, and plistlib reads it back unchanged.
        auto written = plist::serialize(*ours, plist::Format::Xml);
        ASSERT_TRUE(written.ok()) << "case " << i;
        ASSERT_TRUE(writeFileAtomically(files.back() + ".again", *written));
    }
    std::string verdicts = python(R"PY(
import os
for path in sys.argv[1:]:
    try:
        value = plistlib.load(open(path, 'rb'))
        again = plistlib.load(open(path + '.again', 'rb'))
        print('ok' if again == value else 'changed')
    except Exception:
        print('refused')
)PY",
                                  files);
    std::string expected;
    for (const Case& c : cases) expected += c.holdable ? "ok\n" : "refused\n";
    EXPECT_EQ(verdicts, expected);

    // Our writer refuses exactly what our reader refuses, in keys and strings.
    for (const std::string& bad : {std::string("\x01"), std::string("a\0b", 3), std::string("\xEF\xBF\xBF")}) {
        for (const Value& value : {Value(Array{bad}), Value(Dictionary{{bad, 1}})}) {
            auto result = plist::serialize(value, plist::Format::Xml);
            ASSERT_FALSE(result.ok());
            EXPECT_EQ(result.error().code, plist::kWriteInvalidError);
        }
    }
}

TEST_F(PropertyListTest, UidsRoundTripInBothFormatsAndAsCFUIDInXml) {
    Value value = Dictionary{{"root", Value::uid(7)}, {"big", Value::uid(70000)}};
    auto xml = plist::serialize(value, plist::Format::Xml);
    ASSERT_TRUE(xml.ok());
    EXPECT_NE(text(*xml).find("<dict>\n\t\t<key>CF$UID</key>\n\t\t<integer>7</integer>\n\t</dict>"), std::string::npos)
        << text(*xml);
    for (auto format : {plist::Format::Xml, plist::Format::Binary}) {
        auto back = plist::parse(*plist::serialize(value, format));
        ASSERT_TRUE(back.ok());
        EXPECT_TRUE(sameTyped(*back, value));
    }
    std::string path = dir + "/uid.bin";
    ASSERT_TRUE(plist::writeFile(value, path, plist::Format::Binary).ok());
    EXPECT_EQ(python("print(plistlib.load(open(sys.argv[1], 'rb')))\n", {path}),
              "{'root': UID(7), 'big': UID(70000)}\n");
}

TEST_F(PropertyListTest, XmlReaderAcceptsCommentsCdataEntitiesAndBareRoots) {
    std::string xml =
        "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<!DOCTYPE plist [ <!ENTITY x \"boom\"> ]>\n"
        "<plist version=\"1.0\"><!-- note --><dict>\n"
        "<key>a</key><string><![CDATA[<raw> & ]]>&#x263A;&#65;</string>\r\n"
        "<key>b</key><integer> -12 </integer><key>c</key><real>+infinity</real>"
        "<key>d</key><date>2001-01-01T00:01:40Z</date><key>e</key><data> AAEC\n Aw== </data>"
        "<key>f</key><true></true></dict></plist>";
    auto value = plist::parse(Bytes(xml.begin(), xml.end()));
    ASSERT_TRUE(value.ok()) << value.error().description;
    Dictionary d = value->asDictionary();
    EXPECT_EQ(d["a"].asString(),
              "<raw> & \u263A"
              "A");
    EXPECT_EQ(d["b"].asInt(), -12);
    EXPECT_TRUE(std::isinf(d["c"].asDouble()));
    EXPECT_EQ(d["d"].asDate()->sinceReferenceDate, 100.0);
    EXPECT_EQ(d["e"].asData(), (Bytes{0, 1, 2, 3}));
    EXPECT_TRUE(d["f"].asBool());

    std::string bare = "<array><string>x</string></array>";
    auto bareValue = plist::parse(Bytes(bare.begin(), bare.end()));
    ASSERT_TRUE(bareValue.ok());
    EXPECT_EQ(bareValue->asArray()[0].asString(), "x");
}

// ---- values and inputs that must be refused ---------------------------------

TEST_F(PropertyListTest, UnwritableValuesGiveWriteErrorsInBothFormats) {
    Array cyclic;
    cyclic.push_back(Value(1));
    cyclic.push_back(Value(cyclic));
    Value deep = Array{};
    for (int i = 0; i < plist::kMaximumDepth + 5; ++i) deep = Array{deep};
    std::vector<std::pair<std::string, Value>> cases{
        {"null", Dictionary{{"a", Value()}}},
        {"native object", Array{Value::object(std::string("frame"))}},
        {"cycle", Value(cyclic)},
        {"too deep", deep},
        {"invalid UTF-8", Array{std::string("\xC3\x28")}},
        {"invalid UTF-8 key", Dictionary{{std::string("\xFF"), 1}}},
    };
    for (const auto& [name, value] : cases) {
        for (auto format : {plist::Format::Xml, plist::Format::Binary}) {
            auto result = plist::serialize(value, format);
            ASSERT_FALSE(result.ok()) << name;
            EXPECT_EQ(result.error().domain, kCocoaErrorDomain) << name;
            EXPECT_EQ(result.error().code, plist::kWriteInvalidError) << name;
        }
    }
    cyclic.clear();  // break the cycle so the test does not leak it

    // XML cannot hold most control characters; binary can.
    Value bell = Array{"ring\x07"};
    EXPECT_FALSE(plist::serialize(bell, plist::Format::Xml).ok());
    auto binary = plist::serialize(bell, plist::Format::Binary);
    ASSERT_TRUE(binary.ok());
    EXPECT_EQ(plist::parse(*binary)->asArray()[0].asString(), "ring\x07");
    // Four-digit years are all that XML dates hold.
    EXPECT_FALSE(plist::serialize(Value(Date{1e13}), plist::Format::Xml).ok());
}

TEST_F(PropertyListTest, MalformedXmlGivesReadErrors) {
    std::string deep;
    for (int i = 0; i < 100000; ++i) deep += "<array>";
    const std::vector<std::string> inputs{
        "",
        "   ",
        "<plist>",
        "<plist></plist>",
        "<plist><dict><key>a</key></dict></plist>",
        "<plist><dict><string>a</string></dict></plist>",
        "<plist><integer>12x</integer></plist>",
        "<plist><integer>18446744073709551616</integer></plist>",
        "<plist><integer>-9223372036854775809</integer></plist>",
        "<plist><string>&bogus;</string></plist>",
        "<plist><string>&#0;</string></plist>",
        "<plist><string>&#7;</string></plist>",
        "<plist><dict><key>a\x01</key><true/></dict></plist>",
        "<plist><date>2001-13-01T00:00:00Z</date></plist>",
        "<plist><data>@@@@</data></plist>",
        "<plist><string>\xC3\x28</string></plist>",
        "<plist><array></dict></plist>",
        "<plist><true/><true/></plist>",
        "<plist><wat/></plist>",
        "<plist><string>a</string>",
        "bplist00",
        deep,
    };
    for (const std::string& input : inputs) {
        auto value = plist::parse(Bytes(input.begin(), input.end()));
        ASSERT_FALSE(value.ok()) << input.substr(0, 80);
        EXPECT_EQ(value.error().domain, kCocoaErrorDomain);
        EXPECT_EQ(value.error().code, plist::kReadCorruptError);
    }
}

namespace {

// Assembles a binary property list from encoded objects with two-byte
// references and offsets, so tests can build files no honest writer produces.
Bytes bplist(const std::vector<Bytes>& objects, uint16_t top = 0) {
    Bytes out{'b', 'p', 'l', 'i', 's', 't', '0', '0'};
    Bytes offsets;
    for (const Bytes& object : objects) {
        offsets.push_back(static_cast<uint8_t>(out.size() >> 8));
        offsets.push_back(static_cast<uint8_t>(out.size()));
        out.insert(out.end(), object.begin(), object.end());
    }
    size_t table = out.size();
    out.insert(out.end(), offsets.begin(), offsets.end());
    Bytes trailer(32, 0);
    trailer[6] = 2;
    trailer[7] = 2;
    trailer[14] = static_cast<uint8_t>(objects.size() >> 8);
    trailer[15] = static_cast<uint8_t>(objects.size());
    trailer[22] = static_cast<uint8_t>(top >> 8);
    trailer[23] = static_cast<uint8_t>(top);
    trailer[30] = static_cast<uint8_t>(table >> 8);
    trailer[31] = static_cast<uint8_t>(table);
    out.insert(out.end(), trailer.begin(), trailer.end());
    return out;
}

// A container marker followed by two-byte references.
Bytes container(uint8_t marker, std::initializer_list<uint16_t> refs) {
    Bytes out{marker};
    for (uint16_t ref : refs) {
        out.push_back(static_cast<uint8_t>(ref >> 8));
        out.push_back(static_cast<uint8_t>(ref));
    }
    return out;
}

// Arrays nested `depth` levels deep around an integer.
Bytes nestedArrays(uint16_t depth) {
    std::vector<Bytes> chain;
    for (uint16_t i = 0; i < depth; ++i) chain.push_back(container(0xA1, {static_cast<uint16_t>(i + 1)}));
    chain.push_back({0x10, 0});
    return bplist(chain);
}

}  // namespace

TEST_F(PropertyListTest, BinaryStringsOfOtherWritersDecodeToUtf8) {
    // Latin-1 in an "ASCII" string, a surrogate pair and a lone surrogate.
    auto value =
        plist::parse(bplist({container(0xA2, {1, 2}), {0x52, 'A', 0xE9}, {0x63, 0xD8, 0x3C, 0xDF, 0xAC, 0xDC, 0x00}}));
    ASSERT_TRUE(value.ok()) << value.error().description;
    EXPECT_EQ(value->asArray()[0].asString(), "A\u00e9");
    EXPECT_EQ(value->asArray()[1].asString(), "\U0001F3AC\uFFFD");
}

TEST_F(PropertyListTest, HostileBinaryInputGivesReadErrors) {
    // The builder itself is sound: honest structures read fine.
    auto honest = plist::parse(bplist({container(0xA2, {1, 2}), {0x10, 42}, container(0xD1, {3, 1}), {0x51, 'k'}}));
    ASSERT_TRUE(honest.ok()) << honest.error().description;
    EXPECT_EQ(honest->asArray()[1].asDictionary()["k"].asInt(), 42);
    EXPECT_TRUE(plist::parse(nestedArrays(plist::kMaximumDepth)).ok());

    // Each array holds its successor twice: 2^40 elements once expanded.
    std::vector<Bytes> doubling;
    for (uint16_t i = 0; i < 40; ++i) doubling.push_back(container(0xA2, {uint16_t(i + 1), uint16_t(i + 1)}));
    doubling.push_back({0x10, 1});

    const std::vector<std::pair<std::string, Bytes>> cases{
        {"self-containing array", bplist({container(0xA1, {0})})},
        {"cycle through a dictionary", bplist({container(0xD1, {1, 2}), {0x51, 'k'}, container(0xA1, {0})})},
        {"reference out of range", bplist({container(0xA1, {9})})},
        {"top out of range", bplist({{0x10, 1}}, 5)},
        {"string longer than the data", bplist({{0x5F, 0x13, 0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}})},
        {"non-string key", bplist({container(0xD1, {1, 1}), {0x10, 1}})},
        {"unknown type", bplist({{0x70}})},
        {"integer beyond 64 bits", bplist({{0x14, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}})},
        {"exponential sharing", bplist(doubling)},
        {"nesting beyond the limit", nestedArrays(plist::kMaximumDepth + 1)},
        {"other format version",
         [] {
             Bytes b = bplist({{0x10, 1}});
             b[7] = '1';
             return b;
         }()},
    };
    for (const auto& [name, data] : cases) {
        auto value = plist::parse(data);
        ASSERT_FALSE(value.ok()) << name;
        EXPECT_EQ(value.error().code, plist::kReadCorruptError) << name;
    }
}

TEST_F(PropertyListTest, EveryTruncationAndRandomDamageIsHandled) {
    for (auto format : {plist::Format::Xml, plist::Format::Binary}) {
        Bytes good = *plist::serialize(cppSample(), format);
        // XML may lose its final line break and still be whole.
        size_t whole = format == plist::Format::Xml ? good.size() - 1 : good.size();
        for (size_t length = 0; length < whole; ++length) {
            Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length));
            EXPECT_FALSE(plist::parse(cut).ok()) << "length " << length;
        }
        // Damaged files need not be refused, but must never crash or hang.
        std::mt19937 random(1234);
        for (int round = 0; round < 2000; ++round) {
            Bytes damaged = good;
            for (int flips = 0; flips < 3; ++flips) damaged[random() % damaged.size()] = static_cast<uint8_t>(random());
            auto value = plist::parse(damaged);
            if (value.ok()) {
                EXPECT_FALSE(value->isObject());
            }
        }
    }
}

TEST_F(PropertyListTest, CorruptFileGivesErrorAndStaysUnchanged) {
    std::string path = dir + "/settings.plist";
    ASSERT_TRUE(plist::writeFile(cppSample(), path).ok());
    Bytes good = fileBytes(path);
    Bytes truncated(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(good.size() / 2));
    ASSERT_TRUE(writeFileAtomically(path, truncated).ok());

    auto value = plist::readFile(path);
    ASSERT_FALSE(value.ok());
    EXPECT_EQ(value.error().code, plist::kReadCorruptError);
    EXPECT_NE(value.error().description.find(path), std::string::npos);
    EXPECT_EQ(fileBytes(path), truncated);

    // A value that cannot be written leaves the previous file in place.
    ASSERT_TRUE(plist::writeFile(Dictionary{{"kept", true}}, path).ok());
    Bytes kept = fileBytes(path);
    EXPECT_FALSE(plist::writeFile(Dictionary{{"lost", Value()}}, path).ok());
    EXPECT_EQ(fileBytes(path), kept);

    auto missing = plist::readFile(dir + "/missing.plist");
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().domain, kPOSIXErrorDomain);
    EXPECT_EQ(missing.error().code, ENOENT);
}

// ---- crash safety --------------------------------------------------------------

namespace {

Value bigGeneration(int generation) {
    // About 2 MB of data whose every byte tells which generation wrote it.
    Bytes payload(2 * 1024 * 1024, static_cast<uint8_t>(generation % 251));
    return Dictionary{{"generation", generation}, {"payload", Value(std::move(payload))}};
}

// Watches the folder (no sleeping) until the writer with the given process
// id has a temporary file of at least `size` bytes, or has stopped.
void waitForTemporary(const std::string& dir, testsupport::ChildProcess& writer, uintmax_t size) {
    std::string prefix = ".frames.meta.tmp-" + std::to_string(writer.pid()) + "-";
    for (;;) {
        if (writer.poll()) return;
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(dir, error)) {
            std::string name = entry.path().filename().string();
            if (name.rfind(prefix, 0) == 0 && entry.file_size(error) >= size && !error) return;
        }
    }
}

}  // namespace

TEST_F(PropertyListTest, KilledWriterAlwaysLeavesOldOrNewFile) {
    std::string path = dir + "/frames.meta";
    ASSERT_TRUE(plist::writeFile(bigGeneration(0), path, plist::Format::Binary).ok());
    int highest = 0;
    for (int round = 0; round < 30; ++round) {
        int first = highest + 1;
        testsupport::ChildProcess::Options reports;
        reports.captureOutput = true;
        auto child = testsupport::ChildProcess::forked(
            [&] {
                for (int generation = first;; ++generation) {
                    if (!plist::writeFile(bigGeneration(generation), path, plist::Format::Binary).ok()) return 1;
                    if (write(1, "#", 1) != 1) return 2;
                }
            },
            reports);
        // Let the child finish a varying number of writes (none in some rounds),
        // then kill it at a varying point of the next one: at once, or once its
        // temporary file has grown to a given size.
        int finished = round % 3;
        for (int i = 0; i < finished; ++i) ASSERT_TRUE(child.readUntil('#'));
        if (round % 2) waitForTemporary(dir, child, static_cast<uintmax_t>(round % 9) * 256 * 1024);
        int status = child.stop(SIGKILL);
        ASSERT_EQ(status, 128 + SIGKILL) << "writer failed with " << status;
        while (child.readUntil('#')) ++finished;  // writes finished just before the kill

        auto value = plist::readFile(path);
        ASSERT_TRUE(value.ok()) << "round " << round << ": " << value.error().description;
        int generation = static_cast<int>(value->asDictionary()["generation"].asInt());
        const Bytes& payload = value->asDictionary()["payload"].asData();
        ASSERT_EQ(payload.size(), 2u * 1024 * 1024);
        EXPECT_TRUE(std::all_of(payload.begin(), payload.end(), [&](uint8_t b) { return b == generation % 251; }));
        // The file holds the last finished write or the one after it.
        EXPECT_GE(generation, highest + finished) << "round " << round;
        EXPECT_LE(generation, highest + finished + 1) << "round " << round;
        highest = generation;
    }
    // Temporaries of killed writers are hidden files beside the target; some
    // must be there, or no kill landed in the middle of a write.
    int temporaries = 0;
    for (const auto& entry : fs::directory_iterator(dir)) {
        std::string name = entry.path().filename().string();
        if (name == "frames.meta") continue;
        // Each names its target and its writer, which is gone.
        auto temporary = parseAtomicTemporaryName(name);
        ASSERT_TRUE(temporary) << name;
        EXPECT_EQ(temporary->targetName, "frames.meta");
        EXPECT_GT(temporary->writerProcessID, 0);
        EXPECT_NE(temporary->writerProcessID, int64_t(getpid()));
        ++temporaries;
    }
    EXPECT_GT(temporaries, 0);
}
