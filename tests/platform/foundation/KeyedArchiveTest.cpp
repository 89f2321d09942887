#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/KeyedArchive.h"
#include "support/Process.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace foundation;

namespace {

// A small object graph shaped like the painting model: a layer holds strokes,
// strokes share brushes.
struct TestBrush : Archivable {
    std::string name;
    double width = 0;
    std::string className() const override { return "TestBrush"; }
    void encodeWithCoder(KeyedArchiver& coder) const override {
        coder.encodeValue(name, "name");
        coder.encodeDouble(width, "width");
    }
    static std::shared_ptr<Archivable> decode(KeyedUnarchiver& coder) {
        auto brush = std::make_shared<TestBrush>();
        brush->name = coder.decodeValue("name").asString();
        brush->width = coder.decodeDouble("width");
        return brush;
    }
};

// Written under a name no reader knows, with TestBrush as the fallback.
struct FancyBrush : TestBrush {
    std::string className() const override { return "FancyBrush"; }
    std::vector<std::string> classHierarchy() const override { return {"FancyBrush", "TestBrush", "NSObject"}; }
};

struct TestStroke : Archivable {
    Array points;
    Bytes color;
    std::shared_ptr<TestBrush> brush;
    std::string className() const override { return "TestStroke"; }
    std::vector<std::string> classHierarchy() const override { return {"TestStroke", "TestShape", "NSObject"}; }
    void encodeWithCoder(KeyedArchiver& coder) const override {
        coder.encodeValue(points, "points");
        coder.encodeValue(Value(color), "color");
        coder.encodeObject(brush, "brush");
    }
    static std::shared_ptr<Archivable> decode(KeyedUnarchiver& coder) {
        auto stroke = std::make_shared<TestStroke>();
        stroke->points = coder.decodeValue("points").asArray();
        stroke->color = coder.decodeValue("color").asData();
        stroke->brush = coder.decodeObject<TestBrush>("brush");
        return stroke;
    }
};

struct TestLayer : Archivable {
    std::string name;
    int64_t index = 0;
    bool visible = false;
    double opacity = 0;
    Value info;
    std::vector<std::shared_ptr<TestStroke>> strokes;
    std::shared_ptr<TestLayer> mask;
    std::string className() const override { return "TestLayer"; }
    void encodeWithCoder(KeyedArchiver& coder) const override {
        coder.encodeValue(name, "name");
        coder.encodeInt(index, "index");
        coder.encodeBool(visible, "visible");
        coder.encodeDouble(opacity, "opacity");
        coder.encodeValue(info, "info");
        Array list;
        for (const auto& stroke : strokes) list.push_back(archivableValue(stroke));
        coder.encodeValue(list, "strokes");
        coder.encodeObject(mask, "mask");
    }
    static std::shared_ptr<Archivable> decode(KeyedUnarchiver& coder) {
        auto layer = std::make_shared<TestLayer>();
        layer->name = coder.decodeValue("name").asString();
        layer->index = coder.decodeInt("index");
        layer->visible = coder.decodeBool("visible");
        layer->opacity = coder.decodeDouble("opacity");
        layer->info = coder.decodeValue("info");
        for (const Value& element : coder.decodeValue("strokes").asArray()) {
            auto stroke = std::dynamic_pointer_cast<TestStroke>(archivableFrom(element));
            if (!stroke) return nullptr;
            layer->strokes.push_back(stroke);
        }
        layer->mask = coder.decodeObject<TestLayer>("mask");
        return layer;
    }
};

class KeyedArchiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        KeyedArchiveRegistry::registerClass("TestBrush", TestBrush::decode);
        KeyedArchiveRegistry::registerClass("TestStroke", TestStroke::decode);
        KeyedArchiveRegistry::registerClass("TestLayer", TestLayer::decode);
    }

    static std::shared_ptr<TestLayer> sampleLayer() {
        auto brush = std::make_shared<TestBrush>();
        brush->name = "Pinsel \u00fc";
        brush->width = 2.5;
        auto layer = std::make_shared<TestLayer>();
        layer->name = "Layer 1";
        layer->index = -3;
        layer->visible = true;
        layer->opacity = 0.75;
        layer->info = Dictionary{{"tags", Array{"a", "b", "a"}},
                                 {"size", Dictionary{{"w", 640}, {"h", 480}}},
                                 {"nested", Array{Array{1, 2.5}, Array{}, Dictionary{}}},
                                 {"when", Date{818325015.5}},
                                 {"blob", Bytes{0, 1, 2}},
                                 {"flag", false},
                                 {"literal", "$null"}};
        for (int i = 0; i < 2; ++i) {
            auto stroke = std::make_shared<TestStroke>();
            stroke->points = Array{1.0 * i, 2.0, 3.5};
            stroke->color = Bytes{255, static_cast<uint8_t>(i), 0, 255};
            stroke->brush = brush;
            layer->strokes.push_back(stroke);
        }
        return layer;
    }
};

std::string text(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

}  // namespace

TEST_F(KeyedArchiveTest, RoundTripKeepsValuesAndSharedObjectsInBothFormats) {
    auto layer = sampleLayer();
    for (auto format : {plist::Format::Binary, plist::Format::Xml}) {
        auto data = KeyedArchiver::archivedData(layer, format);
        ASSERT_TRUE(data.ok()) << data.error().description;
        auto object = KeyedUnarchiver::unarchiveObject(*data);
        ASSERT_TRUE(object.ok()) << object.error().description;
        auto back = std::dynamic_pointer_cast<TestLayer>(*object);
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(back->name, "Layer 1");
        EXPECT_EQ(back->index, -3);
        EXPECT_TRUE(back->visible);
        EXPECT_EQ(back->opacity, 0.75);
        EXPECT_EQ(back->info, layer->info);
        EXPECT_TRUE(back->info.asDictionary()["size"].asDictionary()["w"].isInteger());
        EXPECT_TRUE(back->info.asDictionary()["nested"].asArray()[0].asArray()[1].isReal());
        EXPECT_EQ(back->info.asDictionary()["literal"].asString(), "$null");
        EXPECT_EQ(back->mask, nullptr);
        ASSERT_EQ(back->strokes.size(), 2u);
        EXPECT_EQ(back->strokes[1]->points, layer->strokes[1]->points);
        EXPECT_EQ(back->strokes[1]->color, layer->strokes[1]->color);
        ASSERT_NE(back->strokes[0]->brush, nullptr);
        EXPECT_EQ(back->strokes[0]->brush->name, "Pinsel \u00fc");
        EXPECT_EQ(back->strokes[0]->brush->width, 2.5);
        // One brush written once comes back as one shared brush.
        EXPECT_EQ(back->strokes[0]->brush, back->strokes[1]->brush);
    }
}

TEST_F(KeyedArchiveTest, PlistlibSeesThePlatformLayout) {
    auto data = KeyedArchiver::archivedData(sampleLayer());
    ASSERT_TRUE(data.ok());
    EXPECT_EQ(text(*data).substr(0, 8), "bplist00");
    std::string path = testsupport::artifactsDirectory() + "/keyed-archive-layout.bin";
    ASSERT_TRUE(writeFileAtomically(path, *data).ok());
    auto result = testsupport::runPython(R"PY(
import plistlib, sys
a = plistlib.load(open(sys.argv[1], "rb"))
objects = a["$objects"]
root = objects[a["$top"]["root"].data]
cls = objects[root["$class"].data]
def classname(entry):
    return objects[entry["$class"].data]["$classname"] if isinstance(entry, dict) and "$class" in entry else None
print(type(a).__name__, a["$archiver"], a["$version"], objects[0])
print(cls["$classname"], cls["$classes"])
print(type(root["index"]).__name__, type(root["visible"]).__name__, type(root["opacity"]).__name__)
print(objects[root["name"].data])
print(sum(1 for o in objects if classname(o) == "TestBrush"), sum(1 for o in objects if classname(o) == "TestStroke"))
strokes = objects[root["strokes"].data]
print(classname(strokes), len(strokes["NS.objects"]))
info = objects[root["info"].data]
print(classname(info), [objects[k.data] for k in info["NS.keys"]])
stroke = objects[strokes["NS.objects"][0].data]
print(objects[objects[stroke["brush"].data]["$class"].data]["$classes"], type(objects[stroke["color"].data]).__name__)
)PY",
                                         {path});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(result.output,
              "dict NSKeyedArchiver 100000 $null\n"
              "TestLayer ['TestLayer', 'NSObject']\n"
              "int bool float\n"
              "Layer 1\n"
              "1 2\n"
              "NSArray 2\n"
              "NSDictionary ['tags', 'size', 'nested', 'when', 'blob', 'flag', 'literal']\n"
              "['TestBrush', 'NSObject'] bytes\n");
}

TEST_F(KeyedArchiveTest, ReadsAnArchiveBuiltByAnotherWriter) {
    // Mutable classes, NSString/NSDate objects and a number kept in $objects:
    // forms the platform writes that ours does not.
    std::string path = testsupport::artifactsDirectory() + "/keyed-archive-foreign.bin";
    auto result = testsupport::runPython(R"PY(
import plistlib, sys
U = plistlib.UID
archive = {"$archiver": "NSKeyedArchiver", "$version": 100000, "$top": {"root": U(1)},
  "$objects": ["$null",
    {"$class": U(2), "NS.keys": [U(3), U(4), U(5)], "NS.objects": [U(6), U(7), U(9)]},
    {"$classname": "NSMutableDictionary", "$classes": ["NSMutableDictionary", "NSDictionary", "NSObject"]},
    "list", "count", "when",
    {"$class": U(8), "NS.objects": [U(3), U(0)]},
    42,
    {"$classname": "NSMutableArray", "$classes": ["NSMutableArray", "NSArray", "NSObject"]},
    {"$class": U(10), "NS.time": 100.5},
    {"$classname": "NSDate", "$classes": ["NSDate", "NSObject"]}]}
plistlib.dump(archive, open(sys.argv[1], "wb"), fmt=plistlib.FMT_BINARY)
)PY",
                                         {path});
    ASSERT_EQ(result.exitCode, 0) << result.output;
    auto value = KeyedUnarchiver::unarchiveValue(readFile(path).valueOr({}));
    ASSERT_TRUE(value.ok()) << value.error().description;
    Value expected = Dictionary{{"list", Array{"list", Value()}}, {"count", 42}, {"when", Date{100.5}}};
    EXPECT_EQ(*value, expected);
}

TEST_F(KeyedArchiveTest, ClassFallbackAndNothingValues) {
    auto fancy = std::make_shared<FancyBrush>();
    fancy->name = "fancy";
    auto decoded = KeyedUnarchiver::unarchiveObject(*KeyedArchiver::archivedData(fancy));
    ASSERT_TRUE(decoded.ok()) << decoded.error().description;
    auto brush = std::dynamic_pointer_cast<TestBrush>(*decoded);
    ASSERT_NE(brush, nullptr);
    EXPECT_EQ(brush->name, "fancy");

    auto none = KeyedUnarchiver::unarchiveObject(*KeyedArchiver::archivedData(std::shared_ptr<Archivable>()));
    ASSERT_TRUE(none.ok());
    EXPECT_EQ(*none, nullptr);

    // Keys that were never written decode as nothing, without failing.
    KeyedArchiveRegistry::registerClass("TestBrush", [](KeyedUnarchiver& coder) -> std::shared_ptr<Archivable> {
        EXPECT_FALSE(coder.containsValue("missing"));
        EXPECT_TRUE(coder.containsValue("width"));
        EXPECT_EQ(coder.decodeInt("missing"), 0);
        EXPECT_FALSE(coder.decodeBool("missing"));
        EXPECT_TRUE(coder.decodeValue("missing").isNull());
        EXPECT_EQ(coder.decodeObject<TestBrush>("missing"), nullptr);
        EXPECT_FALSE(coder.failed());
        return std::make_shared<TestBrush>();
    });
    EXPECT_TRUE(KeyedUnarchiver::unarchiveObject(*KeyedArchiver::archivedData(std::make_shared<TestBrush>())).ok());
}

TEST_F(KeyedArchiveTest, UnarchivableGraphsGiveErrors) {
    auto layer = sampleLayer();
    layer->mask = layer;  // contains itself
    auto cyclic = KeyedArchiver::archivedData(layer);
    layer->mask = nullptr;
    ASSERT_FALSE(cyclic.ok());
    EXPECT_EQ(cyclic.error().domain, kCocoaErrorDomain);
    EXPECT_EQ(cyclic.error().code, kCoderInvalidValueError);

    auto native = KeyedArchiver::archivedData(Value(Array{Value::object(42)}));
    ASSERT_FALSE(native.ok());
    EXPECT_EQ(native.error().code, kCoderInvalidValueError);
    EXPECT_FALSE(KeyedArchiver::archivedData(Value::uid(3)).ok());

    Array selfArray;
    selfArray.push_back(Value(selfArray));
    EXPECT_FALSE(KeyedArchiver::archivedData(Value(selfArray)).ok());
    selfArray.clear();
}

namespace {

// An archive written from a hand-made $objects list, to reach states that
// our archiver never produces.
Bytes forged(Array objects, Value root = Value::uid(1)) {
    Dictionary top;
    if (!root.isNull()) top.set("root", root);
    Dictionary archive{{"$archiver", "NSKeyedArchiver"}, {"$version", 100000}, {"$top", top}, {"$objects", objects}};
    return *plist::serialize(archive, plist::Format::Binary);
}

Value classEntry(const std::string& name) {
    return Dictionary{{"$classname", name}, {"$classes", Array{name, "NSObject"}}};
}

}  // namespace

TEST_F(KeyedArchiveTest, MalformedArchivesGiveErrors) {
    Value brushClass = classEntry("TestBrush");
    const std::vector<std::pair<std::string, Bytes>> cases{
        {"unknown class", forged(Array{"$null", Dictionary{{"$class", Value::uid(2)}}, classEntry("Spaceship")})},
        {"reference out of range", forged(Array{"$null"}, Value::uid(7))},
        {"class reference out of range", forged(Array{"$null", Dictionary{{"$class", Value::uid(9)}}})},
        {"object containing itself",
         forged(Array{"$null", Dictionary{{"NS.objects", Array{Value::uid(1)}}, {"$class", Value::uid(2)}},
                      classEntry("NSArray")})},
        {"array holding non-references",
         forged(
             Array{"$null", Dictionary{{"NS.objects", Array{5}}, {"$class", Value::uid(2)}}, classEntry("NSArray")})},
        {"dictionary with a non-string key", forged(Array{"$null",
                                                          Dictionary{{"NS.keys", Array{Value::uid(3)}},
                                                                     {"NS.objects", Array{Value::uid(3)}},
                                                                     {"$class", Value::uid(2)}},
                                                          classEntry("NSDictionary"), 7})},
        {"string where a number is expected",
         forged(Array{"$null", Dictionary{{"width", "wide"}, {"$class", Value::uid(2)}}, brushClass})},
        {"plain property list", *plist::serialize(Dictionary{{"root", 1}}, plist::Format::Binary)},
        {"not a property list", Bytes{'n', 'o', 'p', 'e'}},
        {"no root", forged(Array{"$null"}, Value())},
    };
    for (const auto& [name, data] : cases) {
        auto result = KeyedUnarchiver::unarchiveObject(data);
        ASSERT_FALSE(result.ok()) << name;
        EXPECT_EQ(result.error().domain, kCocoaErrorDomain) << name;
        EXPECT_TRUE(result.error().code == kCoderReadCorruptError || result.error().code == plist::kReadCorruptError)
            << name << ": " << result.error().code;
    }
    auto unknown = KeyedUnarchiver::unarchiveObject(cases[0].second);
    EXPECT_NE(unknown.error().description.find("Spaceship"), std::string::npos);

    // An object of the wrong class under a key, and a factory that refuses.
    auto stroke = std::make_shared<TestStroke>();
    stroke->brush = std::make_shared<FancyBrush>();
    KeyedArchiveRegistry::registerClass("TestBrush", [](KeyedUnarchiver&) { return std::make_shared<TestStroke>(); });
    EXPECT_FALSE(KeyedUnarchiver::unarchiveObject(*KeyedArchiver::archivedData(stroke)).ok());
    KeyedArchiveRegistry::registerClass("TestBrush", [](KeyedUnarchiver&) { return nullptr; });
    EXPECT_FALSE(KeyedUnarchiver::unarchiveObject(*KeyedArchiver::archivedData(stroke)).ok());
    // The root must be an object for unarchiveObject.
    EXPECT_FALSE(KeyedUnarchiver::unarchiveObject(*KeyedArchiver::archivedData(Value(Array{1}))).ok());
}

TEST_F(KeyedArchiveTest, LongChainsAreRefusedNotOverflowed) {
    auto head = std::make_shared<TestLayer>();
    auto tail = head;
    for (int i = 0; i < kMaximumArchiveDepth + 10; ++i) {
        tail->mask = std::make_shared<TestLayer>();
        tail = tail->mask;
    }
    auto data = KeyedArchiver::archivedData(head);
    EXPECT_FALSE(data.ok());
    // Unlink iteratively so the destructor chain does not recurse deeply either.
    while (head) head = std::exchange(head->mask, nullptr);
}
