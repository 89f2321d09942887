#include "app/editor/KWFrameByFrameView.h"

#include "app/core/BundleImage.h"
#include "app/editor/EditorNotifications.h"
#include "app/editor/StripSelection.h"
#include "platform/foundation/NotFound.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Font.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/gestures/TapGestureRecognizer.h"
#include "platform/ui/host/Device.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// An item of the strip remembers the frame it shows, so that a thumbnail
// decoded in the background lands only while the item still shows it.
class StripItemView : public ui::View {
public:
    using ui::View::View;
    FramePtr shownFrame;
};

bool isTablet() { return ui::Device::current().userInterfaceIdiom() == ui::UserInterfaceIdiom::Pad; }

const graphics::Color kMarkColor =
    graphics::Color::rgb(0.8313725490196079, 0.011764705882352941, 0.8431372549019608, 0.7);
const graphics::Color kSelectionColor = graphics::Color::rgb(1.0, 0.4, 0.8, 1.0);
// Room on either side of the badge's text.
constexpr double kBadgePadding = 5;

}  // namespace

struct KWFrameByFrameView::Geometry {
    graphics::Rect root;
    graphics::Rect item;
    graphics::Rect thumbnail;
    graphics::Rect badge;
    double itemWidth;
    double badgeFontSize;
};

const KWFrameByFrameView::Geometry& KWFrameByFrameView::geometry() {
    static const Geometry phone{{0, 0, 568, 110}, {0, 18, 90, 90}, {10, 18, 70, 50}, {249, 2, 70, 16}, 90, 11};
    static const Geometry tablet{{0, 0, 1024, 115}, {0, 0, 105, 115}, {0, 15, 105, 75}, {467, 0, 90, 15}, 130, 11};
    return isTablet() ? tablet : phone;
}

KWFrameByFrameView::KWFrameByFrameView(ProjectModelPtr project)
    : ui::ViewController(isTablet() ? kNibNameTablet : kNibNamePhone),
      project_(std::move(project)),
      frameList_(project_ ? project_->getFrameList() : nullptr),
      thumbnails_(project_) {}

KWFrameByFrameView::~KWFrameByFrameView() {
    if (carousel_) {
        carousel_->setDataSource(nullptr);
        carousel_->setDelegate(nullptr);
    }
}

void KWFrameByFrameView::loadView() {
    const Geometry& g = geometry();
    auto root = ui::makeView<ui::View>(g.root);
    root->setAutoresizingMask(ui::AutoresizingFlexibleWidth);
    setView(root);

    carousel_ = ui::makeView<iCarousel>(g.root);
    carousel_->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    root->addSubview(carousel_);

    viewFrameNumber_ = ui::makeView<ui::View>(g.badge);
    viewFrameNumber_->setBackgroundColor(graphics::Color::grey(0.0, 0.6));
    viewFrameNumber_->setAutoresizingMask(ui::AutoresizingFlexibleLeftMargin | ui::AutoresizingFlexibleRightMargin);
    viewFrameNumber_->setUserInteractionEnabled(false);
    root->addSubview(viewFrameNumber_);
    labelFrameNumber_ = ui::makeView<ui::Label>(graphics::Rect{{0, 0}, g.badge.size});
    labelFrameNumber_->setFont(graphics::Font::boldSystemFont(g.badgeFontSize));
    labelFrameNumber_->setTextColor(graphics::Color::white());
    labelFrameNumber_->setTextAlignment(graphics::TextAlignment::Center);
    viewFrameNumber_->addSubview(labelFrameNumber_);
}

void KWFrameByFrameView::viewDidLoad() {
    std::weak_ptr<KWFrameByFrameView> weak = foundation::weakFrom(this);
    doubleTap_ = std::make_shared<ui::TapGestureRecognizer>([weak](ui::GestureRecognizer&) {
        if (auto self = weak.lock())
            foundation::NotificationCenter::defaultCenter().post(editornotifications::kFrameByFrameViewDoubleTapped,
                                                                 self.get());
    });
    doubleTap_->numberOfTapsRequired = 2;
    view()->addGestureRecognizer(doubleTap_);

    imageProducer_ = std::make_unique<KWImageProducer>(project_);

    carousel_->setType(iCarouselTypeLinear);
    carousel_->decelerationRate = 0.96;
    carousel_->bounces = true;
    carousel_->centerItemWhenSelected = false;
    carousel_->setDelegate(this);
    carousel_->setDataSource(this);

    selectionStartIndex_ = strip::kNoSelection;
    if (frameList_ && frameList_->count() > 0 && frameList_->getFrameAtIndex(0) == frameList_->frameAtPlayhead())
        updatePlayhead(0);
}

// ---- items ------------------------------------------------------------------------------

int64_t KWFrameByFrameView::numberOfItemsInCarousel(iCarousel&) { return frameList_ ? frameList_->count() : 0; }

double KWFrameByFrameView::itemWidth() { return geometry().itemWidth; }

std::optional<double> KWFrameByFrameView::carouselItemWidth(iCarousel&) { return itemWidth(); }

ui::ViewPtr KWFrameByFrameView::carouselViewForItemAtIndex(iCarousel&, int64_t index, ui::ViewPtr view) {
    const FramePtr frame = frameList_ ? frameList_->getFrameAtIndex(index) : nullptr;
    if (!frame) return nullptr;
    if (!dynamic_cast<StripItemView*>(view.get())) view = makeItemView();
    fillItemView(*view, frame);
    return view;
}

ui::ViewPtr KWFrameByFrameView::makeItemView() {
    const Geometry& g = geometry();
    auto item = ui::makeView<StripItemView>(g.item);
    item->layer().setDoubleSided(false);

    const graphics::Rect t = g.thumbnail;
    auto thumbnail = ui::makeView<ui::ImageView>(t);
    thumbnail->setTag(kTagThumbnail);
    thumbnail->setBackgroundColor(graphics::Color::black());
    thumbnail->setContentMode(ui::ContentMode::ScaleAspectFill);
    thumbnail->setClipsToBounds(true);
    item->addSubview(thumbnail);

    auto overlay = ui::makeView<ui::View>(t);
    overlay->setTag(kTagSelection);
    overlay->setBackgroundColor(kSelectionColor);
    overlay->setAlpha(0.7);
    overlay->setHidden(true);
    item->addSubview(overlay);

    const double w = t.width() / 2, h = t.height() / 2;
    struct Mark {
        int tag;
        graphics::Rect frame;
        const char* image;
    };
    const Mark marks[] = {
        {kTagText, {t.origin.x, t.origin.y, w, h}, "thumb_icon_text"},
        {kTagHold, {t.origin.x, t.origin.y + h, w, h}, "thumb_icon_hold"},
        {kTagAudio, {t.origin.x + w, t.origin.y + h, w, h}, "thumb_icon_audio"},
    };
    for (const Mark& mark : marks) {
        auto view = ui::makeView<ui::ImageView>(mark.frame);
        view->setTag(mark.tag);
        view->setContentMode(ui::ContentMode::ScaleAspectFit);
        view->setBackgroundColor(kMarkColor);
        view->setUserInteractionEnabled(false);
        if (const auto& image = markImage(mark.image)) view->setImage(*image);
        item->addSubview(view);
    }

    std::weak_ptr<KWFrameByFrameView> weak = foundation::weakFrom(this);
    for (ui::View* touchable : {static_cast<ui::View*>(thumbnail.get()), overlay.get()}) {
        auto tap = std::make_shared<ui::TapGestureRecognizer>([weak](ui::GestureRecognizer& recognizer) {
            if (auto self = weak.lock()) self->didTapItem(recognizer);
        });
        tap->requireGestureRecognizerToFail(doubleTap_);
        touchable->setUserInteractionEnabled(true);
        touchable->addGestureRecognizer(tap);
    }
    return item;
}

const std::optional<graphics::Image>& KWFrameByFrameView::markImage(const std::string& name) {
    auto found = markImages_.find(name);
    if (found == markImages_.end()) found = markImages_.emplace(name, bundleImageNamed(name)).first;
    return found->second;
}

void KWFrameByFrameView::fillItemView(ui::View& item, const FramePtr& frame) {
    auto* stripItem = static_cast<StripItemView*>(&item);
    stripItem->shownFrame = frame;
    auto* thumbnail = static_cast<ui::ImageView*>(itemSubview(item, kTagThumbnail));
    if (frame->type() == Frame::kTypeCaptureSlot) {
        // The camera picture of the resources: no stored file to decode.
        thumbnail->setImage(imageProducer_->getImageForFrame(frame, KWImageProducer::kImageTypeThumbnail, {90, 90})
                                .value_or(graphics::Image()));
    } else {
        const double scale = ui::Device::current().screenScale();
        const int pixelWidth = static_cast<int>(std::ceil(thumbnail->bounds().width() * scale));
        const int pixelHeight = static_cast<int>(std::ceil(thumbnail->bounds().height() * scale));
        if (auto cached = thumbnails_.cachedImage(frame, pixelWidth, pixelHeight)) {
            thumbnail->setImage(*cached);
        } else {
            thumbnail->setImage(graphics::Image());
            std::weak_ptr<ui::View> weakItem = std::static_pointer_cast<ui::View>(item.sharedFromThis());
            thumbnails_.requestImage(frame, pixelWidth, pixelHeight, [weakItem, frame](const graphics::Image& image) {
                auto shown = weakItem.lock();
                if (!shown || static_cast<StripItemView*>(shown.get())->shownFrame != frame) return;
                if (auto* view = static_cast<ui::ImageView*>(itemSubview(*shown, kTagThumbnail))) view->setImage(image);
            });
        }
    }
    const int32_t type = frame->type();
    itemSubview(item, kTagSelection)->setHidden(true);
    itemSubview(item, kTagHold)->setHidden(frame->getDuration() == 1);
    itemSubview(item, kTagText)
        ->setHidden(
            !(type == Frame::kTypeTitleCard || type == Frame::kTypeCreditsCard || type == Frame::kTypeThemeTextCard));
    itemSubview(item, kTagAudio)->setHidden(frame->getAudio() == nullptr);
}

ui::View* KWFrameByFrameView::itemSubview(const ui::View& item, int tag) {
    for (const ui::ViewPtr& subview : item.subviews())
        if (subview->tag() == tag) return subview.get();
    return nullptr;
}

FramePtr KWFrameByFrameView::frameShownBy(const ui::View* itemView) {
    const auto* item = dynamic_cast<const StripItemView*>(itemView);
    return item ? item->shownFrame : nullptr;
}

// ---- changes from the editor ---------------------------------------------------------------

void KWFrameByFrameView::insertFrame(const FramePtr& frame, int64_t index, bool animated) {
    (void)frame;
    view();
    carousel_->insertItemAtIndex(index, animated);
    followCurrentItemLater();
}

void KWFrameByFrameView::insertFrames(const std::vector<int64_t>& indexes, bool animated) {
    if (indexes.empty()) return;
    if (indexes.size() == 1) {
        insertFrame(frameList_ ? frameList_->getFrameAtIndex(indexes.front()) : nullptr, indexes.front(), animated);
        return;
    }
    updateAllFrames();
    followCurrentItemLater();
}

void KWFrameByFrameView::removeFrame(const FramePtr& frame, bool animated) {
    const int64_t index = frameList_ ? frameList_->getIndexForFrame(frame) : foundation::kNotFound;
    if (index == foundation::kNotFound) return;
    view();
    carousel_->removeItemAtIndex(index, animated);
    followCurrentItemLater();
}

void KWFrameByFrameView::followCurrentItemLater() {
    life_.performAfter(kFollowDelay, [this] { currentItemDidChange(); });
}

void KWFrameByFrameView::updateFrame(const FramePtr& frame) {
    const int64_t index = frameList_ ? frameList_->getIndexForFrame(frame) : foundation::kNotFound;
    if (index == foundation::kNotFound) return;
    thumbnails_.invalidate(frame);
    view();
    carousel_->reloadItemAtIndex(index, true);
    updateSelection();
}

void KWFrameByFrameView::updateAllFrames() {
    thumbnails_.invalidateAll();
    view();
    carousel_->reloadData();
    updateSelection();
    // The list may have changed length under the centred item.
    showFrameNumber(getCurrentFrame());
}

void KWFrameByFrameView::scrollToFrame(const FramePtr& frame, bool animate) {
    const int64_t index = frameList_ ? frameList_->getIndexForFrame(frame) : foundation::kNotFound;
    if (index == foundation::kNotFound) return;
    view();
    carousel_->scrollToItemAtIndexAnimated(index, animate);
}

int64_t KWFrameByFrameView::getCurrentFrame() const { return carousel_ ? carousel_->currentItemIndex() : 0; }

// ---- playhead and selection -------------------------------------------------------------------

void KWFrameByFrameView::carouselCurrentItemIndexDidChange(iCarousel&) { currentItemDidChange(); }

void KWFrameByFrameView::currentItemDidChange() {
    updatePlayhead(getCurrentFrame());
    if (selectionStartIndex_ != strip::kNoSelection) updateSelection();
}

void KWFrameByFrameView::updatePlayhead(int64_t index) {
    const FramePtr frame = frameList_ ? frameList_->getFrameAtIndex(index) : nullptr;
    if (!frame) return;
    showFrameNumber(index);
    if (auto list = project_->getFrameList()) list->setFrameAtPlayhead(frame);
    foundation::Dictionary info;
    info.set(editornotifications::kFrameKey, editornotifications::box(frame));
    foundation::NotificationCenter::defaultCenter().post(editornotifications::kDidMovePlayhead, this, info);
}

void KWFrameByFrameView::showFrameNumber(int64_t index) {
    if (!frameList_ || index < 0 || index >= frameList_->count()) return;
    view();
    char text[48];
    std::snprintf(text, sizeof text, "%d / %d", static_cast<int>(index + 1), static_cast<int>(frameList_->count()));
    labelFrameNumber_->setText(text);
    // The badge widens about its centre for a long count, so every count the
    // program allows reads whole; an even width keeps the text on whole points.
    const double textWidth = labelFrameNumber_->sizeThatFits({}).width;
    const double width = std::max(geometry().badge.width(), 2 * std::ceil(textWidth / 2 + kBadgePadding));
    const graphics::Rect badge = viewFrameNumber_->frame();
    viewFrameNumber_->setFrame({std::round(badge.midX() - width / 2), badge.minY(), width, badge.height()});
    labelFrameNumber_->setFrame(viewFrameNumber_->bounds());
}

void KWFrameByFrameView::enabledSelectionModeForFrame(const FramePtr& frame) {
    auto list = project_ ? project_->getFrameList() : nullptr;
    const int64_t index = list ? list->getIndexForFrame(frame) : foundation::kNotFound;
    // A frame that is not listed anchors nothing.
    selectionStartIndex_ = index == foundation::kNotFound ? strip::kNoSelection : index;
    updateSelection();
}

void KWFrameByFrameView::disableSelectionMode() {
    selectionStartIndex_ = strip::kNoSelection;
    updateSelection();
}

void KWFrameByFrameView::updateSelection() {
    if (!carousel_) return;
    const int64_t current = getCurrentFrame();
    const auto indexes = carousel_->indexesForVisibleItems();
    const auto views = carousel_->visibleItemViews();
    for (size_t k = 0; k < indexes.size() && k < views.size(); ++k) {
        ui::View* overlay = itemSubview(*views[k], kTagSelection);
        if (!overlay) continue;
        const FramePtr frame = frameList_->getFrameAtIndex(indexes[k]);
        const bool marked =
            strip::isInMarkedRun(indexes[k], selectionStartIndex_, current) && frame && frame->canSelect();
        overlay->setHidden(!marked);
    }
}

void KWFrameByFrameView::didTapItem(ui::GestureRecognizer& recognizer) {
    if (recognizer.state() != ui::GestureState::Ended) return;
    ui::View* touched = recognizer.view();
    ui::View* item = touched ? touched->superview() : nullptr;
    const int64_t index = item ? carousel_->indexOfItemView(item) : foundation::kNotFound;
    if (index == foundation::kNotFound) return;
    const FramePtr frame = frameList_->getFrameAtIndex(index);
    if (!frame) return;

    // The item's rectangle in the editor's screen, two levels above this view.
    ui::View* root = view();
    ui::View* screen = root->superview() ? root->superview()->superview() : nullptr;
    const graphics::Rect rect =
        item->convertRectToView(graphics::Rect{item->frame().origin, item->frame().size}, screen);

    const strip::TapResult tap = strip::selectionForTap(index, selectionStartIndex_, getCurrentFrame());
    if (tap.endsSelection) disableSelectionMode();
    foundation::Dictionary info;
    info.set(editornotifications::kFrameKey, editornotifications::box(frame));
    info.set(editornotifications::kViewRectKey, editornotifications::box(rect));
    info.set(editornotifications::kSelectionKey, editornotifications::box(tap.selection));
    foundation::NotificationCenter::defaultCenter().post(editornotifications::kDidSelectFrame, this, info);
}
