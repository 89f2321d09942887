#include "app/screens/KWGalleryCollectionViewController.h"

#include "app/share/InternetReachability.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/controls/Label.h"

void KWGalleryCollectionViewController::viewDidLoad() {
    KWGridCollectionViewController::viewDidLoad();
    messageLabel_ = ui::makeView<ui::Label>(collectionView().bounds());
    messageLabel_->setFont(graphics::Font::systemFont(20));
    // Dark on the grid's light background: at least 4.5:1, readable text.
    messageLabel_->setTextColor(graphics::Color::grey(0.3));
    messageLabel_->setTextAlignment(graphics::TextAlignment::Center);
    messageLabel_->setNumberOfLines(0);
    messageLabel_->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    collectionView().setBackgroundView(messageLabel_);
    updateMessage();
}

void KWGalleryCollectionViewController::viewWillAppear(bool animated) {
    KWGridCollectionViewController::viewWillAppear(animated);
    updateMessage();
}

void KWGalleryCollectionViewController::updateMessage() {
    if (!messageLabel_) return;
    messageLabel_->setText(
        foundation::localized(InternetReachability::isOffline() ? kNoConnectionText : kNotAvailableText));
}
