#include "ExportTestSupport.h"
#include "MovieRenderTestSupport.h"
#include "RenderTestSupport.h"
#include "app/audio/AudioProjectSupport.h"
#include "app/render/RenderImageProducer.h"
#include "app/render/TollivarMovieRenderer.h"
#include "platform/foundation/PropertyList.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/JpegCodec.h"
#include "platform/media/AssetWriter.h"
#include "platform/media/ExportPresets.h"
#include "support/MovieFacts.h"
#include "support/Pictures.h"
#include "support/TestMovies.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using graphics::Image;
using graphics::Size;
using rendertest::ExportOutcome;
using rendertest::runExport;

namespace {

// A picture with gradients and blocks that differ from entry to entry.
Image entryPicture(int entry) {
    graphics::GraphicsContext context({1920, 1080}, 1.0, true);
    for (int band = 0; band < 16; ++band) {
        context.setFillColor(graphics::Color::rgb8((band * 16 + entry * 23) % 256, (band * 9 + entry * 50) % 256,
                                                   (255 - band * 16 + entry * 7) % 256));
        context.fillRect({band * 120.0, 0, 120, 1080});
    }
    context.setFillColor(graphics::Color::rgb8(250, 250, 250));
    context.fillRect({200.0 + entry * 100, 300, 400, 400});
    return context.makeImage();
}

class TollivarMovieRendererTest : public rendertest::RenderProjectTest {
protected:
    std::shared_ptr<TollivarMovieRenderer> renderer() { return std::make_shared<TollivarMovieRenderer>(project); }

    // Entries with these holds at `fps`, saved.
    void makeProject(const std::vector<int64_t>& holds, int64_t fps) {
        project->setFPS(fps);
        for (size_t i = 0; i < holds.size(); ++i) addPicture(entryPicture(int(i)), holds[i]);
        ASSERT_TRUE(project->saveAllDataToDisk());
    }

    // The full project of the checks: ten entries held 1 to 4 at 12 fps,
    // three clips, an effect, a foreground and both fades.
    void makeFullProject() {
        makeProject({1, 2, 3, 4, 1, 2, 3, 4, 1, 2}, 12);
        audiotest::attach(project, 0, {"0.25*sin(2*PI*440*t)|0.25*sin(2*PI*660*t)", 1.0}, 1000, 1.0f);
        audiotest::attach(project, 3, {"0.2*sin(2*PI*220*t)", 2.0}, 1500, 0.5f);
        audiotest::attach(project, 8, {"0.3*sin(2*PI*330*t)", 1.0}, 1000, 1.0f);
        setMeta("RecordMovieFilter", 2);
        setMeta("META_RECORD_FOREGROUND", 1);
        setMeta("META_RECORD_THEME_FADE_IN", true);
        setMeta("META_RECORD_THEME_FADE_OUT", true);
        graphics::GraphicsContext overlay({1920, 1080}, 1.0, false);
        overlay.setFillColor(graphics::Color::rgb8(255, 255, 0, 160));
        overlay.fillRect({0, 900, 1920, 180});
        ASSERT_TRUE(project->updateRegularFileWithContents(*overlay.makeImage().pngData(), "foreground.png"));
        ASSERT_TRUE(project->saveAllDataToDisk());
    }

    bool storedNeedsRendering() {
        auto meta = foundation::plist::readFile(projectFile("kelbrin.meta"));
        return meta && meta->asDictionary().get("RecordNeedsRendering").asBool(true);
    }

    // Checks a finished movie against the producer's pictures.
    void checkMovie(const ExportOutcome& outcome, const MovieExportType& type) {
        SCOPED_TRACE(type.title() + " " + type.size().toString());
        ASSERT_EQ(outcome.status, 3) << (outcome.error ? outcome.error->description : "");
        ASSERT_EQ(outcome.completions, 1);
        EXPECT_EQ(outcome.completionsInsideCall, 0);
        ASSERT_TRUE(outcome.exportURL);
        const auto expanded = project->getFrameList()->getExpandedFrameList();
        const int64_t n = expanded.count();
        const int64_t fps = project->getFPS();
        const int width = int(type.size().width), height = int(type.size().height);

        const testsupport::MovieFacts facts = testsupport::probeMovieFacts(*outcome.exportURL);
        EXPECT_EQ(facts.majorBrand, "qt  ");
        EXPECT_EQ(facts.videoCodec, "h264");
        EXPECT_EQ(facts.videoProfile, "High");
        EXPECT_EQ(facts.hasBFrames, 0);
        EXPECT_EQ(facts.width, width);
        EXPECT_EQ(facts.height, height);
        EXPECT_EQ(facts.colours, testsupport::ourColours(width, height));
        ASSERT_EQ(int64_t(facts.frameTimes.size()), n + 1);
        for (int64_t i = 0; i <= n; ++i) EXPECT_NEAR(facts.frameTimes[size_t(i)], double(i) / fps, 1e-4) << i;
        EXPECT_EQ(facts.audioCodec, "pcm_s16le");
        EXPECT_EQ(facts.sampleRate, 44100);
        EXPECT_EQ(facts.channels, 2);
        EXPECT_NEAR(facts.audioDurationSeconds, double(1000 * n / fps) / 1000, 1.0 / 44100 + 1e-6);
        EXPECT_TRUE(testsupport::fileContains(*outcome.exportURL, "bframes=0"));
        const int64_t kbps = TollivarMovieRenderer::averageBitRateForHeight(height) / 1000;
        EXPECT_TRUE(testsupport::fileContains(*outcome.exportURL, "bitrate=" + std::to_string(kbps) + " "));

        const auto pictures = rendertest::decodedPictures(*outcome.exportURL, width, height);
        ASSERT_EQ(int64_t(pictures.size()), n + 1);
        RenderImageProducer producer(project);
        double worst = 99;
        for (int64_t k = 0; k <= n; ++k) {
            const int64_t entry = k == 0 ? 0 : k - 1;
            const Image reference = producer.getImageRenderingForFrame(expanded.frameAt(entry), type.size(), entry, n);
            worst = std::min(worst, rendertest::psnr(pictures[size_t(k)], reference));
        }
        EXPECT_GE(worst, 35.0);
        EXPECT_FALSE(storedNeedsRendering());
    }
};

TEST_F(TollivarMovieRendererTest, SmallSizesAndThePreviewFromTheFullProject) {
    makeFullProject();
    std::vector<MovieExportType> types;
    for (const MovieExportType& type : renderer()->getSupportedExportTypes())
        if (type.size().width * type.size().height <= 1280 * 720) types.push_back(type);
    ASSERT_FALSE(types.empty());
    types.push_back(TollivarMovieRenderer::moviePreviewType({1280, 720}));
    for (const MovieExportType& type : types) {
        setMeta("RecordNeedsRendering", true);
        checkMovie(runExport(renderer(), type), type);
    }
}

TEST_F(TollivarMovieRendererTest, LargeSizesWithFewFrames) {
    makeProject({1, 2}, 12);
    for (const MovieExportType& type : renderer()->getSupportedExportTypes())
        if (type.size().width * type.size().height > 1280 * 720) checkMovie(runExport(renderer(), type), type);
}

TEST_F(TollivarMovieRendererTest, AHeldPictureIsDecodedOnceForAllItsRepeats) {
    // Stored at the movie's size, so each picture goes to the encoder as
    // decoded; the composers share out whole runs of a held frame.
    makeProject({1, 3, 2, 5, 4}, 12);
    const MovieExportType type = TollivarMovieRenderer::moviePreviewType({1920, 1080});
    const uint64_t before = graphics::jpeg::decodeCount();
    const ExportOutcome outcome = runExport(renderer(), type);
    EXPECT_EQ(graphics::jpeg::decodeCount() - before, 5u);
    checkMovie(outcome, type);
}

TEST_F(TollivarMovieRendererTest, PureColoursComeBackInEveryPlayer) {
    // Stored at 1080p: the 1080p movie takes each picture's JPEG planes as
    // they are, the 720p one scales and converts the pictures.
    std::vector<testsupport::Rgb> shown = {testsupport::kColourBars[0]};  // the first picture is shown twice
    for (const testsupport::Rgb& c : testsupport::kColourBars) {
        graphics::GraphicsContext context({1920, 1080}, 1.0, true);
        context.setFillColor(graphics::Color::rgb8(uint8_t(c.r), uint8_t(c.g), uint8_t(c.b)));
        context.fillRect({0, 0, 1920, 1080});
        addPicture(context.makeImage());
        shown.push_back(c);
    }
    project->setFPS(5);
    ASSERT_TRUE(project->saveAllDataToDisk());
    for (const Size size : {Size{1920, 1080}, Size{1280, 720}}) {
        SCOPED_TRACE(size.toString());
        const ExportOutcome outcome = runExport(renderer(), TollivarMovieRenderer::moviePreviewType(size));
        ASSERT_EQ(outcome.status, 3) << (outcome.error ? outcome.error->description : "");
        testsupport::expectOurColours(*outcome.exportURL, int(size.width), int(size.height), shown);
    }
}

TEST_F(TollivarMovieRendererTest, HeldFrameAtFiveFramesPerSecond) {
    makeProject({3}, 5);
    const MovieExportType type = TollivarMovieRenderer::moviePreviewType({640, 360});
    const ExportOutcome outcome = runExport(renderer(), type);
    ASSERT_EQ(outcome.status, 3);
    EXPECT_EQ(testsupport::probeMovieFacts(*outcome.exportURL).frameTimes, (std::vector<double>{0, 0.2, 0.4, 0.6}));
}

TEST_F(TollivarMovieRendererTest, CachedMovieIsReusedOnlyWhileCurrentAndAtItsSize) {
    makeProject({1, 1}, 12);
    setMeta("RecordNeedsRendering", true);
    const MovieExportType hd = TollivarMovieRenderer::moviePreviewType({1280, 720});
    EXPECT_FALSE(renderer()->getPreparedMovieForExportType(hd)) << "nothing rendered yet";
    const ExportOutcome outcome = runExport(renderer(), hd);
    ASSERT_EQ(outcome.status, 3);
    struct Case {
        Size size;
        bool reused;
    };
    for (const Case& c : {Case{{1280, 720}, true}, Case{{720, 1280}, true}, Case{{-1, -1}, true},
                          Case{{640, 360}, false}, Case{{1920, 1080}, false}}) {
        EXPECT_EQ(renderer()->getPreparedMovieForExportType(TollivarMovieRenderer::moviePreviewType(c.size)),
                  c.reused ? outcome.exportURL : std::nullopt)
            << c.size.toString();
    }
    // The same test over a folder holding "kelbrin.mov" and "kelbrin.meta".
    const fs::path folder = fs::path(folders.root()) / "prepared";
    fs::create_directories(folder);
    fs::copy_file(*outcome.exportURL, folder / "kelbrin.mov");
    for (bool needsRendering : {false, true}) {
        foundation::Dictionary meta;
        meta.set("RecordNeedsRendering", needsRendering);
        ASSERT_TRUE(foundation::plist::writeFile(meta, (folder / "kelbrin.meta").string()));
        EXPECT_EQ(MovieRenderer::isVideoAtPath(folder.string(), {1280, 720}), !needsRendering);
        EXPECT_FALSE(MovieRenderer::isVideoAtPath(folder.string(), {640, 360}));
    }
    // An edit marks the project: the movie is no longer current.
    setMeta("RecordNeedsRendering", true);
    EXPECT_FALSE(renderer()->getPreparedMovieForExportType(hd));
}

TEST_F(TollivarMovieRendererTest, SetUpFailuresCompleteInsideTheExportCall) {
    struct Case {
        const char* what;
        bool frames;
        std::optional<MovieExportType> type;
        int64_t code;
        const char* text;
        bool damagedList = false;
    };
    const MovieExportType hd = TollivarMovieRenderer::moviePreviewType({1280, 720});
    const Case cases[] = {
        {"empty project", false, hd, 238, "No frames found in project."},
        {"no type", true, std::nullopt, 392, "No export type found in project."},
        {"size 0", true, TollivarMovieRenderer::moviePreviewType({0, 720}), 403, "Not a valid movie size."},
        {"a frame list that cannot be read", true, hd, 238,
         "The project “My Stop Ziruru Movie” cannot be opened: its list of frames cannot be read.", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.frames && project->getFrameList()->count() < 2) makeProject({1}, 5);
        if (c.damagedList) {
            std::ofstream(projectFile("frames.meta")) << "<plist><array><dict>";
            project = ProjectModel::create(project->getProjectPath());
        }
        const ExportOutcome outcome = runExport(renderer(), c.type);
        EXPECT_EQ(outcome.status, 4);
        EXPECT_EQ(outcome.completions, 1);
        EXPECT_EQ(outcome.completionsInsideCall, 1);
        ASSERT_TRUE(outcome.error);
        EXPECT_EQ(outcome.error->domain, "MovieRenderer");
        EXPECT_EQ(outcome.error->code, c.code);
        EXPECT_EQ(outcome.error->description, c.text);
    }
}

class MovieRenderFailureTest : public TollivarMovieRendererTest {
protected:
    void TearDown() override {
        media::AssetWriter::setWriteLimitForTesting(std::nullopt);
        TollivarMovieRendererTest::TearDown();
    }
};

TEST_F(MovieRenderFailureTest, FullDeviceCancelAndUnwritableCacheLeaveNoMovie) {
    std::vector<int64_t> holds(100, 1);
    makeProject(holds, 12);
    const MovieExportType type = TollivarMovieRenderer::moviePreviewType({640, 360});
    // A whole render tells how many bytes half the movie takes.
    const ExportOutcome whole = runExport(renderer(), type);
    ASSERT_EQ(whole.status, 3);
    const auto halfway = int64_t(fs::file_size(*whole.exportURL) / 2);
    fs::remove(*whole.exportURL);
    const fs::path cache = fs::path(*whole.exportURL).parent_path();

    struct Case {
        const char* what;
        std::function<void(const std::shared_ptr<TollivarMovieRenderer>&)> before, whileRunning;
        int64_t status;
        std::optional<int64_t> code;
        const char* text;
    };
    const Case cases[] = {
        {"device full halfway",
         [&](auto&) { media::AssetWriter::setWriteLimitForTesting(halfway); },
         {},
         4,
         510,
         "couldn\u2019t be saved because there isn\u2019t enough space."},
        {"cancelled while rendering", {}, {}, 5, std::nullopt, ""},
        {"cancelled before the export", [](auto& r) { r->cancelExport(); }, {}, 5, std::nullopt, ""},
        {"cache folder is a file",
         [&](auto&) {
             fs::remove_all(cache);
             std::ofstream(cache.string()) << "x";
         },
         {},
         4,
         510,
         "doesn\u2019t exist"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        setMeta("RecordNeedsRendering", true);
        ASSERT_TRUE(project->saveMetaDataToDisk());
        auto r = renderer();
        if (c.before) c.before(r);
        const bool cancelMidway = std::string(c.what) == "cancelled while rendering";
        const ExportOutcome outcome =
            runExport(r, type, cancelMidway ? std::function<void()>([&] { r->cancelExport(); }) : nullptr);
        EXPECT_EQ(outcome.status, c.status);
        EXPECT_EQ(outcome.completions, 1);
        EXPECT_EQ(outcome.completionsInsideCall, 0);
        EXPECT_EQ(outcome.error.has_value(), c.code.has_value());
        if (outcome.error) {
            EXPECT_EQ(outcome.error->domain, "TollivarMovieRenderer");
            EXPECT_EQ(outcome.error->code, *c.code);
            EXPECT_NE(outcome.error->description.find(c.text), std::string::npos) << outcome.error->description;
        }
        if (outcome.exportURL) {
            EXPECT_FALSE(fs::exists(*outcome.exportURL));
        }
        if (fs::is_directory(cache)) {
            EXPECT_TRUE(fs::is_empty(cache)) << "no temporary file left";
        }
        EXPECT_TRUE(storedNeedsRendering()) << "metadata untouched";
        media::AssetWriter::setWriteLimitForTesting(std::nullopt);
        // Nothing of the render holds on: its queues' work has let the renderer go.
        const std::weak_ptr<TollivarMovieRenderer> left = r;
        r.reset();
        foundation::RunLoop::main().runUntilIdle();
        EXPECT_TRUE(left.expired());
    }
    fs::remove(cache);
}

TEST(TollivarMovieExportTypes, RowsFollowThePresets) {
    using namespace media;
    const std::vector<std::string> all = {kExportPresetLowQuality, kExportPreset640x480, kExportPreset960x540,
                                          kExportPreset1280x720, kExportPreset1920x1080};
    struct Case {
        const char* what;
        std::vector<std::string> presets;
        bool canRender4K;
        std::vector<std::string> rows;  // "title WxH"
    };
    const Case cases[] = {
        {"all",
         all,
         true,
         {"UHDTV - 4K {3840, 2160}", "HD - 1080p {1920, 1080}", "HD - 720p {1280, 720}",
          "Cinema Mode (2.35:1) {1920, 816}", "Square - Instagram {640, 640}", "Large - 540p {960, 540}",
          "Medium - 360p {640, 360}"}},
        {"no 1080",
         {kExportPresetLowQuality, kExportPreset1280x720},
         false,
         {"HD - 720p {1280, 720}", "Cinema Mode (2.35:1) {1280, 544}", "Square - Instagram {640, 640}",
          "Medium - 360p {640, 360}"}},
        {"only 640x480", {kExportPreset640x480}, false, {"640x480 {640, 480}"}},
        {"none", {}, false, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> rows;
        for (const MovieExportType& type : TollivarMovieRenderer::exportTypesForPresets(c.presets, c.canRender4K)) {
            rows.push_back(type.title() + " " + type.size().toString());
            EXPECT_EQ(type.UTI(), kUTTypeQuickTimeMovie);
            EXPECT_EQ(type.extension(), "mov");
        }
        EXPECT_EQ(rows, c.rows) << c.what;
    }
}

TEST_F(TollivarMovieRendererTest, BitRatesAndSizeEstimates) {
    struct Rate {
        int64_t height, bitsPerSecond;
    };
    for (const Rate& r : {Rate{2160, 45'000'000}, Rate{1440, 15'000'000}, Rate{1080, 10'000'000}, Rate{816, 10'000'000},
                          Rate{720, 7'500'000}, Rate{640, 10'000'000}, Rate{544, 10'000'000}, Rate{540, 4'000'000},
                          Rate{480, 2'500'000}, Rate{360, 1'000'000}})
        EXPECT_EQ(TollivarMovieRenderer::averageBitRateForHeight(r.height), r.bitsPerSecond) << r.height;

    // What is measured (see MovieSizeEstimateTest) needs pictures, a size and
    // a movie a QuickTime file holds.
    const MovieExportType hd = TollivarMovieRenderer::moviePreviewType({1280, 720});
    EXPECT_EQ(renderer()->getEstimatedFileSizeAfterExportforType(hd), MovieRenderer::kNoEstimate) << "no frames";
    makeProject({3, 3}, 10);
    EXPECT_EQ(renderer()->getEstimatedFileSizeAfterExportforType(TollivarMovieRenderer::moviePreviewType({0, 0})),
              MovieRenderer::kNoEstimate);
    EXPECT_GT(renderer()->getEstimatedFileSizeAfterExportforType(hd), 0);
    project->getFrameList()->getFrameAtIndex(0)->setDuration(TollivarMovieRenderer::kMaximumPictures);
    EXPECT_EQ(renderer()->getEstimatedFileSizeAfterExportforType(hd), MovieRenderer::kNoEstimate) << "too long";
}

TEST_F(TollivarMovieRendererTest, PixelBufferIsThePictureOverBlack) {
    graphics::GraphicsContext context({4, 2}, 1.0, false);
    context.setFillColor(graphics::Color::rgb8(200, 100, 50));
    context.fillRect({0, 0, 2, 2});
    context.setFillColor(graphics::Color::rgb8(200, 100, 50, 128));
    context.fillRect({2, 0, 2, 2});
    const media::PixelBuffer same = TollivarMovieRenderer::pixelBufferFromCGImage(context.makeImage(), 4, 2);
    const media::PixelBuffer larger = TollivarMovieRenderer::pixelBufferFromCGImage(context.makeImage(), 6, 3);
    EXPECT_EQ(same.bytesPerRow, 16u);
    EXPECT_EQ(std::vector<uint8_t>(same.row(1), same.row(1) + 16),
              (std::vector<uint8_t>{255, 200, 100, 50, 255, 200, 100, 50, 255, 100, 50, 25, 255, 100, 50, 25}));
    EXPECT_EQ(std::vector<uint8_t>(larger.row(0), larger.row(0) + 4), (std::vector<uint8_t>{255, 200, 100, 50}));
    EXPECT_EQ(std::vector<uint8_t>(larger.row(2), larger.row(2) + 4), (std::vector<uint8_t>{255, 0, 0, 0}));
}

}  // namespace
