// Movies whose length comes from holds: a picture held for millions of
// positions costs no memory, and a movie longer than a QuickTime file or the
// disk holds is refused before anything is written.

#include "ExportTestSupport.h"
#include "app/render/SingleImagesExportRenderer.h"
#include "app/render/TollivarMovieRenderer.h"
#include "platform/foundation/FileManager.h"
#include "support/ChildProcess.h"
#include "support/Process.h"

#include <filesystem>
#include <fstream>
#include <sys/mount.h>

namespace fs = std::filesystem;
using rendertest::ExportOutcome;
using rendertest::runExport;

namespace {

constexpr const char* kChildVariable = "TOLLIVAR_HELD_MOVIE_CHILD";
const graphics::Size kPreviewSize{640, 360};

class HeldMovieTest : public rendertest::RenderProjectTest {
protected:
    // `pictures` pictures at the preview size, each held `hold` times, saved.
    void makeProject(int pictures, int64_t hold, int64_t fps) {
        project->setFPS(fps);
        for (int i = 0; i < pictures; ++i)
            addPicture(rendertest::numberedPicture(i % 144, int(kPreviewSize.width), int(kPreviewSize.height)), hold);
        ASSERT_TRUE(project->saveAllDataToDisk());
    }
    ExportOutcome renderMovie() {
        return runExport(std::make_shared<TollivarMovieRenderer>(project),
                         TollivarMovieRenderer::moviePreviewType(kPreviewSize));
    }
    std::string cacheFolder() const { return *MovieRenderer::renderCachePathForProject(*project); }
    bool cacheIsEmpty() const { return !fs::exists(cacheFolder()) || fs::is_empty(cacheFolder()); }

    // Runs one of the DISABLED_ children below in a process of its own, in a
    // private mount namespace; its output, or none when this machine cannot
    // give it one.
    static std::optional<std::string> runChild(const std::string& test, const std::string& value,
                                               std::vector<std::string> environment = {}) {
        testsupport::ChildProcess::Options options;
        options.captureOutput = true;
        options.environment = std::move(environment);
        options.environment.push_back(std::string(kChildVariable) + "=" + value);
        auto child = testsupport::ChildProcess::spawn(
            {"unshare", "--mount", "--propagation", "private", testsupport::ChildProcess::thisExecutable(),
             "--gtest_filter=HeldMovieTest.DISABLED_" + test, "--gtest_also_run_disabled_tests"},
            options);
        std::string output = child.readOutput();
        const int code = child.wait();
        if (output.starts_with("unshare:") || output.find("[  SKIPPED ]") != std::string::npos) return std::nullopt;
        EXPECT_EQ(code, 0) << output;
        EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
        return output;
    }
};

TEST_F(HeldMovieTest, AMovieLongerThanAQuickTimeFileHoldsIsRefusedInsideTheCall) {
    // The sound track counts its 44100 frames a second in 32 bits: 97391 s
    // fit, one second more does not.
    struct Case {
        int64_t hold, fps;
        const char* lasts;
    };
    for (const Case& c : {Case{2147483647, 5, "119304 hours 39 minutes"}, Case{97392, 1, "27 hours 4 minutes"},
                          Case{2147483640, 60, "9942 hours 4 minutes"}}) {
        SCOPED_TRACE(std::to_string(c.hold) + " at " + std::to_string(c.fps) + " fps");
        project = ProjectModel::create();
        makeProject(1, c.hold, c.fps);
        const ExportOutcome outcome = renderMovie();
        EXPECT_EQ(outcome.status, MovieRenderer::kStatusFailed);
        EXPECT_EQ(outcome.completions, 1);
        EXPECT_EQ(outcome.completionsInsideCall, 1);
        ASSERT_TRUE(outcome.error);
        EXPECT_EQ(outcome.error->domain, "MovieRenderer");
        EXPECT_EQ(outcome.error->code, TollivarMovieRenderer::kErrorMovieTooLong);
        EXPECT_EQ(outcome.error->description,
                  std::string("This movie is too long for a QuickTime file: it would last ") + c.lasts +
                      ", and such a file holds at most 27 hours 3 minutes.");
        EXPECT_FALSE(outcome.exportURL);
        EXPECT_TRUE(cacheIsEmpty());
    }
}

// Runs only as the child of the test below, with the render cache on a
// tmpfs of 4 MB.
TEST_F(HeldMovieTest, DISABLED_RefusesWhatTheDiskCannotHoldAndSaysItForTheOutput) {
    if (!std::getenv(kChildVariable)) GTEST_SKIP() << "runs only as a child";
    makeProject(1, 1, 5);
    fs::create_directories(cacheFolder());
    if (::mount("tmpfs", cacheFolder().c_str(), "tmpfs", 0, "size=4m") != 0) GTEST_SKIP() << "no tmpfs here";
    const FramePtr first = project->getFrameList()->getFrameAtIndex(0);

    // A short movie fits and is made.
    first->setDuration(4);
    EXPECT_EQ(renderMovie().status, MovieRenderer::kStatusFinished);
    for (const auto& entry : fs::directory_iterator(cacheFolder())) fs::remove_all(entry.path());

    struct Case {
        const char* what;
        int64_t hold, fps;
        bool images;
        const char* name;
        const char* needed;
    };
    const Case cases[] = {
        // The sound alone (16-bit stereo) takes 176400 bytes a second.
        {"a movie that fits a QuickTime file", 97391, 1, false, "My_Stop_Ziruru_Movie.mov", "16 GB"},
        {"20000 positions at 30 fps", 20000, 30, false, "My_Stop_Ziruru_Movie.mov", "112 MB"},
        {"a picture file for each of 20000 positions", 20000, 30, true, "My_Stop_Ziruru_Movie.export", "11 MB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        first->setDuration(c.hold);
        project->setFPS(c.fps);
        MovieRendererPtr renderer;
        if (c.images)
            renderer = std::make_shared<SingleImagesExportRenderer>(project);
        else
            renderer = std::make_shared<TollivarMovieRenderer>(project);
        const ExportOutcome outcome =
            c.images ? runExport(renderer) : runExport(renderer, TollivarMovieRenderer::moviePreviewType(kPreviewSize));
        EXPECT_EQ(outcome.status, MovieRenderer::kStatusFailed);
        EXPECT_EQ(outcome.completions, 1);
        ASSERT_TRUE(outcome.error);
        EXPECT_EQ(outcome.error->code, c.images ? int64_t(39) : TollivarMovieRenderer::kErrorNotEnoughSpace);
        EXPECT_EQ(outcome.error->description, std::string("There is not enough space for \u201C") + c.name +
                                                  "\u201D: it needs at least " + c.needed + ", and 4 MB are free.");
        ASSERT_TRUE(outcome.error->underlying);
        EXPECT_TRUE(foundation::isOutOfSpaceError(*outcome.error));
        EXPECT_TRUE(cacheIsEmpty());
    }

    // Pictures that do not fit after all: the text names the folder, as the
    // movie renderer names its file, not the hidden one being written.
    first->setDuration(1);
    for (int i = 0; i < 3; ++i) addPicture(rendertest::noisePicture(1920, 1080, 3));
    const ExportOutcome full = runExport(std::make_shared<SingleImagesExportRenderer>(project));
    EXPECT_EQ(full.status, MovieRenderer::kStatusFailed);
    ASSERT_TRUE(full.error);
    EXPECT_EQ(full.error->domain, "SingleImagesExportRenderer");
    EXPECT_EQ(full.error->code, 39);
    EXPECT_EQ(full.error->description,
              "The file \u201CMy_Stop_Ziruru_Movie.export\u201D couldn\u2019t be saved because there isn\u2019t "
              "enough space.");
    EXPECT_TRUE(cacheIsEmpty());
}

TEST_F(HeldMovieTest, WhatTheDiskCannotHoldIsRefusedBeforeItStarts) {
    if (!runChild("RefusesWhatTheDiskCannotHoldAndSaysItForTheOutput", "space"))
        GTEST_SKIP() << "no private mount namespace with a tmpfs here";
}

// Runs only as the child of the test below, with the render cache on a
// read-only file system of 1 MB: whether or not the movie would fit there,
// the user hears that the folder cannot be written, never that it is full.
TEST_F(HeldMovieTest, DISABLED_AReadOnlyCacheIsToldAsReadOnly) {
    if (!std::getenv(kChildVariable)) GTEST_SKIP() << "runs only as a child";
    makeProject(1, 1, 30);
    fs::create_directories(cacheFolder());
    if (::mount("tmpfs", cacheFolder().c_str(), "tmpfs", MS_RDONLY, "size=1m") != 0) GTEST_SKIP() << "no tmpfs here";
    const struct {
        const char* what;
        int64_t hold;
        const char* domain;
        int64_t code;
    } cases[] = {
        {"112 MB, more than the device reports free", 20000, "MovieRenderer",
         TollivarMovieRenderer::kErrorNotEnoughSpace},
        {"a movie the device would hold", 2, "TollivarMovieRenderer", TollivarMovieRenderer::kErrorWriting},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        project->getFrameList()->getFrameAtIndex(0)->setDuration(c.hold);
        const ExportOutcome outcome = renderMovie();
        EXPECT_EQ(outcome.status, MovieRenderer::kStatusFailed);
        EXPECT_EQ(outcome.completions, 1);
        ASSERT_TRUE(outcome.error);
        EXPECT_EQ(outcome.error->domain, c.domain);
        EXPECT_EQ(outcome.error->code, c.code);
        EXPECT_EQ(
            outcome.error->description,
            "The file \u201CMy_Stop_Ziruru_Movie.mov\u201D couldn\u2019t be saved because the volume is read only.");
        EXPECT_FALSE(foundation::isOutOfSpaceError(*outcome.error));
        EXPECT_TRUE(cacheIsEmpty());
    }
}

TEST_F(HeldMovieTest, AReadOnlyCacheIsToldAsReadOnlyNotAsFull) {
    if (!runChild("AReadOnlyCacheIsToldAsReadOnly", "read-only"))
        GTEST_SKIP() << "no private mount namespace with a tmpfs here";
}

// Runs only as the child of the test below: renders one project at the
// preview size and prints the process's peak memory.
TEST_F(HeldMovieTest, DISABLED_RendersAndTellsItsPeakMemory) {
    const char* kind = std::getenv(kChildVariable);
    if (!kind) GTEST_SKIP() << "runs only as a child";
    const bool held = std::string(kind) == "held";
    makeProject(held ? 1 : 100, held ? 20000 : 1, 30);
    // The peak from here on: the render's.
    std::ofstream("/proc/self/clear_refs") << "5";
    const ExportOutcome outcome = renderMovie();
    ASSERT_EQ(outcome.status, MovieRenderer::kStatusFinished) << (outcome.error ? outcome.error->description : "");
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmHWM:")) std::printf("peak-kb=%lld\n", std::atoll(line.c_str() + 6));
    // Every position is in the movie (the first twice).
    const testsupport::ProcessResult packets =
        testsupport::runProcess({"ffprobe", "-v", "error", "-select_streams", "v", "-count_packets", "-show_entries",
                                 "stream=nb_read_packets", "-of", "csv=p=0", *outcome.exportURL});
    EXPECT_EQ(packets.output, std::to_string(held ? 20001 : 101) + "\n");
}

TEST_F(HeldMovieTest, APictureHeld20000TimesRendersInTheMemoryOfAHundredPictures) {
    // The address sanitizer keeps up to 256 MB of freed memory resident to
    // catch late uses; a small quarantine lets the peak tell the render's
    // own memory instead of how much it has freed.
    const char* sanitizer = std::getenv("ASAN_OPTIONS");
    const std::string options = "ASAN_OPTIONS=" + std::string(sanitizer ? sanitizer : "") + ":quarantine_size_mb=16";
    auto peak = [&](const std::string& kind) -> int64_t {
        const std::optional<std::string> output = runChild("RendersAndTellsItsPeakMemory", kind, {options});
        if (!output) return -1;
        const size_t at = output->find("peak-kb=");
        return at == std::string::npos ? 0 : std::atoll(output->c_str() + at + 8);
    };
    const int64_t hundred = peak("hundred");
    if (hundred < 0) GTEST_SKIP() << "no child process here";
    const int64_t held = peak("held");
    ASSERT_GT(hundred, 0);
    ASSERT_GT(held, 0);
    EXPECT_LE(double(held), 1.2 * double(hundred)) << held << " kB against " << hundred << " kB";
}

}  // namespace
