// The root screen: launch picture, landscape framing, and the switch between
// the browser and the frame editor.

#include "LaunchFixture.h"
#include "app/editor/FrameEditorViewController.h"
#include "app/render/screens/OutlineViewController.h"
#include "app/screens/MainViewController.h"
#include "app/screens/ProjectExplorer.h"
#include "app/widgets/cells/ELCTextFieldCell.h"
#include "platform/foundation/Bundle.h"
#include "platform/ui/Window.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/lists/TableView.h"
#include "platform/ui/text/TextField.h"
#include "support/TouchDriver.h"

#include <cmath>
#include <numbers>

namespace startuptest {
namespace {

TEST(RootScreenGeometry, ChildFramesAreAlwaysLandscape) {
    using graphics::Rect;
    EXPECT_EQ(MainViewController::getOrientationCorrectedRectFromRect(Rect(10, 20, 320, 568)), Rect(10, 20, 568, 320));
    EXPECT_EQ(MainViewController::getOrientationCorrectedRectFromRect(Rect(0, 0, 1024, 768)), Rect(0, 0, 1024, 768));
    EXPECT_EQ(MainViewController::getOrientationCorrectedRectFromRect(Rect(0, 0, 500, 500)), Rect(0, 0, 500, 500));
}

TEST_F(LaunchTest, TabletShowsTheLandscapeLaunchPicture) {
    launch();
    ui::ImageView* picture = delegate->mainViewController->imageView();
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->image().size(), (graphics::Size{1024, 768}));
    EXPECT_EQ(picture->frame(), graphics::Rect(0, 0, 1024, 768));
    EXPECT_TRUE(picture->transform().isIdentity());
}

TEST_F(LaunchTest, PhoneTurnsItsUprightLaunchPictureToFillTheScreen) {
    ::setenv("TOLLIVAR_DEVICE", "phone", 1);
    launch();
    ::unsetenv("TOLLIVAR_DEVICE");
    MainViewController& root = *delegate->mainViewController;
    EXPECT_EQ(root.nibName(), "MainViewController_ios8");
    ui::ImageView* picture = root.imageView();
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->image().size(), (graphics::Size{320, 568}));
    EXPECT_EQ(picture->bounds().size, (graphics::Size{320, 568}));
    EXPECT_NEAR(std::atan2(picture->transform().b, picture->transform().a), std::numbers::pi / 2, 1e-9);
    EXPECT_EQ(picture->center(), (graphics::Point{284, 160}));
    ASSERT_NE(root.viewExplorer(), nullptr);
    EXPECT_EQ(root.viewExplorer()->view()->frame(), graphics::Rect(0, 0, 568, 320));
    savePicture("Launch-phone.png");
}

TEST_F(LaunchTest, EditingSwitchesToTheEditorAndBackBringsTheBrowserWithTheProject) {
    launch();
    if (auto* pager = delegate->mainViewController->presentedViewController()) pager->dismissViewController(false);
    foundation::RunLoop::main().runUntilIdle();
    MainViewController& root = *delegate->mainViewController;
    ProjectExplorer* before = root.viewExplorer();
    ProjectModelPtr introduction = KWProjects::getInstance().getProjects()[1];

    ui::Window* window = root.view()->window();
    ASSERT_NE(window, nullptr);
    const std::string application = foundation::Bundle::main().displayName();
    EXPECT_EQ(window->title(), application);
    root.didFinishProjectExplorer(before, introduction);
    ASSERT_NE(root.viewFrameEditor(), nullptr);
    // The title bar names the open project.
    ASSERT_FALSE(introduction->getName().empty());
    EXPECT_EQ(window->title(), introduction->getName() + " \u2014 " + application);
    EXPECT_EQ(root.viewFrameEditor()->project(), introduction);
    EXPECT_EQ(root.viewExplorer(), nullptr);
    EXPECT_EQ(root.childViewControllers().size(), 1u);
    EXPECT_EQ(root.viewFrameEditor()->view()->frame(), graphics::Rect(0, 0, 1024, 768));

    root.didFinishFrameEditor(root.viewFrameEditor(), introduction);
    foundation::RunLoop::main().advance(1.0);
    EXPECT_EQ(root.viewFrameEditor(), nullptr);
    ASSERT_NE(root.viewExplorer(), nullptr);
    EXPECT_EQ(root.childViewControllers().size(), 1u);
    // The new browser fills the root without a fade.
    EXPECT_DOUBLE_EQ(root.viewExplorer()->view()->alpha(), 1.0);
    ASSERT_EQ(root.view()->subviews().size(), 2u);  // launch picture and one browser
    EXPECT_EQ(root.view()->subviews()[1].get(), root.viewExplorer()->view());
    EXPECT_EQ(window->title(), application);
}

TEST_F(LaunchTest, TheTitleFollowsARenameInTheOutlineEditor) {
    launch();
    if (auto* pager = delegate->mainViewController->presentedViewController()) pager->dismissViewController(false);
    foundation::RunLoop::main().runUntilIdle();
    MainViewController& root = *delegate->mainViewController;
    ui::Window& window = *root.view()->window();
    root.didFinishProjectExplorer(root.viewExplorer(), KWProjects::getInstance().getProjects()[1]);
    FrameEditorViewController* editor = root.viewFrameEditor();
    ASSERT_NE(editor, nullptr);

    // The movie's name typed into the outline, which stores it when the
    // sheet is collapsed with its chevron.
    editor->showThemeWithPageOpen(1);
    foundation::RunLoop::main().advance(1.0);
    auto* sheet = dynamic_cast<ui::NavigationController*>(editor->outlineNavigationController());
    ASSERT_NE(sheet, nullptr);
    auto* outline = dynamic_cast<OutlineViewController*>(sheet->topViewController());
    ASSERT_NE(outline, nullptr);
    window.layoutIfNeeded();
    auto cell = std::dynamic_pointer_cast<ELCTextFieldCell>(outline->tableView()->cellForRowAtIndexPath({0, 0}));
    ASSERT_TRUE(cell);
    testsupport::TouchDriver fingers(window);
    ui::TextField& name = *cell->rightTextField();
    auto tapView = [&](ui::View& view) {
        window.layoutIfNeeded();
        fingers.tap(view.convertPointToView({view.bounds().midX(), view.bounds().midY()}, nullptr));
        foundation::RunLoop::main().advance(1.0);
    };
    // This machine has no camera: the editor's capture screen says so first.
    for (const auto& alert : ui::AlertView::visibleAlerts()) tapView(*alert->buttonViewAtIndex(0));
    tapView(name);
    ASSERT_TRUE(name.isFirstResponder());
    name.setSelectedRange(ui::TextRange{0, name.text().size()});
    name.insertText("Moon Landing");
    window.layoutIfNeeded();
    ui::View* chevron = outline->navigationItem().leftBarButtonItem()->view();
    ASSERT_NE(chevron, nullptr);
    tapView(*chevron);
    EXPECT_EQ(window.title(), "Moon Landing \u2014 " + foundation::Bundle::main().displayName());
}

}  // namespace
}  // namespace startuptest
