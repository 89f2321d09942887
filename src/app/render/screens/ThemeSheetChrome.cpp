#include "app/render/screens/ThemeSheetChrome.h"

#include "app/core/BundleImage.h"
#include "app/render/screens/RenderProgressViewController.h"
#include "platform/foundation/Localized.h"
#include "platform/graphics/Font.h"
#include "platform/ui/compositing/Animation.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/host/Device.h"

namespace themesheet {

namespace {
constexpr double kTitleWidth = 320;
constexpr double kTitleHeight = 35;
constexpr double kTabHeight = 28;
constexpr double kTabledCollapsedTop = 476;
constexpr double kTabletExpandedHeight = 768;
constexpr double kPhoneCollapsedTop = 150;

bool isTablet() { return ui::Device::current().userInterfaceIdiom() == ui::UserInterfaceIdiom::Pad; }
}  // namespace

ui::ViewPtr makeTabsTitleView(bool outlineChosen, std::function<void()> switchTab) {
    auto title = ui::makeView<ui::View>(graphics::Rect(0, 0, kTitleWidth, kTitleHeight));
    const double d = isTablet() ? 5 : 0;
    const double tabWidth = title->bounds().width() / 2 - 10;
    const graphics::Font font("HelveticaNeue-Light", 15);
    auto tab = [&](const char* text, double x, bool chosen, graphics::TextAlignment alignment) {
        auto button = ui::makeView<ui::Button>(ui::ButtonType::Custom, graphics::Rect(x, d + 6, tabWidth, kTabHeight));
        button->setTitle(foundation::localized(text), ui::ControlStateNormal);
        button->setTitleColor(chosen ? RenderProgressViewController::accentColor() : graphics::Color::black(),
                              ui::ControlStateNormal);
        button->titleLabel()->setFont(font);
        button->setContentHorizontalAlignment(alignment == graphics::TextAlignment::Right
                                                  ? ui::ControlContentHorizontalAlignment::Right
                                                  : ui::ControlContentHorizontalAlignment::Left);
        button->setSelected(chosen);
        if (!chosen && switchTab)
            button->addTarget(
                nullptr, [switchTab](ui::Control&) { switchTab(); }, ui::ControlEventTouchUpInside);
        title->addSubview(button);
        return button;
    };
    tab("Theme", 0, !outlineChosen, graphics::TextAlignment::Right);
    auto line = ui::makeView<ui::ImageView>(bundleImageNamed(kBarLineImage).value_or(graphics::Image()));
    line->setCenter(graphics::Point{title->bounds().width() / 2, d + 20});
    title->addSubview(line);
    tab("Outline", title->bounds().width() / 2 + 10, outlineChosen, graphics::TextAlignment::Left);
    return title;
}

ui::ViewPtr makeSectionHeader(const std::string& title, double width) {
    auto header = ui::makeView<ui::View>(graphics::Rect(0, 0, width, 40));
    auto label = ui::makeView<ui::Label>(graphics::Rect(20, 0, 300, 40));
    label->setText(title);
    label->setFont(graphics::Font("Courier", 15));
    label->setTextColor(graphics::Color::black());
    label->setBackgroundColor(graphics::Color::clear());
    header->addSubview(label);
    auto line = ui::makeView<ui::View>(graphics::Rect(20, 30, width - 30, 2));
    line->setBackgroundColor(graphics::Color::black());
    // The table may make the header before the sheet has its width; the
    // line follows the width the table gives the header.
    line->setAutoresizingMask(ui::AutoresizingFlexibleWidth);
    header->addSubview(line);
    return header;
}

bool isExpanded(const ui::View& navigationView) { return navigationView.frame().origin.y == 0; }

std::shared_ptr<ui::BarButtonItem> makeSizeButton(bool expanded, std::function<void()> action) {
    const graphics::Image image = bundleImageNamed(expanded ? kCloseImage : kOpenImage).value_or(graphics::Image());
    return std::make_shared<ui::BarButtonItem>(image, ui::BarButtonItemStyle::Plain,
                                               [action = std::move(action)](ui::BarButtonItem&) {
                                                   if (action) action();
                                               });
}

std::shared_ptr<ui::BarButtonItem> makeDoneButton(std::function<void()> action) {
    return std::make_shared<ui::BarButtonItem>(ui::BarButtonSystemItem::Done,
                                               [action = std::move(action)](ui::BarButtonItem&) {
                                                   if (action) action();
                                               });
}

graphics::Rect toggledFrame(bool expanded, double sheetWidth, double sheetHeight, bool tablet, double screenHeight) {
    if (tablet) {
        if (expanded) return graphics::Rect(0, kTabledCollapsedTop, sheetWidth, sheetHeight - kTabledCollapsedTop);
        return graphics::Rect(0, 0, sheetWidth, kTabletExpandedHeight);
    }
    if (expanded) return graphics::Rect(0, kPhoneCollapsedTop, sheetWidth, screenHeight - kPhoneCollapsedTop);
    return graphics::Rect(0, 0, sheetWidth, screenHeight);
}

void changeSize(ui::NavigationController& navigation, double sheetWidth, double sheetHeight,
                std::function<void(bool expanded)> finished) {
    ui::View* view = navigation.view();
    const bool expanded = isExpanded(*view);
    const graphics::Rect target =
        toggledFrame(expanded, sheetWidth, sheetHeight, isTablet(), ui::Device::current().screenBounds().height());
    ui::ViewPtr held = navigation.viewPtr();
    ui::animate(
        kChangeSizeSeconds, [held, target] { held->setFrame(target); },
        [finished = std::move(finished), expanded](bool) {
            if (finished) finished(!expanded);
        });
}

}  // namespace themesheet
