#include "components/support/ScaledImageForKey.h"

namespace support {

double imageScaleForKey(std::string_view key) {
    // "@2x." must start 7 or 8 characters before the end: at the window of
    // 5 characters that begins 8 before the end.
    constexpr std::string_view marker = "@2x.";
    if (key.size() < 8) return 1.0;
    std::string_view window = key.substr(key.size() - 8, 5);
    return window.find(marker) != std::string_view::npos ? 2.0 : 1.0;
}

graphics::Image scaledImageForKey(std::string_view key, const foundation::Bytes& data) {
    if (data.empty()) return {};
    auto decoded = graphics::Image::decode(data);
    if (!decoded) return {};
    return scaledImageForKey(key, *decoded);
}

graphics::Image scaledImageForKey(std::string_view key, const graphics::Image& image) {
    if (image.isNull()) return {};
    return image.withScale(imageScaleForKey(key));
}

}  // namespace support
