// The notifications the editor observes while it is on screen, and the
// handlers of the screen itself (the others sit with their concern).

#include "app/capture/CaptureViewController.h"
#include "app/editor/EditorNotifications.h"
#include "app/editor/FrameEditorViewController.h"
#include "app/preview/KWPreviewViewController.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/ui/controls/Button.h"

namespace n = editornotifications;
using Handler = void (FrameEditorViewController::*)(const foundation::Notification&);

namespace {

struct Registration {
    const char* name;
    Handler handler;
};

// Each name with its handler, in registration order.
const std::vector<Registration>& registrations() {
    using E = FrameEditorViewController;
    static const std::vector<Registration> all = {
        {n::kAddFrame, &E::receiveAddFrameNotification},
        {n::kGotoCaptureFrame, &E::receiveGotoCaptureFrameNotification},
        {n::kMovieEffectDidChange, &E::receiveMovieEffectDidChangeNotification},
        {n::kOutlineHasChanged, &E::receiveOutlineHasChangedNotification},
        {n::kThemeDone, &E::receiveThemeDoneNotification},
        {n::kThemeDidChange, &E::receiveThemeDidChangeNotification},
        {n::kThemeRenderingFinished, &E::receiveThemeRenderingFinishedNotification},
        {n::kThemeShowTitle, &E::receiveThemeShowTitleNotification},
        {n::kThemeShowCredits, &E::receiveThemeShowCreditsNotification},
        {n::kFrameEditorHelpClose, &E::receiveFrameEditorHelpCloseNotification},
        {n::kShowActivity, &E::receiveShowActivityNotification},
        {n::kHideActivity, &E::receiveHideActivityNotification},
        {n::kShowHUD, &E::receiveShowHUDNotification},
        {n::kShowError, &E::receiveShowErrorNotification},
        {n::kAudioControllerRemoveClip, &E::receiveAudioControllerRemoveClipNotification},
        {n::kAudioControllerDone, &E::receiveAudioControllerDoneNotification},
        {n::kDidMovePlayhead, &E::receiveNotificationDidMovePlayhead},
        {n::kTimelineViewDoubleTapped, &E::receiveNotificationTimelineViewDoubleTapped},
        {n::kFrameByFrameViewDoubleTapped, &E::receiveNotificationFrameByFrameViewDoubleTapped},
        {n::kDidSelectFrame, &E::receiveNotificationDidSelectFrame},
        {n::kMenuText, &E::receiveNotificationFrameEditMenuTextSelected},
        {n::kMenuDraw, &E::receiveNotificationFrameEditMenuDrawSelected},
        {n::kMenuEraser, &E::receiveNotificationFrameEditMenuEraserSelected},
        {n::kMenuCrop, &E::receiveNotificationFrameEditMenuCropSelected},
        {n::kMenuMerge, &E::receiveNotificationFrameEditMenuMergeSelected},
        {n::kMenuAudio, &E::receiveNotificationFrameEditMenuAudioSelected},
        {n::kMenuCaptureHere, &E::receiveNotificationFrameEditMenuCaptureHereSelected},
        {n::kMenuHold, &E::receiveNotificationFrameEditMenuHoldSelected},
        {n::kMenuSelect, &E::receiveNotificationFrameEditMenuSelectSelected},
        {n::kMenuDeselect, &E::receiveNotificationFrameEditMenuDeselectSelected},
        {n::kMenuDelete, &E::receiveNotificationFrameEditMenuDeleteSelected},
        {n::kMenuCopy, &E::receiveNotificationFrameEditMenuCopySelected},
        {n::kMenuPaste, &E::receiveNotificationFrameEditMenuPasteSelected},
        {n::kMenuReverse, &E::receiveNotificationFrameEditMenuReverseSelected},
    };
    return all;
}

}  // namespace

const std::vector<std::string>& FrameEditorViewController::notificationNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> all;
        for (const Registration& registration : registrations()) all.emplace_back(registration.name);
        return all;
    }();
    return names;
}

void FrameEditorViewController::addObserver(const char* name, Handler handler) {
    observers_.push_back(foundation::NotificationCenter::defaultCenter().addObserver(
        name, nullptr, life_.guard([this, handler](const foundation::Notification& note) { (this->*handler)(note); })));
}

void FrameEditorViewController::addNotifications() {
    // Registered once however often the screen comes back.
    removeNotifications();
    for (const Registration& registration : registrations()) addObserver(registration.name, registration.handler);
}

void FrameEditorViewController::removeNotifications() { observers_.clear(); }

void FrameEditorViewController::receiveAddFrameNotification(const foundation::Notification& notification) {
    const FramePtr frame = n::frameIn(notification.userInfo);
    if (!frame) return;
    auto list = project_->getFrameList();
    if (!list) return;
    // The capture screen has put the frame into the list already: the list
    // keeps it once and only the strip gains its item. Later on the main
    // queue, in order with the other insertions.
    const int64_t index = list->getIndexForFrame(frame);
    auto weak = foundation::weakFrom(this);
    foundation::DispatchQueue::main().async([weak, frame, index] {
        if (auto self = weak.lock()) self->insertFramesNow({frame}, index, true);
    });
    foundation::DispatchQueue::main().async([weak] {
        if (auto self = weak.lock()) self->zoomIn();
    });
}

void FrameEditorViewController::receiveGotoCaptureFrameNotification(const foundation::Notification&) {
    auto list = project_->getFrameList();
    if (!list) return;
    if (FramePtr slot = list->findFirstOccurrenceOfFrameWithType(Frame::kTypeCaptureSlot))
        scrollStripToFrame(slot, true);
}

void FrameEditorViewController::receiveMovieEffectDidChangeNotification(const foundation::Notification&) {
    if (previewViewController_) previewViewController_->updateFrame(nullptr);
}

void FrameEditorViewController::receiveNotificationDidMovePlayhead(const foundation::Notification& notification) {
    const FramePtr frame = n::frameIn(notification.userInfo);
    const bool onSlot = frame && (frame->type() == Frame::kTypeCaptureSlot);
    btnAudio_->setEnabled(!isPlaying() && frame && !onSlot);
    if (captureViewController_) {
        if (onSlot)
            captureViewController_->showLiveView();
        else
            captureViewController_->showImageView();
    }
}

void FrameEditorViewController::receiveNotificationTimelineViewDoubleTapped(const foundation::Notification&) {
    if (!isPlaying()) zoomIn();
}

void FrameEditorViewController::receiveNotificationFrameByFrameViewDoubleTapped(const foundation::Notification&) {
    zoomOut();
}
