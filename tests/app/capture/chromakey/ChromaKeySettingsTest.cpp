#include "app/capture/chromakey/ChromaKeySettings.h"
#include "support/Process.h"
#include "support/TempAppFolders.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

using foundation::Dictionary;
using foundation::Value;

class ChromaKeySettingsTest : public ::testing::Test {
protected:
    void SetUp() override { DataManager::resetForTesting(); }
    void TearDown() override { DataManager::resetForTesting(); }
    DataManager& settings() { return DataManager::sharedDataManager(); }

    testsupport::TempAppFolders folders;
};

std::vector<double> components(const graphics::Color& color) {
    const auto rgba = color.rgba();
    return rgba ? std::vector<double>{rgba->red, rgba->green, rgba->blue, rgba->alpha} : std::vector<double>{};
}

TEST_F(ChromaKeySettingsTest, EachKeyIsRestoredOnItsOwnAndDamagedValuesCountAsAbsent) {
    const Value colour = Dictionary{{"red", 1.0}, {"green", 0.0}, {"blue", 1.0}, {"alpha", 0.5}};
    struct Case {
        const char* name;
        Value stored;
        std::vector<double> colour;  // empty: none restored
        std::optional<float> threshold;
    };
    const Case cases[] = {
        {"nothing stored", Value(), {}, std::nullopt},
        {"not a dictionary", Value("green"), {}, std::nullopt},
        {"empty", Dictionary{}, {}, std::nullopt},
        {"colour only", Dictionary{{"CHROMA_KEY_CAMERA_COLOR", colour}}, {1, 0, 1, 0.5}, std::nullopt},
        {"threshold only", Dictionary{{"CHROMA_KEY_CAMERA_THRESHOLD_SENSITIVITY", 0.25}}, {}, 0.25f},
        {"both",
         Dictionary{{"CHROMA_KEY_CAMERA_COLOR", colour}, {"CHROMA_KEY_CAMERA_THRESHOLD_SENSITIVITY", 0.7}},
         {1, 0, 1, 0.5},
         0.7f},
        {"integer threshold", Dictionary{{"CHROMA_KEY_CAMERA_THRESHOLD_SENSITIVITY", 1}}, {}, 1.0f},
        {"text threshold", Dictionary{{"CHROMA_KEY_CAMERA_THRESHOLD_SENSITIVITY", "0.3"}}, {}, std::nullopt},
        {"NaN threshold",
         Dictionary{{"CHROMA_KEY_CAMERA_THRESHOLD_SENSITIVITY", std::numeric_limits<double>::quiet_NaN()}},
         {},
         std::nullopt},
        {"colour as a list", Dictionary{{"CHROMA_KEY_CAMERA_COLOR", foundation::Array{0, 1, 0}}}, {}, std::nullopt},
    };
    for (const Case& c : cases) {
        settings().setValue(c.stored, chromakeysettings::kConfigurationKey);
        const auto restored = chromakeysettings::restoreConfiguration(settings());
        EXPECT_EQ(restored.color ? components(*restored.color) : std::vector<double>{}, c.colour) << c.name;
        EXPECT_EQ(restored.thresholdSensitivity, c.threshold) << c.name;
    }
}

TEST_F(ChromaKeySettingsTest, SavedAsFloatsThatPlistlibReadsBack) {
    chromakeysettings::saveConfiguration(settings(), chromakeysettings::kDefaultColor, 0.5f);
    // Written whole each time: the second save replaces the first.
    chromakeysettings::saveConfiguration(settings(), graphics::Color::rgb(0, 1, 0, 1), 0.3f);
    const auto restored = chromakeysettings::restoreConfiguration(settings());
    EXPECT_EQ(components(*restored.color), (std::vector<double>{0, 1, 0, 1}));
    EXPECT_EQ(restored.thresholdSensitivity, 0.3f);

    ASSERT_TRUE(DataManager::saveState().ok());
    const auto result = testsupport::runPython(
        "import plistlib, sys\n"
        "d = plistlib.load(open(sys.argv[1], 'rb'))['METADATA']['CHROMA_KEY_CAMERA_CONFIGURATION']\n"
        "print(sorted(d))\n"
        "c = d['CHROMA_KEY_CAMERA_COLOR']\n"
        "print([(k, type(c[k]).__name__, c[k]) for k in ('red', 'green', 'blue', 'alpha')])\n"
        "t = d['CHROMA_KEY_CAMERA_THRESHOLD_SENSITIVITY']\n"
        "print(type(t).__name__, round(t, 6))\n",
        {folders.documents() + "/.settings.plist"});
    ASSERT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(result.output,
              "['CHROMA_KEY_CAMERA_COLOR', 'CHROMA_KEY_CAMERA_THRESHOLD_SENSITIVITY']\n"
              "[('red', 'float', 0.0), ('green', 'float', 1.0), ('blue', 'float', 0.0), ('alpha', 'float', 1.0)]\n"
              "float 0.3\n");
}

}  // namespace
