#pragma once

// A push button: a title, an image and a background image per control
// state, laid out side by side (image left of the title) in the content
// rectangle. An image larger than that rectangle is shrunk to fit it,
// keeping its proportions, so a button never draws outside itself.
//
// A value set for a state is looked up for the state the button is in;
// what is missing there falls back to the selected state's value (for
// combined selected states) and then to the normal state's.
//
// System buttons take their title colour and their images' colour from the
// tint, fade while pressed and grey out when disabled. Custom buttons show
// exactly what they were given, darkening their image while pressed.

#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"
#include "platform/ui/controls/Control.h"

#include <map>
#include <memory>
#include <optional>
#include <string>

namespace ui {

class ImageView;
class Label;

enum class ButtonType { Custom = 0, System = 1 };

class Button : public Control {
public:
    explicit Button(ButtonType type = ButtonType::Custom);
    Button(ButtonType type, const graphics::Rect& frame);
    static std::shared_ptr<Button> buttonWithType(ButtonType type);

    ButtonType buttonType() const { return type_; }

    // ---- per-state values ----------------------------------------------------------
    // Setting none removes the state's own value (the fallback applies).
    void setTitle(std::optional<std::string> title, unsigned forState);
    void setTitleColor(std::optional<graphics::Color> color, unsigned forState);
    // A null image removes the state's own image.
    void setImage(graphics::Image image, unsigned forState);
    void setBackgroundImage(graphics::Image image, unsigned forState);

    // The values that apply in a state, after the fallbacks.
    std::optional<std::string> titleForState(unsigned state) const;
    graphics::Color titleColorForState(unsigned state) const;
    graphics::Image imageForState(unsigned state) const;
    graphics::Image backgroundImageForState(unsigned state) const;

    // The values that apply now.
    std::string currentTitle() const;
    graphics::Color currentTitleColor() const;
    graphics::Image currentImage() const;
    graphics::Image currentBackgroundImage() const;

    // ---- parts and layout ------------------------------------------------------------
    // The label that shows the title; its font and line settings are the
    // caller's to change (its text and colour follow the state).
    Label* titleLabel() const { return titleLabel_.get(); }
    ImageView* imageView() const { return imageView_.get(); }

    graphics::EdgeInsets contentEdgeInsets() const { return contentEdgeInsets_; }
    void setContentEdgeInsets(graphics::EdgeInsets insets);
    graphics::EdgeInsets titleEdgeInsets() const { return titleEdgeInsets_; }
    void setTitleEdgeInsets(graphics::EdgeInsets insets);
    graphics::EdgeInsets imageEdgeInsets() const { return imageEdgeInsets_; }
    void setImageEdgeInsets(graphics::EdgeInsets insets);
    bool adjustsImageWhenHighlighted() const { return adjustsImageWhenHighlighted_; }
    void setAdjustsImageWhenHighlighted(bool adjusts);
    bool adjustsImageWhenDisabled() const { return adjustsImageWhenDisabled_; }
    void setAdjustsImageWhenDisabled(bool adjusts);

    // The rectangles the parts take in the bounds (subclasses may move them).
    virtual graphics::Rect backgroundRectForBounds(const graphics::Rect& bounds) const;
    virtual graphics::Rect contentRectForBounds(const graphics::Rect& bounds) const;
    virtual graphics::Rect titleRectForContentRect(const graphics::Rect& contentRect) const;
    virtual graphics::Rect imageRectForContentRect(const graphics::Rect& contentRect) const;

    void layoutSubviews() override;
    // Image and title side by side plus the content insets; at least the
    // background image's size.
    graphics::Size sizeThatFits(graphics::Size size) const override;
    void tintColorDidChange() override;

protected:
    void stateDidChange() override;

private:
    template <class T>
    static const T* lookup(const std::map<unsigned, T>& values, unsigned state);
    void updateAppearance();
    graphics::Size titleSize() const;
    // The image's size where it fits the content rectangle (less the image
    // insets), else scaled down to fit it.
    graphics::Size imageSizeInContent(const graphics::Rect& contentRect) const;
    // Where a part of the given size sits in the content rectangle.
    graphics::Rect placeInContent(const graphics::Rect& contentRect, graphics::Size part, double offsetX,
                                  const graphics::EdgeInsets& insets) const;

    ButtonType type_;
    std::map<unsigned, std::string> titles_;
    std::map<unsigned, graphics::Color> titleColors_;
    std::map<unsigned, graphics::Image> images_;
    std::map<unsigned, graphics::Image> backgroundImages_;
    std::shared_ptr<ImageView> backgroundView_;
    std::shared_ptr<ImageView> imageView_;
    std::shared_ptr<Label> titleLabel_;
    graphics::EdgeInsets contentEdgeInsets_;
    graphics::EdgeInsets titleEdgeInsets_;
    graphics::EdgeInsets imageEdgeInsets_;
    bool adjustsImageWhenHighlighted_ = true;
    bool adjustsImageWhenDisabled_ = true;
};

}  // namespace ui
