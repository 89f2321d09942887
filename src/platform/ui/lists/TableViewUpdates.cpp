// The table's changes of single rows, editing, swipe to delete and dragging
// rows by their reorder controls.

#include "platform/foundation/Lifetime.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/compositing/Animation.h"
#include "platform/ui/gestures/PanGestureRecognizer.h"
#include "platform/ui/gestures/SwipeGestureRecognizer.h"
#include "platform/ui/lists/ListUpdate.h"
#include "platform/ui/lists/TableView.h"

#include <algorithm>
#include <stdexcept>

namespace ui {

using graphics::Point;
using graphics::Rect;

// ---- batches of changes --------------------------------------------------------------

void TableView::beginUpdates() { ++updateDepth_; }

void TableView::endUpdates() {
    if (updateDepth_ == 0) return;
    if (--updateDepth_ > 0) return;
    std::vector<Update> updates;
    updates.swap(pendingUpdates_);
    applyUpdates(std::move(updates));
}

void TableView::insertRowsAtIndexPaths(const std::vector<IndexPath>& indexPaths, TableViewRowAnimation animation) {
    beginUpdates();
    for (const IndexPath& p : indexPaths) pendingUpdates_.push_back(Update{Update::Kind::Insert, p, p, animation});
    endUpdates();
}

void TableView::deleteRowsAtIndexPaths(const std::vector<IndexPath>& indexPaths, TableViewRowAnimation animation) {
    beginUpdates();
    for (const IndexPath& p : indexPaths) pendingUpdates_.push_back(Update{Update::Kind::Delete, p, p, animation});
    endUpdates();
}

void TableView::reloadRowsAtIndexPaths(const std::vector<IndexPath>& indexPaths, TableViewRowAnimation animation) {
    beginUpdates();
    for (const IndexPath& p : indexPaths) pendingUpdates_.push_back(Update{Update::Kind::Reload, p, p, animation});
    endUpdates();
}

void TableView::moveRowAtIndexPath(const IndexPath& indexPath, const IndexPath& toIndexPath) {
    beginUpdates();
    pendingUpdates_.push_back(Update{Update::Kind::Move, indexPath, toIndexPath, TableViewRowAnimation::Automatic});
    endUpdates();
}

void TableView::fail(const std::string& message) {
    // Whatever the data source says now is shown, so nothing stale stays on screen.
    reloadData();
    throw std::logic_error("TableView: " + message);
}

// Works out where every old row went, asks the data source for the new
// rows' heights and cells, and moves the cells there, animated.
void TableView::applyUpdates(std::vector<Update> updates) {
    if (updates.empty()) return;
    if (!loaded_ || !dataSource_) {
        reloadData();
        return;
    }
    hideDeleteConfirmation(false);
    const std::vector<Section> old = sections_;
    size_t sectionCount = dataSource_->numberOfSectionsInTableView(*this);

    detail::ListUpdate change;
    bool animated = false;
    for (const Update& u : updates) {
        if (u.animation != TableViewRowAnimation::None) animated = true;
        switch (u.kind) {
            case Update::Kind::Insert:
                change.added.insert(u.path);
                break;
            case Update::Kind::Delete:
                change.removed.insert(u.path);
                break;
            case Update::Kind::Reload:
                change.reloaded.insert(u.path);
                break;
            case Update::Kind::Move:
                change.removed.insert(u.path);
                change.added.insert(u.destination);
                change.moved[u.path] = u.destination;
                break;
        }
    }
    std::vector<size_t> oldCounts, newCounts(sectionCount);
    for (const Section& section : old) oldCounts.push_back(section.rowHeights.size());
    for (size_t s = 0; s < sectionCount; ++s) newCounts[s] = dataSource_->numberOfRowsInSection(*this, s);
    detail::ListMapping map = detail::mapThroughUpdate(oldCounts, newCounts, change, "row");
    if (!map.error.empty()) fail(map.error);
    const std::map<IndexPath, IndexPath>& mapping = map.destinations;
    const std::set<IndexPath>& added = change.added;
    const std::set<IndexPath>& reloaded = change.reloaded;

    std::vector<Section> sections;
    for (size_t s = 0; s < sectionCount; ++s) sections.push_back(loadSection(s, newCounts[s]));
    computePositions(sections);

    std::set<IndexPath> fresh;  // rows whose cells are new: inserted and reloaded
    for (const IndexPath& p : added) fresh.insert(p);
    for (const IndexPath& p : reloaded) fresh.insert(mapping.at(p));

    sections_ = std::move(sections);
    selected_ = detail::mapSelection(selected_, map, change);
    const std::vector<TableViewCellPtr> leaving = cells_.remap(map, reloaded);
    // Cells that exist before the change; any made from here on are new rows.
    const std::vector<TableViewCellPtr> before = visibleCells();
    cells_.forgetTouch();
    dropSectionViews();
    placeHeaderAndFooterViews();

    if (!animated) {
        for (const TableViewCellPtr& cell : leaving) enqueue(cell);
        for (auto& [path, cell] : cells_.visible()) configureCell(*cell, path, false);
        layoutCellFrames();
        tile();
        return;
    }
    // New cells fade in where they belong; the others slide there.
    tile();
    for (auto& [path, cell] : cells_.visible()) {
        configureCell(*cell, path, false);
        if (fresh.count(path) && std::find(before.begin(), before.end(), cell) == before.end()) cell->setAlpha(0);
    }
    std::weak_ptr<View> weak = weak_from_this();
    for (const TableViewCellPtr& cell : leaving) bringSubviewToFront(cell.get());
    animate(
        kRowAnimationDuration,
        [&] {
            layoutCellFrames();
            for (auto& [path, cell] : cells_.visible()) cell->setAlpha(1);
            for (const TableViewCellPtr& cell : leaving) cell->setAlpha(0);
        },
        [this, weak, gone = std::vector<std::weak_ptr<View>>(leaving.begin(), leaving.end())](bool) {
            // Weak: the cells' own animations hold this completion.
            if (auto keep = weak.lock())
                cells_.recycleLeft(gone, [this](const TableViewCellPtr& cell) { enqueue(cell); });
        });
}

// ---- editing --------------------------------------------------------------------------------

void TableView::setEditing(bool editing, bool animated) {
    if (editing_ == editing) return;
    hideDeleteConfirmation(animated);
    editing_ = editing;
    if (editing && !allowsSelectionDuringEditing_) {
        for (const IndexPath& path : std::vector<IndexPath>(selected_.begin(), selected_.end()))
            deselectRowAtIndexPath(path, animated);
    }
    for (auto& [path, cell] : cells_.visible()) configureCell(*cell, path, animated);
}

void TableView::showDeleteConfirmation(const IndexPath& path) {
    if (confirmationRow_ == path) return;
    hideDeleteConfirmation(true);
    auto cell = cellForRowAtIndexPath(path);
    if (!cell) return;
    std::optional<std::string> title;
    if (tableDelegate_) title = tableDelegate_->titleForDeleteConfirmationButtonForRowAtIndexPath(*this, path);
    confirmationRow_ = path;
    cell->setShowingDeleteConfirmation(true, title.value_or(foundation::localized("Delete")), true);
}

void TableView::hideDeleteConfirmation(bool animated) {
    if (!confirmationRow_) return;
    IndexPath path = *confirmationRow_;
    confirmationRow_.reset();
    if (auto cell = cellForRowAtIndexPath(path)) cell->setShowingDeleteConfirmation(false, {}, animated);
}

void TableView::swiped(SwipeGestureRecognizer& recognizer, bool left) {
    if (recognizer.state() != GestureStateRecognized) return;
    if (!left) {
        hideDeleteConfirmation(true);
        return;
    }
    if (editing_ || !dataSource_) return;
    auto path = indexPathForRowAtPoint(recognizer.locationInView(this));
    if (!path || !dataSource_->canEditRowAtIndexPath(*this, *path)) return;
    TableViewCellEditingStyle style = tableDelegate_ ? tableDelegate_->editingStyleForRowAtIndexPath(*this, *path)
                                                     : TableViewCellEditingStyle::Delete;
    if (style != TableViewCellEditingStyle::Delete) return;
    showDeleteConfirmation(*path);
}

void TableView::handleCellControl(TableViewCell& cell, TableViewCell::ControlKind kind) {
    auto path = indexPathForCell(&cell);
    if (!path) return;
    using Kind = TableViewCell::ControlKind;
    switch (kind) {
        case Kind::Delete:
            if (confirmationRow_ == path)
                hideDeleteConfirmation(true);
            else
                showDeleteConfirmation(*path);
            break;
        case Kind::Insert:
            hideDeleteConfirmation(true);
            if (dataSource_) dataSource_->commitEditingStyle(*this, TableViewCellEditingStyle::Insert, *path);
            break;
        case Kind::ConfirmDelete:
            // The data source usually deletes the row, which takes the button with it.
            if (dataSource_) dataSource_->commitEditingStyle(*this, TableViewCellEditingStyle::Delete, *path);
            if (confirmationRow_ == path) hideDeleteConfirmation(true);
            break;
        case Kind::DetailButton:
            if (tableDelegate_) tableDelegate_->accessoryButtonTappedForRowWithIndexPath(*this, *path);
            break;
        case Kind::Reorder:
        case Kind::Disclosure:
        case Kind::Checkmark:
            break;
    }
}

// ---- reordering -------------------------------------------------------------------------------

void TableView::attachReorderDrag(TableViewCell& cell) {
    View* control = cell.reorderControl();
    if (!control || !control->gestureRecognizers().empty()) return;
    auto pan = std::make_shared<PanGestureRecognizer>();
    std::weak_ptr<View> weakTable = weak_from_this();
    auto weakCell = foundation::weakFrom(&cell);
    pan->addTarget([this, weakTable, weakCell](GestureRecognizer& r) {
        auto table = weakTable.lock();
        auto cellView = weakCell.lock();
        if (table && cellView) reorderChanged(*cellView, r);
    });
    control->addGestureRecognizer(pan);
}

// The row the dragged cell's centre is over, as a destination: the rows in
// between make way.
std::optional<IndexPath> TableView::reorderDestination(double y) const {
    for (size_t s = 0; s < sections_.size(); ++s) {
        const Section& section = sections_[s];
        if (y >= section.bottom && s + 1 < sections_.size()) continue;
        size_t count = section.rowHeights.size();
        if (count == 0) return IndexPath{s, 0};
        for (size_t row = 0; row < count; ++row) {
            if (y < section.rowTops[row] + section.rowHeights[row]) return IndexPath{s, row};
        }
        // Past the last row: the end of the section (one more place when
        // coming from another section).
        return IndexPath{s, reorderSource_.section == s ? count - 1 : count};
    }
    return std::nullopt;
}

void TableView::reorderChanged(TableViewCell& cell, GestureRecognizer& recognizer) {
    switch (recognizer.state()) {
        case GestureState::Began: {
            auto path = indexPathForCell(&cell);
            if (!path) return;
            reorderCell_ = &cell;
            reorderSource_ = reorderTarget_ = *path;
            reorderGrab_ = cell.center().y - recognizer.locationInView(this).y;
            bringSubviewToFront(&cell);
            break;
        }
        case GestureState::Changed: {
            if (reorderCell_ != &cell) return;
            double y = recognizer.locationInView(this).y + reorderGrab_;
            y = std::clamp(y, 0.0, std::max(0.0, contentSize().height));
            cell.setCenter(Point{cell.center().x, y});
            auto target = reorderDestination(y);
            if (target && *target != reorderTarget_) {
                reorderTarget_ = *target;
                previewMove(reorderSource_, reorderTarget_);
            }
            break;
        }
        case GestureState::Ended:
            if (reorderCell_ == &cell) finishMove(reorderSource_, reorderTarget_);
            break;
        case GestureState::Cancelled:
            if (reorderCell_ == &cell) finishMove(reorderSource_, reorderSource_);
            break;
        default:
            break;
    }
}

// The rows' places with one row taken out and put in again elsewhere.
namespace {

IndexPath afterMove(const IndexPath& p, const IndexPath& from, const IndexPath& to) {
    if (p == from) return to;
    IndexPath q = p;
    if (q.section == from.section && q.row > from.row) --q.row;
    if (q.section == to.section && q.row >= to.row) ++q.row;
    return q;
}

}  // namespace

void TableView::previewMove(const IndexPath& from, const IndexPath& to) {
    std::vector<Section> preview = sections_;
    double height = preview[from.section].rowHeights[from.row];
    preview[from.section].rowHeights.erase(preview[from.section].rowHeights.begin() + std::ptrdiff_t(from.row));
    auto& dest = preview[to.section].rowHeights;
    dest.insert(dest.begin() + std::ptrdiff_t(std::min(to.row, dest.size())), height);
    computePositions(preview);
    animate(0.2, [&] {
        for (auto& [path, cell] : cells_.visible()) {
            if (cell.get() == reorderCell_) continue;
            IndexPath p = afterMove(path, from, to);
            const Section& s = preview[p.section];
            if (p.row < s.rowTops.size())
                cell->setFrame(Rect(0, s.rowTops[p.row], contentWidth(), s.rowHeights[p.row]));
        }
    });
}

void TableView::finishMove(const IndexPath& from, const IndexPath& to) {
    reorderCell_ = nullptr;
    if (from != to && hasRow(from) && to.section < sections_.size()) {
        // The table moves its own rows first; the data source follows.
        double height = sections_[from.section].rowHeights[from.row];
        auto& source = sections_[from.section].rowHeights;
        source.erase(source.begin() + std::ptrdiff_t(from.row));
        auto& dest = sections_[to.section].rowHeights;
        dest.insert(dest.begin() + std::ptrdiff_t(std::min(to.row, dest.size())), height);
        computePositions(sections_);
        std::map<IndexPath, TableViewCellPtr> cells;
        for (auto& [path, cell] : cells_.visible()) cells[afterMove(path, from, to)] = cell;
        cells_.visible() = std::move(cells);
        std::set<IndexPath> selected;
        for (const IndexPath& p : selected_) selected.insert(afterMove(p, from, to));
        selected_ = std::move(selected);
        placeHeaderAndFooterViews();
        if (dataSource_) dataSource_->moveRowAtIndexPath(*this, from, to);
    }
    animate(0.2, [&] { layoutCellFrames(); });
    tile();
    for (auto& [path, cell] : cells_.visible()) configureCell(*cell, path, false);
}

}  // namespace ui
