#include "platform/library/Pasteboard.h"

namespace library {

namespace {

bool isImageType(std::string_view type) { return type == kPasteboardTypeJPEG || type == kPasteboardTypePNG; }

}  // namespace

Pasteboard& Pasteboard::general() {
    static Pasteboard board;
    return board;
}

void Pasteboard::setItems(std::vector<PasteboardItem> items) {
    std::lock_guard guard(lock_);
    items_ = std::move(items);
    ++changeCount_;
}

std::vector<PasteboardItem> Pasteboard::items() const {
    std::lock_guard guard(lock_);
    return items_;
}

int64_t Pasteboard::numberOfItems() const {
    std::lock_guard guard(lock_);
    return int64_t(items_.size());
}

int64_t Pasteboard::changeCount() const {
    std::lock_guard guard(lock_);
    return changeCount_;
}

bool Pasteboard::containsType(std::string_view type) const { return dataForType(type).has_value(); }

std::optional<foundation::Bytes> Pasteboard::dataForType(std::string_view type) const {
    std::lock_guard guard(lock_);
    for (const PasteboardItem& item : items_) {
        for (const auto& [itemType, data] : item) {
            if (itemType == type) return data;
        }
    }
    return std::nullopt;
}

bool Pasteboard::hasImages() const {
    std::lock_guard guard(lock_);
    for (const PasteboardItem& item : items_) {
        for (const auto& representation : item) {
            if (isImageType(representation.first)) return true;
        }
    }
    return false;
}

std::optional<graphics::Image> Pasteboard::image() const {
    // Decode outside the lock: pictures can be large.
    std::vector<foundation::Bytes> candidates;
    {
        std::lock_guard guard(lock_);
        for (const PasteboardItem& item : items_) {
            for (const auto& [type, data] : item) {
                if (isImageType(type)) candidates.push_back(data);
            }
        }
    }
    for (const foundation::Bytes& data : candidates) {
        auto decoded = graphics::Image::decode(data);
        if (decoded.ok() && !decoded->isNull()) return std::move(decoded.value());
    }
    return std::nullopt;
}

}  // namespace library
