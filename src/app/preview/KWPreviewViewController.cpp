#include "app/preview/KWPreviewViewController.h"

#include "app/core/BundleImage.h"
#include "app/preview/ScaledPicture.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Lifetime.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/compositing/Animation.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/host/Device.h"

#include <cmath>

namespace {

constexpr unsigned kFill = ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight;

std::shared_ptr<ui::ImageView> fillingImageView(const graphics::Rect& bounds) {
    auto view = ui::makeView<ui::ImageView>(bounds);
    view->setAutoresizingMask(kFill);
    view->setContentMode(ui::ContentMode::ScaleAspectFit);
    view->setUserInteractionEnabled(false);
    return view;
}

}  // namespace

KWPreviewViewController::KWPreviewViewController(ProjectModelPtr project)
    : ui::ViewController(kNibName),
      project_(std::move(project)),
      imageProducer_(std::make_unique<KWImageProducer>(project_)) {}

KWPreviewViewController::~KWPreviewViewController() {
    if (refineTimer_) refineTimer_->invalidate();
}

void KWPreviewViewController::loadView() {
    const graphics::Rect bounds{0, 0, 796, 448};
    auto root = ui::makeView<ui::View>(bounds);
    root->setAutoresizingMask(kFill);
    root->setBackgroundColor(graphics::Color::black());
    root->setClipsToBounds(true);
    setView(root);

    viewFrame_ = fillingImageView(bounds);
    root->addSubview(viewFrame_);
    viewForeground_ = fillingImageView(bounds);
    root->addSubview(viewForeground_);
    viewMask_ = fillingImageView(bounds);
    viewMask_->setContentMode(ui::ContentMode::ScaleToFill);
    viewMask_->setHidden(true);
    viewMask_->setAlpha(0.0);
    root->addSubview(viewMask_);
    viewFade_ = ui::makeView<ui::View>(bounds);
    viewFade_->setAutoresizingMask(kFill);
    viewFade_->setBackgroundColor(graphics::Color::black());
    viewFade_->setAlpha(0.0);
    viewFade_->setUserInteractionEnabled(false);
    root->addSubview(viewFade_);
}

void KWPreviewViewController::viewDidLoad() {
    auto weak = foundation::weakFrom(this);
    auto observe = [&weak](const char* name,
                           void (KWPreviewViewController::*handler)(const foundation::Notification&)) {
        return foundation::NotificationCenter::defaultCenter().addObserver(
            name, nullptr, [weak, handler](const foundation::Notification& notification) {
                if (auto self = weak.lock()) (self.get()->*handler)(notification);
            });
    };
    playheadObserver_ =
        observe(kNotificationDidMovePlayhead, &KWPreviewViewController::receiveNotificationDidMovePlayhead);
    foregroundObserver_ =
        observe(kNotificationDidChangeForeground, &KWPreviewViewController::receiveNotificationDidChangeForeground);
    maskObserver_ = observe(kNotificationDidChangeMask, &KWPreviewViewController::receiveNotificationDidChangeMask);
    updateApspectRatioMask();
    updateForground();
}

void KWPreviewViewController::removeView() {
    isRemoved_ = true;
    if (refineTimer_) refineTimer_->invalidate();
    refineTimer_.reset();
    playheadObserver_.reset();
    foregroundObserver_.reset();
    maskObserver_.reset();
}

void KWPreviewViewController::showFrame(const FramePtr& frame) {
    showFrame(frame, KWImageProducer::kImageTypePreview, false);
}

void KWPreviewViewController::updateFrame(const FramePtr& frame) {
    showFrame(frame ? frame : lastFrame_, KWImageProducer::kImageTypePreview, true);
}

void KWPreviewViewController::showFrame(const FramePtr& frame, uint64_t type, bool update) {
    if ((frame == lastFrame_ && !update) || isUpdating_) return;
    isUpdating_ = true;
    view();  // the outlets exist once the view is loaded
    lastFrame_ = frame;
    isFullFrame_ = type == static_cast<uint64_t>(KWImageProducer::kImageTypeFrame);
    // A frame shown anew stands from now on.
    if (refineTimer_) refineTimer_->invalidate();
    refineTimer_.reset();
    if (frame && !isFullFrame_ && !isRemoved_) {
        auto weak = foundation::weakFrom(this);
        refineTimer_ = foundation::RunLoop::main().scheduleTimer(kRefineAfterSeconds, false, [weak](foundation::Timer&) {
            if (auto self = weak.lock()) self->refine();
        });
    }
    const uint64_t request = ++pictureRequest_;
    loadingRequest_ = 0;
    isUpdating_ = false;
    if (!frame) {
        viewFrame_->setImage(graphics::Image());
        return;
    }
    if (frame->type() == Frame::kTypeCaptureSlot && type == uint64_t(KWImageProducer::kImageTypeThumbnail)) {
        // The camera picture among the resources: nothing stored to decode.
        viewFrame_->setImage(imageProducer_->getImageForFrame(frame, KWImageProducer::kImageTypeThumbnail, {})
                                 .value_or(graphics::Image()));
        return;
    }
    // The capture slot shows the frame in front of it, nothing when none is.
    FramePtr source = frame;
    if (frame->type() == Frame::kTypeCaptureSlot) {
        auto list = project_->getFrameList();
        const int64_t index = list ? list->getCaptureIndex() : foundation::kNotFound;
        source = index == foundation::kNotFound || index < 1 ? nullptr : list->getFrameAtIndex(index - 1);
        if (!source) {
            viewFrame_->setImage(graphics::Image());
            return;
        }
    }
    std::optional<std::string> path;
    if (auto folder = project_->getProjectPath()) {
        const std::string& id = source->frameID();
        const std::string name = type == uint64_t(KWImageProducer::kImageTypeFrame) ? KWImageProducer::frameFileName(id)
                                 : type == uint64_t(KWImageProducer::kImageTypePreview)
                                     ? KWImageProducer::previewFileName(id)
                                     : KWImageProducer::thumbnailFileName(id);
        path = *folder + "/" + name;
    }
    const double scale = ui::Device::current().screenScale();
    const int pixelWidth = static_cast<int>(std::ceil(view()->bounds().width() * scale));
    const int pixelHeight = static_cast<int>(std::ceil(view()->bounds().height() * scale));
    const int32_t effect = movieEffectOfProject(*project_);
    loadingRequest_ = request;
    auto weak = foundation::weakFrom(this);
    foundation::DispatchQueue::global().async([weak, request, path, pixelWidth, pixelHeight, effect] {
        graphics::Image picture = decodeScaledPicture(path, pixelWidth, pixelHeight, effect);
        foundation::DispatchQueue::main().async([weak, request, picture = std::move(picture)] {
            auto self = weak.lock();
            if (!self || request != self->pictureRequest_) return;
            self->loadingRequest_ = 0;
            self->viewFrame_->setImage(picture);
        });
    });
}

void KWPreviewViewController::refine() {
    if (isFullFrame_ || isUpdating_ || !lastFrame_) return;
    showFrame(lastFrame_, KWImageProducer::kImageTypeFrame, true);
}

void KWPreviewViewController::updateApspectRatioMask() {
    view();
    bool maskOn = false;
    double format = 0;
    if (auto meta = project_->getMetaData()) {
        maskOn = meta->get(kMaskKey).asBool();
        format = meta->get(kMaskFormatKey).asDouble();
    }
    maskOn_ = maskOn;
    if (maskOn) {
        // Only the two formats with a picture of their own change it; any
        // other format keeps the picture shown before.
        if (format == 2.35) {
            if (auto image = bundleImageNamed(kMaskWideImage)) viewMask_->setImage(*image);
        } else if (format == 1.0) {
            if (auto image = bundleImageNamed(kMaskSquareImage)) viewMask_->setImage(*image);
        }
        viewMask_->setAlpha(0.0);
        viewMask_->setHidden(false);
        auto mask = viewMask_;
        ui::animate(kMaskFadeDuration, [mask] { mask->setAlpha(1.0); });
    } else {
        // A fade-out that ends after the mask was switched on again leaves it shown.
        auto mask = viewMask_;
        auto weak = foundation::weakFrom(this);
        ui::animate(
            kMaskFadeDuration, [mask] { mask->setAlpha(0.0); },
            [mask, weak](bool) {
                auto self = weak.lock();
                if (!self || !self->maskOn_) mask->setHidden(true);
            });
    }
}

void KWPreviewViewController::updateForground() {
    view();
    int64_t foreground = 0;
    if (auto meta = project_->getMetaData()) foreground = meta->get(kForegroundKey).asInt();
    graphics::Image picture;
    if (foreground != 0) {
        if (auto data = project_->fileDataForFileWithPreferredFilename(kForegroundFile)) {
            if (auto decoded = graphics::Image::decode(*data); decoded.ok()) picture = *decoded;
        }
    }
    viewForeground_->setImage(picture);
}

void KWPreviewViewController::receiveNotificationDidMovePlayhead(const foundation::Notification& notification) {
    const auto& info = notification.userInfo;
    if (const auto* frame = info.get(kFrameKey).objectAs<FramePtr>()) showFrame(*frame);
    double fade = 0.0;
    if (info.contains(kExpandedIndexKey)) {
        fade = imageProducer_->calculateAlphaForFadeforFrameAtIndex(info.get(kExpandedIndexKey).asInt(),
                                                                    info.get(kExpandedTotalFramesKey).asInt());
    }
    view();
    viewFade_->setAlpha(fade);
}

void KWPreviewViewController::receiveNotificationDidChangeForeground(const foundation::Notification&) {
    updateForground();
}

void KWPreviewViewController::receiveNotificationDidChangeMask(const foundation::Notification&) {
    updateApspectRatioMask();
}
