#include "platform/ui/DisplayList.h"

#include "platform/graphics/Shadow.h"

#include <QPaintEngine>
#include <QPainter>
#include <QSemaphore>
#include <QThread>
#include <QThreadPool>

#include <memory>

namespace ui::detail {

namespace {

// The buffer lives on the heap: its painter keeps its address while the
// stack of levels grows.
struct GroupLevel {
    const DisplayItem* group;
    std::unique_ptr<QImage> buffer;
    std::unique_ptr<QPainter> painter;
};

}  // namespace

void DisplayList::play(QPainter& root) const {
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
                p->drawImage(item.rect, item.image, QRectF(0, 0, item.image.width(), item.image.height()));
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

void DisplayList::playOffThread(QPainter& painter) const {
    QThreadPool* pool = QThreadPool::globalInstance();
    const bool raster = painter.paintEngine() && painter.paintEngine()->type() == QPaintEngine::Raster;
    if (!raster || !pool || pool->contains(QThread::currentThread())) {
        play(painter);
        return;
    }
    // The painter is used by one thread at a time: the caller waits for the
    // worker to finish before it touches the painter again.
    QSemaphore done;
    bool started = pool->tryStart([&] {
        play(painter);
        done.release();
    });
    if (!started) {
        play(painter);
        return;
    }
    done.acquire();
}

}  // namespace ui::detail
