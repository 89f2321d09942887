#pragma once

// The Cancel of the audio pickers' lists, in one place on every tab: on the
// left of the navigation bar, as the other sheets have it, after the back
// button of a list pushed from another one.

#include <functional>

namespace ui {
class NavigationItem;
}

void showPickerCancelButton(ui::NavigationItem& item, std::function<void()> cancel);
