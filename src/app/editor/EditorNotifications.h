#pragma once

// The notifications through which the editor's parts (strip, timeline,
// player, frame-edit menu, panels) and other screens talk to the editor, and
// their userInfo values: "FRAME" a Frame, "SELECTION" a boxed FrameRange,
// "VIEWRECT" a boxed rectangle in the editor's view.

#include "app/audio/KWAudioConfigurationViewController.h"
#include "app/capture/CaptureViewController.h"
#include "app/core/Frame.h"
#include "app/core/ShowErrorNotification.h"
#include "app/editor/FrameEditorHelp.h"
#include "app/preview/KWPreviewViewController.h"
#include "app/render/screens/ThemeSettingsNames.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/Geometry.h"

#include <cstdint>
#include <optional>

namespace editornotifications {

// Keys that the preview pane or the movie settings read too are theirs.
inline constexpr const char* kFrameKey = KWPreviewViewController::kFrameKey;
inline constexpr const char* kSelectionKey = "SELECTION";
inline constexpr const char* kViewRectKey = "VIEWRECT";
inline constexpr const char* kThemeKey = themesettings::kThemeKey;
inline constexpr const char* kInfoKey = "INFO";
inline constexpr const char* kHideAfterKey = "HIDE_AFTER";
inline constexpr const char* kExpandedIndexKey = KWPreviewViewController::kExpandedIndexKey;
inline constexpr const char* kExpandedTotalFramesKey = KWPreviewViewController::kExpandedTotalFramesKey;

// A name that a screen below the editor posts or observes too is defined
// once, there (the capture screen, the preview pane, the movie settings, the
// clip panel, the error notice), and only named here.
inline constexpr const char* kAddFrame = CaptureViewController::kAddFrameNotification;
inline constexpr const char* kGotoCaptureFrame = CaptureViewController::kGotoCaptureFrameNotification;
inline constexpr const char* kMovieEffectDidChange = themesettings::kMovieEffectDidChangeNotification;
inline constexpr const char* kOutlineHasChanged = themesettings::kOutlineHasChangedNotification;
inline constexpr const char* kThemeDone = themesettings::kThemeDoneNotification;
inline constexpr const char* kThemeDidChange = themesettings::kThemeDidChangeNotification;
inline constexpr const char* kThemeRenderingFinished = themesettings::kThemeRenderingFinishedNotification;
inline constexpr const char* kThemeShowTitle = themesettings::kThemeShowTitleNotification;
inline constexpr const char* kThemeShowCredits = themesettings::kThemeShowCreditsNotification;
inline constexpr const char* kFrameEditorHelpClose = FrameEditorHelp::kCloseNotification;
inline constexpr const char* kShowActivity = "ShowActivityNotification";
inline constexpr const char* kHideActivity = "HideActivityNotification";
inline constexpr const char* kShowHUD = "ShowHUDNotification";
inline constexpr const char* kShowError = kShowErrorNotification;
inline constexpr const char* kAudioControllerRemoveClip = KWAudioConfigurationViewController::kRemoveClipNotification;
inline constexpr const char* kAudioControllerDone = KWAudioConfigurationViewController::kDoneNotification;
inline constexpr const char* kDidMovePlayhead = KWPreviewViewController::kNotificationDidMovePlayhead;
inline constexpr const char* kTimelineViewDoubleTapped = "NotificationTimelineViewDoubleTapped";
inline constexpr const char* kFrameByFrameViewDoubleTapped = "NotificationFrameByFrameViewDoubleTapped";
inline constexpr const char* kDidSelectFrame = "NotificationDidSelectFrame";
inline constexpr const char* kDidStartPlaying = CaptureViewController::kDidStartPlayingNotification;
inline constexpr const char* kDidStopPlaying = CaptureViewController::kDidStopPlayingNotification;
inline constexpr const char* kMenuText = "NotificationFrameEditMenuTextSelected";
inline constexpr const char* kMenuDraw = "NotificationFrameEditMenuDrawSelected";
inline constexpr const char* kMenuEraser = "NotificationFrameEditMenuEraserSelected";
inline constexpr const char* kMenuCrop = "NotificationFrameEditMenuCropSelected";
inline constexpr const char* kMenuMerge = "NotificationFrameEditMenuMergeSelected";
inline constexpr const char* kMenuAudio = "NotificationFrameEditMenuAudioSelected";
inline constexpr const char* kMenuCaptureHere = "NotificationFrameEditMenuCaptureHereSelected";
inline constexpr const char* kMenuHold = "NotificationFrameEditMenuHoldSelected";
inline constexpr const char* kMenuSelect = "NotificationFrameEditMenuSelectSelected";
inline constexpr const char* kMenuDeselect = "NotificationFrameEditMenuDeselectSelected";
inline constexpr const char* kMenuDelete = "NotificationFrameEditMenuDeleteSelected";
inline constexpr const char* kMenuCopy = "NotificationFrameEditMenuCopySelected";
inline constexpr const char* kMenuPaste = "NotificationFrameEditMenuPasteSelected";
inline constexpr const char* kMenuReverse = "NotificationFrameEditMenuReverseSelected";

// A range of frame-list indexes, as "SELECTION" carries it.
struct FrameRange {
    int64_t location = 0;
    int64_t length = 0;
    bool operator==(const FrameRange&) const = default;
};

inline foundation::Value box(FrameRange range) { return foundation::Value::object(range); }
inline foundation::Value box(const graphics::Rect& rect) { return foundation::Value::object(rect); }
inline foundation::Value box(const FramePtr& frame) { return foundation::Value::object(frame); }

// The values of a userInfo; none (null) when absent or of another kind.
inline FramePtr frameIn(const foundation::Dictionary& userInfo) {
    const FramePtr* frame = userInfo.get(kFrameKey).objectAs<FramePtr>();
    return frame ? *frame : nullptr;
}
inline std::optional<FrameRange> selectionIn(const foundation::Dictionary& userInfo) {
    const FrameRange* range = userInfo.get(kSelectionKey).objectAs<FrameRange>();
    return range ? std::optional<FrameRange>(*range) : std::nullopt;
}
inline std::optional<graphics::Rect> viewRectIn(const foundation::Dictionary& userInfo) {
    const graphics::Rect* rect = userInfo.get(kViewRectKey).objectAs<graphics::Rect>();
    return rect ? std::optional<graphics::Rect>(*rect) : std::nullopt;
}

}  // namespace editornotifications
