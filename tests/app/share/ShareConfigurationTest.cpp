// The services' configuration (the shipped list under the user's file), the
// signature the services append, and the Outbox that keeps handed-over files.

#include "app/share/Outbox.h"
#include "app/share/ShareConfiguration.h"
#include "app/share/YouTubeUploader.h"
#include "components/google/GTLYouTubeVideoObjects.h"
#include "platform/foundation/Paths.h"
#include "support/TempAppFolders.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

class ShareConfigurationTest : public ::testing::Test {
protected:
    // The user's services.plist with these entries (XML inside <dict>).
    void userList(const std::string& entries) {
        std::ofstream(foundation::Paths::configDirectory() + "/services.plist")
            << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>" << entries
            << "</dict></plist>\n";
    }
    testsupport::TempAppFolders folders;
};

TEST_F(ShareConfigurationTest, ShippedListSetsUpNoServiceButGivesKeywords) {
    EXPECT_FALSE(ShareConfiguration::isYoutubeConfigured());
    EXPECT_FALSE(ShareConfiguration::isDropboxConfigured());
    EXPECT_EQ(ShareConfiguration::getYoutubeDefaultKeywords(),
              (std::vector<std::string>{"stop motion", "animation", "Tollivar"}));
    EXPECT_EQ(ShareConfiguration::getDropboxKeychainItemName(), "Tollivar: Dropbox");
    EXPECT_EQ(shareSignature(), "Made with Tollivar");
}

TEST_F(ShareConfigurationTest, UserFileSetsUpServicesKeyByKey) {
    struct Case {
        std::string entries;
        bool youtube, dropbox;
        std::vector<std::string> keywords;
    };
    const std::vector<Case> cases = {
        {"<key>Dropbox</key><dict><key>AppKey</key><string>k</string><key>AppSecret</key><string>s</string></dict>",
         false,
         true,
         {"stop motion", "animation", "Tollivar"}},
        {"<key>Dropbox</key><dict><key>AppKey</key><string>k</string></dict>",
         false,
         false,
         {"stop motion", "animation", "Tollivar"}},
        {"<key>Dropbox</key><dict><key>AppKey</key><string>k</string><key>AppSecret</key><string> </string></dict>",
         false,
         false,
         {"stop motion", "animation", "Tollivar"}},
        {"<key>YouTube</key><dict><key>ClientID</key><string>i</string><key>ClientSecret</key><string>s</string>"
         "<key>DefaultKeywords</key><array><string>clay</string><string> </string><integer>3</integer></array></dict>",
         true,
         false,
         {"clay"}},
        // A service of the wrong type is absent, not a crash.
        {"<key>YouTube</key><string>oops</string><key>Dropbox</key><array/>", false, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entries);
        userList(c.entries);
        EXPECT_EQ(ShareConfiguration::isYoutubeConfigured(), c.youtube);
        EXPECT_EQ(ShareConfiguration::isDropboxConfigured(), c.dropbox);
        EXPECT_EQ(ShareConfiguration::getYoutubeDefaultKeywords(), c.keywords);
    }
    // Keys the user's file leaves out keep the shipped values.
    userList("<key>YouTube</key><dict><key>FeaturedPlaylist</key><string>PL1</string></dict>");
    EXPECT_EQ(ShareConfiguration::getYoutubeFeaturedPlaylist(), "PL1");
    EXPECT_EQ(ShareConfiguration::getYoutubeDefaultKeywords().size(), 3u);
    // A YouTube address that is not https sets nothing up.
    userList(
        "<key>YouTube</key><dict><key>ClientID</key><string>i</string><key>ClientSecret</key>"
        "<string>s</string><key>APIURL</key><string>http://api.example</string></dict>");
    EXPECT_FALSE(ShareConfiguration::isYoutubeConfigured());
    // An unreadable user file sets nothing up.
    std::ofstream(foundation::Paths::configDirectory() + "/services.plist") << "<plist><dict><key>";
    EXPECT_FALSE(ShareConfiguration::isYoutubeConfigured());
    EXPECT_FALSE(ShareConfiguration::isDropboxConfigured());
    EXPECT_EQ(ShareConfiguration::getYoutubeDefaultKeywords(),
              (std::vector<std::string>{"stop motion", "animation", "Tollivar"}));
}

TEST_F(ShareConfigurationTest, AppAddressFillsExactlyOnePlaceholder) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"https://apps.example/id%lld", "https://apps.example/id42"},
        {"https://apps.example/%@?x=1", "https://apps.example/42?x=1"},
        {"https://apps.example/%d", "https://apps.example/42"},
        {"100%% sure: %ld", "100% sure: 42"},
        {"https://apps.example/", std::nullopt},
        {"%lld/%lld", std::nullopt},
        {"https://apps.example/%s", std::nullopt},
        {"https://apps.example/%n", std::nullopt},
        {"trailing %", std::nullopt},
        {"  ", std::nullopt},
    };
    for (const auto& [format, expected] : cases) {
        SCOPED_TRACE(format);
        userList("<key>AppURLFormat</key><string>" + format + "</string>");
        EXPECT_EQ(ShareConfiguration::getAppURL(42), expected);
    }
}

TEST_F(ShareConfigurationTest, SignatureFollowsTheUsersText) {
    userList("<key>AppURLFormat</key><string>https://apps.example/id%lld</string>");
    const std::string signature = "Made with Tollivar\nhttps://apps.example/id1048377231";
    EXPECT_EQ(shareSignature(), signature);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", signature},
        {" \n\t", signature},
        {"Our first film", "Our first film\n\n" + signature},
        {"Our first film\n\n" + signature + "\n", "Our first film\n\n" + signature},
        {signature, signature},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(appendingShareSignature(text), expected) << text;
}

TEST_F(ShareConfigurationTest, YoutubeVideosCarryTheSignatureAndTheDefaultKeywords) {
    YouTubeUploader::VideoDetails details;
    details.title = "Clay";
    details.description = appendingShareSignature("Our first film");
    details.tags = ShareConfiguration::getYoutubeDefaultKeywords();
    auto snippet = YouTubeUploader::videoObject(details)->JSON().asDictionary().get("snippet").asDictionary();
    EXPECT_EQ(snippet.get("description").asString(), "Our first film\n\nMade with Tollivar");
    std::vector<std::string> tags;
    for (const auto& tag : snippet.get("tags").asArray()) tags.push_back(tag.asString());
    EXPECT_EQ(tags, (std::vector<std::string>{"stop motion", "animation", "Tollivar"}));
    details.tags.clear();
    EXPECT_TRUE(YouTubeUploader::videoObject(details)
                    ->JSON()
                    .asDictionary()
                    .get("snippet")
                    .asDictionary()
                    .get("tags")
                    .isNull());
}

class OutboxTest : public ::testing::Test {
protected:
    std::string source(const std::string& name = "My_Movie.mov") {
        const std::string path = folders.root() + "/" + name;
        std::ofstream(path) << "movie bytes";
        return path;
    }
    static unsigned mode(const std::string& path) {
        struct stat info {};
        EXPECT_EQ(lstat(path.c_str(), &info), 0) << path;
        return info.st_mode & 0777;
    }
    testsupport::TempAppFolders folders;
};

TEST_F(OutboxTest, EntriesAreCopiesInPrivateFoldersThatOutliveTheirSource) {
    const std::string movie = source();
    auto entry = Outbox::addFile(movie);
    ASSERT_TRUE(entry.ok()) << entry.error().description;
    const std::string outbox = foundation::Paths::cachesDirectory() + "/Outbox";
    EXPECT_EQ(fs::path(*entry).parent_path().parent_path(), fs::path(outbox));
    EXPECT_EQ(fs::path(*entry).filename(), "My_Movie.mov");
    EXPECT_EQ(mode(outbox), 0700u);
    EXPECT_EQ(mode(fs::path(*entry).parent_path()), 0700u);
    EXPECT_FALSE(fs::equivalent(*entry, movie)) << "a copy of its own, never a hard link";
    // The file rewritten in place, then gone: the entry keeps the bytes it was given.
    std::ofstream(movie, std::ios::trunc) << "rewritten";
    fs::remove(movie);
    std::ifstream in(*entry);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "movie bytes");

    auto second = Outbox::addFile(source());
    ASSERT_TRUE(second.ok());
    EXPECT_NE(*second, *entry) << "two entries of one name live side by side";

    Outbox::removeEntry(*entry);
    EXPECT_FALSE(fs::exists(fs::path(*entry).parent_path()));
    // Only entries of the Outbox are removed.
    const std::string outside = source("keep.mov");
    Outbox::removeEntry(outside);
    Outbox::removeEntry("/");
    EXPECT_TRUE(fs::exists(outside));

    Outbox::removeLeftovers();
    EXPECT_TRUE(fs::is_empty(outbox));
    EXPECT_FALSE(Outbox::addFile(folders.root() + "/missing.mov").ok());
    EXPECT_TRUE(fs::is_empty(outbox)) << "a failed entry leaves nothing behind";
}

TEST_F(OutboxTest, AnOpenFolderIsClosedAndALinkInItsPlaceRefused) {
    const std::string outbox = foundation::Paths::cachesDirectory() + "/Outbox";
    fs::create_directories(outbox);
    chmod(outbox.c_str(), 0755);
    ASSERT_TRUE(Outbox::directory().ok());
    EXPECT_EQ(mode(outbox), 0700u);

    fs::remove_all(outbox);
    fs::create_directories(folders.root() + "/elsewhere");
    fs::create_directory_symlink(folders.root() + "/elsewhere", outbox);
    auto entry = Outbox::addFile(source());
    ASSERT_FALSE(entry.ok());
    EXPECT_EQ(entry.error().code, ENOTDIR);
    EXPECT_TRUE(fs::is_empty(folders.root() + "/elsewhere"));
}

}  // namespace
