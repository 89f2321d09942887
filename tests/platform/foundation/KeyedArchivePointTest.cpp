#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/KeyedArchive.h"
#include "support/Process.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

using namespace foundation;

TEST(ArchivedPointText, WritesShortestTextAndParsesOnlyWellFormedPoints) {
    EXPECT_EQ(pointString({1.5, -2}), "{1.5, -2}");
    EXPECT_EQ(pointString({0.1, 1e20}), "{0.1, 1e+20}");
    struct Case {
        const char* text;
        std::optional<ArchivedPoint> expected;
    };
    const Case cases[] = {
        {"{1.5, -2}", ArchivedPoint{1.5, -2}},
        {"{3,4}", ArchivedPoint{3, 4}},
        {" { 0.25 , 7 } ", ArchivedPoint{0.25, 7}},
        {"{1, 2", std::nullopt},
        {"1, 2}", std::nullopt},
        {"{1 2}", std::nullopt},
        {"{1, 2} x", std::nullopt},
        {"{a, 2}", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(parsePointString(c.text), c.expected) << c.text;
}

class Sample : public Archivable {
public:
    float width = 0;
    ArchivedPoint pos;
    Array segments;
    std::string className() const override { return "Sample"; }
    void encodeWithCoder(KeyedArchiver& coder) const override {
        coder.encodeFloat(width, "width");
        coder.encodePoint(pos, "pos");
        coder.encodeMutableArray(segments, "segments");
    }
};

std::shared_ptr<Archivable> decodeSample(KeyedUnarchiver& coder) {
    auto sample = std::make_shared<Sample>();
    sample->width = coder.decodeFloat("width");
    sample->pos = coder.decodePoint("pos");
    sample->segments = coder.decodeValue("segments").asArray();
    return sample;
}

TEST(KeyedArchiveAdditions, FloatsPointsAndMutableArraysAsThePlatformStoresThem) {
    KeyedArchiveRegistry::registerClass("Sample", decodeSample);
    auto sample = std::make_shared<Sample>();
    sample->width = 23.7f;
    sample->pos = {12.25, -3};
    sample->segments = Array{Value(Array{Value(1.5f), Value(2.5f)})};
    auto data = KeyedArchiver::archivedMutableArray(Array{archivableValue(sample)});
    ASSERT_TRUE(data.ok());

    auto back = KeyedUnarchiver::unarchiveValue(*data);
    ASSERT_TRUE(back.ok()) << back.error().description;
    auto decoded = std::dynamic_pointer_cast<Sample>(archivableFrom(back->asArray().at(0)));
    ASSERT_NE(decoded, nullptr);
    EXPECT_EQ(decoded->width, 23.7f);
    EXPECT_EQ(decoded->pos, (ArchivedPoint{12.25, -3}));
    EXPECT_EQ(decoded->segments.at(0).asArray().at(1).asDouble(), 2.5);

    std::string path = testsupport::artifactsDirectory() + "/keyed-archive-additions.bin";
    ASSERT_TRUE(writeFileAtomically(path, *data).ok());
    auto result = testsupport::runPython(R"PY(
import plistlib, sys, struct
raw = open(sys.argv[1], "rb").read()
a = plistlib.loads(raw)
o = a["$objects"]
def cls(e): return o[e["$class"].data]["$classes"]
root = o[a["$top"]["root"].data]
s = o[root["NS.objects"][0].data]
print(cls(root), cls(s))
print(s["width"] == struct.unpack(">f", struct.pack(">f", 23.7))[0], o[s["pos"].data])
seg = o[s["segments"].data]
print(cls(seg), cls(o[seg["NS.objects"][0].data]))
# 23.7 and 1.5 as 4-byte reals (marker 0x22), not widened to doubles
print(b"\x22" + struct.pack(">f", 23.7) in raw, b"\x22" + struct.pack(">f", 1.5) in raw)
)PY",
                                         {path});
    ASSERT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(result.output,
              "['NSMutableArray', 'NSArray', 'NSObject'] ['Sample', 'NSObject']\n"
              "True {12.25, -3}\n"
              "['NSMutableArray', 'NSArray', 'NSObject'] ['NSArray', 'NSObject']\n"
              "True True\n");
}

TEST(KeyedArchiveAdditions, AMalformedPointFailsTheWholeUnarchiving) {
    KeyedArchiveRegistry::registerClass("Sample", decodeSample);
    for (const Value& pos : {Value("{1, }"), Value(Bytes{1, 2}), Value(int64_t{5})}) {
        class Raw : public Archivable {
        public:
            Value pos;
            std::string className() const override { return "Sample"; }
            void encodeWithCoder(KeyedArchiver& coder) const override { coder.encodeValue(pos, "pos"); }
        };
        auto raw = std::make_shared<Raw>();
        raw->pos = pos;
        auto data = KeyedArchiver::archivedData(std::shared_ptr<Archivable>(raw));
        ASSERT_TRUE(data.ok());
        auto back = KeyedUnarchiver::unarchiveObject(*data);
        ASSERT_FALSE(back.ok()) << pos.typeName();
        EXPECT_EQ(back.error().code, kCoderReadCorruptError);
        EXPECT_NE(back.error().description.find("\"pos\""), std::string::npos) << back.error().description;
    }
}

// Objects and containers made and freed inside encodeWithCoder: a later one
// may get a freed one's address, and must not be written as a reference to it.
TEST(KeyedArchiveAdditions, TemporariesEncodedOneAfterAnotherKeepTheirOwnContents) {
    class Temporaries : public Archivable {
    public:
        std::string className() const override { return "Temporaries"; }
        void encodeWithCoder(KeyedArchiver& coder) const override {
            for (int i = 0; i < 200; ++i) {
                auto sample = std::make_shared<Sample>();
                sample->width = static_cast<float>(i);
                coder.encodeValue(Array{archivableValue(sample)}, "objects" + std::to_string(i));
                coder.encodeValue(Array{Value(i)}, "numbers" + std::to_string(i));
            }
        }
    };
    KeyedArchiveRegistry::registerClass("Sample", decodeSample);
    KeyedArchiveRegistry::registerClass("Temporaries", [](KeyedUnarchiver& coder) -> std::shared_ptr<Archivable> {
        for (int i = 0; i < 200; ++i) {
            Value objects = coder.decodeValue("objects" + std::to_string(i));
            auto sample = std::dynamic_pointer_cast<Sample>(archivableFrom(objects.asArray().at(0)));
            Value numbers = coder.decodeValue("numbers" + std::to_string(i));
            if (!sample || sample->width != static_cast<float>(i) || !numbers.asArray().at(0).isInteger() ||
                numbers.asArray().at(0).asInt() != i) {
                coder.failWithError(Error("test", i, "entry " + std::to_string(i) + " came back wrong"));
                return nullptr;
            }
        }
        return std::make_shared<Temporaries>();
    });
    auto data = KeyedArchiver::archivedData(std::shared_ptr<Archivable>(std::make_shared<Temporaries>()));
    ASSERT_TRUE(data.ok());
    auto back = KeyedUnarchiver::unarchiveObject(*data);
    EXPECT_TRUE(back.ok()) << back.error().description;
}

}  // namespace
