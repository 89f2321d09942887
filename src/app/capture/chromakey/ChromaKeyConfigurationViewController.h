#pragma once

// The root of the green-screen settings popover ("Green Screen"): rows that
// open the backdrop and key-colour choices, and a last, taller row that holds
// the sensitivity control. The source hands it the blend filter's current
// threshold before it is shown.

#include "app/capture/chromakey/ChromaKeyListViewController.h"
#include "app/capture/chromakey/ChromaKeySensitivityConfigurationViewController.h"

class ChromaKeyConfigurationViewController : public ChromaKeyListViewController {
public:
    // The size of this screen and the screens it opens; the sensitivity
    // control's slider and buttons sit in the part of the last row it shows.
    static constexpr graphics::Size kContentSize{360, 160};
    // The popover's size: the screens under the navigation bar.
    static graphics::Size popoverContentSize();

    ChromaKeyConfigurationViewController();

    float currentChromaKeyTreshold() const { return currentChromaKeyTreshold_; }
    void setCurrentChromaKeyTreshold(float value);
    // The control inside the last row; made when the view loads.
    const std::shared_ptr<ChromaKeySensitivityConfigurationViewController>& sensitivityController() const {
        return sensitivityController_;
    }

    std::vector<ChromaKeyRow> rows() const override;
    void viewDidLoad() override;

protected:
    void didSelectRow(size_t row) override;
    void prepareCell(ui::TableViewCell& cell, size_t row) override;

private:
    std::shared_ptr<ChromaKeySensitivityConfigurationViewController> sensitivityController_;
    float currentChromaKeyTreshold_ = 0;
};
