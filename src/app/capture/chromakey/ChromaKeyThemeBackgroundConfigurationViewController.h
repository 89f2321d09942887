#pragma once

// The theme pictures of the green-screen settings ("Background"): six
// backdrops as cards, three to a row. A tapped card hands its full-size
// picture to the delegate; the popover stays open so several can be tried.
//
// Main thread only.

#include "app/capture/chromakey/ChromaKeyConfigurationDelegate.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/lists/TableView.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ui {
class Button;
}

// One theme backdrop: its full picture and its card's picture, both
// resource names.
class BackgroundItem {
public:
    BackgroundItem(int32_t themeID, std::string bgImagePath, std::string thumbImagePath)
        : themeID_(themeID), bgImagePath_(std::move(bgImagePath)), thumbImagePath_(std::move(thumbImagePath)) {}

    int32_t themeID() const { return themeID_; }
    const std::string& bgImagePath() const { return bgImagePath_; }
    const std::string& thumbImagePath() const { return thumbImagePath_; }

private:
    int32_t themeID_;
    std::string bgImagePath_;
    std::string thumbImagePath_;
};

namespace chromakeytheme {
inline constexpr int kCardsPerRow = 3;
inline constexpr int kFirstButtonTag = 100;
inline constexpr double kRowHeight = 100;
// The six backdrops, numbers 20 to 25.
std::vector<BackgroundItem> themeBackdrops();
// The frame of card k (0, 1, 2) in a row, for a screen `width` wide.
graphics::Rect cardFrame(int k, double width);
}  // namespace chromakeytheme

class ChromaKeyThemeBackgroundConfigurationViewController : public ui::ViewController,
                                                            public ui::TableViewDataSource,
                                                            public ui::TableViewDelegate {
public:
    static constexpr const char* kCellIdentifier = "CellThemeCardView";

    ChromaKeyThemeBackgroundConfigurationViewController();
    ~ChromaKeyThemeBackgroundConfigurationViewController() override;

    ChromaKeyConfigurationDelegate* delegate() const { return delegate_; }
    void setDelegate(ChromaKeyConfigurationDelegate* delegate) { delegate_ = delegate; }
    const std::vector<BackgroundItem>& items() const { return items_; }
    ui::TableView* tableView() const { return table_.get(); }

    void loadView() override;
    void viewDidLoad() override;
    unsigned supportedInterfaceOrientations() const override { return ui::OrientationMaskAll; }

    // A card's button: its row is its content view's tag.
    void actionCard(ui::Button& button);

    size_t numberOfRowsInSection(ui::TableView& tableView, size_t section) override;
    ui::TableViewCellPtr cellForRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;

private:
    std::vector<BackgroundItem> items_;
    ChromaKeyConfigurationDelegate* delegate_ = nullptr;
    std::shared_ptr<ui::TableView> table_;
};
