#include "app/painter/KZDefaultColorViewController.h"

KZDefaultColorViewController::KZDefaultColorViewController() { preferredContentSize = kContentSize; }

void KZDefaultColorViewController::loadView() {
    const graphics::Rect area({0, 0}, kContentSize);
    auto root = ui::makeView(area);
    root->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    root->setBackgroundColor(graphics::Color::clear());
    picker_ = ui::makeView<KZColorPicker>(area);
    picker_->setBackgroundColor(graphics::Color::clear());
    picker_->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    picker_->setSelectedColor(selectedColor_);
    picker_->setOldColor(selectedColor_);
    // Only now: the colour set above is not a change the delegate must hear of.
    picker_->addTarget(this,
                       life_.guard([this](ui::Control& sender) { pickerChanged(static_cast<KZColorPicker&>(sender)); }),
                       ui::ControlEventValueChanged);
    root->addSubview(picker_);
    setView(root);
}

void KZDefaultColorViewController::pickerChanged(KZColorPicker& picker) {
    selectedColor_ = picker.selectedColor();
    if (delegate_) delegate_->defaultColorController(*this, selectedColor_);
}
