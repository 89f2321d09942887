#include "app/widgets/cells/ConfigurationCell.h"

#include "app/widgets/views/AccentColor.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/controls/Switch.h"

using graphics::Color;
using graphics::Rect;

namespace {

constexpr double kSwitchGap = 10;

}  // namespace

ConfigurationCell::ConfigurationCell(std::string reuseIdentifier)
    : ui::TableViewCell(ui::TableViewCellStyle::Default, std::move(reuseIdentifier)) {
    setSelectionStyle(ui::TableViewCellSelectionStyle::None);

    auto title = ui::makeView<ui::Label>();
    title->setFont(graphics::Font::boldSystemFont(16));
    title->setTextColor(Color::grey(0.1));
    contentView().addSubview(title);
    labelTitle_ = title.get();

    auto description = ui::makeView<ui::Label>();
    description->setFont(graphics::Font::systemFont(12));
    description->setTextColor(Color::grey(0.45));
    description->setNumberOfLines(2);
    contentView().addSubview(description);
    labelDescription_ = description.get();

    switchOnOff_ = ui::makeView<ui::Switch>();
    switchOnOff_->setOnTintColor(kAccentColor);
    contentView().addSubview(switchOnOff_);
}

void ConfigurationCell::layoutSubviews() {
    ui::TableViewCell::layoutSubviews();
    const Rect content = contentView().bounds();
    const double switchX = content.width() - kMargin - ui::Switch::kWidth;
    switchOnOff_->setFrame(
        Rect(switchX, (content.height() - ui::Switch::kHeight) / 2, ui::Switch::kWidth, ui::Switch::kHeight));
    const double textWidth = std::max(0.0, switchX - kSwitchGap - kMargin);
    const double half = content.height() / 2;
    labelTitle_->setFrame(Rect(kMargin, half - 22, textWidth, 22));
    labelDescription_->setFrame(Rect(kMargin, half, textWidth, half - 4));
}
