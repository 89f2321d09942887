#include "app/audio/F3BarGauge.h"

#include "platform/graphics/GraphicsContext.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Each of red, green and blue above 0.3 lowered by 0.3: the rim of a lit bar.
graphics::Color darkened(const graphics::RGBAComponents& c) {
    auto lower = [](double v) { return v > 0.3 ? v - 0.3 : v; };
    return graphics::Color::rgb(lower(c.red), lower(c.green), lower(c.blue), c.alpha);
}

}  // namespace

F3BarGauge::F3BarGauge() { setDefaults(); }

F3BarGauge::F3BarGauge(const graphics::Rect& frame) : ui::View(frame) { setDefaults(); }

void F3BarGauge::setDefaults() {
    setDrawsContent(true);
    setOpaque(false);
    ui::View::setBackgroundColor(std::nullopt);
    m_iOnIdx = barGaugeOnIndex(value_, minLimit_, numBars_);
    m_iOffIdx = barGaugeOffIndex(value_, minLimit_, maxLimit_, numBars_);
    m_iWarningBarIdx = barGaugeZoneIndex(warnThreshold_, numBars_);
    m_iDangerBarIdx = barGaugeZoneIndex(dangerThreshold_, numBars_);
}

void F3BarGauge::setValue(float value) {
    value_ = value;
    const int32_t on = barGaugeOnIndex(value_, minLimit_, numBars_);
    const int32_t off = barGaugeOffIndex(value_, minLimit_, maxLimit_, numBars_);
    const bool changed = on != m_iOnIdx || off != m_iOffIdx;
    m_iOnIdx = on;
    m_iOffIdx = off;
    if (holdPeak_ && value_ > peakValue_) {
        peakValue_ = value_;
        m_iPeakBarIdx = std::min(m_iOffIdx, numBars_ - 1);
    }
    // A new peak alone waits for the next change of the lit bars.
    if (changed) setNeedsDisplay();
}

void F3BarGauge::setNumBars(int32_t numBars) {
    numBars_ = std::max(0, numBars);
    peakValue_ = -std::numeric_limits<float>::infinity();
    setValue(value_);
    setWarnThreshold(warnThreshold_);
    setDangerThreshold(dangerThreshold_);
}

void F3BarGauge::setWarnThreshold(float threshold) {
    warnThreshold_ = threshold;
    m_iWarningBarIdx = barGaugeZoneIndex(threshold, numBars_);
}

void F3BarGauge::setDangerThreshold(float threshold) {
    dangerThreshold_ = threshold;
    m_iDangerBarIdx = barGaugeZoneIndex(threshold, numBars_);
}

void F3BarGauge::resetPeak() {
    peakValue_ = -std::numeric_limits<float>::infinity();
    m_iPeakBarIdx = -1;
    setNeedsDisplay();
}

bool F3BarGauge::isBarLit(int32_t index) const {
    return (index >= m_iOnIdx && index < m_iOffIdx) || index == m_iPeakBarIdx;
}

graphics::Color F3BarGauge::colorOfBar(int32_t index) const {
    if (m_iDangerBarIdx >= 0 && index >= m_iDangerBarIdx) return dangerBarColor_;
    if (m_iWarningBarIdx >= 0 && index >= m_iWarningBarIdx) return warningBarColor_;
    return normalBarColor_;
}

void F3BarGauge::drawRect(graphics::GraphicsContext& context, const graphics::Rect&) {
    const graphics::Rect bounds = this->bounds();
    const BarGaugeGeometry geometry = barGaugeGeometry(bounds, numBars_);
    context.clearRect(bounds);
    if (numBars_ < 1) return;
    context.setFillColor(backgroundColor_);
    context.fillRect(geometry.gaugeArea);
    context.setStrokeColor(innerBorderColor_);
    context.setLineWidth(1);
    for (int32_t i = 0; i < numBars_; ++i) {
        const graphics::Rect bar = barGaugeBarRect(geometry, i, reverse_);
        context.setStrokeColor(innerBorderColor_);
        context.setLineWidth(1);
        context.strokeRect(bar);
        const graphics::Rect inside = bar.insetBy(1, 1);
        context.saveGState();
        context.clipToRect(inside);
        drawBar(context, inside, colorOfBar(i), isBarLit(i));
        context.restoreGState();
    }
    context.setStrokeColor(outerBorderColor_);
    context.setLineWidth(2);
    context.strokeRect(geometry.gaugeArea.insetBy(1, 1));
}

void F3BarGauge::drawBar(graphics::GraphicsContext& context, const graphics::Rect& rect, const graphics::Color& color,
                         bool lit) const {
    if (!lit) {
        context.setFillColor(backgroundColor_);
        context.fillRect(rect);
        context.setFillColor(color.withAlpha(0.2));
        context.fillRect(rect);
        return;
    }
    const auto components = color.rgba();
    // Colours without four components (patterns) are drawn flat.
    if (!litEffect_ || !components || color.space() != graphics::Color::Space::RGB) {
        context.setFillColor(color);
        context.fillRect(rect);
        return;
    }
    const auto gradient = graphics::Gradient::withColors({color, darkened(*components)}, {0.0, 0.5});
    const graphics::Point center{rect.origin.x + rect.size.width / 2, rect.origin.y + rect.size.height / 2};
    const double diagonal = std::hypot(rect.size.width, rect.size.height);
    context.drawRadialGradient(gradient, center, 0, center, diagonal, graphics::kGradientDrawsNone);
}
