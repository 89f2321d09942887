#pragma once

// What the movie-settings sheet and the outline editor share: the two tabs
// in the navigation bar, the section headers, and collapsing and expanding
// the sheet over the bottom of its host.

#include "platform/ui/View.h"

#include <functional>
#include <memory>
#include <string>

namespace ui {
class BarButtonItem;
class NavigationController;
}  // namespace ui

namespace themesheet {

inline constexpr const char* kBarLineImage = "theme_view_bar_line";
inline constexpr const char* kCloseImage = "theme_view_btn_close.png";
inline constexpr const char* kOpenImage = "theme_view_btn_open.png";
inline constexpr double kChangeSizeSeconds = 0.25;

// The title view: "Theme" on the left, "Outline" on the right, the chosen
// one in the accent colour and selected, the other black; a tap on the other
// runs `switchTab`.
ui::ViewPtr makeTabsTitleView(bool outlineChosen, std::function<void()> switchTab);

// The right bar button: Done, which asks the host to close the sheet.
std::shared_ptr<ui::BarButtonItem> makeDoneButton(std::function<void()> action);

// A 40-point header: the title in Courier 15 and a black line under it.
ui::ViewPtr makeSectionHeader(const std::string& title, double width);

// Whether the navigation view is expanded (its top at 0).
bool isExpanded(const ui::View& navigationView);

// The left bar button: the close picture while expanded, the open one
// while collapsed; `action` toggles.
std::shared_ptr<ui::BarButtonItem> makeSizeButton(bool expanded, std::function<void()> action);

// Where the navigation view goes when toggled from `expanded`.
graphics::Rect toggledFrame(bool expanded, double sheetWidth, double sheetHeight, bool tablet, double screenHeight);

// Animates the navigation view to its toggled frame; `finished` runs with
// the new state when the animation has ended.
void changeSize(ui::NavigationController& navigation, double sheetWidth, double sheetHeight,
                std::function<void(bool expanded)> finished);

}  // namespace themesheet
