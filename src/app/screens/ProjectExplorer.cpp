#include "app/screens/ProjectExplorer.h"

#include "app/core/BundleImage.h"
#include "app/core/DataManager.h"
#include "app/core/FileUtil.h"
#include "app/core/KWProjects.h"
#include "app/core/ProjectConvertProcessor.h"
#include "app/core/ProjectImportProcessor.h"
#include "app/core/StorageFullError.h"
#include "app/screens/KWGalleryCollectionViewController.h"
#include "app/screens/KWProjectCollectionViewController.h"
#include "app/screens/KWProjectDetailViewController.h"
#include "app/screens/KWWelcomeViewController.h"
#include "app/screens/PassCodeViewController.h"
#include "app/widgets/alerts/AlertView.h"
#include "app/widgets/alerts/Hudy.h"
#include "app/widgets/views/AccentColor.h"
#include "app/widgets/views/NXNavigationController.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Lifetime.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/host/Application.h"
#include "platform/ui/host/Device.h"

#include <algorithm>
#include <set>

namespace {

constexpr double kToolBarHeight = 64.0;
constexpr double kTabWidth = 120.0;
constexpr double kIconButtonSize = 44.0;
const graphics::Color kBackground = graphics::Color::rgb8(30, 27, 38);

ProjectExplorer::DocumentPickerFactory& documentPickerFactory() {
    static ProjectExplorer::DocumentPickerFactory factory;
    return factory;
}

// Projects whose conversion has started and not yet completed, shared by
// every browser: the root screen makes a new browser after each editing.
std::set<ProjectModelPtr>& projectsInConversion() {
    static std::set<ProjectModelPtr> projects;
    return projects;
}

std::shared_ptr<ui::Button> makeTabButton(const std::string& title) {
    auto button = std::make_shared<ui::Button>(ui::ButtonType::Custom);
    button->setTitle(title, ui::ControlStateNormal);
    button->setTitleColor(graphics::Color::grey(0.85), ui::ControlStateNormal);
    button->setTitleColor(graphics::Color::white(), ui::ControlStateSelected);
    button->setTitleColor(graphics::Color::grey(0.45), ui::ControlStateDisabled);
    button->titleLabel()->setFont(graphics::Font::boldSystemFont(17));
    button->layer().setCornerRadius(6);
    return button;
}

std::shared_ptr<ui::Button> makeIconButton(const char* imageName) {
    auto button = std::make_shared<ui::Button>(ui::ButtonType::System);
    if (auto image = bundleImageNamed(imageName)) button->setImage(*image, ui::ControlStateNormal);
    return button;
}

}  // namespace

void ProjectExplorer::setDocumentPickerFactory(DocumentPickerFactory factory) {
    documentPickerFactory() = std::move(factory);
}

bool ProjectExplorer::isDocumentPickerAvailable() { return static_cast<bool>(documentPickerFactory()); }

bool ProjectExplorer::isProjectInConversion(const ProjectModelPtr& project) {
    return project && projectsInConversion().contains(project);
}

ProjectExplorer::ProjectExplorer(std::string nibName, ProjectModelPtr project)
    : ui::ViewController(std::move(nibName)), mProject_(std::move(project)) {}

ProjectExplorer::~ProjectExplorer() {
    for (auto* button : {mBtnProjects_.get(), mBtnGallery_.get(), btnImport_.get(), btnHelp_.get()}) {
        if (button) button->removeTarget(this, ui::ControlEventAllEvents);
    }
    if (helpManager_) helpManager_->setDelegate(nullptr);
    if (importHud_) importHud_->dismiss();
}

// ---- view --------------------------------------------------------------------------

void ProjectExplorer::loadView() {
    auto root = ui::makeView<ui::View>(graphics::Rect{0, 0, 1024, 768});
    root->setBackgroundColor(kBackground);
    setView(root);

    imageViewExplorerBG_ = ui::makeView<ui::ImageView>(root->bounds());
    imageViewExplorerBG_->setContentMode(ui::ContentMode::ScaleAspectFill);
    if (auto image = bundleImageNamed("explorer_background")) imageViewExplorerBG_->setImage(*image);
    root->addSubview(imageViewExplorerBG_);

    for (auto* container : {&mViewProjectsGrid_, &mViewGalleryGrid_, &mViewDetails_}) {
        *container = ui::makeView<ui::View>();
        root->addSubview(*container);
    }
    mViewGalleryGrid_->setHidden(true);
    mViewDetails_->setHidden(true);

    toolBarTop_ = ui::makeView<ui::View>();
    toolBarTop_->setBackgroundColor(graphics::Color::grey(0.0, 0.55));
    root->addSubview(toolBarTop_);

    mBtnProjects_ = makeTabButton(foundation::localized("Library"));
    mBtnProjects_->addTarget(
        this, [this](ui::Control&) { actionShowProjects(); }, ui::ControlEventTouchUpInside);
    mBtnGallery_ = makeTabButton(foundation::localized("Gallery"));
    mBtnGallery_->addTarget(
        this, [this](ui::Control&) { actionShowGallery(); }, ui::ControlEventTouchUpInside);
    btnImport_ = makeIconButton("explorer_icon_import");
    btnImport_->addTarget(
        this, [this](ui::Control&) { actionImport(); }, ui::ControlEventTouchUpInside);
    // The button shows only a picture: the pointer resting on it says what
    // it does, and the desktop's Open shortcut presses it.
    btnImport_->setToolTip(foundation::localized("Import a project archive (Ctrl+O)"));
    btnImport_->setKeyEquivalent(ui::Key::Open);
    btnHelp_ = makeIconButton("explorer_icon_help");
    btnHelp_->addTarget(
        this, [this](ui::Control&) { actionHelp(); }, ui::ControlEventTouchUpInside);
    for (auto* button : {mBtnProjects_.get(), mBtnGallery_.get(), btnImport_.get(), btnHelp_.get()}) {
        toolBarTop_->addSubview(button->sharedFromThis());
    }
    selectTab(true);
}

void ProjectExplorer::viewWillLayoutSubviews() {
    const auto bounds = view()->bounds();
    imageViewExplorerBG_->setFrame(bounds);
    toolBarTop_->setFrame({0, 0, bounds.width(), kToolBarHeight});
    const double buttonY = (kToolBarHeight - kIconButtonSize) / 2;
    mBtnProjects_->setFrame({16, buttonY, kTabWidth, kIconButtonSize});
    mBtnGallery_->setFrame({16 + kTabWidth + 8, buttonY, kTabWidth, kIconButtonSize});
    btnHelp_->setFrame({bounds.width() - 16 - kIconButtonSize, buttonY, kIconButtonSize, kIconButtonSize});
    btnImport_->setFrame({bounds.width() - 24 - 2 * kIconButtonSize, buttonY, kIconButtonSize, kIconButtonSize});
    const graphics::Rect content{0, kToolBarHeight, bounds.width(), bounds.height() - kToolBarHeight};
    // The card lies exactly over the grid, so a cell's rect in the grid's
    // container is also its rect in the card's.
    for (auto* container : {mViewProjectsGrid_.get(), mViewGalleryGrid_.get(), mViewDetails_.get()}) {
        container->setFrame(content);
    }
}

void ProjectExplorer::viewDidLoad() {
    auto& center = foundation::NotificationCenter::defaultCenter();
    importObserver_ = center.addObserver(kDidImportProjectNotification, nullptr,
                                         [this](const foundation::Notification& notification) {
                                             receiveProjectImportProcessorDidImportProject(notification);
                                         });
    activeObserver_ = center.addObserver(ui::Application::DidBecomeActiveNotification, nullptr,
                                         [this](const foundation::Notification&) { validateRestrictionsSettings(); });
}

void ProjectExplorer::viewWillAppear(bool animated) {
    ui::ViewController::viewWillAppear(animated);
    mBtnProjects_->setTitle(foundation::localized("Library"), ui::ControlStateNormal);
    mBtnGallery_->setTitle(foundation::localized("Gallery"), ui::ControlStateNormal);

    auto& projects = KWProjects::getInstance().getProjects();
    if (!mProjectsCollectionView_) {
        mProjectsCollectionView_ = std::make_shared<KWProjectCollectionViewController>(projects);
        addChildViewController(mProjectsCollectionView_);
        auto gridView = mProjectsCollectionView_->viewPtr();
        gridView->setFrame(mViewProjectsGrid_->bounds());
        gridView->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
        mViewProjectsGrid_->addSubview(gridView);
        // The card's rect comes from the grid's layout, so lay it out now.
        view()->layoutIfNeeded();
        auto weak = foundation::weakFrom(this);
        mProjectsCollectionView_->setSelectionHandler([weak](const KWGridCollectionViewController::GridItem& item) {
            if (auto self = weak.lock()) self->showProjectDetail(std::static_pointer_cast<ProjectModel>(item), 1);
        });
    } else {
        mProjectsCollectionView_->updateProjects();
    }

    if (mProject_) {
        mProjectsCollectionView_->setSelectedItem(mProject_);
        showProjectDetail(mProject_, 0);
    } else if (!projects.empty()) {
        auto selection = DataManager::sharedDataManager().lastSelection().value_or(0);
        if (selection >= projects.size()) selection = 0;
        mProjectsCollectionView_->setSelectedItem(projects[static_cast<size_t>(selection)]);
    }

    if (!isDocumentPickerAvailable()) {
        btnImport_->setImage(graphics::Image(), ui::ControlStateNormal);
        btnImport_->setEnabled(false);
    }
}

void ProjectExplorer::viewDidAppear(bool animated) {
    ui::ViewController::viewDidAppear(animated);
    validateRestrictionsSettings();
    checkLowStorage();
    checkWelcome();
}

void ProjectExplorer::checkLowStorage() {
    auto& settings = DataManager::sharedDataManager();
    if (settings.isLowSpaceWarningShown()) return;
    if ((FileUtil::freeDiskspace() >> 22) >= kLowSpaceBlocks) return;
    // Only remembered for this run: the next launch warns again if still full.
    settings.setIsLowSpaceWarningShown(true);
    auto alert = AlertView::create(foundation::localized("Storage Nearly Full"), storageFullText());
    alert->addButtonWithTitle(foundation::localized("Dismiss"), {});
    alert->show();
}

void ProjectExplorer::checkWelcome() {
    if (KWWelcomeViewController::getHasSeen()) return;
    presentViewController(std::make_shared<KWWelcomeViewController>(), false,
                          [] { KWWelcomeViewController::setHasSeen(true); });
}

// ---- choosing a project ----------------------------------------------------------------

void ProjectExplorer::showProjectDetail(const ProjectModelPtr& project, unsigned withAnimation) {
    if (!project) return;
    // The latest choice wins over one still waiting for its conversion.
    pendingDetail_.reset();
    if (!project->getProjectPath()) {
        if (withAnimation == 1 && delegate) delegate->didFinishProjectExplorer(this, ProjectModel::create());
        return;
    }
    if (!checkIfProjectNeedsConversion(project)) return;
    if (isProjectInConversion(project)) {
        pendingDetail_ = PendingDetail{project, withAnimation};
        return;
    }
    presentProjectDetail(project, withAnimation);
}

bool ProjectExplorer::checkIfProjectNeedsConversion(const ProjectModelPtr& project) {
    // Its metadata are being rewritten: nothing may read them now.
    if (isProjectInConversion(project)) return true;

    std::optional<float> version;
    if (auto metadata = project->getMetaData()) version = ProjectConvertProcessor::getProductVersion(*metadata);
    if (!ProjectConvertProcessor::canOpenProductVersion(version)) {
        showCannotReadAlert();
        return false;
    }
    if (ProjectConvertProcessor::needsConversion(version)) {
        projectsInConversion().insert(project);
        auto weak = foundation::weakFrom(this);
        auto processor = ProjectConvertProcessor::create();
        std::weak_ptr<ProjectConvertProcessor> weakProcessor = processor;
        processor->convertProject(project, [weak, weakProcessor, project] {
            // The processor lives until this completion has run.
            auto failure = weakProcessor.lock()->error();
            foundation::DispatchQueue::main().async([weak, project, failure] {
                projectsInConversion().erase(project);
                if (failure) showAlert(failure->localizedDescription());
                if (auto self = weak.lock()) self->conversionDidFinish(project);
            });
        });
    }
    return true;
}

void ProjectExplorer::conversionDidFinish(const ProjectModelPtr& project) {
    // The cell may show the placeholder it had during the conversion.
    if (mProjectsCollectionView_) mProjectsCollectionView_->updateProjects();
    if (!pendingDetail_ || pendingDetail_->project != project) return;
    auto pending = *pendingDetail_;
    pendingDetail_.reset();
    if (pending.withAnimation == 1) mProjectsCollectionView_->setSelectedItem(project);
    presentProjectDetail(pending.project, pending.withAnimation);
}

void ProjectExplorer::showCannotReadAlert() { showAlert(foundation::localized(kCannotReadProjectMessage)); }

void ProjectExplorer::showAlert(const std::string& message) {
    auto alert =
        ui::makeView<ui::AlertView>("", message, nullptr, foundation::localized("OK"), std::vector<std::string>{});
    alert->show();
}

std::shared_ptr<KWProjectDetailViewController> ProjectExplorer::getDetailViewController() {
    return std::make_shared<KWProjectDetailViewController>();
}

void ProjectExplorer::presentProjectDetail(const ProjectModelPtr& project, unsigned withAnimation) {
    if (!mProjectDetailView_) {
        mProjectDetailView_ = getDetailViewController();
        addChildViewController(mProjectDetailView_);
        auto cardView = mProjectDetailView_->viewPtr();
        cardView->setFrame(mViewDetails_->bounds());
        cardView->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
        mViewDetails_->addSubview(cardView);

        auto weak = foundation::weakFrom(this);
        mProjectDetailView_->handlerProjectOpen = [weak](const ProjectModelPtr& opened) {
            auto self = weak.lock();
            if (self && self->delegate) self->delegate->didFinishProjectExplorer(self.get(), opened);
        };
        mProjectDetailView_->handlerProjectBack = [weak](const ProjectModelPtr&) {
            auto self = weak.lock();
            if (!self) return;
            self->mProjectsCollectionView_->showSelectItem(true);
            self->mViewDetails_->setHidden(true);
        };
        mProjectDetailView_->handlerProjectDelete = [weak](const ProjectModelPtr&) {
            auto self = weak.lock();
            if (!self) return;
            self->mProjectsCollectionView_->updateProjects();
            self->mViewDetails_->setHidden(true);
        };
        mProjectDetailView_->handlerProjectDuplicate = [weak](const ProjectModelPtr&) {
            if (auto self = weak.lock()) self->mProjectsCollectionView_->updateProjects();
        };
    }

    mViewDetails_->setHidden(false);
    auto rect = mProjectsCollectionView_->getViewRectForSelectItem();
    // The card's thumbnail stands in for the cell while the card is open.
    mProjectsCollectionView_->showSelectItem(false);
    if (withAnimation == 1) {
        mProjectDetailView_->showAnimationFromProjectExplorerForProject(project, rect);
    } else {
        mProjectDetailView_->showAnimationFromFrameEditorForProject(project, rect);
    }

    mProject_.reset();
    auto& projects = KWProjects::getInstance().getProjects();
    auto found = std::find(projects.begin(), projects.end(), project);
    if (found != projects.end()) {
        DataManager::sharedDataManager().setLastSelection(static_cast<uint64_t>(found - projects.begin()));
    }
}

// ---- restriction -----------------------------------------------------------------------

void ProjectExplorer::validateRestrictionsSettings() {
    auto& settings = DataManager::sharedDataManager();
    auto& defaults = foundation::UserDefaults::standard();
    const bool asked = !defaults.objectForKey(kGalleryEnabledDefaultsKey).isNull() &&
                       defaults.boolForKey(kGalleryEnabledDefaultsKey) != settings.isYoutubeGalleryEnabled();
    // A pass-code screen on screen or waiting to come keeps its navigation
    // controller alive; a refused presentation lets it go.
    if (asked && passCodeNavigation_.expired() && isViewLoaded()) {
        auto passCode = std::make_shared<PassCodeViewController>("PassCodeViewController");
        auto navigation = std::make_shared<NXNavigationController>(passCode);
        navigation->modalPresentationStyle = ui::ModalPresentationStyle::FormSheet;
        auto weak = foundation::weakFrom(this);
        std::weak_ptr<ui::ViewController> weakNavigation = navigation;
        passCode->setCompletionHandler([weak, weakNavigation](bool accepted) {
            auto self = weak.lock();
            if (!self) return;
            auto& settings = DataManager::sharedDataManager();
            auto& defaults = foundation::UserDefaults::standard();
            if (accepted) {
                settings.setIsYoutubeGalleryEnabled(defaults.boolForKey(kGalleryEnabledDefaultsKey));
                // Lifting the restriction forgets the code that guarded it.
                if (settings.isYoutubeGalleryEnabled()) settings.setPassCode(std::nullopt);
                DataManager::saveState();
            } else {
                defaults.setBool(settings.isYoutubeGalleryEnabled(), kGalleryEnabledDefaultsKey);
            }
            self->passCodeNavigation_.reset();
            self->mBtnGallery_->setEnabled(settings.isYoutubeGalleryEnabled());
            if (auto presented = weakNavigation.lock()) presented->dismissViewController(true);
        });
        passCodeNavigation_ = navigation;
        presentViewController(navigation, true);
    }
    if (mBtnGallery_) mBtnGallery_->setEnabled(settings.isYoutubeGalleryEnabled());
}

// ---- tabs, info centre, help -----------------------------------------------------------

void ProjectExplorer::selectTab(bool library) {
    mBtnProjects_->setSelected(library);
    mBtnGallery_->setSelected(!library);
    mBtnProjects_->setBackgroundColor(library ? std::optional(kAccentColor) : std::nullopt);
    mBtnGallery_->setBackgroundColor(library ? std::nullopt : std::optional(kAccentColor));
    mViewProjectsGrid_->setHidden(!library);
    mViewGalleryGrid_->setHidden(library);
}

void ProjectExplorer::actionShowProjects() { selectTab(true); }

void ProjectExplorer::actionShowGallery() {
    selectTab(false);
    if (mGalleryCollectionView_) return;
    mGalleryCollectionView_ = std::make_shared<KWGalleryCollectionViewController>();
    addChildViewController(mGalleryCollectionView_);
    auto galleryView = mGalleryCollectionView_->viewPtr();
    galleryView->setFrame(mViewGalleryGrid_->bounds());
    galleryView->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    mViewGalleryGrid_->addSubview(galleryView);
}

void ProjectExplorer::actionHelp() {
    auto infoCenter = std::make_shared<InfoCenterViewController>("InfoCenterViewController");
    infoCenter->setDelegate(this);
    infoCenter->modalPresentationStyle = ui::Device::current().userInterfaceIdiom() == ui::UserInterfaceIdiom::Pad
                                             ? ui::ModalPresentationStyle::FormSheet
                                             : ui::ModalPresentationStyle::FullScreen;
    presentViewController(infoCenter, true);
}

void ProjectExplorer::infoCenterDidFinish(InfoCenterViewController& infoCenter) {
    infoCenter.setDelegate(nullptr);
    // The info centre's gallery switch may have changed the setting: check
    // it, as on a return from the platform's settings, once the screen is gone.
    auto weak = foundation::weakFrom(this);
    infoCenter.dismissViewController(true, [weak] {
        if (auto self = weak.lock()) self->validateRestrictionsSettings();
    });
}

void ProjectExplorer::helpManangerDidFinish(HelpManager& helpManager) {
    if (helpManager_.get() == &helpManager) helpManager_.reset();
}

// ---- import ----------------------------------------------------------------------------

void ProjectExplorer::actionImport() {
    if (!isDocumentPickerAvailable()) return;
    auto picker = documentPickerFactory()(kArchiveTypeIdentifier);
    if (!picker) return;
    picker->delegate = foundation::weakFrom(this);
    picker->modalPresentationStyle = ui::ModalPresentationStyle::FormSheet;
    presentViewController(picker, true);
}

void ProjectExplorer::documentPickerDidPickDocumentAtURL(library::DocumentPickerViewController&,
                                                         const std::string& url) {
    if (importHud_) importHud_->dismiss();
    auto hud = std::make_shared<Hudy>();
    hud->caption = foundation::localized("Import.");
    hud->isActivity = true;
    // Up until the outcome is known, however long the import takes.
    hud->dismissAfterTime = Hudy::kStaysUntilDismissed;
    hud->showInView(view());
    importHud_ = hud;

    auto weak = foundation::weakFrom(this);
    ProjectImportProcessor().importProjectAtUrl(url, [weak, hud](bool imported) {
        foundation::DispatchQueue::main().async([weak, hud, imported] {
            auto self = weak.lock();
            if (imported) {
                foundation::NotificationCenter::defaultCenter().post(kDidImportProjectNotification, self.get());
            }
            // A browser that went away meanwhile took its HUD with it.
            if (!self || self->importHud_ != hud) return;
            hud->dismissAfterTime = 3.0;
            hud->updateCaption(foundation::localized(imported ? kImportSucceededCaption : kImportFailedCaption));
        });
    });
}

void ProjectExplorer::receiveProjectImportProcessorDidImportProject(const foundation::Notification&) {
    if (mProjectsCollectionView_) mProjectsCollectionView_->updateProjects();
}
