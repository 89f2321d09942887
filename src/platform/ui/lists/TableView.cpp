#include "platform/ui/lists/TableView.h"

#include "platform/foundation/Localized.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/compositing/Animation.h"
#include "platform/ui/gestures/SwipeGestureRecognizer.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace ui {

using graphics::Color;
using graphics::Point;
using graphics::Rect;
using graphics::Size;

namespace {

constexpr double kPlainHeaderHeight = 22.0;
constexpr double kGroupedTitledHeaderHeight = 38.0;
constexpr double kGroupedTitledFooterHeight = 30.0;
constexpr double kGroupedSpacing = 18.0;
const Color kGroupedBackground = Color::rgb(239.0 / 255.0, 239.0 / 255.0, 244.0 / 255.0);
const Color kPlainHeaderBackground = Color::rgb(247.0 / 255.0, 247.0 / 255.0, 247.0 / 255.0);

// The default header and footer: the section's title on a strip (plain) or
// in small grey text above and below the group (grouped).
class SectionTitleView : public View {
public:
    SectionTitleView(std::string title, TableViewStyle style, bool header)
        : title_(std::move(title)), style_(style), header_(header) {
        setDrawsContent(true);
        setOpaque(false);
        if (style_ == TableViewStyle::Plain) setBackgroundColor(kPlainHeaderBackground);
        setContentMode(ContentMode::Redraw);
    }

    const std::string& title() const { return title_; }

    void drawRect(graphics::GraphicsContext& context, const Rect&) override {
        Rect b = bounds();
        bool plain = style_ == TableViewStyle::Plain;
        graphics::Font font =
            plain ? graphics::Font::boldSystemFont(14) : graphics::Font::systemFont(header_ ? 14 : 13);
        context.setFillColor(plain ? Color::grey(0.2) : Color::grey(0.43));
        double lineHeight = font.lineHeight();
        // Grouped headers sit just above the group, footers just below it.
        double y = plain ? (b.size.height - lineHeight) / 2 : header_ ? b.size.height - lineHeight - 6 : 6;
        context.drawText(
            title_,
            Rect(TableViewCell::kMargin, std::round(y), b.size.width - 2 * TableViewCell::kMargin, lineHeight + 1),
            font, graphics::LineBreakMode::TruncateTail, graphics::TextAlignment::Left);
    }

private:
    std::string title_;
    TableViewStyle style_;
    bool header_;
};

}  // namespace

// The index strip: section titles stacked along the right edge; touching or
// sliding over a title shows its section.
class TableSectionIndex : public View {
public:
    static constexpr double kWidth = 16.0;
    static constexpr double kLineHeight = 14.0;

    explicit TableSectionIndex(std::function<void(size_t)> touched) : touched_(std::move(touched)) {
        setDrawsContent(true);
        setOpaque(false);
        setContentMode(ContentMode::Redraw);
    }

    const std::vector<std::string>& titles() const { return titles_; }
    void setTitles(std::vector<std::string> titles) {
        titles_ = std::move(titles);
        setNeedsDisplay();
    }

    void drawRect(graphics::GraphicsContext& context, const Rect&) override {
        graphics::Font font = graphics::Font::boldSystemFont(11);
        context.setFillColor(tintColor());
        double top = firstLineTop();
        for (size_t i = 0; i < titles_.size(); ++i) {
            context.drawText(titles_[i], Rect(0, top + double(i) * kLineHeight, kWidth, kLineHeight), font,
                             graphics::LineBreakMode::Clip, graphics::TextAlignment::Center);
        }
    }

    void touchesBegan(const TouchSet& touches, const Event&) override { follow(touches); }
    void touchesMoved(const TouchSet& touches, const Event&) override { follow(touches); }
    void touchesEnded(const TouchSet&, const Event&) override { last_.reset(); }
    void touchesCancelled(const TouchSet&, const Event&) override { last_.reset(); }
    void tintColorDidChange() override { setNeedsDisplay(); }

private:
    double firstLineTop() const {
        return std::max(0.0, (bounds().size.height - double(titles_.size()) * kLineHeight) / 2);
    }
    void follow(const TouchSet& touches) {
        if (touches.empty() || titles_.empty()) return;
        double y = touches.front()->locationInView(this).y - firstLineTop();
        auto index = size_t(std::clamp(std::floor(y / kLineHeight), 0.0, double(titles_.size() - 1)));
        if (last_ == index) return;
        last_ = index;
        touched_(index);
    }

    std::function<void(size_t)> touched_;
    std::vector<std::string> titles_;
    std::optional<size_t> last_;
};

// ---- set-up ------------------------------------------------------------------------

TableView::TableView(TableViewStyle style) : style_(style) { setUpTable(); }

TableView::TableView(const Rect& frame, TableViewStyle style) : ScrollView(frame), style_(style) { setUpTable(); }

TableView::~TableView() {
    // The gesture machinery may hold the recognisers a little longer.
    swipeLeft_->removeAllTargets();
    swipeRight_->removeAllTargets();
}

void TableView::setUpTable() {
    setBackgroundColor(style_ == TableViewStyle::Grouped ? kGroupedBackground : Color::white());
    setAlwaysBounceVertical(true);
    swipeLeft_ = std::make_shared<SwipeGestureRecognizer>();
    swipeLeft_->direction = SwipeDirectionLeft;
    swipeLeft_->addTarget([this](GestureRecognizer& r) { swiped(static_cast<SwipeGestureRecognizer&>(r), true); });
    addGestureRecognizer(swipeLeft_);
    swipeRight_ = std::make_shared<SwipeGestureRecognizer>();
    swipeRight_->direction = SwipeDirectionRight;
    swipeRight_->addTarget([this](GestureRecognizer& r) { swiped(static_cast<SwipeGestureRecognizer&>(r), false); });
    addGestureRecognizer(swipeRight_);
}

void TableView::setDataSource(TableViewDataSource* dataSource) {
    dataSource_ = dataSource;
    loaded_ = false;
    setNeedsLayout();
}

void TableView::setDelegate(TableViewDelegate* delegate) {
    tableDelegate_ = delegate;
    ScrollView::setDelegate(delegate);
    remeasure();
}

// Heights may have changed, the rows have not: new places, same cells and selection.
void TableView::remeasure() {
    if (!loaded_) {
        setNeedsLayout();
        return;
    }
    std::vector<Section> sections;
    for (size_t s = 0; s < sections_.size(); ++s) sections.push_back(loadSection(s, sections_[s].rowHeights.size()));
    computePositions(sections);
    sections_ = std::move(sections);
    dropSectionViews();
    placeHeaderAndFooterViews();
    layoutCellFrames();
    laidOutWidth_ = contentWidth();
    tile();
}

// ---- data --------------------------------------------------------------------------------

size_t TableView::numberOfRowsInSection(size_t section) const {
    return section < sections_.size() ? sections_[section].rowHeights.size() : 0;
}

bool TableView::hasRow(const IndexPath& path) const {
    return path.section < sections_.size() && path.row < sections_[path.section].rowHeights.size();
}

double TableView::rowHeightAt(const IndexPath& path) {
    std::optional<double> height;
    if (tableDelegate_) height = tableDelegate_->heightForRowAtIndexPath(*this, path);
    // A negative height would fold rows over each other.
    return std::max(0.0, height.value_or(rowHeight_));
}

TableView::Section TableView::loadSection(size_t index, size_t rows) {
    Section section;
    if (dataSource_) {
        section.headerTitle = dataSource_->titleForHeaderInSection(*this, index);
        section.footerTitle = dataSource_->titleForFooterInSection(*this, index);
    }
    bool grouped = style_ == TableViewStyle::Grouped;
    auto automatic = [&](bool header) {
        bool titled = header ? section.headerTitle.has_value() : section.footerTitle.has_value();
        if (!grouped) return titled ? kPlainHeaderHeight : 0.0;
        if (!titled) return kGroupedSpacing;
        return header ? kGroupedTitledHeaderHeight : kGroupedTitledFooterHeight;
    };
    std::optional<double> header, footer;
    if (tableDelegate_) {
        header = tableDelegate_->heightForHeaderInSection(*this, index);
        footer = tableDelegate_->heightForFooterInSection(*this, index);
    }
    section.headerHeight =
        std::max(0.0, header.value_or(sectionHeaderHeight_ >= 0 ? sectionHeaderHeight_ : automatic(true)));
    section.footerHeight =
        std::max(0.0, footer.value_or(sectionFooterHeight_ >= 0 ? sectionFooterHeight_ : automatic(false)));
    section.rowHeights.reserve(rows);
    for (size_t row = 0; row < rows; ++row) section.rowHeights.push_back(rowHeightAt(IndexPath{index, row}));
    return section;
}

std::vector<TableView::Section> TableView::loadSections() {
    std::vector<Section> sections;
    if (!dataSource_) return sections;
    size_t count = dataSource_->numberOfSectionsInTableView(*this);
    sections.reserve(count);
    for (size_t s = 0; s < count; ++s) sections.push_back(loadSection(s, dataSource_->numberOfRowsInSection(*this, s)));
    return sections;
}

void TableView::computePositions(std::vector<Section>& sections) const {
    double y = tableHeaderView_ ? tableHeaderView_->frame().size.height : 0;
    for (Section& section : sections) {
        section.top = y;
        y += section.headerHeight;
        section.rowTops.resize(section.rowHeights.size());
        for (size_t r = 0; r < section.rowHeights.size(); ++r) {
            section.rowTops[r] = y;
            y += section.rowHeights[r];
        }
        section.footerTop = y;
        y += section.footerHeight;
        section.bottom = y;
    }
}

void TableView::reloadData() {
    loaded_ = true;
    hideDeleteConfirmation(false);
    for (auto& [path, cell] : cells_.visible()) enqueue(cell);
    cells_.visible().clear();
    dropSectionViews();
    selected_.clear();
    cells_.forgetTouch();
    sections_ = loadSections();
    computePositions(sections_);
    placeHeaderAndFooterViews();
    laidOutWidth_ = contentWidth();
    tile();
    reloadSectionIndexTitles();
}

// ---- section index -------------------------------------------------------------------------

void TableView::reloadSectionIndexTitles() {
    std::vector<std::string> titles;
    if (dataSource_) titles = dataSource_->sectionIndexTitlesForTableView(*this);
    if (titles.empty()) {
        if (indexStrip_) indexStrip_->removeFromSuperview();
        indexStrip_.reset();
        return;
    }
    if (!indexStrip_) {
        std::weak_ptr<View> weak = weak_from_this();
        indexStrip_ = std::make_shared<TableSectionIndex>([this, weak](size_t index) {
            if (auto keep = weak.lock()) indexTitleTouched(index);
        });
    }
    indexStrip_->setTitles(std::move(titles));
    layoutIndexStrip();
}

std::vector<std::string> TableView::sectionIndexTitles() const {
    return indexStrip_ ? indexStrip_->titles() : std::vector<std::string>{};
}

// The strip stays in place over the moving content, above everything.
void TableView::layoutIndexStrip() {
    if (!indexStrip_) return;
    Rect visible = bounds();
    indexStrip_->setFrame(Rect(visible.maxX() - TableSectionIndex::kWidth, visible.minY(), TableSectionIndex::kWidth,
                               visible.size.height));
    if (subviews().empty() || subviews().back() != indexStrip_) addSubview(indexStrip_);
}

void TableView::indexTitleTouched(size_t index) {
    if (!dataSource_ || !indexStrip_ || index >= indexStrip_->titles().size()) return;
    size_t section = dataSource_->sectionForSectionIndexTitle(*this, indexStrip_->titles()[index], index);
    if (section >= sections_.size()) return;
    Point offset = contentOffset();
    offset.y = std::clamp(rectForSection(section).minY(), minimumContentOffset().y, maximumContentOffset().y);
    setContentOffset(offset, false);
}

bool TableView::touchesShouldCancelInContentView(View* view) {
    return !(indexStrip_ && view && view->isDescendantOfView(indexStrip_.get()));
}

// ---- cells ----------------------------------------------------------------------------------

void TableView::registerClass(std::function<TableViewCellPtr()> factory, const std::string& forCellReuseIdentifier) {
    cells_.registerFactory(std::move(factory), forCellReuseIdentifier);
}

TableViewCellPtr TableView::dequeueReusableCellWithIdentifier(const std::string& identifier) {
    return cells_.dequeue(identifier);
}

TableViewCellPtr TableView::dequeueReusableCellWithIdentifier(const std::string& identifier, const IndexPath&) {
    return cells_.dequeueRegistered(identifier);
}

void TableView::enqueue(const TableViewCellPtr& cell) {
    cell->removeFromSuperview();
    cell->setControlHandler(nullptr);
    cell->setHighlighted(false);
    cell->setSelected(false);
    if (cell.get() == reorderCell_) reorderCell_ = nullptr;
    cells_.enqueue(cell);
}

TableViewCellPtr TableView::cellForRowAtIndexPath(const IndexPath& indexPath) const { return cells_.cellAt(indexPath); }

std::optional<IndexPath> TableView::indexPathForCell(const TableViewCell* cell) const {
    return cells_.indexPathOf(cell);
}

std::optional<IndexPath> TableView::indexPathForRowAtPoint(Point point) const {
    if (point.x < 0 || point.x >= contentWidth()) return std::nullopt;
    for (size_t s = 0; s < sections_.size(); ++s) {
        const Section& section = sections_[s];
        if (point.y < section.top || point.y >= section.bottom) continue;
        auto it = std::upper_bound(section.rowTops.begin(), section.rowTops.end(), point.y);
        if (it == section.rowTops.begin()) return std::nullopt;
        size_t row = size_t(it - section.rowTops.begin()) - 1;
        if (point.y < section.rowTops[row] + section.rowHeights[row]) return IndexPath{s, row};
        return std::nullopt;
    }
    return std::nullopt;
}

std::vector<TableViewCellPtr> TableView::visibleCells() const { return cells_.cells(); }

std::vector<IndexPath> TableView::indexPathsForVisibleRows() const { return cells_.indexPaths(); }

void TableView::configureCell(TableViewCell& cell, const IndexPath& path, bool animated) {
    bool editable = dataSource_ && dataSource_->canEditRowAtIndexPath(*this, path);
    bool movable = dataSource_ && dataSource_->canMoveRowAtIndexPath(*this, path);
    TableViewCellEditingStyle style = TableViewCellEditingStyle::None;
    if (editable) {
        style = tableDelegate_ ? tableDelegate_->editingStyleForRowAtIndexPath(*this, path)
                               : TableViewCellEditingStyle::Delete;
    }
    cell.setEditingStyle(style);
    cell.setShouldIndentWhileEditing(!tableDelegate_ ||
                                     tableDelegate_->shouldIndentWhileEditingRowAtIndexPath(*this, path));
    cell.setShowsReorderControl(movable);
    cell.setEditing(editing_ && (editable || movable), animated);
    if (movable) attachReorderDrag(cell);
    cell.setSelected(selected_.count(path) > 0);
    cell.setSeparator(separatorStyle_ == TableViewCellSeparatorStyle::SingleLine, separatorColor_,
                      TableViewCell::kMargin);
    std::weak_ptr<View> weak = weak_from_this();
    cell.setControlHandler([this, weak](TableViewCell& tapped, TableViewCell::ControlKind kind) {
        if (auto keep = weak.lock()) handleCellControl(tapped, kind);
    });
}

TableViewCellPtr TableView::loadCell(const IndexPath& path) {
    TableViewCellPtr cell = dataSource_->cellForRowAtIndexPath(*this, path);
    if (!cell) throw std::logic_error("TableView: the data source gave no cell for row " + path.toString());
    configureCell(*cell, path, false);
    cell->setFrame(rectForRowAtIndexPath(path));
    cell->setAlpha(1.0);
    // Cells lie below the section headers and footers.
    size_t index = backgroundView_ && backgroundView_->superview() == this ? 1 : 0;
    insertSubviewAtIndex(cell, index);
    cell->layoutIfNeeded();
    if (tableDelegate_) tableDelegate_->willDisplayCell(*this, *cell, path);
    return cell;
}

// Which rows are in sight decides which cells exist; new cells come in
// without animation even inside an animated change.
void TableView::tile() {
    if (!loaded_ || !dataSource_) return;
    Rect visible = bounds();
    double top = visible.minY(), bottom = visible.maxY();
    std::set<IndexPath> wanted;
    for (size_t s = 0; s < sections_.size(); ++s) {
        const Section& section = sections_[s];
        if (section.bottom <= top || section.top >= bottom) continue;
        auto first = std::upper_bound(section.rowTops.begin(), section.rowTops.end(), top);
        size_t row = first == section.rowTops.begin() ? 0 : size_t(first - section.rowTops.begin()) - 1;
        for (; row < section.rowTops.size() && section.rowTops[row] < bottom; ++row) {
            if (section.rowTops[row] + section.rowHeights[row] <= top) continue;
            if (section.rowHeights[row] <= 0) continue;
            wanted.insert(IndexPath{s, row});
        }
    }
    // The dragged row stays with the finger.
    cells_.retile(
        wanted, [this](const TableViewCellPtr& cell) { enqueue(cell); },
        [this](const IndexPath& path) { return loadCell(path); }, reorderCell_);
    layoutSectionViews();
}

// ---- geometry ------------------------------------------------------------------------------

void TableView::setRowHeight(double height) {
    rowHeight_ = std::max(0.0, height);
    remeasure();
}

void TableView::setSectionHeaderHeight(double height) {
    sectionHeaderHeight_ = height;
    remeasure();
}

void TableView::setSectionFooterHeight(double height) {
    sectionFooterHeight_ = height;
    remeasure();
}

Rect TableView::rectForRowAtIndexPath(const IndexPath& indexPath) const {
    if (!hasRow(indexPath)) return Rect::zero();
    const Section& section = sections_[indexPath.section];
    return Rect(0, section.rowTops[indexPath.row], contentWidth(), section.rowHeights[indexPath.row]);
}

Rect TableView::rectForSection(size_t section) const {
    if (section >= sections_.size()) return Rect::zero();
    const Section& s = sections_[section];
    return Rect(0, s.top, contentWidth(), s.bottom - s.top);
}

Rect TableView::rectForHeaderInSection(size_t section) const {
    if (section >= sections_.size()) return Rect::zero();
    const Section& s = sections_[section];
    return Rect(0, s.top, contentWidth(), s.headerHeight);
}

Rect TableView::rectForFooterInSection(size_t section) const {
    if (section >= sections_.size()) return Rect::zero();
    const Section& s = sections_[section];
    return Rect(0, s.footerTop, contentWidth(), s.footerHeight);
}

void TableView::setTableHeaderView(ViewPtr view) {
    if (tableHeaderView_) tableHeaderView_->removeFromSuperview();
    tableHeaderView_ = std::move(view);
    if (tableHeaderView_) addSubview(tableHeaderView_);
    computePositions(sections_);
    placeHeaderAndFooterViews();
    setNeedsLayout();
}

void TableView::setTableFooterView(ViewPtr view) {
    if (tableFooterView_) tableFooterView_->removeFromSuperview();
    tableFooterView_ = std::move(view);
    if (tableFooterView_) addSubview(tableFooterView_);
    placeHeaderAndFooterViews();
    setNeedsLayout();
}

void TableView::setBackgroundView(ViewPtr view) {
    if (backgroundView_) backgroundView_->removeFromSuperview();
    backgroundView_ = std::move(view);
    if (backgroundView_) insertSubviewAtIndex(backgroundView_, 0);
    setNeedsLayout();
}

void TableView::setSeparatorStyle(TableViewCellSeparatorStyle style) {
    separatorStyle_ = style;
    for (auto& [path, cell] : cells_.visible()) configureCell(*cell, path, false);
}

void TableView::setSeparatorColor(Color color) {
    separatorColor_ = color;
    for (auto& [path, cell] : cells_.visible()) configureCell(*cell, path, false);
}

// Places the table header and footer views and sets the content size.
void TableView::placeHeaderAndFooterViews() {
    double width = contentWidth();
    if (tableHeaderView_) {
        Rect f = tableHeaderView_->frame();
        tableHeaderView_->setFrame(Rect(0, 0, width, f.size.height));
    }
    double end =
        sections_.empty() ? (tableHeaderView_ ? tableHeaderView_->frame().size.height : 0) : sections_.back().bottom;
    if (tableFooterView_) {
        Rect f = tableFooterView_->frame();
        tableFooterView_->setFrame(Rect(0, end, width, f.size.height));
        end += f.size.height;
    }
    setContentSize(Size{width, end});
    settleIntoContent();
}

void TableView::layoutCellFrames() {
    for (auto& [path, cell] : cells_.visible()) {
        if (cell.get() == reorderCell_) continue;
        cell->setFrame(rectForRowAtIndexPath(path));
    }
}

ViewPtr TableView::makeSectionView(size_t section, bool header) {
    ViewPtr view;
    if (tableDelegate_)
        view = header ? tableDelegate_->viewForHeaderInSection(*this, section)
                      : tableDelegate_->viewForFooterInSection(*this, section);
    if (view) return view;
    const std::optional<std::string>& title = header ? sections_[section].headerTitle : sections_[section].footerTitle;
    if (!title) return nullptr;
    return std::make_shared<SectionTitleView>(*title, style_, header);
}

void TableView::dropSectionViews() {
    for (auto& [section, view] : headerViews_) view->removeFromSuperview();
    for (auto& [section, view] : footerViews_) view->removeFromSuperview();
    headerViews_.clear();
    footerViews_.clear();
}

// Headers and footers of the sections in sight; above the cells.
void TableView::layoutSectionViews() {
    Rect visible = bounds();
    auto place = [&](std::map<size_t, ViewPtr>& views, bool header) {
        for (auto it = views.begin(); it != views.end();) {
            size_t s = it->first;
            Rect r = s < sections_.size() ? (header ? rectForHeaderInSection(s) : rectForFooterInSection(s)) : Rect();
            if (s >= sections_.size() || r.size.height <= 0 || !r.intersects(visible)) {
                it->second->removeFromSuperview();
                it = views.erase(it);
            } else {
                ++it;
            }
        }
        for (size_t s = 0; s < sections_.size(); ++s) {
            Rect r = header ? rectForHeaderInSection(s) : rectForFooterInSection(s);
            if (r.size.height <= 0 || !r.intersects(visible)) continue;
            auto it = views.find(s);
            if (it == views.end()) {
                ViewPtr view = makeSectionView(s, header);
                if (!view) continue;
                it = views.emplace(s, view).first;
                performWithoutAnimation([&] { view->setFrame(r); });
            }
            if (it->second->superview() != this) addSubview(it->second);
            it->second->setFrame(r);
        }
    };
    place(headerViews_, true);
    place(footerViews_, false);
}

void TableView::layoutSubviews() {
    if (!loaded_) {
        reloadData();
    } else if (laidOutWidth_ != contentWidth()) {
        placeHeaderAndFooterViews();
        layoutCellFrames();
        tile();
    } else if (laidOutHeight_ != bounds().height()) {
        // A taller table may show rows that had no cells, and a scroll
        // position past its new end; a shorter one lets rows go.
        settleIntoContent();
        tile();
    }
    laidOutWidth_ = contentWidth();
    laidOutHeight_ = bounds().height();
    if (backgroundView_) backgroundView_->setFrame(bounds());
    layoutIndexStrip();
}

void TableView::contentOffsetDidChange() {
    if (backgroundView_) backgroundView_->setFrame(bounds());
    tile();
    layoutIndexStrip();
}

void TableView::scrollToRowAtIndexPath(const IndexPath& indexPath, TableViewScrollPosition atScrollPosition,
                                       bool animated) {
    if (!loaded_) reloadData();
    if (!hasRow(indexPath)) return;
    Rect row = rectForRowAtIndexPath(indexPath);
    double height = bounds().size.height;
    Point offset = contentOffset();
    switch (atScrollPosition) {
        case TableViewScrollPosition::None:
            scrollRectToVisible(row, animated);
            return;
        case TableViewScrollPosition::Top:
            offset.y = row.minY();
            break;
        case TableViewScrollPosition::Middle:
            offset.y = row.midY() - height / 2;
            break;
        case TableViewScrollPosition::Bottom:
            offset.y = row.maxY() - height;
            break;
    }
    Point lo = minimumContentOffset(), hi = maximumContentOffset();
    offset.y = std::clamp(offset.y, lo.y, hi.y);
    setContentOffset(offset, animated);
}

// ---- selection ---------------------------------------------------------------------------------

void TableView::setAllowsSelection(bool allows) {
    allowsSelection_ = allows;
    if (!allows) {
        for (const IndexPath& path : std::vector<IndexPath>(selected_.begin(), selected_.end()))
            deselectRowAtIndexPath(path, false);
    }
}

void TableView::setAllowsMultipleSelection(bool allows) {
    allowsMultipleSelection_ = allows;
    if (!allows && selected_.size() > 1) {
        IndexPath keep = *selected_.begin();
        for (const IndexPath& path : std::vector<IndexPath>(selected_.begin(), selected_.end()))
            if (path != keep) deselectRowAtIndexPath(path, false);
    }
}

std::optional<IndexPath> TableView::indexPathForSelectedRow() const {
    if (selected_.empty()) return std::nullopt;
    return *selected_.begin();
}

std::vector<IndexPath> TableView::indexPathsForSelectedRows() const {
    return std::vector<IndexPath>(selected_.begin(), selected_.end());
}

void TableView::selectRowAtIndexPath(const IndexPath& indexPath, bool animated,
                                     TableViewScrollPosition scrollPosition) {
    if (!loaded_) reloadData();
    if (!hasRow(indexPath)) return;
    if (!allowsMultipleSelection_) {
        for (const IndexPath& path : std::vector<IndexPath>(selected_.begin(), selected_.end()))
            if (path != indexPath) deselectRowAtIndexPath(path, animated);
    }
    selected_.insert(indexPath);
    if (auto cell = cellForRowAtIndexPath(indexPath)) cell->setSelected(true, animated);
    if (scrollPosition != TableViewScrollPosition::None) scrollToRowAtIndexPath(indexPath, scrollPosition, animated);
}

void TableView::deselectRowAtIndexPath(const IndexPath& indexPath, bool animated) {
    selected_.erase(indexPath);
    if (auto cell = cellForRowAtIndexPath(indexPath)) cell->setSelected(false, animated);
}

bool TableView::selectionAllowedNow() const { return editing_ ? allowsSelectionDuringEditing_ : allowsSelection_; }

// A tap on a row, as the user makes it: the delegate may redirect or refuse
// it and hears of every change.
void TableView::userSelect(const IndexPath& tapped) {
    if (allowsMultipleSelection_ && selected_.count(tapped)) {
        deselectRowAtIndexPath(tapped, true);
        if (tableDelegate_) tableDelegate_->didDeselectRowAtIndexPath(*this, tapped);
        return;
    }
    std::optional<IndexPath> path = tapped;
    if (tableDelegate_) path = tableDelegate_->willSelectRowAtIndexPath(*this, tapped);
    if (!path || !hasRow(*path)) return;
    if (!allowsMultipleSelection_) {
        for (const IndexPath& old : std::vector<IndexPath>(selected_.begin(), selected_.end())) {
            if (old == *path) continue;
            deselectRowAtIndexPath(old, true);
            if (tableDelegate_) tableDelegate_->didDeselectRowAtIndexPath(*this, old);
        }
    }
    selected_.insert(*path);
    if (auto cell = cellForRowAtIndexPath(*path)) cell->setSelected(true, true);
    if (tableDelegate_) tableDelegate_->didSelectRowAtIndexPath(*this, *path);
}

// ---- touches -------------------------------------------------------------------------------------

void TableView::touchesBegan(const TouchSet& touches, const Event&) {
    cells_.forgetTouch();
    if (touches.empty()) return;
    // A touch anywhere takes a delete button in, and does nothing else.
    if (confirmationRow_) {
        hideDeleteConfirmation(true);
        return;
    }
    if (touchStoppedMotion() || !selectionAllowedNow()) return;
    cells_.touchDown(indexPathForRowAtPoint(touches.front()->locationInView(this)));
}

void TableView::touchesMoved(const TouchSet&, const Event&) {}

void TableView::touchesEnded(const TouchSet& touches, const Event&) {
    // The finger must lift over the row it came down on.
    auto row =
        cells_.touchUp(touches.empty() ? std::nullopt : indexPathForRowAtPoint(touches.front()->locationInView(this)));
    if (!row) return;
    auto keep = weak_from_this().lock();
    userSelect(*row);
}

void TableView::touchesCancelled(const TouchSet&, const Event&) { cells_.touchCancelled(); }

}  // namespace ui
