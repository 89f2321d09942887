#pragma once

// The table of a popover's short, fixed list of choices (capture sources,
// media to add, playback options): it fills its controller's view, has no
// background of its own, dark grey separators and does not scroll.

#include "platform/graphics/Geometry.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/lists/TableView.h"

#include <memory>

namespace popovermenu {

// The table for a controller's loadView, at the controller's preferred size
// and following its view's size.
std::shared_ptr<ui::TableView> makeTable(graphics::Size size, ui::TableViewStyle style = ui::TableViewStyle::Plain);

// The look above, and who serves and handles the rows; for viewDidLoad,
// before the first reloadData.
void setUpTable(ui::TableView& table, ui::TableViewDataSource* dataSource, ui::TableViewDelegate* delegate);

// Widens the controller's preferred size where a row of its loaded table
// needs it to show whole (a text in a wider face than the size was made
// for, beside a checkmark); for viewDidLoad, after the first reloadData.
void widenToShowRows(ui::ViewController& controller, ui::TableView& table);

}  // namespace popovermenu
