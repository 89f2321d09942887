// Storing one Ultra HD picture as a frame (thumbnail, preview and full frame
// JPEGs) against ImageMagick's convert making the same three files from the
// same JPEG input, and against the floor of that work: one libjpeg-turbo
// decode of the input (djpeg) and the three encodes at the store's qualities
// and sizes (cjpeg). Prints both times (median of several runs) and the ratios.

#include "BenchPictures.h"
#include "BenchSupport.h"
#include "app/core/KWImageProducer.h"
#include "app/core/KWProjects.h"
#include "app/core/ProjectModel.h"
#include "app/core/UIImage_Resize.h"
#include "platform/graphics/Image.h"
#include "support/RunFolder.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kRuns = 7;
constexpr double kTarget = 0.5;
constexpr double kFloorTarget = 1.3;
// The store's JPEG qualities, as cjpeg takes them.
constexpr const char* kFullFrameQuality = "100";
constexpr const char* kSmallPictureQuality = "50";

// A picture with gradients, shapes and grain, so that JPEG work is realistic.
QImage makeInputPicture() {
    QImage picture(3840, 2160, QImage::Format_RGB32);
    QPainter painter(&picture);
    bench::paintBackdrop(painter, 3840, 2160);
    std::mt19937 random(7);
    for (int i = 0; i < 400; ++i) {
        painter.setBrush(QColor(int(random() % 256), int(random() % 256), int(random() % 256)));
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(int(random() % 3840), int(random() % 2160), 40 + int(random() % 300),
                            40 + int(random() % 300));
    }
    painter.end();
    for (int y = 0; y < picture.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            const int grain = int(random() % 17) - 8;
            const QRgb p = row[x];
            row[x] = qRgb(std::clamp(qRed(p) + grain, 0, 255), std::clamp(qGreen(p) + grain, 0, 255),
                          std::clamp(qBlue(p) + grain, 0, 255));
        }
    }
    return picture;
}

// The thumbnail or preview picture at its stored size, as a PPM for cjpeg.
bool writeScaledPpm(const graphics::Image& input, graphics::Size size, const fs::path& file) {
    const auto scaled = UIImage_Resize::imageByScalingAndCroppingForSize(input, size);
    return scaled && scaled->bitmap().convertToFormat(QImage::Format_RGB888).save(QString::fromStdString(file), "PPM");
}

}  // namespace

int main() {
    static const testsupport::RunFolder scratch("frame-store-bench");
    const fs::path root = scratch.path();
    // Keep the project store inside the bench folder.
    bench::useApplicationFoldersBelow(root);

    const fs::path input = root / "input.jpg";
    {
        const auto jpeg = graphics::Image(makeInputPicture()).jpegData(0.92);
        if (!jpeg.ok()) {
            std::fprintf(stderr, "could not make the input picture\n");
            return 1;
        }
        std::ofstream(input, std::ios::binary)
            .write(reinterpret_cast<const char*>(jpeg->data()), std::streamsize(jpeg->size()));
    }

    // Ours: decode the input and store it as a frame of a project.
    auto project = ProjectModel::create();
    KWImageProducer producer(project);
    // The floor: the small pictures' pixels are made beforehand, so that only
    // the decode and the three encodes are timed.
    const fs::path previewPpm = root / "preview.ppm";
    const fs::path thumbPpm = root / "thumb.ppm";
    {
        auto picture = graphics::Image::load(input.string());
        if (!picture.ok() || !writeScaledPpm(picture.value(), KWImageProducer::kPreviewSize, previewPpm) ||
            !writeScaledPpm(picture.value(), KWImageProducer::kThumbnailSize, thumbPpm)) {
            std::fprintf(stderr, "could not make the scaled pictures\n");
            return 1;
        }
    }
    const fs::path out = root / "out";
    auto fresh = [&] { bench::freshFolder(out); };
    int run = 0;
    const auto times = bench::compareAll(
        kRuns,
        // Ours: decode the input and store it as a frame of a project.
        bench::timed([&] {
            auto picture = graphics::Image::load(input.string());
            return picture.ok() && producer.storeImage(picture.value(), "BENCH-" + std::to_string(run++));
        }),
        {// ImageMagick: the same three files from the same input in one call.
         bench::program(
             [&] {
                 return bench::convertToStoredPictures({input.string()}, "272x153", "796x448", kSmallPictureQuality,
                                                       kFullFrameQuality, out);
             },
             fresh),
         // The decode piped into the full-frame encode, then the two small encodes.
         bench::timed(
             [&] {
                 return bench::runPipeline(
                            {{"djpeg", input.string()},
                             {"cjpeg", "-quality", kFullFrameQuality, "-outfile", (out / "frame.jpg").string()}}) &&
                        bench::runCommand({"cjpeg", "-quality", kSmallPictureQuality, "-outfile",
                                           (out / "preview.jpg").string(), previewPpm.string()}) &&
                        bench::runCommand({"cjpeg", "-quality", kSmallPictureQuality, "-outfile",
                                           (out / "thumb.jpg").string(), thumbPpm.string()});
             },
             fresh)});
    std::printf("frame store, 3840x2160 -> thumbnail, preview, full frame\n");
    bool met = bench::report("frame store vs ImageMagick convert", times[0], bench::Target::atMost(kTarget));
    met &= bench::report("frame store vs djpeg | cjpeg (floor)", times[1], bench::Target::atMost(kFloorTarget));
    KWProjects::getInstance().resetForTesting();
    return met ? 0 : 1;
}
