#include "app/capture/chromakey/ChromaKeyBackgroundConfigurationViewController.h"

#include "app/capture/chromakey/ChromaKeyConfigurationViewController.h"
#include "app/capture/chromakey/ChromaKeyThemeBackgroundConfigurationViewController.h"
#include "platform/foundation/Localized.h"

ChromaKeyBackgroundConfigurationViewController::ChromaKeyBackgroundConfigurationViewController() {
    preferredContentSize = ChromaKeyConfigurationViewController::kContentSize;
    setTitle(foundation::localized("Background"));
}

std::vector<ChromaKeyRow> ChromaKeyBackgroundConfigurationViewController::rows() const {
    using Accessory = ui::TableViewCellAccessoryType;
    return {
        {"Photo Roll", "chromakey_icon_album", 44, Accessory::DisclosureIndicator, std::nullopt},
        {"Last Frame", "chromakey_icon_frame", 44, Accessory::None, std::nullopt},
        {"Theme", "chromakey_icon_theme", 44, Accessory::DisclosureIndicator, std::nullopt},
    };
}

void ChromaKeyBackgroundConfigurationViewController::didSelectRow(size_t row) {
    switch (row) {
        case 0:
            if (delegate()) delegate()->didSelectChangeBackDrop(*this);
            break;
        case 1:
            if (delegate()) delegate()->didSelectUseFrameAsBackdrop(*this);
            break;
        case 2:
            pushScreen(std::make_shared<ChromaKeyThemeBackgroundConfigurationViewController>());
            break;
        default:
            break;
    }
}
