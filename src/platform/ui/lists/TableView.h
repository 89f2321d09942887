#pragma once

// A vertically scrolling list of rows in sections, plain or grouped, with
// section headers and footers. Rows come from a data source as cells; only
// the rows in sight have cells, and cells that leave the sight wait for reuse.
//
// Changes of the data are told to the table: reloadData for everything, or
// insertions, deletions, moves and reloads of single rows, which animate.
// The numbers the data source reports after a change must agree with the
// change (std::logic_error otherwise, with the table reloaded).

#include "platform/ui/lists/IndexPath.h"
#include "platform/ui/lists/ListCells.h"
#include "platform/ui/lists/ScrollView.h"
#include "platform/ui/lists/TableViewCell.h"

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace ui {

class TableView;
class TableSectionIndex;
class SwipeGestureRecognizer;

enum class TableViewStyle { Plain, Grouped };
// Every animation but None fades the rows in and out and moves the others.
enum class TableViewRowAnimation { Fade, Right, Left, Top, Bottom, None, Middle, Automatic };
enum class TableViewScrollPosition { None, Top, Middle, Bottom };
enum class TableViewCellSeparatorStyle { None, SingleLine };

class TableViewDataSource {
public:
    virtual ~TableViewDataSource() = default;
    virtual size_t numberOfSectionsInTableView(TableView& tableView) {
        (void)tableView;
        return 1;
    }
    virtual size_t numberOfRowsInSection(TableView& tableView, size_t section) = 0;
    // Must return a cell (std::logic_error otherwise); usually a dequeued one.
    virtual TableViewCellPtr cellForRowAtIndexPath(TableView& tableView, const IndexPath& indexPath) = 0;
    virtual std::optional<std::string> titleForHeaderInSection(TableView& tableView, size_t section) {
        (void)tableView, (void)section;
        return std::nullopt;
    }
    virtual std::optional<std::string> titleForFooterInSection(TableView& tableView, size_t section) {
        (void)tableView, (void)section;
        return std::nullopt;
    }
    // The titles of the index strip along the right edge; none shows no strip.
    virtual std::vector<std::string> sectionIndexTitlesForTableView(TableView& tableView) {
        (void)tableView;
        return {};
    }
    // The section an index title stands for; the title's position by default.
    virtual size_t sectionForSectionIndexTitle(TableView& tableView, const std::string& title, size_t atIndex) {
        (void)tableView, (void)title;
        return atIndex;
    }
    // Rows take part in editing (delete and insert controls, swipe to
    // delete) only where the data source says so.
    virtual bool canEditRowAtIndexPath(TableView& tableView, const IndexPath& indexPath) {
        (void)tableView, (void)indexPath;
        return false;
    }
    // Rows show a reorder control while editing only where the data source says so.
    virtual bool canMoveRowAtIndexPath(TableView& tableView, const IndexPath& indexPath) {
        (void)tableView, (void)indexPath;
        return false;
    }
    // The user confirmed a delete or tapped an insert control. The data source
    // changes its data and then tells the table (deleteRowsAtIndexPaths...).
    virtual void commitEditingStyle(TableView& tableView, TableViewCellEditingStyle editingStyle,
                                    const IndexPath& forRowAtIndexPath) {
        (void)tableView, (void)editingStyle, (void)forRowAtIndexPath;
    }
    // The user dragged a row to another place; the table has moved it already.
    virtual void moveRowAtIndexPath(TableView& tableView, const IndexPath& fromIndexPath,
                                    const IndexPath& toIndexPath) {
        (void)tableView, (void)fromIndexPath, (void)toIndexPath;
    }
};

class TableViewDelegate : public ScrollViewDelegate {
public:
    // None: the table's rowHeight (and automatic header and footer heights).
    virtual std::optional<double> heightForRowAtIndexPath(TableView& tableView, const IndexPath& indexPath) {
        (void)tableView, (void)indexPath;
        return std::nullopt;
    }
    virtual std::optional<double> heightForHeaderInSection(TableView& tableView, size_t section) {
        (void)tableView, (void)section;
        return std::nullopt;
    }
    virtual std::optional<double> heightForFooterInSection(TableView& tableView, size_t section) {
        (void)tableView, (void)section;
        return std::nullopt;
    }
    // A view instead of the title; sized to the section's header height.
    virtual ViewPtr viewForHeaderInSection(TableView& tableView, size_t section) {
        (void)tableView, (void)section;
        return nullptr;
    }
    virtual ViewPtr viewForFooterInSection(TableView& tableView, size_t section) {
        (void)tableView, (void)section;
        return nullptr;
    }
    virtual void willDisplayCell(TableView& tableView, TableViewCell& cell, const IndexPath& forRowAtIndexPath) {
        (void)tableView, (void)cell, (void)forRowAtIndexPath;
    }
    // The row to select instead, or none to select nothing.
    virtual std::optional<IndexPath> willSelectRowAtIndexPath(TableView& tableView, const IndexPath& indexPath) {
        (void)tableView;
        return indexPath;
    }
    virtual void didSelectRowAtIndexPath(TableView& tableView, const IndexPath& indexPath) {
        (void)tableView, (void)indexPath;
    }
    virtual void didDeselectRowAtIndexPath(TableView& tableView, const IndexPath& indexPath) {
        (void)tableView, (void)indexPath;
    }
    virtual TableViewCellEditingStyle editingStyleForRowAtIndexPath(TableView& tableView, const IndexPath& indexPath) {
        (void)tableView, (void)indexPath;
        return TableViewCellEditingStyle::Delete;
    }
    // None: the localized "Delete".
    virtual std::optional<std::string> titleForDeleteConfirmationButtonForRowAtIndexPath(TableView& tableView,
                                                                                         const IndexPath& indexPath) {
        (void)tableView, (void)indexPath;
        return std::nullopt;
    }
    virtual bool shouldIndentWhileEditingRowAtIndexPath(TableView& tableView, const IndexPath& indexPath) {
        (void)tableView, (void)indexPath;
        return true;
    }
    virtual void accessoryButtonTappedForRowWithIndexPath(TableView& tableView, const IndexPath& indexPath) {
        (void)tableView, (void)indexPath;
    }
};

class TableView : public ScrollView {
public:
    static constexpr double kDefaultRowHeight = 44.0;
    // Header and footer heights that follow from the section's title.
    static constexpr double kAutomaticDimension = -1.0;
    static constexpr double kRowAnimationDuration = 0.3;

    explicit TableView(TableViewStyle style = TableViewStyle::Plain);
    TableView(const graphics::Rect& frame, TableViewStyle style);
    ~TableView() override;

    TableViewStyle style() const { return style_; }

    // ---- data ------------------------------------------------------------------
    TableViewDataSource* dataSource() const { return dataSource_; }
    // Not owned, like the delegate; the table loads its data on the next layout.
    void setDataSource(TableViewDataSource* dataSource);
    TableViewDelegate* delegate() const { return tableDelegate_; }
    void setDelegate(TableViewDelegate* delegate);

    // Asks the data source for everything again and replaces every cell.
    void reloadData();
    size_t numberOfSections() const { return sections_.size(); }
    size_t numberOfRowsInSection(size_t section) const;

    // ---- changes -------------------------------------------------------------------
    // Changes between beginUpdates and endUpdates animate together: deletions
    // and reloads name rows as they were before, insertions as they are after.
    void beginUpdates();
    void endUpdates();
    void insertRowsAtIndexPaths(const std::vector<IndexPath>& indexPaths, TableViewRowAnimation withRowAnimation);
    void deleteRowsAtIndexPaths(const std::vector<IndexPath>& indexPaths, TableViewRowAnimation withRowAnimation);
    void reloadRowsAtIndexPaths(const std::vector<IndexPath>& indexPaths, TableViewRowAnimation withRowAnimation);
    void moveRowAtIndexPath(const IndexPath& indexPath, const IndexPath& toIndexPath);

    // ---- cells -------------------------------------------------------------------------
    // A cell waiting for reuse under the identifier, else a new one from the
    // registered factory, else none.
    TableViewCellPtr dequeueReusableCellWithIdentifier(const std::string& identifier);
    // The same, for identifiers with a registered factory: never none
    // (std::invalid_argument for an unregistered identifier).
    TableViewCellPtr dequeueReusableCellWithIdentifier(const std::string& identifier, const IndexPath& forIndexPath);
    void registerClass(std::function<TableViewCellPtr()> factory, const std::string& forCellReuseIdentifier);

    // The cell of a row in sight, or none.
    TableViewCellPtr cellForRowAtIndexPath(const IndexPath& indexPath) const;
    std::optional<IndexPath> indexPathForCell(const TableViewCell* cell) const;
    // The row at a point of the content, or none.
    std::optional<IndexPath> indexPathForRowAtPoint(graphics::Point point) const;
    std::vector<TableViewCellPtr> visibleCells() const;
    std::vector<IndexPath> indexPathsForVisibleRows() const;

    // ---- geometry -----------------------------------------------------------------------
    double rowHeight() const { return rowHeight_; }
    void setRowHeight(double height);
    double sectionHeaderHeight() const { return sectionHeaderHeight_; }
    void setSectionHeaderHeight(double height);
    double sectionFooterHeight() const { return sectionFooterHeight_; }
    void setSectionFooterHeight(double height);
    // In content coordinates; zero for rows and sections that do not exist.
    graphics::Rect rectForRowAtIndexPath(const IndexPath& indexPath) const;
    graphics::Rect rectForSection(size_t section) const;
    graphics::Rect rectForHeaderInSection(size_t section) const;
    graphics::Rect rectForFooterInSection(size_t section) const;
    // The view shown above or below all sections.
    const ViewPtr& tableHeaderView() const { return tableHeaderView_; }
    void setTableHeaderView(ViewPtr view);
    const ViewPtr& tableFooterView() const { return tableFooterView_; }
    void setTableFooterView(ViewPtr view);
    // Fills the table behind the rows and does not scroll.
    const ViewPtr& backgroundView() const { return backgroundView_; }
    void setBackgroundView(ViewPtr view);
    TableViewCellSeparatorStyle separatorStyle() const { return separatorStyle_; }
    void setSeparatorStyle(TableViewCellSeparatorStyle style);
    graphics::Color separatorColor() const { return separatorColor_; }
    void setSeparatorColor(graphics::Color color);

    void scrollToRowAtIndexPath(const IndexPath& indexPath, TableViewScrollPosition atScrollPosition, bool animated);
    // Asks the data source for the index titles again (reloadData does too).
    void reloadSectionIndexTitles();
    // The index strip's titles as shown now.
    std::vector<std::string> sectionIndexTitles() const;

    // ---- selection ------------------------------------------------------------------------
    bool allowsSelection() const { return allowsSelection_; }
    void setAllowsSelection(bool allows);
    bool allowsMultipleSelection() const { return allowsMultipleSelection_; }
    void setAllowsMultipleSelection(bool allows);
    bool allowsSelectionDuringEditing() const { return allowsSelectionDuringEditing_; }
    void setAllowsSelectionDuringEditing(bool allows) { allowsSelectionDuringEditing_ = allows; }
    // The first selected row.
    std::optional<IndexPath> indexPathForSelectedRow() const;
    std::vector<IndexPath> indexPathsForSelectedRows() const;
    // Selects without asking or telling the delegate, as the platform does
    // for code; scrolls the row into view at the position given.
    void selectRowAtIndexPath(const IndexPath& indexPath, bool animated, TableViewScrollPosition scrollPosition);
    void deselectRowAtIndexPath(const IndexPath& indexPath, bool animated);

    // ---- editing ----------------------------------------------------------------------------
    bool isEditing() const { return editing_; }
    void setEditing(bool editing, bool animated = false);
    // The row whose delete button is out after a swipe or a tap on its delete control.
    std::optional<IndexPath> indexPathForDeleteConfirmation() const { return confirmationRow_; }
    // Takes the delete button back in.
    void hideDeleteConfirmation(bool animated = true);

    // ---- touches -------------------------------------------------------------------------
    void touchesBegan(const TouchSet& touches, const Event& event) override;
    void touchesMoved(const TouchSet& touches, const Event& event) override;
    void touchesEnded(const TouchSet& touches, const Event& event) override;
    void touchesCancelled(const TouchSet& touches, const Event& event) override;

    void layoutSubviews() override;

protected:
    void contentOffsetDidChange() override;
    // A drag on the index strip picks sections and does not scroll.
    bool touchesShouldCancelInContentView(View* view) override;

private:
    struct Section {
        double headerHeight = 0, footerHeight = 0;
        std::optional<std::string> headerTitle, footerTitle;
        std::vector<double> rowHeights;
        // Positions in the content, filled by computePositions.
        double top = 0;
        std::vector<double> rowTops;
        double footerTop = 0;
        double bottom = 0;
    };
    struct Update {
        enum class Kind { Insert, Delete, Reload, Move } kind;
        IndexPath path;
        IndexPath destination;
        TableViewRowAnimation animation;
    };

    void setUpTable();
    bool hasRow(const IndexPath& path) const;
    // Reads counts, titles and heights from the data source and delegate.
    std::vector<Section> loadSections();
    Section loadSection(size_t section, size_t rows);
    void remeasure();
    double rowHeightAt(const IndexPath& path);
    void computePositions(std::vector<Section>& sections) const;
    double contentWidth() const { return bounds().size.width; }
    // Loads the cells of the rows in sight and recycles the others.
    void tile();
    void enqueue(const TableViewCellPtr& cell);
    TableViewCellPtr loadCell(const IndexPath& path);
    void configureCell(TableViewCell& cell, const IndexPath& path, bool animated);
    void layoutCellFrames();
    void layoutSectionViews();
    ViewPtr makeSectionView(size_t section, bool header);
    void dropSectionViews();
    void placeHeaderAndFooterViews();

    void applyUpdates(std::vector<Update> updates);
    void fail(const std::string& message);

    void handleCellControl(TableViewCell& cell, TableViewCell::ControlKind kind);
    void showDeleteConfirmation(const IndexPath& path);
    void swiped(SwipeGestureRecognizer& recognizer, bool left);
    void userSelect(const IndexPath& path);
    bool selectionAllowedNow() const;

    // Dragging a row by its reorder control.
    void attachReorderDrag(TableViewCell& cell);
    void reorderChanged(TableViewCell& cell, GestureRecognizer& recognizer);
    std::optional<IndexPath> reorderDestination(double y) const;
    void previewMove(const IndexPath& from, const IndexPath& to);
    void finishMove(const IndexPath& from, const IndexPath& to);

    TableViewStyle style_;
    TableViewDataSource* dataSource_ = nullptr;
    TableViewDelegate* tableDelegate_ = nullptr;
    std::vector<Section> sections_;
    bool loaded_ = false;
    double rowHeight_ = kDefaultRowHeight;
    double sectionHeaderHeight_ = kAutomaticDimension;
    double sectionFooterHeight_ = kAutomaticDimension;
    // The size the rows were last placed for: a reload places them at the
    // width of that moment, which the next layout may have to change.
    double laidOutWidth_ = -1;
    double laidOutHeight_ = -1;

    detail::ListCells<TableViewCell> cells_{"TableView"};
    std::map<size_t, ViewPtr> headerViews_, footerViews_;
    ViewPtr tableHeaderView_, tableFooterView_, backgroundView_;
    TableViewCellSeparatorStyle separatorStyle_ = TableViewCellSeparatorStyle::SingleLine;
    graphics::Color separatorColor_ = graphics::Color::grey(0.78);

    std::set<IndexPath> selected_;
    bool allowsSelection_ = true;
    bool allowsMultipleSelection_ = false;
    bool allowsSelectionDuringEditing_ = false;
    bool editing_ = false;
    std::optional<IndexPath> confirmationRow_;

    int updateDepth_ = 0;
    std::vector<Update> pendingUpdates_;

    std::shared_ptr<SwipeGestureRecognizer> swipeLeft_, swipeRight_;
    std::shared_ptr<TableSectionIndex> indexStrip_;
    void layoutIndexStrip();
    void indexTitleTouched(size_t index);

    // The row being dragged by its reorder control.
    TableViewCell* reorderCell_ = nullptr;
    IndexPath reorderSource_, reorderTarget_;
    double reorderGrab_ = 0;  // from the finger to the cell's centre
};

}  // namespace ui
