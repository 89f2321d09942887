#include "app/capture/chromakey/ChromaKeyListViewController.h"

#include "app/core/UIImage_Resize.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/lists/TableViewCell.h"

ChromaKeyListViewController::~ChromaKeyListViewController() {
    if (table_) {
        table_->setDataSource(nullptr);
        table_->setDelegate(nullptr);
    }
}

void ChromaKeyListViewController::loadView() {
    table_ = ui::makeView<ui::TableView>(graphics::Rect{{0, 0}, preferredContentSize}, ui::TableViewStyle::Plain);
    table_->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    setView(table_);
}

void ChromaKeyListViewController::viewDidLoad() {
    table_->setBackgroundColor(graphics::Color::clear());
    table_->setOpaque(false);
    table_->setBackgroundView(nullptr);
    table_->setSeparatorColor(graphics::Color::black());
    table_->setAllowsSelection(true);
    table_->setScrollEnabled(false);
    table_->setDataSource(this);
    table_->setDelegate(this);
    table_->reloadData();
}

size_t ChromaKeyListViewController::numberOfRowsInSection(ui::TableView&, size_t) { return rows().size(); }

ui::TableViewCellPtr ChromaKeyListViewController::cellForRowAtIndexPath(ui::TableView& tableView,
                                                                        const ui::IndexPath& indexPath) {
    auto cell = tableView.dequeueReusableCellWithIdentifier(kCellIdentifier);
    if (!cell) cell = std::make_shared<ui::TableViewCell>(ui::TableViewCellStyle::Default, kCellIdentifier);
    cell->setBackgroundColor(graphics::Color::clear());
    cell->textLabel()->setFont(graphics::Font("HelveticaNeue-Light", 15.0));
    cell->textLabel()->setTextColor(graphics::Color::black());
    cell->textLabel()->setBackgroundColor(graphics::Color::clear());
    const auto all = rows();
    if (indexPath.row >= all.size()) return cell;
    const ChromaKeyRow& row = all[indexPath.row];
    cell->textLabel()->setText(row.text.empty() ? std::string() : foundation::localized(row.text));
    cell->imageView()->setImage(
        row.icon.empty() ? graphics::Image() : UIImage_Resize::tintedImageNamed(row.icon).value_or(graphics::Image()));
    cell->setAccessoryType(row.accessory);
    if (row.selectionStyle) cell->setSelectionStyle(*row.selectionStyle);
    prepareCell(*cell, indexPath.row);
    return cell;
}

std::optional<double> ChromaKeyListViewController::heightForRowAtIndexPath(ui::TableView&,
                                                                           const ui::IndexPath& indexPath) {
    const auto all = rows();
    if (indexPath.row >= all.size()) return std::nullopt;
    return all[indexPath.row].height;
}

void ChromaKeyListViewController::didSelectRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) {
    tableView.deselectRowAtIndexPath(indexPath, true);
    didSelectRow(indexPath.row);
}

void ChromaKeyListViewController::pushAnimated(const std::shared_ptr<ui::ViewController>& screen) {
    if (auto* navigation = navigationController()) navigation->pushViewController(screen, true);
}
