#pragma once

// The backdrop choices of the green-screen settings ("Background"): a photo
// from the library, the project's last frame, or the theme pictures.

#include "app/capture/chromakey/ChromaKeyListViewController.h"

class ChromaKeyBackgroundConfigurationViewController : public ChromaKeyListViewController {
public:
    ChromaKeyBackgroundConfigurationViewController();

    std::vector<ChromaKeyRow> rows() const override;

protected:
    void didSelectRow(size_t row) override;
};
