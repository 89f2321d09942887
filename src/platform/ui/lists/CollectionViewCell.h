#pragma once

// One item of a collection view: a content view for the item's subviews over
// optional background views, with selected and highlighted states. Cells are
// made by factories registered with the collection view and reused.

#include "platform/ui/View.h"

#include <memory>
#include <string>

namespace ui {

namespace detail {
template <class Cell>
class ListCells;
}

class CollectionViewCell : public View {
public:
    CollectionViewCell();
    explicit CollectionViewCell(const graphics::Rect& frame);
    ~CollectionViewCell() override;

    const std::string& reuseIdentifier() const { return reuseIdentifier_; }
    // Subviews of a cell go here; it always fills the cell.
    View& contentView() const { return *contentView_; }

    const ViewPtr& backgroundView() const { return backgroundView_; }
    void setBackgroundView(ViewPtr view);
    // Shown over the background while the cell is selected or highlighted.
    const ViewPtr& selectedBackgroundView() const { return selectedBackgroundView_; }
    void setSelectedBackgroundView(ViewPtr view);

    bool isSelected() const { return selected_; }
    virtual void setSelected(bool selected);
    bool isHighlighted() const { return highlighted_; }
    virtual void setHighlighted(bool highlighted);

    // Called before the collection view hands the cell out again.
    virtual void prepareForReuse() {}

    void layoutSubviews() override;

private:
    friend class CollectionView;
    friend class detail::ListCells<CollectionViewCell>;
    void setUp();
    void updateSelectedBackground();

    std::string reuseIdentifier_;
    ViewPtr contentView_;
    ViewPtr backgroundView_;
    ViewPtr selectedBackgroundView_;
    bool selected_ = false;
    bool highlighted_ = false;
};

using CollectionViewCellPtr = std::shared_ptr<CollectionViewCell>;

}  // namespace ui
