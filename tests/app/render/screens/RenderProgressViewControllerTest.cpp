// The render progress panel: its preview steps by panel size, one preview
// per call as the progress passes them, texts that wait for the label, and
// one-shot Cancel and Done actions.

#include "RenderScreenTestSupport.h"
#include "app/render/screens/RenderProgressViewController.h"
#include "app/widgets/views/NXNavigationController.h"
#include "app/widgets/views/VerticallyAlignedLabel.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/controls/ProgressView.h"
#include "platform/ui/host/Device.h"

namespace {

using renderscreens::pictureNumberOf;

TEST(RenderProgressSteps, OneStepPerTileAcrossThePanelAndTwoMore) {
    struct Case {
        double width, height;
        std::vector<double> steps;
    };
    const Case cases[] = {
        {320, 150, {0, 1.0 / 3, 2.0 / 3}},                              // a phone: 320 ÷ 265 rounds to 1
        {540, 300, {0, 1.0 / 3, 2.0 / 3}},                              // a tablet's form sheet: 540 ÷ 530
        {1024, 150, {0, 1.0 / 6, 2.0 / 6, 3.0 / 6, 4.0 / 6, 5.0 / 6}},  // 3.86 rounds to 4
        {100, 150, {0, 0.5}},                                           // 0.38 rounds to no tile
        {0, 0, {0, 0.5}},                                               // not laid out: no tile
    };
    for (const Case& c : cases) {
        auto steps = renderProgressSteps(c.width, c.height);
        ASSERT_EQ(steps.size(), c.steps.size()) << c.width << "x" << c.height;
        for (size_t i = 0; i < steps.size(); ++i) EXPECT_DOUBLE_EQ(steps[i], c.steps[i]) << c.width;
    }
}

class RenderProgressPanelTest : public renderscreens::RenderScreenTest {
protected:
    // The panel in a navigation controller of a phone's panel size.
    void present(const ProjectModelPtr& project) {
        if (!panel)
            panel = std::make_shared<RenderProgressViewController>(RenderProgressViewController::kNibName, project);
        show(panel);
    }
    // `top` as the root of that navigation controller.
    void show(const std::shared_ptr<ui::ViewController>& top) {
        ui::Device::current().setUserInterfaceIdiom(ui::UserInterfaceIdiom::Phone);
        navigation = std::make_shared<NXNavigationController>(top);
        // A phone's form sheet: the panel is 320 wide and its upper row 150 high.
        auto root = std::make_shared<ui::ViewController>();
        window->setRootViewController(root);
        root->addChildViewController(navigation);
        navigation->view()->setFrame(graphics::Rect(0, 0, 320, 150 + 90 + 44));
        root->view()->addSubview(navigation->viewPtr());
        window->layoutIfNeeded();
        advance(0.5);
    }
    // The picture numbers shown in the preview panel, bottom first, and
    // whether every one of them has faded in.
    std::vector<int> previews(bool* allOpaque = nullptr) const {
        std::vector<int> numbers;
        bool opaque = true;
        for (const auto& view : panel->progressPanel()->subviews()) {
            auto* picture = dynamic_cast<ui::ImageView*>(view.get());
            if (!picture) continue;
            numbers.push_back(pictureNumberOf(picture->image().pixelAt(2, 2), 10));
            opaque = opaque && picture->layer().presentation().opacity == 1.0;
        }
        if (allOpaque) *allOpaque = opaque;
        return numbers;
    }

    std::shared_ptr<RenderProgressViewController> panel;
    std::shared_ptr<NXNavigationController> navigation;
};

TEST_F(RenderProgressPanelTest, PreviewsFollowTheProgressOneStepPerCall) {
    auto project = savedProject(10);  // 11 list entries with the capture slot
    present(project);
    ASSERT_EQ(panel->progressPanel()->bounds().width(), 320);
    // Appearing showed step 0 with the first frame.
    EXPECT_EQ(previews(), std::vector<int>{0});
    EXPECT_EQ(panel->interestingProgressValues(), (std::vector<double>{1.0 / 3, 2.0 / 3}));

    struct Poll {
        float progress;
        std::vector<int> shown;
    };
    const Poll polls[] = {
        {0.2f, {0}},         // below the next step
        {0.95f, {0, 9}},     // a jump passes one step: frame (11 − 1) × 0.95, truncated
        {0.95f, {0, 9, 9}},  // the next poll catches up
        {0.97f, {0, 9, 9}},  // no steps left
        {1.0f, {0, 9, 9}},   // the end moves only the bar
    };
    for (const Poll& poll : polls) {
        panel->setProgress(poll.progress);
        EXPECT_FLOAT_EQ(float(panel->progressView()->progress()), poll.progress);
        EXPECT_EQ(previews(), poll.shown) << poll.progress;
    }
    bool opaque = false;
    advance(1.4);
    previews(&opaque);
    EXPECT_FALSE(opaque) << "each picture fades in over 1.5 s";
    advance(0.2);
    previews(&opaque);
    EXPECT_TRUE(opaque);
    savePicture("render-progress-panel.png");
}

TEST_F(RenderProgressPanelTest, AProjectWithoutPicturesShowsItsThumbnail) {
    auto project = ProjectModel::create();
    present(project);
    ASSERT_EQ(panel->progressPanel()->subviews().size(), 1u);
    auto* picture = dynamic_cast<ui::ImageView*>(panel->progressPanel()->subviews()[0].get());
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->image().pixelWidth(), project->getThumbImageForProject().pixelWidth());
}

TEST_F(RenderProgressPanelTest, APushedPanelShowsItsTextAndFirstPreviewAsItSlidesIn) {
    // The share screen's way: the text is given first, then the panel is pushed.
    auto project = savedProject(3);
    panel = std::make_shared<RenderProgressViewController>(RenderProgressViewController::kNibName, project);
    panel->showInfo("Please wait while your video is being prepared.");
    show(std::make_shared<ui::ViewController>());
    navigation->pushViewController(panel, true);
    window->layoutIfNeeded();  // no time has passed: the slide has just begun
    ASSERT_TRUE(panel->labelInfo());
    EXPECT_EQ(panel->labelInfo()->text(), "Please wait while your video is being prepared.");
    EXPECT_EQ(panel->labelInfo()->alpha(), 1.0);
    bool opaque = false;
    EXPECT_EQ(previews(&opaque), std::vector<int>{0});
    EXPECT_TRUE(opaque) << "the first preview has nothing to fade in over";
    advance(1);
    savePicture("render-progress-pushed.png");
}

TEST_F(RenderProgressPanelTest, TextsWaitForTheLabelAndFadeOverTheOldOnes) {
    panel = std::make_shared<RenderProgressViewController>(RenderProgressViewController::kNibName, savedProject(2));
    panel->showInfo("Please wait while your video is being prepared.");
    EXPECT_EQ(panel->infoText(), "Please wait while your video is being prepared.");
    EXPECT_FALSE(panel->labelInfo());
    present(nullptr);
    EXPECT_EQ(panel->labelInfo()->text(), "Please wait while your video is being prepared.");
    EXPECT_EQ(panel->labelInfo()->textColor(), graphics::Color::white());

    panel->showError("The project could not be prepared.");
    advance(0.2);
    EXPECT_EQ(panel->labelInfo()->text(), "Please wait while your video is being prepared.") << "still fading out";
    advance(0.1);
    EXPECT_EQ(panel->labelInfo()->text(), "The project could not be prepared.");
    advance(0.6);
    EXPECT_EQ(panel->labelInfo()->alpha(), 1.0);
    EXPECT_EQ(panel->labelInfo()->textColor(), graphics::Color::rgb(1, 0, 0));

    // A text that follows before the fade ends wins over the one before it.
    panel->showInfo("Saving to your photos…");
    advance(0.1);
    panel->showInfo("Your movie was saved.");
    advance(1.0);
    EXPECT_EQ(panel->labelInfo()->text(), "Your movie was saved.");
    EXPECT_EQ(panel->labelInfo()->textColor(), graphics::Color::white());
}

TEST_F(RenderProgressPanelTest, CancelAndDoneRunOnceAndCanBeTakenAway) {
    present(savedProject(1));
    std::vector<std::string> calls;
    panel->setCancelHandler([&calls] { calls.push_back("cancel"); });
    panel->setDoneHandler([&calls] { calls.push_back("done"); });
    auto cancel = panel->navigationItem().leftBarButtonItem();
    auto done = panel->navigationItem().rightBarButtonItem();
    ASSERT_TRUE(cancel && done);
    EXPECT_EQ(cancel->systemItem(), ui::BarButtonSystemItem::Cancel);
    EXPECT_EQ(done->systemItem(), ui::BarButtonSystemItem::Done);
    cancel->action()(*cancel);
    cancel->action()(*cancel);
    panel->actionDone();
    panel->actionDone();
    EXPECT_EQ(calls, (std::vector<std::string>{"cancel", "done"}));
    EXPECT_FALSE(panel->cancelHandler());

    // An upload that succeeded: Done replaces Cancel, and there is no way back.
    panel->setDoneHandler([&calls] { calls.push_back("done again"); });
    panel->setCancelHandler(nullptr);
    EXPECT_FALSE(panel->navigationItem().leftBarButtonItem());
    EXPECT_TRUE(panel->navigationItem().hidesBackButton());
    ASSERT_TRUE(panel->navigationItem().rightBarButtonItem());
    panel->setDoneHandler(nullptr);
    EXPECT_FALSE(panel->navigationItem().rightBarButtonItem());
}

}  // namespace
