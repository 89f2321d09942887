// Rendering stored frames into a QuickTime movie against ffmpeg making the
// same movie with the same x264 settings: once from links to the same JPEG
// files (decode and encode), once from the frames already decoded (raw
// video; encode only). All three movies carry a silent 16-bit PCM track.
// 200 frames at 1920×1080 and 10 Mbit/s, then fewer at 3840×2160 and
// 45 Mbit/s. Prints times, ratios and each movie's PSNR against the sources,
// and checks that the process's resident size after our 4K exports (the
// last renderer still held) stays within 1.5 times what it was before them.

#include "BenchPictures.h"
#include "BenchSupport.h"
#include "app/core/KWImageProducer.h"
#include "app/core/KWProjects.h"
#include "app/core/ProjectModel.h"
#include "app/render/TollivarMovieRenderer.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Image.h"
#include "platform/media/AssetWriterInput.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kFps = 12;
constexpr int kRuns = 3;

// A picture with gradients, moving shapes and grain, so that the encoder's
// work is realistic and each frame differs from the one before.
QImage makePicture(int width, int height, int frame) {
    QImage picture(width, height, QImage::Format_RGB32);
    QPainter painter(&picture);
    bench::paintBackdrop(painter, width, height);
    std::mt19937 random(7);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 120; ++i) {
        painter.setBrush(QColor(int(random() % 256), int(random() % 256), int(random() % 256)));
        const int size = (40 + int(random() % 200)) * width / 1920;
        const int x = int((random() % unsigned(width)) + unsigned(frame * (4 + i % 7))) % width;
        painter.drawEllipse(x, int(random() % unsigned(height)), size, size);
    }
    painter.end();
    std::mt19937 grain{static_cast<unsigned>(frame)};
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int g = int(grain() % 9) - 4;
            const QRgb p = row[x];
            row[x] = qRgb(std::clamp(qRed(p) + g, 0, 255), std::clamp(qGreen(p) + g, 0, 255),
                          std::clamp(qBlue(p) + g, 0, 255));
        }
    }
    return picture;
}

// Average PSNR (dB) of a movie's pictures against the JPEG sequence;
// `skipFirst` drops the movie's first picture (ours shows frame 0 twice).
double psnrAgainstSources(const fs::path& movie, const fs::path& links, bool skipFirst) {
    const std::string trim = skipFirst ? "trim=start_frame=1," : "";
    const std::string command = "ffmpeg -nostdin -v info -i '" + movie.string() + "' -framerate " +
                                std::to_string(kFps) + " -i '" + (links / "%05d.jpg").string() + "' -lavfi \"[0:v]" +
                                trim +
                                "setpts=N/FRAME_RATE/TB,format=yuv420p[a];[1:v]format=yuv420p[b];[a][b]psnr\" "
                                "-f null - 2>&1";
    const std::string output = bench::captureOutput(command);
    const size_t at = output.rfind("average:");
    return at == std::string::npos ? 0 : std::atof(output.c_str() + at + 8);
}

struct Scenario {
    const char* name;
    int width, height, frames;
    const char* bitRate;
    // The first scenario brings up what any render needs (libraries, thread
    // pools); what a later export leaves resident is its own.
    bool checkResident;
};

bool runScenario(const Scenario& s, const fs::path& root) {
    KWProjects::getInstance().resetForTesting();
    auto project = ProjectModel::create();
    project->setFPS(kFps);
    KWImageProducer store(project);
    const fs::path links = root / (std::string(s.name) + "-links");
    fs::create_directories(links);
    std::printf("storing %d frames of %dx%d...\n", s.frames, s.width, s.height);
    std::fflush(stdout);
    for (int i = 0; i < s.frames; ++i) {
        FramePtr frame = Frame::create(Frame::kTypePicture);
        if (!store.storeImage(graphics::Image(makePicture(s.width, s.height, i)), frame->frameID())) return false;
        auto list = project->getFrameList();
        list->insertFrame(frame, list->getCaptureIndex());
        char name[32];
        std::snprintf(name, sizeof name, "%05d.jpg", i);
        fs::create_symlink(*project->pathForFile(KWImageProducer::frameFileName(frame->frameID())), links / name);
    }
    if (!project->saveAllDataToDisk()) return false;

    const std::string gop = std::to_string(2 * kFps);
    const std::string seconds = std::to_string(double(s.frames) / kFps);
    const std::string size = std::to_string(s.width) + "x" + std::to_string(s.height);
    auto encoderArguments = [&](std::vector<std::string> args, const fs::path& out) {
        for (const char* a : {"-f", "lavfi", "-t"}) args.push_back(a);
        args.push_back(seconds);
        for (std::string a :
             {"-i", "anullsrc=r=44100:cl=stereo", "-c:v", "libx264", "-preset", media::AssetWriterInput::kX264Preset,
              "-profile:v", "high", "-bf", "0", "-pix_fmt", "yuv420p", "-b:v"})
            args.push_back(a);
        args.push_back(s.bitRate);
        // Our encoder keeps its average with a one-second buffer.
        for (const char* option : {"-maxrate", "-bufsize"}) {
            args.push_back(option);
            args.push_back(s.bitRate);
        }
        args.push_back("-g");
        args.push_back(gop);
        for (const char* a : {"-c:a", "pcm_s16le", "-shortest"}) args.push_back(a);
        args.push_back((out / "movie.mov").string());
        return args;
    };

    // Ours. The last renderer stays held, as the share screen holds its
    // renderer after the export: its export's memory must be gone all the same.
    fs::path ourMovie;
    const MovieExportType type = TollivarMovieRenderer::moviePreviewType({double(s.width), double(s.height)});
    std::shared_ptr<TollivarMovieRenderer> held;
    const double residentBefore = bench::residentMB();
    const double ours = bench::medianSeconds(
        kRuns, [] {},
        [&] {
            held = std::make_shared<TollivarMovieRenderer>(project);
            bool done = false;
            held->exportProjectWithExportType(type, [&] { done = true; });
            foundation::RunLoop::main().runUntil([&] { return done; }, 3600);
            if (held->status() != MovieRenderer::kStatusFinished) return false;
            ourMovie = *held->exportURL();
            return true;
        });
    const double residentAfter = bench::residentMB();

    // ffmpeg from the same JPEG files.
    const double fromFiles =
        bench::medianToolSeconds(kRuns, "ffmpeg", root / (std::string(s.name) + "-jpeg"), [&](const fs::path& out) {
            return encoderArguments({"ffmpeg", "-nostdin", "-v", "error", "-y", "-framerate", std::to_string(kFps),
                                     "-i", (links / "%05d.jpg").string()},
                                    out);
        });

    // ffmpeg from frames already decoded.
    const fs::path raw = root / (std::string(s.name) + ".yuv");
    bench::runCommand({"ffmpeg", "-nostdin", "-v", "error", "-y", "-framerate", std::to_string(kFps), "-i",
                       (links / "%05d.jpg").string(), "-f", "rawvideo", "-pix_fmt", "yuv420p", raw.string()});
    const double fromRaw =
        bench::medianToolSeconds(kRuns, "ffmpeg", root / (std::string(s.name) + "-raw"), [&](const fs::path& out) {
            return encoderArguments({"ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "rawvideo", "-pix_fmt", "yuv420p",
                                     "-s", size, "-framerate", std::to_string(kFps), "-i", raw.string()},
                                    out);
        });
    fs::remove(raw);

    std::printf("%s: PSNR against the sources: ours %.2f dB, ffmpeg %.2f dB\n", s.name,
                psnrAgainstSources(ourMovie, links, true),
                psnrAgainstSources(root / (std::string(s.name) + "-jpeg") / "tool-0" / "movie.mov", links, false));
    bool met = bench::printResult(std::string("movie-") + s.name + "-vs-ffmpeg-jpeg", ours, fromFiles,
                                  bench::Target::atMost(1.0));
    met = bench::printResult(std::string("movie-") + s.name + "-vs-ffmpeg-raw", ours, fromRaw,
                             bench::Target::atMost(1.1)) &&
          met;
    if (s.checkResident)
        met = bench::printMeasure(std::string("movie-") + s.name + "-resident-after-export-vs-before", residentAfter,
                                  residentBefore, "MB", bench::Target::atMost(1.5)) &&
              met;
    held.reset();
    project.reset();
    KWProjects::getInstance().resetForTesting();
    return met;
}

}  // namespace

int main() {
    const fs::path root = fs::temp_directory_path() / ("tollivar-movie-bench-" + std::to_string(getpid()));
    fs::create_directories(root);
    bench::useApplicationFoldersBelow(root);
    bool met = true;
    for (const Scenario& s : {Scenario{"1080p", 1920, 1080, 200, "10M", false}, Scenario{"2160p", 3840, 2160, 48, "45M", true}})
        met = runScenario(s, root) && met;
    fs::remove_all(root);
    return met ? 0 : 1;
}
