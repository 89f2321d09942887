#pragma once

// The painter's row of nine round colour buttons and a hide button. A tap
// selects a slot's colour for the current drawing tool; a tap on the
// selected slot opens the colour picker in a popover, which recolours the
// slot live, and the final colour is reported when the popover closes. A
// slot's colour is its button's background colour and nothing else.

#include "app/painter/KZDefaultColorViewController.h"
#include "app/widgets/popover/WEPopoverController.h"
#include "platform/foundation/Lifetime.h"
#include "platform/graphics/Color.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/controls/Button.h"

#include <array>
#include <memory>
#include <optional>
#include <vector>

class ColorPaletteDelegate {
public:
    virtual ~ColorPaletteDelegate() = default;
    virtual void colorPaleteDidSelectColor(const graphics::Color& color, int atIndex) = 0;
    virtual void colorPaleteDidSelectHide() = 0;
};

class ColorPaletteViewController : public ui::ViewController,
                                   public KZDefaultColorControllerDelegate,
                                   public WEPopoverControllerDelegate {
public:
    static constexpr int kSlotCount = 9;

    ColorPaletteViewController();
    ~ColorPaletteViewController() override;

    void loadView() override;
    void viewDidLoad() override;

    // Slots outside 0 to 8 are ignored (no colour, nothing changed).
    void setColor(const graphics::Color& color, int forIndex);
    std::optional<graphics::Color> getColorAtIndex(int index);
    std::vector<graphics::Color> getColors();
    // Selects the slot and reports it.
    void setSelectedColorAtIndex(int index);
    // The selected slot; none before the first selection.
    std::optional<int> selectedIndex() const;
    // Reports the selected slot again, for a receiver that could not take
    // the first report (the painter's canvas did not exist yet).
    void reportSelectedColor();
    void hideColors();
    void showHide();

    void actionChangeColor(ui::Button& button);
    void actionHide(ui::Button& button);
    void showColorPickerFromButton(ui::Button& button, const graphics::Color& color);

    // KZDefaultColorControllerDelegate: the selected slot follows the picker.
    void defaultColorController(KZDefaultColorViewController& controller, const graphics::Color& color) override;
    // WEPopoverControllerDelegate: the picker's final colour is reported.
    bool popoverControllerShouldDismissPopover(WEPopoverController& controller) override;
    void popoverControllerDidDismissPopover(WEPopoverController& controller) override;
    unsigned supportedInterfaceOrientations() const override { return ui::OrientationMaskPortrait; }

    ColorPaletteDelegate* delegate() const { return delegate_; }
    void setDelegate(ColorPaletteDelegate* delegate) { delegate_ = delegate; }

    const std::vector<std::shared_ptr<ui::Button>>& buttons() const { return buttons_; }
    ui::Button* btnHide() const { return btnHide_.get(); }
    ui::Button* selectedButton() const { return selectedButton_; }
    const std::shared_ptr<WEPopoverController>& popoverController() const { return popoverController_; }

    // The border of a slot that is not selected and of the selected one.
    static void styleButton(ui::Button& button);
    static void styleSelectedButton(ui::Button& button);

private:
    ui::Button* buttonAt(int index);
    void select(ui::Button& button);

    ColorPaletteDelegate* delegate_ = nullptr;
    std::array<std::shared_ptr<ui::Button>, kSlotCount> btnColor_;
    std::shared_ptr<ui::Button> btnHide_;
    ui::Button* selectedButton_ = nullptr;
    std::vector<std::shared_ptr<ui::Button>> buttons_;
    std::shared_ptr<WEPopoverController> popoverController_;
    foundation::LifeToken life_;
};
