#pragma once

// Lets touches that land on an overlay reach chosen views below it: a popover's
// backdrop, a help overlay that dims the screen. The overlay's hitTest asks
// this first, then hands it what it found itself:
//
//     ui::View* hitTest(graphics::Point point, const ui::Event* event) override {
//         if (passthrough_.isAskingBelow()) return nullptr;
//         return passthrough_.route(*this, ui::View::hitTest(point, event), point, event);
//     }
//     // Keys go where touches do.
//     std::vector<ui::ViewPtr> viewsReachedThrough() const override { return passthrough_.viewsBelow(*this); }
//
// A help layer lets everything through instead (letEverythingThrough): it
// only shows, and the work under it goes on as if it were not there; its
// owner hears of each touch that went through, to close it.
//
// Main thread only.

#include "platform/ui/View.h"

#include <functional>
#include <vector>

class TouchPassthrough {
public:
    const std::vector<ui::ViewPtr>& views() const { return views_; }
    void setViews(std::vector<ui::ViewPtr> views) { views_ = std::move(views); }
    // Every view below the overlay keeps its touches, not only the listed
    // ones. `touchedThrough` runs for each touch that went through, on the
    // main queue once the touch has found its view (the touch itself goes
    // on to work that view), except for touches on the listed views: those
    // are the overlay's own business (the button that opens and closes it).
    void letEverythingThrough(std::function<void()> touchedThrough);

    // True while the views below the overlay are asked; the overlay then answers nothing.
    bool isAskingBelow() const { return asking_; }
    // What a touch at `point` (in the overlay's coordinates) reaches, given what
    // the overlay's own hit test found: its content as found, nothing as
    // nothing; where it found the overlay itself, the view below when that is
    // one of the views or inside one (or any view, letting everything
    // through), else the overlay.
    ui::View* route(ui::View& overlay, ui::View* ownHit, graphics::Point point, const ui::Event* event);
    // The views below `overlay` that keys reach: the listed ones, or, letting
    // everything through, every view beneath it in its superview.
    std::vector<ui::ViewPtr> viewsBelow(const ui::View& overlay) const;

private:
    bool isListed(const ui::View* view) const;

    std::vector<ui::ViewPtr> views_;
    bool everything_ = false;
    std::function<void()> touchedThrough_;
    bool asking_ = false;
};
