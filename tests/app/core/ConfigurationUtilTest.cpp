#include "app/core/ConfigurationUtil.h"
#include "platform/foundation/PropertyList.h"
#include "support/TempAppFolders.h"

#include <filesystem>
#include <gtest/gtest.h>

using foundation::Dictionary;
using foundation::Value;

namespace {

// A resource folder of its own, with an information list naming the bundle.
class ConfigurationUtilTest : public ::testing::Test {
protected:
    ConfigurationUtilTest() : resources_(folders_.root() + "/resources") {
        std::filesystem::create_directories(resources_ + "/config");
        writeList("config/Info.plist", Dictionary{{"CFBundleIdentifier", Value("org.example.app")}});
    }

    void writeList(const std::string& name, const Dictionary& list) {
        ASSERT_TRUE(foundation::plist::writeFile(Value(list), resources_ + "/" + name).ok());
    }

    testsupport::TempAppFolders folders_;
    std::string resources_;
};

}  // namespace

TEST_F(ConfigurationUtilTest, TheBundleIdentifierListOverridesInappad) {
    writeList("config/inappad.plist",
              Dictionary{{"appname_key", Value("name")}, {"name", Value("Base Name")}, {"help", Value("h")}});
    foundation::Bundle bundle(resources_);
    EXPECT_EQ(ConfigurationUtil::getLocalizedAppName(bundle), "Base Name");

    writeList("config/org.example.app.plist", Dictionary{{"name", Value("Own Name")}});
    EXPECT_EQ(ConfigurationUtil::getLocalizedAppName(bundle), "Own Name");
    EXPECT_EQ(ConfigurationUtil::mergedConfiguration(bundle)["help"].asString(), "h");

    // The key naming the display name may itself come from the overlay.
    writeList("config/org.example.app.plist",
              Dictionary{{"appname_key", Value("other")}, {"other", Value("Other Name")}});
    EXPECT_EQ(ConfigurationUtil::getLocalizedAppName(bundle), "Other Name");
}

TEST_F(ConfigurationUtilTest, AppNameIsNoneWithoutTheKeyOrItsValue) {
    foundation::Bundle bundle(resources_);
    EXPECT_EQ(ConfigurationUtil::getLocalizedAppName(bundle), std::nullopt);
    writeList("config/inappad.plist", Dictionary{{"appname_key", Value("missing")}});
    EXPECT_EQ(ConfigurationUtil::getLocalizedAppName(bundle), std::nullopt);
}

TEST_F(ConfigurationUtilTest, ITunesIDComesFromTheBundleIdentifierListOnly) {
    foundation::Bundle bundle(resources_);
    EXPECT_EQ(ConfigurationUtil::getiTunesID(bundle), 0);
    writeList("config/inappad.plist", Dictionary{{"itunes_id", Value(111)}});
    EXPECT_EQ(ConfigurationUtil::getiTunesID(bundle), 0);
    writeList("config/org.example.app.plist", Dictionary{{"other", Value(1)}});
    EXPECT_EQ(ConfigurationUtil::getiTunesID(bundle), 0);
    writeList("config/org.example.app.plist", Dictionary{{"itunes_id", Value(int64_t{1048377231})}});
    EXPECT_EQ(ConfigurationUtil::getiTunesID(bundle), 1048377231);
}

TEST(ConfigurationUtilResources, OurOwnListsNameTheAppAndItsCatalogueIdentifier) {
    foundation::Bundle bundle(std::string(TOLLIVAR_SOURCE_DIR) + "/resources");
    EXPECT_EQ(bundle.bundleIdentifier(), "com.marrowick.tollivar");
    EXPECT_EQ(ConfigurationUtil::getLocalizedAppName(bundle), "Tollivar");
    EXPECT_GT(ConfigurationUtil::getiTunesID(bundle), 0);
}
