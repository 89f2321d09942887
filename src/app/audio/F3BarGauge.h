#pragma once

// A value shown as a row or column of separate bars, like an LED level
// meter: normal bars, then a warning zone and a danger zone, and an optional
// peak bar that stays lit at the highest value seen. It knows nothing of
// sound; the voice-over recorder feeds it ten times a second.
//
// Main thread only.

#include "app/audio/BarGaugeLayout.h"
#include "platform/graphics/Color.h"
#include "platform/ui/View.h"

#include <cstdint>

class F3BarGauge : public ui::View {
public:
    F3BarGauge();
    explicit F3BarGauge(const graphics::Rect& frame);

    float value() const { return value_; }
    // Lights the bars for the value; redraws only when the lit bars change.
    void setValue(float value);
    float minLimit() const { return minLimit_; }
    void setMinLimit(float limit) { minLimit_ = limit; }
    float maxLimit() const { return maxLimit_; }
    void setMaxLimit(float limit) { maxLimit_ = limit; }
    int32_t numBars() const { return numBars_; }
    // Recomputes every index for the new count; the current value becomes the peak.
    void setNumBars(int32_t numBars);
    float warnThreshold() const { return warnThreshold_; }
    void setWarnThreshold(float threshold);
    float dangerThreshold() const { return dangerThreshold_; }
    void setDangerThreshold(float threshold);
    bool holdPeak() const { return holdPeak_; }
    void setHoldPeak(bool hold) { holdPeak_ = hold; }
    bool litEffect() const { return litEffect_; }
    void setLitEffect(bool lit) { litEffect_ = lit; }
    bool reverse() const { return reverse_; }
    void setReverse(bool reverse) { reverse_ = reverse; }
    float peakValue() const { return peakValue_; }
    void resetPeak();

    graphics::Color outerBorderColor() const { return outerBorderColor_; }
    void setOuterBorderColor(graphics::Color color) { outerBorderColor_ = color; }
    graphics::Color innerBorderColor() const { return innerBorderColor_; }
    void setInnerBorderColor(graphics::Color color) { innerBorderColor_ = color; }
    // The fill behind the bars. The gauge's own colour: the view itself
    // stays transparent.
    graphics::Color backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(graphics::Color color) { backgroundColor_ = color; }
    graphics::Color normalBarColor() const { return normalBarColor_; }
    void setNormalBarColor(graphics::Color color) { normalBarColor_ = color; }
    graphics::Color warningBarColor() const { return warningBarColor_; }
    void setWarningBarColor(graphics::Color color) { warningBarColor_ = color; }
    graphics::Color dangerBarColor() const { return dangerBarColor_; }
    void setDangerBarColor(graphics::Color color) { dangerBarColor_ = color; }

    // The derived indices, for the drawing and for tests.
    int32_t onIndex() const { return m_iOnIdx; }
    int32_t offIndex() const { return m_iOffIdx; }
    int32_t peakBarIndex() const { return m_iPeakBarIdx; }
    int32_t warningBarIndex() const { return m_iWarningBarIdx; }
    int32_t dangerBarIndex() const { return m_iDangerBarIdx; }
    // Whether bar `index` is lit now (the peak bar included).
    bool isBarLit(int32_t index) const;
    // The colour of bar `index` by its zone.
    graphics::Color colorOfBar(int32_t index) const;

    void drawRect(graphics::GraphicsContext& context, const graphics::Rect& rect) override;
    void drawBar(graphics::GraphicsContext& context, const graphics::Rect& rect, const graphics::Color& color,
                 bool lit) const;

private:
    void setDefaults();

    float value_ = 0;
    float minLimit_ = 0;
    float maxLimit_ = 1;
    int32_t numBars_ = 10;
    float warnThreshold_ = 0.6f;
    float dangerThreshold_ = 0.8f;
    bool holdPeak_ = false;
    bool litEffect_ = true;
    bool reverse_ = false;
    float peakValue_ = 0;
    graphics::Color outerBorderColor_ = graphics::Color::gray();
    graphics::Color innerBorderColor_ = graphics::Color::black();
    graphics::Color backgroundColor_ = graphics::Color::black();
    graphics::Color normalBarColor_ = graphics::Color::green();
    graphics::Color warningBarColor_ = graphics::Color::yellow();
    graphics::Color dangerBarColor_ = graphics::Color::red();

    int32_t m_iOnIdx = 0;
    int32_t m_iOffIdx = 0;
    int32_t m_iPeakBarIdx = -1;
    int32_t m_iWarningBarIdx = -1;
    int32_t m_iDangerBarIdx = -1;
};
