#pragma once

// The small heads-up panel a screen shows over its own view while work
// runs: a caption, optionally a spinner, optionally a progress bar, sized
// to its caption and centred. It fades out by itself after
// dismissAfterTime seconds unless that is exactly kStaysUntilDismissed.
//
// A screen makes a fresh Hudy for each message and keeps it while it is up.
// Main thread only.

#include "platform/foundation/Lifetime.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/controllers/ViewController.h"

#include <memory>
#include <optional>
#include <string>

namespace ui {
class ActivityIndicatorView;
class Label;
class ProgressView;
}  // namespace ui

class Hudy : public ui::ViewController {
public:
    // The dismissAfterTime that keeps the HUD up until dismiss is called.
    static constexpr double kStaysUntilDismissed = -1.0;

    Hudy();
    ~Hudy() override;

    // Plain stores: they take effect at the next show.
    std::optional<std::string> caption;
    bool isActivity = false;
    double dismissAfterTime = 1.0;

    float progress() const { return progress_; }
    // Passes the value to the bar at once but leaves the layout alone: a
    // HUD meant to carry a bar gets a value of 0 or more before it is shown.
    void setProgress(float progress);

    // Adds the HUD (transparent at first) to the view, then shows it.
    void showInView(ui::View* view);
    // Lays out, fades in and schedules the automatic dismissal.
    void show();
    // A new caption, laid out and faded in again with one more dismissal scheduled.
    void updateCaption(std::string caption);
    // Cancels what is scheduled for this HUD, fades out and leaves the view tree.
    void dismiss();

    // The rect with width and height exchanged when they do not match the
    // interface orientation (landscape: width the larger).
    static graphics::Rect getOrientationCorrectedRectFromRect(const graphics::Rect& rect);

    // The panel's parts (the view is loaded when asked for).
    ui::View* viewBGView();
    ui::Label* captionView();
    ui::ActivityIndicatorView* activityView();
    ui::ProgressView* progressView();

    void loadView() override;

private:
    // How long fading in and out takes.
    static constexpr double kFadeDuration = 0.25;

    ui::ViewPtr background_;
    std::shared_ptr<ui::Label> captionLabel_;
    std::shared_ptr<ui::ActivityIndicatorView> spinner_;
    std::shared_ptr<ui::ProgressView> bar_;
    float progress_ = -1.0f;
    foundation::LifeToken life_;
};
