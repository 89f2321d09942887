#include "app/capture/chromakey/ChromaKeyConfigurationViewController.h"

#include "app/capture/chromakey/ChromaKeyBackgroundConfigurationViewController.h"
#include "app/capture/chromakey/ChromaKeyColorConfigurationViewController.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/controllers/Bar.h"
#include "platform/ui/lists/TableViewCell.h"

namespace {
constexpr size_t kSensitivityRow = 2;
}

ChromaKeyConfigurationViewController::ChromaKeyConfigurationViewController() {
    preferredContentSize = kContentSize;
    setTitle(foundation::localized("Green Screen"));
}

graphics::Size ChromaKeyConfigurationViewController::popoverContentSize() {
    return {kContentSize.width, kContentSize.height + ui::Bar::kHeight};
}

void ChromaKeyConfigurationViewController::setCurrentChromaKeyTreshold(float value) {
    currentChromaKeyTreshold_ = value;
    if (sensitivityController_) sensitivityController_->setCurrentChromaKeyTreshold(value);
}

std::vector<ChromaKeyRow> ChromaKeyConfigurationViewController::rows() const {
    using Accessory = ui::TableViewCellAccessoryType;
    using Selection = ui::TableViewCellSelectionStyle;
    return {
        {"Background", "chromakey_icon_backdrop", 44, Accessory::DisclosureIndicator, Selection::Default},
        {"Color", "chromakey_icon_color", 44, Accessory::DisclosureIndicator, Selection::Default},
        {"", "", 100, Accessory::None, Selection::None},
    };
}

void ChromaKeyConfigurationViewController::viewDidLoad() {
    sensitivityController_ = std::make_shared<ChromaKeySensitivityConfigurationViewController>();
    sensitivityController_->setDelegate(delegate());
    ChromaKeyListViewController::viewDidLoad();
}

void ChromaKeyConfigurationViewController::prepareCell(ui::TableViewCell& cell, size_t row) {
    if (row != kSensitivityRow || !sensitivityController_) return;
    // The delegate may have been set after the view loaded.
    sensitivityController_->setDelegate(delegate());
    ui::View* control = sensitivityController_->view();
    control->setFrame({{0, 0}, {cell.contentView().bounds().size.width, 100}});
    cell.contentView().addSubview(control->sharedFromThis());
    sensitivityController_->setCurrentChromaKeyTreshold(currentChromaKeyTreshold_);
}

void ChromaKeyConfigurationViewController::didSelectRow(size_t row) {
    if (row == 0) pushScreen(std::make_shared<ChromaKeyBackgroundConfigurationViewController>());
    if (row == 1) pushScreen(std::make_shared<ChromaKeyColorConfigurationViewController>());
}
