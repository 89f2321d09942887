#pragma once

// The visual state of a view: geometry, transform, opacity, colours, corner
// radius, border, shadow and the drawn contents, plus the animations that run
// on them. Every view has exactly one layer; the view's geometry accessors
// read and write it (centre = position, alpha = opacity, transform = the
// affine part of the 3D transform).
//
// Model values change at once. Animations never change the model: they are
// applied on top of it when the presentation state is read, at the main run
// loop's current time, so a test can read an animated value at any moment of
// the virtual clock and the compositor always draws what is on screen.

#include "platform/foundation/Timer.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/Transform3D.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace ui {

class View;
class Animation;

// A value that an animation can interpolate.
using AnimatableValue =
    std::variant<double, graphics::Point, graphics::Size, graphics::Rect, graphics::Transform3D, graphics::Color>;

// Everything the compositor needs to draw one layer.
struct LayerState {
    graphics::Rect bounds;
    graphics::Point position;
    graphics::Point anchorPoint{0.5, 0.5};
    graphics::Transform3D transform;
    // Applied to sublayers (perspective for 3D children).
    graphics::Transform3D sublayerTransform;
    double opacity = 1.0;
    bool hidden = false;
    std::optional<graphics::Color> backgroundColor;
    double cornerRadius = 0;
    double borderWidth = 0;
    graphics::Color borderColor = graphics::Color::black();
    graphics::Color shadowColor = graphics::Color::black();
    double shadowOpacity = 0;
    graphics::Size shadowOffset{0, -3};
    double shadowRadius = 3;
    bool masksToBounds = false;
    // False: the layer is not drawn while its back faces the viewer (turned
    // more than a quarter about the x or y axis).
    bool doubleSided = true;

    // Reads or writes a property by key path: "bounds", "bounds.size",
    // "bounds.origin", "position", "position.x", "position.y", "transform",
    // "transform.scale", "transform.scale.x", "transform.scale.y",
    // "transform.rotation" (= "transform.rotation.z"), "transform.translation.x",
    // "transform.translation.y", "opacity", "backgroundColor", "cornerRadius",
    // "borderWidth", "borderColor", "shadowOpacity", "shadowRadius",
    // "shadowOffset", "shadowColor". Unknown key paths read as none and
    // writes to them are ignored.
    std::optional<AnimatableValue> valueForKeyPath(const std::string& keyPath) const;
    void setValueForKeyPath(const std::string& keyPath, const AnimatableValue& value);
};

// A layer's bounds coordinates to its superlayer's: the anchor to the origin,
// the layer's transform, then to its position; a superlayer's sublayer
// transform (perspective) acts about the superlayer's anchor. Either state,
// model or presentation.
graphics::Transform3D transformToSuperlayer(const LayerState& layer, const LayerState* superlayer);

class Layer {
public:
    explicit Layer(View* view) : view_(view) {}
    Layer(const Layer&) = delete;
    Layer& operator=(const Layer&) = delete;
    ~Layer();

    View* view() const { return view_; }

    // ---- model values ----------------------------------------------------
    const LayerState& model() const { return model_; }

    graphics::Rect bounds() const { return model_.bounds; }
    void setBounds(const graphics::Rect& bounds);
    graphics::Point position() const { return model_.position; }
    void setPosition(graphics::Point position);
    graphics::Point anchorPoint() const { return model_.anchorPoint; }
    void setAnchorPoint(graphics::Point anchorPoint);
    const graphics::Transform3D& transform() const { return model_.transform; }
    void setTransform(const graphics::Transform3D& transform);
    const graphics::Transform3D& sublayerTransform() const { return model_.sublayerTransform; }
    void setSublayerTransform(const graphics::Transform3D& transform);
    double opacity() const { return model_.opacity; }
    void setOpacity(double opacity);
    bool isHidden() const { return model_.hidden; }
    void setHidden(bool hidden);
    const std::optional<graphics::Color>& backgroundColor() const { return model_.backgroundColor; }
    void setBackgroundColor(std::optional<graphics::Color> color);
    double cornerRadius() const { return model_.cornerRadius; }
    void setCornerRadius(double radius);
    double borderWidth() const { return model_.borderWidth; }
    void setBorderWidth(double width);
    graphics::Color borderColor() const { return model_.borderColor; }
    void setBorderColor(graphics::Color color);
    graphics::Color shadowColor() const { return model_.shadowColor; }
    void setShadowColor(graphics::Color color);
    double shadowOpacity() const { return model_.shadowOpacity; }
    void setShadowOpacity(double opacity);
    graphics::Size shadowOffset() const { return model_.shadowOffset; }
    void setShadowOffset(graphics::Size offset);
    double shadowRadius() const { return model_.shadowRadius; }
    void setShadowRadius(double radius);
    bool masksToBounds() const { return model_.masksToBounds; }
    void setMasksToBounds(bool masks);
    bool isDoubleSided() const { return model_.doubleSided; }
    void setDoubleSided(bool doubleSided);

    // Any property by key path (see LayerState). Setting goes through the
    // same path as the typed setters, so it animates inside an animation block.
    std::optional<AnimatableValue> valueForKeyPath(const std::string& keyPath) const;
    void setValueForKeyPath(const std::string& keyPath, const AnimatableValue& value);

    // The drawn contents: what the view's drawRect produced, or an image set
    // directly. Drawn stretched over the bounds.
    const std::optional<graphics::Image>& contents() const { return contents_; }
    void setContents(std::optional<graphics::Image> contents);

    // ---- animations --------------------------------------------------------
    // Adds an animation under a key, replacing (and stopping) any animation
    // under the same key. An empty key makes a unique one.
    void addAnimation(std::shared_ptr<Animation> animation, const std::string& key);
    void removeAnimation(const std::string& key);
    void removeAllAnimations();
    std::shared_ptr<Animation> animation(const std::string& key) const;
    std::vector<std::string> animationKeys() const;
    bool hasAnimations() const { return !animations_.empty(); }

    // The model with every animation applied at the main run loop's current
    // time (or at `time` on that clock).
    LayerState presentation() const;
    LayerState presentationAt(double time) const;

private:
    // Records a model change: marks the view for redisplay and, inside an
    // animation block, starts the implicit animation from the presented value.
    void changed(const std::string& keyPath, const AnimatableValue& from, const AnimatableValue& to);
    // Sets an animatable model value and records the change.
    template <class T>
    void setAnimatable(T LayerState::*field, const char* keyPath, T value);
    // Sets a model value that does not animate; the view is composited again.
    template <class T>
    void setStill(T LayerState::*field, T value);
    void finishedAnimations();

    View* view_;
    LayerState model_;
    std::optional<graphics::Image> contents_;
    struct AnimationEntry {
        std::string key;
        std::shared_ptr<Animation> animation;
        // Fires at the animation's end to deliver its completion.
        foundation::TimerHandle endTimer;
    };
    // Takes an entry out and hands back its completion, if it has not run yet.
    std::function<void(bool)> detach(AnimationEntry& entry);

    // In the order added: later animations apply on top of earlier ones.
    std::vector<AnimationEntry> animations_;
    uint64_t nextAnimationKey_ = 0;
    friend class Animation;
};

}  // namespace ui
