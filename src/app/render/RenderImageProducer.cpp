#include "app/render/RenderImageProducer.h"

#include "app/core/UIImage_Resize.h"
#include "app/render/LeftOutFiles.h"
#include "app/render/ThemeCard.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/JpegCodec.h"

using graphics::Image;
using graphics::Size;

namespace {

constexpr Size kPreviewRenderSize{640, 360};

}  // namespace

RenderImageProducer::RenderImageProducer(ProjectModelPtr project, PictureSettings settings)
    : KWImageProducer(std::move(project), settings) {
    if (!getProject() || !settings.foreground) return;
    auto bytes = getProject()->fileDataForFileWithPreferredFilename(kForegroundFile);
    if (!bytes) return;
    auto decoded = Image::decode(*bytes);
    if (decoded && !decoded->isNull()) imageForeground_ = std::move(*decoded);
}

RenderImageProducer::RenderImageProducer(ProjectModelPtr project)
    : RenderImageProducer(project, project ? PictureSettings::ofProject(*project) : PictureSettings()) {}

Image RenderImageProducer::getImageRenderingForFrame(const FramePtr& frame, Size withSize, int64_t atIndex,
                                                     int64_t total) {
    const int32_t type = withSize == kPreviewRenderSize ? kImageTypePreview : kImageTypeFrame;
    std::optional<Image> picture = getImageForFrame(frame, type, withSize);
    if (!picture) return {};
    return finishPicture(std::move(*picture), withSize, atIndex, total);
}

Image RenderImageProducer::finishPicture(Image picture, Size withSize, int64_t atIndex, int64_t total) {
    if (picture.isNull()) return {};
    if (withSize != Size{0, 0} && picture.size() != withSize) {
        std::optional<Image> fitted = UIImage_Resize::imageByScalingAndCroppingForSize(picture, withSize);
        if (!fitted) return {};
        picture = std::move(*fitted);
    }
    if (imageForeground_) picture = blendUIImage(*imageForeground_, picture);
    return applyFade(picture, atIndex, total);
}

Image RenderImageProducer::getStripOfRendering(const FramePtr& frame, Size withSize, int64_t atIndex, int64_t total,
                                               double top, double rows) {
    const int32_t type = withSize == kPreviewRenderSize ? kImageTypePreview : kImageTypeFrame;
    std::optional<Image> picture = getImageForFrame(frame, type, withSize);
    if (!picture || picture->isNull() || !(withSize.width > 0) || !(rows > 0)) return {};
    // As finishPicture lays them out: the picture scaled to fill, the
    // foreground over it; then the fade, over black.
    const Size strip{withSize.width, rows};
    const graphics::Rect whole{0, 0, withSize.width, withSize.height};
    graphics::GraphicsContext layer(strip, 1.0, false);
    layer.translate(0, -top);
    layer.drawImage(*picture, UIImage_Resize::aspectFillRect(picture->size(), withSize));
    picture.reset();
    if (imageForeground_) layer.drawImage(*imageForeground_, whole, graphics::BlendMode::Normal, 1.0);
    return applyFade(layer.makeImage(), atIndex, total);
}

Image RenderImageProducer::getCardImage(const ThemeCard& card, Size withSize) {
    std::optional<Image> drawn = card.drawAtSize(withSize);
    if (!drawn) return {};
    return applyMovieEffect(*drawn).value_or(Image());
}

std::optional<media::PixelBuffer> RenderImageProducer::getPlanarFrameAsStored(const FramePtr& frame, Size withSize,
                                                                              int64_t atIndex, int64_t total,
                                                                              std::vector<uint8_t> store) {
    // The capture slot shows the picture before it, which the full path finds.
    if (!frame || !getProject() || frame->type() == Frame::kTypeCaptureSlot || withSize == kPreviewRenderSize ||
        imageForeground_ || movieEffect() != 0 || calculateAlphaForFadeforFrameAtIndex(atIndex, total) != 0.0f)
        return std::nullopt;
    auto bytes =
        getProject()->fileDataForFileWithPreferredFilename(frameFileName(frame->frameID()), std::move(fileStore_));
    if (!bytes) return std::nullopt;
    auto planes = graphics::jpeg::decodePlanes420(bytes->data(), bytes->size(), std::move(store));
    fileStore_ = std::move(*bytes);
    if (!planes || Size{double(planes->width), double(planes->height)} != withSize) return std::nullopt;
    return media::planarFromFullRange420(planes->width, planes->height, std::move(planes->bytes));
}

void RenderImageProducer::pictureNotRead(const Frame& frame, const std::string& fileName) {
    if (leftOut_) leftOut_->addPicture(&frame, fileName);
}

Image RenderImageProducer::applyFade(const Image& image, int64_t atIndex, int64_t total) {
    const float amount = calculateAlphaForFadeforFrameAtIndex(atIndex, total);
    if (amount == 0.0f || image.isNull()) return image;
    const Size size = image.size();
    graphics::GraphicsContext context(size, 1.0, true);
    const graphics::Rect rect{0, 0, size.width, size.height};
    context.setFillColor(graphics::Color::black());
    context.fillRect(rect);
    context.drawImage(image, rect, graphics::BlendMode::Normal, 1.0 - amount);
    return context.makeImage();
}
