#include "platform/ui/lists/ListUpdate.h"

namespace ui::detail {

ListMapping mapThroughUpdate(const std::vector<size_t>& oldCounts, const std::vector<size_t>& newCounts,
                             const ListUpdate& update, const char* element) {
    ListMapping result;
    const std::string what = element;
    if (oldCounts.size() != newCounts.size()) {
        result.error = "the number of sections changed from " + std::to_string(oldCounts.size()) + " to " +
                       std::to_string(newCounts.size()) + " in an update of single " + what + "s";
        return result;
    }
    auto exists = [](const std::vector<size_t>& counts, const IndexPath& p) {
        return p.section < counts.size() && p.row < counts[p.section];
    };
    for (const IndexPath& p : update.removed) {
        if (!exists(oldCounts, p)) {
            result.error = "deleting or moving " + what + " " + p.toString() + ", which does not exist";
            return result;
        }
    }
    for (const IndexPath& p : update.reloaded) {
        if (!exists(oldCounts, p)) {
            result.error = "reloading " + what + " " + p.toString() + ", which does not exist";
            return result;
        }
    }
    for (const IndexPath& p : update.added) {
        if (!exists(newCounts, p)) {
            result.error = "inserting " + what + " " + p.toString() + " beyond the end of its section";
            return result;
        }
    }
    for (size_t s = 0; s < oldCounts.size(); ++s) {
        size_t gone = 0, come = 0;
        for (const IndexPath& p : update.removed) gone += p.section == s;
        for (const IndexPath& p : update.added) come += p.section == s;
        if (oldCounts[s] - gone + come != newCounts[s]) {
            result.error = "section " + std::to_string(s) + " has " + std::to_string(newCounts[s]) + " " + what +
                           "s after the update, but had " + std::to_string(oldCounts[s]) + " with " +
                           std::to_string(come) + " inserted and " + std::to_string(gone) + " deleted";
            return result;
        }
    }
    result.destinations = update.moved;
    for (size_t s = 0; s < oldCounts.size(); ++s) {
        size_t next = 0;
        for (size_t row = 0; row < oldCounts[s]; ++row) {
            IndexPath from{s, row};
            if (update.removed.count(from)) continue;
            while (update.added.count(IndexPath{s, next})) ++next;
            result.destinations[from] = IndexPath{s, next++};
        }
    }
    return result;
}

std::set<IndexPath> mapSelection(const std::set<IndexPath>& selected, const ListMapping& map,
                                 const ListUpdate& update) {
    std::set<IndexPath> result;
    for (const IndexPath& p : selected) {
        auto it = map.destinations.find(p);
        if (it != map.destinations.end() && !update.reloaded.count(p)) result.insert(it->second);
    }
    return result;
}

}  // namespace ui::detail
