#include "app/widgets/popover/KWPopoverController.h"

KWPopoverController::KWPopoverController() { setDelegate(this); }

KWPopoverController::KWPopoverController(std::shared_ptr<ui::ViewController> contentViewController)
    : WEPopoverController(std::move(contentViewController)) {
    setDelegate(this);
}

void KWPopoverController::runHandler() {
    // A copy: the handler may replace itself or release this controller.
    Handler handler = handlerDismissPopover();
    if (handler) handler();
}

void KWPopoverController::dismissPopoverAnimated(bool animated) {
    if (animated) {
        foundation::LifeObserver alive = life_.observer();
        runHandler();
        if (!alive) return;  // the handler released this controller
    }
    WEPopoverController::dismissPopoverAnimated(animated);
}

bool KWPopoverController::popoverControllerShouldDismissPopover(WEPopoverController& controller) {
    (void)controller;
    return true;
}

void KWPopoverController::popoverControllerDidDismissPopover(WEPopoverController& controller) {
    (void)controller;
    runHandler();
}
