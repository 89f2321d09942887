#pragma once

// The green-screen camera's saved key colour and sensitivity: one entry of
// the settings store's free dictionary, written whole on every change
//     "CHROMA_KEY_CAMERA_CONFIGURATION": {
//         "CHROMA_KEY_CAMERA_COLOR": {"red", "green", "blue", "alpha"} as floats,
//         "CHROMA_KEY_CAMERA_THRESHOLD_SENSITIVITY": float }
// and read back key by key, so a configuration missing one of them still
// restores the other. Main thread only (the settings store's thread).

#include "app/core/DataManager.h"
#include "platform/graphics/Color.h"

#include <optional>

namespace chromakeysettings {

inline constexpr const char* kConfigurationKey = "CHROMA_KEY_CAMERA_CONFIGURATION";
inline constexpr const char* kColorKey = "CHROMA_KEY_CAMERA_COLOR";
inline constexpr const char* kThresholdKey = "CHROMA_KEY_CAMERA_THRESHOLD_SENSITIVITY";

// The camera's defaults, which are also the blend filter's own.
inline const graphics::Color kDefaultColor = graphics::Color::rgb(0, 1, 0, 1);
inline constexpr float kDefaultThreshold = 0.4f;

struct Restored {
    std::optional<graphics::Color> color;
    std::optional<float> thresholdSensitivity;
};

// What the store holds. A colour that is no dictionary and a sensitivity
// that is no finite number count as absent: a damaged settings file leaves
// the defaults in place rather than keying with nonsense.
Restored restoreConfiguration(const DataManager& settings);

// Replaces the stored configuration with these two values (memory only; the
// store writes its file at its own saves).
void saveConfiguration(DataManager& settings, const graphics::Color& color, float thresholdSensitivity);

}  // namespace chromakeysettings
