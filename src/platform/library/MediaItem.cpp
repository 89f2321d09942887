#include "platform/library/MediaItem.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace library {

std::optional<graphics::Image> MediaItem::artwork() const {
    if (!artworkData || artworkData->empty()) return std::nullopt;
    auto decoded = graphics::Image::decode(*artworkData);
    if (!decoded.ok() || decoded->isNull()) return std::nullopt;
    return std::move(decoded.value());
}

std::optional<graphics::Image> MediaItem::artworkWithSize(graphics::Size size) const {
    auto image = artwork();
    if (!image || !(size.width > 0) || !(size.height > 0)) return image;
    const double scale = std::min(size.width / image->pixelWidth(), size.height / image->pixelHeight());
    return image->resized(std::max(1, int(std::lround(image->pixelWidth() * scale))),
                          std::max(1, int(std::lround(image->pixelHeight() * scale))));
}

std::string MediaItem::releaseYearString() const { return year ? std::to_string(*year) : std::string(); }

bool MediaItem::assetHasBeenDeleted() const {
    return assetURL && assetURL->find("ipod-library://item/item.(null)") != std::string::npos;
}

double MediaItemCollection::playbackLength() const {
    double total = 0;
    for (const auto& item : items_) total += item->playbackDuration;
    return total;
}

bool MediaItemCollection::hasNoPlayableItems() const {
    return std::none_of(items_.begin(), items_.end(), [](const MediaItemPtr& item) { return item->isPlayable(); });
}

std::string trackLengthString(double seconds) {
    double t = std::floor(std::isfinite(seconds) && seconds > 0 ? seconds : 0);
    // A sound shorter than a second still lasts: it reads 0:01, not 0:00.
    if (t == 0 && std::isfinite(seconds) && seconds > 0) t = 1;
    char text[48];
    if (t < 60) {
        std::snprintf(text, sizeof text, "0:%02.0f", t);
        return text;
    }
    const auto whole = static_cast<long long>(t);
    const long long m = whole / 60, s = whole - 60 * m;
    if (m <= 59)
        std::snprintf(text, sizeof text, "%lld%s%02lld", m, ":", s);
    else
        std::snprintf(text, sizeof text, "%lld%s%02lld%s%02lld", m / 60, ":", m - 60 * (m / 60), ":", s);
    return text;
}

}  // namespace library
