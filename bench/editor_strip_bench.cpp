// The frame editor's strip, timeline, preview pane and player over a project
// of 1,000 frames of 3840×2160 (hard links of one frame's three files):
//
// 1. Opened, the strip scrolled end to end, the timeline scrolled end to
//    end and the movie played once: the process's peak resident size must
//    stay under 400 MB.
// 2. A fling across the strip: the 95th percentile of one 1/60 s tick (the
//    carousel step, the thumbnails arriving, compositing the strip) against
//    the 16.7 ms of a frame, with no JPEG decoded on the main thread, neither
//    for the strip nor for the preview pane following the playhead (nor
//    while playing). The
//    timed ticks include waiting for the background decodes that are in
//    flight, since the virtual clock moves only once they are done.
// 3. Thumbnail decoding through the cache against libjpeg-turbo decoding the
//    same thumbnail files at the same 1/2 scale in one process on as many
//    threads as the cache decodes on (tools/jpeg_scaled_decode), run by run
//    in turn: no more wall or CPU time than it. One thread against
//    several would weigh the processor's clock, which runs faster for one
//    busy core than for four, rather than the work.

#include "BenchSupport.h"
#include "LinkedProject.h"
#include "app/audio/KWAudioController.h"
#include "app/core/KWImageProducer.h"
#include "app/core/ProjectModel.h"
#include "app/editor/EditorNotifications.h"
#include "app/editor/KWFrameByFrameView.h"
#include "app/editor/KWTimelineViewController.h"
#include "app/editor/PreviewPlayer.h"
#include "app/editor/ThumbnailCache.h"
#include "app/preview/KWPreviewViewController.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GuiApplication.h"
#include "platform/graphics/JpegCodec.h"
#include "platform/media/AudioOutput.h"
#include "platform/ui/Window.h"
#include "platform/ui/compositing/Render.h"
#include "support/RunFolder.h"

#include <QImage>
#include <QPainter>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kFrames = 1000;
constexpr double kTick = 1.0 / 60;
constexpr double kRssLimitMB = 400;
constexpr double kFrameBudgetSeconds = 0.0167;
constexpr int kDecodedThumbnails = 300;

double peakResidentMB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// A photo-like 4K picture: gradients, so the JPEGs have real content.
graphics::Image fourKPicture() {
    QImage bitmap(3840, 2160, QImage::Format_RGB32);
    for (int y = 0; y < bitmap.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(bitmap.scanLine(y));
        for (int x = 0; x < bitmap.width(); ++x) line[x] = qRgb(x * 255 / 3840, y * 255 / 2160, (x ^ y) & 255);
    }
    return graphics::Image(std::move(bitmap));
}

// The project folder with 1,000 frames sharing one frame's files through hard links.
std::string makeProject() { return bench::makeLinkedProject(fourKPicture(), kFrames, 0); }

}  // namespace

int main() {
    graphics::ensureGuiApplication();
    static const testsupport::RunFolder scratch("tollivar-strip-bench");
    const fs::path root = scratch.path();
    fs::create_directories(root / "data" / "config");
    setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    setenv("XDG_CACHE_HOME", (root / "cache").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root / "data" / "config").c_str(), 1);
    auto clock = std::make_shared<foundation::VirtualClock>();
    foundation::RunLoop& loop = foundation::RunLoop::main();
    loop.reset(clock);
    media::AudioOutput::setShared(std::make_shared<media::NullAudioOutput>());

    const std::string folder = makeProject();
    bool ok = true;
    {
        // ---- opened as the editor holds its parts -----------------------------------------
        auto project = ProjectModel::create(folder);
        if (!project->getFrameList() || project->getFrameList()->count() != kFrames + 1) {
            std::fprintf(stderr, "the project did not open\n");
            return 1;
        }
        auto window = std::make_shared<ui::Window>(graphics::Rect(0, 0, 1024, 768));
        auto preview = std::make_shared<KWPreviewViewController>(project);
        preview->view()->setFrame({114, 40, 796, 448});
        window->addSubview(preview->viewPtr());
        auto strip = std::make_shared<KWFrameByFrameView>(project);
        strip->view()->setFrame({0, 612, 1024, 115});
        window->addSubview(strip->viewPtr());
        auto timeline = std::make_shared<KWTimelineViewController>(project);
        timeline->view()->setFrame({0, 500, 1024, 115});
        window->addSubview(timeline->viewPtr());
        timeline->viewWillAppear(false);
        window->layoutIfNeeded();
        loop.runUntilIdle();
        // The strip follows the timeline's playhead, as the editor makes it.
        auto follow = foundation::NotificationCenter::defaultCenter().addObserver(
            editornotifications::kDidMovePlayhead, timeline.get(), [&](const foundation::Notification& note) {
                if (auto frame = editornotifications::frameIn(note.userInfo)) strip->scrollToFrame(frame, false);
            });

        // ---- a fling across the strip: ticks timed on the main thread ---------------------
        ui::Compositor compositor;
        QImage target(1024, 115, QImage::Format_ARGB32_Premultiplied);
        std::vector<double> ticks;
        const uint64_t mainDecodes = graphics::jpeg::decodeCountOnThisThread();
        strip->carousel()->scrollToItemAtIndex(kFrames - 1, 5.0);
        while (strip->carousel()->isAnimating() || ticks.size() < 300) {
            ticks.push_back(bench::secondsOf([&] {
                loop.advance(kTick);
                QPainter painter(&target);
                compositor.render(*strip->view(), painter, 1.0);
            }));
            if (ticks.size() > 2000) break;
        }
        const int64_t reached = strip->getCurrentFrame();
        const uint64_t decodedOnMain = graphics::jpeg::decodeCountOnThisThread() - mainDecodes;
        std::sort(ticks.begin(), ticks.end());
        const double p95 = ticks[ticks.size() * 95 / 100];
        std::printf("fling: %zu ticks, reached item %lld, %llu JPEG decodes on the main thread\n", ticks.size(),
                    static_cast<long long>(reached), static_cast<unsigned long long>(decodedOnMain));
        if (reached < kFrames - 1 || decodedOnMain != 0) ok = false;
        ok = bench::printResult("strip fling tick p95, 1000 frames", p95, kFrameBudgetSeconds,
                                bench::Target::atMost(1.0)) &&
             ok;

        // ---- the timeline end to end, then the movie played once --------------------------
        for (int i = 0; i <= kFrames; i += 7) {
            timeline->scrollToTimeIndex(i * 200, false);
            loop.advance(kTick);
        }
        KWAudioController audio(project);
        PreviewPlayer player(project, timeline);
        player.setTimerController(&audio);
        player.setIsLoopPlayback(false);
        int64_t lastEntry = -1;
        auto played = foundation::NotificationCenter::defaultCenter().addObserver(
            editornotifications::kDidMovePlayhead, timeline.get(), [&](const foundation::Notification& note) {
                lastEntry = note.userInfo.get(editornotifications::kExpandedIndexKey).asInt();
            });
        const uint64_t decodesBeforePlaying = graphics::jpeg::decodeCountOnThisThread();
        player.playFrom(0, -1);
        loop.advance(kFrames / 5.0 - 0.1);
        player.stop();
        const uint64_t decodedWhilePlaying = graphics::jpeg::decodeCountOnThisThread() - decodesBeforePlaying;
        std::printf("played: %llu JPEG decodes on the main thread\n",
                    static_cast<unsigned long long>(decodedWhilePlaying));
        if (decodedWhilePlaying != 0) ok = false;
        // The pane's full-size step for the last frame, after it stood a second.
        loop.advance(1.5);
        std::printf("played to entry %lld\n", static_cast<long long>(lastEntry));
        if (lastEntry < kFrames - 2) ok = false;
        preview->removeView();
        ok = bench::printMeasure("peak resident size, 1000 4K frames opened, scrolled, played", peakResidentMB(),
                                 kRssLimitMB, "MB", bench::Target::atMost(1.0)) &&
             ok;

        // ---- thumbnail decoding against libjpeg-turbo on the same files ---------------
        std::vector<std::string> files;
        std::vector<FramePtr> frames;
        for (int i = 0; i < kDecodedThumbnails; ++i) {
            FramePtr frame = project->getFrameList()->getFrameAtIndex(i);
            frames.push_back(frame);
            files.push_back(folder + "/" + KWImageProducer::thumbnailFileName(frame->frameID()));
        }
        std::vector<std::string> decodeAll{bench::benchTool("jpeg_scaled_decode").string(),
                                           std::to_string(ThumbnailCache::decodersAtOnce()), "2"};
        decodeAll.insert(decodeAll.end(), files.begin(), files.end());
        const auto times = bench::compare(9, bench::timed([&] {
                                              ThumbnailCache cache(project);
                                              int delivered = 0;
                                              for (const FramePtr& frame : frames)
                                                  cache.requestImage(frame, 105, 75, [&](const graphics::Image& image) {
                                                      if (image.pixelWidth() == 136) ++delivered;
                                                  });
                                              loop.runUntilIdle();
                                              return delivered == kDecodedThumbnails;
                                          }),
                                          bench::program([&] { return decodeAll; }));
        // The same decoder on the same files on as many threads: what ours adds
        // is the cache, the hand-over between threads and the deliveries.
        ok = bench::report("thumbnail decoding, 300 files, vs libjpeg-turbo scaled 1/2 in one process", times,
                           bench::Target::atMost(1.0)) &&
             ok;
        strip->view()->removeFromSuperview();
        timeline->view()->removeFromSuperview();
        preview->view()->removeFromSuperview();
    }
    return ok ? 0 : 1;
}
