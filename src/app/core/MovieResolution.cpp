#include "app/core/MovieResolution.h"

#include "platform/media/ExportPresets.h"

#include <algorithm>
#include <string_view>

namespace {

bool contains(const std::vector<std::string>& presets, std::string_view preset) {
    return std::find(presets.begin(), presets.end(), preset) != presets.end();
}

struct SizedPreset {
    const char* preset;
    graphics::Size size;
};

}  // namespace

graphics::Size MovieResolution::getMaximumResolutionAvailable() {
    return maximumResolutionForPresets(media::allExportPresets());
}

bool MovieResolution::isResolutionAvailable(graphics::Size size) {
    return isResolutionAvailableForPresets(size, media::allExportPresets());
}

graphics::Size MovieResolution::maximumResolutionForPresets(const std::vector<std::string>& presets) {
    static const SizedPreset largestFirst[] = {
        {media::kExportPreset3840x2160, {3840, 2160}}, {media::kExportPreset1920x1080, {1920, 1080}},
        {media::kExportPreset1280x720, {1280, 720}},   {media::kExportPreset960x540, {960, 540}},
        {media::kExportPreset640x480, {640, 480}},     {media::kExportPresetLowQuality, {640, 360}},
    };
    for (const SizedPreset& entry : largestFirst) {
        if (contains(presets, entry.preset)) return entry.size;
    }
    return graphics::Size{0, 0};
}

bool MovieResolution::isResolutionAvailableForPresets(graphics::Size size, const std::vector<std::string>& presets) {
    static const SizedPreset offered[] = {
        {media::kExportPresetLowQuality, {640, 360}},  {media::kExportPreset640x480, {640, 480}},
        {media::kExportPreset960x540, {960, 540}},     {media::kExportPreset1280x720, {1280, 720}},
        {media::kExportPreset1920x1080, {1920, 1080}},
    };
    for (const SizedPreset& entry : offered) {
        if (entry.size == size) return contains(presets, entry.preset);
    }
    return false;
}
