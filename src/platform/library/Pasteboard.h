#pragma once

// An in-process pasteboard: an ordered list of items, each holding one or
// more representations of the same content keyed by type identifier
// ("public.jpeg", an application's private type, ...). Safe to use from any
// thread; readers get copies.

#include "platform/foundation/Value.h"
#include "platform/graphics/Image.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace library {

inline constexpr const char* kPasteboardTypeJPEG = "public.jpeg";
inline constexpr const char* kPasteboardTypePNG = "public.png";

// One item: representations in the order they were offered.
using PasteboardItem = std::vector<std::pair<std::string, foundation::Bytes>>;

class Pasteboard {
public:
    // The pasteboard shared by the whole application.
    static Pasteboard& general();

    Pasteboard() = default;
    Pasteboard(const Pasteboard&) = delete;
    Pasteboard& operator=(const Pasteboard&) = delete;

    // Replaces the contents.
    void setItems(std::vector<PasteboardItem> items);
    void clear() { setItems({}); }
    std::vector<PasteboardItem> items() const;
    int64_t numberOfItems() const;
    // Grows with every change of the contents.
    int64_t changeCount() const;

    // Whether any item has a representation of the type.
    bool containsType(std::string_view type) const;
    // The first item's representation of that type, searching items in order.
    std::optional<foundation::Bytes> dataForType(std::string_view type) const;

    // Whether an item holds a JPEG or PNG picture.
    bool hasImages() const;
    // The first decodable picture (JPEG or PNG); none when there is none.
    std::optional<graphics::Image> image() const;

private:
    mutable std::mutex lock_;
    std::vector<PasteboardItem> items_;
    int64_t changeCount_ = 0;
};

}  // namespace library
