#pragma once

// The frame-edit menu: a grid of every operation on a tapped strip item,
// made for that frame, the strip's selection and the number of frames in
// the frame pasteboard. Operations that do not apply stay visible but dim
// (alpha 0.5) and ignore taps; a tap on one that applies posts its
// notification with "FRAME" and "SELECTION". The menu changes nothing
// itself: the editor carries the operation out and closes the popover.

#include "app/core/Frame.h"
#include "app/editor/EditorNotifications.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/lists/CollectionView.h"
#include "platform/ui/lists/CollectionViewCell.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class MKNumberBadgeView;
namespace ui {
class ImageView;
class Label;
}  // namespace ui

// What one cell of the menu shows and posts.
struct FrameEditMenuItem {
    std::string title;  // English; localized when shown
    std::string icon;
    std::string notificationName;
    bool enabled = false;
    std::optional<int64_t> badge;  // shown only when set
    bool operator==(const FrameEditMenuItem&) const = default;
};

namespace frameeditmenu {
inline constexpr size_t kSections = 2;
inline constexpr size_t kItemsInSection[kSections] = {6, 7};
inline constexpr double kEnabledAlpha = 1.0;
inline constexpr double kDisabledAlpha = 0.5;

// The cell at (section, row) for a frame of `frame`'s kind, a selection of
// `selectionLength` frames and `framesInPasteboard` frames waiting; none
// outside the grid.
std::optional<FrameEditMenuItem> itemAt(size_t section, size_t row, const Frame& frame, int64_t selectionLength,
                                        int64_t framesInPasteboard);
}  // namespace frameeditmenu

class KWFrameEditMenuCollectionViewCell : public ui::CollectionViewCell {
public:
    static constexpr const char* kReuseIdentifier = "KWFrameEditMenuCollectionViewCell";
    KWFrameEditMenuCollectionViewCell();

    ui::ImageView* thumbImage() const { return thumbImage_.get(); }
    ui::Label* label() const { return label_.get(); }
    MKNumberBadgeView* badge() const { return badge_.get(); }
    const std::string& notificationName() const { return notificationName_; }
    void setNotificationName(std::string name) { notificationName_ = std::move(name); }
    // Badge style, no badge, full alpha: the state every fill starts from.
    void resetLook();
    // The alpha that tells the enabled state; the collection view's own
    // alpha changes (showing and animating cells) end on it again.
    double menuAlpha() const { return menuAlpha_; }
    void setMenuAlpha(double alpha);

    void layoutSubviews() override;

private:
    std::shared_ptr<ui::ImageView> thumbImage_;
    std::shared_ptr<ui::Label> label_;
    std::shared_ptr<MKNumberBadgeView> badge_;
    std::string notificationName_;
    double menuAlpha_ = 1.0;
};

class KWFrameEditMenuViewController : public ui::ViewController,
                                      public ui::CollectionViewDataSource,
                                      public ui::CollectionViewDelegate {
public:
    // Seven cells across, two rows, in the editor's 440 × 160 popover.
    static constexpr double kCellWidth = 56;
    static constexpr double kCellHeight = 70;
    static constexpr double kSpacing = 4;
    static constexpr double kInset = 6;
    static constexpr graphics::Size kContentSize{440, 160};

    KWFrameEditMenuViewController(FramePtr frame, editornotifications::FrameRange selection,
                                  int64_t numberOfFramesInPasteboard);
    ~KWFrameEditMenuViewController() override;

    const FramePtr& frame() const { return frame_; }
    editornotifications::FrameRange selection() const { return selection_; }
    int64_t numberOfFramesInPasteboard() const { return numberOfFramesInPasteboard_; }
    ui::CollectionView* collectionView() const { return collectionView_.get(); }

    void loadView() override;
    void viewDidLoad() override;

    size_t numberOfSectionsInCollectionView(ui::CollectionView& collectionView) override;
    size_t numberOfItemsInSection(ui::CollectionView& collectionView, size_t section) override;
    ui::CollectionViewCellPtr cellForItemAtIndexPath(ui::CollectionView& collectionView,
                                                     const ui::IndexPath& indexPath) override;
    void didSelectItemAtIndexPath(ui::CollectionView& collectionView, const ui::IndexPath& indexPath) override;
    void willDisplayCell(ui::CollectionView& collectionView, ui::CollectionViewCell& cell,
                         const ui::IndexPath& forItemAtIndexPath) override;

private:
    FramePtr frame_;
    editornotifications::FrameRange selection_;
    int64_t numberOfFramesInPasteboard_;
    std::shared_ptr<ui::CollectionView> collectionView_;
};
