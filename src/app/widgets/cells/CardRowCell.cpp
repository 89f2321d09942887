#include "app/widgets/cells/CardRowCell.h"

#include "platform/ui/controls/Button.h"

CardRowCell::CardRowCell(std::string reuseIdentifier, size_t cards, int firstTag, CardFrame cardFrame)
    : ui::TableViewCell(ui::TableViewCellStyle::Default, std::move(reuseIdentifier)), cardFrame_(std::move(cardFrame)) {
    setBackgroundColor(graphics::Color::clear());
    setSelectionStyle(ui::TableViewCellSelectionStyle::None);
    for (size_t k = 0; k < cards; ++k) {
        auto card = ui::Button::buttonWithType(ui::ButtonType::Custom);
        card->setTag(firstTag + static_cast<int>(k));
        card->setBackgroundColor(graphics::Color::clear());
        contentView().addSubview(card);
        cards_.push_back(card);
    }
}

void CardRowCell::showRow(size_t row, const std::vector<graphics::Image>& pictures) {
    contentView().setTag(static_cast<int>(row));
    for (size_t k = 0; k < cards_.size(); ++k) {
        cards_[k]->setHidden(k >= pictures.size());
        cards_[k]->setImage(k < pictures.size() ? pictures[k] : graphics::Image(), ui::ControlStateNormal);
    }
}

void CardRowCell::layoutSubviews() {
    ui::TableViewCell::layoutSubviews();
    const double width = contentView().bounds().size.width;
    for (size_t k = 0; k < cards_.size(); ++k) cards_[k]->setFrame(cardFrame_(k, width));
}
