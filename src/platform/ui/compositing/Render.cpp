#include "platform/ui/compositing/Render.h"

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/View.h"
#include "platform/ui/compositing/DisplayList.h"
#include "platform/ui/compositing/Transition.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace ui {

using graphics::Transform3D;

namespace {

// Pixels of a group buffer: the real screen has no more than this, and a
// runaway transform must not ask for gigabytes.
constexpr double kMaxBufferSide = 8192;

// The transform on the layer's z = 0 plane: rows x, y and the translation
// row, columns x, y and w (z is dropped: each layer is flattened).
QTransform flatten(const Transform3D& t) {
    return QTransform(t.m11, t.m12, t.m14, t.m21, t.m22, t.m24, t.m41, t.m42, t.m44);
}

// False when part of the rectangle lands at or behind the eye, where a
// projective transform no longer describes what would be seen.
bool inFrontOfEye(const QTransform& t, const graphics::Rect& r) {
    if (!t.isAffine() || t.m33() != 1) {
        const double xs[2] = {r.minX(), r.maxX()}, ys[2] = {r.minY(), r.maxY()};
        for (double x : xs)
            for (double y : ys)
                if (t.m13() * x + t.m23() * y + t.m33() <= 1e-9) return false;
    }
    return true;
}

// False for a single-sided layer whose back faces the viewer: its corners
// land on the device in mirrored order (the projected area turns negative).
bool showsFace(const LayerState& s, const QTransform& toDevice) {
    if (s.doubleSided) return true;
    const graphics::Rect& r = s.bounds;
    const QPointF a = toDevice.map(QPointF(r.minX(), r.minY()));
    const QPointF b = toDevice.map(QPointF(r.maxX(), r.minY()));
    const QPointF c = toDevice.map(QPointF(r.minX(), r.maxY()));
    const double area = (b.x() - a.x()) * (c.y() - a.y()) - (b.y() - a.y()) * (c.x() - a.x());
    return area >= 0;
}

QRectF toQRect(const graphics::Rect& r) { return QRectF(r.origin.x, r.origin.y, r.size.width, r.size.height); }

bool isVisibleColor(const graphics::Color& c) { return c.alpha() > 0; }

// The background's (and border's and mask's) outline.
QPainterPath shapeOf(const LayerState& s, double inset = 0) {
    QPainterPath path;
    QRectF r = toQRect(s.bounds).adjusted(inset, inset, -inset, -inset);
    double radius = std::max(0.0, std::min({s.cornerRadius - inset, r.width() / 2, r.height() / 2}));
    if (radius > 0)
        path.addRoundedRect(r, radius, radius);
    else
        path.addRect(r);
    return path;
}

QBrush brushFor(const graphics::Color& color, const graphics::Rect& bounds) {
    if (auto tile = color.patternImage(); tile && !tile->isNull()) {
        QBrush brush(tile->normalized().bitmap());
        // Tiles start at the layer's top left, one tile pixel per point at the image's scale.
        QTransform t = QTransform::fromScale(1 / tile->scale(), 1 / tile->scale());
        t.translate(bounds.origin.x * tile->scale(), bounds.origin.y * tile->scale());
        brush.setTransform(t);
        return brush;
    }
    return QBrush(color.toQColor());
}

bool drawsAnything(const View& view) {
    const LayerState& s = view.layer().model();
    return !s.hidden;
}

// The device area a layer's subtree can touch (bounds, contents placed by
// the content mode, sublayers unless masked, shadows); for sizing group buffers.
QRectF subtreeArea(const View& view, const LayerState& s, const QTransform& toDevice, double time) {
    QRectF local = toQRect(s.bounds);
    if (const auto& contents = view.layer().contents(); contents && !contents->isNull() && !s.masksToBounds)
        local = local.united(toQRect(contentRect(view.contentMode(), s.bounds, contents->size())));
    QRectF area = toDevice.mapRect(local);
    if (!s.masksToBounds) {
        for (const ViewPtr& child : view.subviews()) {
            if (!drawsAnything(*child)) continue;
            LayerState cs = child->layer().presentationAt(time);
            if (cs.hidden || cs.opacity <= 0) continue;
            QTransform childToDevice = flatten(transformToSuperlayer(cs, &s)) * toDevice;
            if (!inFrontOfEye(childToDevice, cs.bounds) || !showsFace(cs, childToDevice)) continue;
            area = area.united(subtreeArea(*child, cs, childToDevice, time));
        }
    }
    if (s.shadowOpacity > 0) {
        double spread = std::sqrt(std::fabs(toDevice.determinant())) * (s.shadowRadius * 2 + 1);
        QPointF offset =
            toDevice.map(QPointF(s.shadowOffset.width, s.shadowOffset.height)) - toDevice.map(QPointF(0, 0));
        area = area.united(area.translated(offset)).adjusted(-spread, -spread, spread, spread);
    }
    return area;
}

}  // namespace

// ---- preparing -------------------------------------------------------------------

void prepareForRendering(View& view, double scale) {
    view.layoutIfNeeded();
    if (view.isHidden()) return;
    view.displayIfNeeded(scale);
    // Held by reference while drawing: a drawRect that changes the tree
    // must not leave us with a view that is gone.
    std::vector<ViewPtr> pending(view.subviews().rbegin(), view.subviews().rend());
    while (!pending.empty()) {
        ViewPtr v = std::move(pending.back());
        pending.pop_back();
        if (v->isHidden()) continue;
        v->displayIfNeeded(scale);
        pending.insert(pending.end(), v->subviews().rbegin(), v->subviews().rend());
    }
}

// ---- compositing -----------------------------------------------------------------

Compositor::Compositor() = default;
Compositor::~Compositor() = default;

using detail::DisplayItem;

struct Compositor::Frame {
    double time = 0;
    detail::DisplayList list;
    // Opacity of what is drawn now, within the group being recorded.
    double opacity = 1;
    // The part of the current group's device still to be drawn, in its pixels.
    QRectF deviceClip;

    DisplayItem& add(DisplayItem::Kind kind, const QTransform& transform) {
        DisplayItem& item = list.items.emplace_back();
        item.kind = kind;
        item.transform = transform;
        item.opacity = opacity;
        return item;
    }
};

graphics::Image Compositor::render(View& view, double scale) {
    if (!(scale > 0) || !std::isfinite(scale)) scale = 1;
    graphics::Size size = view.bounds().size;
    int width = static_cast<int>(std::ceil(std::max(0.0, size.width) * scale - 1e-9));
    int height = static_cast<int>(std::ceil(std::max(0.0, size.height) * scale - 1e-9));
    if (width <= 0 || height <= 0) {
        prepareForRendering(view, scale);
        return graphics::Image();
    }
    QImage bitmap(width, height, QImage::Format_ARGB32_Premultiplied);
    if (bitmap.isNull()) return graphics::Image();  // more pixels than memory allows
    bitmap.fill(Qt::transparent);
    {
        QPainter painter(&bitmap);
        painter.scale(scale, scale);
        draw(view, painter, scale, false);
    }
    return graphics::Image(std::move(bitmap), scale);
}

void Compositor::render(View& view, QPainter& painter, double scale) { draw(view, painter, scale, true); }

void Compositor::draw(View& view, QPainter& painter, double scale, bool keepFrame) {
    prepareForRendering(view, scale);
    ++frameNumber_;
    Frame frame;
    frame.time = foundation::RunLoop::main().now();
    frame.deviceClip = QRectF(0, 0, painter.device()->width(), painter.device()->height());
    // Recorded in real device pixels, so that groups and shadows get the
    // full resolution of a high-density device.
    const QTransform base = painter.deviceTransform();
    if (painter.hasClipping())
        frame.deviceClip = frame.deviceClip.intersected(base.mapRect(painter.clipBoundingRect()));
    const double pixelRatio = painter.device()->devicePixelRatio();
    if (pixelRatio > 0 && pixelRatio != 1)
        frame.list.rootTransform = QTransform::fromScale(1 / pixelRatio, 1 / pixelRatio);

    LayerState state = view.layer().presentationAt(frame.time);
    graphics::Rect b = state.bounds;
    QTransform toDevice = QTransform::fromTranslate(-b.origin.x, -b.origin.y) * base;
    recordTree(frame, view, state, base, toDevice);
    dropUnusedImages();

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    if (!keepFrame) {
        detail::paintOffThread(painter, [&] { frame.list.play(painter); });
        painter.restore();
        return;
    }

    // Only what changed since the kept frame is drawn again, into the kept
    // frame; then the whole frame goes to the painter.
    const QSize deviceSize(painter.device()->width(), painter.device()->height());
    std::optional<QRegion> damage;
    if (keptList_ && keptFrame_.size() == deviceSize) damage = frame.list.damageSince(*keptList_);
    if (!damage || keptFrame_.isNull()) {
        keptFrame_ = QImage(deviceSize, QImage::Format_ARGB32_Premultiplied);
        damage = QRegion(keptFrame_.rect());
    }
    *damage &= QRegion(keptFrame_.rect());
    const QTransform rootTransform = frame.list.rootTransform;
    detail::paintOffThread(painter, [&] {
        if (!damage->isEmpty() && !keptFrame_.isNull()) {
            QPainter kept(&keptFrame_);
            kept.setRenderHints(painter.renderHints());
            kept.setClipRegion(*damage);
            kept.setCompositionMode(QPainter::CompositionMode_Source);
            kept.fillRect(damage->boundingRect(), Qt::transparent);
            kept.setCompositionMode(QPainter::CompositionMode_SourceOver);
            // The kept frame is plain device pixels, with no pixel ratio to undo.
            frame.list.rootTransform = QTransform();
            frame.list.play(kept, &*damage);
            frame.list.rootTransform = rootTransform;
        }
        painter.setTransform(rootTransform);
        painter.drawImage(QPointF(0, 0), keptFrame_);
    });
    painter.restore();
    keptList_ = std::make_unique<detail::DisplayList>(std::move(frame.list));
}

void Compositor::recordTree(Frame& frame, View& view, const LayerState& state, const QTransform& parentToDevice,
                            const QTransform& toDevice) {
    double opacity = std::clamp(state.opacity, 0.0, 1.0);
    if (state.hidden || opacity <= 0) return;
    if (const FadeTransition* fade = fadeTransitionOf(view.layer())) {
        if (auto fraction = fade->fractionAt(frame.time); fraction && !fade->snapshot.isNull()) {
            recordFade(frame, view, state, toDevice, opacity, fade->snapshot, *fraction);
            return;
        }
    }

    const bool shadow = state.shadowOpacity > 0 && isVisibleColor(state.shadowColor);
    // Opacity belongs to the layer as a whole: where its own parts or its
    // sublayers overlap, they must not show through each other.
    int parts = 0;
    if (state.backgroundColor && isVisibleColor(*state.backgroundColor)) ++parts;
    if (view.layer().contents()) ++parts;
    if (state.borderWidth > 0) ++parts;
    for (const ViewPtr& child : view.subviews()) {
        if (parts > 1) break;
        if (drawsAnything(*child)) ++parts;
    }
    if (shadow || (opacity < 1 && parts > 1)) {
        recordGroup(frame, view, state, parentToDevice, toDevice, opacity, shadow);
        return;
    }
    const double before = frame.opacity;
    frame.opacity = before * opacity;
    recordLayer(frame, view, state, toDevice);
    frame.opacity = before;
}

void Compositor::recordGroup(Frame& frame, View& view, const LayerState& state, const QTransform& parentToDevice,
                             const QTransform& toDevice, double opacity, bool shadow) {
    QRectF reach = frame.deviceClip;
    QPointF shadowOffset;
    double blur = 0;
    if (shadow) {
        shadowOffset = parentToDevice.map(QPointF(state.shadowOffset.width, state.shadowOffset.height)) -
                       parentToDevice.map(QPointF(0, 0));
        blur = state.shadowRadius * std::sqrt(std::fabs(parentToDevice.determinant()));
        // What lies just outside can still cast its shadow inside.
        double spread = 2 * blur + 1;
        reach = reach.united(reach.translated(-shadowOffset)).adjusted(-spread, -spread, spread, spread);
    }
    QRect area = subtreeArea(view, state, toDevice, frame.time).intersected(reach).toAlignedRect();
    if (area.isEmpty() || area.width() > kMaxBufferSide || area.height() > kMaxBufferSide) return;

    DisplayItem& group = frame.add(DisplayItem::Kind::BeginGroup, QTransform());
    group.opacity = frame.opacity * opacity;
    group.area = area;
    group.shadow = shadow;
    if (shadow) {
        group.shadowColor = state.shadowColor.toQColor();
        group.shadowOpacity = std::min(1.0, state.shadowOpacity);
        group.shadowBlur = blur;
        group.shadowOffset = shadowOffset;
    }

    const double savedOpacity = frame.opacity;
    const QRectF savedClip = frame.deviceClip;
    frame.opacity = 1;
    frame.deviceClip = QRectF(0, 0, area.width(), area.height());
    recordLayer(frame, view, state, toDevice * QTransform::fromTranslate(-area.x(), -area.y()));
    frame.opacity = savedOpacity;
    frame.deviceClip = savedClip;
    frame.add(DisplayItem::Kind::EndGroup, QTransform());
}

void Compositor::recordFade(Frame& frame, View& view, const LayerState& state, const QTransform& toDevice,
                            double opacity, const graphics::Image& snapshot, double fraction) {
    QRectF reach = subtreeArea(view, state, toDevice, frame.time).united(toDevice.mapRect(toQRect(state.bounds)));
    QRect area = reach.intersected(frame.deviceClip).toAlignedRect();
    if (area.isEmpty() || area.width() > kMaxBufferSide || area.height() > kMaxBufferSide) return;

    DisplayItem& group = frame.add(DisplayItem::Kind::BeginGroup, QTransform());
    group.opacity = frame.opacity * opacity;
    group.area = area;
    const double savedOpacity = frame.opacity;
    const QRectF savedClip = frame.deviceClip;
    frame.opacity = 1;
    frame.deviceClip = QRectF(0, 0, area.width(), area.height());
    const QTransform inGroup = toDevice * QTransform::fromTranslate(-area.x(), -area.y());
    // new·f + old·(1 − f) on a clear buffer: opaque stays opaque throughout.
    if (fraction > 0) recordGroup(frame, view, state, inGroup, inGroup, fraction, false);
    // The old picture's weight goes into its pixels: an added image drawn at
    // an opacity would saturate before it is weighed.
    QImage faded = drawable(snapshot).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    {
        QPainter weigh(&faded);
        weigh.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        weigh.fillRect(faded.rect(), QColor(0, 0, 0, static_cast<int>(std::lround((1 - fraction) * 255))));
    }
    DisplayItem& old = frame.add(DisplayItem::Kind::DrawImage, inGroup);
    old.rect = toQRect(state.bounds);
    old.image = std::move(faded);
    old.additive = true;
    frame.opacity = savedOpacity;
    frame.deviceClip = savedClip;
    frame.add(DisplayItem::Kind::EndGroup, QTransform());
}

void Compositor::recordLayer(Frame& frame, View& view, const LayerState& state, const QTransform& toDevice) {
    const bool rounded = state.cornerRadius > 0;
    if (state.backgroundColor && isVisibleColor(*state.backgroundColor)) {
        if (rounded) {
            DisplayItem& fill = frame.add(DisplayItem::Kind::FillPath, toDevice);
            fill.path = shapeOf(state);
            fill.brush = brushFor(*state.backgroundColor, state.bounds);
        } else {
            DisplayItem& fill = frame.add(DisplayItem::Kind::FillRect, toDevice);
            fill.rect = toQRect(state.bounds);
            fill.brush = brushFor(*state.backgroundColor, state.bounds);
        }
    }

    const bool hasChildren = !view.subviews().empty();
    if (view.layer().contents() || hasChildren) {
        const bool clips = state.masksToBounds;
        if (clips) {
            if (rounded) {
                frame.add(DisplayItem::Kind::ClipPath, toDevice).path = shapeOf(state);
            } else {
                frame.add(DisplayItem::Kind::ClipRect, toDevice).rect = toQRect(state.bounds);
            }
        }
        recordContents(frame, view, state, toDevice);
        if (hasChildren) {
            QRectF savedClip = frame.deviceClip;
            if (clips) frame.deviceClip = frame.deviceClip.intersected(toDevice.mapRect(toQRect(state.bounds)));
            for (const ViewPtr& child : view.subviews()) {
                if (!drawsAnything(*child)) continue;
                LayerState childState = child->layer().presentationAt(frame.time);
                if (childState.hidden || childState.opacity <= 0) continue;
                QTransform childToDevice = flatten(transformToSuperlayer(childState, &state)) * toDevice;
                if (!inFrontOfEye(childToDevice, childState.bounds) || !showsFace(childState, childToDevice)) continue;
                if (childState.masksToBounds && childState.shadowOpacity <= 0 &&
                    !childToDevice.mapRect(toQRect(childState.bounds)).intersects(frame.deviceClip))
                    continue;
                recordTree(frame, *child, childState, toDevice, childToDevice);
            }
            frame.deviceClip = savedClip;
        }
        if (clips) frame.add(DisplayItem::Kind::Restore, QTransform());
    }

    if (state.borderWidth > 0 && isVisibleColor(state.borderColor)) {
        // The border lies inside the bounds, over the contents and sublayers.
        double width = std::min({state.borderWidth, state.bounds.size.width / 2, state.bounds.size.height / 2});
        if (width > 0) {
            DisplayItem& border = frame.add(DisplayItem::Kind::StrokePath, toDevice);
            border.path = shapeOf(state, width / 2);
            border.pen = QPen(brushFor(state.borderColor, state.bounds), width);
            border.pen.setJoinStyle(Qt::MiterJoin);
        }
    }
}

void Compositor::recordContents(Frame& frame, View& view, const LayerState& state, const QTransform& toDevice) {
    const auto& contents = view.layer().contents();
    if (!contents || contents->isNull()) return;
    QRectF target = toQRect(contentRect(view.contentMode(), state.bounds, contents->size()));
    if (target.isEmpty()) return;
    DisplayItem& image = frame.add(DisplayItem::Kind::DrawImage, toDevice);
    image.rect = target;
    image.image = drawable(*contents);
}

const QImage& Compositor::drawable(const graphics::Image& image) {
    const QImage& source = image.bitmap();
    auto key = std::make_pair(static_cast<int64_t>(source.cacheKey()), static_cast<int>(image.orientation()));
    auto it = images_.find(key);
    if (it == images_.end()) {
        QImage upright = image.normalized().bitmap();
        QImage::Format format = upright.format();
        if (format != QImage::Format_ARGB32_Premultiplied && format != QImage::Format_RGB32)
            upright = upright.convertToFormat(upright.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                                        : QImage::Format_RGB32);
        it = images_.emplace(key, CachedImage{std::move(upright), 0}).first;
    }
    it->second.lastUse = frameNumber_;
    return it->second.bitmap;
}

void Compositor::dropUnusedImages() {
    // Images unused in the last few frames are gone from the tree (or hidden);
    // their source pixels are kept alive by our copy otherwise.
    for (auto it = images_.begin(); it != images_.end();) {
        if (frameNumber_ - it->second.lastUse > 2)
            it = images_.erase(it);
        else
            ++it;
    }
}

// ---- shortcuts ----------------------------------------------------------------------

namespace {

Compositor& mainCompositor() {
    static Compositor compositor;
    return compositor;
}

}  // namespace

graphics::Image renderView(View& view, double scale) { return mainCompositor().render(view, scale); }

void renderViewInContext(View& view, graphics::GraphicsContext& context) {
    QPainter& painter = context.painter();
    // The painter carries the context's user space; the pixel density of the
    // contents follows the context's scale.
    mainCompositor().draw(view, painter, context.scale(), false);
}

}  // namespace ui
