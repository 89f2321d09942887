#pragma once

// The frame-by-frame strip of the frame editor: one carousel item per entry
// of the project's frame list (the capture slot included), the centred item
// being the frame under the playhead. Items show whether a frame is held,
// carries a text card or carries audio; in selection mode the run from the
// anchor to the centred item is marked. A tap on a thumbnail posts
// "NotificationDidSelectFrame", a double tap anywhere
// "NotificationFrameByFrameViewDoubleTapped", and each move of the centred
// item "NotificationDidMovePlayhead" (object: this strip).
//
// Thumbnails come from a ThumbnailCache at the item's pixel size: a reused
// item is re-filled at once from the cache or left blank until its decode
// arrives, so scrolling never decodes on the main thread. Main thread only.

#include "app/core/Frame.h"
#include "app/core/FrameList.h"
#include "app/core/KWImageProducer.h"
#include "app/core/ProjectModel.h"
#include "app/editor/ThumbnailCache.h"
#include "app/widgets/carousel/iCarousel.h"
#include "platform/foundation/Lifetime.h"
#include "platform/ui/controllers/ViewController.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace ui {
class Label;
class TapGestureRecognizer;
}  // namespace ui

class KWFrameByFrameView : public ui::ViewController, public iCarouselDataSource, public iCarouselDelegate {
public:
    static constexpr const char* kNibNamePhone = "KWFrameByFrameView";
    static constexpr const char* kNibNameTablet = "KWFrameByFrameView_iPad";

    // Tags of an item's subviews.
    static constexpr int kTagThumbnail = 0;
    static constexpr int kTagSelection = 1;
    static constexpr int kTagHold = 3;
    static constexpr int kTagText = 4;
    static constexpr int kTagAudio = 5;

    // How long after an insert or a remove the playhead follows the centred item.
    static constexpr double kFollowDelay = 0.15;

    explicit KWFrameByFrameView(ProjectModelPtr project);
    ~KWFrameByFrameView() override;

    void loadView() override;
    void viewDidLoad() override;

    // The frame stands at `index` in the list already.
    void insertFrame(const FramePtr& frame, int64_t index, bool animated);
    // Frames stand at these indexes in the list already: one is let in as
    // insertFrame lets it in, more by one reload of the strip, whose cost
    // does not grow with their number.
    void insertFrames(const std::vector<int64_t>& indexes, bool animated);
    // The frame is still in the list; nothing when it is not.
    void removeFrame(const FramePtr& frame, bool animated);
    // Reloads the item of a frame (its pictures or marks changed).
    void updateFrame(const FramePtr& frame);
    void updateAllFrames();
    void scrollToFrame(const FramePtr& frame, bool animate);
    // The index of the centred item.
    int64_t getCurrentFrame() const;
    // The room each item takes along the strip.
    static double itemWidth();
    void enabledSelectionModeForFrame(const FramePtr& frame);
    void disableSelectionMode();
    // Moves the project's playhead to the item at index and announces it;
    // nothing outside the list.
    void updatePlayhead(int64_t index);
    void updateSelection();

    // ---- carousel -----------------------------------------------------------------------
    int64_t numberOfItemsInCarousel(iCarousel& carousel) override;
    ui::ViewPtr carouselViewForItemAtIndex(iCarousel& carousel, int64_t index, ui::ViewPtr view) override;
    void carouselCurrentItemIndexDidChange(iCarousel& carousel) override;
    std::optional<double> carouselItemWidth(iCarousel& carousel) override;
    // Taps are taken by the items' own recognisers, never by the carousel's.
    bool carouselShouldSelectItemAtIndex(iCarousel&, int64_t) override { return false; }
    void carouselDidSelectItemAtIndex(iCarousel&, int64_t) override {}

    // ---- state and outlets ----------------------------------------------------------------
    const ProjectModelPtr& project() const { return project_; }
    const std::shared_ptr<FrameList>& frameList() const { return frameList_; }
    iCarousel* carousel() const { return carousel_.get(); }
    ui::View* viewFrameNumber() const { return viewFrameNumber_.get(); }
    ui::Label* labelFrameNumber() const { return labelFrameNumber_.get(); }
    int64_t selectionStartIndex() const { return selectionStartIndex_; }
    ThumbnailCache& thumbnails() { return thumbnails_; }
    // The frame a loaded item view shows, null for any other view.
    static FramePtr frameShownBy(const ui::View* itemView);
    // The subview of an item with one of the tags above (the item's own tag
    // is 0 too, so a plain tag search would find the item itself).
    static ui::View* itemSubview(const ui::View& item, int tag);

    unsigned supportedInterfaceOrientations() const override { return ui::OrientationMaskPortrait; }

private:
    struct Geometry;
    // The badge: "position / count" for the item at index.
    void showFrameNumber(int64_t index);
    static const Geometry& geometry();
    ui::ViewPtr makeItemView();
    // A mark's picture from the resources, decoded once for all items.
    const std::optional<graphics::Image>& markImage(const std::string& name);
    void fillItemView(ui::View& item, const FramePtr& frame);
    void didTapItem(ui::GestureRecognizer& recognizer);
    void followCurrentItemLater();
    void currentItemDidChange();

    ProjectModelPtr project_;
    std::shared_ptr<FrameList> frameList_;
    std::unique_ptr<KWImageProducer> imageProducer_;
    std::shared_ptr<iCarousel> carousel_;
    ui::ViewPtr viewFrameNumber_;
    std::shared_ptr<ui::Label> labelFrameNumber_;
    std::shared_ptr<ui::TapGestureRecognizer> doubleTap_;
    int64_t selectionStartIndex_ = -1;
    ThumbnailCache thumbnails_;
    std::map<std::string, std::optional<graphics::Image>> markImages_;
    foundation::LifeToken life_;  // the delayed follow-ups go with the strip
};

using KWFrameByFrameViewPtr = std::shared_ptr<KWFrameByFrameView>;
