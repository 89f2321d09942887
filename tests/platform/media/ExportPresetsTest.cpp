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

TEST(ExportPresets, TheLargestSizeThatOpensDecidesWithoutOpeningTheSmallerOnes) {
    struct Case {
        int widestOpening;  // 0: none opens
        size_t offered;
        int probes;
    };
    for (const Case& c : {Case{3840, 6, 1}, Case{1920, 5, 2}, Case{960, 3, 4}, Case{0, 0, 6}}) {
        int probes = 0;
        const auto offered = media::exportPresetsOpening([&](int width, int) {
            ++probes;
            return width <= c.widestOpening;
        });
        EXPECT_EQ(offered.size(), c.offered) << c.widestOpening;
        EXPECT_EQ(probes, c.probes) << c.widestOpening;
        for (size_t i = 0; i < offered.size(); ++i) EXPECT_EQ(offered[i], media::knownExportPresets()[i].preset);
    }
}

TEST(ExportPresets, ProbeRefusesSizesNoEncoderMakes) {
    EXPECT_TRUE(media::canEncodeH264(640, 360));
    EXPECT_FALSE(media::canEncodeH264(0, 360));
    EXPECT_FALSE(media::canEncodeH264(-640, 360));
    // 4:2:0 needs even sizes; x264 beyond its level limits refuses as well.
    EXPECT_FALSE(media::canEncodeH264(641, 360));
}

}  // namespace
