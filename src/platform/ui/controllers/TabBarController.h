#pragma once

// A row of tabs along the bottom, each standing for one child controller;
// the selected child's view fills the space above. Tapping a tab selects it
// and tells the delegate. Children that are not selected keep their state
// but have no view on screen (and get no appearance callbacks).

#include "platform/graphics/Image.h"
#include "platform/ui/View.h"
#include "platform/ui/controllers/ViewController.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ui {

class TabBarController;

// What a tab shows.
struct TabBarItem {
    std::string title;
    graphics::Image image;
    int tag = 0;
};

class TabBarControllerDelegate {
public:
    virtual ~TabBarControllerDelegate() = default;
    virtual bool shouldSelectViewController(TabBarController& tabBarController, ViewController& viewController) {
        (void)tabBarController, (void)viewController;
        return true;
    }
    // After a tap selected a tab (not after setSelectedIndex).
    virtual void didSelectViewController(TabBarController& tabBarController, ViewController& viewController) {
        (void)tabBarController, (void)viewController;
    }
};

// The strip of tabs.
class TabBar : public View {
public:
    static constexpr double kHeight = 49.0;
    explicit TabBar(const graphics::Rect& frame);

    const std::vector<TabBarItem>& items() const { return items_; }
    void setItems(std::vector<TabBarItem> items);
    size_t selectedIndex() const { return selectedIndex_; }
    void setSelectedIndex(size_t index);
    // The frame of a tab in the bar's coordinates.
    graphics::Rect rectForItemAtIndex(size_t index) const;
    // Called with the index of a tapped tab.
    std::function<void(size_t)> onTap;

    void drawRect(graphics::GraphicsContext& context, const graphics::Rect& rect) override;

private:
    void tapped(graphics::Point location);
    std::vector<TabBarItem> items_;
    size_t selectedIndex_ = 0;
};

class TabBarController : public ViewController {
public:
    TabBarController();
    ~TabBarController() override;

    const std::vector<std::shared_ptr<ViewController>>& viewControllers() const { return controllers_; }
    // Tabs titled with the controllers' titles; the first is selected
    // unless the selection still fits.
    void setViewControllers(std::vector<std::shared_ptr<ViewController>> controllers, bool animated = false);
    // The tab of a controller; changes show at once.
    const TabBarItem& tabBarItemAtIndex(size_t index) const;
    void setTabBarItem(size_t index, TabBarItem item);

    size_t selectedIndex() const { return selectedIndex_; }
    // Out of range selects nothing new.
    void setSelectedIndex(size_t index);
    ViewController* selectedViewController() const;

    TabBarControllerDelegate* delegate() const { return delegate_; }
    // Not retained.
    void setDelegate(TabBarControllerDelegate* delegate) { delegate_ = delegate; }
    TabBar& tabBar() { return *tabBar_; }

    void loadView() override;
    void viewDidLayoutSubviews() override;
    unsigned supportedInterfaceOrientations() const override;

private:
    void showSelected();
    void layoutContent();
    void userSelected(size_t index);

    std::vector<std::shared_ptr<ViewController>> controllers_;
    std::vector<TabBarItem> items_;
    size_t selectedIndex_ = 0;
    ViewController* shown_ = nullptr;
    TabBarControllerDelegate* delegate_ = nullptr;
    std::shared_ptr<TabBar> tabBar_;
};

}  // namespace ui
