#pragma once

// The movie export presets this machine offers: one per movie size within the
// largest that the H.264 encoder actually opens here, probed once per process.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace media {

inline constexpr const char* kExportPresetLowQuality = "ExportPresetLowQuality";  // 640×360
inline constexpr const char* kExportPreset640x480 = "ExportPreset640x480";
inline constexpr const char* kExportPreset960x540 = "ExportPreset960x540";
inline constexpr const char* kExportPreset1280x720 = "ExportPreset1280x720";
inline constexpr const char* kExportPreset1920x1080 = "ExportPreset1920x1080";
inline constexpr const char* kExportPreset3840x2160 = "ExportPreset3840x2160";

struct ExportPresetSize {
    const char* preset;
    int width;
    int height;
};

// Every preset this layer knows, smallest first, with the pixel size it stands for.
const std::vector<ExportPresetSize>& knownExportPresets();

// The presets of every size within the largest the H.264 encoder opens at,
// smallest first. Computed on first use (opening an encoder takes a moment)
// and cached.
const std::vector<std::string>& allExportPresets();

// The presets of every known size within the largest that `opens` accepts,
// smallest first; `opens` is asked largest first, until it accepts one.
std::vector<std::string> exportPresetsOpening(const std::function<bool(int width, int height)>& opens);

bool hasExportPreset(std::string_view preset);

// Whether an H.264 encoder of this machine opens at that frame size.
bool canEncodeH264(int width, int height);

}  // namespace media
