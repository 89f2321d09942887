// "Export All Images" of a themed movie: one size for every picture, the
// project's, with the title, text and credits cards and their fades drawn
// anew at that size rather than scaled up from their stored pictures.

#include "ThemeTestSupport.h"
#include "app/core/BundleImage.h"
#include "app/core/UIImage_Resize.h"
#include "app/render/ExportTestSupport.h"
#include "app/render/OutlineTexts.h"
#include "app/render/SingleImagesExportRenderer.h"
#include "app/render/ThemeCard.h"
#include "app/render/themes/ThemeMovieHandler.h"
#include "app/render/themes/WebRenderer.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/JpegCodec.h"

#include <gtest/gtest.h>

namespace {

using foundation::RunLoop;
using graphics::Image;
using graphics::Size;

// How sharp a picture's edges are: the mean squared step in brightness from
// each pixel to its right neighbour. Scaling a picture up smooths its steps.
double edgeEnergy(const Image& picture) {
    const QImage bitmap = picture.normalized().bitmap().convertToFormat(QImage::Format_Grayscale8);
    double total = 0;
    for (int y = 0; y < bitmap.height(); ++y) {
        const uchar* row = bitmap.constScanLine(y);
        for (int x = 0; x + 1 < bitmap.width(); ++x) total += double((row[x + 1] - row[x]) * (row[x + 1] - row[x]));
    }
    return total / (double(bitmap.width() - 1) * bitmap.height());
}

class ThemedImagesExport : public rendertest::RenderProjectTest {
protected:
    FramePtr addCard(int32_t type, int64_t hold, const std::string& text = {}) {
        FramePtr card = Frame::create(type);
        if (type == Frame::kTypeThemeTextCard) {
            auto words = std::make_shared<KWThemeItem>();
            words->setText(text);
            words->setThemeID(1);
            card->setTheme(words);
        }
        card->setDuration(hold);
        auto list = project->getFrameList();
        list->insertFrame(card, list->getCaptureIndex());
        return card;
    }
};

TEST_F(ThemedImagesExport, EveryPictureHasTheProjectsSizeAndCardsAreDrawnAtIt) {
    // 5 fps, both fades (two seconds each): a title card of four seconds,
    // photographs of 1920×1080, a text card, credits of four seconds.
    project->setFPS(5);
    setMeta(outlinekeys::kTheme, foundation::Value(int64_t(1)));
    setMeta("META_RECORD_THEME_FADE_IN", foundation::Value(true));
    setMeta("META_RECORD_THEME_FADE_OUT", foundation::Value(true));
    setMeta(projectkeys::kName, foundation::Value("Clay Day"));
    FramePtr title = addCard(Frame::kTypeTitleCard, 20);
    const int holds[] = {4, 5, 3, 6};
    for (int i = 0; i < 4; ++i) addPicture(rendertest::scenePicture(1920, 1080, i, 10 * i, unsigned(i)), holds[i]);
    FramePtr text = addCard(Frame::kTypeThemeTextCard, 5, "Meanwhile, on the table");
    addPicture(rendertest::scenePicture(1920, 1080, 5, 0, 9), 4);
    FramePtr credits = addCard(Frame::kTypeCreditsCard, 20);
    auto handler = ThemeMovieHandler::create(project);
    handler->renderCards({title, text, credits});
    RunLoop::main().runUntilIdle();
    ASSERT_TRUE(project->saveAllDataToDisk());
    KWImageProducer stored(project);
    for (const FramePtr& card : {title, text, credits}) {
        std::optional<Image> picture = stored.getImageForFrameWithFrameID(card->frameID());
        ASSERT_TRUE(picture);
        ASSERT_EQ(picture->size(), ThemeCard::kCardSize) << "cards are stored at their own size";
    }

    auto renderer = std::make_shared<SingleImagesExportRenderer>(project);
    const double estimate =
        double(renderer->getEstimatedFileSizeAfterExportforType(renderer->getSupportedExportTypes().front())) * 1024;
    rendertest::ExportOutcome outcome = rendertest::runExport(renderer);
    ASSERT_EQ(outcome.status, MovieRenderer::kStatusFinished);
    const std::map<std::string, std::string> files = rendertest::filesBelow(*outcome.exportURL);
    const int64_t positions = 20 + 18 + 5 + 4 + 20;
    ASSERT_EQ(int64_t(files.size()), positions);
    double written = 0;
    std::vector<Image> pictures;
    for (const auto& [name, bytes] : files) {
        auto header = graphics::jpeg::readHeader(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        ASSERT_TRUE(header) << name;
        EXPECT_EQ((Size{double(header->width), double(header->height)}), (Size{1920, 1080})) << name;
        written += double(bytes.size());
        pictures.push_back(Image::decode(foundation::Bytes(bytes.begin(), bytes.end())).value());
    }
    EXPECT_LE(written / estimate, 1.5);
    EXPECT_GE(written / estimate, 1 / 1.5);

    // The cards as they are drawn at the export's size, and their stored
    // pictures scaled up to it: the export shows the first, whose text has
    // the sharper edges.
    struct Shown {
        FramePtr card;
        int64_t position;  // one outside the fades
    };
    for (const Shown& shown : {Shown{title, 15}, Shown{text, 40}, Shown{credits, 50}}) {
        SCOPED_TRACE(shown.position);
        const Image& exported = pictures[size_t(shown.position)];
        std::optional<Image> drawn = ThemeCard::ofFrame(*project, *shown.card)->drawAtSize({1920, 1080});
        ASSERT_TRUE(drawn);
        EXPECT_LE(themetest::meanDifference(exported, *drawn), 0.01);
        const Image scaledUp = *UIImage_Resize::imageByScalingAndCroppingForSize(
            *stored.getImageForFrameWithFrameID(shown.card->frameID()), {1920, 1080});
        EXPECT_GT(edgeEnergy(exported), 1.3 * edgeEnergy(scaledUp));
    }
    // The fades darken the cards drawn at that size: black at the start,
    // brighter on the way in.
    EXPECT_LT(edgeEnergy(pictures[0]), 0.01);
    EXPECT_LT(edgeEnergy(pictures[4]), edgeEnergy(pictures[8]));
    EXPECT_LT(edgeEnergy(pictures[size_t(positions - 2)]), edgeEnergy(pictures[size_t(positions - 8)]));
}

TEST(ThemeCard, DrawnAtTheCardsSizeItIsWhatTheWebRendererStores) {
    foundation::Dictionary outline{{outlinekeys::kMovieName, "Tom & Jerry"}, {outlinekeys::kStar, "A</br>B"}};
    const ThemeCard card{ThemeCard::titleTemplateName(2), outline, ThemeCard::backgroundImageName(2)};
    testsupport::VirtualClockScope clock;
    WebRenderer renderer;
    Image stored;
    renderer.setHandlerComplete([&](const Image& picture) { stored = picture; });
    renderer.renderContent(card.templateName, {800, 600}, outline, *bundleImageNamed(card.backgroundName));
    RunLoop::main().runUntilIdle();
    ASSERT_FALSE(stored.isNull());
    std::optional<Image> drawn = card.drawAtSize(ThemeCard::kCardSize);
    ASSERT_TRUE(drawn);
    EXPECT_LE(themetest::meanDifference(*drawn, stored), 0.002);
    // Another shape fills it, centred: a square shows the card's middle.
    std::optional<Image> square = card.drawAtSize({720, 720});
    ASSERT_TRUE(square);
    EXPECT_EQ(square->size(), (Size{720, 720}));
    const ThemeCard missing{"theme_title_77.html", outline, ""};
    EXPECT_FALSE(missing.drawAtSize({1920, 1080})) << "no such template";
}

}  // namespace
