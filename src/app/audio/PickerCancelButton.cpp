#include "app/audio/PickerCancelButton.h"

#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationItem.h"

void showPickerCancelButton(ui::NavigationItem& item, std::function<void()> cancel) {
    item.setLeftItemsSupplementBackButton(true);
    item.setLeftBarButtonItem(std::make_shared<ui::BarButtonItem>(ui::BarButtonSystemItem::Cancel,
                                                                  [cancel = std::move(cancel)](ui::BarButtonItem&) {
                                                                      if (cancel) cancel();
                                                                  }));
}
