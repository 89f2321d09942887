#pragma once

// The on-screen end of a pipeline graph: a view that draws the texture it
// receives into its own renderbuffer, scaled by a fill mode and turned by
// the input rotation.
//
// Presenting reads the renderbuffer back on the context queue and hands the
// picture to the layer's contents on the main queue; only the newest picture
// waits there, so a slow main thread skips pictures instead of queueing them.
// Make views with ui::makeView (they are shared); use them from the main
// thread, while sources call the target side on the context queue.

#include "components/gpuimage/GPUImageOutput.h"
#include "platform/ui/View.h"

#include <QImage>
#include <array>
#include <memory>
#include <mutex>
#include <optional>

namespace gpuimage {

class GLProgram;

enum class GPUImageFillMode : int {
    Stretch = 0,                     // the quad is the whole view
    PreserveAspectRatio = 1,         // fitted inside, bars around it
    PreserveAspectRatioAndFill = 2,  // filling the view, the overflow cut off
};

class GPUImageView : public ui::View, public GPUImageInput {
public:
    GPUImageView();
    explicit GPUImageView(const graphics::Rect& frame);
    ~GPUImageView() override;

    // The texture coordinates that show a texture of that rotation upright:
    // the filter's with the bottom and top corner pairs exchanged.
    static const std::array<float, 8>& textureCoordinatesForRotation(GPUImageRotationMode mode);

    // The quad of `inputSize` in a view of `bounds` under the fill mode, as
    // clip-space corners (bottom-left, bottom-right, top-left, top-right).
    static std::array<float, 8> imageVerticesFor(graphics::Size inputSize, graphics::Size bounds,
                                                 GPUImageFillMode mode);

    void setFrame(const graphics::Rect& frame) override;
    void layoutSubviews() override;
    // Takes the window's scale as its content scale factor.
    void didMoveToWindow() override;

    void setBackgroundColor(float red, float green, float blue, float alpha);
    GPUImageFillMode fillMode() const { return fillMode_; }
    void setFillMode(GPUImageFillMode mode);
    // Points to pixels of the renderbuffer: the window's scale while in
    // one, else 1 until set.
    double contentScaleFactor() const { return contentScaleFactor_; }
    void setContentScaleFactor(double scale);
    // The renderbuffer's size, or maximumOutputSize while there is none.
    graphics::Size sizeInPixels() const;
    const std::array<float, 8>& imageVertices() const { return imageVertices_; }
    graphics::Size inputImageSize() const { return inputImageSize_; }
    GPUImageRotationMode inputRotation() const { return inputRotation_; }
    void setEnabled(bool enabled) { enabled_ = enabled; }
    // Why the view cannot draw (no context, a program that did not link, an
    // incomplete framebuffer); none while it works.
    std::optional<foundation::Error> error() const;
    // The last picture presented, upright; null before the first.
    QImage presentedImage() const { return layer().contents() ? layer().contents()->bitmap() : QImage(); }

    // GPUImageInput.
    void newFrameReadyAtTime(FrameTime frameTime, int textureIndex) override;
    void setInputTexture(GLuint texture, int textureIndex) override;
    void setTextureDelegate(std::weak_ptr<GPUImageTextureDelegate> delegate, int textureIndex) override;
    int nextAvailableTextureIndex() override { return 0; }
    void setInputSize(graphics::Size size, int textureIndex) override;
    void setInputRotation(GPUImageRotationMode rotation, int textureIndex) override;
    graphics::Size maximumOutputSize() override;
    void endProcessing() override {}
    bool shouldIgnoreUpdatesToThisTarget() override { return false; }
    bool enabled() override { return enabled_; }
    void conserveMemoryForNextFrame() override {}
    bool wantsMonochromeInput() override { return false; }
    void setCurrentlyReceivingMonochromeInput(bool) override {}

private:
    // The picture waiting for the main queue, shared with the posted task.
    struct PresentedFrame {
        std::mutex mutex;
        std::optional<QImage> pending;
        std::weak_ptr<ui::View> view;
    };

    void commonInit();
    // On the context queue.
    void createDisplayFramebuffer();
    void destroyDisplayFramebuffer();
    void setDisplayFramebuffer();
    void presentFramebuffer();
    void recalculateViewGeometry();
    void boundsMayHaveChanged();
    void setError(foundation::Error error);

    std::shared_ptr<PresentedFrame> presented_ = std::make_shared<PresentedFrame>();
    GPUImageRotationMode inputRotation_ = GPUImageRotationMode::NoRotation;
    std::weak_ptr<GPUImageTextureDelegate> textureDelegate_;
    GLuint inputTextureForDisplay_ = 0;
    gl::es2::Renderbuffer displayRenderbuffer_;
    gl::es2::Framebuffer displayFramebuffer_;
    std::shared_ptr<GLProgram> displayProgram_;
    GLint displayPositionAttribute_ = 0;
    GLint displayTextureCoordinateAttribute_ = 0;
    GLint displayInputTextureUniform_ = -1;
    graphics::Size inputImageSize_;
    std::array<float, 8> imageVertices_{};
    float backgroundColor_[4] = {0, 0, 0, 1};
    bool enabled_ = true;
    GPUImageFillMode fillMode_ = GPUImageFillMode::PreserveAspectRatio;
    double contentScaleFactor_ = 1;
    graphics::Size sizeInPixels_;
    // The bounds as the context queue knows them (set there from the main
    // thread), so the queue never reads the view's geometry while it changes.
    graphics::Size geometryBounds_;
    // The bounds the framebuffer and geometry were made for (main thread).
    graphics::Size builtForBounds_;
    mutable std::mutex errorMutex_;
    std::optional<foundation::Error> error_;
};

}  // namespace gpuimage
