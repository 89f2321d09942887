#pragma once

// The online gallery's grid inside the project browser. Its videos come from
// the online service, which this version does not reach yet: the grid stays
// empty and says that the gallery needs a network connection.

#include "app/widgets/grid/KWGridCollectionViewController.h"

#include <memory>
#include <string>

namespace ui {
class Label;
}

class KWGalleryCollectionViewController : public KWGridCollectionViewController {
public:
    static inline const char* kNoConnectionText = "The gallery needs a network connection.";

    KWGalleryCollectionViewController() = default;

    // The text shown over the empty grid.
    ui::Label* messageLabel() const { return messageLabel_.get(); }

    void viewDidLoad() override;

private:
    std::shared_ptr<ui::Label> messageLabel_;
};
