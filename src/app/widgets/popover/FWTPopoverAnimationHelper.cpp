#include "app/widgets/popover/FWTPopoverAnimationHelper.h"

#include "app/widgets/popover/FWTPopoverView.h"
#include "platform/ui/compositing/Animation.h"

FWTPopoverAnimationHelper::FWTPopoverAnimationHelper(FWTPopoverView* view)
    : annotationView(view),
      presentOptions(ui::AnimationOptionCurveEaseIn),
      dismissOptions(ui::AnimationOptionCurveEaseIn) {
    prepareBlock = [this] {
        if (annotationView) annotationView->setAlpha(0.0);
    };
    presentAnimationsBlock = [this] {
        if (annotationView) annotationView->setAlpha(1.0);
    };
    dismissAnimationsBlock = [this] {
        if (annotationView) annotationView->setAlpha(0.0);
    };
}

void FWTPopoverAnimationHelper::safePerformBlock(const Block& block) {
    if (block) block();
}

void FWTPopoverAnimationHelper::safePerformCompletionBlock(const CompletionBlock& block, bool finished) {
    if (block) block(finished);
}
