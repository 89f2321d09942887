#include "app/widgets/cells/UnderlinedELCTextFieldCell.h"

using graphics::Rect;

UnderlinedELCTextFieldCell::UnderlinedELCTextFieldCell(ui::TableViewCellStyle style, std::string reuseIdentifier)
    : ELCTextFieldCell(style, std::move(reuseIdentifier)) {
    blackLine_ = ui::makeView<ui::View>();
    blackLine_->setBackgroundColor(graphics::Color::black());
    blackLine_->setUserInteractionEnabled(false);
    contentView().addSubview(blackLine_);
}

void UnderlinedELCTextFieldCell::layoutSubviews() {
    ELCTextFieldCell::layoutSubviews();
    Rect field = rightTextField()->frame();
    blackLine_->setFrame(Rect(field.origin.x, 30, field.size.width, 1));
}
