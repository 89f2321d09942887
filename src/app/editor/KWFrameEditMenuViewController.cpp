#include "app/editor/KWFrameEditMenuViewController.h"

#include "app/core/UIImage_Resize.h"
#include "app/widgets/views/MKNumberBadgeView.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/controls/Label.h"

#include <algorithm>

namespace n = editornotifications;

namespace {

// The badge's room in a cell's corner, for a count of a digit or two, and
// the faces of its count: the badge's own, and the least a long count takes.
constexpr graphics::Size kBadgeSize{30, 22};
constexpr double kBadgeFontSize = 16;
constexpr double kSmallestBadgeFontSize = 9;

}  // namespace

namespace frameeditmenu {

std::optional<FrameEditMenuItem> itemAt(size_t section, size_t row, const Frame& frame, int64_t selectionLength,
                                        int64_t framesInPasteboard) {
    const int32_t type = frame.type();
    const int64_t l = selectionLength;
    const int64_t p = framesInPasteboard;
    const bool picture = type == Frame::kTypePicture;
    const std::optional<int64_t> rangeBadge = l > 1 ? std::optional<int64_t>(l) : std::nullopt;
    if (section == 0) {
        switch (row) {
            case 0:
                return FrameEditMenuItem{"Text", "thumb_icon_text", n::kMenuText,
                                         type == Frame::kTypeTitleCard || type == Frame::kTypeCreditsCard ||
                                             type == Frame::kTypeThemeTextCard,
                                         std::nullopt};
            case 1:
                return FrameEditMenuItem{"Audio", "thumb_icon_audio", n::kMenuAudio, type != Frame::kTypeCaptureSlot,
                                         std::nullopt};
            case 2:
                return FrameEditMenuItem{"Crop", "frameedit_icon_crop", n::kMenuCrop, picture, std::nullopt};
            case 3:
                return FrameEditMenuItem{"Erase", "frameedit_icon_mask", n::kMenuEraser, picture, std::nullopt};
            case 4:
                return FrameEditMenuItem{"Draw", "frameedit_icon_paint", n::kMenuDraw, picture, std::nullopt};
            case 5:
                return FrameEditMenuItem{"Merge", "frameedit_icon_merge", n::kMenuMerge, picture, std::nullopt};
            default:
                return std::nullopt;
        }
    }
    if (section != 1) return std::nullopt;
    switch (row) {
        case 0:
            return FrameEditMenuItem{"Capture", "thumbmenu_icon_capture", n::kMenuCaptureHere, frame.canCapture(),
                                     std::nullopt};
        case 1:
            return FrameEditMenuItem{"Hold", "thumbmenu_icon_hold", n::kMenuHold, frame.canHold(), std::nullopt};
        case 2:
            return FrameEditMenuItem{l > 1 ? "Deselect" : "Select", "thumbmenu_icon_select_between",
                                     l > 1 ? n::kMenuDeselect : n::kMenuSelect, frame.canSelect(), std::nullopt};
        case 3:
            return FrameEditMenuItem{"Copy", "thumbmenu_icon_copy", n::kMenuCopy, frame.canCopy(), rangeBadge};
        case 4:
            return FrameEditMenuItem{"Paste", "thumbmenu_icon_paste", n::kMenuPaste, p >= 1 && frame.canPaste(),
                                     p >= 2 ? std::optional<int64_t>(p) : std::nullopt};
        case 5:
            return FrameEditMenuItem{"Reverse", "thumbmenu_icon_paste_reverse", n::kMenuReverse,
                                     frame.canCopy() && l > 1, rangeBadge};
        case 6:
            return FrameEditMenuItem{"Delete", "thumbmenu_icon_delete", n::kMenuDelete, frame.canDelete(), rangeBadge};
        default:
            return std::nullopt;
    }
}

}  // namespace frameeditmenu

// ---- cell -----------------------------------------------------------------------------------------

KWFrameEditMenuCollectionViewCell::KWFrameEditMenuCollectionViewCell()
    : ui::CollectionViewCell(
          graphics::Rect(0, 0, KWFrameEditMenuViewController::kCellWidth, KWFrameEditMenuViewController::kCellHeight)) {
    thumbImage_ = ui::makeView<ui::ImageView>(graphics::Rect(14, 10, 28, 28));
    thumbImage_->setTintColor(graphics::Color::grey(0.15));
    label_ = ui::makeView<ui::Label>(graphics::Rect(0, 44, 56, 18));
    label_->setFont(graphics::Font("HelveticaNeue-Light", 11));
    label_->setTextColor(graphics::Color::black());
    label_->setTextAlignment(graphics::TextAlignment::Center);
    label_->setBackgroundColor(std::nullopt);
    badge_ = ui::makeView<MKNumberBadgeView>(graphics::Rect({26, 0}, kBadgeSize));
    contentView().addSubview(thumbImage_);
    contentView().addSubview(label_);
    contentView().addSubview(badge_);
    resetLook();
}

void KWFrameEditMenuCollectionViewCell::resetLook() {
    const graphics::Color translucentBlack = graphics::Color::grey(0.0, 0.8);
    badge_->setFillColor(translucentBlack);
    badge_->setStrokeColor(translucentBlack);
    badge_->setStrokeWidth(0);
    badge_->setTextColor(graphics::Color::white());
    badge_->setShine(false);
    badge_->setShadow(false);
    badge_->setUserInteractionEnabled(false);
    badge_->setHidden(true);
    setMenuAlpha(frameeditmenu::kEnabledAlpha);
}

void KWFrameEditMenuCollectionViewCell::setMenuAlpha(double alpha) {
    menuAlpha_ = alpha;
    setAlpha(alpha);
}

void KWFrameEditMenuCollectionViewCell::layoutSubviews() {
    ui::CollectionViewCell::layoutSubviews();
    const graphics::Rect b = contentView().bounds();
    thumbImage_->setFrame(graphics::Rect(b.midX() - 14, 10, 28, 28));
    label_->setFrame(graphics::Rect(0, 44, b.size.width, 18));
    // In the top right corner, widening to the left for a long count (a
    // selection of thousands of frames), in a smaller face where it would
    // be wider than the cell, so that it reads whole beside its neighbours'.
    for (double size = kBadgeFontSize; size >= kSmallestBadgeFontSize; --size) {
        badge_->setFont(graphics::Font::boldSystemFont(size));
        if (badge_->sizeThatFits({}).width <= b.size.width) break;
    }
    const graphics::Size badge = badge_->sizeThatFits({});
    const double width = std::max(kBadgeSize.width, badge.width);
    badge_->setFrame(graphics::Rect(b.size.width - width, 0, width, std::max(kBadgeSize.height, badge.height)));
}

// ---- menu -----------------------------------------------------------------------------------------

KWFrameEditMenuViewController::KWFrameEditMenuViewController(FramePtr frame, n::FrameRange selection,
                                                             int64_t numberOfFramesInPasteboard)
    : ui::ViewController("KWFrameEditMenuViewController"),
      frame_(std::move(frame)),
      selection_(selection),
      numberOfFramesInPasteboard_(numberOfFramesInPasteboard) {
    preferredContentSize = kContentSize;
}

KWFrameEditMenuViewController::~KWFrameEditMenuViewController() {
    if (collectionView_) {
        collectionView_->setDataSource(nullptr);
        collectionView_->setDelegate(nullptr);
    }
}

void KWFrameEditMenuViewController::loadView() {
    auto layout = std::make_shared<ui::CollectionViewFlowLayout>();
    layout->setItemSize({kCellWidth, kCellHeight});
    layout->setMinimumInteritemSpacing(kSpacing);
    layout->setMinimumLineSpacing(kSpacing);
    layout->setSectionInset(graphics::EdgeInsets{kInset, kInset, 0, kInset});
    collectionView_ = ui::makeView<ui::CollectionView>(graphics::Rect{{0, 0}, preferredContentSize}, layout);
    collectionView_->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    setView(collectionView_);
}

void KWFrameEditMenuViewController::viewDidLoad() {
    collectionView_->setBackgroundColor(std::nullopt);
    collectionView_->setScrollEnabled(false);
    collectionView_->registerClass([] { return std::make_shared<KWFrameEditMenuCollectionViewCell>(); },
                                   KWFrameEditMenuCollectionViewCell::kReuseIdentifier);
    collectionView_->setDataSource(this);
    collectionView_->setDelegate(this);
    collectionView_->reloadData();
}

size_t KWFrameEditMenuViewController::numberOfSectionsInCollectionView(ui::CollectionView&) {
    return frameeditmenu::kSections;
}

size_t KWFrameEditMenuViewController::numberOfItemsInSection(ui::CollectionView&, size_t section) {
    return section < frameeditmenu::kSections ? frameeditmenu::kItemsInSection[section] : 0;
}

ui::CollectionViewCellPtr KWFrameEditMenuViewController::cellForItemAtIndexPath(ui::CollectionView& collectionView,
                                                                                const ui::IndexPath& indexPath) {
    auto reused = collectionView.dequeueReusableCellWithReuseIdentifier(
        KWFrameEditMenuCollectionViewCell::kReuseIdentifier, indexPath);
    auto cell = std::dynamic_pointer_cast<KWFrameEditMenuCollectionViewCell>(reused);
    if (!cell) return reused;
    cell->resetLook();
    const auto item = frame_ ? frameeditmenu::itemAt(indexPath.section, indexPath.row, *frame_, selection_.length,
                                                     numberOfFramesInPasteboard_)
                             : std::nullopt;
    if (!item) {
        // Without a frame nothing applies.
        cell->label()->setText({});
        cell->setNotificationName({});
        cell->setMenuAlpha(frameeditmenu::kDisabledAlpha);
        return cell;
    }
    cell->label()->setText(foundation::localized(item->title));
    cell->thumbImage()->setImage(UIImage_Resize::tintedImageNamed(item->icon).value_or(graphics::Image()));
    cell->setNotificationName(item->notificationName);
    cell->setMenuAlpha(item->enabled ? frameeditmenu::kEnabledAlpha : frameeditmenu::kDisabledAlpha);
    if (item->badge) {
        cell->badge()->setValue(static_cast<uint32_t>(*item->badge));
        cell->badge()->setHidden(false);
    }
    return cell;
}

void KWFrameEditMenuViewController::willDisplayCell(ui::CollectionView&, ui::CollectionViewCell& cell,
                                                    const ui::IndexPath&) {
    if (auto* menuCell = dynamic_cast<KWFrameEditMenuCollectionViewCell*>(&cell))
        menuCell->setAlpha(menuCell->menuAlpha());
}

void KWFrameEditMenuViewController::didSelectItemAtIndexPath(ui::CollectionView& collectionView,
                                                             const ui::IndexPath& indexPath) {
    auto cell =
        std::dynamic_pointer_cast<KWFrameEditMenuCollectionViewCell>(collectionView.cellForItemAtIndexPath(indexPath));
    // The cell's alpha is its enabled state: a dimmed cell posts nothing.
    if (!cell || cell->menuAlpha() != frameeditmenu::kEnabledAlpha || cell->notificationName().empty()) return;
    foundation::Dictionary userInfo;
    userInfo.set(n::kFrameKey, n::box(frame_));
    userInfo.set(n::kSelectionKey, n::box(selection_));
    foundation::NotificationCenter::defaultCenter().post(cell->notificationName(), this, userInfo);
}
