#pragma once

// The pane that shows one frame of a project large, with the project's
// aspect-ratio mask, its foreground picture and the theme fade over it. The
// frame editor follows the playhead with it; the capture screen shows each
// newly stored frame in it and the frame before the capture slot for the
// onion skin.
//
// To stay fast while the playhead moves, the pane first shows a frame's
// preview picture and swaps in the full-size picture once the frame has
// stood still for one whole second; no timer runs while the pane has nothing
// left to refine. Both are decoded on
// a background queue at the pane's pixel size and shown on the main queue
// while the pane still shows that frame; until then the picture before stays.
//
// Main thread only. The owner calls removeView before it lets the pane go.

#include "app/core/Frame.h"
#include "app/core/KWImageProducer.h"
#include "app/core/MovieSettingsNotifications.h"
#include "app/core/ProjectModel.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Timer.h"
#include "platform/ui/controllers/ViewController.h"

#include <cstdint>
#include <memory>

namespace ui {
class ImageView;
}

class KWPreviewViewController : public ui::ViewController {
public:
    static constexpr const char* kNibName = "KWPreviewViewController";

    // Notifications the pane follows.
    static constexpr const char* kNotificationDidMovePlayhead = "NotificationDidMovePlayhead";
    static constexpr const char* kNotificationDidChangeForeground = kForegroundDidChangeNotification;
    static constexpr const char* kNotificationDidChangeMask = kMaskDidChangeNotification;
    // userInfo keys of the playhead notification.
    static constexpr const char* kFrameKey = "FRAME";
    static constexpr const char* kExpandedIndexKey = "EXPANDED_INDEX";
    static constexpr const char* kExpandedTotalFramesKey = "EXPANDED_TOTAL_FRAMES";

    // Project metadata the pane reads, and the foreground's file.
    static constexpr const char* kMaskKey = projectkeys::kAspectRatioMask;
    static constexpr const char* kMaskFormatKey = projectkeys::kAspectRatioMaskFormat;
    static constexpr const char* kForegroundKey = projectkeys::kForeground;
    static constexpr const char* kForegroundFile = projectkeys::kForegroundFile;
    // Mask pictures for the two formats that have one.
    static constexpr const char* kMaskWideImage = "mask_1_bg";    // 2.35
    static constexpr const char* kMaskSquareImage = "mask_2_bg";  // 1.0

    // How long a frame stands before its full-size picture is shown.
    static constexpr double kRefineAfterSeconds = 1.0;
    static constexpr double kMaskFadeDuration = 0.3;

    explicit KWPreviewViewController(ProjectModelPtr project);
    ~KWPreviewViewController() override;

    void loadView() override;
    void viewDidLoad() override;
    // Stops the refinement and the observers.
    void removeView();

    // The preview picture of a frame; nothing when it is shown already.
    void showFrame(const FramePtr& frame);
    // Reloads the preview picture of the frame, or of the shown one when null.
    void updateFrame(const FramePtr& frame);
    // `type` is a KWImageProducer image kind (0 full, 1 preview, 2 thumbnail).
    void showFrame(const FramePtr& frame, uint64_t type, bool update);
    // Pictures asked for and not yet shown.
    bool isPictureLoading() const { return loadingRequest_ != 0; }

    void updateApspectRatioMask();
    void updateForground();

    void receiveNotificationDidMovePlayhead(const foundation::Notification& notification);
    void receiveNotificationDidChangeForeground(const foundation::Notification& notification);
    void receiveNotificationDidChangeMask(const foundation::Notification& notification);
    // Shows the full-size picture of the frame shown.
    void refine();

    // ---- state and outlets --------------------------------------------------------
    const ProjectModelPtr& project() const { return project_; }
    const FramePtr& lastFrame() const { return lastFrame_; }
    // The full-size picture is shown or on its way.
    bool isFullFrame() const { return isFullFrame_; }
    bool isRefinementPending() const { return refineTimer_ && refineTimer_->isValid(); }
    ui::ImageView* viewFrame() const { return viewFrame_.get(); }
    ui::ImageView* viewForeground() const { return viewForeground_.get(); }
    ui::ImageView* viewMask() const { return viewMask_.get(); }
    ui::View* viewFade() const { return viewFade_.get(); }

private:
    std::shared_ptr<ui::ImageView> viewFrame_;
    std::shared_ptr<ui::ImageView> viewForeground_;
    std::shared_ptr<ui::ImageView> viewMask_;
    ui::ViewPtr viewFade_;
    ProjectModelPtr project_;
    std::unique_ptr<KWImageProducer> imageProducer_;
    FramePtr lastFrame_;
    bool isUpdating_ = false;
    uint64_t pictureRequest_ = 0;  // the latest request; earlier deliveries are dropped
    uint64_t loadingRequest_ = 0;  // the request still on its way, 0 when none
    bool isFullFrame_ = false;
    bool maskOn_ = false;
    foundation::TimerHandle refineTimer_;
    bool isRemoved_ = false;
    foundation::ObserverToken playheadObserver_;
    foundation::ObserverToken foregroundObserver_;
    foundation::ObserverToken maskObserver_;
};

using KWPreviewViewControllerPtr = std::shared_ptr<KWPreviewViewController>;
