// The editor's structure: its views and parts, life cycle, layout, toolbar,
// the switch between strip and timeline, playback, and the insertion routine
// through which every new frame reaches the open project.

#include "app/editor/FrameEditorViewController.h"

#include "app/audio/KWAudioController.h"
#include "app/capture/CaptureViewController.h"
#include "app/core/KWImageProducer.h"
#include "app/core/UIImage_Resize.h"
#include "app/editor/FrameEditorModel.h"
#include "app/editor/KWFrameByFrameView.h"
#include "app/editor/MainViewControllerDelegate.h"
#include "app/preview/KWPreviewViewController.h"
#include "app/widgets/alerts/Hudy.h"
#include "app/widgets/popover/KWPopoverController.h"
#include "app/widgets/views/KWButton.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/AffineTransform.h"
#include "platform/graphics/Font.h"
#include "platform/ui/compositing/Animation.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/host/Device.h"

#include <algorithm>

namespace {

constexpr unsigned kFill = ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight;
constexpr double kButtonSize = 44.0;
constexpr double kZoomDuration = 0.3;
// The 16:9 picture's height per width, and its width per height.
constexpr double kWideHeightPerWidth = 0.5625;
constexpr double kWideWidthPerHeight = 1.7777777777777777;

// Tablet: the capture screen above, a control row, the strip, the toolbar.
const graphics::Rect kTabletCapture{0, 0, 1024, 568};
constexpr double kTabletStripY = 612;
constexpr double kTabletStripHeight = 115;
// Phone: the strip along the bottom, the preview between the side panels.
constexpr double kPhoneStripHeight = 110;
// Between the capture slot's tile and the empty project's hint.
constexpr double kEmptyHelpMargin = 10;

graphics::Color panelColor() { return graphics::Color::rgb(0.12, 0.12, 0.13); }

// The strip's and the timeline's container scale, as the zoom animates it.
void animateScale(ui::View& view, double from, double to) {
    auto animation = ui::BasicAnimation::make("transform.scale");
    animation->fromValue = from;
    animation->toValue = to;
    animation->duration = kZoomDuration;
    view.layer().addAnimation(animation, "zoom");
}

}  // namespace

FrameEditorViewController::FrameEditorViewController(std::string nibName, ProjectModelPtr project)
    : ui::ViewController(std::move(nibName)), project_(std::move(project)) {}

std::shared_ptr<FrameEditorViewController> FrameEditorViewController::create(ProjectModelPtr project) {
    return std::make_shared<FrameEditorViewController>(isTablet() ? kNibNameTablet : kNibNamePhone, std::move(project));
}

FrameEditorViewController::~FrameEditorViewController() {
    observers_.clear();
    foundation::RunLoop::main().cancelPreviousPerformRequests(this);
    if (previewViewController_) previewViewController_->removeView();
}

bool FrameEditorViewController::isTablet() {
    return ui::Device::current().userInterfaceIdiom() == ui::UserInterfaceIdiom::Pad;
}

graphics::Rect FrameEditorViewController::getOrientationCorrectedRectFromRect(const graphics::Rect& rect) {
    return graphics::Rect(rect.origin.x, rect.origin.y, std::max(rect.size.width, rect.size.height),
                          std::min(rect.size.width, rect.size.height));
}

void FrameEditorViewController::closeController() {
    // The delegate replaces this screen and may release it on the way.
    auto keep = foundation::weakFrom(this).lock();
    if (delegate_) delegate_->didFinishFrameEditor(this, project_);
    foundation::RunLoop::main().cancelPreviousPerformRequests(this);
    life_.revoke();
}

// ---- views ---------------------------------------------------------------------------------

std::shared_ptr<ui::Button> FrameEditorViewController::makeToolbarButton(const char* icon,
                                                                         void (FrameEditorViewController::*action)()) {
    auto button = std::make_shared<ui::Button>(ui::ButtonType::Custom, graphics::Rect{0, 0, kButtonSize, kButtonSize});
    if (auto image = UIImage_Resize::tintedImageNamed(icon)) button->setImage(*image, ui::ControlStateNormal);
    button->setTintColor(graphics::Color::white());
    if (!action) return button;  // the capture screen wires it
    button->addTarget(this, life_.guard([this, action](ui::Control&) { (this->*action)(); }),
                      ui::ControlEventTouchUpInside);
    return button;
}

void FrameEditorViewController::loadView() { buildViews(); }

void FrameEditorViewController::buildViews() {
    const graphics::Rect bounds =
        getOrientationCorrectedRectFromRect({{0, 0}, ui::Device::current().screenBounds().size});
    auto root = ui::makeView<ui::View>(bounds);
    root->setAutoresizingMask(kFill);
    root->setBackgroundColor(graphics::Color::black());
    root->setClipsToBounds(true);
    setView(root);

    viewSeperator_ = ui::makeView<ui::View>(graphics::Rect{});
    viewSeperator_->setBackgroundColor(panelColor());
    viewCaptureView_ = ui::makeView<ui::View>(kTabletCapture);
    // The capture screen lays itself out for the whole screen; only its top part shows.
    viewCaptureView_->setClipsToBounds(true);
    viewPreview_ = ui::makeView<ui::View>(graphics::Rect{});
    viewPreview_->setBackgroundColor(graphics::Color::black());
    viewLeftControls_ = ui::makeView<ui::View>(graphics::Rect{});
    viewRightControls_ = ui::makeView<ui::View>(graphics::Rect{});
    viewLeftControlsBg_ = ui::makeView<ui::ImageView>(graphics::Rect{});
    viewRightControlsBg_ = ui::makeView<ui::ImageView>(graphics::Rect{});
    for (auto* background : {viewLeftControlsBg_.get(), viewRightControlsBg_.get()}) {
        background->setAutoresizingMask(kFill);
        background->setBackgroundColor(panelColor());
    }
    viewLeftControls_->addSubview(viewLeftControlsBg_);
    viewRightControls_->addSubview(viewRightControlsBg_);
    viewPlayerViewController_ = ui::makeView<ui::View>(graphics::Rect{});
    viewTimelineViewController_ = ui::makeView<ui::View>(graphics::Rect{});
    viewEmptyHelp_ = ui::makeView<ui::View>(graphics::Rect{});
    viewEmptyHelp_->setUserInteractionEnabled(false);
    labelEmptyHelp_ = ui::makeView<ui::Label>(graphics::Rect{});
    labelEmptyHelp_->setTextColor(graphics::Color::white());
    labelEmptyHelp_->setTextAlignment(graphics::TextAlignment::Left);
    labelEmptyHelp_->setNumberOfLines(2);
    labelEmptyHelp_->setFont(graphics::Font::systemFont(isTablet() ? 22 : 15));
    viewEmptyHelp_->addSubview(labelEmptyHelp_);

    btnExplorer_ = makeToolbarButton("editor_icon_projects", &FrameEditorViewController::actionProjectExplorer);
    btnAudio_ = makeToolbarButton("editor_icon_voiceover", &FrameEditorViewController::actionAudio);
    btnCamera_ = makeToolbarButton("editor_icon_camera", &FrameEditorViewController::actionCamera);
    btnMore_ = makeToolbarButton("editor_icon_speed", &FrameEditorViewController::actionMore);
    btnPlay_ = makeToolbarButton("editor_icon_play", &FrameEditorViewController::actionPlayPreview);
    if (auto stop = UIImage_Resize::tintedImageNamed("editor_icon_stop"))
        btnPlay_->setImage(*stop, ui::ControlStateSelected);
    btnMusic_ = makeToolbarButton("editor_icon_media", &FrameEditorViewController::actionMusic);
    btnHelp_ = makeToolbarButton("explorer_icon_help", &FrameEditorViewController::actionHelp);
    btnTheme_ = makeToolbarButton("editor_icon_theme", &FrameEditorViewController::actionTheme);
    btnBackward_ = makeToolbarButton("editor_icon_first", &FrameEditorViewController::actionBackToFirstFrame);
    btnForward_ = makeToolbarButton("editor_icon_capture_slot", &FrameEditorViewController::actionGotoCaptureFrame);
    btnAdditionCaptureControl_ = makeToolbarButton("captureview_icon_options", nullptr);

    if (isTablet()) {
        const double width = bounds.width();
        root->addSubview(viewCaptureView_);
        viewPreview_->setFrame(kTabletCapture);
        viewSeperator_->setFrame({0, kTabletCapture.maxY(), width, bounds.height() - kTabletCapture.maxY()});
        root->addSubview(viewSeperator_);
        viewPlayerViewController_->setFrame({0, kTabletStripY, width, kTabletStripHeight});
        viewTimelineViewController_->setFrame({0, kTabletStripY, width, kTabletStripHeight});
        const double rowY = kTabletCapture.maxY() + 6;
        // Control row: play, voice-over and media left, jump buttons in the
        // middle, speed, theme and help right.
        btnExplorer_->setFrame({10, bounds.height() - kButtonSize, kButtonSize, kButtonSize});
        btnPlay_->setFrame({70, rowY - 6, kButtonSize, kButtonSize});
        btnAudio_->setFrame({124, rowY - 6, kButtonSize, kButtonSize});
        btnMusic_->setFrame({178, rowY - 6, kButtonSize, kButtonSize});
        btnBackward_->setFrame({416, 574, 50, 30});
        btnForward_->setFrame({466, 574, 50, 30});
        btnMore_->setFrame({width - 170, rowY - 6, kButtonSize, kButtonSize});
        btnTheme_->setFrame({width - 116, rowY - 6, kButtonSize, kButtonSize});
        // The capture source's own settings, shown by the capture screen only
        // while its source has any.
        btnAdditionCaptureControl_->setFrame({width - 224, rowY - 6, kButtonSize, kButtonSize});
        btnAdditionCaptureControl_->setHidden(true);
        btnHelp_->setFrame({28, bounds.height() - kButtonSize - 4, kButtonSize, kButtonSize});
        btnExplorer_->setFrame({width - 62, bounds.height() - kButtonSize - 4, kButtonSize, kButtonSize});
        btnCamera_->setHidden(true);  // the capture screen is on screen already
        for (auto* button :
             {btnPlay_.get(), btnAudio_.get(), btnMusic_.get(), btnBackward_.get(), btnForward_.get(), btnMore_.get(),
              btnTheme_.get(), btnHelp_.get(), btnExplorer_.get(), btnCamera_.get(), btnAdditionCaptureControl_.get()})
            root->addSubview(button->shared_from_this());
        layoutEmptyHelp();
    } else {
        root->addSubview(viewSeperator_);
        root->addSubview(viewPreview_);
        root->addSubview(viewLeftControls_);
        root->addSubview(viewRightControls_);
        for (auto* button : {btnExplorer_.get(), btnAudio_.get(), btnMusic_.get(), btnTheme_.get(), btnHelp_.get()})
            viewLeftControls_->addSubview(button->shared_from_this());
        for (auto* button : {btnCamera_.get(), btnPlay_.get(), btnMore_.get()})
            viewRightControls_->addSubview(button->shared_from_this());
        viewCaptureView_->setHidden(true);
    }
    root->addSubview(viewPlayerViewController_);
    root->addSubview(viewTimelineViewController_);
    root->addSubview(viewEmptyHelp_);
    if (!isTablet()) {
        // At the strip's two ends, over it.
        root->addSubview(btnBackward_);
        root->addSubview(btnForward_);
    }
    if (!isTablet()) layoutViews();
}

void FrameEditorViewController::layoutViews() {
    if (!isViewLoaded()) return;
    const graphics::Rect bounds = view()->bounds();
    const double width = bounds.width();
    viewPlayerViewController_->setFrame({0, bounds.height() - kPhoneStripHeight, width, kPhoneStripHeight});
    viewTimelineViewController_->setFrame(viewPlayerViewController_->frame());
    const double h = bounds.height() - viewPlayerViewController_->frame().height();
    const float pw = static_cast<float>(h * kWideWidthPerHeight);
    const float side = static_cast<float>((width - pw) * 0.5);
    viewLeftControls_->setFrame({0, 0, side, h});
    viewRightControls_->setFrame({width - side, 0, side, h});
    viewPreview_->setFrame({side, 0, pw, h});
    viewSeperator_->setFrame({0, 0, width, h});
    // Buttons stacked down each panel.
    auto stack = [side, h](ui::View& panel) {
        const auto& buttons = panel.subviews();
        const double count = static_cast<double>(buttons.size() - 1);  // the background comes first
        double y = std::max(0.0, (h - count * kButtonSize) / (count + 1));
        for (size_t i = 1; i < buttons.size(); ++i) {
            buttons[i]->setFrame({(side - kButtonSize) / 2, y, kButtonSize, kButtonSize});
            y += kButtonSize + std::max(0.0, (h - count * kButtonSize) / (count + 1));
        }
    };
    stack(*viewLeftControls_);
    stack(*viewRightControls_);
    btnBackward_->setFrame({0, h, 30, kPhoneStripHeight});
    btnForward_->setFrame({width - 30, h, 30, kPhoneStripHeight});
    layoutEmptyHelp();
}

void FrameEditorViewController::layoutEmptyHelp() {
    const graphics::Rect strip = viewPlayerViewController_->frame();
    const double left = strip.midX() + KWFrameByFrameView::itemWidth() / 2;
    // The phone's jump button stands at the strip's right end.
    const double right = isTablet() ? strip.maxX() : btnForward_->frame().minX();
    viewEmptyHelp_->setFrame({left, strip.minY(), std::max(0.0, right - left), strip.height()});
    // As wide as its text, so the tilt keeps it on the strip.
    const graphics::Rect room = viewEmptyHelp_->bounds().insetBy(kEmptyHelpMargin, 0);
    const graphics::Size text = labelEmptyHelp_->sizeThatFits({room.width(), room.height()});
    const double width = std::min(text.width, room.width());
    labelEmptyHelp_->setFrame({room.minX(), room.midY() - text.height / 2, width, text.height});
}

void FrameEditorViewController::viewDidLoad() {
    labelEmptyHelp_->setText(foundation::localized("Tap here to") + "\r" + foundation::localized("add some pictures"));
    layoutEmptyHelp();
    labelEmptyHelp_->layer().setTransform(graphics::Transform3D::makeRotation(0.2, 0, 0, 1));

    previewViewController_ = std::make_shared<KWPreviewViewController>(project_);
    ui::View* pane = previewViewController_->view();
    pane->setFrame(viewPreview_->bounds());
    pane->setAutoresizingMask(kFill);
    viewPreview_->addSubview(previewViewController_->viewPtr());

    createStripAndTimeline();

    if (isTablet()) {
        captureViewController_ = std::make_shared<CaptureViewController>(CaptureViewController::kNibNameTablet,
                                                                         project_, registryCaptureSources());
        ui::View* capture = captureViewController_->view();
        capture->setFrame(viewCaptureView_->bounds());
        capture->setAutoresizingMask(kFill);
        addChildViewController(captureViewController_);
        viewCaptureView_->addSubview(captureViewController_->viewPtr());
        captureViewController_->didMoveToParentViewController(this);
        // The pane sits where the capture screen keeps its picture, under the live view.
        ui::View* placeholder = captureViewController_->previewViewControllerPlaceholder();
        viewPreview_->setFrame(placeholder->bounds());
        viewPreview_->setAutoresizingMask(kFill);
        placeholder->addSubview(viewPreview_);
        captureViewController_->setPreviewViewController(previewViewController_);
        captureViewController_->setBtnAdditionalCaptureControls(btnAdditionCaptureControl_);
        alignCaptureControlsWithHelp();
    }

    audioController_ = std::make_shared<KWAudioController>(project_);
    createPreviewPlayer();
    addNotifications();
}

void FrameEditorViewController::viewWillAppear(bool animated) {
    ui::ViewController::viewWillAppear(animated);
    if (!isTablet()) layoutViews();
    reloadStrip();
    timeLineNeedsUpdate_ = true;
    audioController_->updateAudioPlayer();
    updateGUIWithStatus(true);

    auto list = project_->getFrameList();
    FramePtr target = list ? list->frameAtPlayhead() : nullptr;
    if (list && isCommingBackFromCaptureView_) {
        const int64_t slot = list->getCaptureIndex();
        if (slot != foundation::kNotFound && slot >= 1) target = list->getFrameAtIndex(slot - 1);
    }
    if (target) scrollStripToFrame(target, false);

    if (shouldPlayZoomOutAnimationFromFullScreenFrame_) {
        const graphics::Rect place = viewPreview_->frame();
        const double w = view()->bounds().width();
        viewPreview_->setFrame(
            {0, (view()->bounds().height() - w * kWideHeightPerWidth) / 2, w, w * kWideHeightPerWidth});
        shouldPlayZoomOutAnimationFromFullScreenFrame_ = false;
        ui::View* preview = viewPreview_.get();
        ui::animateWithSpring(1.0, 0, 1.0, 10.0, ui::AnimationOptionNone,
                              [preview, place] { preview->setFrame(place); });
    }
}

void FrameEditorViewController::viewDidAppear(bool animated) {
    ui::ViewController::viewDidAppear(animated);
    if (isCommingBackFromCaptureView_) {
        isCommingBackFromCaptureView_ = false;
        addNotifications();
    }
}

// ---- insertion and saving -------------------------------------------------------------------

void FrameEditorViewController::addFrames(const std::vector<FramePtr>& frames) {
    auto list = project_->getFrameList();
    if (!list) return;
    int64_t index = list->getIndexForFrame(list->frameAtPlayhead());
    // Without a listed playhead frame new frames go where the next capture would.
    if (index == foundation::kNotFound) index = list->getCaptureIndex();
    if (index == foundation::kNotFound) index = list->count();
    addFrames(frames, index);
}

void FrameEditorViewController::addFrames(const std::vector<FramePtr>& frames, int64_t atIndex) {
    // Later on the main queue: callers may be on any queue, and a second call
    // right after the first runs after it.
    auto weak = foundation::weakFrom(this);
    foundation::DispatchQueue::main().async([weak, frames, atIndex] {
        if (auto self = weak.lock()) self->insertFramesNow(frames, atIndex);
    });
}

void FrameEditorViewController::insertFramesNow(const std::vector<FramePtr>& frames, int64_t atIndex, bool fromCamera) {
    auto list = project_->getFrameList();
    if (!list) return;
    const std::vector<int64_t> placed = frameeditor::insertFrames(*list, frames, atIndex);
    insertStripItems(placed);
    if (fromCamera)
        updateControls(true);
    else
        updateGUIWithStatus(true);
    updateAllAndSaveProject();
}

foundation::Status FrameEditorViewController::updateAllAndSaveProject() {
    if (audioController_) audioController_->updateAudioPlayer();
    // The camera's display counts the entries too.
    if (captureViewController_) captureViewController_->updateInfoScreen();
    timeLineNeedsUpdate_ = true;
    return saveProjectReportingFailure();
}

foundation::Status FrameEditorViewController::saveProjectReportingFailure() {
    foundation::Status saved = project_->saveAllDataToDisk();
    if (saved) {
        pendingSaveError_.reset();
        return saved;
    }
    // The change stays in memory; the next save writes it.
    pendingSaveError_ = saved.error();
    showError(foundation::Error(saved.error().domain, saved.error().code,
                                frameeditor::saveFailureMessage(*project_, saved.error()),
                                std::make_shared<const foundation::Error>(saved.error())));
    return saved;
}

// ---- controls --------------------------------------------------------------------------------

void FrameEditorViewController::updateGUIWithStatus(bool enabled) {
    updateControls(enabled);
    updateCoachMarks();
}

void FrameEditorViewController::updateControls(bool enabled) {
    for (auto* button :
         {btnPlay_.get(), btnMore_.get(), btnExplorer_.get(), btnAudio_.get(), btnMusic_.get(), btnTheme_.get(),
          btnHelp_.get(), btnCamera_.get(), btnBackward_.get(), btnForward_.get(), btnAdditionCaptureControl_.get()})
        if (button) button->setEnabled(enabled);
    if (captureViewController_) captureViewController_->disableControls(!enabled);
    auto list = project_->getFrameList();
    const bool empty = !list || list->count() < 2;
    if (empty && enabled) {
        btnPlay_->setEnabled(false);
        btnAudio_->setEnabled(false);
    }
    viewEmptyHelp_->setHidden(!empty);
}

bool FrameEditorViewController::isPlaying() const { return btnPlay_ && btnPlay_->isSelected(); }

void FrameEditorViewController::playPreview() {
    btnPlay_->setSelected(true);
    zoomOut();
    startPlayer();
    updateGUIWithStatus(false);
    btnPlay_->setEnabled(true);  // it stops playback
}

void FrameEditorViewController::stopPreview() {
    btnPlay_->setSelected(false);
    zoomIn();
    stopPlayer();
    updateGUIWithStatus(true);
}

void FrameEditorViewController::zoomOut() {
    if (isTimeline_) return;
    isTimeline_ = true;
    if (timeLineNeedsUpdate_) {
        timeLineNeedsUpdate_ = false;
        rebuildTimeline();
    }
    auto list = project_->getFrameList();
    scrollTimelineToFrame(list ? list->frameAtPlayhead() : nullptr);
    animateScale(*viewTimelineViewController_, 2.0, 1.0);
    animateScale(*viewPlayerViewController_, 1.0, 0.3);
    ui::View* stripView = viewPlayerViewController_.get();
    ui::View* timelineView = viewTimelineViewController_.get();
    ui::animate(kZoomDuration, [stripView, timelineView] {
        stripView->setAlpha(0.0);
        timelineView->setAlpha(1.0);
    });
}

void FrameEditorViewController::zoomIn() {
    if (!isTimeline_) return;
    isTimeline_ = false;
    auto list = project_->getFrameList();
    if (list && list->frameAtPlayhead()) scrollStripToFrame(list->frameAtPlayhead(), false);
    animateScale(*viewTimelineViewController_, 1.0, 2.0);
    animateScale(*viewPlayerViewController_, 0.3, 1.0);
    ui::View* stripView = viewPlayerViewController_.get();
    ui::View* timelineView = viewTimelineViewController_.get();
    ui::animate(kZoomDuration, [stripView, timelineView] {
        stripView->setAlpha(1.0);
        timelineView->setAlpha(0.0);
    });
}

void FrameEditorViewController::presentViewControllerFromFrameEditorWithZoomIn(
    std::shared_ptr<ui::ViewController> controller) {
    if (isTablet()) {
        presentViewController(std::move(controller), false);
        return;
    }
    const double w = view()->bounds().width();
    const graphics::Rect full{0, (view()->bounds().height() - w * kWideHeightPerWidth) / 2, w, w * kWideHeightPerWidth};
    ui::View* preview = viewPreview_.get();
    auto weak = foundation::weakFrom(this);
    ui::animateWithSpring(
        0.3, 0, 1.0, 10.0, ui::AnimationOptionNone, [preview, full] { preview->setFrame(full); },
        [weak, controller](bool) {
            if (auto self = weak.lock()) self->presentViewController(controller, false);
        });
}

void FrameEditorViewController::dismissViewControllerFromFrameEditorWithZoomIn(ui::ViewController* controller,
                                                                               const FramePtr& withFrame) {
    if (!isTablet()) shouldPlayZoomOutAnimationFromFullScreenFrame_ = true;
    auto weak = foundation::weakFrom(this);
    auto after = [weak, withFrame] {
        auto self = weak.lock();
        if (!self) return;
        if (withFrame) self->scrollStripToFrame(withFrame, false);
        if (self->captureViewController_) self->captureViewController_->resumeCameraCapture();
    };
    if (controller && controller->presentingViewController()) {
        controller->dismissViewController(false, after);
    } else {
        after();
    }
}

// ---- toolbar ---------------------------------------------------------------------------------

void FrameEditorViewController::actionProjectExplorer() {
    if (captureViewController_) {
        captureViewController_->willMoveToParentViewController(nullptr);
        captureViewController_->view()->removeFromSuperview();
        captureViewController_->removeFromParentViewController();
    }
    removeNotifications();
    if (captureViewController_) captureViewController_->finishUpAndExit();
    saveProjectReportingFailure();
    closeController();
}

void FrameEditorViewController::actionPlayPreview() {
    if (isPlaying())
        stopPreview();
    else
        playPreview();
}

void FrameEditorViewController::actionCamera() {
    btnCamera_->setEnabled(false);
    removeNotifications();
    isCommingBackFromCaptureView_ = true;
    auto capture = std::make_shared<CaptureViewController>(CaptureViewController::kNibNamePhone, project_,
                                                           registryCaptureSources());
    capture->modalTransitionStyle = ui::ModalTransitionStyle::CrossDissolve;
    presentViewController(capture, true);
}

void FrameEditorViewController::actionAudio() { showAudioRecorder(); }

void FrameEditorViewController::actionTheme() { showThemeWithPageOpen(0); }

void FrameEditorViewController::actionBackToFirstFrame() {
    auto list = project_->getFrameList();
    if (list && list->count() > 0) scrollStripToFrame(list->getFrameAtIndex(0), false);
}

void FrameEditorViewController::actionGotoCaptureFrame() {
    auto list = project_->getFrameList();
    if (!list) return;
    if (FramePtr slot = list->findFirstOccurrenceOfFrameWithType(Frame::kTypeCaptureSlot))
        scrollStripToFrame(slot, false);
}

void FrameEditorViewController::zoomInAction() {
    if (!isPlaying()) zoomIn();
}

void FrameEditorViewController::zoomOutAction() {
    auto list = project_->getFrameList();
    if (list && list->count() >= 3) zoomOut();
}

void FrameEditorViewController::userStartScrolling() {
    if (isPlaying()) stopPreview();
}

KWImageProducer& FrameEditorViewController::imageProducer() {
    if (!imageProducer_) imageProducer_ = std::make_unique<KWImageProducer>(project_);
    return *imageProducer_;
}
