#pragma once

// The base of the movie-settings pickers: a horizontal strip of picture
// tiles (a linear carousel) that the user scrolls to look through and taps
// (or clicks) to choose a tile; a frame in the accent colour marks the
// chosen one. Only the tap chooses: a swipe, the wheel, the arrow keys and
// the strip coming to rest move the strip and nothing else, so looking at
// the tiles never changes the movie. The strip keeps no empty room before
// its first tile or after its last. Each picker fills the tiles, shows the
// project's current choice and, when a new tile is chosen, writes the
// project's metadata, saves it and posts its notification.
//
// Main thread only.

#include "app/widgets/carousel/iCarousel.h"
#include "app/widgets/carousel/iCarouselProtocols.h"
#include "platform/foundation/Error.h"
#include "platform/ui/controllers/ViewController.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ui {
class ActivityIndicatorView;
}

class ProjectModel;

class KWSelectionItem {
public:
    KWSelectionItem(int32_t identifier, std::string imageName)
        : identifier(identifier), imageName(std::move(imageName)) {}
    int32_t identifier;
    std::string imageName;
};

class KWSelectionViewController : public ui::ViewController,
                                  protected iCarouselDataSource,
                                  protected iCarouselDelegate {
public:
    static inline const char* kNibName = "KWSelectionViewController";
    static constexpr double kItemWidth = 131.0;
    static constexpr double kTileWidth = kItemWidth - 6;
    // The current tile's frame, and the room left before the first tile
    // and after the last (the sheet's section titles start as far in).
    static constexpr double kMarkWidth = 3.0;
    static constexpr double kRowInset = 20.0;

    KWSelectionViewController();
    ~KWSelectionViewController() override;

    void updateSelection();
    // An index inside the tiles becomes the choice, shown without animation;
    // any other is ignored.
    void setSelectedIndex(int32_t index);
    // A new tile was chosen; the pickers write their setting here.
    virtual void didSelectItem(const KWSelectionItem& item) { (void)item; }

    const std::optional<std::vector<KWSelectionItem>>& items() const { return items_; }
    int32_t lastSelection() const { return lastSelection_; }
    iCarousel* carousel() const { return carousel_.get(); }
    ui::ActivityIndicatorView* activityIndicator() const { return activityIndicator_.get(); }

    void loadView() override;
    void viewDidLoad() override;
    unsigned supportedInterfaceOrientations() const override { return ui::OrientationMaskLandscape; }

    // ---- carousel ------------------------------------------------------------------------
    int64_t numberOfItemsInCarousel(iCarousel& carousel) override;
    ui::ViewPtr carouselViewForItemAtIndex(iCarousel& carousel, int64_t index, ui::ViewPtr view) override;
    std::optional<double> carouselItemWidth(iCarousel& carousel) override;
    bool carouselShouldWrap(iCarousel& carousel) override;
    // A tap on a tile: the one way a tile is chosen.
    void carouselDidSelectItemAtIndex(iCarousel& carousel, int64_t index) override;

protected:
    // Tiles "<prefix><number><suffix>" for identifiers first..last.
    void fillItems(int32_t first, int32_t last, const char* imageFormat);
    // Saves the project's metadata; a failure is shown to the user.
    static bool saveSetting(ProjectModel& project);
    static void showSaveFailure(const foundation::Error& error);

    std::optional<std::vector<KWSelectionItem>> items_;

private:
    // Frames the chosen tile, and only it.
    void markChosenTile();
    void markTile(ui::View& tile, bool current) const;

    std::shared_ptr<iCarousel> carousel_;
    std::shared_ptr<ui::ActivityIndicatorView> activityIndicator_;
    int32_t lastSelection_ = 0;
};
