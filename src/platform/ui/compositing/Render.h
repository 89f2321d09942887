#pragma once

// The compositor: draws a view tree as it is on screen (presentation values,
// so running animations show at the main run loop's current time).
//
// Each layer is flattened onto its superlayer: its 3D transform is taken on
// its z = 0 plane, which a projective 2D transform expresses exactly. A
// subtree with an opacity below one is drawn offscreen and blended as one
// (group opacity), as is a layer with a shadow, whose shadow is the blurred
// coverage of the whole subtree. Drawn contents are cached in the layers:
// drawRect runs only for views marked with setNeedsDisplay.

#include "platform/graphics/Image.h"

#include <QImage>
#include <QTransform>
#include <cstdint>
#include <map>
#include <memory>
#include <utility>

class QPainter;

namespace graphics {
class GraphicsContext;
}

namespace ui {

class View;
struct LayerState;

namespace detail {
class DisplayList;
}

// Lays out the tree where marked and redraws stale contents (drawRect) at
// `scale` pixels per point. Hidden subtrees wait until they are shown.
void prepareForRendering(View& view, double scale);

class Compositor {
public:
    Compositor();
    ~Compositor();
    Compositor(const Compositor&) = delete;
    Compositor& operator=(const Compositor&) = delete;

    // Prepares the tree and renders the view with everything in it into an
    // image of its bounds size at `scale`. The view's own position and
    // transform do not apply: its bounds' top left is the image's.
    graphics::Image render(View& view, double scale);
    // Prepares the tree and renders it through a painter whose transform
    // maps points onto its device, the view's bounds' top left at the
    // painter's origin; drawn contents get `scale` pixels per point. For a
    // window host drawing frame after frame: the compositor keeps the last
    // frame and redraws only the pixels where something changed since.
    void render(View& view, QPainter& painter, double scale);

private:
    friend void renderViewInContext(View& view, graphics::GraphicsContext& context);
    struct Frame;
    void draw(View& view, QPainter& painter, double scale, bool keepFrame);
    void recordTree(Frame& frame, View& view, const LayerState& state, const QTransform& parentToDevice,
                    const QTransform& toDevice);
    void recordGroup(Frame& frame, View& view, const LayerState& state, const QTransform& parentToDevice,
                     const QTransform& toDevice, double opacity, bool shadow);
    // A layer in a fade transition: its new picture cross-dissolved with the
    // snapshot of the old one, blended as one.
    void recordFade(Frame& frame, View& view, const LayerState& state, const QTransform& toDevice, double opacity,
                    const graphics::Image& snapshot, double fraction);
    void recordLayer(Frame& frame, View& view, const LayerState& state, const QTransform& toDevice);
    void recordContents(Frame& frame, View& view, const LayerState& state, const QTransform& toDevice);
    // Contents in a form QPainter draws fast (premultiplied, upright),
    // converted once per image and kept while the image is in use.
    const QImage& drawable(const graphics::Image& image);
    void dropUnusedImages();

    struct CachedImage {
        QImage bitmap;
        uint64_t lastUse = 0;
    };
    std::map<std::pair<int64_t, int>, CachedImage> images_;
    uint64_t frameNumber_ = 0;
    // The last kept frame in device pixels and the commands that drew it.
    QImage keptFrame_;
    std::unique_ptr<detail::DisplayList> keptList_;
};

// Renders with a compositor kept for the main thread.
graphics::Image renderView(View& view, double scale = 1.0);

// Draws the view's tree into a graphics context at the context's current
// transform, in the view's bounds coordinates (a layer rendering itself into
// a context).
void renderViewInContext(View& view, graphics::GraphicsContext& context);

}  // namespace ui
