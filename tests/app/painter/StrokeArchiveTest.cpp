#include "app/core/ProjectDataWrapper.h"
#include "app/painter/PainterBrush.h"
#include "app/painter/Stroke.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/FileManager.h"
#include "support/Process.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

using foundation::Bytes;

StrokePtr drawnStroke() {
    auto stroke = std::make_shared<Stroke>();
    stroke->type = kBrushTypeFountainPen;
    stroke->red = 228 / 255.0f;
    stroke->green = 0.25f;
    stroke->blue = 1;
    stroke->alpha = 1;
    stroke->brushSize = 10;
    stroke->offset = {30.5, -20};
    LinePoint a{12.5f, {1.25, 2}}, b{3, {4, 5.5}};
    stroke->points = {{a, a, a, b}, {a, b, {7, {9, 9}}}};
    stroke->velocities = {12.5f, 3, 7};
    return stroke;
}

StrokePtr moveRecord() {
    auto stroke = std::make_shared<Stroke>();
    stroke->type = kBrushTypeMove;
    stroke->points = {{LinePoint{0, {-30, -20}}}};
    return stroke;
}

std::string writeArtifact(const std::string& name, const Bytes& data) {
    std::string path = testsupport::artifactsDirectory() + "/" + name;
    EXPECT_TRUE(foundation::writeFileAtomically(path, data).ok());
    return path;
}

TEST(StrokeArchive, RoundTripKeepsEveryArchivedFieldAndLeavesAngleZero) {
    StrokePtr drawn = drawnStroke();
    drawn->angle = 45;  // not archived
    auto data = strokeBufferData({drawn, moveRecord()});
    ASSERT_TRUE(data.ok());
    auto back = decodeStrokeBuffer(*data);
    ASSERT_TRUE(back.ok()) << back.error().description;
    ASSERT_EQ(back->size(), 2u);
    const Stroke& s = *(*back)[0];
    EXPECT_EQ(s.type, drawn->type);
    EXPECT_EQ((std::array{s.red, s.green, s.blue, s.alpha}),
              (std::array{drawn->red, drawn->green, drawn->blue, drawn->alpha}));
    EXPECT_EQ(s.brushSize, 10);
    EXPECT_EQ(s.offset, drawn->offset);
    EXPECT_EQ(s.points, drawn->points);
    EXPECT_EQ(s.velocities, drawn->velocities);
    EXPECT_EQ(s.angle, 0);
    EXPECT_TRUE((*back)[1]->isMoveRecord());
    EXPECT_EQ((*back)[1]->moveDisplacement(), (graphics::Point{-30, -20}));
}

TEST(StrokeArchive, PlistlibReadsTheCanvasFileInThePlatformLayout) {
    auto data = strokeBufferData({drawnStroke(), moveRecord()});
    ASSERT_TRUE(data.ok());
    std::string path = writeArtifact("canvas-layout.cnv", *data);
    auto result = testsupport::runPython(R"PY(
import plistlib, sys
a = plistlib.load(open(sys.argv[1], "rb"))
o = a["$objects"]
def get(u): return o[u.data]
def cls(e): return get(e["$class"])["$classname"]
root = get(a["$top"]["root"])
print(a["$archiver"], cls(root), len(root["NS.objects"]))
s = get(root["NS.objects"][0])
print(cls(s), sorted(k for k in s if k != "$class"))
points = get(s["points"])
seg = get(points["NS.objects"][0])
print(cls(points), cls(seg), len(seg["NS.objects"]), cls(get(s["velocities"])))
lp = get(seg["NS.objects"][3])
print(cls(lp), get(lp["pos"]), lp["width"], get(s["offset"]), s["type"], s["brushSize"])
print([get(v) for v in get(s["velocities"])["NS.objects"]])
m = get(root["NS.objects"][1])
mp = get(m["points"])
print(cls(mp), cls(get(mp["NS.objects"][0])), get(get(mp["NS.objects"][0])["pos"]), m["type"])
# a segment's first two samples are the previous segment's last two, stored once
print(sum(1 for e in o if isinstance(e, dict) and "$class" in e and cls(e) == "LinePoint"))
)PY",
                                         {path});
    ASSERT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(result.output,
              "NSKeyedArchiver NSMutableArray 2\n"
              "Stroke ['alpha', 'blue', 'brushSize', 'green', 'offset', 'points', 'red', 'type', 'velocities']\n"
              "NSMutableArray NSArray 4 NSArray\n"
              "LinePoint {4, 5.5} 3.0 {30.5, -20} 400 10\n"
              "[12.5, 3.0, 7.0]\n"
              "NSArray LinePoint {-30, -20} 500\n"
              "6\n");
}

TEST(StrokeArchive, AnArchiveMadeByAnotherWriterStartingWithAMoveRecordDecodes) {
    std::string path = testsupport::artifactsDirectory() + "/canvas-foreign.cnv";
    auto made = testsupport::runPython(R"PY(
import plistlib, sys
U = plistlib.UID
o = ["$null"]
def add(x):
    o.append(x); return U(len(o) - 1)
ma = add({"$classname": "NSMutableArray", "$classes": ["NSMutableArray", "NSArray", "NSObject"]})
na = add({"$classname": "NSArray", "$classes": ["NSArray", "NSObject"]})
lpc = add({"$classname": "LinePoint", "$classes": ["LinePoint", "NSObject"]})
sc = add({"$classname": "Stroke", "$classes": ["Stroke", "NSObject"]})
def lp(x, y, w): return add({"$class": lpc, "pos": add("{%r, %r}" % (x, y)), "width": w})
move = add({"$class": sc, "type": 500, "red": 0.0, "green": 0.0, "blue": 0.0, "alpha": 0.0, "brushSize": 0,
            "offset": add("{0, 0}"), "velocities": U(0),
            "points": add({"$class": na, "NS.objects": [lp(-30.0, -20.0, 0.0)]})})
seg = add({"$class": na, "NS.objects": [lp(100.0, 50.0, 5.0)] * 4})
pen = add({"$class": sc, "type": 300, "red": 1.0, "green": 0.0, "blue": 0.0, "alpha": 1.0, "brushSize": 15,
           "offset": add("{30, -20}"), "velocities": add({"$class": na, "NS.objects": []}),
           "points": add({"$class": ma, "NS.objects": [seg]})})
root = add({"$class": ma, "NS.objects": [move, pen]})
plistlib.dump({"$archiver": "NSKeyedArchiver", "$version": 100000, "$top": {"root": root}, "$objects": o},
              open(sys.argv[1], "wb"), fmt=plistlib.FMT_BINARY)
)PY",
                                       {path});
    ASSERT_EQ(made.exitCode, 0) << made.output;
    auto strokes = decodeStrokeBuffer(foundation::readFile(path).valueOr({}));
    ASSERT_TRUE(strokes.ok()) << strokes.error().description;
    ASSERT_EQ(strokes->size(), 2u);
    EXPECT_TRUE((*strokes)[0]->isMoveRecord());
    EXPECT_EQ((*strokes)[1]->points, (std::vector<StrokeSegment>{StrokeSegment(4, LinePoint{5, {100, 50}})}));
    EXPECT_EQ((*strokes)[1]->offset, (graphics::Point{30, -20}));
}

// Each case patches one part of a good archive through plistlib.
TEST(StrokeArchive, DamagedOrHostileArchivesAreClearErrors) {
    auto good = strokeBufferData({drawnStroke()});
    ASSERT_TRUE(good.ok());
    std::string goodPath = writeArtifact("canvas-good.cnv", *good);
    constexpr size_t kLimit = 1000;  // keeps the files of too many samples small
    struct Case {
        const char* name;
        std::string patch;  // python acting on o (objects), s (the stroke), root
        const char* expectedText;
    };
    const Case cases[] = {
        {"unknown class", "o[s['$class'].data].update({'$classname': 'Smudge', '$classes': ['Smudge', 'NSObject']})",
         "class Smudge"},
        {"type as a string", "s['type'] = add('300')", "\"type\""},
        {"colour not finite", "s['red'] = float('nan')", "colour is not a finite number"},
        {"offset not a point", "s['offset'] = add('{1, x}')", "\"offset\""},
        {"offset infinite", "s['offset'] = add('{inf, 0}')", "offset is not finite"},
        {"points a number", "s['points'] = add(5)", "points are not lists of samples"},
        {"sample width infinite",
         "o[o[o[s['points'].data]['NS.objects'][0].data]['NS.objects'][0].data]['width'] = "
         "float('inf')",
         "not finite"},
        {"velocities hold a string", "o[s['velocities'].data]['NS.objects'][0] = add('x')", "velocities"},
        {"root not a list", "a['$top']['root'] = s_uid", "not a list"},
        // The first segment over and over: each copy stores three samples.
        {"one sample too many",
         "seg = o[s['points'].data]['NS.objects'][0]\n"
         "o[s['points'].data]['NS.objects'] = [seg] * " +
             std::to_string((kLimit - kStrokeFieldsSamples - 4) / 3 + 2),
         "more samples than a layer keeps"},
        {"a stroke listed too often",
         "root['NS.objects'] = [s_uid] * " + std::to_string(kLimit / drawnStroke()->storedSize() + 1),
         "more samples than a layer keeps"},
    };
    for (const Case& c : cases) {
        std::string path = testsupport::artifactsDirectory() + "/canvas-damaged.cnv";
        std::string script = std::string(R"PY(
import plistlib, sys, math
U = plistlib.UID
a = plistlib.load(open(sys.argv[1], "rb"))
o = a["$objects"]
def add(x):
    o.append(x); return U(len(o) - 1)
root = o[a["$top"]["root"].data]
s_uid = root["NS.objects"][0]
s = o[s_uid.data]
)PY") + c.patch + R"PY(
plistlib.dump(a, open(sys.argv[2], "wb"), fmt=plistlib.FMT_BINARY)
)PY";
        auto made = testsupport::runPython(script, {goodPath, path});
        ASSERT_EQ(made.exitCode, 0) << c.name << made.output;
        auto strokes = decodeStrokeBuffer(foundation::readFile(path).valueOr({}), kLimit);
        ASSERT_FALSE(strokes.ok()) << c.name;
        EXPECT_EQ(strokes.error().code, foundation::kCoderReadCorruptError) << c.name;
        EXPECT_NE(strokes.error().description.find("The strokes could not be read"), std::string::npos) << c.name;
        EXPECT_NE(strokes.error().description.find(c.expectedText), std::string::npos)
            << c.name << ": " << strokes.error().description;
    }
    for (const Bytes& junk : {Bytes{}, Bytes{'n', 'o', 'p', 'e'}, Bytes(good->begin(), good->begin() + 40)}) {
        auto strokes = decodeStrokeBuffer(junk);
        ASSERT_FALSE(strokes.ok());
        EXPECT_NE(strokes.error().description.find("The strokes could not be read"), std::string::npos);
    }
}

// A full layer of what costs its file most per sample counted (drags, or
// strokes that never moved) with the longest numbers a sample prints fits
// the read bound of a project file.
TEST(StrokeArchive, AFullLayerFitsTheFileReadBound) {
    for (const int moves : {1000, 0}) {
        StrokeList strokes;
        for (int s = 0; s < (moves ? 14 : 11000); ++s) {
            auto stroke = std::make_shared<Stroke>();
            stroke->red = stroke->green = stroke->blue = stroke->alpha = 0.123456789f;
            stroke->offset = {-1.2345678901234567e-300, 2.2345678901234567e+300};
            StrokeSegment pending(3, LinePoint{1.2345678f, {}});
            for (int m = 0; m < moves; ++m) {  // as the canvas records a drag
                const double k = 1 + (s * moves + m) * 1e-9;
                pending.push_back(
                    {1.2345678f + m * 1e-4f, {-2.2250738585072014e-300 * k, -1.234567890123456e+300 * k}});
                stroke->points.push_back(pending);
                stroke->velocities.push_back(pending.back().width);
                pending.erase(pending.begin(), pending.end() - 2);
            }
            stroke->velocities.insert(stroke->velocities.end(), {1.2345678f, 2.3456789f});
            strokes.push_back(stroke);
        }
        const foundation::Bytes data = strokeBufferData(strokes).value();
        // As many objects as a full file: references and offsets of four bytes.
        ASSERT_EQ(std::pair(int(data[data.size() - 26]), int(data[data.size() - 25])), std::pair(4, 4));
        EXPECT_LT(double(data.size()) / storedSize(strokes),
                  double(projectkeys::kMaximumFileBytes - 4096) / kMaximumStrokeSamples)
            << moves;
    }
}

}  // namespace
