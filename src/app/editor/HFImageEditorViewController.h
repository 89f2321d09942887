#pragma once

// The crop-and-rotate editor: the user moves, scales, turns and mirrors a
// picture behind a fixed crop window; done renders what the window shows
// into a new picture, cancel hands back nothing. It knows nothing of
// projects: a completion block receives the result.
//
// HFImageEditorFrameView darkens everything outside the crop window;
// ImageEditor is the frame editor's variant with a full-width 16:9 window.
// The arithmetic is in ImageEditorGeometry.h.

#include "app/editor/ImageEditorGeometry.h"
#include "platform/foundation/Lifetime.h"
#include "platform/foundation/Timer.h"
#include "platform/graphics/Image.h"
#include "platform/ui/View.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/gestures/GestureRecognizer.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace ui {
class Button;
class ImageView;
class PanGestureRecognizer;
class PinchGestureRecognizer;
class RotationGestureRecognizer;
class TapGestureRecognizer;
}  // namespace ui

class HFImageEditorFrame {
public:
    virtual ~HFImageEditorFrame() = default;
    virtual graphics::Rect cropRect() const = 0;
    virtual void setCropRect(const graphics::Rect& rect) = 0;
};

class HFImageEditorFrameView : public ui::View, public HFImageEditorFrame {
public:
    static constexpr double kOverlayOpacity = 0.7;

    HFImageEditorFrameView();
    explicit HFImageEditorFrameView(const graphics::Rect& frame);

    graphics::Rect cropRect() const override { return cropRect_; }
    // Redraws the overlay: black with a clear window at `rect`, its border
    // white at half alpha.
    void setCropRect(const graphics::Rect& rect) override;
    ui::ImageView* imageView() const { return imageView_.get(); }

private:
    void initialize();

    std::shared_ptr<ui::ImageView> imageView_;
    graphics::Rect cropRect_;
};

class HFImageEditorViewController : public ui::ViewController, public ui::GestureRecognizerDelegate {
public:
    using DoneCallback = std::function<void(std::optional<graphics::Image> image, bool canceled)>;
    static constexpr double kResetAnimationSeconds = 0.25;
    static constexpr double kSpringBackSeconds = 0.2;

    explicit HFImageEditorViewController(std::string nibName = {});
    ~HFImageEditorViewController() override;

    // ---- configuration ----------------------------------------------------------------------
    const DoneCallback& doneCallback() const { return doneCallback_; }
    void setDoneCallback(DoneCallback callback) { doneCallback_ = std::move(callback); }
    const graphics::Image& sourceImage() const { return sourceImage_; }
    // A different picture drops the preview.
    void setSourceImage(graphics::Image image);
    // The given preview, else made on first read (the source itself when it
    // is at most 1024 both ways, else 120 wide).
    const graphics::Image& previewImage();
    void setPreviewImage(graphics::Image image) { previewImage_ = std::move(image); }
    graphics::Size cropSize() const;
    void setCropSize(graphics::Size size);
    graphics::Rect cropRect() const;
    void setCropRect(const graphics::Rect& rect);
    double outputWidth() const { return outputWidth_; }
    void setOutputWidth(double width) { outputWidth_ = width; }
    double minimumScale() const { return minimumScale_; }
    void setMinimumScale(double scale) { minimumScale_ = scale; }
    double maximumScale() const { return maximumScale_; }
    void setMaximumScale(double scale) { maximumScale_ = scale; }
    bool panEnabled() const { return panEnabled_; }
    void setPanEnabled(bool enabled);
    bool scaleEnabled() const { return scaleEnabled_; }
    void setScaleEnabled(bool enabled);
    bool rotateEnabled() const { return rotateEnabled_; }
    void setRotateEnabled(bool enabled);
    bool tapToResetEnabled() const { return tapToResetEnabled_; }
    void setTapToResetEnabled(bool enabled);
    bool checkBounds() const { return checkBounds_; }
    void setCheckBounds(bool check) { checkBounds_ = check; }

    // ---- state ------------------------------------------------------------------------------
    ui::ImageView* imageView() const { return imageView_.get(); }
    HFImageEditorFrameView* frameView() const { return frameView_.get(); }
    uint64_t gestureCount() const { return gestureCount_; }
    double scale() const { return scale_; }
    graphics::Point touchCenter() const { return touchCenter_; }
    graphics::Rect initialImageFrame() const { return initialImageFrame_; }
    const graphics::AffineTransform& validTransform() const { return validTransform_; }
    bool isFlipped() const { return isFlipped_; }
    // The crop window in the source picture's coordinates.
    graphics::Rect cropBoundsInSourceImage() const;
    // Where the last Done's picture took each point of the source, in unit
    // coordinates of both (imageeditor::unitRenderMapping).
    const graphics::AffineTransform& renderMapping() const { return renderMapping_; }
    ui::PanGestureRecognizer* panRecognizer() const { return panRecognizer_.get(); }
    ui::PinchGestureRecognizer* pinchRecognizer() const { return pinchRecognizer_.get(); }
    ui::RotationGestureRecognizer* rotationRecognizer() const { return rotationRecognizer_.get(); }
    ui::TapGestureRecognizer* tapRecognizer() const { return tapRecognizer_.get(); }

    // ---- life cycle -------------------------------------------------------------------------
    void loadView() override;
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    unsigned supportedInterfaceOrientations() const override { return ui::OrientationMaskLandscape; }

    // Places the picture to cover the crop window, centred on it.
    void reset(bool animated);

    // ---- actions ----------------------------------------------------------------------------
    void actionFlipHorizontal();
    void actionFlipVertical();
    void resetAction() { reset(false); }
    void resetAnimatedAction() { reset(true); }
    // Renders on a global queue; the callback runs on the main queue.
    void doneAction();
    void cancelAction();
    virtual void startTransformHook() {}
    virtual void endTransformHook() {}

    // ---- gestures, as numbers (the recognisers' actions call these) ----------------------------
    // Whether the handler goes on; counts gestures and springs back when the last ends.
    bool handleGestureState(ui::GestureState state);
    void handleTouches(const std::vector<graphics::Point>& pointsInImageView);
    void panBy(ui::GestureState state, graphics::Point translation);
    void rotateBy(ui::GestureState state, double rotation);
    void pinchBy(ui::GestureState state, double scale);
    void checkBoundsWithTransform(const graphics::AffineTransform& transform);

    // ---- the desktop's equivalents of the gestures ----------------------------------------------
    // The wheel zooms about the pointer (away from the user enlarges),
    // Control+wheel turns about it (away: clockwise); "+" and "-" zoom and
    // Control+Left / Control+Right turn about the crop window's centre, the
    // arrows move the picture. A run of such steps is one gesture: it ends,
    // with the scale correction and the spring-back of a lifted finger, once
    // the wheel and keys have rested kDesktopGestureRest seconds.
    static constexpr double kZoomPerNotch = 1.1;
    static constexpr double kDegreesPerNotch = 5.0;
    static constexpr double kArrowStepPoints = 10.0;
    static constexpr double kDesktopGestureRest = 0.3;
    bool scrollWheel(const ui::WheelEvent& event) override;
    bool keyCommand(const ui::KeyPress& press) override;

    bool shouldRecognizeSimultaneously(ui::GestureRecognizer&, ui::GestureRecognizer&) override { return true; }
    void touchesBegan(const ui::TouchSet& touches, const ui::Event& event) override;
    void touchesMoved(const ui::TouchSet& touches, const ui::Event& event) override;
    void touchesEnded(const ui::TouchSet& touches, const ui::Event& event) override;
    void touchesCancelled(const ui::TouchSet& touches, const ui::Event& event) override;

protected:
    // The controls under the crop window; the variant's layout.
    virtual void buildControls(ui::View& root);

    std::shared_ptr<HFImageEditorFrameView> frameView_;

private:
    void touchesOf(const ui::Event& event);
    void placeImage();
    void showDisplayImage();
    void setInteraction(bool enabled);
    // One step of each gesture, about a point of the image view.
    void applyTranslation(graphics::Point translation);
    void applyRotation(double rotation, graphics::Point center);
    void applyScale(double scale, graphics::Point center);
    // A wheel or key step: begins the desktop gesture or keeps it going.
    void desktopStep();
    void endDesktopGesture();
    // The crop window's centre in the image view.
    graphics::Point cropCenterInImageView() const;

    DoneCallback doneCallback_;
    graphics::Image sourceImage_;
    graphics::Image previewImage_;
    double outputWidth_ = 0;
    double minimumScale_ = 0;
    double maximumScale_ = 0;
    bool panEnabled_ = true;
    bool scaleEnabled_ = true;
    bool rotateEnabled_ = true;
    bool tapToResetEnabled_ = true;
    bool checkBounds_ = false;

    std::shared_ptr<ui::ImageView> imageView_;
    std::shared_ptr<ui::PanGestureRecognizer> panRecognizer_;
    std::shared_ptr<ui::RotationGestureRecognizer> rotationRecognizer_;
    std::shared_ptr<ui::PinchGestureRecognizer> pinchRecognizer_;
    std::shared_ptr<ui::TapGestureRecognizer> tapRecognizer_;
    uint64_t gestureCount_ = 0;
    double scale_ = 1.0;
    graphics::Point touchCenter_;
    graphics::Point rotationCenter_;
    graphics::Point scaleCenter_;
    graphics::Rect initialImageFrame_;
    graphics::AffineTransform validTransform_;
    graphics::AffineTransform renderMapping_;
    bool isFlipped_ = false;
    bool desktopGesture_ = false;
    foundation::TimerHandle desktopGestureRest_;
    foundation::LifeToken life_;
};

// The frame editor's crop editor: the screen in landscape, a full-width
// 16:9 crop window, scale between 0.2 and 10.
class ImageEditor : public HFImageEditorViewController {
public:
    static constexpr double kMinimumScale = 0.2;
    static constexpr double kMaximumScale = 10.0;

    ImageEditor();
    // Loaded at once, so the crop window is set before the caller's reset.
    static std::shared_ptr<ImageEditor> create();
    static graphics::Rect getOrientationCorrectedRectFromRect(const graphics::Rect& rect) {
        return imageeditor::getOrientationCorrectedRectFromRect(rect);
    }
    void viewDidLoad() override;
};
