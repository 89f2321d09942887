// Fifty 640×360 pictures to a looping animated GIF, as the GIF renderer
// writes them: each source PNG decoded and given to the GIF writer (a
// libimagequant palette per picture, dithered). Against ffmpeg making the
// same GIF in one process, one filter graph (split, palettegen, paletteuse)
// with a palette per picture too, dithered, each run in turn with ours. Both
// GIFs are decoded by ffmpeg and compared with the sources: ours must reach
// at least the reference's PSNR.

#include "BenchSupport.h"
#include "platform/graphics/GifWriter.h"
#include "platform/graphics/Image.h"
#include "support/RunFolder.h"

#include <QImage>
#include <QPainter>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kPictures = 50;
constexpr int kWidth = 640;
constexpr int kHeight = 360;
constexpr int kRuns = 5;
constexpr double kTarget = 0.8;

std::string sourceName(int index) {
    char name[32];
    std::snprintf(name, sizeof name, "%05d.png", index);
    return name;
}

// A stop-motion scene: a lit backdrop, figures that move a little from
// picture to picture, and camera grain.
QImage makeScene(int index) {
    QImage picture(kWidth, kHeight, QImage::Format_RGB32);
    QPainter painter(&picture);
    QLinearGradient backdrop(0, 0, kWidth, kHeight);
    backdrop.setColorAt(0, QColor(70, 110, 170));
    backdrop.setColorAt(0.6, QColor(230, 200, 140));
    backdrop.setColorAt(1, QColor(60, 130, 70));
    painter.fillRect(picture.rect(), backdrop);
    std::mt19937 shapes(5);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 40; ++i) {
        const int x = int(shapes() % kWidth) + index * int(shapes() % 5) - 60;
        const int y = int(shapes() % kHeight) + index * (int(shapes() % 3) - 1);
        QRadialGradient body(x + 20, y + 20, 40);
        body.setColorAt(0, QColor(int(shapes() % 256), int(shapes() % 256), int(shapes() % 256)));
        body.setColorAt(1, QColor(int(shapes() % 128), int(shapes() % 128), int(shapes() % 128)));
        painter.setBrush(body);
        painter.drawEllipse(x, y, 30 + int(shapes() % 60), 30 + int(shapes() % 60));
    }
    painter.end();
    std::mt19937 grain(100 + index);
    for (int y = 0; y < kHeight; ++y) {
        auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < kWidth; ++x) {
            const int g = int(grain() % 9) - 4;
            row[x] = qRgb(std::clamp(qRed(row[x]) + g, 0, 255), std::clamp(qGreen(row[x]) + g, 0, 255),
                          std::clamp(qBlue(row[x]) + g, 0, 255));
        }
    }
    return picture;
}

bool writeOurs(const fs::path& sources, const fs::path& out) {
    fs::remove(out);
    auto writer = graphics::GifWriter::create(out.string(), kWidth, kHeight,
                                              graphics::GifWriter::delayCentisecondsForFramesPerSecond(10));
    if (!writer) return false;
    for (int i = 0; i < kPictures; ++i) {
        auto picture = graphics::Image::load((sources / sourceName(i)).string());
        if (!picture || !writer->addImage(*picture)) return false;
    }
    return writer->finish().ok();
}

// The GIF's pictures as RGB bytes, decoded by ffmpeg.
std::vector<uint8_t> decodeGif(const fs::path& gif, const fs::path& raw) {
    if (!bench::runCommand({"ffmpeg", "-v", "error", "-nostdin", "-y", "-i", gif.string(), "-f", "rawvideo", "-pix_fmt",
                            "rgb24", raw.string()}))
        return {};
    std::ifstream in(raw, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

double psnr(const std::vector<uint8_t>& decoded, const std::vector<QImage>& sources) {
    const size_t pictureBytes = size_t(kWidth) * kHeight * 3;
    if (decoded.size() != pictureBytes * sources.size()) return 0;
    double squared = 0;
    size_t at = 0;
    for (const QImage& source : sources)
        for (int y = 0; y < kHeight; ++y) {
            auto* row = reinterpret_cast<const QRgb*>(source.constScanLine(y));
            for (int x = 0; x < kWidth; ++x)
                for (int channel : {qRed(row[x]), qGreen(row[x]), qBlue(row[x])}) {
                    const double d = double(decoded[at++]) - channel;
                    squared += d * d;
                }
        }
    const double mean = squared / double(decoded.size());
    return 10 * std::log10(255.0 * 255.0 / mean);
}

}  // namespace

int main() {
    static const testsupport::RunFolder scratch("tollivar-gif-bench");
    const fs::path root = scratch.path();
    const fs::path sources = root / "sources";
    fs::create_directories(sources);
    std::vector<QImage> scenes;
    for (int i = 0; i < kPictures; ++i) {
        scenes.push_back(makeScene(i));
        scenes.back().save(QString::fromStdString((sources / sourceName(i)).string()), "PNG");
    }

    const fs::path ourGif = root / "ours.gif";
    const fs::path referenceGif = root / "reference.gif";
    const auto times = bench::compare(
        kRuns, bench::timed([&] { return writeOurs(sources, ourGif); }), bench::program([&] {
            return std::vector<std::string>{"ffmpeg",
                                            "-v",
                                            "error",
                                            "-nostdin",
                                            "-y",
                                            "-framerate",
                                            "10",
                                            "-i",
                                            (sources / "%05d.png").string(),
                                            "-filter_complex",
                                            "split[a][b];[a]palettegen=stats_mode=single[p];[b][p]paletteuse=new=1",
                                            referenceGif.string()};
        }));

    const double ourPsnr = psnr(decodeGif(ourGif, root / "ours.rgb"), scenes);
    const double referencePsnr = psnr(decodeGif(referenceGif, root / "reference.rgb"), scenes);
    std::printf("gif psnr: ours %.2f dB, reference %.2f dB; size: ours %lld kB, reference %lld kB\n", ourPsnr,
                referencePsnr, static_cast<long long>(fs::file_size(ourGif) / 1024),
                static_cast<long long>(fs::file_size(referenceGif) / 1024));
    const bool fast = bench::report("gif_50x640x360", times, bench::Target::atMost(kTarget));
    const bool sharp = ourPsnr >= referencePsnr;
    if (!sharp) std::fprintf(stderr, "our GIF is less faithful than the reference\n");
    return fast && sharp ? 0 : 1;
}
