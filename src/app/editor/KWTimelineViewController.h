#pragma once

// The timeline of the frame editor: a film of 15 pictures spanning the whole
// movie (the expanded list), scrolled under a fixed centre mark. The scroll
// position is the playhead: every change of it, by hand or by the preview
// player, becomes an entry of the expanded list that the project's playhead
// moves to, with the movie time on the badge and "NotificationDidMovePlayhead"
// posted (object: this controller).
//
// The film is rebuilt each time the view is about to appear; in between the
// entries refer to the snapshot of the last rebuild. Main thread only.

#include "app/core/Frame.h"
#include "app/core/ProjectModel.h"
#include "app/editor/ThumbnailCache.h"
#include "app/editor/TimelineMapping.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/lists/ScrollView.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace ui {
class ImageView;
class Label;
}  // namespace ui

class KWTimelineViewController : public ui::ViewController, public ui::ScrollViewDelegate {
public:
    static constexpr const char* kNibName = "KWTimelineViewController";

    explicit KWTimelineViewController(ProjectModelPtr project);
    ~KWTimelineViewController() override;

    void loadView() override;
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;

    // Rebuilds the film's pictures from the current frame list (nothing
    // before the view first appeared).
    void updateView();
    // Scrolls to the position of a movie time in milliseconds; nothing for
    // an empty film.
    void scrollToTimeIndex(int64_t milliseconds, bool animate);
    // Scrolls to the first position of a frame; the capture slot stands for
    // the frame before it. Nothing for a frame the film does not hold.
    void scrollToFrame(const FramePtr& frame, bool animate);
    // Moves the project's playhead to an entry of the film and announces it;
    // nothing outside the film.
    void updatePlayhead(int64_t expandedIndex);

    // Left and Right step the playhead to the previous or next entry of the film.
    bool keyCommand(const ui::KeyPress& press) override;

    void scrollViewDidScroll(ui::ScrollView& scrollView) override;
    void scrollViewWillBeginDragging(ui::ScrollView&) override {}

    // ---- state and outlets ----------------------------------------------------------
    const ProjectModelPtr& project() const { return project_; }
    const timeline::ExpandedFrames& expandedList() const { return expandedList_; }
    const std::vector<std::shared_ptr<ui::ImageView>>& imageViews() const { return imageViews_; }
    // The entry each picture was last asked to show (none: kept its picture).
    const std::vector<std::optional<int64_t>>& pictureEntries() const { return pictureEntries_; }
    ui::ScrollView* viewClipScroller() const { return viewClipScroller_.get(); }
    ui::View* viewClip() const { return viewClip_.get(); }
    ui::View* viewPosition() const { return viewPosition_.get(); }
    ui::View* viewFrameNumber() const { return viewFrameNumber_.get(); }
    ui::Label* labelFrameNumber() const { return labelFrameNumber_.get(); }
    ThumbnailCache& thumbnails() { return thumbnails_; }

    unsigned supportedInterfaceOrientations() const override { return ui::OrientationMaskPortrait; }

private:
    int64_t fps() const;

    ProjectModelPtr project_;
    timeline::ExpandedFrames expandedList_;
    std::vector<std::shared_ptr<ui::ImageView>> imageViews_;
    std::vector<std::optional<int64_t>> pictureEntries_;
    std::shared_ptr<ui::ScrollView> viewClipScroller_;
    ui::ViewPtr viewClip_;
    ui::ViewPtr viewPosition_;
    ui::ViewPtr viewFrameNumber_;
    std::shared_ptr<ui::Label> labelFrameNumber_;
    ThumbnailCache thumbnails_;
};

using KWTimelineViewControllerPtr = std::shared_ptr<KWTimelineViewController>;
