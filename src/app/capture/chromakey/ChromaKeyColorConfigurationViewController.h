#pragma once

// The key-colour choices of the green-screen settings ("Color"): detect the
// colour from the camera picture, or green or blue.

#include "app/capture/chromakey/ChromaKeyListViewController.h"

class ChromaKeyColorConfigurationViewController : public ChromaKeyListViewController {
public:
    ChromaKeyColorConfigurationViewController();

    std::vector<ChromaKeyRow> rows() const override;

protected:
    void didSelectRow(size_t row) override;
};
