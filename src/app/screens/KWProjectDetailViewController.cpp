#include "app/screens/KWProjectDetailViewController.h"

#include "app/core/FormatterUtil.h"
#include "app/core/KWProfanityFilter.h"
#include "app/core/KWProjects.h"
#include "app/core/SaveFailure.h"
#include "app/render/MovieRenderer.h"
#include "app/share/DuplicateConnectHandler.h"
#include "app/share/ShareServices.h"
#include "app/widgets/alerts/AlertView.h"
#include "app/widgets/alerts/Hudy.h"
#include "app/widgets/alerts/UIActionSheet_MKBlockAdditions.h"
#include "app/widgets/popover/KWPopoverController.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Lifetime.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/RunLoop.h"
#include "platform/library/ActivityViewController.h"
#include "platform/library/PhotoLibrary.h"
#include "platform/ui/compositing/Animation.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/Toolbar.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/host/Application.h"
#include "platform/ui/host/Device.h"

#include <cmath>

namespace {

constexpr double kThumbAspect = 0.5625;  // 16:9
constexpr double kBaseFontSizeTablet = 17.0;
constexpr double kBaseFontSizePhone = 10.0;
const char* const kDetailsFontFamily = "HelveticaNeue-CondensedBlack";
// How far the thumbnail rises on a phone as it grows into the editor.
constexpr double kEditRisePhone = 70.0;
// How long the thumbnail takes on its way into the editor.
constexpr double kEditSeconds = 0.3;
constexpr double kEditScaleTablet = 2.5;
constexpr double kEditScalePhone = 1.9;
constexpr double kDeleteWarningDelay = 0.25;
// Shown when the string table has no text for the photo-access key, so the
// user never reads the bare key.
const char* const kPhotoAccessKey = "UserDeniedKey_Photo_Access_ios6";
const char* const kPhotoAccessFallback =
    "%@ cannot reach your photos. Please allow access to the photo library in the settings.";

// Where the thumbnail rests: 16:9, 47 % of the screen's height, centred.
graphics::Rect restingThumbFrame(const graphics::Rect& bounds, bool tablet) {
    const double thumbWidth = std::round(std::round(bounds.height() * 0.47) / kThumbAspect);
    const double thumbTop = tablet ? 60 : 16;
    return {(bounds.width() - thumbWidth) / 2, thumbTop, thumbWidth, thumbWidth * kThumbAspect};
}

double baseFontSize(bool tablet) { return tablet ? kBaseFontSizeTablet : kBaseFontSizePhone; }

graphics::Font detailsFont(double size) { return graphics::Font(kDetailsFontFamily, size, true); }

// The platform's activities the card never offers, in the order it names them.
std::vector<std::string> excludedSystemActivities() {
    namespace type = library::activitytype;
    return {type::PostToFacebook,
            type::PostToTwitter,
            type::PostToWeibo,
            type::Message,
            type::Mail,
            type::Print,
            type::CopyToPasteboard,
            type::AssignToContact,
            type::SaveToCameraRoll,
            type::PostToFlickr,
            type::PostToVimeo,
            type::PostToTencentWeibo};
}

}  // namespace

KWProjectDetailViewController::KWProjectDetailViewController() : ui::ViewController(kNibName) {}

KWProjectDetailViewController::~KWProjectDetailViewController() {
    if (textFieldName_) textFieldName_->setDelegate(nullptr);
    if (popover_) popover_->dismissPopoverAnimated(false);
}

bool KWProjectDetailViewController::isTablet() {
    return ui::Device::current().userInterfaceIdiom() == ui::UserInterfaceIdiom::Pad;
}

// ---- view -----------------------------------------------------------------------

void KWProjectDetailViewController::loadView() {
    const graphics::Rect bounds{{0, 0}, ui::Device::current().screenBounds().size};
    auto root = ui::makeView<ui::View>(bounds);
    root->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    root->setBackgroundColor(std::nullopt);
    setView(root);

    mViewProjectDetailBG_ = ui::makeView<ui::View>(bounds);
    mViewProjectDetailBG_->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    root->addSubview(mViewProjectDetailBG_);

    mViewProjectDetails_ = ui::makeView<ui::View>(bounds);
    mViewProjectDetails_->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    mViewProjectDetails_->setAlpha(0.0);
    root->addSubview(mViewProjectDetails_);

    const bool tablet = isTablet();
    const double base = baseFontSize(tablet);
    textFieldName_ = ui::makeView<ui::TextField>();
    textFieldName_->setFont(detailsFont(base * 3));
    textFieldName_->setTextColor(graphics::Color::white());
    textFieldName_->setTextAlignment(graphics::TextAlignment::Center);
    textFieldName_->setReturnKeyType(ui::ReturnKeyType::Done);
    textFieldName_->setDelegate(this);
    mViewProjectDetails_->addSubview(textFieldName_);

    mLabelDetails_ = ui::makeView<ui::Label>();
    mLabelDetails_->setTextColor(graphics::Color::white());
    mLabelDetails_->setTextAlignment(graphics::TextAlignment::Center);
    mLabelDetails_->setNumberOfLines(2);
    mViewProjectDetails_->addSubview(mLabelDetails_);

    auto item = [this](ui::BarButtonSystemItem system, void (KWProjectDetailViewController::*action)()) {
        return std::make_shared<ui::BarButtonItem>(system, [this, action](ui::BarButtonItem&) { (this->*action)(); });
    };
    auto titled = [this](const char* title, void (KWProjectDetailViewController::*action)()) {
        return std::make_shared<ui::BarButtonItem>(foundation::localized(title), ui::BarButtonItemStyle::Plain,
                                                   [this, action](ui::BarButtonItem&) { (this->*action)(); });
    };
    auto space = [](double width) {
        auto fixed = std::make_shared<ui::BarButtonItem>(ui::BarButtonSystemItem::FixedSpace, nullptr);
        fixed->setWidth(width);
        return fixed;
    };
    auto flexible = [] { return std::make_shared<ui::BarButtonItem>(ui::BarButtonSystemItem::FlexibleSpace, nullptr); };
    backBtn_ = titled("Back", &KWProjectDetailViewController::actionBack);
    backBtn_->setKeyEquivalent(ui::Key::Escape);
    playBtn_ = item(ui::BarButtonSystemItem::Play, &KWProjectDetailViewController::actionPlay);
    shareBtn_ = item(ui::BarButtonSystemItem::Action, &KWProjectDetailViewController::actionShare);
    duplicateBtn_ = titled("Duplicate", &KWProjectDetailViewController::actionDuplicate);
    trashBtn_ = item(ui::BarButtonSystemItem::Trash, &KWProjectDetailViewController::actionTrash);
    editBtn_ = item(ui::BarButtonSystemItem::Edit, &KWProjectDetailViewController::actionEdit);
    const double gap = tablet ? 40 : 16;
    toolbar_ = ui::makeView<ui::Toolbar>();
    toolbar_->setBarStyle(ui::BarStyle::Black);
    toolbar_->setTranslucent(true);
    toolbar_->setItems({backBtn_, flexible(), playBtn_, space(gap), shareBtn_, space(gap), duplicateBtn_, space(gap),
                        trashBtn_, flexible(), editBtn_});
    mViewProjectDetails_->addSubview(toolbar_);

    // Where the interface places the thumbnail; its 16:9 resting frame is
    // derived from this by calcOrgRect.
    mImageViewProjectDetail_ = ui::makeView<ui::ImageView>(restingThumbFrame(bounds, tablet));
    mImageViewProjectDetail_->setContentMode(ui::ContentMode::ScaleAspectFill);
    mImageViewProjectDetail_->setClipsToBounds(true);
    mImageViewProjectDetail_->setAutoresizingMask(ui::AutoresizingFlexibleLeftMargin |
                                                  ui::AutoresizingFlexibleRightMargin);
    mImageViewProjectDetail_->setBackgroundColor(graphics::Color::black());
    root->addSubview(mImageViewProjectDetail_);
}

void KWProjectDetailViewController::viewDidLoad() {
    // This platform has no blurring effect view, so the card takes the dark
    // translucent background the platform's older systems got.
    mViewProjectDetailBG_->setBackgroundColor(graphics::Color::grey(0.0, 0.85));

    std::weak_ptr<KWProjectDetailViewController> weak = foundation::weakFrom(this);
    duplicateObserver_ = foundation::NotificationCenter::defaultCenter().addObserver(
        DuplicateConnectHandler::kDoDuplicateProjectNotification, nullptr,
        [weak](const foundation::Notification& notification) {
            if (auto self = weak.lock()) self->receiveDuplicateProjectNotification(notification);
        });
    // Quitting (the window closed, SIGTERM, SIGINT) keeps a name being typed,
    // the same way Back does: ending the edit stores it.
    terminateObserver_ = foundation::NotificationCenter::defaultCenter().addObserver(
        ui::Application::WillTerminateNotification, nullptr, [weak](const foundation::Notification&) {
            if (auto self = weak.lock()) self->endNameEditing();
        });
}

void KWProjectDetailViewController::endNameEditing() {
    if (textFieldName_ && textFieldName_->isEditing()) textFieldName_->resignFirstResponder();
}

void KWProjectDetailViewController::viewWillLayoutSubviews() {
    const auto bounds = view()->bounds();
    const bool tablet = isTablet();
    const double base = baseFontSize(tablet);
    const double toolbarHeight = ui::Toolbar::kHeight;
    toolbar_->setFrame({0, bounds.height() - toolbarHeight, bounds.width(), toolbarHeight});

    const graphics::Rect thumb = orgRect_.origin.x == 0.0 ? mImageViewProjectDetail_->frame() : orgRect_;
    const double nameHeight = std::ceil(detailsFont(base * 3).lineHeight()) + 6;
    const double nameTop = thumb.maxY() + (tablet ? 12 : 4);
    const double margin = tablet ? 40 : 8;
    // As wide as the details below it, not the picture: a name of the
    // program's own making ("My Stop Ziruru Movie") reads whole.
    textFieldName_->setFrame({margin, nameTop, bounds.width() - 2 * margin, nameHeight});
    const double detailsTop = nameTop + nameHeight + (tablet ? 6 : 2);
    // Room for two lines of values, so a long line wraps rather than vanishes.
    const double twoLines = 2 * std::ceil(detailsFont(base * 1.7).lineHeight());
    const double room = std::max(0.0, toolbar_->frame().minY() - detailsTop - (tablet ? 8 : 2));
    const double detailsHeight = std::min(room, twoLines);
    mLabelDetails_->setFrame({margin, detailsTop, bounds.width() - 2 * margin, detailsHeight});
}

void KWProjectDetailViewController::calcOrgRect() {
    auto* thumb = mImageViewProjectDetail_.get();
    if (!thumb) return;
    // From the screen's size now: the view may have been made at another
    // size, and a frame kept from then leaves no room for the details on a phone.
    thumb->setFrame(restingThumbFrame(view()->bounds(), isTablet()));
    orgRect_ = thumb->frame();
    view()->setNeedsLayout();
}

void KWProjectDetailViewController::didRotateFromInterfaceOrientation(ui::InterfaceOrientation from) {
    ui::ViewController::didRotateFromInterfaceOrientation(from);
    calcOrgRect();
}

// ---- showing ------------------------------------------------------------------------

void KWProjectDetailViewController::showProject(const ProjectModelPtr& project, const graphics::Rect& imageRect) {
    view();
    mProject_ = project;
    if (orgRect_.origin.x == 0.0) calcOrgRect();
    srcRect_ = imageRect;
    if (project) mImageViewProjectDetail_->setImage(project->getThumbImageForProject());
    updateProjectDetailWithSize(-1);
    getProjectFileSize();
}

void KWProjectDetailViewController::showAnimationFromProjectExplorerForProject(const ProjectModelPtr& project,
                                                                               const graphics::Rect& imageRect) {
    showProject(project, imageRect);
    auto* thumb = mImageViewProjectDetail_.get();
    // A scale kept from an earlier trip into the editor would leave the
    // thumbnail blown up.
    thumb->layer().removeAnimation(kScaleAnimationKey);
    thumb->setFrame(srcRect_);
    mViewProjectDetails_->setAlpha(0.0);
    ui::animateWithSpring(0.35, 0.0, 10.0, 1.0, ui::AnimationOptionNone, [this, thumb] {
        thumb->setFrame(orgRect_);
        mViewProjectDetails_->setAlpha(1.0);
    });
}

void KWProjectDetailViewController::showAnimationFromFrameEditorForProject(const ProjectModelPtr& project,
                                                                           const graphics::Rect& imageRect) {
    showProject(project, imageRect);
    mImageViewProjectDetail_->setFrame(orgRect_);
    addScaleAnimation(isTablet() ? kEditScaleTablet : kEditScalePhone, 1.0);
    mViewProjectDetails_->setAlpha(1.0);
}

void KWProjectDetailViewController::addScaleAnimation(double from, double to) {
    auto scale = ui::BasicAnimation::make("transform.scale");
    scale->fromValue = from;
    scale->toValue = to;
    scale->duration = 0.25;
    scale->removedOnCompletion = false;
    scale->fillMode = ui::FillMode::Forwards;
    mImageViewProjectDetail_->layer().addAnimation(scale, kScaleAnimationKey);
}

// ---- details ---------------------------------------------------------------------------

void KWProjectDetailViewController::getProjectFileSize() {
    auto project = mProject_;
    if (!project) return;
    std::weak_ptr<KWProjectDetailViewController> weak = foundation::weakFrom(this);
    foundation::DispatchQueue::global(foundation::QueuePriority::Default).async([weak, project] {
        const int64_t size = project->getUsedStorageSpace();
        foundation::DispatchQueue::main().async([weak, project, size] {
            auto self = weak.lock();
            // The card may show another project by now.
            if (self && self->mProject_ == project) self->updateProjectDetailWithSize(size);
        });
    });
}

void KWProjectDetailViewController::updateProjectDetailWithSize(int64_t size) {
    if (!mProject_ || !isViewLoaded()) return;
    // The size arrives from the background at any moment: a name being typed stays.
    if (!textFieldName_->isEditing()) textFieldName_->setText(mProject_->getName());

    const double base = baseFontSize(isTablet());
    const graphics::Font labelFont = detailsFont(base);
    const graphics::Font valueFont = detailsFont(base * 1.7);
    textFieldName_->setFont(detailsFont(base * 3));
    const auto labelColor = graphics::Color::grey(0.75);
    const auto valueColor = graphics::Color::white();

    ui::AttributedText text;
    auto add = [&](const std::string& label, const std::string& value, const char* pattern) {
        text.push_back({foundation::localized(label), labelFont, labelColor});
        text.push_back({foundation::format(pattern, {foundation::Value(value)}), valueFont, valueColor});
    };

    if (auto modified = mProject_->getModifiedDate()) {
        add("Modified", FormatterUtil::getFormatedDate(*modified), " %@  ");
    } else {
        add("Created", FormatterUtil::getFormatedDate(mProject_->getCreationDate()), " %@  ");
    }

    auto frames = mProject_->getFrameList();
    const int64_t expanded = frames ? frames->expandedFrameCount() : 0;
    if (expanded >= 1) {
        // getFPS never answers 0 or less.
        const float seconds = static_cast<float>(expanded) / static_cast<float>(mProject_->getFPS());
        add("Duration", FormatterUtil::getFormatedDuration(seconds), " %@  ");
        add("Frames", foundation::format("%ld", {foundation::Value(expanded)}), " %@  ");
    }
    if (size >= 0) add("Size", FormatterUtil::getFormatedFileSize(size), " %@ ");
    mLabelDetails_->setAttributedText(std::move(text));
}

// ---- back, delete -------------------------------------------------------------------------

void KWProjectDetailViewController::actionBack() {
    // The browser must not list projects while a duplication or deletion is on its way.
    if (busy_) return;
    MovieRenderer::cleanRenderCacheForProject(mProject_);
    dismiss();
}

void KWProjectDetailViewController::dismiss() {
    // Ending the edit stores a changed name before the browser gets the project back.
    endNameEditing();
    auto* thumb = mImageViewProjectDetail_.get();
    std::weak_ptr<KWProjectDetailViewController> weak = foundation::weakFrom(this);
    ui::animateWithSpring(
        0.25, 0.0, 1.0, 10.0, ui::AnimationOptionNone,
        [this, thumb] {
            thumb->setFrame(srcRect_);
            mViewProjectDetails_->setAlpha(0.0);
        },
        [weak](bool) {
            auto self = weak.lock();
            if (!self) return;
            self->mImageViewProjectDetail_->setFrame(self->orgRect_);
            if (self->handlerProjectBack) self->handlerProjectBack(self->mProject_);
        });
}

void KWProjectDetailViewController::actionTrash() {
    auto project = mProject_;
    if (!project || busy_) return;
    std::weak_ptr<KWProjectDetailViewController> weak = foundation::weakFrom(this);
    UIActionSheet_MKBlockAdditions::actionSheetWithTitle(
        "", "", foundation::localized("Delete"), {}, trashBtn_.get(),
        [weak, project](int buttonIndex) {
            auto self = weak.lock();
            if (!self || buttonIndex != 0) return;
            auto frames = project->getFrameList();
            // A frame list that cannot be read may hold any number of frames: warn.
            if (frames && frames->count() <= kDeleteWithoutWarningEntries) {
                self->deleteProject(project);
                return;
            }
            auto warning = AlertView::create(
                foundation::localized("Warning"),
                foundation::localized("Do you really want to delete your project? This cannot be undone!"));
            warning->addButtonWithTitle(foundation::localized("Delete"), [weak, project](AlertView&, int) {
                foundation::RunLoop::main().performAfter(kDeleteWarningDelay, [weak, project] {
                    if (auto card = weak.lock()) card->deleteProject(project);
                });
            });
            warning->addButtonWithTitle(foundation::localized("No"), {});
            warning->show();
        },
        [] {});
}

void KWProjectDetailViewController::deleteProject(const ProjectModelPtr& project) {
    if (!project || busy_) return;
    busy_ = true;
    MovieRenderer::cleanRenderCacheForProject(project);
    std::weak_ptr<KWProjectDetailViewController> weak = foundation::weakFrom(this);
    // A folder that could not be removed is not reported: the project is
    // gone from the list either way.
    KWProjects::getInstance().deleteProject(project, [weak](const std::optional<foundation::Error>&) {
        foundation::DispatchQueue::main().async([weak] {
            if (auto self = weak.lock()) self->hideAfterDeletion();
        });
    });
}

void KWProjectDetailViewController::hideAfterDeletion() {
    busy_ = false;
    mProject_.reset();
    std::weak_ptr<KWProjectDetailViewController> weak = foundation::weakFrom(this);
    ui::animateWithSpring(
        0.25, 0.0, 1.0, 10.0, ui::AnimationOptionNone, [this] { mViewProjectDetails_->setAlpha(0.0); },
        [weak](bool) {
            auto self = weak.lock();
            if (!self) return;
            self->mImageViewProjectDetail_->setFrame(self->orgRect_);
            if (self->handlerProjectDelete) self->handlerProjectDelete(nullptr);
        });
}

// ---- duplicate, share -----------------------------------------------------------------

void KWProjectDetailViewController::receiveDuplicateProjectNotification(const foundation::Notification&) {
    actionDuplicate();
}

void KWProjectDetailViewController::actionDuplicate() {
    auto project = mProject_;
    if (!project || busy_) return;
    busy_ = true;
    hud_ = std::make_shared<Hudy>();
    hud_->caption = foundation::localized("Duplicate");
    hud_->isActivity = true;
    hud_->dismissAfterTime = Hudy::kStaysUntilDismissed;
    hud_->showInView(view());

    std::weak_ptr<KWProjectDetailViewController> weak = foundation::weakFrom(this);
    KWProjects::getInstance().duplicateProject(project, [weak](const std::optional<foundation::Error>& error) {
        foundation::DispatchQueue::main().async([weak, error] {
            auto self = weak.lock();
            if (!self) return;
            self->busy_ = false;
            if (auto hud = std::move(self->hud_)) hud->dismiss();
            if (self->handlerProjectDuplicate) self->handlerProjectDuplicate(nullptr);
            if (error) self->showError(error);
        });
    });
}

void KWProjectDetailViewController::actionShare() {
    if (!mProject_) return;
    auto sheet = std::make_shared<library::ActivityViewController>(library::ActivityItems{std::any(mProject_)},
                                                                   ShareServices().getAvailableShareServices());
    sheet->excludedActivityTypes = excludedSystemActivities();
    if (!isTablet()) {
        presentViewController(sheet, true);
        return;
    }
    if (popover_) popover_->dismissPopoverAnimated(false);
    popover_ = std::make_shared<KWPopoverController>(sheet);
    std::weak_ptr<KWPopoverController> weakPopover = popover_;
    sheet->dismissContainer = [weakPopover](std::function<void()> then) {
        if (auto popover = weakPopover.lock()) popover->dismissPopoverAnimated(true);
        then();
    };
    popover_->presentPopoverFromBarButtonItem(*shareBtn_, kPopoverArrowDirectionDown, true);
}

// ---- edit, play ---------------------------------------------------------------------------

void KWProjectDetailViewController::actionEdit() {
    auto project = mProject_;
    if (!project || busy_) return;
    MovieRenderer::cleanRenderCacheForProject(project);
    addScaleAnimation(1.0, isTablet() ? kEditScaleTablet : kEditScalePhone);
    auto* thumb = mImageViewProjectDetail_.get();
    const bool phone = !isTablet();
    const double riseTo = view()->bounds().midY() - kEditRisePhone;
    ui::animate(kEditSeconds, [thumb, phone, riseTo] {
        if (phone) thumb->setCenter({thumb->center().x, riseTo});
    });
    // The editor opens when the animation is over, also on a tablet, where
    // nothing moves and an animation's completion would come at once.
    std::weak_ptr<KWProjectDetailViewController> weak = foundation::weakFrom(this);
    foundation::RunLoop::main().performAfter(kEditSeconds, [weak, project] {
        auto self = weak.lock();
        if (self && self->handlerProjectOpen) self->handlerProjectOpen(project);
    });
}

graphics::Size KWProjectDetailViewController::previewSizeForPlaying() {
    if (isTablet()) {
        return ui::Device::current().screenScale() > 1.0 ? graphics::Size{1920, 1080} : graphics::Size{1280, 720};
    }
    const graphics::Size phoneSize{960, 540};
    return MovieRenderer::isResolutionAvailable(phoneSize) ? phoneSize : graphics::Size{640, 360};
}

// ---- name ------------------------------------------------------------------------------------

bool KWProjectDetailViewController::textFieldShouldReturn(ui::TextField& textField) {
    textField.resignFirstResponder();
    return false;
}

void KWProjectDetailViewController::textFieldDidEndEditing(ui::TextField& textField) {
    textField.setText(KWProfanityFilter().filterText(textField.text()));
    if (!mProject_) return;
    if (textField.text().empty()) {
        // A project keeps its name when the field is emptied: show it again.
        textField.setText(mProject_->getName());
        return;
    }
    mProject_->setName(textField.text());
    if (foundation::Status saved = mProject_->saveMetaDataToDisk(); !saved)
        showError(saveFailureError(projectCalled(mProject_->getName()), saved.error()));
}

// ---- errors ----------------------------------------------------------------------------------

void KWProjectDetailViewController::showError(const std::optional<foundation::Error>& error) {
    if (!error) return;
    std::string message = error->localizedDescription();
    if (error->code == library::kAssetsLibraryDataUnavailableError ||
        error->code == library::kAssetsLibraryAccessUserDeniedError) {
        std::string pattern = foundation::localized(kPhotoAccessKey);
        if (pattern == kPhotoAccessKey) pattern = foundation::localized(kPhotoAccessFallback);
        const auto bundleName = foundation::Bundle::main().objectForInfoDictionaryKey(foundation::kBundleNameKey);
        message = foundation::format(pattern, {bundleName});
    }
    if (message.empty()) {
        message = foundation::localizedFormat("Ups. An unknown error occured. (%@-%d)",
                                              {foundation::Value(error->domain), foundation::Value(error->code)});
    }
    auto alert = std::make_shared<ui::AlertView>(foundation::localized("Error"), message, nullptr,
                                                 foundation::localized("Cancel"), std::vector<std::string>{});
    alert->show();
}
