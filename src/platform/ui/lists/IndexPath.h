#pragma once

// The position of a row (or collection item) in a sectioned list. Orders by
// section, then row.

#include <compare>
#include <cstddef>
#include <string>

namespace ui {

struct IndexPath {
    size_t section = 0;
    size_t row = 0;

    static IndexPath indexPathForRow(size_t row, size_t inSection) { return IndexPath{inSection, row}; }
    static IndexPath indexPathForItem(size_t item, size_t inSection) { return IndexPath{inSection, item}; }
    // Collection views call the row an item.
    size_t item() const { return row; }

    auto operator<=>(const IndexPath&) const = default;

    // "[section, row]", for messages.
    std::string toString() const { return "[" + std::to_string(section) + ", " + std::to_string(row) + "]"; }
};

}  // namespace ui
