#pragma once

// What a screen shows in the navigation bar (title, title view, left and
// right buttons, the back button it offers the next screen) and the bar that
// shows it.

#include "platform/ui/controllers/Bar.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ui {

class NavigationBar;
class ViewController;

class NavigationItem {
public:
    using Items = std::vector<std::shared_ptr<BarButtonItem>>;

    // `owner` lends its title when the item has none of its own.
    explicit NavigationItem(ViewController* owner = nullptr);
    explicit NavigationItem(std::string title);
    ~NavigationItem();
    NavigationItem(const NavigationItem&) = delete;
    NavigationItem& operator=(const NavigationItem&) = delete;

    // The item's own title, else its controller's.
    std::string title() const;
    void setTitle(std::string title);
    const ViewPtr& titleView() const { return titleView_; }
    void setTitleView(ViewPtr view);

    // The first of the left (right) items, or null.
    std::shared_ptr<BarButtonItem> leftBarButtonItem() const;
    void setLeftBarButtonItem(std::shared_ptr<BarButtonItem> item, bool animated = false);
    const Items& leftBarButtonItems() const { return left_; }
    void setLeftBarButtonItems(Items items, bool animated = false);
    std::shared_ptr<BarButtonItem> rightBarButtonItem() const;
    void setRightBarButtonItem(std::shared_ptr<BarButtonItem> item, bool animated = false);
    // The first item is the right-most.
    const Items& rightBarButtonItems() const { return right_; }
    void setRightBarButtonItems(Items items, bool animated = false);

    // The button the next screen's bar shows to come back to this one.
    const std::shared_ptr<BarButtonItem>& backBarButtonItem() const { return backItem_; }
    void setBackBarButtonItem(std::shared_ptr<BarButtonItem> item);
    bool hidesBackButton() const { return hidesBackButton_; }
    void setHidesBackButton(bool hides, bool animated = false);
    // Left items replace the back button unless this is set: then they
    // follow it.
    bool leftItemsSupplementBackButton() const { return leftItemsSupplementBackButton_; }
    void setLeftItemsSupplementBackButton(bool supplements);

private:
    friend class NavigationBar;
    void changed();

    ViewController* owner_ = nullptr;
    std::string title_;
    ViewPtr titleView_;
    Items left_;
    Items right_;
    std::shared_ptr<BarButtonItem> backItem_;
    bool hidesBackButton_ = false;
    bool leftItemsSupplementBackButton_ = false;
    // The bar that shows this item now (as its top or back item).
    NavigationBar* bar_ = nullptr;
};

class NavigationBar : public Bar {
public:
    NavigationBar();
    ~NavigationBar() override;

    // The item shown, and the one below it that the back button returns to.
    NavigationItem* topItem() const { return top_; }
    NavigationItem* backItem() const { return back_; }
    // Set by the navigation controller as its stack changes.
    void setItems(NavigationItem* top, NavigationItem* back);
    // Runs when the back button is tapped.
    void setBackAction(std::function<void()> action) { backAction_ = std::move(action); }
    // The back button on screen, or null.
    View* backButtonView() const { return backButton_.get(); }
    // The title as shown (empty with a title view), and its face.
    std::string shownTitle() const;
    static const graphics::Font& titleFont();

    // Internal: an item shown here changed or went away.
    void itemChanged(NavigationItem* item);
    void itemDestroyed(NavigationItem* item);

    void barButtonItemDidChange(BarButtonItem& item) override;
    void layoutSubviews() override;
    void drawRect(graphics::GraphicsContext& context, const graphics::Rect& rect) override;

private:
    void rebuild();
    void detachAll();

    NavigationItem* top_ = nullptr;
    NavigationItem* back_ = nullptr;
    std::function<void()> backAction_;
    ViewPtr backButton_;
    ViewPtr titleView_;
    std::vector<std::pair<std::shared_ptr<BarButtonItem>, ViewPtr>> leftViews_;
    std::vector<std::pair<std::shared_ptr<BarButtonItem>, ViewPtr>> rightViews_;
    graphics::Rect titleRect_;
    std::string shownTitle_;
};

}  // namespace ui
