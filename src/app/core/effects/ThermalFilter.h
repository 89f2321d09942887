#pragma once

#include "app/core/effects/RGBFilter.h"

#include <array>

// Maps the brightness of a pixel onto a heat-camera palette.
class ThermalFilter : public OneRuleFilter<ThermalFilter> {
public:
    ThermalFilter();

    const std::array<uint8_t, 256>& getMapr() const { return mapr; }
    const std::array<uint8_t, 256>& getMapg() const { return mapg; }
    const std::array<uint8_t, 256>& getMapb() const { return mapb; }

private:
    friend class OneRuleFilter<ThermalFilter>;
    void apply(const uint8_t* in, uint8_t* out, uint32_t x, uint32_t y) const;

    std::array<uint8_t, 256> mapr{};
    std::array<uint8_t, 256> mapg{};
    std::array<uint8_t, 256> mapb{};
};
