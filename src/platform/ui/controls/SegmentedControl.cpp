#include "platform/ui/controls/SegmentedControl.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Path.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/controls/Label.h"

#include <algorithm>
#include <stdexcept>

namespace ui {

using graphics::Color;
using graphics::Point;
using graphics::Rect;
using graphics::Size;

namespace {

constexpr double kCornerRadius = 4;
constexpr double kBorderWidth = 1;
constexpr double kTitlePadding = 12;

}  // namespace

SegmentedControl::SegmentedControl() {
    setDrawsContent(true);
    setOpaque(false);
    setContentMode(ContentMode::Redraw);
}

SegmentedControl::SegmentedControl(const std::vector<std::string>& items) : SegmentedControl() {
    for (const std::string& title : items) segments_.push_back(Segment{title, {}, true, 0});
    Size size = sizeThatFits(Size{});
    setFrame(Rect(0, 0, size.width, size.height));
}

const SegmentedControl::Segment& SegmentedControl::segment(size_t index) const {
    if (index >= segments_.size())
        throw std::out_of_range("SegmentedControl: segment " + std::to_string(index) + " of " +
                                std::to_string(segments_.size()));
    return segments_[index];
}

SegmentedControl::Segment& SegmentedControl::segment(size_t index) {
    return const_cast<Segment&>(static_cast<const SegmentedControl*>(this)->segment(index));
}

void SegmentedControl::insertSegment(Segment item, size_t index) {
    index = std::min(index, segments_.size());
    segments_.insert(segments_.begin() + static_cast<std::ptrdiff_t>(index), std::move(item));
    // The selection stays on the same segment.
    if (selected_ != kNoSegment && static_cast<size_t>(selected_) >= index) ++selected_;
    setNeedsDisplay();
}

void SegmentedControl::insertSegmentWithTitle(const std::string& title, size_t atIndex, bool) {
    insertSegment(Segment{title, {}, true, 0}, atIndex);
}

void SegmentedControl::insertSegmentWithImage(const graphics::Image& image, size_t atIndex, bool) {
    insertSegment(Segment{{}, image, true, 0}, atIndex);
}

void SegmentedControl::removeSegmentAtIndex(size_t index, bool) {
    segment(index);
    segments_.erase(segments_.begin() + static_cast<std::ptrdiff_t>(index));
    if (selected_ == static_cast<int>(index))
        selected_ = kNoSegment;
    else if (selected_ > static_cast<int>(index))
        --selected_;
    pressed_ = kNoSegment;
    setNeedsDisplay();
}

void SegmentedControl::removeAllSegments() {
    segments_.clear();
    selected_ = kNoSegment;
    pressed_ = kNoSegment;
    setNeedsDisplay();
}

void SegmentedControl::setTitle(const std::string& title, size_t forSegmentAtIndex) {
    Segment& s = segment(forSegmentAtIndex);
    s.title = title;
    s.image = graphics::Image();
    setNeedsDisplay();
}

const std::string& SegmentedControl::titleForSegmentAtIndex(size_t index) const { return segment(index).title; }

void SegmentedControl::setImage(const graphics::Image& image, size_t forSegmentAtIndex) {
    Segment& s = segment(forSegmentAtIndex);
    s.image = image;
    s.title.clear();
    setNeedsDisplay();
}

const graphics::Image& SegmentedControl::imageForSegmentAtIndex(size_t index) const { return segment(index).image; }

void SegmentedControl::setEnabledForSegmentAtIndex(bool enabled, size_t forSegmentAtIndex) {
    segment(forSegmentAtIndex).enabled = enabled;
    setNeedsDisplay();
}

bool SegmentedControl::isEnabledForSegmentAtIndex(size_t index) const { return segment(index).enabled; }

void SegmentedControl::setWidth(double width, size_t forSegmentAtIndex) {
    segment(forSegmentAtIndex).width = std::max(0.0, width);
    setNeedsDisplay();
}

double SegmentedControl::widthForSegmentAtIndex(size_t index) const { return segment(index).width; }

void SegmentedControl::setSelectedSegmentIndex(int index) {
    if (index != kNoSegment && (index < 0 || static_cast<size_t>(index) >= segments_.size()))
        throw std::out_of_range("SegmentedControl: cannot select segment " + std::to_string(index) + " of " +
                                std::to_string(segments_.size()));
    selected_ = index;
    setNeedsDisplay();
}

void SegmentedControl::setMomentary(bool momentary) {
    momentary_ = momentary;
    setNeedsDisplay();
}

// ---- geometry -----------------------------------------------------------------------------

std::vector<Rect> SegmentedControl::segmentRects() const {
    std::vector<Rect> rects;
    if (segments_.empty()) return rects;
    Rect b = bounds();
    double fixed = 0;
    size_t flexible = 0;
    for (const Segment& s : segments_) {
        if (s.width > 0)
            fixed += s.width;
        else
            ++flexible;
    }
    double share = flexible ? std::max(0.0, b.size.width - fixed) / static_cast<double>(flexible) : 0;
    double x = b.origin.x;
    for (const Segment& s : segments_) {
        double w = s.width > 0 ? s.width : share;
        rects.emplace_back(x, b.origin.y, w, b.size.height);
        x += w;
    }
    return rects;
}

int SegmentedControl::segmentAtPoint(Point point) const {
    auto rects = segmentRects();
    for (size_t i = 0; i < rects.size(); ++i) {
        if (rects[i].contains(point)) return static_cast<int>(i);
    }
    return kNoSegment;
}

Size SegmentedControl::sizeThatFits(Size) const {
    // Flexible segments are as wide as the widest content among them.
    double widest = 0, fixed = 0;
    size_t flexible = 0;
    for (const Segment& s : segments_) {
        double content = !s.image.isNull() ? s.image.size().width : font_.sizeOfText(s.title).width;
        if (s.width > 0) {
            fixed += s.width;
        } else {
            widest = std::max(widest, content + 2 * kTitlePadding);
            ++flexible;
        }
    }
    return Size{fixed + widest * static_cast<double>(flexible), kHeight};
}

// ---- drawing ---------------------------------------------------------------------------------

void SegmentedControl::drawRect(graphics::GraphicsContext& context, const Rect&) {
    Rect b = bounds();
    if (b.size.width <= kBorderWidth || b.size.height <= kBorderWidth) return;
    Color tint = isEnabled() ? tintColor() : Color::grey(0.56);
    Rect outline = b.insetBy(kBorderWidth / 2, kBorderWidth / 2);
    graphics::Path shape = graphics::Path::roundedRect(outline, kCornerRadius);
    auto rects = segmentRects();
    context.saveGState();
    context.clipToPath(shape);
    for (size_t i = 0; i < rects.size(); ++i) {
        const Segment& s = segments_[i];
        bool chosen = static_cast<int>(i) == (pressed_ != kNoSegment && momentary_ ? pressed_ : selected_);
        bool pressed = static_cast<int>(i) == pressed_;
        if (chosen) {
            context.setFillColor(tint);
            context.fillRect(rects[i]);
        } else if (pressed) {
            context.setFillColor(tint.withAlpha(0.15));
            context.fillRect(rects[i]);
        }
        Color ink = chosen ? Color::white() : tint;
        if (!s.enabled) ink = ink.withAlpha(ink.alpha() * 0.35);
        if (!s.image.isNull()) {
            Size size = s.image.size();
            Rect at(rects[i].midX() - size.width / 2, rects[i].midY() - size.height / 2, size.width, size.height);
            if (rendersAsTemplate(s.image, true))
                context.drawImage(tintedTemplateImage(s.image, ink), at);
            else
                context.drawImage(s.image, at);
        } else if (!s.title.empty()) {
            Rect box = rects[i].insetBy(4, 0);
            if (box.isNull()) continue;
            LabelTextLayout layout =
                layoutLabelText(s.title, font_, box.size.width, 1, graphics::LineBreakMode::TruncateTail);
            double top = box.midY() - layout.lineHeight / 2;
            context.setFillColor(ink);
            drawLabelText(context, layout, Rect(box.origin.x, top, box.size.width, layout.lineHeight), font_,
                          graphics::TextAlignment::Center);
        }
    }
    context.restoreGState();
    // Dividers and the outline on top.
    context.setStrokeColor(tint);
    context.setLineWidth(kBorderWidth);
    for (size_t i = 1; i < rects.size(); ++i) {
        double x = rects[i].origin.x;
        context.strokeLine(Point{x, b.minY()}, Point{x, b.maxY()});
    }
    context.strokePathWithContextSettings(shape);
}

// ---- tracking -----------------------------------------------------------------------------------

int SegmentedControl::choosableSegmentAt(Point point) const {
    int index = segmentAtPoint(point);
    if (index == kNoSegment || !segments_[static_cast<size_t>(index)].enabled) return kNoSegment;
    return index;
}

bool SegmentedControl::beginTrackingWithTouch(const Touch& touch, const Event&) {
    pressed_ = choosableSegmentAt(touch.locationInView(this));
    setNeedsDisplay();
    return true;
}

bool SegmentedControl::continueTrackingWithTouch(const Touch& touch, const Event&) {
    int under = choosableSegmentAt(touch.locationInView(this));
    if (under != pressed_) {
        pressed_ = under;
        setNeedsDisplay();
    }
    return true;
}

void SegmentedControl::endTrackingWithTouch(const Touch& touch, const Event&) {
    int chosen = choosableSegmentAt(touch.locationInView(this));
    pressed_ = kNoSegment;
    setNeedsDisplay();
    if (chosen == kNoSegment) return;
    if (momentary_) {
        // The actions see the segment chosen; afterwards nothing stays selected.
        selected_ = chosen;
        sendActionsForControlEvents(ControlEventValueChanged);
        selected_ = kNoSegment;
        return;
    }
    if (chosen == selected_) return;
    selected_ = chosen;
    sendActionsForControlEvents(ControlEventValueChanged);
}

void SegmentedControl::cancelTrackingWithEvent(const Event*) {
    pressed_ = kNoSegment;
    setNeedsDisplay();
}

}  // namespace ui
