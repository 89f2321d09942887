#include "platform/capture/VideoPreviewLayer.h"

#include "platform/foundation/DispatchQueue.h"
#include "platform/graphics/Image.h"

#include <QPainter>
#include <cmath>

namespace capture {

graphics::Rect visibleFrameRect(graphics::Size frameSize, graphics::Size bounds, VideoGravity gravity) {
    const graphics::Rect whole{0, 0, frameSize.width, frameSize.height};
    if (gravity != VideoGravity::ResizeAspectFill || frameSize.width <= 0 || frameSize.height <= 0 ||
        bounds.width <= 0 || bounds.height <= 0) {
        return whole;
    }
    const double frameRatio = frameSize.width / frameSize.height;
    const double boundsRatio = bounds.width / bounds.height;
    if (frameRatio > boundsRatio) {
        const double width = std::round(frameSize.height * boundsRatio);
        return {std::round((frameSize.width - width) / 2), 0, width, frameSize.height};
    }
    const double height = std::round(frameSize.width / boundsRatio);
    return {0, std::round((frameSize.height - height) / 2), frameSize.width, height};
}

void PreviewFeed::offer(QImage viewed) {
    std::unique_lock lock(mutex_);
    if (!accepting_) return;
    const bool postNeeded = !pending_.has_value();
    pending_ = std::move(viewed);
    if (!postNeeded) return;  // the posted task will take the newer frame
    lock.unlock();
    foundation::DispatchQueue::main().async([self = shared_from_this()] {
        std::optional<QImage> frame;
        std::weak_ptr<VideoPreviewLayer> layer;
        {
            std::lock_guard lock(self->mutex_);
            frame.swap(self->pending_);
            layer = self->layer_;
        }
        if (auto target = layer.lock(); target && frame) target->show(std::move(*frame));
    });
}

void PreviewFeed::setAccepting(bool accepting) {
    std::lock_guard lock(mutex_);
    accepting_ = accepting;
    if (!accepting) pending_.reset();
}

std::shared_ptr<VideoPreviewLayer> VideoPreviewLayer::create(const CaptureSessionPtr& session) {
    auto layer = ui::makeView<VideoPreviewLayer>();
    layer->setSession(session);
    return layer;
}

VideoPreviewLayer::VideoPreviewLayer() { setClipsToBounds(true); }

VideoPreviewLayer::~VideoPreviewLayer() {
    feed_->setAccepting(false);
    if (session_) session_->detachPreviewLayer(this);
}

void VideoPreviewLayer::setSession(const CaptureSessionPtr& session) {
    if (session_) session_->detachPreviewLayer(this);
    session_ = session;
    {
        std::lock_guard lock(feed_->mutex_);
        feed_->layer_ = std::static_pointer_cast<VideoPreviewLayer>(shared_from_this());
    }
    if (session) {
        session->attachPreviewLayer(std::static_pointer_cast<VideoPreviewLayer>(shared_from_this()));
        if (videoOrientation_ != 0) session->setInterfaceOrientation(videoOrientation_);
    }
}

void VideoPreviewLayer::setVideoGravity(VideoGravity gravity) {
    gravity_ = gravity;
    updateContents();
}

void VideoPreviewLayer::setVideoOrientation(int orientation) {
    videoOrientation_ = orientation;
    if (session_) session_->setInterfaceOrientation(orientation);
}

bool VideoPreviewLayer::isMirrored() const {
    if (!session_ || session_->inputs().empty()) return false;
    return session_->inputs().front()->device()->position() == DevicePosition::Front;
}

void VideoPreviewLayer::didMoveToWindow() { feed_->setAccepting(window() != nullptr); }

void VideoPreviewLayer::show(QImage viewed) {
    current_ = std::move(viewed);
    updateContents();
}

void VideoPreviewLayer::updateContents() {
    if (current_.isNull()) return;
    const graphics::Size frameSize{double(current_.width()), double(current_.height())};
    const graphics::Size size = bounds().size;
    if (gravity_ == VideoGravity::Resize || size.width <= 0 || size.height <= 0) {
        layer().setContents(graphics::Image(current_));
        return;
    }
    if (gravity_ == VideoGravity::ResizeAspectFill) {
        const graphics::Rect visible = visibleFrameRect(frameSize, size, gravity_);
        layer().setContents(graphics::Image(current_).cropped(visible));
        return;
    }
    // Aspect fit: the whole frame centred on a clear canvas of the layer's shape.
    const double scale = std::min(size.width / frameSize.width, size.height / frameSize.height);
    const int canvasWidth = std::max(1, int(std::lround(size.width / scale)));
    const int canvasHeight = std::max(1, int(std::lround(size.height / scale)));
    QImage canvas(canvasWidth, canvasHeight, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    painter.drawImage(QPoint((canvasWidth - current_.width()) / 2, (canvasHeight - current_.height()) / 2), current_);
    painter.end();
    layer().setContents(graphics::Image(std::move(canvas)));
}

}  // namespace capture
