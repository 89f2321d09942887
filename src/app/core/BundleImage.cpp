#include "app/core/BundleImage.h"

#include "platform/foundation/Bundle.h"
#include "platform/graphics/ImageName.h"

std::optional<graphics::Image> bundleImageNamed(std::string_view name) {
    if (name.empty()) return std::nullopt;
    const foundation::Bundle& bundle = foundation::Bundle::main();
    auto path = bundle.pathForResource(name);
    if (!path) path = bundle.pathForResource(name, "png");
    if (!path) return std::nullopt;
    auto image = graphics::Image::load(*path);
    if (!image.ok() || image->isNull()) return std::nullopt;
    return graphics::withImageName(std::move(image.value()), name);
}
