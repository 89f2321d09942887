#include "platform/ui/View.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/Window.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/gestures/GestureRecognizer.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace ui {

using graphics::AffineTransform;
using graphics::Point;
using graphics::Rect;
using graphics::Size;
using graphics::Transform3D;

View::View() = default;

View::View(const Rect& frame) { setFrame(frame); }

View::~View() {
    // Children outlive nothing of ours: detach them so their superview pointer
    // never dangles if something else still holds them.
    for (const ViewPtr& child : subviews_) child->superview_ = nullptr;
    for (const auto& recognizer : gestureRecognizers_) recognizer->setView(nullptr);
}

// ---- geometry ----------------------------------------------------------------

Transform3D View::transformToSuperview() const {
    return transformToSuperlayer(layer_.model(), superview_ ? &superview_->layer_.model() : nullptr);
}

Rect View::frame() const {
    const LayerState& s = layer_.model();
    Size size = s.bounds.size;
    Rect local(-s.anchorPoint.x * size.width, -s.anchorPoint.y * size.height, size.width, size.height);
    Rect transformed = s.transform.isIdentity() ? local : s.transform.toAffine().apply(local);
    return transformed.offsetBy(s.position.x, s.position.y);
}

void View::setFrame(const Rect& frame) {
    Rect f = frame.standardized();
    if (!layer_.transform().isIdentity()) {
        // With a transform the platform's frame is undefined; keep the size and
        // move the centre, which is what callers mean in practice.
        setCenter(Point{f.midX(), f.midY()});
        return;
    }
    const Point anchor = layer_.anchorPoint();
    Rect b = bounds();
    b.size = f.size;
    setBounds(b);
    setCenter(Point{f.origin.x + anchor.x * f.size.width, f.origin.y + anchor.y * f.size.height});
}

void View::setBounds(const Rect& bounds) {
    Rect old = layer_.bounds();
    if (old == bounds) return;
    layer_.setBounds(bounds);
    if (old.size != bounds.size) {
        if (autoresizesSubviews_) resizeSubviews(old.size);
        setNeedsLayout();
        if (contentMode_ == ContentMode::Redraw) setNeedsDisplay();
        boundsSizeDidChange(old.size);
    }
    setNeedsComposite();
}

void View::setCenter(Point center) {
    if (layer_.position() == center) return;
    layer_.setPosition(center);
    setNeedsComposite();
}

void View::setTransform(const AffineTransform& transform) {
    layer_.setTransform(Transform3D::fromAffine(transform));
    setNeedsComposite();
}

// Autoresizing as the platform does it: the flexible parts of each axis share
// the change of the superview's size in proportion to their current lengths.
void View::resizeSubviews(Size oldSize) {
    Size newSize = bounds().size;
    for (const ViewPtr& child : subviews_) {
        unsigned mask = child->autoresizingMask_;
        if (mask == AutoresizingNone) continue;
        Rect f = child->frame();
        auto resizeAxis = [](double oldLength, double newLength, bool flexLow, bool flexSize, bool flexHigh,
                             double& origin, double& length) {
            double delta = newLength - oldLength;
            if (delta == 0) return;
            double low = origin, high = oldLength - origin - length;
            double total = (flexLow ? low : 0) + (flexSize ? length : 0) + (flexHigh ? high : 0);
            int count = (flexLow ? 1 : 0) + (flexSize ? 1 : 0) + (flexHigh ? 1 : 0);
            if (count == 0) return;
            auto share = [&](bool flexible, double part) {
                if (!flexible) return 0.0;
                return total > 0 ? delta * part / total : delta / count;
            };
            double dLow = share(flexLow, low), dSize = share(flexSize, length);
            origin += dLow;
            length = std::max(0.0, length + dSize);
        };
        resizeAxis(oldSize.width, newSize.width, mask & AutoresizingFlexibleLeftMargin,
                   mask & AutoresizingFlexibleWidth, mask & AutoresizingFlexibleRightMargin, f.origin.x, f.size.width);
        resizeAxis(oldSize.height, newSize.height, mask & AutoresizingFlexibleTopMargin,
                   mask & AutoresizingFlexibleHeight, mask & AutoresizingFlexibleBottomMargin, f.origin.y,
                   f.size.height);
        child->setFrame(f);
    }
}

// ---- appearance ----------------------------------------------------------------

void View::setAlpha(double alpha) {
    layer_.setOpacity(std::clamp(alpha, 0.0, 1.0));
    setNeedsComposite();
}

void View::setHidden(bool hidden) {
    if (layer_.isHidden() == hidden) return;
    layer_.setHidden(hidden);
    setNeedsComposite();
}

void View::setBackgroundColor(std::optional<graphics::Color> color) {
    layer_.setBackgroundColor(std::move(color));
    setNeedsComposite();
}

void View::setClipsToBounds(bool clips) {
    layer_.setMasksToBounds(clips);
    setNeedsComposite();
}

graphics::Rect contentRect(ContentMode mode, const graphics::Rect& bounds, graphics::Size size) {
    const double bw = bounds.size.width, bh = bounds.size.height;
    const double iw = size.width, ih = size.height;
    const double x0 = bounds.origin.x, y0 = bounds.origin.y;
    auto centred = [&](double w, double h) { return graphics::Rect{x0 + (bw - w) / 2, y0 + (bh - h) / 2, w, h}; };
    switch (mode) {
        case ContentMode::ScaleToFill:
        case ContentMode::Redraw:
            return bounds;
        case ContentMode::ScaleAspectFit:
        case ContentMode::ScaleAspectFill: {
            if (iw <= 0 || ih <= 0) return bounds;
            double s = mode == ContentMode::ScaleAspectFit ? std::min(bw / iw, bh / ih) : std::max(bw / iw, bh / ih);
            return centred(iw * s, ih * s);
        }
        case ContentMode::Center:
            return centred(iw, ih);
        case ContentMode::Top:
            return {x0 + (bw - iw) / 2, y0, iw, ih};
        case ContentMode::Bottom:
            return {x0 + (bw - iw) / 2, y0 + bh - ih, iw, ih};
        case ContentMode::Left:
            return {x0, y0 + (bh - ih) / 2, iw, ih};
        case ContentMode::Right:
            return {x0 + bw - iw, y0 + (bh - ih) / 2, iw, ih};
        case ContentMode::TopLeft:
            return {x0, y0, iw, ih};
        case ContentMode::TopRight:
            return {x0 + bw - iw, y0, iw, ih};
        case ContentMode::BottomLeft:
            return {x0, y0 + bh - ih, iw, ih};
        case ContentMode::BottomRight:
            return {x0 + bw - iw, y0 + bh - ih, iw, ih};
    }
    return bounds;
}

void View::setContentMode(ContentMode mode) {
    contentMode_ = mode;
    setNeedsComposite();
}

graphics::Color View::tintColor() const {
    for (const View* v = this; v; v = v->superview_) {
        if (v->tintColor_) return *v->tintColor_;
    }
    return graphics::Color::rgb(0.0, 122.0 / 255.0, 1.0);  // the platform's default blue
}

void View::setTintColor(std::optional<graphics::Color> color) {
    tintColor_ = std::move(color);
    notifyTintChange();
}

void View::notifyTintChange() {
    // Every view that inherits the tint hears about the change.
    tintColorDidChange();
    setNeedsDisplay();
    for (const ViewPtr& child : subviews_) {
        if (!child->tintColor_) child->notifyTintChange();
    }
}

// ---- hierarchy ------------------------------------------------------------------

size_t View::indexOfSubview(const View* view) const {
    for (size_t i = 0; i < subviews_.size(); ++i) {
        if (subviews_[i].get() == view) return i;
    }
    return subviews_.size();
}

Window* View::window() const {
    const View* top = this;
    while (top->superview_) top = top->superview_;
    return dynamic_cast<Window*>(const_cast<View*>(top));
}

void View::notifyWindowChange(Window* from, Window* to, bool before) {
    if (from == to) return;
    // A controller's root view tells its controller, so views added or removed
    // by hand still give the controller its appearance callbacks.
    if (before) {
        if (viewController_) viewController_->viewWillMoveToWindow(from, to);
        willMoveToWindow(to);
    } else {
        didMoveToWindow();
        if (viewController_) viewController_->viewDidMoveToWindow();
    }
    // Copy: a callback may change the subviews.
    std::vector<ViewPtr> children = subviews_;
    for (const ViewPtr& child : children) child->notifyWindowChange(from, to, before);
}

void View::insertSubviewAt(ViewPtr view, size_t index) {
    if (!view) throw std::invalid_argument("View::addSubview: null view");
    if (isDescendantOfView(view.get())) throw std::invalid_argument("View::addSubview: a view cannot contain itself");
    Window* oldWindow = view->window();
    Window* newWindow = window();
    if (view->superview_ == this) {
        // Re-adding to the same superview only reorders.
        size_t current = indexOfSubview(view.get());
        subviews_.erase(subviews_.begin() + static_cast<std::ptrdiff_t>(current));
        index = std::min(index, subviews_.size());
        subviews_.insert(subviews_.begin() + static_cast<std::ptrdiff_t>(index), std::move(view));
        setNeedsComposite();
        return;
    }
    ViewPtr keep = view;  // keeps the view alive while it moves between superviews
    graphics::Color oldTint = view->tintColor();
    view->willMoveToSuperview(this);
    view->notifyWindowChange(oldWindow, newWindow, true);
    if (view->superview_) view->detachFromSuperview(false);
    index = std::min(index, subviews_.size());
    subviews_.insert(subviews_.begin() + static_cast<std::ptrdiff_t>(index), view);
    view->superview_ = this;
    view->setNeedsLayout();
    view->notifyWindowChange(oldWindow, newWindow, false);
    view->didMoveToSuperview();
    // A view that inherits its tint hears when the move changed it.
    if (!view->tintColor_ && !(view->tintColor() == oldTint)) view->notifyTintChange();
    didAddSubview(view.get());
    setNeedsComposite();
}

void View::addSubview(ViewPtr view) { insertSubviewAt(std::move(view), subviews_.size() + 1); }

void View::insertSubviewAtIndex(ViewPtr view, size_t index) { insertSubviewAt(std::move(view), index); }

void View::insertSubviewAboveSubview(ViewPtr view, const View* sibling) {
    size_t index = indexOfSubview(sibling);
    insertSubviewAt(std::move(view), index == subviews_.size() ? index : index + 1);
}

void View::insertSubviewBelowSubview(ViewPtr view, const View* sibling) {
    size_t index = indexOfSubview(sibling);
    if (view && view->superview_ == this && indexOfSubview(view.get()) < index) --index;
    insertSubviewAt(std::move(view), index);
}

void View::detachFromSuperview(bool notify) {
    View* parent = superview_;
    if (!parent) return;
    ViewPtr keep = shared_from_this();
    Window* oldWindow = window();
    if (notify) {
        parent->willRemoveSubview(this);
        willMoveToSuperview(nullptr);
        notifyWindowChange(oldWindow, nullptr, true);
    }
    size_t index = parent->indexOfSubview(this);
    if (index < parent->subviews_.size())
        parent->subviews_.erase(parent->subviews_.begin() + static_cast<std::ptrdiff_t>(index));
    superview_ = nullptr;
    parent->setNeedsComposite();
    if (notify) {
        notifyWindowChange(oldWindow, nullptr, false);
        didMoveToSuperview();
    }
}

void View::removeFromSuperview() {
    if (!superview_) return;
    // The window forgets a first responder that leaves it.
    if (Window* w = window()) w->viewWillLeaveWindow(this);
    detachFromSuperview(true);
}

void View::bringSubviewToFront(const View* view) {
    size_t index = indexOfSubview(view);
    if (index >= subviews_.size()) return;
    ViewPtr v = subviews_[index];
    subviews_.erase(subviews_.begin() + static_cast<std::ptrdiff_t>(index));
    subviews_.push_back(std::move(v));
    setNeedsComposite();
}

void View::sendSubviewToBack(const View* view) {
    size_t index = indexOfSubview(view);
    if (index >= subviews_.size()) return;
    ViewPtr v = subviews_[index];
    subviews_.erase(subviews_.begin() + static_cast<std::ptrdiff_t>(index));
    subviews_.insert(subviews_.begin(), std::move(v));
    setNeedsComposite();
}

void View::exchangeSubviewAtIndex(size_t index1, size_t index2) {
    if (index1 >= subviews_.size() || index2 >= subviews_.size()) return;
    std::swap(subviews_[index1], subviews_[index2]);
    setNeedsComposite();
}

bool View::isDescendantOfView(const View* view) const {
    for (const View* v = this; v; v = v->superview_) {
        if (v == view) return true;
    }
    return false;
}

View* View::viewWithTag(int tag) {
    if (tag_ == tag) return this;
    for (const ViewPtr& child : subviews_) {
        if (View* found = child->viewWithTag(tag)) return found;
    }
    return nullptr;
}

// ---- layout ---------------------------------------------------------------------

void View::setNeedsLayout() {
    needsLayout_ = true;
    setNeedsComposite();
}

void View::layoutIfNeeded() {
    if (needsLayout_) {
        needsLayout_ = false;
        // A controller's root view lets its controller take part in layout.
        if (viewController_) viewController_->viewWillLayoutSubviews();
        layoutSubviews();
        if (viewController_) viewController_->viewDidLayoutSubviews();
    }
    std::vector<ViewPtr> children = subviews_;
    for (const ViewPtr& child : children) child->layoutIfNeeded();
}

Size View::sizeThatFits(Size) const { return bounds().size; }

void View::sizeToFit() {
    Size fitted = sizeThatFits(bounds().size);
    Rect f = frame();
    f.size = fitted;
    setFrame(f);
}

// ---- drawing ---------------------------------------------------------------------

void View::setNeedsDisplay() {
    needsDisplay_ = true;
    setNeedsComposite();
}

void View::setNeedsDisplayInRect(const Rect&) { setNeedsDisplay(); }

void View::drawRect(graphics::GraphicsContext&, const Rect&) {}

void View::displayIfNeeded(double scale) {
    if (!drawsContent_) return;
    Size size = bounds().size;
    if (!needsDisplay_ && layer_.contents() && layer_.contents()->scale() == scale) return;
    needsDisplay_ = false;
    if (size.width <= 0 || size.height <= 0) {
        layer_.setContents(std::nullopt);
        return;
    }
    graphics::GraphicsContext context(size, scale, false);
    Rect b = bounds();
    context.translate(-b.origin.x, -b.origin.y);
    drawRect(context, b);
    layer_.setContents(context.makeImage());
}

// ---- coordinates -------------------------------------------------------------------

namespace {

// The point of a layer's plane (z = 0) that a transform shows at `p`: solves
// [u v 0 1] · M = w · [x y · 1] for u and v. Works for perspective transforms,
// where inverting the matrix would not give a point on the plane.
std::optional<Point> unproject(const Transform3D& m, Point p) {
    double a11 = m.m11 - p.x * m.m14, a12 = m.m21 - p.x * m.m24, b1 = p.x * m.m44 - m.m41;
    double a21 = m.m12 - p.y * m.m14, a22 = m.m22 - p.y * m.m24, b2 = p.y * m.m44 - m.m42;
    double det = a11 * a22 - a12 * a21;
    if (std::fabs(det) < 1e-12) return std::nullopt;
    return Point{(b1 * a22 - a12 * b2) / det, (a11 * b2 - a21 * b1) / det};
}

// The chain of views from `view` up to its root, the view first.
std::vector<const View*> chainToRoot(const View* view) {
    std::vector<const View*> chain;
    for (const View* v = view; v; v = v->superview()) chain.push_back(v);
    return chain;
}

// From a view's bounds coordinates to its root's frame coordinates (the
// window's), flattening onto each superview's plane as the compositor does.
Point toRoot(const View* view, Point p) {
    for (const View* v = view; v->superview(); v = v->superview()) {
        auto projected = v->transformToSuperview().project(p);
        if (!projected) return p;
        p = *projected;
    }
    const View* root = chainToRoot(view).back();
    Rect b = root->bounds();
    return Point{p.x - b.origin.x, p.y - b.origin.y};
}

Point fromRoot(const View* view, Point p) {
    std::vector<const View*> chain = chainToRoot(view);
    Rect b = chain.back()->bounds();
    p = Point{p.x + b.origin.x, p.y + b.origin.y};
    for (auto it = chain.rbegin() + 1; it != chain.rend(); ++it) {
        auto local = unproject((*it)->transformToSuperview(), p);
        if (!local) return p;
        p = *local;
    }
    return p;
}

Rect boundingBox(const Rect& rect, const std::function<Point(Point)>& map) {
    Point corners[4] = {
        rect.origin, {rect.maxX(), rect.minY()}, {rect.minX(), rect.maxY()}, {rect.maxX(), rect.maxY()}};
    double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
    for (Point c : corners) {
        Point p = map(c);
        minX = std::min(minX, p.x);
        minY = std::min(minY, p.y);
        maxX = std::max(maxX, p.x);
        maxY = std::max(maxY, p.y);
    }
    return Rect(minX, minY, maxX - minX, maxY - minY);
}

}  // namespace

Point View::convertPointToView(Point point, const View* view) const {
    Point inRoot = toRoot(this, point);
    return view ? fromRoot(view, inRoot) : inRoot;
}

Point View::convertPointFromView(Point point, const View* view) const {
    Point inRoot = view ? toRoot(view, point) : point;
    return fromRoot(this, inRoot);
}

Rect View::convertRectToView(const Rect& rect, const View* view) const {
    return boundingBox(rect, [&](Point p) { return convertPointToView(p, view); });
}

Rect View::convertRectFromView(const Rect& rect, const View* view) const {
    return boundingBox(rect, [&](Point p) { return convertPointFromView(p, view); });
}

// ---- hit testing ---------------------------------------------------------------------

bool View::pointInside(Point point, const Event*) const { return bounds().contains(point); }

View* View::hitTest(Point point, const Event* event) {
    if (isHidden() || alpha() < 0.01 || !userInteractionEnabled_) return nullptr;
    if (!pointInside(point, event)) return nullptr;
    for (auto it = subviews_.rbegin(); it != subviews_.rend(); ++it) {
        View* child = it->get();
        auto local = unproject(child->transformToSuperview(), point);
        if (!local) continue;
        if (View* hit = child->hitTest(*local, event)) return hit;
    }
    return this;
}

// ---- gestures ----------------------------------------------------------------------------

void View::addGestureRecognizer(std::shared_ptr<GestureRecognizer> recognizer) {
    if (!recognizer) return;
    if (recognizer->view() && recognizer->view() != this) recognizer->view()->removeGestureRecognizer(recognizer.get());
    if (std::find(gestureRecognizers_.begin(), gestureRecognizers_.end(), recognizer) != gestureRecognizers_.end())
        return;
    recognizer->setView(this);
    gestureRecognizers_.push_back(std::move(recognizer));
}

void View::removeGestureRecognizer(const GestureRecognizer* recognizer) {
    auto it = std::find_if(gestureRecognizers_.begin(), gestureRecognizers_.end(),
                           [&](const auto& r) { return r.get() == recognizer; });
    if (it == gestureRecognizers_.end()) return;
    (*it)->setView(nullptr);
    gestureRecognizers_.erase(it);
}

// ---- responder chain ---------------------------------------------------------------------

Responder* View::nextResponder() const {
    if (viewController_) return viewController_;
    return superview_;
}

void View::setNeedsComposite() {
    if (Window* w = window()) w->setNeedsComposite();
}

// ---- keys ---------------------------------------------------------------------------

namespace {

bool takesInput(const View& view) {
    return !view.isHidden() && view.alpha() >= 0.01 && view.isUserInteractionEnabled();
}

// A front child that takes touches over all of a later-offered child's frame.
struct Cover {
    graphics::Rect frame;
    std::vector<ViewPtr> reachedThrough;
    bool reaches(const View& view) const {
        for (const View* v = &view; v; v = v->superview()) {
            if (std::any_of(reachedThrough.begin(), reachedThrough.end(),
                            [v](const ViewPtr& through) { return through.get() == v; }))
                return true;
        }
        return false;
    }
};

// Offers a key to the views inside `covered` that clicks reach through every
// one of the covers over it.
bool offerThroughCovers(View& covered, const std::vector<const Cover*>& covers, const KeyPress& press) {
    for (const ViewPtr& through : covers.front()->reachedThrough) {
        if (!through || !through->isDescendantOfView(&covered)) continue;
        if (!std::all_of(covers.begin(), covers.end(), [&](const Cover* c) { return c->reaches(*through); })) continue;
        bool shown = true;
        for (const View* v = through.get(); v && shown; v = v == &covered ? nullptr : v->superview())
            shown = takesInput(*v);
        if (shown && through->performKeyEquivalent(press)) return true;
    }
    return false;
}

}  // namespace

bool View::performKeyEquivalent(const KeyPress& press) {
    ViewPtr keepAlive = weak_from_this().lock();
    // A handler may change the tree; walk a copy.
    std::vector<ViewPtr> children = subviews();
    // Keys go where a click could: the frames of the children in front that
    // take touches hide the children wholly behind them (a card open over a
    // grid) but for the views the covering child lets touches through to,
    // and a clipping view's children scrolled out of it are not on screen.
    std::vector<Cover> covers;
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        View& child = **it;
        if (!takesInput(child)) continue;
        const graphics::Rect frame = child.frame();
        if (clipsToBounds() && !frame.intersects(bounds())) continue;
        std::vector<const Cover*> over;
        for (const Cover& cover : covers) {
            if (cover.frame.contains(frame)) over.push_back(&cover);
        }
        if (!over.empty()) {
            if (offerThroughCovers(child, over, press)) return true;
            continue;
        }
        if (child.performKeyEquivalent(press)) return true;
        if (!frame.isEmpty()) covers.push_back(Cover{frame, child.viewsReachedThrough()});
    }
    if (handleKeyEquivalent(press)) return true;
    // The screen whose view this is: its key commands come after its views'.
    return viewController_ && viewController_->keyCommand(press);
}

}  // namespace ui
