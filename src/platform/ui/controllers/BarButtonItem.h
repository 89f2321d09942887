#pragma once

// Buttons of toolbars and navigation bars.
//
// An item is a description (title, image, system glyph or a view of the
// caller's) plus an action; the bar that shows it makes the view. An item is
// shown by one bar at a time and tells that bar when it changes.

#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "platform/ui/View.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace ui {

class BarButtonItem;

enum class BarButtonItemStyle { Plain = 0, Bordered = 1, Done = 2 };

// The platform's system items, in its order.
enum class BarButtonSystemItem {
    Done = 0,
    Cancel,
    Edit,
    Save,
    Add,
    FlexibleSpace,
    FixedSpace,
    Compose,
    Reply,
    Action,
    Organize,
    Bookmarks,
    Search,
    Refresh,
    Stop,
    Camera,
    Trash,
    Play,
    Pause,
    Rewind,
    FastForward,
    Undo,
    Redo,
    PageCurl,
};

// The platform's bar styles (toolbars, navigation bars, action sheets).
enum class BarStyle { Default = 0, Black = 1, BlackTranslucent = 2 };

// A bar that shows items: told when one of its items changes.
class BarButtonItemHost {
public:
    virtual ~BarButtonItemHost() = default;
    virtual void barButtonItemDidChange(BarButtonItem& item) = 0;
};

class BarButtonItem : public std::enable_shared_from_this<BarButtonItem> {
public:
    // The platform's target and action become one closure.
    using Action = std::function<void(BarButtonItem&)>;

    BarButtonItem(std::string title, BarButtonItemStyle style, Action action);
    BarButtonItem(graphics::Image image, BarButtonItemStyle style, Action action);
    BarButtonItem(BarButtonSystemItem systemItem, Action action);
    explicit BarButtonItem(ViewPtr customView);
    ~BarButtonItem();
    BarButtonItem(const BarButtonItem&) = delete;
    BarButtonItem& operator=(const BarButtonItem&) = delete;

    const std::string& title() const { return title_; }
    void setTitle(std::string title);
    const graphics::Image& image() const { return image_; }
    void setImage(graphics::Image image);
    BarButtonItemStyle style() const { return style_; }
    void setStyle(BarButtonItemStyle style);
    std::optional<BarButtonSystemItem> systemItem() const { return systemItem_; }
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);
    // A fixed space's width, or a button's width when above zero.
    double width() const { return width_; }
    void setWidth(double width);
    const ViewPtr& customView() const { return customView_; }
    void setCustomView(ViewPtr view);
    const std::optional<graphics::Color>& tintColor() const { return tintColor_; }
    void setTintColor(std::optional<graphics::Color> color);
    const Action& action() const { return action_; }
    void setAction(Action action) { action_ = std::move(action); }
    // The key that taps the item's button when no first responder takes it;
    // by default Escape for Cancel, Return for Done, none for the others.
    std::optional<Key> keyEquivalent() const;
    void setKeyEquivalent(std::optional<Key> key);
    int tag = 0;

    bool isFlexibleSpace() const { return systemItem_ == BarButtonSystemItem::FlexibleSpace; }
    bool isSpace() const { return isFlexibleSpace() || systemItem_ == BarButtonSystemItem::FixedSpace; }

    // The view that shows the item in its bar now (its custom view or the
    // button the bar made), or null when no bar shows it.
    View* view() const { return view_.lock().get(); }

    // ---- for bars ------------------------------------------------------------------
    // The view to place in `host` (a space gives an empty view); the item
    // leaves any other bar.
    ViewPtr makeView(BarButtonItemHost* host);
    void detach(const BarButtonItemHost* host);
    // Width of the item in a bar (a flexible space answers its minimum, zero).
    double preferredWidth() const;

private:
    void changed();

    std::string title_;
    graphics::Image image_;
    BarButtonItemStyle style_ = BarButtonItemStyle::Plain;
    std::optional<BarButtonSystemItem> systemItem_;
    bool enabled_ = true;
    double width_ = 0;
    ViewPtr customView_;
    std::optional<graphics::Color> tintColor_;
    std::optional<std::optional<Key>> keyEquivalent_;
    Action action_;
    BarButtonItemHost* host_ = nullptr;
    std::weak_ptr<View> view_;
};

namespace detail {

// Draws a system item's glyph in the rectangle in the colour.
void drawSystemGlyph(graphics::GraphicsContext& context, BarButtonSystemItem item, const graphics::Rect& rect,
                     const graphics::Color& color);

// A button drawn by the toolkit itself: a title, an image (tinted as a
// template) or a glyph, that runs `onTap` on a touch that ends inside it.
// Bars, alerts and action sheets use it.
class TextButtonView : public View {
public:
    TextButtonView();

    std::string title;
    graphics::Font font = graphics::Font::systemFont(17);
    // The title's colour; the tint when unset.
    std::optional<graphics::Color> titleColor;
    graphics::Image image;
    std::optional<BarButtonSystemItem> glyph;
    // Fill while pressed; without one the content dims instead.
    std::optional<graphics::Color> highlightFill;
    std::function<void()> onTap;
    // A key that taps it when no first responder takes the key (Escape for
    // a bar's Cancel and Back, Return for its Done).
    std::optional<Key> keyEquivalent;

    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);
    bool isHighlighted() const { return highlighted_; }
    // Runs the tap as a finger would (nothing when disabled).
    void sendTap();

    graphics::Size sizeThatFits(graphics::Size size) const override;
    void drawRect(graphics::GraphicsContext& context, const graphics::Rect& rect) override;
    void touchesBegan(const TouchSet& touches, const Event& event) override;
    void touchesMoved(const TouchSet& touches, const Event& event) override;
    void touchesEnded(const TouchSet& touches, const Event& event) override;
    void touchesCancelled(const TouchSet& touches, const Event& event) override;
    void tintColorDidChange() override { setNeedsDisplay(); }
    bool handleKeyEquivalent(const KeyPress& press) override;

private:
    void setHighlighted(bool highlighted);
    bool enabled_ = true;
    bool highlighted_ = false;
};

// Text drawn in the view's bounds.
class TextBlockView : public View {
public:
    TextBlockView();
    std::string text;
    graphics::Font font = graphics::Font::systemFont(13);
    graphics::Color color = graphics::Color::black();
    graphics::TextAlignment alignment = graphics::TextAlignment::Center;
    graphics::Size sizeThatFits(graphics::Size size) const override;
    void drawRect(graphics::GraphicsContext& context, const graphics::Rect& rect) override;
};

}  // namespace detail
}  // namespace ui
