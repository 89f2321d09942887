#include "ExportTestSupport.h"
#include "app/render/AnimatedGifRenderer.h"
#include "app/render/MovieRendererSources.h"
#include "app/render/ProjectExportRenderer.h"
#include "app/render/SingleImagesExportRenderer.h"
#include "platform/graphics/GifWriter.h"
#include "support/Process.h"

#include <sstream>

namespace {

using namespace rendertest;

// What ImageMagick reads in a GIF: per picture its size, delay and the
// number of the numbered picture it shows.
struct GifPicture {
    int width = 0, height = 0, delay = 0, number = -1;
};

std::vector<GifPicture> readGif(const std::string& path) {
    auto result = testsupport::runProcess({"convert", path, "-format",
                                           "%w %h %T %[fx:int(255*p{320,180}.r)] %[fx:int(255*p{320,180}.g)] "
                                           "%[fx:int(255*p{320,180}.b)]\n",
                                           "info:"});
    std::vector<GifPicture> pictures;
    if (result.exitCode != 0) return pictures;
    std::istringstream lines(result.output);
    for (std::string line; std::getline(lines, line);) {
        GifPicture picture;
        int r = 0, g = 0, b = 0;
        std::istringstream(line) >> picture.width >> picture.height >> picture.delay >> r >> g >> b;
        picture.number = numberOfColour(r, g, b);
        pictures.push_back(picture);
    }
    return pictures;
}

class AnimatedGifRendererTest : public RenderProjectTest {
protected:
    void addNumberedFrames(int count) {
        for (int i = 0; i < count; ++i) addPicture(numberedPicture(i));
    }
    std::shared_ptr<AnimatedGifRenderer> renderer() { return std::make_shared<AnimatedGifRenderer>(project); }
};

TEST(AnimatedGifPositions, LongMoviesAreSampledEvenlyAndShortOnesWhole) {
    const struct {
        int64_t frames;
        std::vector<int64_t> firstPositions;
        int64_t lastPosition;
    } cases[] = {
        {120, {0, 2, 4, 7, 9, 12, 14, 16, 19}, 117},  // step 2.4, rounded down
        {51, {0, 1, 2, 3, 4}, 49},                    // step 1.02: the last position is left out
        {50, {0, 1, 2, 3}, 49},                       // every frame once
        {7, {0, 1, 2, 3, 4, 5, 6}, 6},
        {100'000'000'000, {0, 2'000'000'000, 4'000'000'000}, 98'000'000'000},
    };
    for (const auto& c : cases) {
        const int64_t pictures = std::min<int64_t>(c.frames, AnimatedGifRenderer::kMaximumPictures);
        for (size_t k = 0; k < c.firstPositions.size(); ++k)
            EXPECT_EQ(AnimatedGifRenderer::sourcePositionOfPicture(int64_t(k), pictures, c.frames), c.firstPositions[k])
                << c.frames << " frames, picture " << k;
        EXPECT_EQ(AnimatedGifRenderer::sourcePositionOfPicture(pictures - 1, pictures, c.frames), c.lastPosition)
            << c.frames << " frames";
    }
    EXPECT_EQ(AnimatedGifRenderer::sourcePositionOfPicture(48, 50, 51), 48);
}

TEST_F(AnimatedGifRendererTest, HundredTwentyFramesGiveFiftyLoopingPicturesOfOneFrameTime) {
    addNumberedFrames(120);
    project->setFPS(10);
    auto gif = renderer();
    ExportOutcome outcome = runExport(gif);
    ASSERT_EQ(outcome.status, MovieRenderer::kStatusFinished) << (outcome.error ? outcome.error->description : "");
    EXPECT_EQ(outcome.completions, 1);
    EXPECT_EQ(gif->totalFrames(), 50);
    EXPECT_FLOAT_EQ(gif->progress(), 1.0f);
    ASSERT_TRUE(outcome.exportURL);
    EXPECT_EQ(*outcome.exportURL, *MovieRenderer::renderCachePathForProject(*project) + "/My_Stop_Ziruru_Movie.gif");

    std::vector<GifPicture> pictures = readGif(*outcome.exportURL);
    ASSERT_EQ(pictures.size(), 50u);
    for (size_t k = 0; k < pictures.size(); ++k) {
        EXPECT_EQ(pictures[k].width, 640) << k;
        EXPECT_EQ(pictures[k].height, 360) << k;
        EXPECT_EQ(pictures[k].delay, 10) << k;
        EXPECT_EQ(pictures[k].number, int(k * 120 / 50)) << "picture " << k;
    }
    auto verbose = testsupport::runProcess({"identify", "-verbose", *outcome.exportURL + "[0]"});
    EXPECT_NE(verbose.output.find("Iterations: 0"), std::string::npos);
}

TEST_F(AnimatedGifRendererTest, DelayFollowsTheFrameRateAndHoldsRepeatPictures) {
    // Three frames held 1, 2, 1 times at 12 fps: four pictures of 8 hundredths.
    addPicture(numberedPicture(3));
    addPicture(numberedPicture(40), 2);
    addPicture(numberedPicture(77));
    project->setFPS(12);
    setMeta(projectkeys::kName, foundation::Value("Tom & Jerry: take/2"));
    ExportOutcome outcome = runExport(renderer());
    ASSERT_EQ(outcome.status, MovieRenderer::kStatusFinished);
    ASSERT_TRUE(outcome.exportURL);
    EXPECT_EQ(std::filesystem::path(*outcome.exportURL).filename(), "Tom_&_Jerry_take2.gif");
    std::vector<GifPicture> pictures = readGif(*outcome.exportURL);
    ASSERT_EQ(pictures.size(), 4u);
    const int numbers[] = {3, 40, 40, 77};
    for (size_t k = 0; k < 4; ++k) {
        EXPECT_EQ(pictures[k].delay, 8);
        EXPECT_EQ(pictures[k].number, numbers[k]) << k;
    }
}

TEST_F(AnimatedGifRendererTest, WriteFailureEndsWithTheSystemsTextAndLeavesNoFile) {
    addNumberedFrames(20);
    auto gif = renderer();
    const std::string target = gif->getExportURLForExportType(gif->getSupportedExportTypes().front());
    std::ofstream(target) << "an earlier GIF";
    graphics::GifWriter::setFailWritesAfterBytesForTesting(size_t(5'000));
    ExportOutcome outcome = runExport(gif);
    graphics::GifWriter::setFailWritesAfterBytesForTesting(std::nullopt);
    EXPECT_EQ(outcome.completions, 1);
    ASSERT_EQ(outcome.status, MovieRenderer::kStatusFailed);
    ASSERT_TRUE(outcome.error);
    EXPECT_EQ(outcome.error->domain, "AnimatedGifRenderer");
    EXPECT_EQ(outcome.error->code, 39);
    EXPECT_EQ(outcome.error->description,
              "The file \u201CMy_Stop_Ziruru_Movie.gif\u201D couldn\u2019t be saved because there isn\u2019t enough "
              "space.");
    EXPECT_TRUE(namesIn(std::filesystem::path(target).parent_path()).empty()) << "no GIF, no temporary file";
}

TEST_F(AnimatedGifRendererTest, CancelInTheMiddleLeavesNoFile) {
    addNumberedFrames(60);
    auto gif = renderer();
    ExportOutcome outcome = runExport(gif, [&] { gif->cancelExport(); });
    EXPECT_EQ(outcome.completions, 1);
    EXPECT_EQ(outcome.status, MovieRenderer::kStatusCancelled);
    EXPECT_LT(gif->progress(), 1.0f);
    EXPECT_TRUE(namesIn(*MovieRenderer::renderCachePathForProject(*project)).empty());
}

// The failures every frame-based renderer shares, and a cancel before the
// render has begun, which sticks.
TEST_F(AnimatedGifRendererTest, EmptyMoviesAndEarlyCancelsEndOnceWithoutOutput) {
    struct Case {
        const char* what;
        std::function<MovieRendererPtr()> make;
        bool withFrame;
        bool cancelFirst;
        int64_t status;
        std::string domain;
        int64_t code;
        bool damagedList = false;
    };
    const Case cases[] = {
        {"GIF of the capture slot", [&] { return std::make_shared<AnimatedGifRenderer>(project); }, false, false, 4,
         "AnimatedGifRenderer", 38},
        {"images of the capture slot", [&] { return std::make_shared<SingleImagesExportRenderer>(project); }, false,
         false, 4, "SingleImagesExportRenderer", 38},
        {"GIF of a frame list that cannot be read", [&] { return std::make_shared<AnimatedGifRenderer>(project); },
         true, false, 4, "AnimatedGifRenderer", 38, true},
        {"images of a frame list that cannot be read",
         [&] { return std::make_shared<SingleImagesExportRenderer>(project); }, true, false, 4,
         "SingleImagesExportRenderer", 38, true},
        {"GIF cancelled first", [&] { return std::make_shared<AnimatedGifRenderer>(project); }, true, true, 5, "", 0},
        {"images cancelled first", [&] { return std::make_shared<SingleImagesExportRenderer>(project); }, true, true, 5,
         "", 0},
        {"archive cancelled first", [&] { return std::make_shared<ProjectExportRenderer>(project); }, true, true, 5, "",
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        project = ProjectModel::create();
        if (c.withFrame) addPicture(numberedPicture(1));
        if (c.damagedList) {
            ASSERT_TRUE(project->saveAllDataToDisk());
            std::ofstream(projectFile("frames.meta")) << "<plist><array><dict>";
            project = ProjectModel::create(project->getProjectPath());
            ASSERT_EQ(project->getFrameList(), nullptr);
        }
        MovieRendererPtr renderer = c.make();
        if (c.damagedList) {
            EXPECT_GT(renderer->getEstimatedFileSizeAfterExportforType(renderer->getSupportedExportTypes().front()), 0);
        }
        if (c.cancelFirst) renderer->cancelExport();
        ExportOutcome outcome = runExport(renderer);
        EXPECT_EQ(outcome.completions, 1);
        EXPECT_EQ(outcome.status, c.status);
        EXPECT_EQ(outcome.error.has_value(), c.code != 0);
        if (outcome.error) {
            EXPECT_EQ(outcome.error->domain, c.domain);
            EXPECT_EQ(outcome.error->code, c.code);
            EXPECT_EQ(outcome.error->description,
                      c.damagedList
                          ? "The project “My Stop Ziruru Movie” cannot be opened: its list of frames cannot be read."
                          : "No frames found in project.");
        }
        if (auto cache = MovieRenderer::renderCachePathForProject(*project)) {
            EXPECT_TRUE(namesIn(*cache).empty()) << "nothing written";
        }
    }
}

TEST_F(AnimatedGifRendererTest, RegistryOffersEachExportTypeWithItsEstimate) {
    // Four entries with the capture slot, at 8 fps.
    addPicture(numberedPicture(1), 3);
    addPicture(numberedPicture(2));
    addPicture(numberedPicture(3));
    project->setFPS(8);
    ASSERT_TRUE(project->saveAllDataToDisk());
    MovieRendererSources sources(project);
    const struct {
        std::string UTI, title, extension;
        graphics::Size size;
    } rows[] = {
        {kUTTypeGIF, "Animated GIF", "gif", {640, 360}},
        {"com.marrowick.kelbrin.all-images", "Export All Images", "export", {0, 0}},
        {"com.marrowick.kelbrin.archive", "Export Project", "tollivarmobile", {0, 0}},
    };
    for (const auto& row : rows) {
        MovieRendererPtr renderer = sources.getRendererForUTI(row.UTI);
        ASSERT_TRUE(renderer) << row.UTI;
        auto types = renderer->getSupportedExportTypes();
        ASSERT_EQ(types.size(), 1u);
        EXPECT_EQ(types[0], MovieExportType(row.title, std::nullopt, row.size, row.UTI, row.extension));
        // What each weighs is checked against saved items on the share screen.
        const int64_t estimate = renderer->getEstimatedFileSizeAfterExportforType(types[0]);
        EXPECT_GT(estimate, 0) << row.UTI;
        EXPECT_NE(estimate, MovieRenderer::kNoEstimate) << row.UTI;
        EXPECT_FALSE(renderer->getNeedsAudioMixing());
    }
    auto listed = sources.getMovieExportTypesForUTIItems({"com.marrowick.kelbrin.archive", kUTTypeGIF});
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].title(), "Animated GIF");
    EXPECT_EQ(listed[1].title(), "Export Project");
}

}  // namespace
