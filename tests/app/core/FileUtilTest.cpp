#include "app/core/FileUtil.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/PropertyList.h"
#include "support/Process.h"
#include "support/TempAppFolders.h"

#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <sys/stat.h>

using foundation::FileManager;
using foundation::Value;

namespace {

class FileUtilTest : public ::testing::Test {
protected:
    void SetUp() override {
        source = folders.root() + "/source";
        target = folders.root() + "/target";
        files.createDirectory(source, false);
        files.createDirectory(target, false);
    }

    void write(const std::string& path, const std::string& text) const {
        std::ofstream(path, std::ios::binary) << text;
    }
    std::string read(const std::string& path) const {
        auto bytes = foundation::readFile(path);
        return bytes ? std::string(bytes->begin(), bytes->end()) : "<missing>";
    }
    std::vector<std::string> names(const std::string& folder) const {
        return files.contentsOfDirectory(folder).valueOr({});
    }

    testsupport::TempAppFolders folders;
    const FileManager& files = FileManager::defaultManager();
    std::string source, target;
};

using Names = std::vector<std::string>;

}  // namespace

TEST(FileUtilIdentifiers, UuidsAreUpperCaseAndFresh) {
    const std::regex form("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$");
    std::string first = FileUtil::createUUID();
    EXPECT_TRUE(std::regex_match(first, form)) << first;
    EXPECT_NE(first, FileUtil::createUUID());
}

TEST(FileUtilResources, FindsAResourceByItsFullName) {
    auto path = FileUtil::pathForResource("Info.plist");
    ASSERT_TRUE(path);
    EXPECT_TRUE(FileManager::defaultManager().fileExists(*path));
    EXPECT_FALSE(FileUtil::pathForResource("Info"));
    EXPECT_FALSE(FileUtil::pathForResource("no-such-resource.png"));
}

TEST_F(FileUtilTest, CopyByKeyRenamesTheFramesFiles) {
    for (const char* name : {"frame-A.jpg", "preview-A.jpg", "thumb-A.jpg", "frame-C.jpg", "A-paint-A.dat"})
        write(source + "/" + name, name);
    EXPECT_TRUE(FileUtil::copyAllFilesInPath(source, target, "A", "B"));
    EXPECT_EQ(names(target), (Names{"B-paint-B.dat", "frame-B.jpg", "preview-B.jpg", "thumb-B.jpg"}));
    EXPECT_EQ(read(target + "/frame-B.jpg"), "frame-A.jpg");
    EXPECT_EQ(names(source).size(), 5u);  // the source is left as it was
}

TEST_F(FileUtilTest, CopyByKeyOntoExistingNamesFailsButCopiesTheRest) {
    write(source + "/frame-A.jpg", "new frame");
    write(source + "/thumb-A.jpg", "new thumb");
    write(target + "/frame-B.jpg", "old frame");
    EXPECT_FALSE(FileUtil::copyAllFilesInPath(source, target, "A", "B"));
    EXPECT_EQ(read(target + "/frame-B.jpg"), "old frame");
    EXPECT_EQ(read(target + "/thumb-B.jpg"), "new thumb");
}

TEST_F(FileUtilTest, CopyByKeyResultForEmptyMissingAndUnmatchedFolders) {
    EXPECT_FALSE(FileUtil::copyAllFilesInPath(source, target, "A", "B"));  // empty source
    EXPECT_FALSE(FileUtil::copyAllFilesInPath(folders.root() + "/none", target, "A", "B"));
    write(source + "/frame-C.jpg", "c");
    EXPECT_TRUE(FileUtil::copyAllFilesInPath(source, target, "A", "B"));  // nothing matched, nothing failed
    EXPECT_TRUE(names(target).empty());
    // An empty key matches nothing: it must never copy a whole folder.
    EXPECT_TRUE(FileUtil::copyAllFilesInPath(source, target, "", "B"));
    EXPECT_TRUE(names(target).empty());
}

TEST_F(FileUtilTest, CopyByKeyKeepsNamesAndCopiesFoldersWhole) {
    write(source + "/audio-K.m4a", "sound");
    files.createDirectory(source + "/layers-K", false);
    write(source + "/layers-K/1.png", "layer");
    FileUtil::copyAllFilesInPath(source, target, "K");
    EXPECT_EQ(names(target), (Names{"audio-K.m4a", "layers-K"}));
    EXPECT_EQ(read(target + "/layers-K/1.png"), "layer");
}

TEST_F(FileUtilTest, DeleteByKeyIsCaseSensitiveAndIgnoresEmptyKeys) {
    for (const char* name : {"frame-abc.jpg", "frame-ABC.jpg", "thumb-abc.jpg", "other.jpg"})
        write(source + "/" + name, "x");
    files.createDirectory(source + "/strokes-abc", false);
    write(source + "/strokes-abc/1", "x");
    FileUtil::deleteAllFilesInPath(source, "");
    EXPECT_EQ(names(source).size(), 5u);
    FileUtil::deleteAllFilesInPath(source, "abc");
    EXPECT_EQ(names(source), (Names{"frame-ABC.jpg", "other.jpg"}));
    FileUtil::deleteAllFilesInPath(folders.root() + "/none", "abc");  // nothing to do, no failure
}

TEST_F(FileUtilTest, SymbolicLinksAreToldApart) {
    write(source + "/file", "x");
    ASSERT_TRUE(files.createSymbolicLink(source + "/link", "file"));
    ASSERT_TRUE(files.createSymbolicLink(source + "/dangling", "missing"));
    EXPECT_TRUE(FileUtil::isFileASymbolicLinkAtPath(source + "/link"));
    EXPECT_TRUE(FileUtil::isFileASymbolicLinkAtPath(source + "/dangling"));
    EXPECT_FALSE(FileUtil::isFileASymbolicLinkAtPath(source + "/file"));
    EXPECT_FALSE(FileUtil::isFileASymbolicLinkAtPath(source));
    EXPECT_FALSE(FileUtil::isFileASymbolicLinkAtPath(source + "/missing"));
}

TEST_F(FileUtilTest, FreeSpaceIsRealUnlessOverridden) {
    EXPECT_GT(FileUtil::freeDiskspace(), 0u);
    FileUtil::setFreeDiskspaceOverride(50u << 20);
    EXPECT_EQ(FileUtil::freeDiskspace(), 50u << 20);
    FileUtil::setFreeDiskspaceOverride(std::nullopt);
    EXPECT_NE(FileUtil::freeDiskspace(), 50u << 20);
}

TEST_F(FileUtilTest, FolderSizeCountsEveryItemAtAnyDepth) {
    EXPECT_EQ(FileUtil::folderSize(source), 0u);
    EXPECT_EQ(FileUtil::folderSize(folders.root() + "/none"), 0u);
    write(source + "/a", std::string(1000, 'a'));
    files.createDirectory(source + "/sub/deeper", true);
    write(source + "/sub/deeper/b", std::string(234, 'b'));
    uint64_t folderEntries =
        files.attributesOfItem(source + "/sub")->size + files.attributesOfItem(source + "/sub/deeper")->size;
    EXPECT_EQ(FileUtil::folderSize(source), 1234u + folderEntries);
}

TEST(FileUtilColours, MissingComponentsCountAsZero) {
    graphics::Color red = FileUtil::getColorFromDictonary(Value(foundation::Dictionary{{"red", 1}}));
    EXPECT_EQ(red.rgba(), (graphics::RGBAComponents{1, 0, 0, 0}));
    EXPECT_EQ(FileUtil::getColorFromDictonary(Value()).rgba(), (graphics::RGBAComponents{0, 0, 0, 0}));
    EXPECT_EQ(FileUtil::getColorFromDictonary(Value("not a dictionary")).rgba(),
              (graphics::RGBAComponents{0, 0, 0, 0}));
}

TEST(FileUtilColours, DictionaryHoldsFloatsAndReadsBack) {
    foundation::Dictionary stored =
        FileUtil::getDictionaryFromUIColor(graphics::Color::rgb(0.8313725490196079, 0.25, 1, 0.7));
    EXPECT_EQ(stored.keys(), (std::vector<std::string>{"red", "green", "blue", "alpha"}));
    EXPECT_EQ(stored.get("red").numberType(), Value::kTypeFloat);
    EXPECT_DOUBLE_EQ(stored.get("red").asDouble(), static_cast<double>(0.8313725490196079f));
    auto back = FileUtil::getColorFromDictonary(Value(stored)).rgba();
    ASSERT_TRUE(back);
    EXPECT_NEAR(back->red, 0.8313725490196079, 1e-6);
    EXPECT_DOUBLE_EQ(back->green, 0.25);
    EXPECT_NEAR(back->alpha, 0.7, 1e-6);

    foundation::Dictionary grey = FileUtil::getDictionaryFromUIColor(graphics::Color::grey(0.5, 1));
    EXPECT_DOUBLE_EQ(grey.get("red").asDouble(), 0.5);
    EXPECT_DOUBLE_EQ(grey.get("blue").asDouble(), 0.5);
    EXPECT_DOUBLE_EQ(grey.get("alpha").asDouble(), 1.0);
}

TEST(FileUtilNames, SanitizingDropsReservedCharactersAndBlanks) {
    EXPECT_EQ(FileUtil::sanitizeFileNameString("My Movie: Part 1/2"), "My_Movie_Part_12");
    EXPECT_EQ(FileUtil::sanitizeFileNameString("./\\?%*|\"<>:;'[]{}@#$^`~,"), "");
    EXPECT_EQ(FileUtil::sanitizeFileNameString("Ünïcode stays"), "Ünïcode_stays");
    EXPECT_EQ(FileUtil::sanitizeFileNameString(""), "");
}

TEST_F(FileUtilTest, RemoveItemLeavesFoldersAndAcceptsMissingPaths) {
    foundation::Error error;
    EXPECT_TRUE(FileUtil::removeItemAtPath(source + "/missing", &error));
    write(source + "/kept-in-folder", "x");
    EXPECT_FALSE(FileUtil::removeItemAtPath(source, &error));
    EXPECT_EQ(error.domain, foundation::kCocoaErrorDomain);
    EXPECT_EQ(read(source + "/kept-in-folder"), "x");

    write(source + "/file", "x");
    EXPECT_TRUE(FileUtil::removeItemAtPath(source + "/file", nullptr));
    EXPECT_FALSE(files.fileExists(source + "/file"));

    // A link goes, never what it points to; a link to a folder is no folder.
    ASSERT_TRUE(files.createSymbolicLink(source + "/to-folder", target));
    EXPECT_TRUE(FileUtil::removeItemAtPath(source + "/to-folder", nullptr));
    EXPECT_FALSE(FileUtil::isFileASymbolicLinkAtPath(source + "/to-folder"));
    EXPECT_TRUE(files.fileExists(target));
}

TEST_F(FileUtilTest, RemoveFolderTakesEverything) {
    files.createDirectory(source + "/a/b", true);
    write(source + "/a/b/c", "x");
    foundation::Error error;
    EXPECT_TRUE(FileUtil::removeFolderAtPath(source, &error));
    EXPECT_FALSE(files.fileExists(source));
    EXPECT_FALSE(FileUtil::removeFolderAtPath(source, &error));
    EXPECT_EQ(error.code, foundation::kFileNoSuchFileError);
}

TEST_F(FileUtilTest, RemoveItemAtURLTakesFileURLsOnly) {
    write(source + "/a b.mov", "x");
    EXPECT_TRUE(FileUtil::removeItemAtURL("file://" + source + "/a%20b.mov", nullptr));
    EXPECT_FALSE(files.fileExists(source + "/a b.mov"));
    write(source + "/c.mov", "x");
    EXPECT_TRUE(FileUtil::removeItemAtURL("file://localhost" + source + "/c.mov", nullptr));
    EXPECT_FALSE(files.fileExists(source + "/c.mov"));

    foundation::Error error;
    EXPECT_FALSE(FileUtil::removeItemAtURL("https://example.invalid/c.mov", &error));
    EXPECT_EQ(error.code, foundation::kFileWriteUnsupportedSchemeError);
}

// One listing against many keys finds, for every key, exactly the names a
// search for that key alone finds, once each: keys of several lengths, a
// key twice in a name, keys inside keys, and the empty key, which names
// nothing.
TEST(FileUtilKeys, NamesByKeyFindWhatASearchPerKeyFinds) {
    const std::string a = FileUtil::createUUID(), b = FileUtil::createUUID();
    const Names names{"frame-" + a + ".jpg",
                      "thumb-" + a + ".jpg",
                      "canvas-" + a + "-" + b + ".png",
                      "frame-" + b + ".jpg",
                      "voice-1.m4a",
                      "voice-1.m4a.part",
                      "kelbrin.meta",
                      "aa",
                      ""};
    const Names keys{a, b, "voice-1.m4a", "a", "aa", "aaa", "", a.substr(0, 8), "missing"};
    const auto found = FileUtil::namesByKey(names, keys);
    for (const std::string& key : keys) {
        SCOPED_TRACE(key);
        Names expected;
        for (const std::string& name : names)
            if (!key.empty() && name.find(key) != std::string::npos) expected.push_back(name);
        const auto it = found.find(key);
        EXPECT_EQ(it == found.end() ? Names{} : it->second, expected);
        for (const std::string& name : names)
            if (KeysInNames({key}).containsAnyKey(name) != (!key.empty() && name.find(key) != std::string::npos))
                ADD_FAILURE() << name;
    }
}
