#pragma once

#include "app/core/effects/RGBFilter.h"

#include <array>
#include <vector>

// Ordered 4×4 dithering of the brightness to four grey levels.
class DitherFilter : public OneRuleFilter<DitherFilter> {
public:
    DitherFilter();

    // Dithers each colour byte on its own instead of the brightness.
    void setColorDither(bool on) { colorDither = on; }
    bool getColorDither() const { return colorDither; }

    int32_t getRows() const { return rows; }
    int32_t getCols() const { return cols; }
    int32_t getLevels() const { return levels; }
    int32_t matrixAt(int32_t row, int32_t column) const { return matrix[size_t(row * cols + column)]; }
    uint32_t mapAt(uint32_t level) const { return map[level]; }
    uint32_t divAt(uint8_t value) const { return div[value]; }
    uint32_t modAt(uint8_t value) const { return mod[value]; }

private:
    friend class OneRuleFilter<DitherFilter>;
    uint8_t ditherValue(uint32_t value, uint32_t x, uint32_t y) const;
    void apply(const uint8_t* in, uint8_t* out, uint32_t x, uint32_t y) const;

    int32_t rows = 4;
    int32_t cols = 4;
    int32_t levels = 4;
    std::array<int32_t, 16> matrix{0, 14, 3, 13, 11, 5, 8, 6, 12, 2, 15, 1, 7, 9, 4, 10};
    std::vector<uint32_t> map;
    std::array<uint32_t, 256> div{};
    std::array<uint32_t, 256> mod{};
    bool colorDither = false;
};
