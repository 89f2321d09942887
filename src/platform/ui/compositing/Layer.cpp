#include "platform/ui/compositing/Layer.h"

#include "platform/ui/View.h"

#include <cmath>

namespace ui {

using graphics::Color;
using graphics::Point;
using graphics::Rect;
using graphics::Size;
using graphics::Transform3D;

namespace {

// The parts of a 2D transform that the "transform.*" key paths address.
struct Decomposed {
    double scaleX = 1, scaleY = 1, rotation = 0, translateX = 0, translateY = 0;
};

Decomposed decompose(const Transform3D& t) {
    Decomposed d;
    d.scaleX = std::hypot(t.m11, t.m12);
    d.scaleY = std::hypot(t.m21, t.m22);
    d.rotation = std::atan2(t.m12, t.m11);
    d.translateX = t.m41;
    d.translateY = t.m42;
    return d;
}

Transform3D recompose(const Transform3D& original, const Decomposed& d) {
    Transform3D t = Transform3D::makeScale(d.scaleX, d.scaleY, 1);
    t = graphics::concat(t, Transform3D::makeRotation(d.rotation, 0, 0, 1));
    t = graphics::concat(t, Transform3D::makeTranslation(d.translateX, d.translateY, 0));
    // Keep the perspective and depth terms that the key paths do not address.
    t.m34 = original.m34;
    t.m43 = original.m43;
    t.m33 = original.m33;
    return t;
}

template <class T>
const T* as(const AnimatableValue& value) {
    return std::get_if<T>(&value);
}

}  // namespace

std::optional<AnimatableValue> LayerState::valueForKeyPath(const std::string& keyPath) const {
    if (keyPath == "bounds") return bounds;
    if (keyPath == "bounds.size") return bounds.size;
    if (keyPath == "bounds.origin") return bounds.origin;
    if (keyPath == "position") return position;
    if (keyPath == "position.x") return position.x;
    if (keyPath == "position.y") return position.y;
    if (keyPath == "transform") return transform;
    if (keyPath.rfind("transform.", 0) == 0) {
        Decomposed d = decompose(transform);
        if (keyPath == "transform.scale") return (d.scaleX + d.scaleY) / 2;
        if (keyPath == "transform.scale.x") return d.scaleX;
        if (keyPath == "transform.scale.y") return d.scaleY;
        if (keyPath == "transform.rotation" || keyPath == "transform.rotation.z") return d.rotation;
        if (keyPath == "transform.translation.x") return d.translateX;
        if (keyPath == "transform.translation.y") return d.translateY;
        return std::nullopt;
    }
    if (keyPath == "opacity") return opacity;
    if (keyPath == "backgroundColor") {
        if (backgroundColor) return *backgroundColor;
        return Color::clear();
    }
    if (keyPath == "cornerRadius") return cornerRadius;
    if (keyPath == "borderWidth") return borderWidth;
    if (keyPath == "borderColor") return borderColor;
    if (keyPath == "shadowOpacity") return shadowOpacity;
    if (keyPath == "shadowRadius") return shadowRadius;
    if (keyPath == "shadowOffset") return shadowOffset;
    if (keyPath == "shadowColor") return shadowColor;
    return std::nullopt;
}

void LayerState::setValueForKeyPath(const std::string& keyPath, const AnimatableValue& value) {
    if (const auto* r = as<Rect>(value); r && keyPath == "bounds")
        bounds = *r;
    else if (const auto* s = as<Size>(value); s && keyPath == "bounds.size")
        bounds.size = *s;
    else if (const auto* p = as<Point>(value); p && keyPath == "bounds.origin")
        bounds.origin = *p;
    else if (const auto* p2 = as<Point>(value); p2 && keyPath == "position")
        position = *p2;
    else if (const auto* t = as<Transform3D>(value); t && keyPath == "transform")
        transform = *t;
    else if (const auto* c = as<Color>(value); c && keyPath == "backgroundColor")
        backgroundColor = *c;
    else if (const auto* c2 = as<Color>(value); c2 && keyPath == "borderColor")
        borderColor = *c2;
    else if (const auto* c3 = as<Color>(value); c3 && keyPath == "shadowColor")
        shadowColor = *c3;
    else if (const auto* o = as<Size>(value); o && keyPath == "shadowOffset")
        shadowOffset = *o;
    else if (const auto* d = as<double>(value)) {
        if (keyPath == "position.x")
            position.x = *d;
        else if (keyPath == "position.y")
            position.y = *d;
        else if (keyPath == "opacity")
            opacity = *d;
        else if (keyPath == "cornerRadius")
            cornerRadius = *d;
        else if (keyPath == "borderWidth")
            borderWidth = *d;
        else if (keyPath == "shadowOpacity")
            shadowOpacity = *d;
        else if (keyPath == "shadowRadius")
            shadowRadius = *d;
        else if (keyPath.rfind("transform.", 0) == 0) {
            Decomposed parts = decompose(transform);
            if (keyPath == "transform.scale")
                parts.scaleX = parts.scaleY = *d;
            else if (keyPath == "transform.scale.x")
                parts.scaleX = *d;
            else if (keyPath == "transform.scale.y")
                parts.scaleY = *d;
            else if (keyPath == "transform.rotation" || keyPath == "transform.rotation.z")
                parts.rotation = *d;
            else if (keyPath == "transform.translation.x")
                parts.translateX = *d;
            else if (keyPath == "transform.translation.y")
                parts.translateY = *d;
            else
                return;
            transform = recompose(transform, parts);
        }
    }
}

Transform3D transformToSuperlayer(const LayerState& s, const LayerState* parent) {
    double anchorX = s.bounds.origin.x + s.anchorPoint.x * s.bounds.size.width;
    double anchorY = s.bounds.origin.y + s.anchorPoint.y * s.bounds.size.height;
    Transform3D t = Transform3D::makeTranslation(-anchorX, -anchorY, 0);
    if (!s.transform.isIdentity()) t = graphics::concat(t, s.transform);
    t = graphics::concat(t, Transform3D::makeTranslation(s.position.x, s.position.y, 0));
    if (parent && !parent->sublayerTransform.isIdentity()) {
        double cx = parent->bounds.origin.x + parent->anchorPoint.x * parent->bounds.size.width;
        double cy = parent->bounds.origin.y + parent->anchorPoint.y * parent->bounds.size.height;
        t = graphics::concat(t, Transform3D::makeTranslation(-cx, -cy, 0));
        t = graphics::concat(t, parent->sublayerTransform);
        t = graphics::concat(t, Transform3D::makeTranslation(cx, cy, 0));
    }
    return t;
}

// ---- model setters ------------------------------------------------------------
// Each animatable one records the change so that an animation block can animate it.

template <class T>
void Layer::setAnimatable(T LayerState::*field, const char* keyPath, T value) {
    T old = model_.*field;
    model_.*field = value;
    changed(keyPath, old, value);
}

template <class T>
void Layer::setStill(T LayerState::*field, T value) {
    model_.*field = value;
    if (view_) view_->setNeedsComposite();
}

void Layer::setBounds(const Rect& bounds) {
    if (model_.bounds == bounds) return;
    setAnimatable(&LayerState::bounds, "bounds", bounds);
}

void Layer::setPosition(Point position) {
    if (model_.position == position) return;
    setAnimatable(&LayerState::position, "position", position);
}

void Layer::setAnchorPoint(Point anchorPoint) { setStill(&LayerState::anchorPoint, anchorPoint); }

void Layer::setTransform(const Transform3D& transform) {
    if (model_.transform == transform) return;
    setAnimatable(&LayerState::transform, "transform", transform);
}

void Layer::setSublayerTransform(const Transform3D& transform) { setStill(&LayerState::sublayerTransform, transform); }

void Layer::setOpacity(double opacity) {
    if (model_.opacity == opacity) return;
    setAnimatable(&LayerState::opacity, "opacity", opacity);
}

void Layer::setHidden(bool hidden) { setStill(&LayerState::hidden, hidden); }

void Layer::setBackgroundColor(std::optional<Color> color) {
    Color old = model_.backgroundColor.value_or(Color::clear());
    model_.backgroundColor = std::move(color);
    changed("backgroundColor", old, model_.backgroundColor.value_or(Color::clear()));
}

void Layer::setCornerRadius(double radius) { setAnimatable(&LayerState::cornerRadius, "cornerRadius", radius); }

void Layer::setBorderWidth(double width) { setAnimatable(&LayerState::borderWidth, "borderWidth", width); }

void Layer::setBorderColor(Color color) { setAnimatable(&LayerState::borderColor, "borderColor", color); }

void Layer::setShadowColor(Color color) { setAnimatable(&LayerState::shadowColor, "shadowColor", color); }

void Layer::setShadowOpacity(double opacity) { setAnimatable(&LayerState::shadowOpacity, "shadowOpacity", opacity); }

void Layer::setShadowOffset(Size offset) { setAnimatable(&LayerState::shadowOffset, "shadowOffset", offset); }

void Layer::setShadowRadius(double radius) { setAnimatable(&LayerState::shadowRadius, "shadowRadius", radius); }

void Layer::setMasksToBounds(bool masks) { setStill(&LayerState::masksToBounds, masks); }
void Layer::setDoubleSided(bool doubleSided) { setStill(&LayerState::doubleSided, doubleSided); }

std::optional<AnimatableValue> Layer::valueForKeyPath(const std::string& keyPath) const {
    return model_.valueForKeyPath(keyPath);
}

void Layer::setValueForKeyPath(const std::string& keyPath, const AnimatableValue& value) {
    auto old = model_.valueForKeyPath(keyPath);
    if (!old) return;
    model_.setValueForKeyPath(keyPath, value);
    auto now = model_.valueForKeyPath(keyPath);
    changed(keyPath, *old, *now);
}

void Layer::setContents(std::optional<graphics::Image> contents) {
    contents_ = std::move(contents);
    // New pixels must reach the screen even when nothing else changed.
    if (view_) view_->setNeedsComposite();
}

}  // namespace ui
