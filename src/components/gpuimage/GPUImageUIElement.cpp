#include "components/gpuimage/GPUImageUIElement.h"

#include "platform/foundation/RunLoop.h"
#include "platform/ui/View.h"
#include "platform/ui/compositing/Render.h"
#include "platform/ui/host/Device.h"

#include <QImage>

namespace gpuimage {

namespace {

constexpr int32_t kUIElementTimescale = 600;

}  // namespace

GPUImageUIElement::GPUImageUIElement(ui::View& view) : view_(&view), layer_(&view.layer()) { update(); }

GPUImageUIElement::GPUImageUIElement(ui::Layer& layer) : view_(layer.view()), layer_(&layer) { update(); }

graphics::Size GPUImageUIElement::layerSizeInPixels() const {
    double scale = ui::Device::current().screenScale();
    graphics::Size points = layer_->bounds().size;
    return {points.width * scale, points.height * scale};
}

void GPUImageUIElement::update() {
    double now = foundation::RunLoop::main().now();
    if (!actualTimeOfLastUpdate_)
        time_ = FrameTime::make(0, kUIElementTimescale);
    else
        time_ = time_ + FrameTime::fromSeconds(now - *actualTimeOfLastUpdate_, kUIElementTimescale);
    actualTimeOfLastUpdate_ = now;

    graphics::Size size = layerSizeInPixels();
    int width = static_cast<int>(size.width), height = static_cast<int>(size.height);
    if (!view_ || width < 1 || height < 1) return;
    // Drawn upright, top row first, in the byte order B, G, R, A
    // (premultiplied), as textures of this pipeline are filled.
    QImage pixels = ui::renderView(*view_, ui::Device::current().screenScale())
                        .bitmap()
                        .scaled(width, height)
                        .convertToFormat(QImage::Format_ARGB32_Premultiplied);

    runSynchronouslyOnContextQueue([&] {
        if (!uploadToOutputTexture(width, height, GL_RGBA, GL_BGRA_EXT, GL_UNSIGNED_BYTE, pixels.constBits())) return;
        auto entries = targetEntries();  // a target may change the list
        for (const auto& entry : entries) {
            if (entry.target.get() == targetToIgnoreForUpdates()) continue;
            entry.target->setInputSize(size, entry.textureIndex);
            entry.target->newFrameReadyAtTime(time_, entry.textureIndex);
        }
    });
}

}  // namespace gpuimage
