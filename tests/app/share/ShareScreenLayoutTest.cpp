// How the share screens of the services without an account look, found
// where they are drawn.

#include "ShareSheetTest.h"
#include "ShareTestSupport.h"
#include "app/render/screens/RenderProgressViewController.h"
#include "app/share/ICloudConnectHandler.h"
#include "app/share/MailConnectHandler.h"
#include "app/share/PhotosConnectHandler.h"
#include "app/share/ShareViewController.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controls/ProgressView.h"
#include "platform/ui/host/ControlMap.h"
#include "support/Pictures.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

namespace {

struct Service {
    const char* title;
    std::function<std::shared_ptr<ConnectHandler>()> make;
};

const Service kServices[] = {
    {"Save to Folder", [] { return std::make_shared<ICloudConnectHandler>(); }},
    {"Photos", [] { return std::make_shared<PhotosConnectHandler>(); }},
    {"Mail", [] { return std::make_shared<MailConnectHandler>(); }},
};

// The bounding box of the pixels near one of the colours.
std::optional<graphics::Rect> colourBox(const graphics::Image& image, const std::vector<graphics::RGBA>& colours) {
    int left = image.pixelWidth(), top = image.pixelHeight(), right = -1, bottom = -1;
    for (int y = 0; y < image.pixelHeight(); ++y)
        for (int x = 0; x < image.pixelWidth(); ++x)
            for (const graphics::RGBA& colour : colours)
                if (testsupport::pixelNear(image.pixelAt(x, y), colour, 60)) {
                    left = std::min(left, x), right = std::max(right, x);
                    top = std::min(top, y), bottom = std::max(bottom, y);
                }
    if (right < 0) return std::nullopt;
    return graphics::Rect(left, top, right + 1 - left, bottom + 1 - top);
}

class ShareScreenLayoutTest : public sharetest::ShareSheetTest {};

// The service is named once, in the navigation bar, and its progress
// panel's preview shows whole between that bar and the progress bar.
TEST_F(ShareScreenLayoutTest, TheServiceIsNamedOnceAndThePreviewShowsWholeUnderIt) {
    sharetest::ProgramRecorders programs(folders.root() + "/bin");
    programs.mailer(0);
    for (const Service& service : kServices) {
        SCOPED_TRACE(service.title);
        ShareViewController* screen = choose(service.make());
        ASSERT_NE(screen, nullptr);
        EXPECT_EQ(screen->navigationController()->navigationBar().shownTitle(), service.title);
        size_t labels = 0;
        for (const ui::MappedView& shown : ui::mapViews(*window, ui::WindowPlacement{}))
            labels += shown.label == service.title;
        EXPECT_EQ(labels, 0u) << "a heading repeats the title";

        // The smallest output: the panel is what counts, not the render.
        const auto& types = screen->exportTypes();
        const auto smallest = std::min_element(types.begin(), types.end(), [](const auto& a, const auto& b) {
            return a.size().width < b.size().width;
        });
        tap(screen->typeButtons()[size_t(smallest - types.begin())].get());
        ASSERT_NE(screen->panel(), nullptr);
        advance(1);
        window->layoutIfNeeded();
        const graphics::Image shown = window->renderImage();
        savePicture(std::string("share-panel-") + service.title + ".png");

        const graphics::Rect bar = inWindow(&screen->navigationController()->navigationBar());
        const graphics::Rect progress = inWindow(screen->panel()->progressView());
        // The project's pictures are red, green, blue and white quadrants.
        const auto picture = colourBox(shown, {graphics::RGBA{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}});
        ASSERT_TRUE(picture);
        EXPECT_GT(picture->minY(), bar.maxY()) << picture->toString() << ": its top under the navigation bar";
        EXPECT_LE(picture->maxY(), progress.minY()) << picture->toString() << ": the progress bar across it";
        EXPECT_NEAR(picture->width() / picture->height(), 16.0 / 9.0, 0.05) << picture->toString() << ": cut";
        // And the bar shows where it lies: its white track or its progress.
        const graphics::RGBA middle = shown.pixelAt(int(progress.midX()), int(progress.midY()));
        EXPECT_TRUE(testsupport::pixelNear(middle, graphics::RGBA{255, 255, 255, 255}, 30) ||
                    testsupport::pixelNear(middle, graphics::RGBA{212, 3, 215, 255}, 30));
        screen->cancelSharing();
        advance(1);
    }
}

}  // namespace
