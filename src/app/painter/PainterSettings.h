#pragma once

// The painter's stored settings ("PAINTER_CONFIGURATION" in the settings
// store): the selected tool, the palette slot of each colour tool, the nine
// palette colours and the sizes of brushes 200, 300, 400 and 100.

#include "app/painter/PainterBrushSet.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/Color.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace paintersettings {

inline constexpr const char* kConfigurationKey = "PAINTER_CONFIGURATION";
inline constexpr const char* kToolKey = "PAINTER_TOOL";
inline constexpr const char* kToolColorsKey = "PAINTER_TOOL_COLORS";
inline constexpr const char* kColorListKey = "PAINTER_TOOL_COLORLIST";
inline constexpr const char* kToolSizesKey = "PAINTER_TOOL_SIZES";

inline constexpr int kPaletteSlots = painterbrushes::kPaletteSlots;
inline constexpr int kColourTools = painterbrushes::kDrawingTools;
inline constexpr int kSizedBrushes = 4;  // 200, 300, 400, 100 in that order
inline constexpr int64_t kLargestSize = 1000;

// The settings that were stored, each key only when it was present and of
// the right type and range; a key that is not is left out on its own.
struct Stored {
    std::optional<int64_t> tool;
    std::optional<std::vector<int64_t>> toolColors;      // palette slot per colour tool, up to 3
    std::optional<std::vector<graphics::Color>> colors;  // exactly the 9 palette colours
    std::optional<std::vector<int64_t>> sizes;           // sizes of up to 4 brushes
};

Stored decode(const foundation::Value& configuration);

foundation::Dictionary encode(int64_t tool, const std::vector<int64_t>& toolColors,
                              const std::vector<graphics::Color>& colors, const std::vector<int64_t>& sizes);

}  // namespace paintersettings
