// The painter's two heavy paths against outside tools on the same input:
// a 1,000-sample brush drag (over 33,000 sprites of 30 px) drawn live and
// replayed on a 1024×576 canvas, against ImageMagick drawing the same 1,000
// discs; and a canvas file of 1,000 strokes × 50 segments written and read,
// against python3's plistlib dumping and loading the same archive.

#include "BenchSupport.h"
#include "app/painter/PaintingView.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/ui/gestures/GestureRecognizer.h"

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

double imageMagickDiscs(const std::vector<graphics::Point>& path, const fs::path& root) {
    fs::create_directories(root);
    // The drawing travels inline: the usual security policy refuses "@file".
    std::string discs;
    for (graphics::Point p : path)
        discs += "circle " + std::to_string(p.x) + "," + std::to_string(p.y) + " " + std::to_string(p.x + 15) + "," +
                 std::to_string(p.y) + " ";
    std::string convert = fs::exists("/usr/bin/convert") ? "/usr/bin/convert" : "convert";
    return bench::medianToolSeconds(kRuns, "convert", root, [&](const fs::path&) {
        return std::vector<std::string>{convert, "-size", "1024x576", "xc:none", "-fill", "rgba(228,73,19,1)",
                                        "-draw", discs,   "null:"};
    });
}

bool brushDragBench(const fs::path& root) {
    std::vector<graphics::Point> path = dragPath();
    auto view = canvas();
    DragTimes live;
    std::vector<double> liveTotals, slowest;
    for (int run = 0; run < kRuns; ++run) {
        view->erase();
        live = drawLive(*view, path);
        liveTotals.push_back(live.totalSeconds);
        slowest.push_back(live.slowestMoveSeconds);
    }
    auto data = view->getBufferData();
    if (!data) return false;
    double replay = bench::medianSeconds(
        kRuns, [] {},
        [&] {
            view->replayBuffer();
            return true;
        });
    double presentSeconds = bench::medianSeconds(
        kRuns * 4, [] {}, [&] { return view->createImage().has_value(); });
    double reference = imageMagickDiscs(path, root / "magick");
    std::printf("brush drag: %zu sprites from %d samples, present (read-back) %.2f ms\n", live.sprites, kSamples,
                presentSeconds * 1000);
    bool ok = live.sprites >= 33000;
    ok &= bench::printResult("painter brush drag replayed vs convert -draw", replay, reference,
                             bench::Target::atMost(0.25));
    ok &= bench::printResult("painter brush drag live vs convert -draw", bench::median(liveTotals), reference,
                             bench::Target::atMost(0.25));
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

const char* kPlistlibTimer = R"PY(
import plistlib, sys, time
runs = int(sys.argv[1]); data = open(sys.argv[2], "rb").read()
value = plistlib.loads(data)
write = read = float("inf")
for _ in range(runs):
    start = time.perf_counter(); plistlib.dumps(value, fmt=plistlib.FMT_BINARY); write = min(write, time.perf_counter() - start)
    start = time.perf_counter(); plistlib.loads(data); read = min(read, time.perf_counter() - start)
print(write + read)
)PY";

bool canvasFileBench(const fs::path& root) {
    StrokeList strokes = manyStrokes();
    foundation::Bytes data;
    double ours = bench::medianSeconds(
        kRuns, [] {},
        [&] {
            auto written = strokeBufferData(strokes);
            if (!written.ok()) return false;
            data = *written;
            auto read = decodeStrokeBuffer(data);
            if (!read.ok()) std::fprintf(stderr, "%s\n", read.error().description.c_str());
            return read.ok() && read->size() == strokes.size();
        });
    fs::create_directories(root);
    fs::path file = root / "canvas-bench.cnv";
    if (!foundation::writeFileAtomically(file.string(), data).ok()) return false;
    std::string command =
        "python3 -c '" + std::string(kPlistlibTimer) + "' " + std::to_string(kRuns) + " '" + file.string() + "'";
    FILE* pipe = popen(command.c_str(), "r");
    double reference = 0;
    if (!pipe || std::fscanf(pipe, "%lf", &reference) != 1) return false;
    pclose(pipe);
    double writeOnly = bench::medianSeconds(
        3, [] {}, [&] { return strokeBufferData(strokes).ok(); });
    std::printf("canvas file: %zu bytes, written in %.0f ms\n", data.size(), writeOnly * 1000);
    return bench::printResult("painter canvas file write+read vs plistlib", ours, reference,
                              bench::Target::atMost(0.5));
}

}  // namespace

int main() {
    fs::path root = fs::temp_directory_path() / ("painter-bench-" + std::to_string(getpid()));
    bool ok = brushDragBench(root);
    ok &= canvasFileBench(root);
    fs::remove_all(root);
    return ok ? 0 : 1;
}
