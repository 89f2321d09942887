// The movie's size estimate against the files real renders write, for
// three kinds of project at every size offered, and the counting it rests
// on, with numbers.

#include "ExportTestSupport.h"
#include "app/core/FrameList.h"
#include "app/core/KWAudioClip.h"
#include "app/render/AnimatedGifRenderer.h"
#include "app/render/MoviePictures.h"
#include "app/render/ProjectExportRenderer.h"
#include "app/render/TollivarMovieRenderer.h"
#include "platform/foundation/DispatchSemaphore.h"
#include "platform/graphics/JpegCodec.h"
#include "platform/media/ExportPresets.h"
#include "support/TestSounds.h"

#include <array>
#include <filesystem>

namespace {

using namespace rendertest;
using Kind = MoviePictures::Kind;

class MovieSizeEstimateTest : public RenderProjectTest {};

// An estimate that holds the one queue all estimates are measured on until
// it is let go: one asked for behind it cannot begin before then.
struct EstimateQueueHolder : ProjectExportRenderer {
    using ProjectExportRenderer::ProjectExportRenderer;
    std::optional<double> estimatedBytes(const EstimateBasis&, const MovieExportType&,
                                         const foundation::Progress&) override {
        letGo.wait();
        return std::nullopt;
    }
    foundation::DispatchSemaphore letGo;
};

// One kind of project a test (the kinds run apart: each renders every size).
class MovieSizeEstimateKindTest : public MovieSizeEstimateTest, public ::testing::WithParamInterface<int> {};

TEST_P(MovieSizeEstimateKindTest, EstimatesAreWithinOneAndAHalfTimesWhatEverySizeWrites) {
    // Each kind of project, longer than the pictures the estimate encodes.
    struct Project {
        const char* what;
        int64_t fps;
        std::function<void()> make;
    };
    const Project projects[] = {
        {"distinct photos with holds", 5,
         [this] {
             const int holds[] = {3, 6, 2, 8};
             for (int i = 0; i < 4; ++i) addPicture(scenePicture(1920, 1080, i, 20, unsigned(i)), holds[i]);
         }},
        {"many nearly identical frames, with sound", 8,
         [this] {
             for (int i = 0; i < 14; ++i) addPicture(scenePicture(1280, 720, 2, i, unsigned(100 + i)));
             const testsupport::TestSound sound{"0.3*sin(2*PI*440*t)|0.3*sin(2*PI*660*t)", 2.5};
             ASSERT_TRUE(project->copyFileFromExternal(testsupport::testSound(sound), "voice.wav"));
             auto clip = std::make_shared<KWAudioClip>(std::string("voice"), std::string("voice.wav"));
             clip->setDuration(2500);
             clip->setStop(2500);
             project->getFrameList()->getFrameAtIndex(0)->setAudio(clip);
         }},
        {"noisy high-detail pictures", 10,
         [this] {
             for (int i = 0; i < 7; ++i)
                 addPicture(scenePicture(1280, 720, i % 3, i, unsigned(200 + i), 40, true), 1 + i % 3);
         }},
    };
    const std::vector<MovieExportType> types =
        TollivarMovieRenderer::exportTypesForPresets({media::kExportPresetLowQuality, media::kExportPreset960x540,
                                                      media::kExportPreset1280x720, media::kExportPreset1920x1080},
                                                     true);
    const Project& made = projects[GetParam()];
    SCOPED_TRACE(made.what);
    project = ProjectModel::create();
    project->setFPS(made.fps);
    made.make();
    ASSERT_TRUE(project->saveAllDataToDisk());
    for (const MovieExportType& type : types) {
        auto renderer = std::make_shared<TollivarMovieRenderer>(project);
        const double estimate = double(renderer->getEstimatedFileSizeAfterExportforType(type)) * 1024;
        ExportOutcome outcome = runExport(renderer, type);
        ASSERT_EQ(outcome.status, MovieRenderer::kStatusFinished);
        const double ratio = double(std::filesystem::file_size(*outcome.exportURL)) / estimate;
        EXPECT_TRUE(ratio >= 1 / 1.5 && ratio <= 1.5) << type.size().toString() << " written / estimate: " << ratio;
    }
}

std::string kindName(const ::testing::TestParamInfo<int>& kind) {
    const char* const names[] = {"DistinctPhotos", "NearlyIdenticalWithSound", "NoisyDetail"};
    return names[kind.param];
}

INSTANTIATE_TEST_SUITE_P(Projects, MovieSizeEstimateKindTest, ::testing::Range(0, 3), kindName);

TEST_F(MovieSizeEstimateTest, AScreensEstimateArrivesOnTheMainQueueUnlessCancelled) {
    project->setFPS(5);
    FramePtr first = addPicture(scenePicture(320, 180, 1, 0, 1), 3);
    addPicture(scenePicture(320, 180, 2, 0, 2), 2);
    ASSERT_TRUE(project->saveAllDataToDisk());
    // Asks for the estimate as a screen does; what it was told, and whether
    // pictures were decoded (measured) for it.
    // Each behind one that holds the queue: a cancel comes before its measuring can begin.
    auto ask = [this](const MovieRendererPtr& renderer, const MovieExportType& type, bool cancel) {
        std::vector<int64_t> told;
        const auto holder = std::make_shared<EstimateQueueHolder>(project);
        holder->estimateFileSizeAfterExportForType(type, {});
        const uint64_t decodes = graphics::jpeg::decodeCount();
        foundation::Progress estimate = renderer->estimateFileSizeAfterExportForType(type, [&](int64_t kilobytes) {
            EXPECT_TRUE(foundation::RunLoop::isMainThread());
            told.push_back(kilobytes);
        });
        EXPECT_TRUE(told.empty()) << "never inside the call";
        if (cancel) estimate.cancel();
        holder->letGo.signal();
        foundation::RunLoop::main().runUntilIdle();
        return std::pair{told, graphics::jpeg::decodeCount() > decodes};
    };
    using Told = std::pair<std::vector<int64_t>, bool>;
    // The GIF's is answered at once, the movie's measured on a queue of its own.
    auto gif = std::make_shared<AnimatedGifRenderer>(project);
    const MovieExportType gifType = gif->getSupportedExportTypes().front();
    EXPECT_EQ(ask(gif, gifType, false).first,
              std::vector<int64_t>{gif->getEstimatedFileSizeAfterExportforType(gifType)});
    EXPECT_TRUE(ask(gif, gifType, true).first.empty());

    auto movie = std::make_shared<TollivarMovieRenderer>(project);
    const MovieExportType type = TollivarMovieRenderer::moviePreviewType({640, 360});
    EXPECT_EQ(ask(movie, type, true), (Told{{}, false})) << "cancelled before it was measured";
    const Told measured = ask(movie, type, false);
    ASSERT_EQ(measured.first.size(), 1u);
    EXPECT_TRUE(measured.second);
    EXPECT_EQ(movie->getEstimatedFileSizeAfterExportforType(type), measured.first.front());
    EXPECT_EQ(ask(movie, type, false), (Told{measured.first, false})) << "known for the unchanged project";
    EXPECT_EQ(ask(std::make_shared<TollivarMovieRenderer>(project), type, false), (Told{measured.first, false}));
    // A picture painted over is another movie.
    ASSERT_TRUE(KWImageProducer(project).storeImage(noisePicture(320, 180, 5), first->frameID()));
    const Told again = ask(movie, type, false);
    EXPECT_TRUE(again.second);
    ASSERT_EQ(again.first.size(), 1u);
    EXPECT_GT(again.first.front(), measured.first.front());
}

TEST_F(MovieSizeEstimateTest, CancellingEveryEstimateStopsThoseUnderWayAndWaiting) {
    for (int i = 0; i < 4; ++i) addPicture(scenePicture(1280, 720, i, 0, unsigned(i)), 2);
    ASSERT_TRUE(project->saveAllDataToDisk());
    auto movie = std::make_shared<TollivarMovieRenderer>(project);
    auto gif = std::make_shared<AnimatedGifRenderer>(project);
    std::vector<int64_t> told;
    auto tell = [&](int64_t kilobytes) { told.push_back(kilobytes); };
    const std::vector<foundation::Progress> estimates = {
        movie->estimateFileSizeAfterExportForType(TollivarMovieRenderer::moviePreviewType({3840, 2160}), tell),
        movie->estimateFileSizeAfterExportForType(TollivarMovieRenderer::moviePreviewType({1280, 720}), tell),
        gif->estimateFileSizeAfterExportForType(gif->getSupportedExportTypes().front(), tell)};
    MovieRenderer::cancelEstimates();
    foundation::RunLoop::main().runUntilIdle();
    EXPECT_TRUE(told.empty());
    for (const foundation::Progress& estimate : estimates) EXPECT_TRUE(estimate.isCancelled());
    // Those asked for afterwards are measured as ever.
    movie->estimateFileSizeAfterExportForType(TollivarMovieRenderer::moviePreviewType({640, 360}), tell);
    foundation::RunLoop::main().runUntilIdle();
    EXPECT_EQ(told.size(), 1u);
}

// The movie of frames held `holds` times each.
ExpandedFrames movieOf(const std::vector<int64_t>& holds) {
    FrameList list;
    for (int64_t hold : holds) {
        FramePtr frame = Frame::create(Frame::kTypePicture);
        frame->setDuration(hold);
        list.insertFrame(frame, list.getCaptureIndex());
    }
    return list.getExpandedFrameList();
}

TEST(MoviePictures, CountsEachClassOverTheMovie) {
    using Counts = std::array<double, MoviePictures::kClasses>;
    const size_t key = MoviePictures::classOf(Kind::Key), faded = MoviePictures::classOf(Kind::Faded),
                 changed = MoviePictures::classOf(Kind::Changed);
    auto held = [](int distance) { return MoviePictures::classOf(Kind::Held, distance); };
    auto counts = [](std::initializer_list<std::pair<size_t, double>> classes) {
        Counts all{};
        for (const auto& [pictureClass, count] : classes) all[pictureClass] = count;
        return all;
    };
    struct Case {
        const char* what;
        std::vector<int64_t> holds;
        int64_t fadeLength;  // at each end
        int64_t keyInterval;
        Counts counts;
    };
    const Case cases[] = {
        // Pictures 0 (key), 1-3 the first frame again, 4 (key) the second
        // frame, 5 the third, 6 its repeat.
        {"holds", {3, 1, 2}, 0, 4, counts({{key, 2}, {held(1), 2}, {held(2), 1}, {held(3), 1}, {changed, 1}})},
        // Positions 0, 1, 6 and 7 faded: pictures 2, 3, 7 and 8 differ from
        // the one before; 3 and 6 are key pictures.
        {"fades", {4, 4}, 2, 3, counts({{key, 3}, {held(1), 2}, {faded, 3}, {changed, 1}})},
        // A hold of a hundred million: a key picture every ten, nine repeats after each.
        {"long hold", {100'000'000}, 0, 10, counts({{key, 1e7 + 1}, {held(1), 1e7}, {held(2), 1e7}, {held(3), 7e7}})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ExpandedFrames frames = movieOf(c.holds);
        const int64_t positions = frames.count();
        const MoviePictures pictures(
            frames, [&](int64_t p) { return p < c.fadeLength || p >= positions - c.fadeLength; }, c.keyInterval);
        EXPECT_EQ(pictures.count(), positions + 1);
        EXPECT_EQ(pictures.countsByClass(), c.counts);
    }
}

TEST(MoviePictures, WindowsStartWithAKeyPictureAndSpreadOverTheMovie) {
    const ExpandedFrames frames = movieOf({4, 4});
    const MoviePictures pictures(
        frames, [](int64_t p) { return p < 2 || p >= 6; }, 3);
    EXPECT_EQ(pictures.sampleWindows(3, 2), (std::vector<MoviePictures::Window>{{0, 2}, {4, 2}, {7, 2}}));
    EXPECT_EQ(pictures.sampleWindows(3, 5), (std::vector<MoviePictures::Window>{{0, 9}})) << "the whole movie";
    EXPECT_EQ(pictures.sampleWindows(2, 8), (std::vector<MoviePictures::Window>{{0, 3}, {6, 3}}))
        << "a key picture's distance at most";
    // Picture 4 opens its window as a key picture; 5 changes, 6 repeats it.
    EXPECT_EQ(pictures.classesInWindow({4, 3}),
              (std::vector<size_t>{MoviePictures::classOf(Kind::Key), MoviePictures::classOf(Kind::Changed),
                                   MoviePictures::classOf(Kind::Held, 1)}));
    EXPECT_TRUE(MoviePictures(ExpandedFrames(), {}, 10).sampleWindows(3, 4).empty());
}

}  // namespace
