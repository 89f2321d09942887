// Coach marks, the help overlay and the help pages of the editor.

#include "app/capture/CaptureViewController.h"
#include "app/editor/EditorNotifications.h"
#include "app/editor/FrameEditorHelp.h"
#include "app/editor/FrameEditorViewController.h"
#include "app/widgets/views/DACircularProgressView.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controls/Button.h"

namespace {

struct CoachMark {
    const char* name;
    int64_t minimumEntries;
    // Where the text goes.
    enum class Target { Strip, Music, More, Theme } target;
};

// Tried in order; the first not dismissed before is shown.
constexpr CoachMark kCoachMarks[] = {
    {"Timeline", 11, CoachMark::Target::Strip},  {"Media", 16, CoachMark::Target::Music},
    {"CopyPaste", 21, CoachMark::Target::Strip}, {"Speed", 26, CoachMark::Target::More},
    {"Effects", 31, CoachMark::Target::Theme},
};

// The tablet help's fixed rectangles of the embedded capture screen's
// shutter and timer button; the editor puts those controls there.
const graphics::Rect kCaptureHelpRect{948, 353, 60, 60};
const graphics::Rect kTimerHelpRect{952, 427, 49, 49};

// The same frame centred on the rectangle's centre.
graphics::Rect centredOn(const graphics::Rect& frame, const graphics::Rect& target) {
    return {target.midX() - frame.width() / 2, target.midY() - frame.height() / 2, frame.width(), frame.height()};
}

constexpr const char* kMoreHelpText = "Need more help. Tap here.";
constexpr const char* kStripHelpText =
    "Frame-by-Frame view. Tap to scroll. Double-tap for timeline. Tap and hold to for more options.";

}  // namespace

bool FrameEditorViewController::isCameraBusy() const {
    return captureViewController_ && captureViewController_->isCapturing();
}

void FrameEditorViewController::updateCoachMarks() {
    auto list = project_->getFrameList();
    // None comes up over a camera in use; a later update shows it.
    if (!list || isHelpShownThisTime_ || !isViewLoaded() || isCameraBusy()) return;
    const int64_t count = list->count();
    for (const CoachMark& mark : kCoachMarks) {
        if (count < mark.minimumEntries) return;
        auto help = HelpManager::initWithName(mark.name);
        if (!help) continue;
        graphics::Point at;
        int next = isTablet() ? HelpManager::kBottomRight : HelpManager::kBottomLeft;
        switch (mark.target) {
            case CoachMark::Target::Strip:
                at = viewPlayerViewController_->center();
                break;
            case CoachMark::Target::Music:
                at = btnMusic_->center();
                break;
            case CoachMark::Target::Theme:
                at = btnTheme_->center();
                break;
            case CoachMark::Target::More:
                at = viewRightControls_->convertPointToView(btnMore_->center(), view());
                next = HelpManager::kBottomRight;
                break;
        }
        helpManager_ = help;
        isHelpShownThisTime_ = true;
        help->view()->setFrame(view()->bounds());
        help->setDelegate(this);
        help->setPositionNextBtn(next);
        help->setPositionLabel(at);
        view()->addSubview(help->viewPtr());
        help->show();
        return;
    }
}

void FrameEditorViewController::helpManangerDidFinish(HelpManager&) { helpManager_.reset(); }

void FrameEditorViewController::actionHelp() {
    if (frameEditorHelp_) {
        frameEditorHelp_->dismissHelp();
        frameEditorHelp_.reset();
        btnHelp_->setSelected(false);
        return;
    }
    // Not over a camera in use.
    if (!isViewLoaded() || isCameraBusy()) return;
    frameEditorHelp_ = prepareFrameEditorHelp();
    // The help button closes the help itself; a tap on any other control
    // closes it and works the control.
    frameEditorHelp_->setToggleControls({btnHelp_});
    frameEditorHelp_->showHelpInView(*view());
    btnHelp_->setSelected(true);
}

void FrameEditorViewController::receiveFrameEditorHelpCloseNotification(const foundation::Notification& notification) {
    // Only the overlay on screen closes it.
    if (frameEditorHelp_ && notification.object == frameEditorHelp_.get()) actionHelp();
}

std::shared_ptr<FrameEditorHelp> FrameEditorViewController::prepareFrameEditorHelp() {
    using foundation::localized;
    auto help = std::make_shared<FrameEditorHelp>();
    auto weak = foundation::weakFrom(this);
    auto moreHelp = [weak] {
        foundation::DispatchQueue::main().async([weak] {
            if (auto self = weak.lock()) self->showInternalHelp();
        });
    };
    const graphics::Rect strip = viewPlayerViewController_->frame();
    if (!isTablet()) {
        auto inView = [this](const ui::Button& button) {
            return viewRightControls_->convertRectToView(button.frame(), view());
        };
        help->addHelp(localized("Back to projects."), btnExplorer_->frame());
        help->addHelp(localized("Add voice over."), btnAudio_->frame());
        help->addHelp(localized("Add background music."), btnMusic_->frame());
        help->addHelp(localized("Change themes and more."), btnTheme_->frame(), FWTPopoverArrowDirectionLeft);
        help->addHelp(localized("Capture images."), inView(*btnCamera_));
        help->addHelp(localized("Project settings."), inView(*btnMore_));
        help->addHelp(localized("Play movie preview."), inView(*btnPlay_), FWTPopoverArrowDirectionRight);
        help->addHelp(localized(kStripHelpText), strip);
        help->addHelp(localized(kMoreHelpText), {40, view()->frame().height() - 40, 1, 1}, FWTPopoverArrowDirectionNone,
                      frameeditorhelp::moreHelpColor(), moreHelp);
        return help;
    }
    const graphics::Rect music = btnMusic_->frame();
    help->addHelp(localized("Back to projects."), btnExplorer_->frame(), FWTPopoverArrowDirectionUp);
    help->addHelp(localized("Add voice over, background music or change movie theme or movie effect."),
                  {music.midX(), music.minY() + 5, 1, 1});
    help->addHelp(localized("Play movie preview."), btnPlay_->frame());
    help->addHelp(localized("Capture images."), kCaptureHelpRect);
    help->addHelp(localized("Project settings."), btnMore_->frame(), FWTPopoverArrowDirectionDown);
    help->addHelp(localized(kStripHelpText), strip);
    help->addHelp(localized("Change camera settings."), {955, 0, 55, 44}, FWTPopoverArrowDirectionUp);
    help->addHelp(localized("Setup a timer to capture images at a regularly interval."), kTimerHelpRect,
                  FWTPopoverArrowDirectionRight);
    help->addHelp(localized("Overlay or Onion Skin setting."), {-5, 263, 55, 292});
    help->addHelp(localized("Jump to start or capture frame."), {416, 574, 100, 30});
    help->addHelp(localized(kMoreHelpText), {50, 720, 1, 1}, FWTPopoverArrowDirectionNone,
                  frameeditorhelp::moreHelpColor(), moreHelp);
    return help;
}

void FrameEditorViewController::alignCaptureControlsWithHelp() {
    if (!captureViewController_ || !isViewLoaded()) return;
    auto place = [this](ui::View* control, const graphics::Rect& target) {
        if (!control || !control->superview()) return;
        const graphics::Rect inCapture = view()->convertRectToView(target, control->superview());
        control->setFrame(centredOn(control->frame(), inCapture));
    };
    place(captureViewController_->recordBtn(), kCaptureHelpRect);
    place(captureViewController_->progressTimer(), kCaptureHelpRect);
    place(captureViewController_->btnTimerConfig(), kTimerHelpRect);
}

void FrameEditorViewController::showInternalHelp() {
    auto page = CaptureViewController::makeHelpPage(std::string());
    if (!page) return;
    auto navigation = std::make_shared<ui::NavigationController>(page);
    if (isTablet()) navigation->modalPresentationStyle = ui::ModalPresentationStyle::FormSheet;
    presentViewController(navigation, true);
}
