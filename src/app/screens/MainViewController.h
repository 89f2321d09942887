#pragma once

// The window's root screen. Behind its one child screen it shows the launch
// picture; the child is either the project browser or the frame editor, and
// the root switches between them when either hands over its project. After
// every switch exactly one of the two is a child whose view fills the root
// view, framed landscape whatever the root's own shape.
//
// The frame editor is not part of the application yet: a project handed over
// for editing gets an alert saying so, and the browser comes back with that
// project as it would after editing.

#include "app/core/ProjectModel.h"
#include "app/screens/MainViewControllerDelegate.h"
#include "platform/ui/controllers/ViewController.h"

#include <memory>
#include <string>

namespace ui {
class AlertView;
class ImageView;
}  // namespace ui

class ProjectExplorer;

class MainViewController : public ui::ViewController, public MainViewControllerDelegate {
public:
    static inline const char* kEditorUnavailableTitle = "Frame Editor";
    static inline const char* kEditorUnavailableMessage =
        "Editing projects is not available in this version yet. The project is unchanged.";

    // The interface file name is kept for the record; the view is built in code.
    explicit MainViewController(std::string nibName);
    ~MainViewController() override;

    // Start-up: the browser fades in, no card.
    void showProjectExplorerFromDefault();
    // A new browser becomes the child; with a project, its card is shown at once.
    void showProjectExplorerWithFade(bool fade, const ProjectModelPtr& withProject);
    void showFrameEditorWithProject(const ProjectModelPtr& project);
    // The rect with width and height exchanged when it is taller than wide.
    static graphics::Rect getOrientationCorrectedRectFromRect(const graphics::Rect& rect);

    void didFinishProjectExplorer(ProjectExplorer* explorer, const ProjectModelPtr& withProject) override;
    void didFinishFrameEditor(FrameEditorViewController* editor, const ProjectModelPtr& withProject) override;

    ui::ImageView* imageView() const { return imageView_.get(); }
    ProjectExplorer* viewExplorer() const { return viewExplorer_.get(); }
    // The frame editor child; none until the editor is part of the application.
    ui::ViewController* viewFrameEditor() const { return viewFrameEditor_.get(); }
    // The alert that says the editor is missing, while it is shown.
    ui::AlertView* editorUnavailableAlert() const { return editorAlert_.get(); }

    void loadView() override;
    void viewDidLoad() override;
    unsigned supportedInterfaceOrientations() const override { return ui::OrientationMaskLandscape; }

private:
    // The alert is gone: the browser comes back as after an edit.
    void editorUnavailableAlertDidDismiss();

    std::shared_ptr<ui::ImageView> imageView_;
    std::shared_ptr<ProjectExplorer> viewExplorer_;
    std::shared_ptr<ui::ViewController> viewFrameEditor_;
    std::shared_ptr<ui::AlertView> editorAlert_;
    ProjectModelPtr projectAwaitingEditor_;
};
