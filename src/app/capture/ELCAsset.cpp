#include "app/capture/ELCAsset.h"

#include "app/core/BundleImage.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/gestures/TapGestureRecognizer.h"

ELCAsset::ELCAsset() : ui::View(graphics::Rect(0, 0, 10, 10)) {
    const graphics::Rect whole = bounds();
    const unsigned fill = ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight;

    imageView_ = ui::makeView<ui::ImageView>(whole);
    imageView_->setContentMode(ui::ContentMode::ScaleAspectFill);
    imageView_->setClipsToBounds(true);
    imageView_->setAutoresizingMask(fill);
    addSubview(imageView_);

    overlayView_ = ui::makeView<ui::ImageView>(whole);
    if (auto overlay = bundleImageNamed("Overlay.png")) overlayView_->setImage(*overlay);
    overlayView_->setAutoresizingMask(fill);
    overlayView_->setHidden(true);
    addSubview(overlayView_);

    videoView_ = ui::makeView<ui::View>(graphics::Rect(0, 0, whole.size.width, kVideoBarHeight));
    videoView_->setBackgroundColor(graphics::Color::grey(0, 0.6));
    videoView_->setAutoresizingMask(ui::AutoresizingFlexibleWidth);
    videoView_->setHidden(true);
    auto camera = ui::makeView<ui::ImageView>(graphics::Rect(5, 0, 15, 15));
    if (auto glyph = bundleImageNamed("elc_video")) camera->setImage(*glyph);
    videoView_->addSubview(camera);
    labelDuration_ = ui::makeView<ui::Label>(graphics::Rect(0, 0, whole.size.width, kVideoBarHeight));
    labelDuration_->setAutoresizingMask(ui::AutoresizingFlexibleWidth);
    labelDuration_->setTextAlignment(graphics::TextAlignment::Right);
    labelDuration_->setTextColor(graphics::Color::white());
    labelDuration_->setFont(graphics::Font::systemFont(12));
    labelDuration_->setText("0:00  ");
    videoView_->addSubview(labelDuration_);
    addSubview(videoView_);

    addGestureRecognizer(
        std::make_shared<ui::TapGestureRecognizer>([this](ui::GestureRecognizer&) { toggleSelection(); }));
}

ELCAsset::~ELCAsset() = default;

void ELCAsset::toggleSelection() {
    setSelected(!isSelected());
    // The block may replace itself; call a copy.
    if (SelectBlock block = didSelectAssetBlock_) block(*this);
}

bool ELCAsset::isSelected() const { return !overlayView_->isHidden(); }

void ELCAsset::setSelected(bool selected) { overlayView_->setHidden(!selected); }

void ELCAsset::showThumbnail(const graphics::Image& thumbnail, std::optional<std::string> durationText) {
    imageView_->setImage(thumbnail);
    imageView_->setBackgroundColor(graphics::Color::red());
    if (durationText) {
        labelDuration_->setText(*durationText);
        videoView_->setHidden(false);
    }
}
