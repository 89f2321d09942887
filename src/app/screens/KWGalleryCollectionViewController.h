#pragma once

// The online gallery's grid inside the project browser. The gallery's
// content (its requests and player) is not part of this version: after one
// look at the connection each time it appears, the empty grid says either
// that the gallery needs a network connection or that it is not available.

#include "app/widgets/grid/KWGridCollectionViewController.h"

#include <memory>
#include <string>

namespace ui {
class Label;
}

class KWGalleryCollectionViewController : public KWGridCollectionViewController {
public:
    static inline const char* kNibName = "KWGalleryCollectionViewController";
    static inline const char* kNoConnectionText = "The gallery needs a network connection.";
    static inline const char* kNotAvailableText = "The online gallery is not available in this version.";

    KWGalleryCollectionViewController() : KWGridCollectionViewController(kNibName) {}

    // The text shown over the empty grid.
    ui::Label* messageLabel() const { return messageLabel_.get(); }

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;

private:
    void updateMessage();

    std::shared_ptr<ui::Label> messageLabel_;
};
