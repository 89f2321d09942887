#include "platform/media/ExportPresets.h"

#include <gtest/gtest.h>

namespace {

TEST(ExportPresets, EveryKnownSizeUpToUltraHDIsOffered) {
    // libx264 comes with the packaged libavcodec, so every size opens here.
    const auto& presets = media::allExportPresets();
    ASSERT_EQ(presets.size(), media::knownExportPresets().size());
    EXPECT_EQ(presets.front(), media::kExportPresetLowQuality);
    EXPECT_EQ(presets.back(), media::kExportPreset3840x2160);
    EXPECT_TRUE(media::hasExportPreset(media::kExportPreset1920x1080));
    EXPECT_FALSE(media::hasExportPreset("ExportPreset7680x4320"));
    EXPECT_FALSE(media::hasExportPreset(""));
}

TEST(ExportPresets, ProbeRefusesSizesNoEncoderMakes) {
    EXPECT_TRUE(media::canEncodeH264(640, 360));
    EXPECT_FALSE(media::canEncodeH264(0, 360));
    EXPECT_FALSE(media::canEncodeH264(-640, 360));
    // 4:2:0 needs even sizes; x264 beyond its level limits refuses as well.
    EXPECT_FALSE(media::canEncodeH264(641, 360));
}

}  // namespace
