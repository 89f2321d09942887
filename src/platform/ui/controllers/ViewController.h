#pragma once

// View controllers: a screen's view (loaded on first use), its appearance
// callbacks, child containment and modal presentation.
//
// Appearance: viewWillAppear / viewDidAppear when the view enters the window
// as part of a presentation, a push or the window's root; viewWillDisappear /
// viewDidDisappear when it leaves. Children added with addChildViewController
// get the same callbacks as their parent's view appears and disappears.
//
// Modal presentation stacks: a controller presents one controller at a time;
// presenting from a controller that already presents something is refused
// (logged, as the platform does). Dismissal dismisses the presented
// controller and everything it presented in turn.

#include "platform/graphics/Geometry.h"
#include "platform/ui/Responder.h"
#include "platform/ui/View.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ui {

class BarButtonItem;
class NavigationController;
class NavigationItem;
class Window;

enum class ModalPresentationStyle { FullScreen, PageSheet, FormSheet, CurrentContext, OverFullScreen };
enum class ModalTransitionStyle { CoverVertical, FlipHorizontal, CrossDissolve };

// The platform's interface orientations and masks.
enum class InterfaceOrientation { Portrait = 1, PortraitUpsideDown = 2, LandscapeLeft = 4, LandscapeRight = 3 };
enum InterfaceOrientationMask : unsigned {
    OrientationMaskPortrait = 1 << 1,
    OrientationMaskPortraitUpsideDown = 1 << 2,
    OrientationMaskLandscapeRight = 1 << 3,
    OrientationMaskLandscapeLeft = 1 << 4,
    OrientationMaskLandscape = (1 << 3) | (1 << 4),
    OrientationMaskAll = (1 << 1) | (1 << 2) | (1 << 3) | (1 << 4),
};

class ViewController : public Responder, public std::enable_shared_from_this<ViewController> {
public:
    ViewController();
    // The platform's initWithNibName:bundle: — our screens build their views
    // in code; the name is kept for the screens' own use.
    explicit ViewController(std::string nibName);
    ~ViewController() override;

    const std::string& nibName() const { return nibName_; }

    // ---- view -------------------------------------------------------------------
    // The root view, created by loadView (then viewDidLoad) on first use.
    View* view();
    ViewPtr viewPtr();
    bool isViewLoaded() const { return view_ != nullptr; }
    void setView(ViewPtr view);
    // Creates the root view; the default makes a plain view of the screen size.
    virtual void loadView();
    virtual void viewDidLoad() {}
    virtual void viewWillAppear(bool animated) { (void)animated; }
    virtual void viewDidAppear(bool animated) { (void)animated; }
    virtual void viewWillDisappear(bool animated) { (void)animated; }
    virtual void viewDidDisappear(bool animated) { (void)animated; }
    virtual void viewWillLayoutSubviews() {}
    virtual void viewDidLayoutSubviews() {}
    virtual void didReceiveMemoryWarning() {}
    // True between viewDidAppear and viewWillDisappear.
    bool isVisible() const { return appearance_ == Appearance::Appeared; }

    // The screen's title; a navigation bar shows it when the navigation item
    // has no title of its own. setTitle also gives it to the navigation item,
    // so a bar on screen follows at once.
    std::string title;
    void setTitle(std::string newTitle);

    // ---- containment --------------------------------------------------------------
    void addChildViewController(std::shared_ptr<ViewController> child);
    void removeFromParentViewController();
    virtual void willMoveToParentViewController(ViewController* parent) { (void)parent; }
    virtual void didMoveToParentViewController(ViewController* parent) { (void)parent; }
    ViewController* parentViewController() const { return parent_; }
    const std::vector<std::shared_ptr<ViewController>>& childViewControllers() const { return children_; }
    NavigationController* navigationController() const;
    NavigationItem& navigationItem();
    // The items a navigation controller shows in its toolbar while this
    // controller is on top.
    const std::vector<std::shared_ptr<BarButtonItem>>& toolbarItems() const { return toolbarItems_; }
    void setToolbarItems(std::vector<std::shared_ptr<BarButtonItem>> items, bool animated = false);

    // ---- modal presentation ------------------------------------------------------
    ModalPresentationStyle modalPresentationStyle = ModalPresentationStyle::FullScreen;
    ModalTransitionStyle modalTransitionStyle = ModalTransitionStyle::CoverVertical;
    // The size of a form sheet (the platform's default 540 × 620).
    graphics::Size preferredContentSize{540, 620};

    void presentViewController(std::shared_ptr<ViewController> controller, bool animated,
                               std::function<void()> completion = {});
    // Dismisses what this controller presents, or, when it presents nothing,
    // this controller from its presenter.
    void dismissViewController(bool animated, std::function<void()> completion = {});
    // A child answers for the top of its parent chain, which presents on its
    // behalf (as the platform does).
    ViewController* presentedViewController() const;
    ViewController* presentingViewController() const;
    bool isBeingPresented() const { return beingPresented_; }
    bool isBeingDismissed() const { return beingDismissed_; }

    // ---- orientation ----------------------------------------------------------------
    virtual unsigned supportedInterfaceOrientations() const { return OrientationMaskAll; }
    virtual bool shouldAutorotate() const { return true; }
    virtual InterfaceOrientation preferredInterfaceOrientationForPresentation() const {
        return InterfaceOrientation::LandscapeRight;
    }
    virtual void willRotateToInterfaceOrientation(InterfaceOrientation to, double duration) {
        (void)to;
        (void)duration;
    }
    virtual void didRotateFromInterfaceOrientation(InterfaceOrientation from) { (void)from; }
    InterfaceOrientation interfaceOrientation() const;

    // ---- keys --------------------------------------------------------------------
    // A key that no view of this screen took (View::performKeyEquivalent):
    // the screen's own keyboard meaning, as a desktop user expects of it
    // (arrows moving a playhead, Delete asking to delete). True when handled.
    virtual bool keyCommand(const KeyPress& press) {
        (void)press;
        return false;
    }

    Responder* nextResponder() const override;

    // ---- appearance plumbing (used by containers, the window and presentation) ----
    // Sends the appearance callbacks to this controller and its children,
    // skipping repeats (will/did pairs are kept balanced).
    void beginAppearanceTransition(bool appearing, bool animated);
    void endAppearanceTransition();

private:
    enum class Appearance { Disappeared, Appearing, Appeared, Disappearing };
    friend class Window;
    friend class View;
    friend class NavigationController;

    // Called by the controller's view as it enters or leaves a window, so a
    // view added or removed by hand still gets its appearance callbacks.
    void viewWillMoveToWindow(Window* from, Window* to);
    void viewDidMoveToWindow();
    // The top of the parent chain.
    ViewController* containmentRoot();
    static std::vector<ViewController*> visibleChain(ViewController* base, ViewController* last);
    void dismissPresentedChain(bool animated, std::function<void()> completion);
    void finishPresentation(std::shared_ptr<ViewController> presented, std::vector<ViewController*> covered,
                            std::function<void()> completion);

    std::string nibName_;
    ViewPtr view_;
    ViewController* parent_ = nullptr;
    std::vector<std::shared_ptr<ViewController>> children_;
    std::shared_ptr<ViewController> presented_;
    ViewController* presenting_ = nullptr;
    std::unique_ptr<NavigationItem> navigationItem_;
    Appearance appearance_ = Appearance::Disappeared;
    bool beingPresented_ = false;
    bool beingDismissed_ = false;
    // The view that holds a presented controller's view (dimming backdrop for sheets).
    ViewPtr presentationContainer_;
    // The presented view's frame inside the container (moved by the transition).
    ViewPtr presentationWrapper_;
    // Whether this controller's presentation hides what lies below it.
    bool presentationCovers_ = false;
    bool appearanceAnimated_ = false;
    bool appearanceFromWindow_ = false;
    bool loadingView_ = false;
    std::vector<std::shared_ptr<BarButtonItem>> toolbarItems_;
};

}  // namespace ui
