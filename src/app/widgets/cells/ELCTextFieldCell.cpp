#include "app/widgets/cells/ELCTextFieldCell.h"

#include "platform/graphics/Image.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/controls/Label.h"

#include <cmath>

using graphics::Color;
using graphics::Rect;

ELCTextFieldCell::ELCTextFieldCell(ui::TableViewCellStyle style, std::string reuseIdentifier)
    : ui::TableViewCell(style, std::move(reuseIdentifier)) {
    leftLabel_ = ui::makeView<ui::Label>();
    leftLabel_->setBackgroundColor(Color::clear());
    leftLabel_->setOpaque(false);
    leftLabel_->setTextColor(Color::rgb(0.285, 0.376, 0.541));
    leftLabel_->setFont(graphics::Font("Helvetica", 17));
    leftLabel_->setTextAlignment(graphics::TextAlignment::Right);
    leftLabel_->setNumberOfLines(2);
    contentView().addSubview(leftLabel_);

    rightTextField_ = ui::makeView<ELCInsetTextField>();
    rightTextField_->setContentVerticalAlignment(ui::ControlContentVerticalAlignment::Top);
    rightTextField_->setFont(graphics::Font::systemFont(17));
    rightTextField_->setReturnKeyType(ui::ReturnKeyType::Done);
    rightTextField_->setDelegate(this);
    contentView().addSubview(rightTextField_);

    setBackgroundColor(Color::grey(1.0, 0.0));
}

ELCTextFieldCell::~ELCTextFieldCell() {
    delegate = nullptr;
    // The field may outlive the cell in someone's hands; it must not call back into it.
    rightTextField_->setDelegate(nullptr);
    if (rightTextField_->isEditing()) rightTextField_->resignFirstResponder();
}

void ELCTextFieldCell::layoutSubviews() {
    ui::TableViewCell::layoutSubviews();
    const Rect content = contentView().frame();
    const double x = content.origin.x, y = content.origin.y, w = content.width(), h = content.height();
    if (!leftLabel_->text().empty()) {
        leftLabel_->setHidden(false);
        leftLabel_->setFrame(Rect(x, y, kLabelWidth, h - 1));
        rightTextField_->setFrame(Rect(x + kLabelWidth + 5, y, w - kLabelWidth - 15, h - 1));
        return;
    }
    leftLabel_->setHidden(true);
    const graphics::Image& image = imageView()->image();
    const double imageInset = image.isNull() ? 0 : std::trunc(image.size().width + 5);
    rightTextField_->setFrame(Rect(x + imageInset + 10, y, w - imageInset - 20, h - 1));
}

bool ELCTextFieldCell::textFieldShouldReturn(ui::TextField& field) {
    if (delegate && !delegate->textFieldCellShouldReturnForIndexPath(*this, indexPath, field.text())) return false;
    field.resignFirstResponder();
    return true;
}

bool ELCTextFieldCell::shouldChangeCharactersInRange(ui::TextField& field, ui::TextRange range,
                                                     const std::string& replacementString) {
    if (delegate) {
        std::string text = field.text();
        const size_t location = std::min(range.location, text.size());
        text.replace(location, std::min(range.length, text.size() - location), replacementString);
        delegate->textFieldCellUpdateTextLabelAtIndexPath(*this, indexPath, text);
    }
    return true;
}

bool ELCTextFieldCell::textFieldShouldClear(ui::TextField&) {
    if (delegate) delegate->updateTextLabelAtIndexPath(indexPath, std::nullopt);
    return true;
}

bool ELCTextFieldCell::textFieldShouldBeginEditing(ui::TextField& field) {
    return delegate ? delegate->textFieldShouldBeginEditing(field) : true;
}

void ELCTextFieldCell::textFieldDidBeginEditing(ui::TextField& field) {
    if (delegate) delegate->textFieldDidBeginEditing(field);
}

bool ELCTextFieldCell::textFieldShouldEndEditing(ui::TextField& field) {
    return delegate ? delegate->textFieldShouldEndEditing(field) : true;
}

void ELCTextFieldCell::textFieldDidEndEditing(ui::TextField& field) {
    if (delegate) delegate->textFieldDidEndEditing(field);
}
