#include "platform/foundation/FileManager.h"
#include "platform/foundation/Paths.h"
#include "support/ScopedEnvironment.h"
#include "support/TempAppFolders.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <gtest/gtest.h>

using namespace foundation;

TEST(Paths, TestRootHoldsEveryFolderAndCreatesThemOnDemand) {
    std::string root;
    {
        testsupport::TempAppFolders folders;
        root = folders.root();
        EXPECT_EQ(Paths::documentsDirectory(), root + "/data/tollivar/Documents");
        EXPECT_EQ(Paths::cachesDirectory(), root + "/cache/tollivar");
        EXPECT_EQ(Paths::configDirectory(), root + "/config/tollivar");
        EXPECT_EQ(Paths::temporaryDirectory(), root + "/tmp");
        bool isDirectory = false;
        EXPECT_TRUE(FileManager::defaultManager().fileExists(Paths::documentsDirectory(), &isDirectory));
        EXPECT_TRUE(isDirectory);
        // Child processes get the same layout through the XDG variables.
        EXPECT_EQ(std::string(std::getenv("XDG_DATA_HOME")), root + "/data");
    }
    EXPECT_FALSE(FileManager::defaultManager().fileExists(root));
    EXPECT_FALSE(Paths::rootOverride().has_value());
}

TEST(Paths, EnvironmentDecidesWithoutATestRoot) {
    testsupport::TempAppFolders folders;  // restores the variables afterwards
    Paths::setRootOverride(std::nullopt);
    // A relative value is not a valid XDG folder: the home default applies.
    testsupport::ScopedEnvironment environment({{"XDG_CACHE_HOME", folders.root() + "/elsewhere"},
                                                {"XDG_CONFIG_HOME", "relative/path"},
                                                {"HOME", folders.root()}});
    EXPECT_EQ(Paths::cachesDirectory(), folders.root() + "/elsewhere/tollivar");
    EXPECT_EQ(Paths::configDirectory(), folders.root() + "/.config/tollivar");
    Paths::setRootOverride(folders.root());
}

TEST(Paths, UserFoldersAreFoundAsXdgUserDirFindsThem) {
    testsupport::TempAppFolders folders;
    EXPECT_EQ(Paths::userDirectory("DOCUMENTS", "Documents"), folders.root() + "/documents");
    EXPECT_EQ(Paths::homeDirectory(), folders.root() + "/home");
    EXPECT_EQ(Paths::userDirectory("PICTURES", "Pictures"), folders.root() + "/pictures");

    Paths::setRootOverride(std::nullopt);
    const std::string home = folders.root() + "/home";
    const std::string config = folders.root() + "/xdg-config";
    std::filesystem::create_directories(config);
    testsupport::ScopedEnvironment environment({{"HOME", home}, {"XDG_CONFIG_HOME", config}});
    struct Case {
        const char* what;
        std::optional<std::string> dirs;      // user-dirs.dirs, none: no file
        std::optional<std::string> variable;  // $XDG_DOCUMENTS_DIR
        std::string expected;
    };
    const Case cases[] = {
        {"nothing set", std::nullopt, std::nullopt, home + "/Documents"},
        {"below home", "# written by xdg-user-dirs-update\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n", std::nullopt,
         home + "/Dokumente"},
        {"absolute, escaped", "XDG_DOCUMENTS_DIR=\"/srv/Our \\\"Docs\\\"\"\n", std::nullopt, "/srv/Our \"Docs\""},
        {"the last line counts", "XDG_DOCUMENTS_DIR=\"$HOME/a\"\n  XDG_DOCUMENTS_DIR=\"$HOME/b\"\n", std::nullopt,
         home + "/b"},
        {"the file wins", "XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n", "/var/docs", home + "/Docs"},
        {"other folders only", "XDG_PICTURES_DIR=\"$HOME/Pics\"\nXDG_DOCUMENTS_DIRX=\"/x\"\n", "/var/docs",
         "/var/docs"},
        {"relative or unquoted are not folders", "XDG_DOCUMENTS_DIR=\"Docs\"\nXDG_DOCUMENTS_DIR=/x\n", "relative",
         home + "/Documents"},
        {"unterminated", "XDG_DOCUMENTS_DIR=\"$HOME/Docs", std::nullopt, home + "/Documents"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(config + "/user-dirs.dirs");
        if (c.dirs) std::ofstream(config + "/user-dirs.dirs") << *c.dirs;
        testsupport::ScopedEnvironment variable({{"XDG_DOCUMENTS_DIR", c.variable}});
        EXPECT_EQ(Paths::userDirectory("DOCUMENTS", "Documents"), c.expected);
    }
    Paths::setRootOverride(folders.root());
}

TEST(PathText, ComponentsAndExtensions) {
    EXPECT_EQ(path::appending("/a", "b"), "/a/b");
    EXPECT_EQ(path::appending("/a/", "/b"), "/a/b");
    EXPECT_EQ(path::appending("", "b"), "b");
    EXPECT_EQ(path::appending("/a//", ""), "/a");
    EXPECT_EQ(path::appending("/", "b"), "/b");

    EXPECT_EQ(path::lastComponent("/a/b.jpg"), "b.jpg");
    EXPECT_EQ(path::lastComponent("/a/b/"), "b");
    EXPECT_EQ(path::lastComponent("/"), "/");
    EXPECT_EQ(path::lastComponent("name"), "name");

    EXPECT_EQ(path::deletingLastComponent("/a/b.jpg"), "/a");
    EXPECT_EQ(path::deletingLastComponent("/a"), "/");
    EXPECT_EQ(path::deletingLastComponent("b"), "");
    EXPECT_EQ(path::deletingLastComponent("/a/b/"), "/a");

    EXPECT_EQ(path::extension("/a/b.tar.gz"), "gz");
    EXPECT_EQ(path::extension("/a.d/b"), "");
    EXPECT_EQ(path::extension("/a/.settings"), "");
    EXPECT_EQ(path::extension("archive.tollivarmobile"), "tollivarmobile");
    EXPECT_EQ(path::deletingExtension("/a/audio-1.m4a"), "/a/audio-1");
    EXPECT_EQ(path::deletingExtension("/a/.hidden"), "/a/.hidden");
    EXPECT_EQ(path::appendingExtension("/a/b", "jpg"), "/a/b.jpg");
    EXPECT_EQ(path::appendingExtension("/a/b", ""), "/a/b");
}

TEST(PathText, FileURLs) {
    EXPECT_EQ(path::fromFileURL("file:///a/b%20c.m4a"), "/a/b c.m4a");
    EXPECT_EQ(path::fromFileURL("FILE://localhost/a"), "/a");
    EXPECT_EQ(path::fromFileURL("file:/a"), "/a");
    // The application writes file URLs without escaping, so "#" and "?" are
    // parts of a name; a "%" that starts no escape stays as it is.
    EXPECT_EQ(path::fromFileURL("file:///a/song #2?.mp3"), "/a/song #2?.mp3");
    EXPECT_EQ(path::fromFileURL("file:///a/100%"), "/a/100%");

    EXPECT_EQ(path::fromFileURL("file://server/a"), std::nullopt);
    EXPECT_EQ(path::fromFileURL("file://localhost"), std::nullopt);
    EXPECT_EQ(path::fromFileURL("file:relative"), std::nullopt);
    EXPECT_EQ(path::fromFileURL("https://example.invalid/a"), std::nullopt);
    EXPECT_EQ(path::fromFileURL("/a/b"), std::nullopt);
    // "/a/b%00/../c" would name "/a/b" to the file system.
    EXPECT_EQ(path::fromFileURL("file:///a/b%00/../c"), std::nullopt);

    // URLs made here escape every byte that could be read otherwise, so
    // every path comes back as it was.
    EXPECT_EQ(path::toFileURL("/a/b c"), "file:///a/b%20c");
    for (const char* name : {"/a/b c.tollivarmobile", "/a/100%41/\xC3\xA9t\xC3\xA9?#", "/", "/a/%"})
        EXPECT_EQ(path::fromFileURL(path::toFileURL(name)), name);
}
