#pragma once

// The live picture of a capture session, as a view of the toolkit.
//
// Frames arrive on the camera's thread; the layer keeps only the newest and
// shows it on the main run loop, upright and (for a front camera) mirrored
// as in a mirror, placed by its video gravity. While the layer is in no
// window it takes no frames at all.

#include "platform/capture/CaptureSession.h"
#include "platform/ui/View.h"

#include <QImage>
#include <memory>
#include <mutex>

namespace capture {

// The thread-safe side of a preview layer that the session feeds.
class PreviewFeed : public std::enable_shared_from_this<PreviewFeed> {
public:
    void offer(QImage viewed);
    void setAccepting(bool accepting);

private:
    friend class VideoPreviewLayer;
    std::mutex mutex_;
    std::optional<QImage> pending_;
    bool accepting_ = false;
    std::weak_ptr<VideoPreviewLayer> layer_;
};

class VideoPreviewLayer : public ui::View {
public:
    static std::shared_ptr<VideoPreviewLayer> create(const CaptureSessionPtr& session);
    VideoPreviewLayer();
    ~VideoPreviewLayer() override;

    // The layer keeps its session alive, as the session's viewer.
    const CaptureSessionPtr& session() const { return session_; }
    void setSession(const CaptureSessionPtr& session);

    VideoGravity videoGravity() const { return gravity_; }
    void setVideoGravity(VideoGravity gravity);
    // The interface orientation the layer is shown in (1-4, the platform's
    // values); the session lays its frames down for it.
    int videoOrientation() const { return videoOrientation_; }
    void setVideoOrientation(int orientation);
    // True for a front camera, whose picture is shown as in a mirror.
    bool isMirrored() const;

    // The last frame shown, upright as the layer shows it; null before the first.
    const QImage& currentFrame() const { return current_; }

    std::shared_ptr<PreviewFeed> feed() const { return feed_; }

    void didMoveToWindow() override;

private:
    friend class PreviewFeed;
    void show(QImage viewed);
    void updateContents();

    CaptureSessionPtr session_;
    std::shared_ptr<PreviewFeed> feed_ = std::make_shared<PreviewFeed>();
    VideoGravity gravity_ = VideoGravity::ResizeAspect;
    int videoOrientation_ = 0;
    QImage current_;
};

// The rectangle of a frame of `frameSize` that a layer of `bounds` shows
// under the gravity (the part of the frame kept for aspect fill, the whole
// frame otherwise), in frame pixels.
graphics::Rect visibleFrameRect(graphics::Size frameSize, graphics::Size bounds, VideoGravity gravity);

}  // namespace capture
