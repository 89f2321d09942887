#pragma once

// For tests of the real program in a real window: a map of the labelled
// things on screen, written as a binary property list beside the running
// program whenever what it shows has changed. Each entry names a button (by
// its title, else the name of its picture), a label, a text field or text
// view, an image view with a named picture, one segment of a segmented
// control, or a button of a bar, alert or action sheet (by title, picture
// name or system item name: "Done", "Add", ...); says where it lies in the Qt window, in pixels; and carries how
// the view looks drawn alone. A road test finds a control by its label,
// checks on a screenshot of the X server that the pixels there really show
// it (a view's frame can disagree with where it is drawn), and presses it
// with real input.
//
// Off unless the environment variable TOLLIVAR_CONTROL_MAP names the file.
//
// File contents (a dictionary):
//   sequence     integer, counts the writes
//   windowId     integer, the native window (the X window under xcb)
//   width, height  the Qt window's size in pixels
//   controls     array, back to front (later entries are drawn over earlier
//                ones), of dictionaries:
//     label, kind ("Button", "BarButton", "Label", "TextField", "TextView",
//                 "ImageView", "Segment")
//     x, y, width, height   the view's rectangle in window pixels
//     visibleX, visibleY, visibleWidth, visibleHeight  the part of it that
//                 clipping views around it leave (what can be seen and pressed)
//     enabled, selected     for controls
//     opacity     the product of the alphas from the window down to the view
//     moving      whether the view or one around it is being animated
//     pixels, pixelX, pixelY, pixelWidth, pixelHeight  the view drawn alone
//                 as straight RGBA bytes, row after row, over the whole
//                 window pixels its rectangle touches (from pixelX, pixelY),
//                 on the window's pixel grid; absent when the view is turned
//                 or scaled on its way to the window, or while it or a view
//                 around it is animated (moving is then true)

#include "platform/foundation/Lifetime.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/Geometry.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ui {

class View;

// How the host shows the tree: window pixels = offset + points × scale.
struct WindowPlacement {
    double scale = 1;
    graphics::Point offset;
    double devicePixelRatio = 1;
    int pixelWidth = 0;
    int pixelHeight = 0;
    uint64_t windowId = 0;
};

// One labelled view on screen.
struct MappedView {
    View* view = nullptr;
    std::string label;
    std::string kind;
    graphics::Rect rect;     // window pixels
    graphics::Rect visible;  // window pixels, inside rect
    // For a segment: its rectangle in the control's bounds (points).
    graphics::Rect segment;
    bool isSegment = false;
    bool enabled = true;
    bool selected = false;
    double opacity = 1;
    // Whether the view reaches the window without being turned or scaled.
    bool upright = true;
    // Whether it or a view around it is being animated: it shows on its way.
    bool moving = false;
};

// Whether the view's own layer has an animation still running at `now`.
bool layerIsMoving(const View& view, double now);

// The labelled views of the tree under `root`, back to front, without hidden
// ones, transparent ones and those clipped away entirely.
std::vector<MappedView> mapViews(View& root, const WindowPlacement& placement);

class ControlMap {
public:
    static constexpr const char* kEnvironmentVariable = "TOLLIVAR_CONTROL_MAP";
    // At most this often after frames are shown.
    static constexpr double kWriteInterval = 0.2;

    // The map named by the environment, or none.
    static std::unique_ptr<ControlMap> fromEnvironment();
    explicit ControlMap(std::string path);

    // The host showed a frame of the tree: the map is written a moment
    // later, when what it lists has changed. The tree must outlive the map.
    void frameShown(View& root, const WindowPlacement& placement);
    // Builds the map now; writes it when it differs from the last one
    // written. False when the write failed.
    bool update(View& root, const WindowPlacement& placement);
    // The map of the tree as it is now, pixels included.
    foundation::Value build(const std::vector<MappedView>& views, const WindowPlacement& placement);

    const std::string& path() const { return path_; }

private:
    std::string path_;
    int64_t sequence_ = 0;
    std::string lastKey_;
    bool pending_ = false;
    foundation::LifeToken life_;
};

}  // namespace ui
