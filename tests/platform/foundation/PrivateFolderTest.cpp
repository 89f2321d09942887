// The temporary folder in a /tmp that other users share: ours alone, or
// another folder of our own; and what is made in it is ours alone too.

#include "platform/foundation/Paths.h"
#include "platform/foundation/PrivateFolder.h"
#include "platform/foundation/StreamedFile.h"
#include "platform/foundation/TemporaryClaim.h"
#include "support/ScopedEnvironment.h"
#include "support/TempAppFolders.h"
#include "support/TestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

using namespace foundation;
namespace fs = std::filesystem;

namespace {

struct Status {
    mode_t mode = 0;  // type and permission bits, as lstat tells them
    uid_t owner = 0;
    bool operator==(const Status&) const = default;
};

std::optional<Status> statusOf(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return std::nullopt;
    return Status{info.st_mode, info.st_uid};
}

const Status kPrivateFolder{S_IFDIR | 0700, ::geteuid()};

void makeFolder(const std::string& folder, mode_t mode) {
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    ASSERT_EQ(::chmod(folder.c_str(), mode), 0);
}

TEST(PrivateFolder, TheTemporaryFolderIsTakenOnlyWhenItIsTheUsersAlone) {
    testsupport::TempAppFolders folders;
    Paths::setRootOverride(std::nullopt);
    const std::string root = folders.root();
    const std::string privateRuntime = root + "/run-private", openRuntime = root + "/run-open", ours = root + "/ours";
    makeFolder(privateRuntime, 0700);
    makeFolder(openRuntime, 0755);
    makeFolder(ours, 0700);
    const struct {
        const char* what;
        mode_t standing;  // what stands at the folder's name: type and mode bits, none when 0
        uid_t owner;
        bool taken;
    } cases[] = {
        {"nothing yet", 0, ::geteuid(), true},
        {"ours alone", S_IFDIR | 0700, ::geteuid(), true},
        // Made so by an earlier version: no one else can have put anything in it.
        {"ours, others may read it", S_IFDIR | 0755, ::geteuid(), true},
        {"ours, others may write into it", S_IFDIR | 01777, ::geteuid(), false},
        {"ours, the group may write into it", S_IFDIR | 0770, ::geteuid(), false},
        {"a link to a folder of ours", S_IFLNK, ::geteuid(), false},
        {"a file", S_IFREG, ::geteuid(), false},
        // Only root can make one; for anyone else the other cases stand for it.
        {"another user's", S_IFDIR | 0700, 4242, false},
    };
    // XDG_RUNTIME_DIR, and where a refused folder's replacement then is
    // (none: a fresh one beside the refused).
    const std::tuple<const char*, std::optional<std::string>, std::optional<std::string>> runtimes[] = {
        {"no runtime folder", std::nullopt, std::nullopt},
        {"a private runtime folder", privateRuntime, privateRuntime + "/tollivar"},
        {"a runtime folder open to others", openRuntime, std::nullopt}};
    int number = 0;
    for (const auto& c : cases) {
        if (c.owner != ::geteuid() && ::geteuid() != 0) continue;
        for (const auto& [what, runtime, replacement] : runtimes) {
            SCOPED_TRACE(std::string(c.what) + ", " + what);
            // A /tmp of its own for each case: the folder chosen is kept for the run.
            const std::string base = root + "/tmp-" + std::to_string(++number);
            makeFolder(base, 01777);
            const std::string named = base + "/tollivar-" + std::to_string(::getuid());
            if (S_ISDIR(c.standing)) makeFolder(named, c.standing & 07777);
            if (S_ISLNK(c.standing)) fs::create_directory_symlink(ours, named);
            if (S_ISREG(c.standing)) testsupport::writeFileBytes(named, "x");
            ASSERT_TRUE(c.owner == ::geteuid() || ::chown(named.c_str(), c.owner, c.owner) == 0);
            const std::optional<Status> before = statusOf(named);
            testsupport::ScopedEnvironment environment({{"TMPDIR", base}, {"XDG_RUNTIME_DIR", runtime}});

            const std::string temporary = Paths::temporaryDirectory();
            if (c.taken) {
                EXPECT_EQ(temporary, named);
            } else {
                EXPECT_EQ(statusOf(named), before) << "the refused one is left as it was";
                EXPECT_TRUE(replacement ? temporary == *replacement : temporary.starts_with(named + "-")) << temporary;
            }
            EXPECT_EQ(statusOf(temporary), kPrivateFolder) << temporary;
            // Even once a refused name is given back.
            if (!c.taken) fs::remove_all(named);
            EXPECT_EQ(Paths::temporaryDirectory(), temporary) << "the same folder for the rest of the run";
        }
    }
    Paths::setRootOverride(root);
}

TEST(PrivateFolder, OnlyFoldersThatRunsLeftAreSwept) {
    testsupport::TempAppFolders folders;
    const std::string base = folders.root() + "/shared", elsewhere = folders.root() + "/elsewhere";
    makeFolder(base, 01777);
    makeFolder(elsewhere, 0700);
    testsupport::writeFileBytes(elsewhere + "/kept", "x");
    const std::string uid = std::to_string(::getuid()), prefix = "tollivar-" + uid + "-";
    std::optional<RunFolder> held = RunFolder::create(base, prefix);
    ASSERT_TRUE(held);
    EXPECT_EQ(statusOf(held->path()), kPrivateFolder);
    testsupport::writeFileBytes(held->path() + "/recording.m4a", "x");
    const struct {
        std::string name;
        mode_t standing;  // a folder of that mode, a link to one of ours, or a file
        bool swept;
        uid_t owner = ::geteuid();
    } cases[] = {
        {prefix + "Left01", S_IFDIR | 0700, true},
        {prefix + "Left02", S_IFDIR | 0700, true},
        {prefix + "Open03", S_IFDIR | 0755, false},
        {prefix + "Link04", S_IFLNK, false},
        {prefix + "File05", S_IFREG, false},
        {prefix + "Longer06", S_IFDIR | 0700, false},
        {"tollivar-" + std::to_string(::getuid() + 1) + "-Other7", S_IFDIR | 0700, false},
        {"other-" + uid + "-Left08", S_IFDIR | 0700, false},
        // Only root can give a folder away; for anyone else the case is void.
        {prefix + "Alien9", S_IFDIR | 0700, false, 4242},
    };
    const auto made = [](const auto& c) { return c.owner == ::geteuid() || ::geteuid() == 0; };
    for (const auto& c : cases) {
        const std::string path = base + "/" + c.name;
        if (!made(c)) continue;
        if (S_ISDIR(c.standing)) makeFolder(path, c.standing & 07777);
        if (S_ISLNK(c.standing)) fs::create_directory_symlink(elsewhere, path);
        if (S_ISREG(c.standing)) testsupport::writeFileBytes(path, "x");
        ASSERT_TRUE(c.owner == ::geteuid() || ::chown(path.c_str(), c.owner, c.owner) == 0);
    }
    testsupport::writeFileBytes(base + "/" + prefix + "Left01/runtime/frame.jpg", "x");
    (void)removeAbandonedRunFolders(base, prefix);
    for (const auto& c : cases)
        EXPECT_EQ(fs::exists(fs::symlink_status(base + "/" + c.name)), !c.swept && made(c)) << c.name;
    EXPECT_TRUE(fs::exists(held->path() + "/recording.m4a")) << "the folder of a running copy";
    EXPECT_TRUE(fs::exists(elsewhere + "/kept"));
}

TEST(PrivateFolder, WhatIsMadeInAPrivateFolderIsPrivateToo) {
    testsupport::TempAppFolders folders;
    const mode_t mask = ::umask(022);
    const std::string temporary = Paths::temporaryDirectory();
    EXPECT_EQ(statusOf(temporary), kPrivateFolder);
    const std::string shared = folders.root() + "/shared";
    makeFolder(shared, 0755);
    struct Case {
        std::string folder;
        mode_t file, subfolder;
    };
    for (const Case& c : {Case{temporary, 0600, 0700}, Case{shared, 0644, 0755}}) {
        SCOPED_TRACE(c.folder);
        // A recording, as the voice-over sheet streams it, before and after it is complete.
        auto streamed = StreamedFile::create(c.folder + "/record.m4a");
        ASSERT_TRUE(streamed);
        auto partial = TemporaryClaim::create(c.folder + "/record.m4a", TemporaryClaim::Kind::File);
        ASSERT_TRUE(partial);
        EXPECT_EQ(statusOf(partial->path()), (Status{S_IFREG | c.file, ::geteuid()}));
        ASSERT_TRUE(streamed->commit());
        EXPECT_EQ(statusOf(c.folder + "/record.m4a"), (Status{S_IFREG | c.file, ::geteuid()}));
        auto folder = TemporaryClaim::create(c.folder + "/frames", TemporaryClaim::Kind::Folder);
        ASSERT_TRUE(folder);
        EXPECT_EQ(statusOf(folder->path()), (Status{S_IFDIR | c.subfolder, ::geteuid()}));
    }
    ::umask(mask);
}

}  // namespace
