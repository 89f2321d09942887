// The painter's two heavy paths against outside tools on the same input:
// a 1,000-sample brush drag (over 33,000 sprites of 30 px) drawn live and
// replayed on a 1024×576 canvas, against ImageMagick drawing the same 1,000
// discs; and a canvas file of 1,000 strokes × 50 segments written and read,
// against python3's plistlib dumping and loading the same archive (timed in
// its own warm process). Ours and the reference run by run in turn.

#include "BenchSupport.h"
#include "app/painter/PaintingView.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/ui/gestures/GestureRecognizer.h"
#include "support/RunFolder.h"

#include <QImage>
#include <cmath>
#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

constexpr int kSamples = 1000;
constexpr int kRuns = 5;
constexpr double kSpeed = 2490;  // points per second: width 15, so 2 × 15 = 30-px sprites

graphics::Image softTip() {
    QImage tip(32, 32, QImage::Format_RGBA8888_Premultiplied);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            double d = std::hypot(x + 0.5 - 16, y + 0.5 - 16);
            auto a = static_cast<uint8_t>(std::lround(std::clamp(16 - d, 0.0, 1.0) * 255));
            uchar* p = tip.scanLine(y) + x * 4;
            p[0] = p[1] = p[2] = p[3] = a;
        }
    }
    return graphics::Image(tip);
}

// A zigzag across the canvas in steps of about 2.5 px (view coordinates).
std::vector<graphics::Point> dragPath() {
    std::vector<graphics::Point> path;
    for (int i = 0; i <= kSamples; ++i) {
        double t = i * 2.5;
        path.push_back({40 + std::fmod(t, 940.0), 288 + 200 * std::sin(t / 90)});
    }
    return path;
}

std::shared_ptr<PaintingView> canvas() {
    auto made = PaintingView::create({{0, 0}, {1024, 576}});
    if (!made.ok()) {
        std::fprintf(stderr, "%s\n", made.error().description.c_str());
        std::exit(1);
    }
    auto view = *made;
    view->brushes = {
        {kBrushTypeBrush, PainterBrush::create(kBrushTypeBrush, 2, graphics::Color::rgb8(228, 73, 19), softTip())}};
    view->layoutSubviews();
    view->changeBrush(kBrushTypeBrush);
    return view;
}

struct DragTimes {
    double totalSeconds = 0;
    double slowestMoveSeconds = 0;
    size_t sprites = 0;
};

DragTimes drawLive(PaintingView& view, const std::vector<graphics::Point>& path) {
    DragTimes times;
    view.handlePan(ui::GestureState::Began, path[0], {kSpeed, 0});
    for (size_t i = 1; i < path.size(); ++i) {
        double seconds = bench::secondsOf([&] { view.handlePan(ui::GestureState::Changed, path[i], {kSpeed, 0}); });
        times.totalSeconds += seconds;
        times.slowestMoveSeconds = std::max(times.slowestMoveSeconds, seconds);
        times.sprites += view.spritesDrawn();
    }
    view.handlePan(ui::GestureState::Ended, path.back(), {kSpeed, 0});
    return times;
}

// ImageMagick drawing the same discs, the drawing inline: the usual
// security policy refuses "@file".
bench::Side imageMagickDiscs(const std::vector<graphics::Point>& path) {
    std::string discs;
    for (graphics::Point p : path)
        discs += "circle " + std::to_string(p.x) + "," + std::to_string(p.y) + " " + std::to_string(p.x + 15) + "," +
                 std::to_string(p.y) + " ";
    std::string convert = fs::exists("/usr/bin/convert") ? "/usr/bin/convert" : "convert";
    return bench::program([=] {
        return std::vector<std::string>{convert, "-size", "1024x576", "xc:none", "-fill", "rgba(228,73,19,1)",
                                        "-draw", discs,   "null:"};
    });
}

bool brushDragBench() {
    // Both the drag and convert's drawing run on one thread.
    bench::OnOneCpu pinned;
    std::vector<graphics::Point> path = dragPath();
    auto view = canvas();
    DragTimes live;
    std::vector<double> slowest;
    const auto liveTimes = bench::compare(kRuns,
                                          bench::timed(
                                              [&] {
                                                  live = drawLive(*view, path);
                                                  slowest.push_back(live.slowestMoveSeconds);
                                                  return true;
                                              },
                                              [&] { view->erase(); }),
                                          imageMagickDiscs(path));
    if (!view->getBufferData()) return false;
    const auto replay = bench::compare(kRuns, bench::timed([&] {
                                           view->replayBuffer();
                                           return true;
                                       }),
                                       imageMagickDiscs(path));
    std::vector<double> presents;
    for (int run = 0; run < kRuns * 4; ++run) {
        bool made = false;
        presents.push_back(bench::secondsOf([&] { made = view->createImage().has_value(); }));
        if (!made) return false;
    }
    const double presentSeconds = bench::median(presents);
    std::printf("brush drag: %zu sprites from %d samples, present (read-back) %.2f ms\n", live.sprites, kSamples,
                presentSeconds * 1000);
    bool ok = live.sprites >= 33000;
    ok &= bench::report("painter brush drag replayed vs convert -draw", replay, bench::Target::atMost(0.25));
    ok &= bench::report("painter brush drag live vs convert -draw", liveTimes, bench::Target::atMost(0.25));
    ok &= bench::printMeasure("painter slowest live move vs 8 ms", bench::median(slowest) * 1000, 8, "ms",
                              bench::Target::atMost(1.0));
    ok &= bench::printMeasure("painter present of 1024x576 vs 1 ms", presentSeconds * 1000, 1, "ms",
                              bench::Target::atMost(1.0));
    return ok;
}

StrokeList manyStrokes() {
    StrokeList strokes;
    for (int s = 0; s < 1000; ++s) {
        auto stroke = std::make_shared<Stroke>();
        stroke->type = kBrushTypeBrush;
        stroke->red = 0.9f, stroke->green = 0.3f, stroke->blue = 0.1f, stroke->alpha = 1;
        stroke->brushSize = 2;
        // As a drag records them: the start sample three times and a move,
        // then the last two samples of the step before and a new move.
        LinePoint start{1, {s * 0.5, 100}};
        StrokeSegment pending{start, start, start};
        for (int g = 0; g < 50; ++g) {
            pending.push_back({1 + 0.37f * (g % 7), {s * 0.5 + g * 3.25, 100.0 + g * 0.75 + (g % 3)}});
            stroke->points.push_back(pending);
            pending.erase(pending.begin(), pending.end() - 2);
            stroke->velocities.push_back(1 + 0.1f * g);
        }
        strokes.push_back(stroke);
    }
    return strokes;
}

bool canvasFileBench(const fs::path& root) {
    StrokeList strokes = manyStrokes();
    const auto written = strokeBufferData(strokes);
    if (!written.ok()) return false;
    fs::create_directories(root);
    const fs::path file = root / "canvas-bench.cnv";
    if (!foundation::writeFileAtomically(file.string(), *written).ok()) return false;
    bench::PythonTimer plistlib(
        "import plistlib, sys\ndata = open(sys.argv[1], 'rb').read()\n"
        "value = plistlib.loads(data)\n",
        "plistlib.dumps(value, fmt=plistlib.FMT_BINARY)\nplistlib.loads(data)\n", {file.string()});
    const auto times = bench::compare(kRuns, bench::timed([&] {
                                          auto data = strokeBufferData(strokes);
                                          if (!data.ok()) return false;
                                          auto read = decodeStrokeBuffer(*data);
                                          if (!read.ok())
                                              std::fprintf(stderr, "%s\n", read.error().description.c_str());
                                          return read.ok() && read->size() == strokes.size();
                                      }),
                                      plistlib.side());
    const bench::Times writeOnly = bench::measure([&] { (void)strokeBufferData(strokes); });
    std::printf("canvas file: %zu bytes, written in %.0f ms\n", written->size(), writeOnly.wall * 1000);
    return bench::report("painter canvas file write+read vs plistlib", times, bench::Target::atMost(0.5));
}

}  // namespace

int main() {
    static const testsupport::RunFolder scratch("painter-bench");
    const fs::path root = scratch.path();
    bool ok = brushDragBench();
    ok &= canvasFileBench(root);
    return ok ? 0 : 1;
}
