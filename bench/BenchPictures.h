#pragma once

// The backdrop of the benchmarks' made-up pictures, so that JPEG and video
// work on them is realistic.

#include <QColor>
#include <QLinearGradient>
#include <QPainter>

namespace bench {

// A diagonal gradient from blue through sand to green over the whole picture.
inline void paintBackdrop(QPainter& painter, int width, int height) {
    QLinearGradient gradient(0, 0, width, height);
    gradient.setColorAt(0, QColor(30, 80, 160));
    gradient.setColorAt(0.5, QColor(220, 180, 90));
    gradient.setColorAt(1, QColor(40, 120, 60));
    painter.fillRect(0, 0, width, height, gradient);
}

}  // namespace bench
