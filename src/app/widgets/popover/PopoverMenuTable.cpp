#include "app/widgets/popover/PopoverMenuTable.h"

#include "platform/graphics/Color.h"
#include "platform/ui/lists/TableViewCell.h"

#include <algorithm>
#include <cmath>

namespace popovermenu {

std::shared_ptr<ui::TableView> makeTable(graphics::Size size, ui::TableViewStyle style) {
    auto table = ui::makeView<ui::TableView>(graphics::Rect{{0, 0}, size}, style);
    table->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    return table;
}

void setUpTable(ui::TableView& table, ui::TableViewDataSource* dataSource, ui::TableViewDelegate* delegate) {
    table.setBackgroundColor(std::nullopt);
    table.setSeparatorColor(graphics::Color::darkGray());
    table.setScrollEnabled(false);
    table.setDataSource(dataSource);
    table.setDelegate(delegate);
}

void widenToShowRows(ui::ViewController& controller, ui::TableView& table) {
    table.layoutIfNeeded();
    double width = controller.preferredContentSize.width;
    for (const ui::TableViewCellPtr& cell : table.visibleCells())
        width = std::max(width, std::ceil(cell->widthShowingContent()));
    controller.preferredContentSize.width = width;
}

}  // namespace popovermenu
