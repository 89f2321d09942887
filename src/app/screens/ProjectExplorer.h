#pragma once

// The project browser: the root screen's child while no project is edited.
// A grid of the project list (entry 0 starts a new project), the detail card
// of a chosen project laid over the grid, a gallery tab, import of project
// archives, the info centre, the welcome pager on first launch, a once-per-run
// warning about low storage and the parental restriction on the gallery.
//
// Projects written by older versions are refused (no "ProductVersion", or
// below 3.0) or converted on a background queue (below 6.0); a project in
// conversion is neither read nor shown until its conversion has completed,
// and its card opens then.
//
// Main thread only; landscape only.

#include "app/core/DataManager.h"
#include "app/core/ProjectImportProcessor.h"
#include "app/core/ProjectModel.h"
#include "app/screens/InfoCenterViewController.h"
#include "app/editor/MainViewControllerDelegate.h"
#include "app/widgets/views/HelpManager.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/library/DocumentPickerViewController.h"
#include "platform/ui/controllers/ViewController.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace ui {
class AlertView;
class Button;
class ImageView;
}  // namespace ui

class Hudy;
class KWGalleryCollectionViewController;
class KWProjectCollectionViewController;
class KWProjectDetailViewController;

class ProjectExplorer : public ui::ViewController,
                        public InfoCenterDelegate,
                        public HelpManagerDelegate,
                        public library::DocumentPickerDelegate {
public:
    static inline const char* kDidImportProjectNotification = ProjectImportProcessor::kDidImportProjectNotification;
    static inline const char* kGalleryEnabledDefaultsKey = DataManager::kGalleryEnabledKey;
    static inline const char* kArchiveTypeIdentifier = "com.marrowick.tollivar.archive";
    static inline const char* kCannotReadProjectMessage = "This project cannot be read by this version of the app.";
    static inline const char* kImportSucceededCaption = "Project successfully imported.";
    static inline const char* kImportFailedCaption = "There was a problem copying the project. Please try again.";
    // Free space below this many 4 MiB blocks (100 MiB) counts as nearly full.
    static constexpr uint64_t kLowSpaceBlocks = 25;

    // The platform's document picker in import mode for one document type;
    // the browser becomes its delegate. Without one (none is installed
    // unless the application start installs it) the import is disabled.
    using DocumentPickerFactory =
        std::function<std::shared_ptr<library::DocumentPickerViewController>(const std::string& documentType)>;
    static void setDocumentPickerFactory(DocumentPickerFactory factory);
    static bool isDocumentPickerAvailable();

    // The interface file name and bundle are kept for the record; the view is
    // built in code. With a project, its card is shown as the browser appears.
    ProjectExplorer(std::string nibName, ProjectModelPtr project);
    ~ProjectExplorer() override;

    // Not owned.
    MainViewControllerDelegate* delegate = nullptr;

    // withAnimation: 1 the card grows from the grid cell, 0 it is shown as
    // on return from the editor.
    void showProjectDetail(const ProjectModelPtr& project, unsigned withAnimation);
    // False (after an alert) for a project this version cannot read; true
    // otherwise, after starting the conversion of an older one.
    bool checkIfProjectNeedsConversion(const ProjectModelPtr& project);
    // Whether a conversion of the project is running.
    static bool isProjectInConversion(const ProjectModelPtr& project);
    void validateRestrictionsSettings();

    void actionShowProjects();
    void actionShowGallery();
    void actionImport();
    void actionHelp();

    void infoCenterDidFinish(InfoCenterViewController& infoCenter) override;
    void helpManangerDidFinish(HelpManager& helpManager) override;
    // A "file:" URL or a path. The file is only read.
    void documentPickerDidPickDocumentAtURL(library::DocumentPickerViewController& picker,
                                            const std::string& url) override;
    void receiveProjectImportProcessorDidImportProject(const foundation::Notification& notification);

    std::shared_ptr<KWProjectDetailViewController> getDetailViewController();

    // Outlets and child screens (for the root screen's layout and for tests).
    ui::ImageView* imageViewExplorerBG() const { return imageViewExplorerBG_.get(); }
    ui::View* toolBarTop() const { return toolBarTop_.get(); }
    ui::Button* btnHelp() const { return btnHelp_.get(); }
    ui::View* viewProjectsGrid() const { return mViewProjectsGrid_.get(); }
    ui::View* viewGalleryGrid() const { return mViewGalleryGrid_.get(); }
    ui::View* viewDetails() const { return mViewDetails_.get(); }
    ui::Button* btnProjects() const { return mBtnProjects_.get(); }
    ui::Button* btnGallery() const { return mBtnGallery_.get(); }
    ui::Button* btnImport() const { return btnImport_.get(); }
    KWProjectCollectionViewController* projectsCollectionView() const { return mProjectsCollectionView_.get(); }
    KWProjectDetailViewController* projectDetailView() const { return mProjectDetailView_.get(); }
    KWGalleryCollectionViewController* galleryCollectionView() const { return mGalleryCollectionView_.get(); }
    const ProjectModelPtr& project() const { return mProject_; }
    Hudy* importHud() const { return importHud_.get(); }
    HelpManager* helpManager() const { return helpManager_.get(); }
    void setHelpManager(std::shared_ptr<HelpManager> helpManager) { helpManager_ = std::move(helpManager); }

    void loadView() override;
    void viewDidLoad() override;
    void viewWillLayoutSubviews() override;
    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;
    unsigned supportedInterfaceOrientations() const override { return ui::OrientationMaskLandscape; }

private:
    struct PendingDetail {
        ProjectModelPtr project;
        unsigned withAnimation = 0;
    };

    // Steps of showProjectDetail after the version check.
    void presentProjectDetail(const ProjectModelPtr& project, unsigned withAnimation);
    void conversionDidFinish(const ProjectModelPtr& project);
    void showCannotReadAlert();
    // A platform alert without title with that message and "OK".
    static void showAlert(const std::string& message);
    void checkLowStorage();
    void checkWelcome();
    void selectTab(bool library);

    ProjectModelPtr mProject_;
    std::shared_ptr<ui::ImageView> imageViewExplorerBG_;
    ui::ViewPtr toolBarTop_;
    std::shared_ptr<ui::Button> btnHelp_;
    ui::ViewPtr mViewProjectsGrid_;
    ui::ViewPtr mViewGalleryGrid_;
    ui::ViewPtr mViewDetails_;
    std::shared_ptr<ui::Button> mBtnProjects_;
    std::shared_ptr<ui::Button> mBtnGallery_;
    std::shared_ptr<ui::Button> btnImport_;
    std::shared_ptr<HelpManager> helpManager_;
    std::shared_ptr<KWProjectCollectionViewController> mProjectsCollectionView_;
    std::shared_ptr<KWProjectDetailViewController> mProjectDetailView_;
    std::shared_ptr<KWGalleryCollectionViewController> mGalleryCollectionView_;

    std::shared_ptr<Hudy> importHud_;
    std::optional<PendingDetail> pendingDetail_;
    std::weak_ptr<ui::ViewController> passCodeNavigation_;
    foundation::ObserverToken importObserver_;
    foundation::ObserverToken activeObserver_;
};
