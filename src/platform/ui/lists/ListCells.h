#pragma once

// Internal: the cells of a sectioned list, shared by the table and
// collection views — the ones in sight by their positions, and the ones out
// of sight waiting for reuse under their identifiers.

#include "platform/ui/compositing/Animation.h"
#include "platform/ui/lists/IndexPath.h"
#include "platform/ui/lists/ListUpdate.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace ui::detail {

// `Cell` has reuseIdentifier(), prepareForReuse() and a reuseIdentifier_
// this class may set (it is the cell's friend).
template <class Cell>
class ListCells {
public:
    using CellPtr = std::shared_ptr<Cell>;
    using Factory = std::function<CellPtr()>;

    // `owner` starts the messages of the errors thrown ("TableView").
    explicit ListCells(std::string owner) : owner_(std::move(owner)) {}

    // ---- reuse -----------------------------------------------------------------------
    // No factory unregisters the identifier.
    void registerFactory(Factory factory, const std::string& identifier) {
        if (factory)
            factories_[identifier] = std::move(factory);
        else
            factories_.erase(identifier);
    }

    // A waiting cell of the identifier (prepared for reuse), else a new one
    // from its factory, else none.
    CellPtr dequeue(const std::string& identifier) {
        auto pool = pool_.find(identifier);
        if (pool != pool_.end() && !pool->second.empty()) {
            CellPtr cell = pool->second.back();
            pool->second.pop_back();
            cell->prepareForReuse();
            return cell;
        }
        auto factory = factories_.find(identifier);
        if (factory == factories_.end()) return nullptr;
        CellPtr cell = factory->second();
        if (cell) cell->reuseIdentifier_ = identifier;
        return cell;
    }

    // The same, never none: std::invalid_argument for an identifier with
    // neither a waiting cell nor a factory, std::logic_error when the
    // factory makes no cell.
    CellPtr dequeueRegistered(const std::string& identifier) {
        auto pool = pool_.find(identifier);
        if (!factories_.count(identifier) && (pool == pool_.end() || pool->second.empty()))
            throw std::invalid_argument(owner_ + ": no cell registered for reuse identifier \"" + identifier + "\"");
        CellPtr cell = dequeue(identifier);
        if (!cell) throw std::logic_error(owner_ + ": the cell factory for \"" + identifier + "\" made no cell");
        return cell;
    }

    // Puts a cell out of sight in its identifier's queue; cells without an
    // identifier cannot be asked for again.
    void enqueue(const CellPtr& cell) {
        if (cell->reuseIdentifier().empty()) return;
        pool_[cell->reuseIdentifier()].push_back(cell);
    }

    // ---- cells in sight ------------------------------------------------------------------
    std::map<IndexPath, CellPtr>& visible() { return visible_; }
    const std::map<IndexPath, CellPtr>& visible() const { return visible_; }

    CellPtr cellAt(const IndexPath& path) const {
        auto it = visible_.find(path);
        return it == visible_.end() ? nullptr : it->second;
    }
    std::optional<IndexPath> indexPathOf(const Cell* cell) const {
        for (const auto& [path, visible] : visible_) {
            if (visible.get() == cell) return path;
        }
        return std::nullopt;
    }
    std::vector<CellPtr> cells() const {
        std::vector<CellPtr> cells;
        for (const auto& [path, cell] : visible_) cells.push_back(cell);
        return cells;
    }
    std::vector<IndexPath> indexPaths() const {
        std::vector<IndexPath> paths;
        for (const auto& [path, cell] : visible_) paths.push_back(path);
        return paths;
    }

    // Which positions are in sight decides which cells exist: the others go
    // to `recycle` (all but `pinned`), and the missing ones come from `load`
    // without animation, even inside an animated change.
    void retile(const std::set<IndexPath>& wanted, const std::function<void(const CellPtr&)>& recycle,
                const std::function<CellPtr(const IndexPath&)>& load, const Cell* pinned = nullptr) {
        for (auto it = visible_.begin(); it != visible_.end();) {
            if (!wanted.count(it->first) && it->second.get() != pinned) {
                CellPtr cell = it->second;
                it = visible_.erase(it);
                recycle(cell);
            } else {
                ++it;
            }
        }
        performWithoutAnimation([&] {
            for (const IndexPath& path : wanted) {
                if (!visible_.count(path)) visible_[path] = load(path);
            }
        });
    }

    // Moves the cells in sight to where an update takes their positions and
    // returns those that leave: their elements are gone or made again.
    std::vector<CellPtr> remap(const ListMapping& map, const std::set<IndexPath>& reloaded) {
        std::map<IndexPath, CellPtr> kept;
        std::vector<CellPtr> leaving;
        for (auto& [path, cell] : visible_) {
            auto it = map.destinations.find(path);
            if (it == map.destinations.end() || reloaded.count(path))
                leaving.push_back(cell);
            else
                kept[it->second] = cell;
        }
        visible_ = std::move(kept);
        return leaving;
    }

    // After the animation of an update: the cells that left go to `recycle`,
    // unless they came back into use meanwhile.
    void recycleLeft(const std::vector<std::weak_ptr<View>>& gone, const std::function<void(const CellPtr&)>& recycle) {
        for (const auto& weakCell : gone) {
            auto cell = std::static_pointer_cast<Cell>(weakCell.lock());
            if (!cell || indexPathOf(cell.get())) continue;
            cell->setAlpha(1);
            recycle(cell);
        }
    }

    // ---- a touch that may select ----------------------------------------------------------
    // The touch came down on an element (or none), whose cell is highlighted
    // while it lasts.
    void touchDown(std::optional<IndexPath> path) {
        touched_ = path;
        if (!touched_) return;
        if (auto cell = cellAt(*touched_)) cell->setHighlighted(true);
    }
    // The touch lifted over `liftedOver`: the element it came down on when
    // that is the same one, else none. The highlight goes either way.
    std::optional<IndexPath> touchUp(std::optional<IndexPath> liftedOver) {
        if (!touched_) return std::nullopt;
        IndexPath path = *touched_;
        touched_.reset();
        if (auto cell = cellAt(path)) cell->setHighlighted(false);
        if (liftedOver != path) return std::nullopt;
        return path;
    }
    void touchCancelled() { touchUp(std::nullopt); }
    // The elements moved under the touch: it selects nothing.
    void forgetTouch() { touched_.reset(); }

private:
    std::string owner_;
    std::optional<IndexPath> touched_;
    std::map<IndexPath, CellPtr> visible_;
    std::map<std::string, std::vector<CellPtr>> pool_;
    std::map<std::string, Factory> factories_;
};

}  // namespace ui::detail
