#pragma once

// A toolbar that lets what lies behind it show through: it draws no bar
// of its own while it is transparent (which it is from creation).

#include "platform/ui/controllers/Toolbar.h"

class TransparentToolbar : public ui::Toolbar {
public:
    TransparentToolbar();
    explicit TransparentToolbar(const graphics::Rect& frame);

    bool isTransparent() const { return isTransparent_; }
    // True applies the see-through look again; false draws the plain bar.
    void setIsTransparent(bool transparent);

    void drawRect(graphics::GraphicsContext& context, const graphics::Rect& rect) override;

private:
    void applyTransparency();

    bool isTransparent_ = true;
};
