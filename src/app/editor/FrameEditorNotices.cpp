// The notices (a caption with or without an activity indicator) and error
// alerts the editor shows for itself and for the screens and workers that
// ask through the registry.

#include "app/core/ShowErrorNotification.h"
#include "app/editor/EditorNotifications.h"
#include "app/editor/FrameEditorViewController.h"
#include "app/widgets/alerts/AlertView.h"
#include "app/widgets/alerts/Hudy.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Localized.h"

namespace n = editornotifications;

namespace {

// A notice asked for without a display time stays this long.
constexpr int64_t kDefaultNoticeSeconds = 20;
// The photo library's data-unavailable and access-denied codes.
constexpr int64_t kPhotoDataUnavailable = -3310;
constexpr int64_t kPhotoAccessDenied = -3311;

std::string errorMessage(const foundation::Error& error) {
    if (error.code == kPhotoDataUnavailable || error.code == kPhotoAccessDenied) {
        const std::string app = foundation::Bundle::main().infoDictionary().get("CFBundleName").asString();
        return foundation::localizedFormat("UserDeniedKey_Photo_Access_ios6", {foundation::Value(app)});
    }
    if (!error.description.empty()) return error.description;
    return foundation::localizedFormat("Ups. An unknown error occured. (%@-%d)",
                                       {foundation::Value(error.domain), foundation::Value(error.code)});
}

}  // namespace

void FrameEditorViewController::showInfoNotification(const std::string& text, int64_t hideAfterSeconds,
                                                     bool isActivity) {
    const int64_t seconds = hideAfterSeconds == 0 ? kDefaultNoticeSeconds : hideAfterSeconds;
    auto weak = foundation::weakFrom(this);
    foundation::DispatchQueue::main().async([weak, text, seconds, isActivity] {
        auto self = weak.lock();
        if (!self || !self->isViewLoaded()) return;
        if (self->hudy_) self->hudy_->dismiss();
        self->hudy_ = std::make_shared<Hudy>();
        self->hudy_->caption = text;
        self->hudy_->isActivity = isActivity;
        self->hudy_->dismissAfterTime = static_cast<double>(seconds);
        self->hudy_->showInView(self->view());
    });
}

void FrameEditorViewController::hideNotification() {
    auto weak = foundation::weakFrom(this);
    foundation::DispatchQueue::main().async([weak] {
        auto self = weak.lock();
        if (!self || !self->hudy_) return;
        self->hudy_->dismiss();
        self->hudy_.reset();
    });
}

void FrameEditorViewController::showError(const std::optional<foundation::Error>& error) {
    if (!error) return;
    const std::string message = errorMessage(*error);
    foundation::DispatchQueue::main().async([message] {
        auto alert = AlertView::create(foundation::localized("Error"), message);
        alert->addButtonWithTitle(foundation::localized("Cancel"), {});
        alert->show();
    });
}

void FrameEditorViewController::receiveShowActivityNotification(const foundation::Notification& notification) {
    const foundation::Value& after = notification.userInfo.get(n::kHideAfterKey);
    showInfoNotification(notification.userInfo.get(n::kInfoKey).asString(),
                         after.isNumber() ? after.asInt() : kDefaultNoticeSeconds, true);
}

void FrameEditorViewController::receiveHideActivityNotification(const foundation::Notification&) { hideNotification(); }

void FrameEditorViewController::receiveShowHUDNotification(const foundation::Notification& notification) {
    const std::string text = notification.userInfo.get(n::kInfoKey).asString();
    auto weak = foundation::weakFrom(this);
    foundation::DispatchQueue::main().async([weak, text] {
        auto self = weak.lock();
        if (!self || !self->isViewLoaded()) return;
        if (self->hudy_) self->hudy_->dismiss();
        self->hudy_ = std::make_shared<Hudy>();
        self->hudy_->caption = text;
        self->hudy_->showInView(self->view());
    });
}

void FrameEditorViewController::receiveShowErrorNotification(const foundation::Notification& notification) {
    const foundation::Error* error =
        notification.userInfo.get(kShowErrorNotificationErrorKey).objectAs<foundation::Error>();
    if (error) showError(*error);
}
