#pragma once

// The backdrop behind an arrow popover: it covers the whole window, catches
// touches outside the panel and tells its delegate, but lets touches through
// to the views its owner names as passthrough views.

#include "platform/ui/View.h"

#include <memory>
#include <vector>

class WETouchableView;

class WETouchableViewDelegate {
public:
    virtual ~WETouchableViewDelegate() = default;
    virtual void viewWasTouched(WETouchableView& view) = 0;
};

class WETouchableView : public ui::View {
public:
    WETouchableView();
    explicit WETouchableView(const graphics::Rect& frame);

    // When set, every touch outside the panel stops here, passthrough views or not.
    bool touchForwardingDisabled = false;
    WETouchableViewDelegate* delegate = nullptr;

    const std::vector<ui::ViewPtr>& passthroughViews() const { return passthroughViews_; }
    void setPassthroughViews(std::vector<ui::ViewPtr> views) { passthroughViews_ = std::move(views); }

    ui::View* hitTest(graphics::Point point, const ui::Event* event) override;
    void touchesBegan(const ui::TouchSet& touches, const ui::Event& event) override;

private:
    // True when the view or one of its ancestors is a passthrough view.
    bool isPassthroughView(const ui::View* view) const;

    std::vector<ui::ViewPtr> passthroughViews_;
    // Set while the views below are asked, so that this view answers nothing then.
    bool testHits_ = false;
};
