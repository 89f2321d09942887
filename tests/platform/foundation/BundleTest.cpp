#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/PropertyList.h"
#include "support/TempAppFolders.h"

#include <fstream>
#include <gtest/gtest.h>

using namespace foundation;

TEST(MainBundle, FindsTheSourceTreeResourcesAndItsInformation) {
    Bundle& bundle = Bundle::main();
    EXPECT_EQ(bundle.resourcePath(), std::string(TOLLIVAR_SOURCE_DIR) + "/resources");
    EXPECT_EQ(bundle.pathForResource("Info", "plist"),
              std::string(TOLLIVAR_SOURCE_DIR) + "/resources/config/Info.plist");
    EXPECT_EQ(bundle.bundleIdentifier(), "com.marrowick.tollivar");
    EXPECT_EQ(bundle.shortVersionString(), "6.0.0");
    EXPECT_FALSE(bundle.bundleVersion().empty());
    EXPECT_EQ(bundle.displayName(), "Tollivar");
    EXPECT_EQ(bundle.objectForInfoDictionaryKey(kBundleNameKey), Value("Tollivar"));
    EXPECT_TRUE(bundle.objectForInfoDictionaryKey("NoSuchKey").isNull());

    // The list handed out is the caller's own.
    Dictionary info = bundle.infoDictionary();
    info.set(kBundleIdentifierKey, "changed");
    EXPECT_EQ(bundle.bundleIdentifier(), "com.marrowick.tollivar");
}

class BundleLookup : public ::testing::Test {
protected:
    void SetUp() override {
        resources = folders.root() + "/res";
        const FileManager& files = FileManager::defaultManager();
        for (const char* folder : {"icons", "sounds", "themes/inner", "config"})
            files.createDirectory(resources + "/" + folder, true);
        for (const char* file : {"beep.aiff", "sounds/beep.aiff", "icons/star.png", "sounds/star.png",
                                 "sounds/camera3.wav", "themes/inner/deep.html"})
            std::ofstream(resources + "/" + file) << file;
    }

    testsupport::TempAppFolders folders;
    std::string resources;
};

TEST_F(BundleLookup, RootFirstThenSubfoldersInAlphabeticalOrder) {
    Bundle bundle(resources);
    EXPECT_EQ(bundle.pathForResource("beep", "aiff"), resources + "/beep.aiff");
    EXPECT_EQ(bundle.pathForResource("beep.aiff"), resources + "/beep.aiff");
    EXPECT_EQ(bundle.pathForResource("star.png"), resources + "/icons/star.png");
    EXPECT_EQ(bundle.pathForResource("camera3", "wav"), resources + "/sounds/camera3.wav");
    EXPECT_EQ(bundle.pathForResource("sounds"), resources + "/sounds");  // folders are resources too
}

TEST_F(BundleLookup, OnlyOneLevelDeepAndNeverOutside) {
    Bundle bundle(resources);
    EXPECT_FALSE(bundle.pathForResource("deep.html"));
    EXPECT_EQ(bundle.pathForResource("themes/inner/deep.html"), resources + "/themes/inner/deep.html");
    EXPECT_FALSE(bundle.pathForResource("camera3"));  // the full name is needed
    EXPECT_FALSE(bundle.pathForResource(""));
    std::ofstream(folders.root() + "/secret.txt") << "x";
    EXPECT_FALSE(bundle.pathForResource("../secret.txt"));
    EXPECT_FALSE(bundle.pathForResource("sounds/../../secret.txt"));
}

TEST_F(BundleLookup, MissingOrBrokenInformationListGivesEmptyValues) {
    Bundle withoutList(resources);
    EXPECT_TRUE(withoutList.infoDictionary().empty());
    EXPECT_EQ(withoutList.bundleIdentifier(), "");

    std::ofstream(resources + "/config/Info.plist") << "<plist><dict><key>broken";
    Bundle broken(resources);
    EXPECT_TRUE(broken.infoDictionary().empty());

    std::string other = folders.root() + "/other";
    FileManager::defaultManager().createDirectory(other + "/config", true);
    ASSERT_TRUE(plist::writeFile(Value(Dictionary{{kBundleNameKey, "Name Only"}}), other + "/config/Info.plist"));
    EXPECT_EQ(Bundle(other).displayName(), "Name Only");
}
