#include "platform/ui/host/ControlMap.h"

#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/ImageName.h"
#include "platform/ui/View.h"
#include "platform/ui/compositing/Animation.h"
#include "platform/ui/compositing/Layer.h"
#include "platform/ui/compositing/Render.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/controls/SegmentedControl.h"
#include "platform/ui/text/TextField.h"
#include "platform/ui/text/TextView.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace ui {

namespace {

// The system items of bars by name, in the enumeration's order.
constexpr const char* kSystemItemNames[] = {
    "Done",    "Cancel", "Edit",   "Save",    "Add",  "FlexibleSpace", "FixedSpace", "Compose",
    "Reply",   "Action", "Organize", "Bookmarks", "Search", "Refresh", "Stop",   "Camera",
    "Trash",   "Play",   "Pause",  "Rewind",  "FastForward", "Undo",   "Redo",   "PageCurl",
};

std::string barButtonLabel(const detail::TextButtonView& button) {
    if (!button.title.empty()) return button.title;
    if (std::string name = graphics::imageName(button.image); !name.empty()) return name;
    if (!button.glyph) return {};
    const size_t index = static_cast<size_t>(*button.glyph);
    return index < std::size(kSystemItemNames) ? kSystemItemNames[index] : std::string();
}

// Views drawn alone above this many pixels are listed without their pixels.
constexpr double kMaximumPixels = 1024.0 * 1024.0;

struct Walk {
    View& root;
    const WindowPlacement& placement;
    std::vector<MappedView>& out;
    double now;

    double factor() const { return placement.scale * placement.devicePixelRatio; }

    graphics::Rect toPixels(const graphics::Rect& points) const {
        const double f = factor();
        return graphics::Rect{placement.offset.x * placement.devicePixelRatio + points.minX() * f,
                              placement.offset.y * placement.devicePixelRatio + points.minY() * f,
                              points.width() * f, points.height() * f};
    }

    // Whether the view's bounds reach the window unturned and unscaled.
    bool upright(const View& view) const {
        const graphics::Rect b = view.bounds();
        const graphics::Point o = view.convertPointToView(b.origin, &root);
        const graphics::Point right = view.convertPointToView({b.minX() + b.width(), b.minY()}, &root);
        const graphics::Point down = view.convertPointToView({b.minX(), b.minY() + b.height()}, &root);
        constexpr double kSlack = 0.01;
        return std::abs(right.x - o.x - b.width()) < kSlack && std::abs(right.y - o.y) < kSlack &&
               std::abs(down.x - o.x) < kSlack && std::abs(down.y - o.y - b.height()) < kSlack;
    }

    void add(View& view, std::string label, const char* kind, const graphics::Rect& rect,
             const graphics::Rect& clip, double opacity, bool moving) {
        if (label.empty()) return;
        MappedView entry;
        entry.view = &view;
        entry.label = std::move(label);
        entry.kind = kind;
        entry.rect = rect;
        entry.visible = rect.intersection(clip);
        if (entry.visible.isEmpty()) return;
        entry.opacity = opacity;
        entry.moving = moving;
        entry.upright = upright(view);
        if (auto* control = dynamic_cast<Control*>(&view)) {
            entry.enabled = control->isEnabled();
            entry.selected = control->isSelected();
        }
        out.push_back(std::move(entry));
    }

    void visit(View& view, double opacity, bool moving, const graphics::Rect& clip) {
        if (view.isHidden()) return;
        opacity *= view.alpha();
        if (opacity <= 0.01) return;
        moving = moving || layerIsMoving(view, now);
        const graphics::Rect rect = toPixels(view.convertRectToView(view.bounds(), &root));
        graphics::Rect inner = view.clipsToBounds() ? clip.intersection(rect) : clip;
        if (inner.isEmpty()) return;

        // Parts that a labelled view draws itself are not listed again.
        const View* skipA = nullptr;
        const View* skipB = nullptr;
        if (auto* button = dynamic_cast<Button*>(&view)) {
            std::string label = button->currentTitle();
            if (label.empty()) label = graphics::imageName(button->currentImage());
            if (label.empty()) label = graphics::imageName(button->currentBackgroundImage());
            add(view, std::move(label), "Button", rect, clip, opacity, moving);
            skipA = button->titleLabel();
            skipB = button->imageView();
        } else if (auto* barButton = dynamic_cast<detail::TextButtonView*>(&view)) {
            add(view, barButtonLabel(*barButton), "BarButton", rect, clip, opacity, moving);
            if (!out.empty() && out.back().view == &view) out.back().enabled = barButton->isEnabled();
        } else if (auto* segmented = dynamic_cast<SegmentedControl*>(&view)) {
            const std::vector<graphics::Rect> segments = segmented->segmentRects();
            for (size_t i = 0; i < segments.size(); ++i) {
                std::string label = segmented->titleForSegmentAtIndex(i);
                if (label.empty()) label = graphics::imageName(segmented->imageForSegmentAtIndex(i));
                const size_t before = out.size();
                add(view, std::move(label), "Segment", toPixels(view.convertRectToView(segments[i], &root)), clip,
                    opacity, moving);
                if (out.size() == before) continue;
                out.back().isSegment = true;
                out.back().segment = segments[i];
                out.back().enabled = segmented->isEnabled() && segmented->isEnabledForSegmentAtIndex(i);
                out.back().selected = segmented->selectedSegmentIndex() == int(i);
            }
            return;
        } else if (auto* field = dynamic_cast<TextField*>(&view)) {
            add(view, field->text().empty() ? field->placeholder() : field->text(), "TextField", rect, clip, opacity, moving);
            return;
        } else if (auto* text = dynamic_cast<TextView*>(&view)) {
            add(view, text->text(), "TextView", rect, clip, opacity, moving);
            return;
        } else if (auto* label = dynamic_cast<Label*>(&view)) {
            add(view, label->text(), "Label", rect, clip, opacity, moving);
        } else if (auto* image = dynamic_cast<ImageView*>(&view)) {
            add(view, graphics::imageName(image->image()), "ImageView", rect, clip, opacity, moving);
        }
        for (const ViewPtr& child : view.subviews()) {
            if (child.get() == skipA || child.get() == skipB) continue;
            visit(*child, opacity, moving, inner);
        }
    }
};

std::string keyOf(const std::vector<MappedView>& views) {
    std::ostringstream key;
    for (const MappedView& v : views) {
        key << v.label << '\x1f' << v.kind << '\x1f' << v.rect.toString() << v.visible.toString() << v.enabled
            << v.selected << std::lround(v.opacity * 1000) << v.upright << v.moving << '\x1e';
    }
    return key.str();
}

void rectEntries(foundation::Dictionary& entry, const char* x, const char* y, const char* width, const char* height,
                 const graphics::Rect& rect) {
    entry.set(x, rect.minX());
    entry.set(y, rect.minY());
    entry.set(width, rect.width());
    entry.set(height, rect.height());
}

// The view drawn alone over the whole window pixels its entry covers, on the
// same pixel grid as the window: a view at a fractional position is drawn
// at that position, so its edges blend as they do on screen.
QImage drawnAlone(const MappedView& v, double factor, QPoint& origin) {
    constexpr double kSlack = 1e-6;
    const int left = int(std::floor(v.rect.minX() + kSlack));
    const int top = int(std::floor(v.rect.minY() + kSlack));
    const int width = int(std::ceil(v.rect.maxX() - kSlack)) - left;
    const int height = int(std::ceil(v.rect.maxY() - kSlack)) - top;
    origin = QPoint(left, top);
    QImage image(std::max(1, width), std::max(1, height), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    // A segment's entry covers part of its control: the control's own top
    // left lies that far before it.
    const double viewX = v.rect.minX() - v.segment.minX() * factor;
    const double viewY = v.rect.minY() - v.segment.minY() * factor;
    QPainter painter(&image);
    painter.translate(viewX - left, viewY - top);
    painter.scale(factor, factor);
    Compositor().render(*v.view, painter, factor);
    return image;
}

}  // namespace

bool layerIsMoving(const View& view, double now) {
    const Layer& layer = view.layer();
    if (!layer.hasAnimations()) return false;
    for (const std::string& key : layer.animationKeys()) {
        auto animation = layer.animation(key);
        if (animation && animation->endTime() > now) return true;
    }
    return false;
}

std::vector<MappedView> mapViews(View& root, const WindowPlacement& placement) {
    std::vector<MappedView> views;
    Walk walk{root, placement, views, foundation::RunLoop::main().now()};
    walk.visit(root, 1.0, false, graphics::Rect::infinite());
    return views;
}

std::unique_ptr<ControlMap> ControlMap::fromEnvironment() {
    const char* path = std::getenv(kEnvironmentVariable);
    if (!path || !*path) return nullptr;
    return std::make_unique<ControlMap>(path);
}

ControlMap::ControlMap(std::string path) : path_(std::move(path)) {}

void ControlMap::frameShown(View& root, const WindowPlacement& placement) {
    if (pending_) return;
    pending_ = true;
    life_.performAfter(kWriteInterval, [this, &root, placement] {
        pending_ = false;
        update(root, placement);
    });
}

bool ControlMap::update(View& root, const WindowPlacement& placement) {
    std::vector<MappedView> views = mapViews(root, placement);
    std::string key = keyOf(views);
    if (key == lastKey_ && sequence_ > 0) return true;
    foundation::Status written = foundation::plist::writeFile(build(views, placement), path_,
                                                              foundation::plist::Format::Binary);
    if (!written) {
        std::fprintf(stderr, "control map: %s\n", written.error().description.c_str());
        return false;
    }
    lastKey_ = std::move(key);
    return true;
}

foundation::Value ControlMap::build(const std::vector<MappedView>& views, const WindowPlacement& placement) {
    const double factor = placement.scale * placement.devicePixelRatio;
    foundation::Array controls;
    for (const MappedView& v : views) {
        foundation::Dictionary entry;
        entry.set("label", v.label);
        entry.set("kind", v.kind);
        rectEntries(entry, "x", "y", "width", "height", v.rect);
        rectEntries(entry, "visibleX", "visibleY", "visibleWidth", "visibleHeight", v.visible);
        entry.set("enabled", v.enabled);
        entry.set("selected", v.selected);
        entry.set("opacity", v.opacity);
        entry.set("moving", v.moving);
        if (v.upright && !v.moving && v.rect.width() * v.rect.height() <= kMaximumPixels) {
            QPoint origin;
            QImage bitmap = drawnAlone(v, factor, origin).convertToFormat(QImage::Format_RGBA8888);
            const size_t row = size_t(bitmap.width()) * 4;
            foundation::Bytes pixels(row * size_t(bitmap.height()));
            for (int y = 0; y < bitmap.height(); ++y)
                std::copy_n(bitmap.constScanLine(y), row, pixels.data() + row * size_t(y));
            entry.set("pixels", std::move(pixels));
            entry.set("pixelX", origin.x());
            entry.set("pixelY", origin.y());
            entry.set("pixelWidth", bitmap.width());
            entry.set("pixelHeight", bitmap.height());
        }
        controls.push_back(std::move(entry));
    }
    foundation::Dictionary map;
    map.set("sequence", ++sequence_);
    map.set("time", foundation::RunLoop::main().now());
    map.set("windowId", static_cast<unsigned long long>(placement.windowId));
    map.set("width", placement.pixelWidth);
    map.set("height", placement.pixelHeight);
    map.set("controls", std::move(controls));
    return map;
}

}  // namespace ui
