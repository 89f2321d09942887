#pragma once

// The stamp placement screen: the user moves (one finger), scales (pinch)
// and turns (rotation) a stamp picture over a dimmed backdrop; a tap on the
// backdrop ends placement and the delegate reads size, angle and position,
// which the canvas turns into a stamp stroke. Two round handles outside
// the stamp follow markers at its corners.

#include "platform/foundation/Lifetime.h"
#include "platform/graphics/Image.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/controls/ImageView.h"

#include <functional>
#include <memory>

class PainterStampViewController;

class PainterStampDelegate {
public:
    virtual ~PainterStampDelegate() = default;
    virtual void PainterStampDelegateDidFinish(PainterStampViewController& controller) = 0;
};

// A round translucent marker with a dark dot in the middle.
class PainterStampHolderView : public ui::View {
public:
    explicit PainterStampHolderView(const graphics::Rect& frame);
    void drawRect(graphics::GraphicsContext& context, const graphics::Rect& rect) override;
};

class PainterStampViewController : public ui::ViewController {
public:
    static constexpr double kDegreesPerRadian = 57.29577951308232;

    PainterStampViewController();

    void loadView() override;
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;

    void setStamp(const graphics::Image& image);
    PainterStampDelegate* delegate() const { return delegate_; }
    void setDelegate(PainterStampDelegate* delegate) { delegate_ = delegate; }
    std::function<void()> completionHandler;

    // Read after the delegate is told: the stamp's width on screen, its
    // turn in degrees and its centre with the origin at the bottom left.
    double size() const { return size_; }
    double rotation() const { return rotation_; }
    graphics::Point position() const { return position_; }

    void handlePan(ui::GestureRecognizer& recognizer);
    void handlePinch(ui::GestureRecognizer& recognizer);
    void handleRotate(ui::GestureRecognizer& recognizer);
    void handleTap(ui::GestureRecognizer& recognizer);
    // Puts the handles on their markers.
    void updateMarker();

    ui::ImageView* imageViewStamp() const { return imageViewStamp_.get(); }
    ui::View* viewStamp() const { return viewStamp_.get(); }
    ui::View* viewUpperHandle() const { return viewUpperHandle_.get(); }
    ui::View* viewLowerHandle() const { return viewLowerHandle_.get(); }
    ui::View* viewBackTap() const { return viewBackTap_.get(); }

private:
    std::shared_ptr<ui::ImageView> imageViewStamp_;
    ui::ViewPtr viewStamp_;
    ui::ViewPtr viewUpperHandle_, viewLowerHandle_;
    ui::ViewPtr viewLowerMarker_, viewUpperMarker_;
    ui::ViewPtr viewBackTap_;
    graphics::Size lastSize_;
    PainterStampDelegate* delegate_ = nullptr;
    double size_ = 0;
    double rotation_ = 0;
    graphics::Point position_;
    foundation::LifeToken life_;
};
