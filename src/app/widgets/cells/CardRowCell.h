#pragma once

// A table row of picture buttons (cards) side by side, as the card choosers
// show them. The cards are placed at every layout from the row's own width:
// a chooser makes its first rows before the sheet or popover that shows it
// has given it its width, and each card must still lie inside the row.
//
// Main thread only.

#include "platform/ui/lists/TableViewCell.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ui {
class Button;
}

class CardRowCell : public ui::TableViewCell {
public:
    // Where card k (from 0) sits in a row `width` points wide.
    using CardFrame = std::function<graphics::Rect(size_t k, double width)>;

    // `cards` custom buttons with clear backgrounds, tagged firstTag,
    // firstTag + 1, ... in the content view; no selection look.
    CardRowCell(std::string reuseIdentifier, size_t cards, int firstTag, CardFrame cardFrame);

    size_t cardCount() const { return cards_.size(); }
    ui::Button* card(size_t k) const { return k < cards_.size() ? cards_[k].get() : nullptr; }
    // Shows row `row` (the content view takes it as its tag, from which a
    // card's action finds its row): card k shows pictures[k]; the cards past
    // the pictures are hidden.
    void showRow(size_t row, const std::vector<graphics::Image>& pictures);

    void layoutSubviews() override;

private:
    CardFrame cardFrame_;
    std::vector<std::shared_ptr<ui::Button>> cards_;
};
