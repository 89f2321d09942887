#include "app/capture/chromakey/ChromaKeyColorConfigurationViewController.h"

#include "app/capture/chromakey/ChromaKeyConfigurationViewController.h"
#include "platform/foundation/Localized.h"

ChromaKeyColorConfigurationViewController::ChromaKeyColorConfigurationViewController() {
    preferredContentSize = ChromaKeyConfigurationViewController::kContentSize;
    setTitle(foundation::localized("Color"));
}

std::vector<ChromaKeyRow> ChromaKeyColorConfigurationViewController::rows() const {
    return {
        {"Autodetect", "chromakey_icon_autodetect", 44, ui::TableViewCellAccessoryType::None, std::nullopt},
        {"Green", "chromakey_icon_green", 44, ui::TableViewCellAccessoryType::None, std::nullopt},
        {"Blue", "chromakey_icon_blue", 44, ui::TableViewCellAccessoryType::None, std::nullopt},
    };
}

void ChromaKeyColorConfigurationViewController::didSelectRow(size_t row) {
    auto* receiver = delegate();
    if (!receiver) return;
    switch (row) {
        case 0:
            receiver->didSelectChangeAutoChromaKeyColor(*this);
            break;
        case 1:
            receiver->didSelectChangeChromaKeyColor(*this, graphics::Color::rgb(0, 1, 0, 1));
            break;
        case 2:
            receiver->didSelectChangeChromaKeyColor(*this, graphics::Color::rgb(0, 0, 1, 1));
            break;
        default:
            break;
    }
}
