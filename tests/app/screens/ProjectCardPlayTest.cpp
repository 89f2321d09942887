// The card's play by fingers: the render alert, the progress panel polled
// once a second, the movie player after a finished render, a current movie
// played at once, a render again after an edit, a failure left on the panel
// and a cancel that plays nothing. The renderer stands in for the movie
// renderer and finishes when the test says.

#include "ScreenTestSupport.h"
#include "app/core/Frame.h"
#include "app/core/FrameList.h"
#include "app/core/KWImageProducer.h"
#include "app/render/MovieRenderer.h"
#include "app/render/screens/AVPlayerDemoPlaybackView.h"
#include "app/render/screens/NXMovieView.h"
#include "app/render/screens/RenderProgressViewController.h"
#include "app/screens/KWProjectDetailViewController.h"
#include "app/widgets/views/VerticallyAlignedLabel.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/controls/ProgressView.h"
#include "platform/ui/host/Device.h"
#include "support/TestMovies.h"

#include <filesystem>

namespace {

namespace fs = std::filesystem;

// A preview renderer whose render the test drives: it starts rendering at
// once, and finishes (copying a small movie to its output) or fails when
// told; its prepared movie is the output while it exists.
class ScriptedRenderer : public MovieRenderer {
public:
    using MovieRenderer::MovieRenderer;
    std::optional<std::string> getSupportedUTI() const override { return kUTTypeQuickTimeMovie; }
    std::optional<std::string> getPreparedMovieForExportType(const MovieExportType& type) override {
        const std::string output = getExportURLForExportType(type);
        return fs::exists(output) ? std::optional<std::string>(output) : std::nullopt;
    }
    void exportProjectWithExportType(std::optional<MovieExportType> type, CompletionHandler handler) override {
        type_ = type;
        handler_ = std::move(handler);
        startedAt = foundation::RunLoop::main().now();
        beginRendering();
        setProgress(0.1);
    }
    void cancelExport() override {
        MovieRenderer::cancelExport();
        end();
    }
    void reach(double fraction) { setProgress(fraction); }
    void finish() {
        const std::string output = getExportURLForExportType(*type_);
        fs::copy_file(testsupport::testMovie(testsupport::TestMovie::FiveSeconds), output,
                      fs::copy_options::overwrite_existing);
        setExportURL(output);
        setProgress(1.0);
        markFinished();
        end();
    }
    void fail() {
        failWithError(foundation::Error("TollivarMovieRenderer", 510, "No space left on device"));
        end();
    }
    std::optional<MovieExportType> type_;
    double startedAt = -1;

private:
    void end() {
        if (!handler_) return;
        foundation::RunLoop::main().post([handler = std::move(handler_)] { handler(); });
        handler_ = nullptr;
    }
    CompletionHandler handler_;
};

class ProjectCardPlayTest : public testsupport::ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        card = std::make_shared<KWProjectDetailViewController>();
        root = showFillingRoot(card);
        card->rendererSource = [this](const ProjectModelPtr& project) {
            renderers.push_back(std::make_shared<ScriptedRenderer>(project));
            return renderers.back();
        };
        window->layoutIfNeeded();
        project = ProjectModel::create();
        auto list = project->getFrameList();
        for (int i = 0; i < 3; ++i) list->insertFrame(Frame::create(Frame::kTypePicture), list->getCaptureIndex());
        ASSERT_TRUE(project->saveAllDataToDisk());
        card->showAnimationFromProjectExplorerForProject(project, graphics::Rect(40, 120, 160, 90));
        advance(1.0);
        window->layoutIfNeeded();
    }
    void tapPlay() {
        tap(card->playBtn()->view());
        window->layoutIfNeeded();
    }
    // Taps the alert's button of that title.
    void tapAlertButton(const std::string& title) {
        ASSERT_FALSE(ui::AlertView::visibleAlerts().empty());
        auto alert = ui::AlertView::visibleAlerts().back();
        for (int i = 0; i < alert->numberOfButtons(); ++i)
            if (alert->buttonTitleAtIndex(i) == title) {
                window->layoutIfNeeded();
                tap(alert->buttonViewAtIndex(i));
                return;
            }
        FAIL() << "no button " << title;
    }
    std::string presentedName() const {
        ui::ViewController* shown = card->presentedViewController();
        if (!shown) shown = root->presentedViewController();
        if (!shown) return "";
        if (dynamic_cast<NXMovieView*>(shown)) return "player";
        if (card->renderProgressViewController() &&
            shown == static_cast<ui::ViewController*>(card->renderProgressViewController()->navigationController()))
            return "panel";
        return "other";
    }
    // Renders through the alert's Ok up to the panel with its first poll.
    std::shared_ptr<ScriptedRenderer> startRender() {
        tapPlay();
        EXPECT_EQ(alertMessages(), std::vector<std::string>{KWProjectDetailViewController::kRenderMessage});
        tapAlertButton("Ok");
        advance(0.6);  // the panel slides up
        EXPECT_EQ(presentedName(), "panel");
        return renderers.empty() ? nullptr : renderers.back();
    }

    // After a finished render: the movie is current and plays at once; an
    // edit wipes the render cache, so the next play renders again.
    void playsAtOnceAndRendersAgainAfterAnEdit() {
        tapPlay();
        EXPECT_TRUE(alertMessages().empty()) << "the movie is current";
        advance(0.6);
        ASSERT_EQ(presentedName(), "player");
        dynamic_cast<NXMovieView*>(card->presentedViewController())->actionHome();
        advance(1.5);
        card->actionEdit();
        advance(1.0);
        tapPlay();
        EXPECT_EQ(alertMessages(), std::vector<std::string>{KWProjectDetailViewController::kRenderMessage});
    }

    std::shared_ptr<ui::ViewController> root;
    std::shared_ptr<KWProjectDetailViewController> card;
    std::vector<std::shared_ptr<ScriptedRenderer>> renderers;
    ProjectModelPtr project;
};

TEST_F(ProjectCardPlayTest, RenderFirstThenPlayAndPlayAgainAtOnceAndRenderAgainAfterAnEdit) {
    auto renderer = startRender();
    ASSERT_TRUE(renderer);
    RenderProgressViewController* panel = card->renderProgressViewController();
    ASSERT_TRUE(panel);
    EXPECT_EQ(renderer->type_->title(), "MoviePreview");
    EXPECT_EQ(renderer->type_->size(), KWProjectDetailViewController::previewSizeForPlaying());
    EXPECT_EQ(renderer->type_->extension(), "mov");
    advance(0.5);
    EXPECT_EQ(panel->labelInfo()->text(), KWProjectDetailViewController::kRenderWaitText);

    // Polled once a second from the start of the render.
    const struct {
        double reached;
        double at;  // seconds after the start
        double shown;
    } polls[] = {{0.3, 0.95, 0.0}, {0.3, 1.05, 0.3}, {0.6, 1.95, 0.3}, {0.6, 2.05, 0.6}, {0.8, 3.05, 0.8}};
    for (const auto& poll : polls) {
        renderer->reach(poll.reached);
        advance(renderer->startedAt + poll.at - clock.now());
        EXPECT_NEAR(panel->progress(), poll.shown, 1e-6) << poll.at;
    }
    savePicture("card-render-panel.png");

    renderer->finish();
    advance(1.0);
    EXPECT_EQ(presentedName(), "player");
    auto* player = dynamic_cast<NXMovieView*>(card->presentedViewController());
    ASSERT_TRUE(player);
    EXPECT_EQ(player->movieURL(), *renderer->exportURL());
    EXPECT_EQ(renderers.size(), 3u) << "one looked for a movie, one rendered, one found it";
    advance(4.0);
    EXPECT_TRUE(player->isCurtainOpen());
    player->actionHome();
    advance(1.5);
    EXPECT_EQ(presentedName(), "");

    playsAtOnceAndRendersAgainAfterAnEdit();
}

TEST_F(ProjectCardPlayTest, AFailedRenderStaysOnThePanelWithItsError) {
    auto renderer = startRender();
    ASSERT_TRUE(renderer);
    renderer->fail();
    advance(2.0);
    EXPECT_EQ(presentedName(), "panel");
    EXPECT_EQ(card->renderProgressViewController()->labelInfo()->text(),
              "The project could not be prepared because an error occurred. - (No space left on device - "
              "[TollivarMovieRenderer-510])");
    // Cancel closes it; nothing plays.
    auto cancel = card->renderProgressViewController()->navigationItem().leftBarButtonItem();
    ASSERT_TRUE(cancel);
    cancel->action()(*cancel);
    advance(1.0);
    EXPECT_EQ(presentedName(), "");
    EXPECT_FALSE(card->renderProgressViewController());
}

TEST_F(ProjectCardPlayTest, ACancelledRenderClosesThePanelAndPlaysNothing) {
    auto renderer = startRender();
    ASSERT_TRUE(renderer);
    auto cancel = card->renderProgressViewController()->navigationItem().leftBarButtonItem();
    ASSERT_TRUE(cancel);
    tap(cancel->view());
    advance(2.0);
    EXPECT_EQ(renderer->status(), MovieRenderer::kStatusCancelled);
    EXPECT_EQ(presentedName(), "");
    EXPECT_EQ(renderers.size(), 2u) << "nothing looked for a movie to play after the cancel";
    // And the alert's Cancel renders nothing at all.
    tapPlay();
    tapAlertButton("Cancel");
    advance(1.0);
    EXPECT_EQ(presentedName(), "");
    EXPECT_EQ(renderers.size(), 3u);
}

TEST_F(ProjectCardPlayTest, PreviewSizesByDevice) {
    EXPECT_EQ(KWProjectDetailViewController::previewSizeForPlaying(), (graphics::Size{1280, 720}));
    ui::Device::current().setScreenScale(2.0);
    EXPECT_EQ(KWProjectDetailViewController::previewSizeForPlaying(), (graphics::Size{1920, 1080}));
    // A tablet offers the optimised choice too.
    tapPlay();
    auto alert = ui::AlertView::visibleAlerts().back();
    ASSERT_EQ(alert->numberOfButtons(), 3);
    EXPECT_EQ(alert->buttonTitleAtIndex(1), "Optimized (Slower)");
}

}  // namespace

namespace {

// The same play with the application's own movie renderer: a real preview
// movie is written into the render cache and played.
class ProjectCardMovieTest : public ProjectCardPlayTest {
protected:
    void SetUp() override {
        ProjectCardPlayTest::SetUp();
        card->rendererSource = nullptr;  // the registry's renderer of QuickTime movies
        KWImageProducer producer(project);
        auto list = project->getFrameList();
        for (int64_t i = 0; i < list->getCaptureIndex(); ++i) {
            const auto shade = uint8_t(60 + 60 * i);
            ASSERT_TRUE(producer.storeImage(graphics::Image::filled(320, 180, graphics::RGBA{shade, 40, 200, 255}),
                                            list->getFrameAtIndex(i)->frameID()));
        }
    }
};

TEST_F(ProjectCardMovieTest, PlayRendersAPreviewMovieAndPlaysIt) {
    tapPlay();
    ASSERT_EQ(alertMessages(), std::vector<std::string>{KWProjectDetailViewController::kRenderMessage});
    tapAlertButton("Ok");
    // The render runs on its own queue while the virtual clock waits for it.
    for (int step = 0; step < 120 && presentedName() != "player"; ++step) advance(0.5);
    ASSERT_EQ(presentedName(), "player") << (card->renderProgressViewController()
                                                 ? card->renderProgressViewController()->labelInfo()->text()
                                                 : std::string());
    auto* player = dynamic_cast<NXMovieView*>(card->presentedViewController());
    ASSERT_TRUE(player && player->player());
    EXPECT_TRUE(player->player()->hasVideo());
    EXPECT_EQ(player->player()->presentationSize(), KWProjectDetailViewController::previewSizeForPlaying());
    advance(2.5);
    EXPECT_TRUE(player->isCurtainOpen());
    // The picture is one of the project's frames (blue 200, green 40).
    const graphics::Image& shown = player->playbackView()->pictureView()->image();
    ASSERT_FALSE(shown.isNull());
    const graphics::RGBA middle = shown.pixelAt(shown.pixelWidth() / 2, shown.pixelHeight() / 2);
    EXPECT_NEAR(middle.b, 200, 12);
    EXPECT_NEAR(middle.g, 40, 12);
    player->actionHome();
    advance(1.5);

    playsAtOnceAndRendersAgainAfterAnEdit();
}

TEST_F(ProjectCardMovieTest, APictureHeldForTheLongestHoldIsRefusedOnThePanelWithoutAnAbort) {
    project->getFrameList()->getFrameAtIndex(0)->setDuration(2147483647);
    tapPlay();
    tapAlertButton("Ok");
    advance(1.0);
    ASSERT_EQ(presentedName(), "panel");
    EXPECT_EQ(card->renderProgressViewController()->labelInfo()->text(),
              "The project could not be prepared because an error occurred. - (This movie is too long for a "
              "QuickTime file: it would last 119304 hours 39 minutes, and such a file holds at most 27 hours 3 "
              "minutes. - [MovieRenderer-404])");
}

}  // namespace
