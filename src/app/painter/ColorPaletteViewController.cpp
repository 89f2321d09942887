#include "app/painter/ColorPaletteViewController.h"

#include "app/core/UIImage_Resize.h"
#include "app/painter/PainterToolLayout.h"
#include "platform/ui/host/Device.h"

ColorPaletteViewController::ColorPaletteViewController() : ui::ViewController("ColorPaletteViewController") {}

ColorPaletteViewController::~ColorPaletteViewController() {
    // The picker's controller and the popover point back here.
    if (popoverController_) {
        popoverController_->setDelegate(nullptr);
        if (auto picker =
                std::dynamic_pointer_cast<KZDefaultColorViewController>(popoverController_->contentViewController()))
            picker->setDelegate(nullptr);
        popoverController_->dismissPopoverAnimated(false);
    }
}

void ColorPaletteViewController::loadView() {
    const painterlayout::PaletteLayout layout =
        painterlayout::paletteLayout(ui::Device::current().screenBounds().size.width, painterlayout::isPhone());
    auto root = ui::makeView(graphics::Rect({0, 0}, layout.size));
    root->setAutoresizingMask(ui::AutoresizingFlexibleWidth);
    root->setBackgroundColor(painterlayout::barColor());
    for (int slot = 0; slot < kSlotCount; ++slot) {
        auto button = std::make_shared<ui::Button>(ui::ButtonType::Custom, layout.slotFrames[slot]);
        button->setTag(slot);
        button->setAutoresizingMask(ui::AutoresizingFlexibleLeftMargin | ui::AutoresizingFlexibleRightMargin);
        button->addTarget(
            this, life_.guard([this](ui::Control& sender) { actionChangeColor(static_cast<ui::Button&>(sender)); }),
            ui::ControlEventTouchUpInside);
        root->addSubview(button);
        btnColor_[slot] = std::move(button);
    }
    btnHide_ = std::make_shared<ui::Button>(ui::ButtonType::Custom, layout.hide);
    btnHide_->setImage(UIImage_Resize::tintedImageNamed("painter_icon_hide").value_or(graphics::Image()),
                       ui::ControlStateNormal);
    btnHide_->setTintColor(graphics::Color::white());
    btnHide_->setAutoresizingMask(ui::AutoresizingFlexibleLeftMargin);
    btnHide_->setHidden(true);
    btnHide_->addTarget(this,
                        life_.guard([this](ui::Control& sender) { actionHide(static_cast<ui::Button&>(sender)); }),
                        ui::ControlEventTouchUpInside);
    root->addSubview(btnHide_);
    setView(root);
}

void ColorPaletteViewController::viewDidLoad() {
    buttons_.assign(btnColor_.begin(), btnColor_.end());
    for (const auto& button : buttons_) styleButton(*button);
}

void ColorPaletteViewController::styleButton(ui::Button& button) {
    button.layer().setCornerRadius(button.bounds().width() / 2);
    button.layer().setBorderColor(graphics::Color::grey(1.0, 0.3));
    button.layer().setBorderWidth(1);
}

void ColorPaletteViewController::styleSelectedButton(ui::Button& button) {
    button.layer().setBorderColor(graphics::Color::grey(1.0, 1.0));
    button.layer().setBorderWidth(3);
}

ui::Button* ColorPaletteViewController::buttonAt(int index) {
    view();  // the buttons come with the view
    if (index < 0 || index >= kSlotCount) return nullptr;
    return btnColor_[index].get();
}

void ColorPaletteViewController::setColor(const graphics::Color& color, int forIndex) {
    if (ui::Button* button = buttonAt(forIndex)) button->setBackgroundColor(color);
}

std::optional<graphics::Color> ColorPaletteViewController::getColorAtIndex(int index) {
    ui::Button* button = buttonAt(index);
    if (!button) return std::nullopt;
    return button->backgroundColor().value_or(graphics::Color::clear());
}

std::vector<graphics::Color> ColorPaletteViewController::getColors() {
    std::vector<graphics::Color> colors;
    for (int slot = 0; slot < kSlotCount; ++slot) colors.push_back(*getColorAtIndex(slot));
    return colors;
}

void ColorPaletteViewController::select(ui::Button& button) {
    if (selectedButton_) {
        selectedButton_->setSelected(false);
        styleButton(*selectedButton_);
    }
    selectedButton_ = &button;
    button.setSelected(true);
    styleSelectedButton(button);
    reportSelectedColor();
}

void ColorPaletteViewController::setSelectedColorAtIndex(int index) {
    if (ui::Button* button = buttonAt(index)) select(*button);
}

std::optional<int> ColorPaletteViewController::selectedIndex() const {
    if (!selectedButton_) return std::nullopt;
    return selectedButton_->tag();
}

void ColorPaletteViewController::reportSelectedColor() {
    if (!selectedButton_ || !delegate_) return;
    delegate_->colorPaleteDidSelectColor(selectedButton_->backgroundColor().value_or(graphics::Color::clear()),
                                         selectedButton_->tag());
}

void ColorPaletteViewController::hideColors() {
    view();
    for (const auto& button : btnColor_) button->setHidden(true);
}

void ColorPaletteViewController::showHide() {
    view();
    btnHide_->setHidden(false);
}

void ColorPaletteViewController::actionChangeColor(ui::Button& button) {
    if (&button == selectedButton_) {
        showColorPickerFromButton(button, button.backgroundColor().value_or(graphics::Color::white()));
        return;
    }
    select(button);
}

void ColorPaletteViewController::actionHide(ui::Button&) {
    if (delegate_) delegate_->colorPaleteDidSelectHide();
}

void ColorPaletteViewController::showColorPickerFromButton(ui::Button& button, const graphics::Color& color) {
    auto picker = std::make_shared<KZDefaultColorViewController>();
    picker->setSelectedColor(color);
    picker->setDelegate(this);
    if (popoverController_) {
        // A popover still up belongs to the slot it was opened for.
        popoverController_->setDelegate(nullptr);
        popoverController_->dismissPopoverAnimated(false);
    }
    popoverController_ = std::make_shared<WEPopoverController>(picker);
    popoverController_->setDelegate(this);
    // Above its slot: beside it the panel would cover the palette it belongs to.
    popoverController_->presentPopoverFromRect(button.convertRectToView(button.bounds(), view()), *view(),
                                               kPopoverArrowDirectionDown, true);
}

void ColorPaletteViewController::defaultColorController(KZDefaultColorViewController&, const graphics::Color& color) {
    if (selectedButton_) selectedButton_->setBackgroundColor(color);
}

bool ColorPaletteViewController::popoverControllerShouldDismissPopover(WEPopoverController&) { return true; }

void ColorPaletteViewController::popoverControllerDidDismissPopover(WEPopoverController&) { reportSelectedColor(); }
