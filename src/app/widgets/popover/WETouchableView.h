#pragma once

// The backdrop behind an arrow popover: it covers the whole window, catches
// touches outside the panel and tells its delegate, but lets touches through
// to the views its owner names as passthrough views. Escape, when the panel's
// content leaves it, is passed on to the delegate as such.

#include "app/widgets/views/TouchPassthrough.h"
#include "platform/ui/View.h"

#include <memory>
#include <vector>

class WETouchableView;

class WETouchableViewDelegate {
public:
    virtual ~WETouchableViewDelegate() = default;
    virtual void viewWasTouched(WETouchableView& view) = 0;
    // Escape pressed while the backdrop is up; by default a touch outside.
    virtual void viewWasEscaped(WETouchableView& view) { viewWasTouched(view); }
};

class WETouchableView : public ui::View {
public:
    WETouchableView();
    explicit WETouchableView(const graphics::Rect& frame);

    // When set, every touch outside the panel stops here, passthrough views or not.
    bool touchForwardingDisabled = false;
    WETouchableViewDelegate* delegate = nullptr;

    const std::vector<ui::ViewPtr>& passthroughViews() const { return passthrough_.views(); }
    void setPassthroughViews(std::vector<ui::ViewPtr> views) { passthrough_.setViews(std::move(views)); }

    ui::View* hitTest(graphics::Point point, const ui::Event* event) override;
    void touchesBegan(const ui::TouchSet& touches, const ui::Event& event) override;
    bool handleKeyEquivalent(const ui::KeyPress& press) override;
    std::vector<ui::ViewPtr> viewsReachedThrough() const override { return passthrough_.viewsBelow(*this); }

private:
    TouchPassthrough passthrough_;
};
