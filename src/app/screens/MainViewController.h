#pragma once

// The window's root screen. Behind its one child screen it shows the launch
// picture; the child is either the project browser or the frame editor, and
// the root switches between them when either hands over its project. After
// every switch exactly one of the two is a child whose view fills the root
// view, framed landscape whatever the root's own shape.
//
// A project whose frame list or metadata cannot be read does not open: an
// alert says why, the browser stays and nothing is written.

#include "app/core/ProjectModel.h"
#include "app/editor/MainViewControllerDelegate.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/controllers/ViewController.h"

#include <memory>
#include <string>

namespace ui {
class AlertView;
class ImageView;
}  // namespace ui

class FrameEditorViewController;
class ProjectExplorer;

class MainViewController : public ui::ViewController, public MainViewControllerDelegate {
public:
    // The interface file name is kept for the record; the view is built in code.
    explicit MainViewController(std::string nibName);
    ~MainViewController() override;

    // Start-up: the browser fades in, no card.
    void showProjectExplorerFromDefault();
    // A new browser becomes the child; with a project, its card is shown at once.
    void showProjectExplorerWithFade(bool fade, const ProjectModelPtr& withProject);
    void showFrameEditorWithProject(const ProjectModelPtr& project);
    // The window's title: "<project name> — <application>" while the editor
    // has a project open, else the application's name. It follows a rename
    // in the outline editor as soon as the new name is saved.
    static std::string windowTitleForProject(const ProjectModelPtr& project);
    // The rect with width and height exchanged when it is taller than wide.
    static graphics::Rect getOrientationCorrectedRectFromRect(const graphics::Rect& rect);

    void didFinishProjectExplorer(ProjectExplorer* explorer, const ProjectModelPtr& withProject) override;
    void didFinishFrameEditor(FrameEditorViewController* editor, const ProjectModelPtr& withProject) override;

    ui::ImageView* imageView() const { return imageView_.get(); }
    ProjectExplorer* viewExplorer() const { return viewExplorer_.get(); }
    FrameEditorViewController* viewFrameEditor() const { return viewFrameEditor_.get(); }
    // The alert that says a project cannot be opened, while it is shown.
    ui::AlertView* openFailedAlert() const { return openFailedAlert_.get(); }

    void loadView() override;
    void viewDidLoad() override;
    unsigned supportedInterfaceOrientations() const override { return ui::OrientationMaskLandscape; }

private:
    void showWindowTitleForProject(const ProjectModelPtr& project);

    std::shared_ptr<ui::ImageView> imageView_;
    std::shared_ptr<ProjectExplorer> viewExplorer_;
    std::shared_ptr<FrameEditorViewController> viewFrameEditor_;
    std::shared_ptr<ui::AlertView> openFailedAlert_;
    foundation::ObserverToken outlineObserver_;
};
