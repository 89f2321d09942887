#include "app/screens/MainViewController.h"

#include "app/capture/CaptureViewController.h"
#include "app/core/BundleImage.h"
#include "app/editor/FrameEditorModel.h"
#include "app/editor/FrameEditorViewController.h"
#include "app/render/screens/ThemeSettingsNames.h"
#include "app/screens/InfoCenterHelpViewController.h"
#include "app/screens/ProjectExplorer.h"
#include "app/widgets/alerts/AlertView.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Lifetime.h"
#include "platform/foundation/Localized.h"
#include "platform/graphics/AffineTransform.h"
#include "platform/ui/Window.h"
#include "platform/ui/compositing/Animation.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/host/Device.h"

#include <numbers>

namespace {

// Takes a child screen and its view out of their parent.
template <typename Controller>
void removeChildScreen(std::shared_ptr<Controller>& child) {
    if (!child) return;
    // Kept alive until it is fully out: removal may release the last owner.
    std::shared_ptr<Controller> leaving = std::move(child);
    leaving->willMoveToParentViewController(nullptr);
    if (leaving->isViewLoaded()) leaving->view()->removeFromSuperview();
    leaving->removeFromParentViewController();
}

}  // namespace

MainViewController::MainViewController(std::string nibName) : ui::ViewController(std::move(nibName)) {
    // The capture screen and the editor sit below these screens: they get
    // their help pages from here.
    CaptureViewController::setHelpPageFactory([](const std::string& page) -> std::shared_ptr<ui::ViewController> {
        auto help = std::make_shared<InfoCenterHelpViewController>();
        help->setSubpage(page);
        return help;
    });
}

MainViewController::~MainViewController() = default;

void MainViewController::loadView() {
    auto root = ui::makeView<ui::View>(ui::Device::current().screenBounds());
    root->setBackgroundColor(graphics::Color::black());
    imageView_ = ui::makeView<ui::ImageView>(root->bounds());
    root->addSubview(imageView_);
    setView(root);
}

void MainViewController::viewDidLoad() {
    // The outline editor is where the open project is renamed: its save
    // stores the name, and the title bar names the project by it.
    outlineObserver_ = foundation::NotificationCenter::defaultCenter().addObserver(
        themesettings::kOutlineHasChangedNotification, nullptr,
        [weak = foundation::weakFrom(this)](const foundation::Notification&) {
            auto self = weak.lock();
            if (self && self->viewFrameEditor_) self->showWindowTitleForProject(self->viewFrameEditor_->project());
        });
    if (!imageView_) return;
    const ui::Device& device = ui::Device::current();
    if (device.userInterfaceIdiom() == ui::UserInterfaceIdiom::Pad) {
        if (auto image = bundleImageNamed("IpadLaunchImage-LandscapeLeft")) imageView_->setImage(*image);
        imageView_->setFrame(view()->frame());
        return;
    }
    graphics::Rect screen = device.screenBounds();
    bool tall = screen.size.height == 568.0 || screen.size.width == 568.0;
    if (auto image = bundleImageNamed(tall ? "default-568h" : "default")) imageView_->setImage(*image);
    // The phone pictures stand upright; turned a quarter they fill the
    // landscape root.
    graphics::Rect frame = view()->frame();
    imageView_->setBounds(graphics::Rect(0, 0, frame.size.height, frame.size.width));
    imageView_->setTransform(graphics::AffineTransform::makeRotation(std::numbers::pi / 2));
    imageView_->setFrame(frame);
}

graphics::Rect MainViewController::getOrientationCorrectedRectFromRect(const graphics::Rect& rect) {
    if (rect.size.width >= rect.size.height) return rect;
    return graphics::Rect(rect.origin.x, rect.origin.y, rect.size.height, rect.size.width);
}

std::string MainViewController::windowTitleForProject(const ProjectModelPtr& project) {
    const std::string application = foundation::Bundle::main().displayName();
    const std::string name = project ? project->getName() : std::string();
    return name.empty() ? application : name + " \u2014 " + application;
}

void MainViewController::showWindowTitleForProject(const ProjectModelPtr& project) {
    if (ui::Window* window = isViewLoaded() ? view()->window() : nullptr)
        window->setTitle(windowTitleForProject(project));
}

void MainViewController::showProjectExplorerFromDefault() { showProjectExplorerWithFade(true, nullptr); }

void MainViewController::showProjectExplorerWithFade(bool fade, const ProjectModelPtr& withProject) {
    auto explorer = std::make_shared<ProjectExplorer>("ProjectExplorer", withProject);
    ui::View* explorerView = explorer->view();
    explorerView->setFrame(getOrientationCorrectedRectFromRect(view()->frame()));
    if (fade) explorerView->setAlpha(0.0);
    explorer->delegate = this;
    std::shared_ptr<ProjectExplorer> previous = std::move(viewExplorer_);
    addChildViewController(explorer);
    viewExplorer_ = explorer;
    view()->addSubview(explorer->viewPtr());
    explorer->didMoveToParentViewController(this);
    if (fade) {
        ui::animate(1.0, [explorerView] { explorerView->setAlpha(1.0); });
    }
    removeChildScreen(viewFrameEditor_);
    // Never two browsers at once.
    removeChildScreen(previous);
    showWindowTitleForProject(nullptr);
}

void MainViewController::showFrameEditorWithProject(const ProjectModelPtr& project) {
    if (!project || openFailedAlert_) return;
    // A project that cannot be read stays closed and untouched: the editor
    // would save over what it could not read.
    if (auto error = frameeditor::projectOpenError(*project)) {
        auto alert = AlertView::create(foundation::localized("Error"), error->localizedDescription());
        auto weak = foundation::weakFrom(this);
        alert->addButtonWithTitle(foundation::localized("OK"), [weak](AlertView&, int) {
            if (auto self = weak.lock()) self->openFailedAlert_.reset();
        });
        openFailedAlert_ = alert;
        alert->show();
        return;
    }
    auto editor = std::make_shared<FrameEditorViewController>(
        ui::Device::current().userInterfaceIdiom() == ui::UserInterfaceIdiom::Pad
            ? FrameEditorViewController::kNibNameTablet
            : FrameEditorViewController::kNibNamePhone,
        project);
    editor->setDelegate(this);
    editor->view()->setFrame(getOrientationCorrectedRectFromRect(view()->frame()));
    viewFrameEditor_ = editor;
    addChildViewController(editor);
    view()->addSubview(editor->viewPtr());
    editor->didMoveToParentViewController(this);
    removeChildScreen(viewExplorer_);
    showWindowTitleForProject(project);
}

void MainViewController::didFinishProjectExplorer(ProjectExplorer* explorer, const ProjectModelPtr& withProject) {
    (void)explorer;
    showFrameEditorWithProject(withProject);
}

void MainViewController::didFinishFrameEditor(FrameEditorViewController* editor, const ProjectModelPtr& withProject) {
    (void)editor;
    showProjectExplorerWithFade(false, withProject);
}
