#include "app/core/MovieResolution.h"
#include "platform/media/ExportPresets.h"

#include <gtest/gtest.h>

namespace {

using graphics::Size;

TEST(MovieResolution, LargestPresetWins) {
    using namespace media;
    EXPECT_EQ(MovieResolution::maximumResolutionForPresets({kExportPresetLowQuality, kExportPreset3840x2160}),
              (Size{3840, 2160}));
    EXPECT_EQ(MovieResolution::maximumResolutionForPresets({kExportPreset640x480, kExportPreset1280x720}),
              (Size{1280, 720}));
    EXPECT_EQ(MovieResolution::maximumResolutionForPresets({kExportPreset960x540}), (Size{960, 540}));
    EXPECT_EQ(MovieResolution::maximumResolutionForPresets({kExportPreset640x480}), (Size{640, 480}));
    EXPECT_EQ(MovieResolution::maximumResolutionForPresets({kExportPresetLowQuality}), (Size{640, 360}));
    EXPECT_EQ(MovieResolution::maximumResolutionForPresets({"SomethingElse"}), (Size{0, 0}));
    EXPECT_EQ(MovieResolution::maximumResolutionForPresets({}), (Size{0, 0}));
}

TEST(MovieResolution, OnlyTheFivePresetSizesAreAvailable) {
    using namespace media;
    const std::vector<std::string> all(allExportPresets().begin(), allExportPresets().end());
    EXPECT_TRUE(MovieResolution::isResolutionAvailableForPresets({640, 360}, {kExportPresetLowQuality}));
    EXPECT_FALSE(MovieResolution::isResolutionAvailableForPresets({640, 360}, {kExportPreset640x480}));
    EXPECT_TRUE(MovieResolution::isResolutionAvailableForPresets({960, 540}, {kExportPreset960x540}));
    EXPECT_FALSE(MovieResolution::isResolutionAvailableForPresets({960, 540}, {kExportPreset1280x720}));
    EXPECT_FALSE(MovieResolution::isResolutionAvailableForPresets({3840, 2160}, all));
    EXPECT_FALSE(MovieResolution::isResolutionAvailableForPresets({540, 960}, all));
    EXPECT_FALSE(MovieResolution::isResolutionAvailableForPresets({640, 640}, all));
}

TEST(MovieResolution, ThisMachineExportsUltraHD) {
    EXPECT_EQ(MovieResolution::getMaximumResolutionAvailable(), (Size{3840, 2160}));
    EXPECT_TRUE(MovieResolution::isResolutionAvailable({960, 540}));
    EXPECT_TRUE(MovieResolution::isResolutionAvailable({1920, 1080}));
}

}  // namespace
