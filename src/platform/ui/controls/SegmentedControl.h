#pragma once

// A row of segments, each with a title or an image, of which one (or none)
// is selected. Lifting the finger on an enabled segment selects it and
// sends ValueChanged when the selection changed; a momentary control
// shows the segment pressed only while the finger is down.

#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "platform/ui/controls/Control.h"

#include <string>
#include <vector>

namespace ui {

class SegmentedControl : public Control {
public:
    static constexpr int kNoSegment = -1;
    static constexpr double kHeight = 29;

    SegmentedControl();
    // One segment per title.
    explicit SegmentedControl(const std::vector<std::string>& items);

    size_t numberOfSegments() const { return segments_.size(); }
    // An index past the end appends.
    void insertSegmentWithTitle(const std::string& title, size_t atIndex, bool animated);
    void insertSegmentWithImage(const graphics::Image& image, size_t atIndex, bool animated);
    // Removing the selected segment leaves none selected. Out of range: std::out_of_range.
    void removeSegmentAtIndex(size_t index, bool animated);
    void removeAllSegments();

    // Segment accessors; an index out of range throws std::out_of_range.
    void setTitle(const std::string& title, size_t forSegmentAtIndex);
    const std::string& titleForSegmentAtIndex(size_t index) const;
    void setImage(const graphics::Image& image, size_t forSegmentAtIndex);
    const graphics::Image& imageForSegmentAtIndex(size_t index) const;
    void setEnabledForSegmentAtIndex(bool enabled, size_t forSegmentAtIndex);
    bool isEnabledForSegmentAtIndex(size_t index) const;
    // Zero: the segment shares the width left over by fixed-width ones.
    void setWidth(double width, size_t forSegmentAtIndex);
    double widthForSegmentAtIndex(size_t index) const;

    int selectedSegmentIndex() const { return selected_; }
    // kNoSegment or a valid index; anything else throws std::out_of_range.
    // Sends nothing.
    void setSelectedSegmentIndex(int index);
    bool isMomentary() const { return momentary_; }
    void setMomentary(bool momentary);

    // The segments' rectangles in the bounds, in order.
    std::vector<graphics::Rect> segmentRects() const;
    // The segment at a point in the bounds, or kNoSegment.
    int segmentAtPoint(graphics::Point point) const;

    graphics::Size sizeThatFits(graphics::Size size) const override;
    void drawRect(graphics::GraphicsContext& context, const graphics::Rect& rect) override;
    void tintColorDidChange() override { setNeedsDisplay(); }

    bool beginTrackingWithTouch(const Touch& touch, const Event& event) override;
    bool continueTrackingWithTouch(const Touch& touch, const Event& event) override;
    void endTrackingWithTouch(const Touch& touch, const Event& event) override;
    void cancelTrackingWithEvent(const Event* event) override;

private:
    struct Segment {
        std::string title;
        graphics::Image image;
        bool enabled = true;
        double width = 0;
    };
    const Segment& segment(size_t index) const;
    Segment& segment(size_t index);
    void insertSegment(Segment segment, size_t index);
    // The segment under a finger if it can be chosen, else kNoSegment.
    int choosableSegmentAt(graphics::Point point) const;

    std::vector<Segment> segments_;
    graphics::Font font_ = graphics::Font::systemFont(13);
    int selected_ = kNoSegment;
    int pressed_ = kNoSegment;
    bool momentary_ = false;
};

}  // namespace ui
