#include "platform/ui/compositing/DisplayList.h"

#include "platform/foundation/HandOver.h"
#include "platform/graphics/Shadow.h"

#include <QPaintEngine>
#include <QPainter>
#include <QThread>
#include <QThreadPool>
#include <functional>
#include <memory>
#include <semaphore>

namespace ui::detail {

namespace {

// The buffer lives on the heap: its painter keeps its address while the
// stack of levels grows.
struct GroupLevel {
    const DisplayItem* group;
    std::unique_ptr<QImage> buffer;
    std::unique_ptr<QPainter> painter;
};

// The device area one command can touch, a pixel more for antialiasing.
QRect itemBounds(const DisplayItem& item) {
    QRectF local;
    switch (item.kind) {
        case DisplayItem::Kind::FillRect:
        case DisplayItem::Kind::DrawImage:
        case DisplayItem::Kind::ClipRect:
            local = item.rect;
            break;
        case DisplayItem::Kind::FillPath:
        case DisplayItem::Kind::ClipPath:
            local = item.path.boundingRect();
            break;
        case DisplayItem::Kind::StrokePath: {
            double half = item.pen.widthF();  // generous: mitred corners reach further than half the width
            local = item.path.boundingRect().adjusted(-half, -half, half, half);
            break;
        }
        case DisplayItem::Kind::BeginGroup: {
            QRectF area = item.area;
            if (item.shadow) {
                double spread = 2 * item.shadowBlur + 1;
                area = area.united(area.translated(item.shadowOffset).adjusted(-spread, -spread, spread, spread));
            }
            return area.toAlignedRect().adjusted(-1, -1, 1, 1);
        }
        case DisplayItem::Kind::Restore:
        case DisplayItem::Kind::EndGroup:
            return QRect();
    }
    return item.transform.mapRect(local).toAlignedRect().adjusted(-1, -1, 1, 1);
}

bool sameItem(const DisplayItem& a, const DisplayItem& b) {
    return a.kind == b.kind && a.transform == b.transform && a.opacity == b.opacity && a.rect == b.rect &&
           a.path == b.path && a.brush == b.brush && a.pen == b.pen && a.image.cacheKey() == b.image.cacheKey() &&
           a.additive == b.additive && a.area == b.area && a.shadow == b.shadow && a.shadowColor == b.shadowColor &&
           a.shadowOpacity == b.shadowOpacity && a.shadowBlur == b.shadowBlur && a.shadowOffset == b.shadowOffset;
}

}  // namespace

std::vector<DisplayList::Unit> DisplayList::units() const {
    std::vector<Unit> result;
    for (size_t i = 0; i < items.size();) {
        Unit unit;
        unit.begin = i;
        unit.bounds = itemBounds(items[i]);
        const DisplayItem::Kind kind = items[i].kind;
        unit.structural = kind == DisplayItem::Kind::ClipRect || kind == DisplayItem::Kind::ClipPath ||
                          kind == DisplayItem::Kind::Restore || kind == DisplayItem::Kind::EndGroup;
        ++i;
        if (kind == DisplayItem::Kind::BeginGroup) {
            // Everything up to the matching end belongs to the group.
            for (int depth = 1; i < items.size() && depth > 0; ++i) {
                if (items[i].kind == DisplayItem::Kind::BeginGroup) ++depth;
                if (items[i].kind == DisplayItem::Kind::EndGroup) --depth;
            }
        }
        unit.end = i;
        result.push_back(unit);
    }
    return result;
}

std::optional<QRegion> DisplayList::damageSince(const DisplayList& before) const {
    if (items.size() != before.items.size() || rootTransform != before.rootTransform) return std::nullopt;
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].kind != before.items[i].kind) return std::nullopt;
    }
    // The same kinds in the same order: the units line up one to one.
    QRegion damage;
    const std::vector<Unit> now = units(), then = before.units();
    for (size_t u = 0; u < now.size(); ++u) {
        bool same = true;
        for (size_t i = now[u].begin; i < now[u].end && same; ++i) same = sameItem(items[i], before.items[i]);
        if (same) continue;
        // A changed clip changes what shows anywhere inside it, old or new.
        damage += now[u].bounds;
        damage += then[u].bounds;
    }
    return damage;
}

void DisplayList::play(QPainter& root, const QRegion* area) const {
    if (area) {
        // Skipping whole units that cannot touch the area; clips and
        // restores always run to keep the painter's state balanced.
        std::vector<Unit> all = units();
        DisplayList part;
        part.rootTransform = rootTransform;
        part.items.reserve(items.size());
        for (const Unit& unit : all) {
            if (!unit.structural && !area->intersects(unit.bounds)) continue;
            part.items.insert(part.items.end(), items.begin() + static_cast<std::ptrdiff_t>(unit.begin),
                              items.begin() + static_cast<std::ptrdiff_t>(unit.end));
        }
        part.play(root, nullptr);
        return;
    }
    std::vector<GroupLevel> groups;
    QPainter* p = &root;
    const QPainter::RenderHints hints = root.renderHints();
    // Items carry opacities within their group; the outermost level also
    // takes whatever opacity the caller's painter had.
    const double rootOpacity = root.opacity();
    auto opacity = [&](double value) { return groups.empty() ? value * rootOpacity : value; };
    auto transform = [&](const QTransform& t) { return groups.empty() ? t * rootTransform : t; };
    for (const DisplayItem& item : items) {
        switch (item.kind) {
            case DisplayItem::Kind::FillRect:
                p->setTransform(transform(item.transform));
                p->setOpacity(opacity(item.opacity));
                p->fillRect(item.rect, item.brush);
                break;
            case DisplayItem::Kind::FillPath:
                p->setTransform(transform(item.transform));
                p->setOpacity(opacity(item.opacity));
                p->fillPath(item.path, item.brush);
                break;
            case DisplayItem::Kind::StrokePath:
                p->setTransform(transform(item.transform));
                p->setOpacity(opacity(item.opacity));
                p->strokePath(item.path, item.pen);
                break;
            case DisplayItem::Kind::DrawImage:
                p->setTransform(transform(item.transform));
                p->setOpacity(opacity(item.opacity));
                if (item.additive) p->setCompositionMode(QPainter::CompositionMode_Plus);
                p->drawImage(item.rect, item.image, QRectF(0, 0, item.image.width(), item.image.height()));
                if (item.additive) p->setCompositionMode(QPainter::CompositionMode_SourceOver);
                break;
            case DisplayItem::Kind::ClipRect:
                p->save();
                p->setTransform(transform(item.transform));
                p->setClipRect(item.rect, Qt::IntersectClip);
                break;
            case DisplayItem::Kind::ClipPath:
                p->save();
                p->setTransform(transform(item.transform));
                p->setClipPath(item.path, Qt::IntersectClip);
                break;
            case DisplayItem::Kind::Restore:
                p->restore();
                break;
            case DisplayItem::Kind::BeginGroup: {
                GroupLevel level{&item, std::make_unique<QImage>(item.area.size(), QImage::Format_ARGB32_Premultiplied),
                                 nullptr};
                level.buffer->fill(Qt::transparent);
                level.painter = std::make_unique<QPainter>(level.buffer.get());
                level.painter->setRenderHints(hints);
                groups.push_back(std::move(level));
                p = groups.back().painter.get();
                break;
            }
            case DisplayItem::Kind::EndGroup: {
                if (groups.empty()) break;
                GroupLevel level = std::move(groups.back());
                groups.pop_back();
                level.painter->end();
                p = groups.empty() ? &root : groups.back().painter.get();
                const DisplayItem& group = *level.group;
                p->save();
                p->setTransform(transform(QTransform()));
                if (group.shadow) {
                    QImage shadow = graphics::detail::makeShadow(*level.buffer, group.shadowColor, group.shadowBlur);
                    p->setOpacity(opacity(group.opacity * group.shadowOpacity));
                    p->drawImage(QPointF(group.area.topLeft()) + group.shadowOffset, shadow);
                }
                p->setOpacity(opacity(group.opacity));
                p->drawImage(group.area.topLeft(), *level.buffer);
                p->restore();
                break;
            }
        }
    }
    // A list cut short (it never is) must not leave painters on dead buffers.
    while (!groups.empty()) {
        groups.back().painter->end();
        groups.pop_back();
    }
}

void paintOffThread(QPainter& painter, const std::function<void()>& work) {
    QThreadPool* pool = QThreadPool::globalInstance();
    const bool raster = painter.paintEngine() && painter.paintEngine()->type() == QPaintEngine::Raster;
    if (!raster || !pool || pool->contains(QThread::currentThread())) {
        work();
        return;
    }
    // The painters are used by one thread at a time: the caller waits for
    // the worker to finish before it touches them again. The task goes over
    // inside Qt's pool, so it is marked; it comes back through a semaphore
    // of the standard library, which ThreadSanitizer sees (Qt's it does not).
    std::binary_semaphore done{0};
    std::function<void()> task = [&] {
        foundation::acceptHandOver();
        work();
        done.release();
    };
    foundation::markHandOver();
    bool started = pool->tryStart(std::move(task));
    if (!started) {
        work();
        return;
    }
    done.acquire();
}

}  // namespace ui::detail
