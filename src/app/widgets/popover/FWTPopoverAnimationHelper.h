#pragma once

// How an annotation popover fades in and out: durations, delays, curves and
// the closures that make up the animations. Owners may replace any of them.

#include <functional>

class FWTPopoverView;

class FWTPopoverAnimationHelper {
public:
    using Block = std::function<void()>;
    using CompletionBlock = std::function<void(bool finished)>;

    explicit FWTPopoverAnimationHelper(FWTPopoverView* annotationView);
    // The default closures refer to this helper.
    FWTPopoverAnimationHelper(const FWTPopoverAnimationHelper&) = delete;
    FWTPopoverAnimationHelper& operator=(const FWTPopoverAnimationHelper&) = delete;

    // Not owned: the popover owns this helper.
    FWTPopoverView* annotationView = nullptr;

    double presentDuration = 0.25;
    double dismissDuration = 0.25;
    double adjustPositionDuration = 0.25;
    double presentDelay = 0;
    double dismissDelay = 0;
    unsigned presentOptions;
    unsigned dismissOptions;

    Block prepareBlock;            // before presenting: alpha 0
    Block presentAnimationsBlock;  // alpha 1
    Block dismissAnimationsBlock;  // alpha 0
    CompletionBlock presentCompletionBlock;
    CompletionBlock dismissCompletionBlock;

    static void safePerformBlock(const Block& block);
    static void safePerformCompletionBlock(const CompletionBlock& block, bool finished);
};
