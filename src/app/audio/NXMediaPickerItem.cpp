#include "app/audio/NXMediaPickerItem.h"

#include "platform/foundation/Localized.h"
#include "platform/foundation/Paths.h"
#include "platform/library/MediaItem.h"

#include <cmath>

std::shared_ptr<NXMediaPickerItem> NXMediaPickerItem::create(const std::string& URL, std::optional<std::string> title) {
    if (URL.empty()) return nullptr;
    auto item = std::make_shared<NXMediaPickerItem>();
    item->URL = URL;
    const std::string name = title ? *title : foundation::path::deletingExtension(foundation::path::lastComponent(URL));
    item->title = foundation::localized(name);
    if (auto opened = media::Asset::open(URL); opened.ok()) item->asset = std::move(opened.value());
    return item;
}

double NXMediaPickerItem::durationSeconds() const {
    if (!asset) return 0;
    const double seconds = asset->durationSeconds();
    return std::isfinite(seconds) && seconds > 0 ? seconds : 0;
}

std::string NXMediaPickerItem::getDuration() const { return library::trackLengthString(durationSeconds()); }
