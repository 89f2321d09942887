#pragma once

// The retained view tree.
//
// Views are shared objects (`std::shared_ptr<View>`): a superview holds its
// subviews; controllers and screens may hold further references to views they
// need (outlets). A view knows its superview through a plain pointer that is
// cleared when it is removed. Views are used from the main thread only.
//
// Geometry follows the platform: `frame` is derived from `center`,
// `bounds.size` and `transform`; setting `frame` with an identity transform
// sets centre and bounds size. `bounds.origin` shifts the content (scroll
// views use it). Coordinates are points, origin top-left, y down.

#include "platform/graphics/AffineTransform.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/Responder.h"
#include "platform/ui/compositing/Layer.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace graphics {
class GraphicsContext;
}

namespace ui {

class GestureRecognizer;
class ViewController;
class Window;

enum class ContentMode {
    ScaleToFill,
    ScaleAspectFit,
    ScaleAspectFill,
    Redraw,
    Center,
    Top,
    Bottom,
    Left,
    Right,
    TopLeft,
    TopRight,
    BottomLeft,
    BottomRight,
};

// Where contents of `size` points go in `bounds` under a content mode: the
// one placement the compositor draws a view's contents by, for anything
// that must land where a view shows its picture. Contents of no size fill
// the bounds under the scaling modes.
graphics::Rect contentRect(ContentMode mode, const graphics::Rect& bounds, graphics::Size size);

// The platform's autoresizing mask bits.
enum AutoresizingMask : unsigned {
    AutoresizingNone = 0,
    AutoresizingFlexibleLeftMargin = 1 << 0,
    AutoresizingFlexibleWidth = 1 << 1,
    AutoresizingFlexibleRightMargin = 1 << 2,
    AutoresizingFlexibleTopMargin = 1 << 3,
    AutoresizingFlexibleHeight = 1 << 4,
    AutoresizingFlexibleBottomMargin = 1 << 5,
};

using ViewPtr = std::shared_ptr<View>;

class View : public Responder, public std::enable_shared_from_this<View> {
public:
    View();
    explicit View(const graphics::Rect& frame);
    ~View() override;
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    // ---- geometry ------------------------------------------------------------
    graphics::Rect frame() const;
    virtual void setFrame(const graphics::Rect& frame);
    graphics::Rect bounds() const { return layer_.bounds(); }
    void setBounds(const graphics::Rect& bounds);
    graphics::Point center() const { return layer_.position(); }
    void setCenter(graphics::Point center);
    graphics::AffineTransform transform() const { return layer_.transform().toAffine(); }
    void setTransform(const graphics::AffineTransform& transform);

    Layer& layer() { return layer_; }
    const Layer& layer() const { return layer_; }

    // ---- appearance ------------------------------------------------------------
    double alpha() const { return layer_.opacity(); }
    void setAlpha(double alpha);
    bool isHidden() const { return layer_.isHidden(); }
    void setHidden(bool hidden);
    std::optional<graphics::Color> backgroundColor() const { return layer_.backgroundColor(); }
    void setBackgroundColor(std::optional<graphics::Color> color);
    bool clipsToBounds() const { return layer_.masksToBounds(); }
    void setClipsToBounds(bool clips);
    bool isOpaque() const { return opaque_; }
    void setOpaque(bool opaque) { opaque_ = opaque; }
    ContentMode contentMode() const { return contentMode_; }
    void setContentMode(ContentMode mode);
    // The colour that templates and controls take; inherited from the
    // superview when not set (the window's tint at the top).
    graphics::Color tintColor() const;
    void setTintColor(std::optional<graphics::Color> color);
    virtual void tintColorDidChange() {}

    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }
    // The short text a desktop shows while the mouse pointer rests on the
    // view or one inside it (ToolTip.h); none when empty.
    const std::string& toolTip() const { return toolTip_; }
    void setToolTip(std::string text) { toolTip_ = std::move(text); }
    bool isUserInteractionEnabled() const { return userInteractionEnabled_; }
    void setUserInteractionEnabled(bool enabled) { userInteractionEnabled_ = enabled; }
    bool isMultipleTouchEnabled() const { return multipleTouchEnabled_; }
    void setMultipleTouchEnabled(bool enabled) { multipleTouchEnabled_ = enabled; }
    bool isExclusiveTouch() const { return exclusiveTouch_; }
    void setExclusiveTouch(bool exclusive) { exclusiveTouch_ = exclusive; }

    // ---- hierarchy -------------------------------------------------------------
    View* superview() const { return superview_; }
    const std::vector<ViewPtr>& subviews() const { return subviews_; }
    // Adding a view that has another superview moves it; adding it to its own
    // superview again brings it to the front. Adding a view to itself or to one
    // of its descendants is refused (std::invalid_argument).
    void addSubview(ViewPtr view);
    void insertSubviewAtIndex(ViewPtr view, size_t index);
    void insertSubviewAboveSubview(ViewPtr view, const View* sibling);
    void insertSubviewBelowSubview(ViewPtr view, const View* sibling);
    void removeFromSuperview();
    void bringSubviewToFront(const View* view);
    void sendSubviewToBack(const View* view);
    void exchangeSubviewAtIndex(size_t index1, size_t index2);
    bool isDescendantOfView(const View* view) const;  // true for the view itself
    // This view or the first descendant (depth first) with the tag.
    View* viewWithTag(int tag);
    // The window this view is in, or null.
    Window* window() const;
    ViewPtr sharedFromThis() { return shared_from_this(); }

    virtual void willMoveToSuperview(View* newSuperview) { (void)newSuperview; }
    virtual void didMoveToSuperview() {}
    virtual void willMoveToWindow(Window* newWindow) { (void)newWindow; }
    virtual void didMoveToWindow() {}
    virtual void didAddSubview(View* subview) { (void)subview; }
    virtual void willRemoveSubview(View* subview) { (void)subview; }

    // ---- layout ------------------------------------------------------------------
    unsigned autoresizingMask() const { return autoresizingMask_; }
    void setAutoresizingMask(unsigned mask) { autoresizingMask_ = mask; }
    bool autoresizesSubviews() const { return autoresizesSubviews_; }
    void setAutoresizesSubviews(bool autoresizes) { autoresizesSubviews_ = autoresizes; }
    void setNeedsLayout();
    bool needsLayout() const { return needsLayout_; }
    // Lays out this view and its subviews now when marked.
    void layoutIfNeeded();
    // Override to place subviews; the default does nothing (autoresizing has
    // already run when the bounds changed).
    virtual void layoutSubviews() {}
    virtual graphics::Size sizeThatFits(graphics::Size size) const;
    void sizeToFit();

    // ---- drawing -------------------------------------------------------------------
    // Marks the drawn contents stale; drawRect runs before the next composite.
    void setNeedsDisplay();
    void setNeedsDisplayInRect(const graphics::Rect& rect);
    bool needsDisplay() const { return needsDisplay_; }
    // True when this view draws its own contents (overrides drawRect); such
    // views get a backing image from drawRect. Set by subclasses.
    bool drawsContent() const { return drawsContent_; }
    // Draws the contents in the view's bounds coordinates. The context is
    // already clipped and scaled; the background colour is drawn separately.
    virtual void drawRect(graphics::GraphicsContext& context, const graphics::Rect& rect);
    // Runs drawRect now into the layer's contents when stale.
    void displayIfNeeded(double scale);

    // ---- coordinates ------------------------------------------------------------
    // Converts between this view's bounds coordinates and another view's (or
    // the window's when `view` is null). Both views must be in one tree.
    graphics::Point convertPointToView(graphics::Point point, const View* view) const;
    graphics::Point convertPointFromView(graphics::Point point, const View* view) const;
    graphics::Rect convertRectToView(const graphics::Rect& rect, const View* view) const;
    graphics::Rect convertRectFromView(const graphics::Rect& rect, const View* view) const;
    // The transform from this view's bounds coordinates to its superview's
    // (model values; 3D transforms project through the perspective).
    graphics::Transform3D transformToSuperview() const;

    // ---- hit testing -------------------------------------------------------------
    // The deepest visible, interactive view under the point (in this view's
    // coordinates), front-most first; null when none. Hidden views, views with
    // alpha below 0.01 and views that do not take touches are skipped.
    virtual View* hitTest(graphics::Point point, const Event* event);
    virtual bool pointInside(graphics::Point point, const Event* event) const;

    // ---- keys no first responder took ----------------------------------------------
    // Offers a key to the visible, interactive subviews, front-most and
    // deepest first, then to this view, then to the screen whose view this is
    // (ViewController::keyCommand); true once one handled it. Like a click,
    // a key does not reach a subview that lies wholly behind a front sibling
    // that takes touches (except the views that sibling lets touches through
    // to), nor one scrolled out of a clipping view. Views with a keyboard
    // meaning (keypads, grids, scroll views) handle it in handleKeyEquivalent.
    bool performKeyEquivalent(const KeyPress& press);
    virtual bool handleKeyEquivalent(const KeyPress& press) {
        (void)press;
        return false;
    }
    // The views below this one that a touch on it reaches (an overlay's
    // passthrough views); keys reach them as well.
    virtual std::vector<ViewPtr> viewsReachedThrough() const { return {}; }

    // ---- gestures ------------------------------------------------------------------
    void addGestureRecognizer(std::shared_ptr<GestureRecognizer> recognizer);
    void removeGestureRecognizer(const GestureRecognizer* recognizer);
    const std::vector<std::shared_ptr<GestureRecognizer>>& gestureRecognizers() const { return gestureRecognizers_; }

    // ---- controller and responder chain ------------------------------------------
    // The controller whose root view this is, or null.
    ViewController* viewController() const { return viewController_; }
    Responder* nextResponder() const override;

    // Asks the tree for a new composite (the window host repaints).
    void setNeedsComposite();

protected:
    void setDrawsContent(bool draws) { drawsContent_ = draws; }
    Window* responderWindow() const override { return window(); }

    // Called when the bounds size changed (after autoresizing the subviews).
    virtual void boundsSizeDidChange(graphics::Size oldSize) { (void)oldSize; }

private:
    friend class ViewController;
    friend class Window;
    friend class Layer;

    void resizeSubviews(graphics::Size oldSize);
    // Tells this view and the descendants that inherit its tint of a change.
    void notifyTintChange();
    void insertSubviewAt(ViewPtr view, size_t index);
    void detachFromSuperview(bool notify);
    void notifyWindowChange(Window* from, Window* to, bool before);
    size_t indexOfSubview(const View* view) const;

    Layer layer_{this};
    View* superview_ = nullptr;
    std::vector<ViewPtr> subviews_;
    std::vector<std::shared_ptr<GestureRecognizer>> gestureRecognizers_;
    ViewController* viewController_ = nullptr;
    std::optional<graphics::Color> tintColor_;
    std::string toolTip_;
    ContentMode contentMode_ = ContentMode::ScaleToFill;
    unsigned autoresizingMask_ = AutoresizingNone;
    int tag_ = 0;
    bool autoresizesSubviews_ = true;
    bool userInteractionEnabled_ = true;
    bool multipleTouchEnabled_ = false;
    bool exclusiveTouch_ = false;
    bool opaque_ = true;
    bool needsLayout_ = true;
    bool needsDisplay_ = true;
    bool drawsContent_ = false;
};

// Creates a view of type T held by a shared pointer.
template <class T = View, class... Args>
std::shared_ptr<T> makeView(Args&&... args) {
    return std::make_shared<T>(std::forward<Args>(args)...);
}

}  // namespace ui
