#pragma once

// What the compositor draws for one frame, as plain drawing commands in
// device coordinates. The view tree is read on the main thread to record
// them; playing them back needs nothing of the tree, so it can happen on a
// worker thread where Qt's raster engine does not split each fill across
// threads (which costs more than it gains for many small layers).

#include <QBrush>
#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QPen>
#include <QRect>
#include <QRegion>
#include <QTransform>
#include <functional>
#include <optional>
#include <vector>

class QPainter;

namespace ui::detail {

struct DisplayItem {
    enum class Kind {
        FillRect,
        FillPath,
        StrokePath,
        DrawImage,
        ClipRect,  // narrows the clip until the matching Restore
        ClipPath,
        Restore,
        BeginGroup,  // drawing goes to a buffer of `area` until EndGroup
        EndGroup,
    };
    Kind kind = Kind::FillRect;
    QTransform transform;
    double opacity = 1;  // for drawing: within the group being drawn; for groups: of the whole group
    QRectF rect;         // fill and clip rectangle, image target
    QPainterPath path;
    QBrush brush;
    QPen pen;
    QImage image;
    // Images: added to what lies below (a cross-fade's outgoing picture)
    // instead of drawn over it.
    bool additive = false;
    // Groups: the buffer's place in the enclosing device, and a shadow cast
    // by the group's coverage.
    QRect area;
    bool shadow = false;
    QColor shadowColor;
    double shadowOpacity = 0;
    double shadowBlur = 0;
    QPointF shadowOffset;
};

class DisplayList {
public:
    std::vector<DisplayItem> items;
    // Item transforms are in device pixels. A painter on a device with a
    // pixel ratio scales whatever it is given once more; this undoes that for
    // the outermost level (group buffers have no pixel ratio).
    QTransform rootTransform;

    // Plays the commands through a painter whose transform is the identity
    // on its device. Render hints are the painter's. With an area, only the
    // commands that can touch it are played (the painter is clipped to it).
    void play(QPainter& painter, const QRegion* area = nullptr) const;

    // The device pixels whose colour may differ between the picture of
    // `before` and this one; none when the lists differ in their structure
    // (views added, removed or regrouped), so that everything must be redrawn.
    std::optional<QRegion> damageSince(const DisplayList& before) const;

    // One outermost command, or a group with everything in it.
    struct Unit {
        size_t begin = 0, end = 0;  // items [begin, end)
        QRect bounds;               // device pixels it can touch
        bool structural = false;    // clips and restores: always played
    };
    std::vector<Unit> units() const;
};

// Runs drawing work through a raster painter on a thread of Qt's pool while
// the caller waits (see the top of this file); inline when that is not
// possible (another kind of painter, or the pool is busy or already ours).
void paintOffThread(QPainter& painter, const std::function<void()>& work);

}  // namespace ui::detail
