#pragma once

// The colour picker as the content of a popover of 250 by 180 points. It
// reports each change of the picker to its delegate; building it reports
// nothing.

#include "app/painter/KZColorPicker.h"
#include "platform/foundation/Lifetime.h"
#include "platform/ui/controllers/ViewController.h"

#include <memory>

class KZDefaultColorViewController;

class KZDefaultColorControllerDelegate {
public:
    virtual ~KZDefaultColorControllerDelegate() = default;
    virtual void defaultColorController(KZDefaultColorViewController& controller, const graphics::Color& color) = 0;
};

class KZDefaultColorViewController : public ui::ViewController {
public:
    static constexpr graphics::Size kContentSize{250, 180};

    KZDefaultColorViewController();

    void loadView() override;
    void pickerChanged(KZColorPicker& picker);
    graphics::Size contentSizeForViewInPopover() const { return kContentSize; }

    const graphics::Color& selectedColor() const { return selectedColor_; }
    void setSelectedColor(const graphics::Color& color) { selectedColor_ = color; }
    // Not owned: the delegate outlives the popover or clears itself.
    KZDefaultColorControllerDelegate* delegate() const { return delegate_; }
    void setDelegate(KZDefaultColorControllerDelegate* delegate) { delegate_ = delegate; }
    // The picker once the view is loaded.
    KZColorPicker* picker() const { return picker_.get(); }

private:
    graphics::Color selectedColor_ = graphics::Color::white();
    KZDefaultColorControllerDelegate* delegate_ = nullptr;
    std::shared_ptr<KZColorPicker> picker_;
    foundation::LifeToken life_;
};
