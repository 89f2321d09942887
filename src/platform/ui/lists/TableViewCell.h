#pragma once

// One row of a table view: a content view with the style's labels and image
// view, an accessory on the right, and while editing a delete or insert
// control on the left and a reorder control on the right.
//
// Cells are made by the data source (or by a registered factory) and reused:
// a cell that scrolls out of sight waits under its reuse identifier until
// dequeueReusableCellWithIdentifier hands it out again.

#include "platform/ui/View.h"

#include <functional>
#include <memory>
#include <string>

namespace ui {

class ImageView;
class Label;
class TableView;
namespace detail {
template <class Cell>
class ListCells;
}

enum class TableViewCellStyle { Default, Value1, Value2, Subtitle };
enum class TableViewCellSelectionStyle { None, Blue, Gray, Default };
enum class TableViewCellAccessoryType { None, DisclosureIndicator, DetailDisclosureButton, Checkmark, DetailButton };
enum class TableViewCellEditingStyle { None, Delete, Insert };

class TableViewCell : public View {
public:
    // Space between the content and the cell's edges.
    static constexpr double kMargin = 15.0;
    // Width of the editing control on the left and the reorder control on the right.
    static constexpr double kEditingControlWidth = 38.0;

    explicit TableViewCell(TableViewCellStyle style = TableViewCellStyle::Default, std::string reuseIdentifier = {});
    ~TableViewCell() override;

    const std::string& reuseIdentifier() const { return reuseIdentifier_; }
    TableViewCellStyle style() const { return style_; }

    // Subviews of a cell go into its content view, which moves aside for the
    // editing and accessory controls.
    View& contentView() const { return *contentView_; }
    Label* textLabel() const { return textLabel_.get(); }
    // None in the default style.
    Label* detailTextLabel() const { return detailTextLabel_.get(); }
    ImageView* imageView() const { return imageView_.get(); }

    // Called before the table hands the cell out again; clear per-row state here.
    virtual void prepareForReuse();

    // ---- selection -------------------------------------------------------------
    TableViewCellSelectionStyle selectionStyle() const { return selectionStyle_; }
    void setSelectionStyle(TableViewCellSelectionStyle style);
    bool isSelected() const { return selected_; }
    virtual void setSelected(bool selected, bool animated = false);
    bool isHighlighted() const { return highlighted_; }
    virtual void setHighlighted(bool highlighted, bool animated = false);

    // ---- accessory ---------------------------------------------------------------
    TableViewCellAccessoryType accessoryType() const { return accessoryType_; }
    void setAccessoryType(TableViewCellAccessoryType type);
    // A custom accessory replaces the accessory type.
    const ViewPtr& accessoryView() const { return accessoryView_; }
    void setAccessoryView(ViewPtr view);

    // ---- backgrounds -------------------------------------------------------------
    const ViewPtr& backgroundView() const { return backgroundView_; }
    void setBackgroundView(ViewPtr view);
    // Shown while selected or highlighted; a grey view unless replaced.
    const ViewPtr& selectedBackgroundView() const { return selectedBackgroundView_; }
    void setSelectedBackgroundView(ViewPtr view);

    // ---- editing -----------------------------------------------------------------
    bool isEditing() const { return editing_; }
    virtual void setEditing(bool editing, bool animated = false);
    // The control shown on the left while editing (the table asks its delegate).
    TableViewCellEditingStyle editingStyle() const { return editingStyle_; }
    bool showsReorderControl() const { return showsReorderControl_; }
    void setShowsReorderControl(bool shows);
    bool shouldIndentWhileEditing() const { return shouldIndentWhileEditing_; }
    void setShouldIndentWhileEditing(bool indent);
    // The red button that confirms a delete is out (after a swipe or a tap
    // on the delete control).
    bool showingDeleteConfirmation() const { return showingDeleteConfirmation_; }

    void layoutSubviews() override;
    // The width at which the cell shows its image, its texts on their lines
    // and its accessory whole, as its style arranges them.
    double widthShowingContent() const;

private:
    friend class TableView;
    friend class detail::ListCells<TableViewCell>;
    class CellControl;
    enum class ControlKind { Delete, Insert, Reorder, ConfirmDelete, Disclosure, Checkmark, DetailButton };

    // ---- used by the table -----------------------------------------------------
    // What the cell's own controls report to its table.
    using ControlHandler = std::function<void(TableViewCell& cell, ControlKind kind)>;
    void setControlHandler(ControlHandler handler) { controlHandler_ = std::move(handler); }
    void setEditingStyle(TableViewCellEditingStyle style);
    void setShowingDeleteConfirmation(bool showing, const std::string& title, bool animated);
    void setSeparator(bool visible, graphics::Color color, double leftInset);
    // The reorder control, to which the table attaches its drag.
    View* reorderControl() const;

    void controlTapped(ControlKind kind);
    void updateSelectionLook();
    void updateControls();
    void layoutContent(const graphics::Rect& content);
    double accessoryWidth() const;

    TableViewCellStyle style_;
    std::string reuseIdentifier_;
    ViewPtr contentView_;
    std::shared_ptr<Label> textLabel_;
    std::shared_ptr<Label> detailTextLabel_;
    std::shared_ptr<ImageView> imageView_;
    ViewPtr backgroundView_;
    ViewPtr selectedBackgroundView_;
    ViewPtr accessoryView_;
    std::shared_ptr<CellControl> accessoryControl_;
    std::shared_ptr<CellControl> editingControl_;
    std::shared_ptr<CellControl> reorderControl_;
    std::shared_ptr<CellControl> confirmationButton_;
    ViewPtr separator_;
    ControlHandler controlHandler_;

    TableViewCellSelectionStyle selectionStyle_ = TableViewCellSelectionStyle::Default;
    TableViewCellAccessoryType accessoryType_ = TableViewCellAccessoryType::None;
    TableViewCellEditingStyle editingStyle_ = TableViewCellEditingStyle::Delete;
    bool selected_ = false;
    bool highlighted_ = false;
    bool editing_ = false;
    bool showsReorderControl_ = false;
    bool shouldIndentWhileEditing_ = true;
    bool showingDeleteConfirmation_ = false;
    std::string confirmationTitle_;
    double separatorInset_ = kMargin;
};

using TableViewCellPtr = std::shared_ptr<TableViewCell>;

}  // namespace ui
