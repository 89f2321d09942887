#include "app/core/DataManager.h"
#include "platform/foundation/PropertyList.h"
#include "support/Process.h"
#include "support/TempAppFolders.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using foundation::Dictionary;
using foundation::Value;

namespace {

class DataManagerTest : public ::testing::Test {
protected:
    void SetUp() override { DataManager::resetForTesting(); }
    void TearDown() override { DataManager::resetForTesting(); }

    std::string settingsPath() const { return folders_.documents() + "/.settings.plist"; }

    // Key, python type name and value of every entry, as plistlib reads the file.
    std::string describeFile() const {
        auto result = testsupport::runPython(
            "import plistlib, sys\n"
            "d = plistlib.load(open(sys.argv[1], 'rb'))\n"
            "for k in sorted(d):\n"
            "    print(k, type(d[k]).__name__, repr(d[k]))\n",
            {settingsPath()});
        EXPECT_EQ(result.exitCode, 0) << result.output;
        return result.output;
    }

    testsupport::TempAppFolders folders_;
};

}  // namespace

TEST_F(DataManagerTest, FreshInstanceEncodesExactlyTheElevenDefaults) {
    Dictionary encoded = DataManager::sharedDataManager().encodeData();
    EXPECT_EQ(encoded.size(), 11u);
    DataManager::saveState();
    EXPECT_EQ(describeFile(),
              "METADATA dict {}\n"
              "_avCaptureDevicePosition int 1\n"
              "_cameraEffectiveScale float 1.0\n"
              "_currentCaptureSourceID str 'CaptureLocalCamera'\n"
              "_exposureMode int 2\n"
              "_focusMode int 2\n"
              "_isGUISoundEnabled bool True\n"
              "_isGridEnabled bool False\n"
              "_overlaySetting float 1.0\n"
              "_whiteBalanceMode int 2\n"
              "isYoutubeGalleryEnabled bool True\n");
}

TEST_F(DataManagerTest, SavedFieldsLoadBackAfterALaunch) {
    DataManager& m = DataManager::sharedDataManager();
    m.setVersion(4.0);
    m.setLastSelection(3);
    m.setPassCode("1234");
    m.setIsYoutubeGalleryEnabled(false);
    m.setIsGridEnabled(true);
    m.setIsGUISoundEnabled(false);
    m.setOverlaySetting(0.25f);
    m.setCameraEffectiveScale(2.5f);
    m.setCurrentCaptureSourceID("remote-host.local");
    m.setAvCaptureDevicePosition(2);
    m.setFocusMode(1);
    m.setExposureMode(0);
    m.setWhiteBalanceMode(1);
    m.setValue(Dictionary{{"PAINTER_TOOL", Value(3)}}, "PAINTER_CONFIGURATION");
    m.setValue(Value(true), "is4KAlertShown");
    m.setIsLowSpaceWarningShown(true);
    DataManager::saveState();

    std::string described = describeFile();
    EXPECT_NE(described.find("version float 4.0\n"), std::string::npos);
    EXPECT_NE(described.find("lastSelection int 3\n"), std::string::npos);
    EXPECT_NE(described.find("passCode str '1234'\n"), std::string::npos);
    EXPECT_EQ(described.find("LowSpace"), std::string::npos);

    DataManager::resetForTesting();  // a new launch
    DataManager::loadState();
    EXPECT_EQ(m.version(), 4.0);
    EXPECT_EQ(m.lastSelection(), 3u);
    EXPECT_EQ(m.passCode(), "1234");
    EXPECT_FALSE(m.isYoutubeGalleryEnabled());
    EXPECT_TRUE(m.isGridEnabled());
    EXPECT_FALSE(m.isGUISoundEnabled());
    EXPECT_FLOAT_EQ(m.overlaySetting(), 0.25f);
    EXPECT_FLOAT_EQ(m.cameraEffectiveScale(), 2.5f);
    EXPECT_EQ(m.currentCaptureSourceID(), "remote-host.local");
    EXPECT_EQ(m.avCaptureDevicePosition(), 2);
    EXPECT_EQ(m.focusMode(), 1);
    EXPECT_EQ(m.exposureMode(), 0);
    EXPECT_EQ(m.whiteBalanceMode(), 1);
    EXPECT_EQ(m.objectForKey("PAINTER_CONFIGURATION").asDictionary()["PAINTER_TOOL"].asInt(), 3);
    EXPECT_TRUE(m.objectForKey("is4KAlertShown").asBool());
    EXPECT_FALSE(m.isLowSpaceWarningShown());
}

TEST_F(DataManagerTest, ClearedPassCodeLeavesTheFile) {
    DataManager& m = DataManager::sharedDataManager();
    m.setPassCode("9999");
    DataManager::saveState();
    ASSERT_NE(describeFile().find("passCode"), std::string::npos);
    m.setPassCode(std::nullopt);
    DataManager::saveState();
    EXPECT_EQ(describeFile().find("passCode"), std::string::npos);
}

TEST_F(DataManagerTest, StoredMetadataReplacesTheWholeStoreOnlyWhenPresent) {
    DataManager& m = DataManager::sharedDataManager();
    m.setValue(Value("memory"), "inMemory");
    ASSERT_TRUE(foundation::plist::writeFile(Value(Dictionary{{"METADATA", Value(Dictionary{{"fromFile", Value(1)}})}}),
                                             settingsPath())
                    .ok());
    DataManager::loadState();
    EXPECT_TRUE(m.objectForKey("inMemory").isNull());
    EXPECT_EQ(m.objectForKey("fromFile").asInt(), 1);

    m.setValue(Value("again"), "inMemory");
    ASSERT_TRUE(foundation::plist::writeFile(Value(Dictionary{{"version", Value(4.0)}}), settingsPath()).ok());
    DataManager::loadState();
    EXPECT_EQ(m.objectForKey("inMemory").asString(), "again");
    EXPECT_EQ(m.objectForKey("fromFile").asInt(), 1);

    m.setValue(Value(), "inMemory");
    EXPECT_TRUE(m.objectForKey("inMemory").isNull());
}

TEST_F(DataManagerTest, WrongTypesAndUnreadableFilesChangeNothing) {
    DataManager& m = DataManager::sharedDataManager();
    ASSERT_TRUE(
        foundation::plist::writeFile(
            Value(Dictionary{{"_currentCaptureSourceID", Value(7)}, {"METADATA", Value("text")}}), settingsPath())
            .ok());
    m.setValue(Value(5), "kept");
    DataManager::loadState();
    EXPECT_EQ(m.currentCaptureSourceID(), "CaptureLocalCamera");
    EXPECT_EQ(m.objectForKey("kept").asInt(), 5);

    std::ofstream(settingsPath(), std::ios::trunc) << "<plist><dict><key>broken";
    m.setIsGridEnabled(true);
    DataManager::loadState();
    EXPECT_TRUE(m.isGridEnabled());
    EXPECT_EQ(m.objectForKey("kept").asInt(), 5);

    ASSERT_TRUE(foundation::plist::writeFile(Value(foundation::Array{Value(1)}), settingsPath()).ok());
    DataManager::loadState();
    EXPECT_TRUE(m.isGridEnabled());
}

TEST_F(DataManagerTest, ScalarsAreStoredAsTheirLow32Bits) {
    DataManager& m = DataManager::sharedDataManager();
    m.setAvCaptureDevicePosition((int64_t{1} << 32) + 2);
    ASSERT_TRUE(DataManager::saveState());
    EXPECT_NE(describeFile().find("_avCaptureDevicePosition int 2\n"), std::string::npos);
    DataManager::loadState();
    EXPECT_EQ(m.avCaptureDevicePosition(), 2);
}

TEST_F(DataManagerTest, AFailedSaveIsReported) {
    ASSERT_TRUE(DataManager::saveState());
    // A folder in place of the settings file makes the write fail.
    std::filesystem::remove(settingsPath());
    std::filesystem::create_directory(settingsPath());
    auto saved = DataManager::saveState();
    ASSERT_FALSE(saved);
    EXPECT_EQ(saved.error().code, EISDIR);
    EXPECT_TRUE(std::filesystem::is_directory(settingsPath()));
}
