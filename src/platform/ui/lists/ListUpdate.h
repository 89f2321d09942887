#pragma once

// Internal: what a batch of row (or item) changes does to the positions of
// a sectioned list, shared by the table and collection views.

#include "platform/ui/lists/IndexPath.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace ui::detail {

struct ListUpdate {
    std::set<IndexPath> removed;   // old positions (move sources included)
    std::set<IndexPath> added;     // new positions (move destinations included)
    std::set<IndexPath> reloaded;  // old positions whose cells are made again
    std::map<IndexPath, IndexPath> moved;

    bool empty() const { return removed.empty() && added.empty() && reloaded.empty(); }
};

struct ListMapping {
    // Old position → new position of every element that stays.
    std::map<IndexPath, IndexPath> destinations;
    // Empty when the update agrees with the counts before and after.
    std::string error;
};

// Elements that stay fill the new positions that were not inserted, in
// their old order; moved ones go where they were moved.
ListMapping mapThroughUpdate(const std::vector<size_t>& oldCounts, const std::vector<size_t>& newCounts,
                             const ListUpdate& update, const char* element);

// The selected positions after the update; reloaded elements lose their selection.
std::set<IndexPath> mapSelection(const std::set<IndexPath>& selected, const ListMapping& map, const ListUpdate& update);

}  // namespace ui::detail
