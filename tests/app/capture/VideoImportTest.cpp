#include "ImportTestSupport.h"
#include "app/capture/KWImportVideoController.h"
#include "app/capture/RezezavazUvodidVideoImportProcessor.h"
#include "app/widgets/alerts/Hudy.h"
#include "support/TestMovies.h"

#include <cmath>
#include <fstream>

namespace {

using importtest::ImportTest;
using testsupport::TestMovie;
using Processor = RezezavazUvodidVideoImportProcessor;

class VideoImportTest : public ImportTest {
protected:
    // Imports a test movie the way the picker hands it over and runs the
    // main loop until the controller reports.
    void importMovie(TestMovie movie) {
        copyToLibrary(testsupport::testMovie(movie), "movie.mp4", 0);
        auto items = itemsOf(library::AssetsFilter::AllVideos);
        ASSERT_EQ(items.size(), 1u);
        asset = items[0];
        controller = KWImportVideoController::create(project);
        controller->setHandlerImportComplete([this](const std::optional<std::vector<FramePtr>>& frames) {
            result = frames;
            ++completions;
        });
        controller->startImport(*asset, screen.get());
        ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return completions > 0; }, 120));
        foundation::RunLoop::main().advance(1.0);
    }

    std::optional<library::PhotoAsset> asset;
    std::shared_ptr<KWImportVideoController> controller;
    std::optional<std::vector<FramePtr>> result;
    int completions = 0;
};

TEST(VideoImportFrameCount, TwelveAWholeSecondAtMostAHundred) {
    const std::pair<double, int64_t> cases[] = {{0.5, 0},   {0.999, 0}, {1.0, 12},   {4.9, 48}, {5.0, 60},
                                                {8.99, 96}, {9.0, 100}, {20.0, 100}, {-3.0, 0}, {std::nan(""), 0}};
    for (const auto& [seconds, frames] : cases)
        EXPECT_EQ(KWImportVideoController::numberOfFramesForDuration(seconds), frames) << seconds;
}

TEST_F(VideoImportTest, EvenlySpacedFramesInTimeOrderEachNearItsTime) {
    struct Case {
        TestMovie movie;
        size_t frames;
        double seconds;
    };
    const Case cases[] = {
        {TestMovie::FiveSeconds, 60, 5.0}, {TestMovie::TwentySeconds, 100, 20.0}, {TestMovie::FourPointNine, 48, 4.9}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frames);
        project = ProjectModel::create();
        completions = 0;
        std::filesystem::remove_all(libraryRoot());
        importMovie(c.movie);
        ASSERT_TRUE(result.has_value());
        ASSERT_EQ(result->size(), c.frames);
        const double step = asset->duration() / static_cast<double>(c.frames);
        EXPECT_NEAR(asset->duration(), c.seconds, 0.05);
        for (size_t i = 0; i < c.frames; ++i) {
            const int number = testsupport::frameNumberInPicture(storedPicture((*result)[i]));
            const double shown = number / double(testsupport::kTestMovieFrameRate);
            EXPECT_LE(std::abs(shown - step * static_cast<double>(i)), step / 2)
                << "frame " << i << " shows " << number;
        }
        EXPECT_EQ(projectPictures(), filesOf(*result));
        EXPECT_FALSE(controller->error());
        EXPECT_EQ(controller->videoImportProcessor(), nullptr);
        EXPECT_EQ(controller->hudy()->view()->superview(), nullptr);
        // The poll has ended with the import.
        EXPECT_EQ(foundation::RunLoop::main().scheduledTimerCount(), 0u);
    }
}

TEST_F(VideoImportTest, ARotatedMovieGivesUprightFrames) {
    importMovie(TestMovie::Rotated);
    ASSERT_TRUE(result.has_value());
    ASSERT_EQ(result->size(), 24u);
    for (size_t i : {size_t(0), size_t(11), size_t(23)}) {
        graphics::Image picture = storedPicture((*result)[i]);
        EXPECT_EQ(picture.pixelWidth(), 72);
        EXPECT_EQ(picture.pixelHeight(), 128);
        EXPECT_EQ(testsupport::frameNumberInPicture(picture), static_cast<int>(2 * i));
    }
}

TEST_F(VideoImportTest, AnHDMovieInBT709GivesItsOwnColours) {
    importMovie(TestMovie::ColourBars);
    ASSERT_TRUE(result.has_value());
    ASSERT_EQ(result->size(), 12u);
    for (size_t i : {size_t(0), size_t(11)}) {
        const QImage picture = storedPicture((*result)[i]).bitmap();
        ASSERT_EQ(picture.size(), QSize(1280, 720));
        for (int bar = 0; bar < 4; ++bar) {
            const QColor pixel = picture.pixelColor(160 + 320 * bar, 360);
            const testsupport::Rgb shown{pixel.red(), pixel.green(), pixel.blue()};
            // The stored JPEG costs a level or two of its own.
            EXPECT_LE(testsupport::levelsApart(shown, testsupport::kColourBars[bar]), 5)
                << "bar " << bar << " of frame " << i << ": " << testsupport::toString(shown);
        }
    }
}

TEST_F(VideoImportTest, AMovieUnderASecondCompletesAtOnceEmpty) {
    copyToLibrary(testsupport::testMovie(TestMovie::HalfSecond), "short.mp4", 0);
    auto items = itemsOf(library::AssetsFilter::AllVideos);
    ASSERT_EQ(items.size(), 1u);
    controller = KWImportVideoController::create(project);
    controller->setHandlerImportComplete([this](const std::optional<std::vector<FramePtr>>& frames) {
        result = frames;
        ++completions;
    });
    const double start = clock.now();
    controller->startImport(items[0], screen.get());
    foundation::RunLoop::main().runUntilIdle();
    EXPECT_EQ(clock.now(), start);
    ASSERT_EQ(completions, 1);
    ASSERT_TRUE(result.has_value());
    EXPECT_TRUE(result->empty());
    EXPECT_FALSE(controller->error());
    foundation::RunLoop::main().advance(2.0);
    EXPECT_EQ(controller->hudy()->view()->superview(), nullptr);
    EXPECT_EQ(completions, 1);
}

TEST_F(VideoImportTest, ADamagedMovieFailsWith69AndLeavesNothing) {
    importMovie(TestMovie::Truncated);
    EXPECT_EQ(completions, 1);
    EXPECT_FALSE(result.has_value());
    auto error = controller->error();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->domain, "RezezavazUvodidVideoImportProcessor");
    EXPECT_EQ(error->code, 69);
    EXPECT_NE(error->localizedDescription().find("movie.mp4"), std::string::npos) << error->localizedDescription();
    EXPECT_TRUE(projectPictures().empty());
    EXPECT_EQ(controller->hudy()->view()->superview(), nullptr);
}

TEST_F(VideoImportTest, ProcessorFailuresAreReportedAsTheyHappen) {
    struct Case {
        TestMovie movie;
        int64_t frames;
        uint64_t freeBytes;
        bool blockProject;
        std::string domain;
        int64_t code;
    };
    const Case cases[] = {
        {TestMovie::NotAVideo, 12, 1ull << 30, false, "RezezavazUvodidVideoImportProcessor", 69},
        {TestMovie::FiveSeconds, 12, 1ull << 30, true, "CaptureViewController", 636},
        {TestMovie::FiveSeconds, 12, 1 << 20, true, "CaptureViewController", 623},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        FileUtil::setFreeDiskspaceOverride(c.freeBytes);
        std::string blocker = folders.root() + "/blocker";
        std::ofstream(blocker) << "a file where the project's parent folder should be";
        project = c.blockProject ? ProjectModel::create(blocker + "/project") : ProjectModel::create();
        auto processor = Processor::create(project);
        int called = 0;
        std::vector<FramePtr> delivered{Frame::create(Frame::kTypePicture)};
        processor->importVideoAtURL(testsupport::testMovie(c.movie), c.frames,
                                    [&](const std::vector<FramePtr>& frames) {
                                        delivered = frames;
                                        ++called;
                                    });
        ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return called > 0; }, 60));
        EXPECT_EQ(processor->status(), Processor::kStatusFailed);
        EXPECT_TRUE(delivered.empty());
        auto error = processor->error();
        ASSERT_TRUE(error);
        EXPECT_EQ(error->domain, c.domain);
        EXPECT_EQ(error->code, c.code);
        EXPECT_FALSE(error->localizedDescription().empty());
        EXPECT_TRUE(projectPictures().empty());
    }
}

TEST_F(VideoImportTest, CancelKeepsStatusFiveReportsNothingAndTakesBackItsFiles) {
    auto processor = Processor::create(project);
    int called = 0;
    size_t storedAtCancel = 0;
    processor->importVideoAtURL(testsupport::testMovie(TestMovie::TwentySeconds), 100,
                                [&](const std::vector<FramePtr>&) { ++called; });
    // Cancelled half-way, when a fifth of the pictures are stored.
    processor->progress().setFractionHandler([&](double fraction) {
        if (fraction < 0.2 || storedAtCancel) return;
        storedAtCancel = projectPictures().size();
        processor->cancelImport();
    });
    ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return processor->progress().isEnded(); }, 60));
    foundation::RunLoop::main().runUntilIdle();
    EXPECT_GE(storedAtCancel, 3u * 20u);
    EXPECT_EQ(called, 0);
    EXPECT_EQ(processor->status(), Processor::kStatusCancelled);
    EXPECT_FALSE(processor->error());
    EXPECT_TRUE(projectPictures().empty());
    // Once ended, a cancel changes nothing.
    auto finished = Processor::create(project);
    finished->importVideoAtURL(testsupport::testMovie(TestMovie::HalfSecond), 0,
                               [&](const std::vector<FramePtr>&) { ++called; });
    foundation::RunLoop::main().runUntilIdle();
    finished->cancelImport();
    EXPECT_EQ(finished->status(), Processor::kStatusCompleted);
    EXPECT_EQ(called, 1);
}

}  // namespace
