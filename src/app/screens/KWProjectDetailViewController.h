#pragma once

// The card the project browser lays over its grid for one saved project: a
// large thumbnail, the name in an editable field, a line of details (date,
// duration, frame count, size on disk) and the actions back, play, share,
// duplicate, delete and edit. It grows out of the grid cell and shrinks back
// into it, and reports every outcome to the browser through four handlers.
// The browser creates one card and reuses it for every project.
//
// Play renders a preview movie into the project's render cache (once; a
// current one plays at once), shows the progress panel while it renders,
// polled once a second, and then plays it in the movie player.
//
// Main thread only.

#include "app/core/ProjectModel.h"
#include "app/render/MovieExportType.h"
#include "app/render/MovieRenderer.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/text/TextField.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace ui {
class BarButtonItem;
class ImageView;
class Label;
class Toolbar;
}  // namespace ui

class Hudy;
class KWPopoverController;
class NXNavigationController;
class RenderProgressViewController;

class KWProjectDetailViewController : public ui::ViewController, private ui::TextFieldDelegate {
public:
    using ProjectHandler = std::function<void(const ProjectModelPtr& project)>;

    static inline const char* kNibName = "KWProjectDetailViewController";
    // The key of the thumbnail's scale animation (into and out of the editor).
    static inline const char* kScaleAnimationKey = "scale";
    static inline const char* kRenderTitle = "Render Movie";
    static inline const char* kRenderMessage = "The project needs to be rendered first. This may take a while.";
    static inline const char* kRenderWaitText = "Please wait while your video is being prepared.";
    static inline const char* kRenderFailedFormat =
        "The project could not be prepared because an error occurred. - (%@)";
    static constexpr double kRenderPollSeconds = 1.0;
    // A project whose frame list holds more entries than this (the capture
    // slot included) is deleted only after a warning.
    static constexpr int64_t kDeleteWithoutWarningEntries = 4;

    KWProjectDetailViewController();
    ~KWProjectDetailViewController() override;

    // Each runs on the main thread. Open and back get the project; delete
    // and duplicate get none.
    ProjectHandler handlerProjectOpen;
    ProjectHandler handlerProjectBack;
    ProjectHandler handlerProjectDelete;
    ProjectHandler handlerProjectDuplicate;
    // Where the preview's renderer comes from; none: the registry's renderer
    // of QuickTime movies.
    std::function<MovieRendererPtr(const ProjectModelPtr& project)> rendererSource;

    // imageRect: the grid cell's rect in the card's coordinates.
    void showAnimationFromProjectExplorerForProject(const ProjectModelPtr& project, const graphics::Rect& imageRect);
    void showAnimationFromFrameEditorForProject(const ProjectModelPtr& project, const graphics::Rect& imageRect);

    // The thumbnail's resting frame: 16:9 at its current width and centre.
    void calcOrgRect();
    void didRotateFromInterfaceOrientation(ui::InterfaceOrientation from) override;

    // Measures the project folder in the background, then shows the size.
    void getProjectFileSize();
    // Size in bytes, or -1 while not known.
    void updateProjectDetailWithSize(int64_t size);

    void dismiss();
    void actionBack();
    void actionTrash();
    void deleteProject(const ProjectModelPtr& project);
    void actionShare();
    void actionDuplicate();
    void actionEdit();
    void actionPlay();
    void prepareMovieWithResolution(graphics::Size size);
    void checkStatusForExporter(const MovieRendererPtr& exporter);
    void cancelMovieRenderer();
    void playVideoInMovieView(const std::string& url);
    // The preview's export type at a size: "MoviePreview", a QuickTime movie.
    static MovieExportType previewExportType(graphics::Size size);

    // None does nothing.
    void showError(const std::optional<foundation::Error>& error);
    void receiveDuplicateProjectNotification(const foundation::Notification& notification);

    // The preview movie's size for this device (what playing will render).
    static graphics::Size previewSizeForPlaying();

    // ---- state and outlets (for the browser and tests) ----------------------------
    const ProjectModelPtr& project() const { return mProject_; }
    graphics::Rect srcRect() const { return srcRect_; }
    graphics::Rect orgRect() const { return orgRect_; }
    ui::View* viewProjectDetails() const { return mViewProjectDetails_.get(); }
    ui::View* viewProjectDetailBG() const { return mViewProjectDetailBG_.get(); }
    ui::ImageView* imageViewProjectDetail() const { return mImageViewProjectDetail_.get(); }
    ui::Label* labelDetails() const { return mLabelDetails_.get(); }
    ui::TextField* textFieldName() const { return textFieldName_.get(); }
    ui::Toolbar* toolbar() const { return toolbar_.get(); }
    ui::BarButtonItem* backBtn() const { return backBtn_.get(); }
    ui::BarButtonItem* playBtn() const { return playBtn_.get(); }
    ui::BarButtonItem* shareBtn() const { return shareBtn_.get(); }
    ui::BarButtonItem* duplicateBtn() const { return duplicateBtn_.get(); }
    ui::BarButtonItem* trashBtn() const { return trashBtn_.get(); }
    ui::BarButtonItem* editBtn() const { return editBtn_.get(); }
    KWPopoverController* sharePopover() const { return popover_.get(); }
    Hudy* duplicateHud() const { return hud_.get(); }
    RenderProgressViewController* renderProgressViewController() const { return renderProgressViewController_.get(); }
    const MovieRendererPtr& movieRenderer() const { return movieRenderer_; }

    void loadView() override;
    void viewDidLoad() override;
    void viewWillLayoutSubviews() override;
    unsigned supportedInterfaceOrientations() const override { return ui::OrientationMaskLandscape; }

private:
    bool textFieldShouldReturn(ui::TextField& textField) override;
    void textFieldDidEndEditing(ui::TextField& textField) override;

    // The steps every showing shares.
    void showProject(const ProjectModelPtr& project, const graphics::Rect& imageRect);
    // Ends editing of the name, which stores it (textFieldDidEndEditing).
    void endNameEditing();
    // Adds the thumbnail's kept scale animation.
    void addScaleAnimation(double from, double to);
    // Fades the container out and hands the outcome to the browser.
    void hideAfterDeletion();
    static bool isTablet();
    MovieRendererPtr makeRenderer();
    // The renderer's end: an error stays on the panel, anything else closes
    // it, and a finished movie plays.
    void finishPreview(const MovieRendererPtr& renderer);

    ProjectModelPtr mProject_;
    std::shared_ptr<KWPopoverController> popover_;
    ui::ViewPtr mViewProjectDetails_;
    std::shared_ptr<ui::Label> mLabelDetails_;
    std::shared_ptr<ui::TextField> textFieldName_;
    std::shared_ptr<ui::Toolbar> toolbar_;
    std::shared_ptr<ui::BarButtonItem> backBtn_;
    std::shared_ptr<ui::BarButtonItem> playBtn_;
    std::shared_ptr<ui::BarButtonItem> shareBtn_;
    std::shared_ptr<ui::BarButtonItem> duplicateBtn_;
    std::shared_ptr<ui::BarButtonItem> trashBtn_;
    std::shared_ptr<ui::BarButtonItem> editBtn_;
    ui::ViewPtr mViewProjectDetailBG_;
    std::shared_ptr<ui::ImageView> mImageViewProjectDetail_;
    graphics::Rect srcRect_;
    graphics::Rect orgRect_;

    std::shared_ptr<Hudy> hud_;
    std::shared_ptr<RenderProgressViewController> renderProgressViewController_;
    std::shared_ptr<NXNavigationController> renderNavigation_;
    MovieRendererPtr movieRenderer_;
    // A duplication or deletion is on its way: the project list must not be
    // touched from here until it is back on the main queue.
    bool busy_ = false;
    foundation::ObserverToken duplicateObserver_;
    foundation::ObserverToken terminateObserver_;
};
