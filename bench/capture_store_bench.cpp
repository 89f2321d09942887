// A captured picture to a stored frame, as the capture screen does it: the
// camera's BGRA frame made upright, its thumbnail, preview and full-frame
// JPEGs written and the frame list and metadata saved. Against ImageMagick's
// convert making the same three files from the same raw frame in one call,
// and against a pipeline of ImageMagick (raw frame to the three sizes) and
// cjpeg -quality 100 encoding them. At 1920×1080 and 3840×2160. Ours
// writes durably (fsync, rename), so cjpeg's files are synced too before its
// time stops.

#include "BenchPictures.h"
#include "BenchSupport.h"
#include "app/core/KWImageProducer.h"
#include "app/core/KWProjects.h"
#include "app/core/ProjectModel.h"
#include "support/RunFolder.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Fifteen runs a side: a store waits on the disk several times, and a median
// of a few runs swung with what else the machine was writing.
constexpr int kRuns = 15;
constexpr double kTarget = 0.5;

// A camera frame: gradients, shapes and sensor grain, in the camera's
// premultiplied BGRA byte order.
std::vector<uint8_t> makeCameraFrame(int width, int height) {
    QImage picture(width, height, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&picture);
    bench::paintBackdrop(painter, width, height);
    std::mt19937 random(11);
    for (int i = 0; i < 300; ++i) {
        painter.setBrush(QColor(int(random() % 256), int(random() % 256), int(random() % 256)));
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(int(random() % width), int(random() % height), 20 + int(random() % (width / 12)),
                            20 + int(random() % (height / 12)));
    }
    painter.end();
    std::vector<uint8_t> bytes(size_t(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        uint8_t* out = bytes.data() + size_t(y) * width * 4;
        for (int x = 0; x < width; ++x) {
            const int grain = int(random() % 13) - 6;
            out[4 * x + 0] = uint8_t(std::clamp(qBlue(row[x]) + grain, 0, 255));
            out[4 * x + 1] = uint8_t(std::clamp(qGreen(row[x]) + grain, 0, 255));
            out[4 * x + 2] = uint8_t(std::clamp(qRed(row[x]) + grain, 0, 255));
            out[4 * x + 3] = 255;
        }
    }
    return bytes;
}

// The capture screen's path from the camera's bytes to a stored frame.
bool captureToStored(const std::vector<uint8_t>& frame, int width, int height, ProjectModel& project,
                     KWImageProducer& producer) {
    // The camera's buffer is reused for its next frame: the picture copies it.
    QImage bgra(frame.data(), width, height, width * 4, QImage::Format_ARGB32_Premultiplied);
    const graphics::Image upright = graphics::Image(bgra.copy()).normalized();
    return project.storeCapturedPicture(upright, producer).frame != nullptr;
}

std::string sizeText(graphics::Size size) {
    return std::to_string(int(size.width)) + "x" + std::to_string(int(size.height));
}

// ImageMagick: the three files from the raw frame in one call.
std::vector<std::string> magickCommand(const fs::path& raw, int width, int height, const fs::path& out) {
    const std::string thumb = sizeText(KWImageProducer::kThumbnailSize);
    const std::string preview = sizeText(KWImageProducer::kPreviewSize);
    return bench::convertToStoredPictures({"-size", std::to_string(width) + "x" + std::to_string(height), "-depth", "8",
                                           "bgra:" + raw.string(), "-alpha", "off"},
                                          thumb, preview, "50", "100", out);
}

// ImageMagick making the three sizes as PPM files in `out`.
std::vector<std::string> magickSizesCommand(const fs::path& raw, int width, int height, const fs::path& out) {
    std::vector<std::string> argv{"convert", "-size", std::to_string(width) + "x" + std::to_string(height),
                                  "-depth",  "8",     "bgra:" + raw.string(),
                                  "-alpha",  "off"};
    for (const auto& [size, name] :
         {std::pair{KWImageProducer::kThumbnailSize, "thumb"}, std::pair{KWImageProducer::kPreviewSize, "preview"}})
        argv.insert(argv.end(), {"(", "+clone", "-resize", sizeText(size) + "^", "-gravity", "center", "-extent",
                                 sizeText(size), "-write", "ppm:" + (out / name).string() + ".ppm", "+delete", ")"});
    argv.push_back("ppm:" + (out / "frame.ppm").string());
    return argv;
}

// cjpeg -quality 100 encoding the three PPM files of `sizes` into `out`,
// made durable as ours are.
bool cjpegAll(const fs::path& sizes, const fs::path& out) {
    std::vector<fs::path> written;
    for (const char* name : {"thumb", "preview", "frame"}) {
        written.push_back(out / (std::string(name) + ".jpg"));
        if (!bench::runCommand(
                {"cjpeg", "-quality", "100", "-outfile", written.back().string(), (sizes / name).string() + ".ppm"}))
            return false;
    }
    return bench::syncFiles(written);
}

constexpr double kFloorTarget = 1.3;

bool benchSize(const fs::path& root, int width, int height) {
    const std::vector<uint8_t> frame = makeCameraFrame(width, height);
    const fs::path raw = root / ("frame-" + std::to_string(width) + ".bgra");
    std::ofstream(raw, std::ios::binary)
        .write(reinterpret_cast<const char*>(frame.data()), std::streamsize(frame.size()));

    // Ours: into a project that already holds a picture, as a second capture does.
    auto project = ProjectModel::create();
    KWImageProducer producer(project);
    if (!captureToStored(frame, width, height, *project, producer)) {
        std::fprintf(stderr, "the first capture was not stored\n");
        return false;
    }
    // The three sizes as PPM, made once, for the floor.
    const fs::path sizes = root / ("sizes-" + std::to_string(width));
    fs::create_directories(sizes);
    if (!bench::runCommand(magickSizesCommand(raw, width, height, sizes))) {
        std::fprintf(stderr, "could not make the three sizes\n");
        return false;
    }
    const fs::path out = root / "out";
    auto fresh = [&] { bench::freshFolder(out); };
    const auto times = bench::compareAll(
        kRuns, bench::timed([&] { return captureToStored(frame, width, height, *project, producer); }),
        {bench::program([&] { return magickCommand(raw, width, height, out); }, fresh),
         // ImageMagick makes the three sizes as PPM, cjpeg -quality 100 encodes each.
         bench::timed(
             [&] { return bench::runCommand(magickSizesCommand(raw, width, height, out)) && cjpegAll(out, out); },
             fresh),
         // The floor: cjpeg -quality 100 alone, on the three sizes made beforehand.
         bench::timed([&] { return cjpegAll(sizes, out); }, fresh)});
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    std::printf("capture to stored, %s BGRA -> upright -> three JPEGs -> lists saved\n", size.c_str());
    bool met =
        bench::report("capture store " + size + " vs ImageMagick convert", times[0], bench::Target::atMost(kTarget));
    met &= bench::report("capture store " + size + " vs convert + cjpeg -quality 100", times[1],
                         bench::Target::atMost(kTarget));
    met &= bench::report("capture store " + size + " vs cjpeg -quality 100 alone (floor)", times[2],
                         bench::Target::atMost(kFloorTarget));
    return met;
}

}  // namespace

int main() {
    static const testsupport::RunFolder scratch("capture-store-bench");
    const fs::path root = scratch.path();
    bench::useApplicationFoldersBelow(root);

    bool met = benchSize(root, 1920, 1080);
    met &= benchSize(root, 3840, 2160);
    KWProjects::getInstance().resetForTesting();
    return met ? 0 : 1;
}
