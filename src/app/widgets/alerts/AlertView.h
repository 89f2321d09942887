#pragma once

// An alert whose buttons carry closures: it is its own delegate and routes
// every event of the toolkit's alert to the closure set for it. Buttons are
// numbered 0, 1, 2 ... in the order they were added, and the closure of
// button i runs when button i is tapped.
//
//     auto alert = AlertView::create("Delete project?", "");
//     alert->addButtonWithTitle("Yes", [](AlertView&, int) { ... });
//     alert->addButtonWithTitle("No", {});
//     alert->show();
//
// Main thread only.

#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Path.h"
#include "platform/ui/controllers/AlertView.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace graphics {
class GraphicsContext;
}

class AlertView : public ui::AlertView, private ui::AlertViewDelegate {
public:
    using AlertBlock = std::function<void(AlertView& alert)>;
    using ButtonBlock = std::function<void(AlertView& alert, int buttonIndex)>;

    // An alert with the title and message and no buttons yet.
    AlertView(std::string title, std::string message);
    static std::shared_ptr<AlertView> create(std::string title, std::string message);
    ~AlertView() override;

    // Adds a button and its closure (none: the button only closes the alert);
    // returns the button's index.
    int addButtonWithTitle(std::string title, ButtonBlock block);

    // Each replaces the stored closure; a missing closure is skipped.
    void setAlertViewCancelBlock(AlertBlock block) { cancel_ = std::move(block); }
    void setWillPresentAlertViewBlock(AlertBlock block) { willPresent_ = std::move(block); }
    void setDidPresentAlertViewBlock(AlertBlock block) { didPresent_ = std::move(block); }
    void setAlertViewWillDismissWithButtonIndexBlock(ButtonBlock block) { willDismiss_ = std::move(block); }
    void setAlertViewDidDismissWithButtonIndexBlock(ButtonBlock block) { didDismiss_ = std::move(block); }

    // The fill and stroke of the drawn background, shared by every alert.
    static void setBackgroundColorWithStrokeColor(graphics::Color fill, graphics::Color stroke);
    static std::optional<graphics::Color> backgroundFillColor();
    static std::optional<graphics::Color> backgroundStrokeColor();

    // Adds a closed rounded rectangle to the path: arcs through the four
    // corners, starting and ending at the middle of the left edge.
    static void drawRoundedRect(const graphics::Rect& rect, graphics::Path& inPath, double withRadius);

    // The dark glossy background of the alert, in the shared colours. The
    // toolkit's alert keeps its own light panel on screen, as current
    // systems do with an alert subclass's drawing, so its texts stay readable;
    // this draws the background wherever a caller wants it.
    void drawBackground(graphics::GraphicsContext& context, const graphics::Rect& rect) const;

    // Takes away the plain image view the platform puts behind its alerts.
    void layoutSubviews() override;

private:
    void clickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) override;
    void alertViewCancel(ui::AlertView& alert) override;
    void willPresentAlertView(ui::AlertView& alert) override;
    void didPresentAlertView(ui::AlertView& alert) override;
    void willDismissWithButtonIndex(ui::AlertView& alert, int buttonIndex) override;
    void didDismissWithButtonIndex(ui::AlertView& alert, int buttonIndex) override;

    std::vector<ButtonBlock> buttonCallbackArray_;
    AlertBlock cancel_;
    AlertBlock willPresent_;
    AlertBlock didPresent_;
    ButtonBlock willDismiss_;
    ButtonBlock didDismiss_;
};
