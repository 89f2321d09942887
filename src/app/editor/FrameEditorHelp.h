#pragma once

// The editor's help overlay: short bubbles that point at the editor's
// controls over a transparent layer. Every bubble shows its whole text: one
// too long for the short bubble's two lines comes laid out as an expanded
// bubble's. A bubble that runs an action carries a "more" button that runs
// it (actionHelpBtn expands any other bubble, and a tap on that collapses it
// again). A tap anywhere else (a bubble's text included) posts kCloseNotification
// (object: the help) and goes on to the control under it, as if the help
// were not there; the editor observes the notification and calls
// dismissHelp. Bubbles are opaque, and a bubble that would cover one
// shown before it, or not fit beside what it points at, turns to another
// side.
//
//     auto help = std::make_shared<FrameEditorHelp>();
//     help->addHelp("Play movie preview.", button->frame());
//     help->showHelpInView(*editorView);
//
// Main thread only. Text is measured with the bundled DejaVu faces.

#include "app/widgets/popover/FWTPopoverArrow.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/host/Device.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ui {
class Button;
class View;
}  // namespace ui

class FWTPopoverView;

struct FrameEditorHelpItem {
    std::string text;
    // What the bubble points at, in the help view's coordinates.
    graphics::Rect rect;
    // 0 chooses from the rect's place in the view; else an arrow direction.
    FWTPopoverArrowDirection arrowDirection = 0;
    std::optional<graphics::Color> color;
    std::function<void()> block;
};

// The geometry of the bubbles, as plain functions.
namespace frameeditorhelp {

inline constexpr double kBubbleHeight = 40;
inline constexpr double kFontSize = 12;
// A text wider than this many bubble widths gets the more button.
inline constexpr double kMoreButtonFactor = 1.85;
inline constexpr double kMoreImageInset = 25;
inline constexpr const char* kMoreImage = "frameedit_help_more.png";
// The largest expanded bubble's text area.
inline constexpr graphics::Size kExpandedTextBounds{300, 200};

// 150 on the phone and without an idiom, 200 on the tablet.
double bubbleWidth(ui::UserInterfaceIdiom idiom);
// The fill colour of a bubble without a colour of its own.
graphics::Color defaultColor();
// The colour of the bubble that leads to the help pages.
graphics::Color moreHelpColor();

struct ShortBubble {
    bool hasMoreButton = false;
    double contentWidth = 0;  // c: the bubble's content is c + 10 by contentHeight
    graphics::Rect labelFrame;
    int lines = 0;  // the most the label shows
    double contentHeight = kBubbleHeight;
};
// A bubble for a text `textWidth` wide, W = `bubbleWidth`.
ShortBubble shortBubble(double textWidth, double bubbleWidth, bool hasBlock);
// The bubble that shows `text` first. Every tip reads whole: a text that the
// short bubble's two lines do not hold is laid out as the expanded bubble
// lays it out (no more button then: there is no more to show), and an
// action's bubble takes the lines its text needs.
ShortBubble wholeTextBubble(const std::string& text, double bubbleWidth, bool hasBlock);
// The direction an item with `requested` 0 gets from its rect's place in a
// view of `viewSize`; any other request is kept.
FWTPopoverArrowDirection arrowDirection(FWTPopoverArrowDirection requested, const graphics::Rect& rect,
                                        graphics::Size viewSize);
// Where `bubble` is shown when it points at `rect`: on the wanted side,
// unless there it does not fit (kept inside the view, it would be pushed
// back over what it points at) or covers one of the bubbles already shown
// (`shownBodies`) even when slid along that side as far as its arrow can
// follow; then on the first of the opposite side and the two across that
// has neither fault, else on the first that fits, else on the wanted one.
struct BubblePlace {
    FWTPopoverArrowDirection direction = 0;
    double slide = 0;  // FWTPopoverView::slide
};
BubblePlace freePlace(FWTPopoverView& bubble, const graphics::Rect& rect, FWTPopoverArrowDirection wanted,
                      const graphics::Rect& viewBounds, const std::vector<graphics::Rect>& shownBodies);
// The width of one line of help text.
double measureText(const std::string& text);
// The size of a text laid out in the expanded bubble's text area.
graphics::Size expandedTextSize(const std::string& text, const graphics::Font& font);

}  // namespace frameeditorhelp

class FrameEditorHelp : public std::enable_shared_from_this<FrameEditorHelp> {
public:
    static constexpr const char* kCloseNotification = "FrameEditorHelpCloseNotification";

    FrameEditorHelp();
    ~FrameEditorHelp();

    void addHelp(const std::string& text, const graphics::Rect& atRect);
    void addHelp(const std::string& text, const graphics::Rect& atRect, FWTPopoverArrowDirection withArrowPosition);
    void addHelp(const std::string& text, const graphics::Rect& atRect, FWTPopoverArrowDirection withArrowPosition,
                 std::optional<graphics::Color> withColor, std::function<void()> andBlock);
    // The first item pointing at exactly `rect` gets the text (shown at the
    // next showHelpInView).
    void replaceHelpAtRect(const graphics::Rect& rect, const std::string& withHelp);

    // Controls under the layer that open and close the help themselves (the
    // editor's help button): a tap on one goes through without closing it
    // first. Set before showHelpInView.
    void setToggleControls(std::vector<std::shared_ptr<ui::View>> controls) { toggleControls_ = std::move(controls); }

    void showHelpInView(ui::View& view);
    // Removes the layer and dismisses every bubble, animated.
    void dismissHelp();

    // The layer was tapped.
    void actionClose();
    // The more button of bubble `index`: its action, or the whole text.
    void actionHelpBtn(size_t index);
    // The expanded bubble `index` was tapped: back to the short one.
    void actionCloseExtendedHelp(size_t index);

    const std::vector<FrameEditorHelpItem>& helpItems() const { return helpItems_; }
    const std::vector<std::shared_ptr<FWTPopoverView>>& popovers() const { return popovers_; }
    ui::View* helpView() const { return helpView_.lock().get(); }
    ui::Button* closeButton() const { return closeButton_.get(); }
    // Whether bubble `index` shows its whole text.
    bool isExpanded(size_t index) const { return index < expanded_.size() && expanded_[index]; }

private:
    std::shared_ptr<FWTPopoverView> makeShortBubble(size_t index);
    std::shared_ptr<FWTPopoverView> makeExtendedBubble(size_t index);
    std::shared_ptr<FWTPopoverView> makeBubble(size_t index, graphics::Size contentSize);
    // Presents `bubble` for item `index` and puts it in place of the old one.
    void replaceBubble(size_t index, std::shared_ptr<FWTPopoverView> bubble, bool expanded);
    FWTPopoverArrowDirection directionOf(size_t index) const;

    std::vector<FrameEditorHelpItem> helpItems_;
    std::vector<std::shared_ptr<FWTPopoverView>> popovers_;
    std::vector<bool> expanded_;
    std::weak_ptr<ui::View> helpView_;
    std::shared_ptr<ui::Button> closeButton_;
    std::vector<std::shared_ptr<ui::View>> toggleControls_;
};
