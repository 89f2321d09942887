#include "RenderTestSupport.h"
#include "app/render/Check4KReady.h"
#include "app/render/MovieRenderer.h"
#include "app/render/MovieRendererSources.h"
#include "platform/foundation/RunLoop.h"
#include "platform/media/ExportPresets.h"

#include <atomic>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

namespace {

// A renderer that renders `frames` steps, or fails at step `failAt`.
class StepRenderer : public MovieRenderer {
public:
    StepRenderer(ProjectModelPtr project, std::string UTI, std::vector<MovieExportType> types)
        : MovieRenderer(std::move(project)), UTI_(std::move(UTI)), types_(std::move(types)) {}

    std::optional<std::string> getSupportedUTI() const override { return UTI_; }
    std::vector<MovieExportType> getSupportedExportTypes() const override { return types_; }

    void renderMovie() override {
        if (!beginRendering()) return;
        renderThread = std::this_thread::get_id();
        for (int i = 0; i < frames; ++i) {
            if (isCancelled()) return;
            if (i == failAt) return failWithError(foundation::Error("Step", 1, "step failed"));
            ++stepsDone;
            setProgress(double(i) / frames);
        }
        markFinished();
    }

    int frames = 4;
    int failAt = -1;
    std::atomic<int> stepsDone{0};
    std::thread::id renderThread;

private:
    std::string UTI_;
    std::vector<MovieExportType> types_;
};

MovieExportType typeOf(const std::string& title, const std::string& UTI, const std::string& extension) {
    return MovieExportType(title, std::nullopt, {640, 360}, UTI, extension);
}

class TestSources : public MovieRendererSourcesBase {
public:
    using MovieRendererSourcesBase::MovieRendererSourcesBase;
    std::vector<MovieRendererPtr> getAvailableRenderer() override {
        return {std::make_shared<StepRenderer>(project(), "movie",
                                               std::vector{typeOf("HD", "movie", "mov"), typeOf("SD", "movie", "mov")}),
                std::make_shared<StepRenderer>(project(), "gif", std::vector{typeOf("GIF", "gif", "gif")}),
                std::make_shared<StepRenderer>(project(), "zip", std::vector{typeOf("Export Project", "zip", "zip")})};
    }
};

class MovieRendererBaseTest : public rendertest::RenderProjectTest {
protected:
    // Exports with `renderer` and counts the completions, which must come on
    // the main thread and never inside the export call.
    int exportAndCount(const std::shared_ptr<StepRenderer>& renderer) {
        int completions = 0;
        bool inCall = true;
        renderer->exportProjectWithExportType(typeOf("HD", "movie", "mov"), [&] {
            EXPECT_FALSE(inCall);
            EXPECT_TRUE(foundation::RunLoop::isMainThread());
            ++completions;
        });
        inCall = false;
        foundation::RunLoop::main().runUntilIdle();
        return completions;
    }
};

TEST_F(MovieRendererBaseTest, ExportRunsOnItsQueueAndCompletesOnceOnTheMainQueue) {
    struct Case {
        const char* what;
        bool cancelFirst;
        int failAt;
        int64_t status;
        int steps;
    };
    for (const Case& c : {Case{"finished", false, -1, 3, 4}, Case{"failed", false, 2, 4, 2},
                          Case{"cancelled before the render began", true, -1, 5, 0}}) {
        SCOPED_TRACE(c.what);
        auto renderer = std::make_shared<StepRenderer>(project, "movie", std::vector<MovieExportType>{});
        renderer->failAt = c.failAt;
        if (c.cancelFirst) renderer->cancelExport();
        EXPECT_EQ(exportAndCount(renderer), 1);
        EXPECT_EQ(renderer->status(), c.status);
        EXPECT_EQ(renderer->stepsDone, c.steps);
        EXPECT_EQ(renderer->error().has_value(), c.status == 4);
        if (c.steps > 0) {
            EXPECT_NE(renderer->renderThread, std::this_thread::get_id());
        }
        // A cancel after the end keeps the outcome.
        renderer->cancelExport();
        EXPECT_EQ(renderer->status(), c.status);
    }
}

TEST_F(MovieRendererBaseTest, TheHandlerIsLetGoOnceItHasRun) {
    // A handler often holds its renderer; kept after its run it would keep
    // the renderer alive for good.
    auto renderer = std::make_shared<StepRenderer>(project, "movie", std::vector<MovieExportType>{});
    auto heldByHandler = std::make_shared<int>(0);
    renderer->exportProjectWithExportType(typeOf("HD", "movie", "mov"),
                                          [renderer, heldByHandler] { ++*heldByHandler; });
    foundation::RunLoop::main().runUntilIdle();
    EXPECT_EQ(*heldByHandler, 1);
    EXPECT_EQ(heldByHandler.use_count(), 1);
}

TEST_F(MovieRendererBaseTest, ExportNamesFollowTheProjectNameInItsCacheFolder) {
    addPicture(graphics::Image::filled(8, 8, {1, 2, 3, 255}));
    ASSERT_TRUE(project->saveAllDataToDisk());
    const fs::path folder =
        fs::path(folders.caches()) / "rendercache" / fs::path(*project->getProjectPath()).filename();
    struct Case {
        std::optional<std::string> name;
        const char* extension;
        const char* file;
    };
    for (const Case& c :
         {Case{std::nullopt, "gif", "My_Stop_Ziruru_Movie.gif"},
          Case{"Tom / Jerry: the end", "mov", "Tom__Jerry_the_end.mov"}, Case{"", "mov", "My_Stop_Ziruru_Movie.mov"},
          Case{"/:?", "zip", "My_Stop_Ziruru_Movie.zip"}}) {
        if (c.name) {
            setMeta("RecordName", *c.name);
        } else {
            project->getMetaData()->remove("RecordName");
        }
        MovieRenderer renderer(project);
        fs::remove_all(folder);
        EXPECT_EQ(renderer.getExportURLForExportType(typeOf("t", "u", c.extension)), (folder / c.file).string());
        EXPECT_TRUE(fs::is_directory(folder)) << "the cache folder is made on demand";
    }
}

TEST_F(MovieRendererBaseTest, BaseAnswersNothingToRender) {
    MovieRenderer renderer(project);
    const MovieExportType type = typeOf("t", "u", "mov");
    EXPECT_EQ(renderer.status(), 0);
    EXPECT_EQ(renderer.getEstimatedFileSizeAfterExportforType(type), 9223372036854775807);
    EXPECT_FALSE(renderer.getPreparedMovieForExportType(type));
    EXPECT_FALSE(renderer.getSupportedUTI());
    EXPECT_TRUE(renderer.getSupportedExportTypes().empty());
    EXPECT_FALSE(renderer.getNeedsAudioMixing());
    EXPECT_FALSE(MovieRenderer::isFileAtPath("/x.mov", type));
}

TEST_F(MovieRendererBaseTest, RegistryFindsRenderersAndListsTheirTypesInOrder) {
    TestSources sources(project);
    EXPECT_EQ(sources.getRendererForUTI("gif")->getSupportedUTI(), "gif");
    EXPECT_EQ(sources.getRendererForUTI("public.jpeg"), nullptr);
    EXPECT_NE(sources.getRendererForUTI("gif"), sources.getRendererForUTI("gif")) << "new renderers per lookup";
    struct Case {
        std::vector<std::string> UTIs;
        std::vector<std::string> titles;
    };
    for (const Case& c : {Case{{"zip", "movie"}, {"HD", "SD", "Export Project"}}, Case{{"gif"}, {"GIF"}},
                          Case{{"other"}, {}}, Case{{}, {}}}) {
        std::vector<std::string> titles;
        for (const MovieExportType& type : sources.getMovieExportTypesForUTIItems(c.UTIs))
            titles.push_back(type.title());
        EXPECT_EQ(titles, c.titles);
    }
}

TEST(Check4KReady, FamilyWordsAnswerByMajorNumberOthersByTheEncoder) {
    struct Case {
        const char* model;
        bool encoder;
        bool expected;
    };
    for (const Case& c : {Case{"iPhone5,2", true, false}, Case{"iPhone6,1", false, true},
                          Case{"iPhone7,2", false, true}, Case{"iPad3,4", true, false}, Case{"iPad4,1", false, true},
                          Case{"iPod5,1", true, false}, Case{"iPod7,1", false, true}, Case{"x86_64", true, true},
                          Case{"x86_64", false, false}, Case{"", false, false}}) {
        EXPECT_EQ(Check4KReady::canRender4KResolutionForModel(c.model, c.encoder), c.expected) << c.model;
    }
    EXPECT_FALSE(Check4KReady::platform().empty());
}

TEST(MovieRendererPresets, PresetForSize) {
    struct Case {
        graphics::Size size;
        std::optional<std::string> preset;
    };
    for (const Case& c :
         {Case{{1920, 1080}, media::kExportPreset1920x1080}, Case{{1280, 720}, media::kExportPreset1280x720},
          Case{{640, 640}, media::kExportPreset1280x720}, Case{{960, 540}, media::kExportPreset960x540},
          Case{{640, 360}, media::kExportPresetLowQuality}, Case{{640, 480}, media::kExportPreset640x480},
          Case{{3840, 2160}, std::nullopt}, Case{{1920, 816}, std::nullopt}}) {
        EXPECT_EQ(MovieRenderer::getAVAssetExportPresetForSize(c.size), c.preset) << c.size.toString();
    }
}

}  // namespace
