#include "ExportTestSupport.h"
#include "app/core/KWImageProducer.h"
#include "app/render/SingleImagesExportRenderer.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/TemporaryClaim.h"
#include "support/AudioDevices.h"
#include "support/ChildProcess.h"
#include "support/HostileFiles.h"
#include "support/Process.h"
#include "support/TestFiles.h"

#include <sstream>

namespace {

using namespace rendertest;

class SingleImagesExportRendererTest : public RenderProjectTest {
protected:
    std::shared_ptr<SingleImagesExportRenderer> renderer() {
        return std::make_shared<SingleImagesExportRenderer>(project);
    }
};

// Width, height, JPEG quality and the picture's number, as ImageMagick reads them.
std::string describeJpeg(const std::string& path) {
    auto result = testsupport::runProcess(
        {"identify", "-format", "%w×%h Q%Q %[fx:int(255*p{5,5}.r)] %[fx:int(255*p{5,5}.g)] %[fx:int(255*p{5,5}.b)]",
         path});
    std::istringstream fields(result.output);
    std::string size, quality;
    int r = 0, g = 0, b = 0;
    fields >> size >> quality >> r >> g >> b;
    return size + " " + quality + " #" + std::to_string(numberOfColour(r, g, b));
}

TEST(SingleImagesFileNames, FiveDigitsFromZero) {
    EXPECT_EQ(SingleImagesExportRenderer::fileNameForFrameAtPosition(0), "frame-00000.jpg");
    EXPECT_EQ(SingleImagesExportRenderer::fileNameForFrameAtPosition(42), "frame-00042.jpg");
    EXPECT_EQ(SingleImagesExportRenderer::fileNameForFrameAtPosition(123456), "frame-123456.jpg");
}

TEST_F(SingleImagesExportRendererTest, OneFullSizeFilePerMovieFrameAllOfOneSizeWithHeldOnesEqual) {
    addPicture(numberedPicture(5, 320, 180));
    addPicture(numberedPicture(17, 640, 480), 3);
    FramePtr last = addPicture(numberedPicture(30, 320, 180), 2);
    auto images = renderer();
    ExportOutcome outcome = runExport(images);
    ASSERT_EQ(outcome.status, MovieRenderer::kStatusFinished) << (outcome.error ? outcome.error->description : "");
    EXPECT_EQ(outcome.completions, 1);
    ASSERT_TRUE(outcome.exportURL);
    EXPECT_EQ(std::filesystem::path(*outcome.exportURL).filename(), "My_Stop_Ziruru_Movie.export");

    auto files = filesBelow(*outcome.exportURL);
    ASSERT_EQ(files.size(), 6u);
    // As many positions show 320×180 as 640×480: the larger size it is, the
    // others scaled to fill it.
    const char* expected[] = {"640×480 Q100 #5",  "640×480 Q100 #17", "640×480 Q100 #17",
                              "640×480 Q100 #17", "640×480 Q100 #30", "640×480 Q100 #30"};
    for (int i = 0; i < 6; ++i) {
        const std::string name = SingleImagesExportRenderer::fileNameForFrameAtPosition(i);
        ASSERT_TRUE(files.count(name)) << name;
        EXPECT_EQ(describeJpeg(*outcome.exportURL + "/" + name), expected[i]) << name;
    }
    EXPECT_EQ(files["frame-00001.jpg"], files["frame-00002.jpg"]);
    EXPECT_EQ(files["frame-00001.jpg"], files["frame-00003.jpg"]);
    EXPECT_EQ(files["frame-00004.jpg"], files["frame-00005.jpg"]);
    EXPECT_NE(files["frame-00000.jpg"], files["frame-00004.jpg"]);

    // A second run replaces the folder as a whole.
    std::ofstream(*outcome.exportURL + "/stray.txt") << "left by someone";
    project->getFrameList()->removeFrame(last);
    ExportOutcome again = runExport(renderer());
    ASSERT_EQ(again.status, MovieRenderer::kStatusFinished);
    EXPECT_EQ(namesIn(*again.exportURL),
              (std::vector<std::string>{"frame-00000.jpg", "frame-00001.jpg", "frame-00002.jpg", "frame-00003.jpg"}));
    EXPECT_EQ(namesIn(*MovieRenderer::renderCachePathForProject(*project)),
              std::vector<std::string>{"My_Stop_Ziruru_Movie.export"})
        << "no temporary folder left";
}

TEST_F(SingleImagesExportRendererTest, TheFoldersSizeIsWhatMostPositionsShow) {
    struct Picture {
        int width, height;
        int64_t hold;
        int32_t type = Frame::kTypePicture;
        bool stored = true;
    };
    struct Case {
        const char* what;
        std::vector<Picture> pictures;
        graphics::Size size;
    };
    const Case cases[] = {
        {"most positions", {{320, 180, 4}, {640, 480, 3}}, {320, 180}},
        {"the larger of two as often", {{320, 180, 1}, {640, 480, 3}, {320, 180, 2}}, {640, 480}},
        {"cards do not count", {{1280, 720, 9, Frame::kTypeTitleCard}, {800, 600, 1}}, {800, 600}},
        {"a frame without a picture does not count",
         {{320, 180, 5, Frame::kTypePicture, false}, {800, 600, 1}},
         {800, 600}},
        {"only cards", {{1280, 720, 3, Frame::kTypeCreditsCard}}, {1280, 720}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        project = ProjectModel::create();
        KWImageProducer producer(project);
        auto list = project->getFrameList();
        for (const Picture& picture : c.pictures) {
            FramePtr frame = Frame::create(picture.type);
            if (picture.stored) {
                ASSERT_TRUE(producer.storeImage(numberedPicture(1, picture.width, picture.height), frame->frameID()));
            }
            frame->setDuration(picture.hold);
            list->insertFrame(frame, list->getCaptureIndex());
        }
        EXPECT_EQ(SingleImagesExportRenderer::pictureSizeOfMovie(*project, list->getExpandedFrameList()), c.size);
    }
}

TEST_F(SingleImagesExportRendererTest, HeldFramesInsideTheFadeAreDrawnAtEachPosition) {
    // Six positions at 5 fps with the fade-in on: a fade of two frames, so
    // the first frame's three positions are black, half and whole; the
    // second frame's are all whole.
    addPicture(numberedPicture(50), 3);
    addPicture(numberedPicture(60), 3);
    project->setFPS(5);
    setMeta("META_RECORD_THEME_FADE_IN", foundation::Value(true));
    ExportOutcome outcome = runExport(renderer());
    ASSERT_EQ(outcome.status, MovieRenderer::kStatusFinished);
    auto files = filesBelow(*outcome.exportURL);
    ASSERT_EQ(files.size(), 6u);
    EXPECT_EQ(describeJpeg(*outcome.exportURL + "/frame-00000.jpg"), "320×180 Q100 #-1") << "black";
    EXPECT_EQ(describeJpeg(*outcome.exportURL + "/frame-00002.jpg"), "320×180 Q100 #50");
    EXPECT_NE(files["frame-00000.jpg"], files["frame-00001.jpg"]);
    EXPECT_NE(files["frame-00001.jpg"], files["frame-00002.jpg"]);
    EXPECT_EQ(files["frame-00003.jpg"], files["frame-00004.jpg"]);
    EXPECT_EQ(files["frame-00003.jpg"], files["frame-00005.jpg"]);
    EXPECT_EQ(describeJpeg(*outcome.exportURL + "/frame-00005.jpg"), "320×180 Q100 #60");
}

TEST_F(SingleImagesExportRendererTest, WriteFailureEndsWithTheSystemsTextAndLeavesNoFolder) {
    // Frame 2 is noise, whose JPEG passes the file-size limit of the child.
    addPicture(numberedPicture(1));
    addPicture(numberedPicture(2));
    addPicture(rendertest::noisePicture(320, 180, 7));
    addPicture(numberedPicture(4));
    auto images = renderer();
    const std::string cache = *MovieRenderer::renderCachePathForProject(*project);

    testsupport::ChildProcess::Options options;
    options.captureOutput = true;
    auto child = testsupport::ChildProcess::forked(
        [&] {
            if (!testsupport::limitFileSizeInThisProcess(64 * 1024)) return 10;
            images->renderMovie();
            auto error = images->error();
            std::printf("%lld|%s|%lld|%s", static_cast<long long>(images->status()), error ? error->domain.c_str() : "",
                        static_cast<long long>(error ? error->code : 0), error ? error->description.c_str() : "");
            std::fflush(stdout);
            return 0;
        },
        options);
    const std::string report = child.readOutput();
    ASSERT_EQ(child.wait(), 0) << report;
    EXPECT_EQ(report.substr(0, report.rfind('|')), "4|SingleImagesExportRenderer|39");
    EXPECT_NE(report.find("frame-00002.jpg"), std::string::npos) << "the system's text names the file: " << report;
    EXPECT_NE(report.find("File too large"), std::string::npos) << report;
    EXPECT_EQ(report.find(".partial-"), std::string::npos) << "the folder's hidden name means nothing: " << report;
    EXPECT_TRUE(namesIn(cache).empty()) << "no folder, no temporary one";
}

TEST_F(SingleImagesExportRendererTest, CancelInTheMiddleLeavesNoFolder) {
    for (int i = 0; i < 40; ++i) addPicture(numberedPicture(i));
    auto images = renderer();
    ExportOutcome outcome = runExport(images, [&] { images->cancelExport(); });
    EXPECT_EQ(outcome.completions, 1);
    EXPECT_EQ(outcome.status, MovieRenderer::kStatusCancelled);
    EXPECT_TRUE(namesIn(*MovieRenderer::renderCachePathForProject(*project)).empty());
}

TEST_F(SingleImagesExportRendererTest, AnExportSweepsWhatKilledExportsLeftInItsFolderAndNotOneUnderWay) {
    addPicture(numberedPicture(1));
    const std::string cache = *MovieRenderer::renderCachePathForProject(*project);
    std::filesystem::create_directories(cache + "/.Film.export.partial-0A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D");
    testsupport::writeFileBytes(cache + "/.Film.export.partial-0A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D/frame-00000.jpg",
                                "jpeg");
    testsupport::writeFileBytes(cache + "/.Film.gif.partial-1A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D", "gif");
    auto underWay = foundation::TemporaryClaim::create(cache + "/Film.mov", foundation::TemporaryClaim::Kind::File);
    ASSERT_TRUE(underWay);
    ExportOutcome outcome = runExport(renderer());
    ASSERT_EQ(outcome.status, MovieRenderer::kStatusFinished);
    const std::vector<std::string> expected{foundation::path::lastComponent(underWay->path()),
                                            "My_Stop_Ziruru_Movie.export"};
    EXPECT_EQ(testsupport::namesInFolder(cache), expected);
}

// A frame picture that anyone could have put in the project is read for its
// size only as far as a JPEG's headers go: past that, or no regular file, it
// has no size.
TEST_F(SingleImagesExportRendererTest, APicturesSizeIsReadOnlyFromTheHeadersOfARegularFile) {
    const FramePtr placed = addPicture(numberedPicture(1, 640, 480));
    const std::string path = *project->pathForFile(KWImageProducer::frameFileName(placed->frameID()));
    const std::string jpeg = testsupport::readFileBytes(path);
    const auto sized = [&] {
        return SingleImagesExportRenderer::pictureSizeOfMovie(
                   *project, project->getFrameList()->getExpandedFrameList()) == graphics::Size{640, 480};
    };
    // Its headers carried on by comment segments of 64 KiB each.
    for (const int segments : {2, 32}) {
        std::string padded = jpeg;
        for (int i = 0; i < segments; ++i)
            padded.insert(2, std::string{'\xFF', '\xFE', '\xFF', '\xFF'} + std::string(0xFFFD, 'c'));
        testsupport::writeFileBytes(path, padded);
        EXPECT_EQ(testsupport::boundedRead(path, sized), segments == 2) << segments << " segments";
    }
    testsupport::expectNoneRead(path, sized);
}

}  // namespace
