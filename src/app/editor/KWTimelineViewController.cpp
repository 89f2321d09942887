#include "app/editor/KWTimelineViewController.h"

#include "app/core/FormatterUtil.h"
#include "app/editor/EditorNotifications.h"
#include "platform/foundation/Lifetime.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Font.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/gestures/TapGestureRecognizer.h"
#include "platform/ui/host/Device.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kScrollerY = 30;
constexpr double kScrollerHeight = 45;
constexpr double kFilmY = 10;
constexpr double kBadgeWidth = 70;
constexpr double kBadgeHeight = 20;

graphics::Rect rootBounds() {
    const bool phone = ui::Device::current().userInterfaceIdiom() != ui::UserInterfaceIdiom::Pad;
    return phone ? graphics::Rect{0, 0, 568, 110} : graphics::Rect{0, 0, 1024, 115};
}

}  // namespace

KWTimelineViewController::KWTimelineViewController(ProjectModelPtr project)
    : ui::ViewController(kNibName), project_(std::move(project)), thumbnails_(project_, 1u << 20) {}

KWTimelineViewController::~KWTimelineViewController() {
    if (viewClipScroller_) viewClipScroller_->setDelegate(nullptr);
}

int64_t KWTimelineViewController::fps() const { return timeline::framesPerSecond(project_ ? project_->getFPS() : 1); }

void KWTimelineViewController::loadView() {
    const graphics::Rect bounds = rootBounds();
    const double width = bounds.width();
    auto root = ui::makeView<ui::View>(bounds);
    root->setAutoresizingMask(ui::AutoresizingFlexibleWidth);
    root->setBackgroundColor(graphics::Color::grey(0.12));
    setView(root);

    viewClipScroller_ = ui::makeView<ui::ScrollView>(graphics::Rect{0, kScrollerY, width, kScrollerHeight});
    viewClipScroller_->setAutoresizingMask(ui::AutoresizingFlexibleWidth);
    viewClipScroller_->setAlwaysBounceHorizontal(true);
    viewClipScroller_->setDelegate(this);
    root->addSubview(viewClipScroller_);
    viewClip_ =
        ui::makeView<ui::View>(graphics::Rect{width / 2, kFilmY, timeline::kFilmWidth, timeline::kPictureHeight});
    viewClipScroller_->addSubview(viewClip_);

    viewPosition_ = ui::makeView<ui::View>(graphics::Rect{width / 2 - 1, kScrollerY - 4, 2, kScrollerHeight + 8});
    viewPosition_->setBackgroundColor(graphics::Color::rgb8(212, 3, 215));
    viewPosition_->setUserInteractionEnabled(false);
    viewPosition_->setAutoresizingMask(ui::AutoresizingFlexibleLeftMargin | ui::AutoresizingFlexibleRightMargin);
    root->addSubview(viewPosition_);

    viewFrameNumber_ = ui::makeView<ui::View>(graphics::Rect{(width - kBadgeWidth) / 2, 4, kBadgeWidth, kBadgeHeight});
    viewFrameNumber_->setBackgroundColor(graphics::Color::grey(0.0, 0.6));
    viewFrameNumber_->setAutoresizingMask(ui::AutoresizingFlexibleLeftMargin | ui::AutoresizingFlexibleRightMargin);
    viewFrameNumber_->setUserInteractionEnabled(false);
    root->addSubview(viewFrameNumber_);
    labelFrameNumber_ = ui::makeView<ui::Label>(graphics::Rect{0, 0, kBadgeWidth, kBadgeHeight});
    labelFrameNumber_->setFont(graphics::Font::boldSystemFont(12));
    labelFrameNumber_->setTextColor(graphics::Color::white());
    labelFrameNumber_->setTextAlignment(graphics::TextAlignment::Center);
    viewFrameNumber_->addSubview(labelFrameNumber_);
}

void KWTimelineViewController::viewDidLoad() {
    std::weak_ptr<KWTimelineViewController> weak = foundation::weakFrom(this);
    auto doubleTap = std::make_shared<ui::TapGestureRecognizer>([weak](ui::GestureRecognizer&) {
        if (auto self = weak.lock())
            foundation::NotificationCenter::defaultCenter().post(editornotifications::kTimelineViewDoubleTapped,
                                                                 self.get());
    });
    doubleTap->numberOfTapsRequired = 2;
    view()->addGestureRecognizer(doubleTap);
}

void KWTimelineViewController::viewWillAppear(bool) {
    view();
    for (auto& picture : imageViews_) picture->removeFromSuperview();
    imageViews_.clear();
    for (int k = 0; k < timeline::kPictureCount; ++k) {
        auto picture = ui::makeView<ui::ImageView>(
            graphics::Rect{k * timeline::kPictureWidth, 0, timeline::kPictureWidth, timeline::kPictureHeight});
        picture->setBackgroundColor(graphics::Color::black());
        picture->setContentMode(ui::ContentMode::ScaleAspectFill);
        picture->setClipsToBounds(true);
        picture->setUserInteractionEnabled(false);
        viewClip_->addSubview(picture);
        imageViews_.push_back(picture);
    }
    const graphics::Rect scroller = viewClipScroller_->frame();
    const graphics::Rect clip = viewClip_->frame();
    viewClip_->setFrame({scroller.width() / 2, clip.origin.y, timeline::kFilmWidth, clip.height()});
    viewClipScroller_->setContentSize({scroller.width() + timeline::kFilmWidth, scroller.height()});
    updateView();
}

void KWTimelineViewController::updateView() {
    if (imageViews_.empty()) return;
    auto list = project_ ? project_->getFrameList() : nullptr;
    expandedList_ = list ? timeline::ExpandedFrames(*list) : timeline::ExpandedFrames();
    const auto entries = timeline::pictureEntries(expandedList_.count());
    pictureEntries_.assign(entries.begin(), entries.end());
    const double scale = ui::Device::current().screenScale();
    const int pixelWidth = static_cast<int>(std::ceil(timeline::kPictureWidth * scale));
    const int pixelHeight = static_cast<int>(std::ceil(timeline::kPictureHeight * scale));
    for (size_t k = 0; k < imageViews_.size(); ++k) {
        if (!entries[k]) continue;
        const FramePtr frame = expandedList_.frameAt(*entries[k]);
        std::weak_ptr<ui::ImageView> picture = imageViews_[k];
        auto show = [picture](const graphics::Image& image) {
            if (auto view = picture.lock()) view->setImage(image);
        };
        if (auto cached = thumbnails_.cachedImage(frame, pixelWidth, pixelHeight)) {
            show(*cached);
            continue;
        }
        // A picture that is rebuilt again before its decode arrives takes the
        // later request's frame: only the frame still wanted there is shown.
        std::weak_ptr<KWTimelineViewController> weak = foundation::weakFrom(this);
        thumbnails_.requestImage(frame, pixelWidth, pixelHeight,
                                 [weak, k, entry = *entries[k], frame, show](const graphics::Image& image) {
                                     auto self = weak.lock();
                                     if (!self || k >= self->pictureEntries_.size()) return;
                                     if (self->pictureEntries_[k] != entry) return;
                                     if (self->expandedList_.frameAt(entry) != frame) return;
                                     show(image);
                                 });
    }
}

void KWTimelineViewController::scrollToTimeIndex(int64_t milliseconds, bool animate) {
    const auto offset = timeline::offsetForTime(milliseconds, fps(), expandedList_.count());
    if (!offset || !viewClipScroller_) return;
    viewClipScroller_->setContentOffset({*offset, viewClipScroller_->contentOffset().y}, animate);
}

void KWTimelineViewController::scrollToFrame(const FramePtr& frame, bool animate) {
    FramePtr target = frame;
    if (target && target->type() == Frame::kTypeCaptureSlot) {
        auto list = project_ ? project_->getFrameList() : nullptr;
        const int64_t index = list ? list->getIndexForFrame(target) : foundation::kNotFound;
        if (index != foundation::kNotFound && index >= 1) target = list->getFrameAtIndex(index - 1);
    }
    const auto entry = expandedList_.firstEntryOf(target);
    if (!entry || !viewClipScroller_) return;
    viewClipScroller_->setContentOffset(
        {timeline::offsetForEntry(*entry, expandedList_.count()), viewClipScroller_->contentOffset().y}, animate);
}

bool KWTimelineViewController::keyCommand(const ui::KeyPress& press) {
    const int64_t step = press.key == ui::Key::Left ? -1 : press.key == ui::Key::Right ? 1 : 0;
    if (step == 0 || !press.text.empty() || press.modifiers != ui::KeyModifierNone || !viewClipScroller_) return false;
    const int64_t count = expandedList_.count();
    const auto entry = timeline::entryAtOffset(viewClipScroller_->contentOffset().x, count);
    if (!entry) return false;
    const int64_t target = std::clamp<int64_t>(*entry + step, 0, count - 1);
    if (target != *entry)
        viewClipScroller_->setContentOffset(
            {timeline::offsetForEntry(target, count), viewClipScroller_->contentOffset().y}, false);
    return true;
}

void KWTimelineViewController::scrollViewDidScroll(ui::ScrollView& scrollView) {
    if (auto entry = timeline::entryAtOffset(scrollView.contentOffset().x, expandedList_.count()))
        updatePlayhead(*entry);
}

void KWTimelineViewController::updatePlayhead(int64_t expandedIndex) {
    const FramePtr frame = expandedList_.frameAt(expandedIndex);
    if (!frame) return;
    view();
    labelFrameNumber_->setText(
        FormatterUtil::getFormatedDuration(static_cast<double>(expandedIndex) / static_cast<double>(fps())));
    if (auto list = project_->getFrameList()) list->setFrameAtPlayhead(frame);
    foundation::Dictionary info;
    info.set(editornotifications::kFrameKey, editornotifications::box(frame));
    info.set(editornotifications::kExpandedIndexKey, foundation::Value(static_cast<long long>(expandedIndex)));
    info.set(editornotifications::kExpandedTotalFramesKey,
             foundation::Value(static_cast<unsigned long long>(expandedList_.count())));
    foundation::NotificationCenter::defaultCenter().post(editornotifications::kDidMovePlayhead, this, info);
}
