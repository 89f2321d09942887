#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/FileManager.h"
#include "support/TempAppFolders.h"

#include <cerrno>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace foundation;

namespace {

class FileManagerTest : public ::testing::Test {
protected:
    std::string at(const std::string& name) const { return folders.root() + "/" + name; }

    void write(const std::string& name, const std::string& text) const {
        std::ofstream(at(name), std::ios::binary) << text;
    }
    std::string read(const std::string& name) const {
        auto bytes = readFile(at(name));
        return bytes ? std::string(bytes->begin(), bytes->end()) : "<missing>";
    }
    std::string linkTarget(const std::string& name) const {
        char buffer[512];
        ssize_t length = ::readlink(at(name).c_str(), buffer, sizeof buffer);
        return length < 0 ? "<not a link>" : std::string(buffer, static_cast<size_t>(length));
    }

    testsupport::TempAppFolders folders;
    const FileManager& files = FileManager::defaultManager();
};

void expectFileExistsError(const Status& status) {
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.error().domain, kCocoaErrorDomain);
    EXPECT_EQ(status.error().code, kFileWriteFileExistsError);
    EXPECT_TRUE(isFileExistsError(status.error()));
}

}  // namespace

TEST_F(FileManagerTest, CopyRefusesEveryKindOfExistingTarget) {
    write("a.txt", "new");
    write("b.txt", "old");
    expectFileExistsError(files.copyItem(at("a.txt"), at("b.txt")));
    EXPECT_EQ(read("b.txt"), "old");

    ASSERT_TRUE(files.createDirectory(at("folder"), false));
    expectFileExistsError(files.copyItem(at("a.txt"), at("folder")));

    // A dangling link is something too: it must not be written through.
    ASSERT_TRUE(files.createSymbolicLink(at("dangling"), at("nowhere")));
    expectFileExistsError(files.copyItem(at("a.txt"), at("dangling")));
    EXPECT_FALSE(files.fileExists(at("nowhere")));
    EXPECT_EQ(read("a.txt"), "new");
}

TEST_F(FileManagerTest, MoveRefusesAnExistingTargetAndLeavesBothAlone) {
    write("a.txt", "A");
    write("b.txt", "B");
    expectFileExistsError(files.moveItem(at("a.txt"), at("b.txt")));
    EXPECT_EQ(read("a.txt"), "A");
    EXPECT_EQ(read("b.txt"), "B");

    ASSERT_TRUE(files.moveItem(at("a.txt"), at("c.txt")));
    EXPECT_FALSE(files.fileExists(at("a.txt")));
    EXPECT_EQ(read("c.txt"), "A");

    Status missing = files.moveItem(at("a.txt"), at("d.txt"));
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().code, kFileReadNoSuchFileError);
}

TEST_F(FileManagerTest, CopyOfAFolderIsDeepAndKeepsLinksAsLinks) {
    ASSERT_TRUE(files.createDirectory(at("src/inner/deeper"), true));
    write("src/top.jpg", "top");
    write("src/inner/deeper/leaf.bin", std::string("a\0b", 3));
    ASSERT_TRUE(files.createSymbolicLink(at("src/link"), "inner/deeper/leaf.bin"));
    ASSERT_TRUE(files.createSymbolicLink(at("src/outside"), "/etc/hostname"));
    // Our own modes whatever the source's: 0755 for folders and what its owner may run, else 0644.
    ASSERT_EQ(::chmod(at("src/top.jpg").c_str(), 06777), 0);
    ASSERT_EQ(::chmod(at("src/inner").c_str(), 01777), 0);
    ASSERT_EQ(::chmod(at("src/inner/deeper/leaf.bin").c_str(), 0600), 0);
    ASSERT_TRUE(files.setModificationDate(at("src/top.jpg"), Date{1000.0}));

    ASSERT_TRUE(files.copyItem(at("src"), at("dst")));
    EXPECT_EQ(read("dst/top.jpg"), "top");
    EXPECT_EQ(read("dst/inner/deeper/leaf.bin"), std::string("a\0b", 3));
    EXPECT_EQ(linkTarget("dst/link"), "inner/deeper/leaf.bin");
    EXPECT_EQ(linkTarget("dst/outside"), "/etc/hostname");
    auto attributes = files.attributesOfItem(at("dst/top.jpg"));
    ASSERT_TRUE(attributes);
    EXPECT_EQ(attributes->permissions, 0755u);
    EXPECT_EQ(files.attributesOfItem(at("dst/inner"))->permissions, 0755u);
    EXPECT_EQ(files.attributesOfItem(at("dst/inner/deeper/leaf.bin"))->permissions, 0644u);
    EXPECT_DOUBLE_EQ(attributes->modificationDate.sinceReferenceDate, 1000.0);
    // The source is untouched.
    EXPECT_EQ(read("src/top.jpg"), "top");
}

TEST_F(FileManagerTest, FailedFolderCopyLeavesNoHalfCopy) {
    ASSERT_TRUE(files.createDirectory(at("src"), false));
    write("src/a", "a");
    // A pipe cannot be copied; it comes after "a" in the listing, so "a" is
    // already copied when the copy fails.
    ASSERT_EQ(::mkfifo(at("src/pipe").c_str(), 0600), 0);
    Status copied = files.copyItem(at("src"), at("dst"));
    ASSERT_FALSE(copied.ok());
    EXPECT_EQ(copied.error().domain, kCocoaErrorDomain);
    EXPECT_FALSE(files.fileExists(at("dst")));
    // So does a copy stopped there (asked before "src", "a" and the pipe).
    int asked = 0;
    copied = files.copyItem(at("src"), at("dst"), [&] { return ++asked > 2; });
    EXPECT_EQ(copied.error().underlying->code, ECANCELED);
    EXPECT_FALSE(files.fileExists(at("dst")));
}

TEST_F(FileManagerTest, CopyUnderAFreeNameNeverReplacesAndLeavesNoScratch) {
    ASSERT_TRUE(files.createDirectory(at("out"), false));
    write("movie.gif", "gif");
    write("out/Film.gif", "theirs");
    ASSERT_TRUE(files.createDirectory(at("pictures"), false));
    write("pictures/frame-00000.jpg", "jpeg");
    ASSERT_TRUE(files.createDirectory(at("out/Film v1.0"), false));
    struct Case {
        const char* what;
        std::string from, stem, extension, separator, name;
    };
    const Case cases[] = {
        {"a taken name", "movie.gif", "Film", "gif", " ", "Film 2.gif"},
        {"and the next", "movie.gif", "Film", "gif", " ", "Film 3.gif"},
        {"a free name", "movie.gif", "Other", "gif", " ", "Other.gif"},
        {"another separator", "movie.gif", "Film", "gif", "-", "Film-2.gif"},
        {"a folder, dots in its stem", "pictures", "Film v1.0", "", " ", "Film v1.0 2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto name = files.copyItemUnderFreeName(at(c.from), at("out"), c.stem, c.extension, c.separator);
        ASSERT_TRUE(name.ok()) << name.error().description;
        EXPECT_EQ(*name, c.name);
    }
    EXPECT_EQ(read("out/Film.gif"), "theirs");
    EXPECT_EQ(read("out/Film 3.gif"), "gif");
    EXPECT_EQ(read("out/Film v1.0 2/frame-00000.jpg"), "jpeg");
    struct stat source {}, copy {};
    ASSERT_EQ(::stat(at("movie.gif").c_str(), &source), 0);
    ASSERT_EQ(::stat(at("out/Film 2.gif").c_str(), &copy), 0);
    EXPECT_NE(source.st_ino, copy.st_ino) << "a file of its own, not another name";

    // A source that cannot be copied leaves nothing behind, scratch included.
    ASSERT_EQ(::mkfifo(at("pictures/pipe").c_str(), 0600), 0);
    for (const std::string& from : {at("missing.gif"), at("pictures")})
        EXPECT_FALSE(files.copyItemUnderFreeName(from, at("out"), "Broken", "", " ").ok()) << from;
    auto names = files.contentsOfDirectory(at("out"));
    ASSERT_TRUE(names);
    EXPECT_EQ(*names, (std::vector<std::string>{"Film 2.gif", "Film 3.gif", "Film v1.0", "Film v1.0 2", "Film-2.gif",
                                                "Film.gif", "Other.gif"}));
    EXPECT_FALSE(files.copyItemUnderFreeName(at("movie.gif"), at("no-such-folder"), "Film", "gif").ok());
}

TEST_F(FileManagerTest, CopyOfALinkDoesNotFollowIt) {
    write("target.txt", "content");
    ASSERT_TRUE(files.createSymbolicLink(at("link"), "target.txt"));
    ASSERT_TRUE(files.copyItem(at("link"), at("copy")));
    EXPECT_EQ(linkTarget("copy"), "target.txt");
    auto attributes = files.attributesOfItem(at("copy"));
    ASSERT_TRUE(attributes);
    EXPECT_EQ(attributes->type, FileType::SymbolicLink);
}

TEST_F(FileManagerTest, RemoveTakesFoldersWithContentsAndReportsMissingPaths) {
    write("keep.txt", "keep");
    const std::vector<std::string> before = *files.contentsOfDirectory(folders.root());
    // Moved aside first or not, the removal leaves nothing, beside it either.
    for (bool aside : {false, true}) {
        auto remove = [&] { return aside ? files.removeItemAside(at("tree")) : files.removeItem(at("tree")); };
        ASSERT_TRUE(files.createDirectory(at("tree/a/b"), true));
        write("tree/a/b/file", "x");
        ASSERT_TRUE(files.createSymbolicLink(at("tree/link"), at("keep.txt")));
        ASSERT_TRUE(remove());
        EXPECT_EQ(*files.contentsOfDirectory(folders.root()), before);
        EXPECT_EQ(read("keep.txt"), "keep");  // a link's target survives

        Status missing = remove();
        ASSERT_FALSE(missing.ok());
        EXPECT_EQ(missing.error().domain, kCocoaErrorDomain);
        EXPECT_EQ(missing.error().code, kFileNoSuchFileError);
        ASSERT_TRUE(missing.error().underlying);
        EXPECT_EQ(missing.error().underlying->code, ENOENT);
    }
}

TEST_F(FileManagerTest, CreateDirectoryRules) {
    EXPECT_TRUE(files.createDirectory(at("x/y/z"), true));
    EXPECT_TRUE(files.createDirectory(at("x/y/z"), true));  // already there: fine
    bool isDirectory = false;
    EXPECT_TRUE(files.fileExists(at("x/y/z"), &isDirectory));
    EXPECT_TRUE(isDirectory);

    expectFileExistsError(files.createDirectory(at("x/y/z"), false));
    Status noParent = files.createDirectory(at("p/q"), false);
    ASSERT_FALSE(noParent.ok());
    EXPECT_EQ(noParent.error().code, kFileNoSuchFileError);

    write("plain", "");
    expectFileExistsError(files.createDirectory(at("plain"), true));
    EXPECT_FALSE(files.createDirectory(at("plain/below"), true).ok());
    EXPECT_TRUE(files.fileExists(at("plain"), &isDirectory));
    EXPECT_FALSE(isDirectory);
}

TEST_F(FileManagerTest, OnlyRegularFilesWithContentCountAsFilesWithContent) {
    ASSERT_TRUE(files.createDirectory(at("d/sub"), true));
    write("d/full", "x");
    write("d/sub/deeper", "x");
    write("d/empty", "");
    ASSERT_EQ(::symlink(at("d/full").c_str(), at("d/link").c_str()), 0);
    ASSERT_EQ(::mkfifo(at("d/fifo").c_str(), 0600), 0);
    EXPECT_EQ(files.namesOfFilesWithContent(at("d")).value(), std::vector<std::string>{"full"});
}

TEST_F(FileManagerTest, ListingsAreSortedAndComplete) {
    ASSERT_TRUE(files.createDirectory(at("d/sub"), true));
    write("d/b", "");
    write("d/a", "");
    write("d/.hidden", "");
    write("d/sub/c", "");
    auto names = files.contentsOfDirectory(at("d"));
    ASSERT_TRUE(names);
    EXPECT_EQ(*names, (std::vector<std::string>{".hidden", "a", "b", "sub"}));
    auto subpaths = files.subpathsOfDirectory(at("d"));
    ASSERT_TRUE(subpaths);
    EXPECT_EQ(*subpaths, (std::vector<std::string>{".hidden", "a", "b", "sub", "sub/c"}));

    auto missing = files.contentsOfDirectory(at("none"));
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().code, kFileReadNoSuchFileError);
    EXPECT_EQ(files.namesOfFilesWithContent(at("none")).error().code, kFileReadNoSuchFileError);
    EXPECT_FALSE(files.contentsOfDirectory(at("d/a")).ok());
}

TEST_F(FileManagerTest, AttributesDescribeTheItemItself) {
    write("five", "12345");
    ASSERT_TRUE(files.createSymbolicLink(at("link"), "five"));
    auto file = files.attributesOfItem(at("five"));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->type, FileType::Regular);
    EXPECT_EQ(file->size, 5u);
    EXPECT_NEAR(file->modificationDate.sinceReferenceDate, Date::now().sinceReferenceDate, 60.0);
    auto link = files.attributesOfItem(at("link"));
    ASSERT_TRUE(link);
    EXPECT_EQ(link->type, FileType::SymbolicLink);
    EXPECT_EQ(link->size, 4u);  // the length of "five"
    EXPECT_FALSE(files.attributesOfItem(at("none")).ok());
    // fileExists follows links, so a dangling one does not count.
    ASSERT_TRUE(files.createSymbolicLink(at("dangling"), "none"));
    EXPECT_FALSE(files.fileExists(at("dangling")));
}

TEST_F(FileManagerTest, FreeSpaceOfAnExistingFolder) {
    auto space = files.freeSpace(folders.root());
    ASSERT_TRUE(space);
    EXPECT_GT(*space, 0u);
    EXPECT_FALSE(files.freeSpace(at("none")).ok());
}

TEST(FileSystemError, FullDeviceIsToldApartFromOtherFailures) {
    Error full = fileSystemError(ENOSPC, "/x/frame-1.jpg", true);
    EXPECT_EQ(full.code, kFileWriteOutOfSpaceError);
    EXPECT_NE(full.description.find("frame-1.jpg"), std::string::npos);
    EXPECT_TRUE(isOutOfSpaceError(full));
    EXPECT_EQ(fileSystemError(EDQUOT, "/x", true).code, kFileWriteOutOfSpaceError);
    EXPECT_TRUE(isOutOfSpaceError(Error::posix(ENOSPC, "write")));
    // Wrapped, as callers that add their own domain do.
    Error wrapped("CaptureViewController", 1, "failed", std::make_shared<const Error>(full));
    EXPECT_TRUE(isOutOfSpaceError(wrapped));

    EXPECT_FALSE(isOutOfSpaceError(fileSystemError(EACCES, "/x", true)));
    EXPECT_EQ(fileSystemError(EACCES, "/x", true).code, kFileWriteNoPermissionError);
    EXPECT_EQ(fileSystemError(EACCES, "/x", false).code, kFileReadNoPermissionError);
    EXPECT_EQ(fileSystemError(EROFS, "/x", true).code, kFileWriteVolumeReadOnlyError);
    EXPECT_EQ(fileSystemError(EIO, "/x", true).code, kFileWriteUnknownError);
    EXPECT_TRUE(isFileExistsError(Error::posix(EEXIST, "")));
}

TEST(FileSystemError, OneTestOfAFullStorageForEveryErrno) {
    // A full device and a used-up quota are full storage; a file-size limit,
    // a read-only or refused folder and a failing disk are not, however the
    // errno reaches a caller: as the POSIX error, as the file system's error,
    // or wrapped twice in others.
    for (const int errnoValue : {ENOSPC, EDQUOT, EFBIG, EROFS, EACCES, EPERM, EIO, ENOENT, EINVAL, 0}) {
        SCOPED_TRACE(errnoValue);
        const bool full = errnoValue == ENOSPC || errnoValue == EDQUOT;
        const Error posix = Error::posix(errnoValue, "write");
        const Error described = fileSystemError(errnoValue, "/x/movie.mov", true);
        const Error wrapped("Outer", 1, "outer",
                            std::make_shared<const Error>("Inner", 2, "inner", std::make_shared<const Error>(posix)));
        EXPECT_EQ(isStorageFullErrno(errnoValue), full);
        EXPECT_EQ(isOutOfSpaceError(posix), full);
        EXPECT_EQ(isOutOfSpaceError(described), full);
        EXPECT_EQ(described.code == kFileWriteOutOfSpaceError, full);
        EXPECT_EQ(isOutOfSpaceError(wrapped), full);
    }
    // A POSIX code that only looks like ENOSPC in its low 32 bits is not one.
    EXPECT_FALSE(isOutOfSpaceError(Error(kPOSIXErrorDomain, (int64_t(1) << 32) + ENOSPC, "")));
}
