#include "app/share/YouTubeSettings.h"
#include "components/google/GTMOAuth2SignIn.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Paths.h"
#include "support/TempAppFolders.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

std::string plist(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>" + body + "</dict></plist>\n";
}

void write(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path) << text;
}

}  // namespace

TEST(YouTubeSettings, UserFileOverridesTheBundledOne) {
    testsupport::TempAppFolders folders;
    const std::string bundled = folders.root() + "/resources/config/services.plist";
    const std::string user = folders.config() + "/services.plist";
    write(bundled, plist("<key>YouTube</key><dict><key>APIURL</key><string>https://api.example.test/</string>"
                         "<key>ClientID</key><string>bundled</string></dict>"));
    write(user, plist("<key>YouTube</key><dict><key>ClientID</key><string>mine</string>"
                      "<key>ClientSecret</key><string>s</string>"
                      "<key>AccountsURL</key><string>https://127.0.0.1:8443</string></dict>"));
    auto settings = YouTubeSettings::loadFrom({bundled, user});
    ASSERT_TRUE(settings) << settings.error().description;
    EXPECT_EQ(settings->clientID, "mine");
    EXPECT_EQ(settings->clientSecret, "s");
    EXPECT_EQ(settings->apiURL, "https://api.example.test");
    EXPECT_EQ(settings->apiHost(), "api.example.test");
    EXPECT_TRUE(settings->isSetUp());

    settings->applyToSignIn();
    EXPECT_EQ(google::GTMOAuth2SignIn::googleTokenURL(), "https://127.0.0.1:8443/o/oauth2/token");
    EXPECT_EQ(google::GTMOAuth2SignIn::youTubeScope(), "https://api.example.test/auth/youtube");
    google::GTMOAuth2SignIn::setProvider({});

    EXPECT_EQ(YouTubeSettings::searchPaths().back(), user);
    auto none = YouTubeSettings::loadFrom({folders.root() + "/missing.plist"});
    ASSERT_TRUE(none);
    EXPECT_FALSE(none->isSetUp()) << "nothing ships a client";
}

TEST(YouTubeSettings, RefusesFilesItCannotUse) {
    testsupport::TempAppFolders folders;
    const std::string path = folders.config() + "/services.plist";
    struct Case {
        std::string text;
        std::string problem;
    };
    const Case cases[] = {
        {"not a plist", ""},
        {plist("<key>YouTube</key><string>x</string>"), "\"YouTube\" is no dictionary"},
        {plist("<key>YouTube</key><dict><key>ClientID</key><integer>4</integer></dict>"), "\"ClientID\" is no text"},
        {plist("<key>YouTube</key><dict><key>APIURL</key><string>http://api.example.test</string></dict>"),
         "\"APIURL\" is no https address"},
        {plist("<key>YouTube</key><dict><key>AccountsURL</key><string>https://</string></dict>"),
         "\"AccountsURL\" is no https address"},
    };
    for (const Case& c : cases) {
        write(path, c.text);
        auto settings = YouTubeSettings::loadFrom({path});
        ASSERT_FALSE(settings) << c.text;
        EXPECT_NE(settings.error().description.find(path), std::string::npos) << settings.error().description;
        EXPECT_NE(settings.error().description.find(c.problem), std::string::npos) << settings.error().description;
    }
}
