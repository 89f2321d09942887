#include "components/gpuimage/GPUImageView.h"

#include "components/gpuimage/GPUImageContext.h"
#include "components/gpuimage/GPUImageFilter.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Window.h"

#include <cstring>
#include <string>

namespace gpuimage {

namespace {

graphics::Size aspectFit(graphics::Size size, graphics::Size bounds) {
    if (size.width <= 0 || size.height <= 0 || bounds.width <= 0 || bounds.height <= 0) return {};
    const double scale = std::min(bounds.width / size.width, bounds.height / size.height);
    return {size.width * scale, size.height * scale};
}

}  // namespace

const std::array<float, 8>& GPUImageView::textureCoordinatesForRotation(GPUImageRotationMode mode) {
    static const std::array<std::array<float, 8>, 8> kTable = [] {
        std::array<std::array<float, 8>, 8> table{};
        for (int mode = 0; mode < 8; ++mode) {
            const auto& filter = textureCoordinatesForRotationMode(static_cast<GPUImageRotationMode>(mode));
            // Bottom pair and top pair exchanged: GL's first row is the
            // picture's top, the view's bottom edge shows the picture's bottom.
            table[size_t(mode)] = {filter[4], filter[5], filter[6], filter[7],
                                   filter[0], filter[1], filter[2], filter[3]};
        }
        return table;
    }();
    const int index = static_cast<int>(mode);
    return kTable[size_t(index >= 0 && index < 8 ? index : 0)];
}

std::array<float, 8> GPUImageView::imageVerticesFor(graphics::Size inputSize, graphics::Size bounds,
                                                    GPUImageFillMode mode) {
    const graphics::Size fitted = aspectFit(inputSize, bounds);
    double widthScaling = 1, heightScaling = 1;
    if (fitted.width > 0 && fitted.height > 0) {
        if (mode == GPUImageFillMode::PreserveAspectRatio) {
            widthScaling = fitted.width / bounds.width;
            heightScaling = fitted.height / bounds.height;
        } else if (mode == GPUImageFillMode::PreserveAspectRatioAndFill) {
            widthScaling = bounds.height / fitted.height;
            heightScaling = bounds.width / fitted.width;
        }
    } else if (mode != GPUImageFillMode::Stretch) {
        // No picture yet: a degenerate quad, only the background shows.
        widthScaling = heightScaling = 0;
    }
    const float w = float(widthScaling), h = float(heightScaling);
    return {-w, -h, w, -h, -w, h, w, h};
}

GPUImageView::GPUImageView() { commonInit(); }

GPUImageView::GPUImageView(const graphics::Rect& frame) : ui::View(frame) { commonInit(); }

void GPUImageView::commonInit() {
    setOpaque(true);
    setHidden(false);
    geometryBounds_ = bounds().size;
    builtForBounds_ = geometryBounds_;
    runSynchronouslyOnContextQueue([&] {
        if (!GPUImageContext::useImageProcessingContext()) {
            if (auto failure = GPUImageContext::contextError()) setError(*failure);
            return;
        }
        auto program = linkedProgramForShaders(kGPUImageVertexShaderString, kGPUImagePassthroughFragmentShaderString);
        if (!program.ok()) return setError(program.error());
        displayProgram_ = program.value();
        displayPositionAttribute_ = GLint(displayProgram_->attributeIndex("position"));
        displayTextureCoordinateAttribute_ = GLint(displayProgram_->attributeIndex("inputTextureCoordinate"));
        displayInputTextureUniform_ = displayProgram_->uniformIndex("inputImageTexture");
        GPUImageContext::setActiveShaderProgram(displayProgram_);
        glEnableVertexAttribArray(GLuint(displayPositionAttribute_));
        glEnableVertexAttribArray(GLuint(displayTextureCoordinateAttribute_));
        createDisplayFramebuffer();
        imageVertices_ = imageVerticesFor(inputImageSize_, geometryBounds_, fillMode_);
    });
}

GPUImageView::~GPUImageView() {
    {
        std::lock_guard lock(presented_->mutex);
        presented_->pending.reset();
    }
    runSynchronouslyOnContextQueue([&] {
        if (GPUImageContext::useImageProcessingContext()) {
            destroyDisplayFramebuffer();
        } else {
            displayFramebuffer_.release();
            displayRenderbuffer_.release();
        }
    });
}

void GPUImageView::setError(foundation::Error error) {
    std::lock_guard lock(errorMutex_);
    if (!error_) error_ = std::move(error);
}

std::optional<foundation::Error> GPUImageView::error() const {
    std::lock_guard lock(errorMutex_);
    return error_;
}

// ---- frame changes (main thread) ------------------------------------------------------

void GPUImageView::setFrame(const graphics::Rect& frame) {
    ui::View::setFrame(frame);
    boundsMayHaveChanged();
}

void GPUImageView::layoutSubviews() {
    ui::View::layoutSubviews();
    boundsMayHaveChanged();
}

void GPUImageView::didMoveToWindow() {
    ui::View::didMoveToWindow();
    if (auto* host = window()) setContentScaleFactor(host->scale());
}

void GPUImageView::boundsMayHaveChanged() {
    const graphics::Size size = bounds().size;
    if (size == builtForBounds_ || size.width <= 0 || size.height <= 0) return;
    builtForBounds_ = size;
    // Waits for the queue, so a resize never interleaves with a draw.
    runSynchronouslyOnContextQueue([&] {
        geometryBounds_ = size;
        if (!displayProgram_ || !GPUImageContext::useImageProcessingContext()) return;
        destroyDisplayFramebuffer();
        createDisplayFramebuffer();
        recalculateViewGeometry();
    });
}

void GPUImageView::setBackgroundColor(float red, float green, float blue, float alpha) {
    runSynchronouslyOnContextQueue([&] {
        backgroundColor_[0] = red;
        backgroundColor_[1] = green;
        backgroundColor_[2] = blue;
        backgroundColor_[3] = alpha;
    });
}

void GPUImageView::setFillMode(GPUImageFillMode mode) {
    runSynchronouslyOnContextQueue([&] {
        fillMode_ = mode;
        recalculateViewGeometry();
    });
}

void GPUImageView::setContentScaleFactor(double scale) {
    if (scale <= 0 || scale == contentScaleFactor_) return;
    runSynchronouslyOnContextQueue([&] {
        contentScaleFactor_ = scale;
        if (!displayProgram_ || !GPUImageContext::useImageProcessingContext()) return;
        destroyDisplayFramebuffer();
        createDisplayFramebuffer();
    });
}

graphics::Size GPUImageView::sizeInPixels() const {
    graphics::Size size;
    runSynchronouslyOnContextQueue([&] {
        size = isZeroSize(sizeInPixels_) ? graphics::Size{geometryBounds_.width * contentScaleFactor_,
                                                          geometryBounds_.height * contentScaleFactor_}
                                         : sizeInPixels_;
    });
    return size;
}

graphics::Size GPUImageView::maximumOutputSize() {
    return {geometryBounds_.width * contentScaleFactor_, geometryBounds_.height * contentScaleFactor_};
}

// ---- framebuffer (context queue) ------------------------------------------------------

void GPUImageView::createDisplayFramebuffer() {
    const int width = int(geometryBounds_.width * contentScaleFactor_);
    const int height = int(geometryBounds_.height * contentScaleFactor_);
    // A view not yet laid out has no storage to draw into; the first frame
    // change with a size builds it.
    if (width <= 0 || height <= 0) return;
    bindNewFramebuffer(displayFramebuffer_);
    const GLuint renderbuffer = bindNewRenderbuffer(displayRenderbuffer_);
    // OES_rgb8_rgba8: ES 2.0's own renderbuffer formats stop at 16 bits.
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8_OES, width, height);
    GLint storedWidth = 0, storedHeight = 0;
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_WIDTH, &storedWidth);
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_HEIGHT, &storedHeight);
    if (storedWidth == 0 || storedHeight == 0) {
        destroyDisplayFramebuffer();
        return;
    }
    sizeInPixels_ = {double(storedWidth), double(storedHeight)};
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, renderbuffer);
    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    if (status != GL_FRAMEBUFFER_COMPLETE) {
        setError(foundation::Error(kGPUImageErrorDomain, kGPUImageErrorIncompleteFramebuffer,
                                   "Failure with display framebuffer generation for display of size: " +
                                       std::to_string(geometryBounds_.width) + ", " +
                                       std::to_string(geometryBounds_.height) + " (status " + std::to_string(status) +
                                       ")"));
        destroyDisplayFramebuffer();
    }
}

void GPUImageView::destroyDisplayFramebuffer() {
    displayFramebuffer_.reset();
    displayRenderbuffer_.reset();
    sizeInPixels_ = {};
}

void GPUImageView::setDisplayFramebuffer() {
    if (!displayFramebuffer_) createDisplayFramebuffer();
    glBindFramebuffer(GL_FRAMEBUFFER, displayFramebuffer_.get());
    glViewport(0, 0, GLsizei(sizeInPixels_.width), GLsizei(sizeInPixels_.height));
}

void GPUImageView::presentFramebuffer() {
    const int width = int(sizeInPixels_.width), height = int(sizeInPixels_.height);
    if (width <= 0 || height <= 0) return;
    // GL's rows run bottom-up; the layer wants the top row first. BGRA is
    // the driver's fast read-back order and a QImage's own byte order.
    QImage picture(width, height, QImage::Format_ARGB32);
    std::vector<uint8_t> rows(size_t(width) * size_t(height) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, width, height, GL_BGRA_EXT, GL_UNSIGNED_BYTE, rows.data());
    const size_t rowBytes = size_t(width) * 4;
    for (int row = 0; row < height; ++row) {
        std::memcpy(picture.scanLine(row), rows.data() + rowBytes * size_t(height - 1 - row), rowBytes);
    }
    bool postNeeded;
    {
        std::lock_guard lock(presented_->mutex);
        postNeeded = !presented_->pending.has_value();
        presented_->pending = std::move(picture);
    }
    if (!postNeeded) return;  // the task already posted takes the newer picture
    foundation::DispatchQueue::main().async([presented = presented_] {
        std::optional<QImage> picture;
        std::shared_ptr<ui::View> view;
        {
            std::lock_guard lock(presented->mutex);
            picture.swap(presented->pending);
            view = presented->view.lock();
        }
        if (view && picture) view->layer().setContents(graphics::Image(std::move(*picture)));
    });
}

void GPUImageView::recalculateViewGeometry() {
    imageVertices_ = imageVerticesFor(inputImageSize_, geometryBounds_, fillMode_);
}

// ---- target side (context queue) ------------------------------------------------------

void GPUImageView::setInputTexture(GLuint texture, int) { inputTextureForDisplay_ = texture; }

void GPUImageView::setTextureDelegate(std::weak_ptr<GPUImageTextureDelegate> delegate, int) {
    textureDelegate_ = std::move(delegate);
}

void GPUImageView::setInputRotation(GPUImageRotationMode rotation, int) { inputRotation_ = rotation; }

void GPUImageView::setInputSize(graphics::Size size, int) {
    runSynchronouslyOnContextQueue([&] {
        const graphics::Size rotated =
            rotationSwapsWidthAndHeight(inputRotation_) ? graphics::Size{size.height, size.width} : size;
        if (rotated == inputImageSize_) return;
        inputImageSize_ = rotated;
        recalculateViewGeometry();
    });
}

void GPUImageView::newFrameReadyAtTime(FrameTime, int) {
    runSynchronouslyOnContextQueue([&] {
        if (!displayProgram_ || !GPUImageContext::useImageProcessingContext()) return;
        if (presented_->view.expired()) {
            // Views are shared; the posted presentation holds the view weakly.
            std::lock_guard lock(presented_->mutex);
            presented_->view = weak_from_this();
        }
        GPUImageContext::setActiveShaderProgram(displayProgram_);
        setDisplayFramebuffer();
        if (!displayFramebuffer_) return;
        glClearColor(backgroundColor_[0], backgroundColor_[1], backgroundColor_[2], backgroundColor_[3]);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glActiveTexture(GL_TEXTURE4);
        glBindTexture(GL_TEXTURE_2D, inputTextureForDisplay_);
        glUniform1i(displayInputTextureUniform_, 4);
        glVertexAttribPointer(GLuint(displayPositionAttribute_), 2, GL_FLOAT, GL_FALSE, 0, imageVertices_.data());
        glVertexAttribPointer(GLuint(displayTextureCoordinateAttribute_), 2, GL_FLOAT, GL_FALSE, 0,
                              textureCoordinatesForRotation(inputRotation_).data());
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        presentFramebuffer();
    });
}

}  // namespace gpuimage
