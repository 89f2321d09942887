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
//     std::vector<ui::ViewPtr> viewsReachedThrough() const override { return passthrough_.views(); }
//
// Main thread only.

#include "platform/ui/View.h"

#include <vector>

class TouchPassthrough {
public:
    const std::vector<ui::ViewPtr>& views() const { return views_; }
    void setViews(std::vector<ui::ViewPtr> views) { views_ = std::move(views); }

    // True while the views below the overlay are asked; the overlay then answers nothing.
    bool isAskingBelow() const { return asking_; }
    // What a touch at `point` (in the overlay's coordinates) reaches, given what
    // the overlay's own hit test found: its content as found, nothing as
    // nothing; where it found the overlay itself, the view below when that is
    // one of the views or inside one, else the overlay.
    ui::View* route(ui::View& overlay, ui::View* ownHit, graphics::Point point, const ui::Event* event);

private:
    bool isListed(const ui::View* view) const;

    std::vector<ui::ViewPtr> views_;
    bool asking_ = false;
};
