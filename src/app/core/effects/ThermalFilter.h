#pragma once

#include "app/core/effects/RGBFilter.h"

#include <array>

// Maps the brightness of a pixel onto a heat-camera palette.
class ThermalFilter : public RGBFilter {
public:
    ThermalFilter();

    void processFilter(uint8_t* pixels, int32_t width, int32_t height) override;
    void processFilter(const uint8_t* source, uint8_t* m_PixelBufDest, int32_t width, int32_t height) override;
    void processFilter(const uint8_t* source, uint8_t* m_PixelBufDest, graphics::Size size,
                       graphics::Rect scaleRect) override;

    const std::array<uint8_t, 256>& getMapr() const { return mapr; }
    const std::array<uint8_t, 256>& getMapg() const { return mapg; }
    const std::array<uint8_t, 256>& getMapb() const { return mapb; }

private:
    void apply(const uint8_t* in, uint8_t* out) const;

    std::array<uint8_t, 256> mapr{};
    std::array<uint8_t, 256> mapg{};
    std::array<uint8_t, 256> mapb{};
};
