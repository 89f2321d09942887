#pragma once

// A stack of screens with a navigation bar on top (title, buttons, back
// button) and an optional toolbar at the bottom. Pushing slides the new
// screen in from the right; popping slides it out again. The stack's
// controllers are the navigation controller's children; only the top one's
// view is in the view tree.
//
// A push or pop asked for while another one animates waits for it to end.

#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controllers/Toolbar.h"
#include "platform/ui/controllers/ViewController.h"

#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace ui {

class NavigationController : public ViewController {
public:
    NavigationController();
    explicit NavigationController(std::shared_ptr<ViewController> rootViewController);
    ~NavigationController() override;

    const std::vector<std::shared_ptr<ViewController>>& viewControllers() const { return childViewControllers(); }
    ViewController* topViewController() const;
    // The top controller, or what it presents.
    ViewController* visibleViewController() const;

    void pushViewController(std::shared_ptr<ViewController> controller, bool animated);
    // Returns the popped controller; null when only the root is left.
    std::shared_ptr<ViewController> popViewController(bool animated);
    std::vector<std::shared_ptr<ViewController>> popToRootViewController(bool animated);
    // Pops until `controller` is on top; nothing when it is not in the stack.
    std::vector<std::shared_ptr<ViewController>> popToViewController(const ViewController* controller, bool animated);

    NavigationBar& navigationBar() { return *navigationBar_; }
    bool isNavigationBarHidden() const { return navigationBarHidden_; }
    void setNavigationBarHidden(bool hidden, bool animated = false);
    Toolbar& toolbar() { return *toolbar_; }
    bool isToolbarHidden() const { return toolbarHidden_; }
    void setToolbarHidden(bool hidden, bool animated = false);

    // The frame the top controller's view takes in this controller's view.
    graphics::Rect contentFrame();

    void loadView() override;
    // The stack's layout, run when the view lays out.
    void layoutStack();

private:
    enum class Direction { Push, Pop };
    // Replaces the top controller `from` with `to`, animated like a push or pop.
    void transition(ViewController* from, const std::shared_ptr<ViewController>& to, Direction direction, bool animated,
                    std::function<void()> done);
    void updateBars();
    bool enqueueIfBusy(std::function<void()> operation);
    void runPending();

    std::shared_ptr<NavigationBar> navigationBar_;
    std::shared_ptr<Toolbar> toolbar_;
    bool navigationBarHidden_ = false;
    bool toolbarHidden_ = true;
    bool transitioning_ = false;
    std::deque<std::function<void()>> pending_;
};

}  // namespace ui
