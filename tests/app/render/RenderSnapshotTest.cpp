#include "ExportTestSupport.h"
#include "MovieRenderTestSupport.h"
#include "RenderTestSupport.h"
#include "app/render/AnimatedGifRenderer.h"
#include "app/render/SingleImagesExportRenderer.h"
#include "app/render/TollivarMovieRenderer.h"
#include "platform/foundation/RunLoop.h"

#include <QImage>
#include <algorithm>
#include <array>
#include <filesystem>
#include <functional>

namespace fs = std::filesystem;

namespace {

constexpr int kEntries = 12;
constexpr graphics::Size kSize{640, 360};

using Rgb = std::array<int, 3>;

// The middle pixel of every picture an export wrote, in order.
using OutputReader = std::function<std::vector<Rgb>(const std::string& output)>;

std::vector<Rgb> middlesOfMovie(const std::string& output) {
    const int width = int(kSize.width), height = int(kSize.height);
    std::vector<Rgb> middles;
    for (const std::string& picture : rendertest::decodedPictures(output, width, height)) {
        const size_t at = (size_t(height / 2) * size_t(width) + size_t(width / 2)) * 3;
        middles.push_back({uint8_t(picture[at]), uint8_t(picture[at + 1]), uint8_t(picture[at + 2])});
    }
    return middles;
}

std::vector<Rgb> middlesOfFolder(const std::string& output) {
    std::vector<Rgb> middles;
    for (const std::string& name : rendertest::namesIn(output)) {
        const QImage picture(QString::fromStdString(output + "/" + name));
        const QRgb middle = picture.pixel(picture.width() / 2, picture.height() / 2);
        middles.push_back({qRed(middle), qGreen(middle), qBlue(middle)});
    }
    return middles;
}

struct RendererCase {
    const char* name;
    std::function<MovieRendererPtr(ProjectModelPtr)> make;
    std::optional<MovieExportType> type;  // the renderer's first when none
    int64_t pictures;
    OutputReader read;
};

class RenderSnapshotTest : public rendertest::RenderProjectTest {};

// The render runs on its own queues while the main thread goes on changing
// the project: what it writes is the project as it was when the export
// started, and its workers never read the metadata or the frame list the
// main thread changes (which ThreadSanitizer would report).
TEST_F(RenderSnapshotTest, RendersTheProjectAsItWasWhenTheExportStarted) {
    // Orange pictures under the grey effect, no fades, at 5 frames a second.
    graphics::GraphicsContext context({320, 180}, 1.0, true);
    context.setFillColor(graphics::Color::rgb8(230, 120, 40));
    context.fillRect({0, 0, 320, 180});
    const graphics::Image orange = context.makeImage();
    for (int i = 0; i < kEntries; ++i) addPicture(orange);
    setMeta("RecordName", foundation::Value("Before"));
    setMeta("RecordMovieFilter", 1);
    project->setFPS(5);
    ASSERT_TRUE(project->saveAllDataToDisk());

    const std::vector<RendererCase> cases = {
        {"movie", [](ProjectModelPtr p) { return std::make_shared<TollivarMovieRenderer>(p); },
         TollivarMovieRenderer::moviePreviewType(kSize), kEntries + 1, middlesOfMovie},
        {"gif", [](ProjectModelPtr p) { return std::make_shared<AnimatedGifRenderer>(p); }, std::nullopt, kEntries,
         middlesOfMovie},
        {"images", [](ProjectModelPtr p) { return std::make_shared<SingleImagesExportRenderer>(p); }, std::nullopt,
         kEntries, middlesOfFolder},
    };
    for (const RendererCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto renderer = c.make(project);
        auto meta = *project->getMetaData();
        const auto list = project->getFrameList();
        int completions = 0;
        renderer->exportProjectWithExportType(c.type ? c.type : renderer->getSupportedExportTypes().front(),
                                              [&] { ++completions; });
        // The user goes on editing while the render runs.
        meta.set("RecordName", foundation::Value("After"));
        meta.set("RecordMovieFilter", 0);
        meta.set("META_RECORD_THEME_FADE_IN", true);
        meta.set("META_RECORD_THEME_FADE_OUT", true);
        project->setFPS(30);
        const FramePtr added = Frame::create(Frame::kTypePicture);
        list->insertFrame(added, 0);
        list->removeFrame(added);
        foundation::RunLoop::main().runUntilIdle();

        ASSERT_EQ(completions, 1);
        ASSERT_EQ(renderer->status(), MovieRenderer::kStatusFinished)
            << (renderer->error() ? renderer->error()->description : "");
        ASSERT_TRUE(renderer->exportURL());
        EXPECT_EQ(fs::path(*renderer->exportURL()).stem(), "Before");
        const std::vector<Rgb> middles = c.read(*renderer->exportURL());
        EXPECT_EQ(int64_t(middles.size()), c.pictures);
        for (size_t i = 0; i < middles.size(); ++i) {
            const auto [low, high] = std::minmax({middles[i][0], middles[i][1], middles[i][2]});
            EXPECT_LE(high - low, 12) << "grey at picture " << i;
            EXPECT_GE(low, 100) << "unfaded at picture " << i;
        }

        // Put back for the next renderer.
        meta.set("RecordName", foundation::Value("Before"));
        meta.set("RecordMovieFilter", 1);
        meta.set("META_RECORD_THEME_FADE_IN", false);
        meta.set("META_RECORD_THEME_FADE_OUT", false);
        project->setFPS(5);
    }
}

}  // namespace
