#include "app/render/screens/AVPlayerDemoPlaybackView.h"

#include "platform/foundation/Lifetime.h"
#include "platform/ui/controls/ImageView.h"

AVPlayerDemoPlaybackView::AVPlayerDemoPlaybackView(const graphics::Rect& frame) : ui::View(frame) {
    picture_ = ui::makeView<ui::ImageView>(bounds());
    picture_->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    picture_->setContentMode(ui::ContentMode::ScaleAspectFit);
    picture_->setUserInteractionEnabled(false);
    addSubview(picture_);
}

AVPlayerDemoPlaybackView::~AVPlayerDemoPlaybackView() { stopObserving(); }

void AVPlayerDemoPlaybackView::stopObserving() {
    if (player_ && refreshToken_) player_->removeTimeObserver(refreshToken_);
    refreshToken_ = 0;
}

void AVPlayerDemoPlaybackView::setPlayer(media::PlayerPtr player) {
    stopObserving();
    player_ = std::move(player);
    setBackgroundColor(graphics::Color::black());
    if (player_) {
        refreshToken_ =
            player_->addPeriodicTimeObserver(kRefreshSeconds, [weak = foundation::weakFrom(this)](media::MediaTime) {
                if (auto self = weak.lock()) self->refresh();
            });
    }
    refresh();
}

void AVPlayerDemoPlaybackView::setVideoFillMode(const std::string& fillMode) {
    if (fillMode == AVLayerVideoGravityResizeAspect)
        picture_->setContentMode(ui::ContentMode::ScaleAspectFit);
    else if (fillMode == AVLayerVideoGravityResizeAspectFill)
        picture_->setContentMode(ui::ContentMode::ScaleAspectFill);
    else if (fillMode == AVLayerVideoGravityResize)
        picture_->setContentMode(ui::ContentMode::ScaleToFill);
}

void AVPlayerDemoPlaybackView::refresh() {
    std::optional<graphics::Image> image;
    if (player_) image = player_->currentVideoImage();
    picture_->setImage(image ? *image : graphics::Image());
}
