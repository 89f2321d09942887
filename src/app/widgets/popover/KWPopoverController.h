#pragma once

// The arrow popover as the screens use it: its own delegate, always willing
// to be dismissed by the user, with one block run when it is dismissed.
//
// When the handler runs:
// - a touch outside: after the fade-out has ended;
// - dismissPopoverAnimated(true): at once, before the fade-out starts (even
//   when nothing is shown), and not again when the fade ends;
// - dismissPopoverAnimated(false), which also happens at the start of every
//   presentation and on release: never.

#include "app/widgets/popover/WEPopoverController.h"
#include "platform/foundation/Locked.h"

#include <functional>

class KWPopoverController : public WEPopoverController, private WEPopoverControllerDelegate {
public:
    using Handler = std::function<void()>;

    KWPopoverController();
    explicit KWPopoverController(std::shared_ptr<ui::ViewController> contentViewController);

    void dismissPopoverAnimated(bool animated) override;

    // Safe to read and write from any thread; the handler itself runs on the main thread.
    Handler handlerDismissPopover() const { return handlerDismissPopover_.get(); }
    void setHandlerDismissPopover(Handler handler) { handlerDismissPopover_.set(std::move(handler)); }

private:
    bool popoverControllerShouldDismissPopover(WEPopoverController& controller) override;
    void popoverControllerDidDismissPopover(WEPopoverController& controller) override;
    void runHandler();

    foundation::Locked<Handler> handlerDismissPopover_;
};
