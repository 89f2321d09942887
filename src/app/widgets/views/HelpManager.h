#pragma once

// The one-time help overlay of a named screen area ("Timeline", "Mask", ...):
// a dimmed layer over the screen with a short text and a Next button. Once
// the user has dismissed the overlay of a name it never comes again: the
// names are remembered in ".helpmanager.plist" in the documents folder, and
// initWithName then gives none.
//
// The overlay only shows: a touch anywhere but on its Next button reaches the
// control under it, as if the overlay were not there, and closes it (as Next
// does); keys reach the screen under it too. No click meant for the screen
// is lost to a help the user has not noticed yet.
//
// Main thread only. The caller adds view() to its screen, then calls show.

#include "platform/graphics/Geometry.h"
#include "platform/ui/View.h"

#include <memory>
#include <string>
#include <vector>

namespace ui {
class Button;
class Label;
}  // namespace ui

class HelpManager;

// Where a help's text of `text` size goes in `bounds`: centred on `wanted`,
// kept whole inside the bounds, and at least `gap` clear of `avoid` (the
// Next button), moved the shortest way that takes it clear.
graphics::Rect placeHelpText(graphics::Size text, graphics::Point wanted, const graphics::Rect& bounds,
                             const graphics::Rect& avoid, double gap);

class HelpManagerDelegate {
public:
    virtual ~HelpManagerDelegate() = default;
    // The overlay was dismissed and has left the screen; the spelling is the
    // callers' established one.
    virtual void helpManangerDidFinish(HelpManager& helpManager) = 0;
};

class HelpManager : public std::enable_shared_from_this<HelpManager> {
public:
    static inline const char* kHelpManagerFile = ".helpmanager.plist";

    // Corners for the Next button.
    enum NextButtonPosition : int { kTopLeft = 0, kTopRight = 1, kBottomLeft = 2, kBottomRight = 3 };

    // The overlay of the named help, or null when it was dismissed before.
    static std::shared_ptr<HelpManager> initWithName(const std::string& name);
    // Whether the overlay of the name was dismissed before.
    static bool wasDismissed(const std::string& name);
    // The text shown for a help name (a general hint for names we have no text of).
    static std::string helpTextForName(const std::string& name);

    ~HelpManager();

    const std::string& name() const { return name_; }
    // The overlay; the caller sizes it (usually to its screen) and adds it.
    ui::View* view() const { return view_.get(); }
    ui::ViewPtr viewPtr() const { return view_; }
    ui::Label* textLabel() const { return label_.get(); }
    ui::Button* nextButton() const { return nextButton_.get(); }

    // Not owned.
    void setDelegate(HelpManagerDelegate* delegate) { delegate_ = delegate; }
    // One of NextButtonPosition; other codes fall back to kBottomRight.
    void setPositionNextBtn(int position);
    int positionNextBtn() const { return nextPosition_; }
    // Where the text is centred, in the overlay's coordinates.
    void setPositionLabel(graphics::Point position);
    graphics::Point positionLabel() const { return labelPosition_; }
    // Fades the overlay in.
    void show();
    // Remembers the name, fades the overlay out, removes it and tells the delegate.
    void dismiss();
    bool isShown() const { return shown_; }

private:
    explicit HelpManager(std::string name);
    void layout();
    static void rememberDismissed(const std::string& name);

    std::string name_;
    ui::ViewPtr view_;
    std::shared_ptr<ui::Label> label_;
    std::shared_ptr<ui::Button> nextButton_;
    HelpManagerDelegate* delegate_ = nullptr;
    int nextPosition_ = kBottomRight;
    graphics::Point labelPosition_;
    bool labelPositionSet_ = false;
    bool shown_ = false;
    bool dismissing_ = false;
};
