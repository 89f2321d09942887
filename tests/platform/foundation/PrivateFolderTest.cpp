// The temporary folder in a /tmp that other users share: ours alone, or
// another folder of our own; and what is made in it is ours alone too.

#include "platform/foundation/Paths.h"
#include "platform/foundation/PrivateFolder.h"
#include "platform/foundation/StreamedFile.h"
#include "platform/foundation/TemporaryClaim.h"
#include "support/ScopedEnvironment.h"
#include "support/TempAppFolders.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>
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

TEST(PrivateFolder, TheTemporaryFolderIsTakenOnlyWhenItIsTheUsersAlone) {
    testsupport::TempAppFolders folders;
    Paths::setRootOverride(std::nullopt);
    const std::string root = folders.root();
    const std::string privateRuntime = root + "/run-private", openRuntime = root + "/run-open";
    const std::string ours = root + "/ours";
    for (const auto& [folder, mode] : {std::pair{privateRuntime, 0700}, {openRuntime, 0755}, {ours, 0700}}) {
        ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
        ASSERT_EQ(::chmod(folder.c_str(), mode_t(mode)), 0);
    }
    auto folderWithMode = [](mode_t mode) {
        return [mode](const std::string& folder) {
            ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
            ASSERT_EQ(::chmod(folder.c_str(), mode), 0);
        };
    };
    struct Case {
        const char* what;
        std::function<void(const std::string& folder)> make;  // what stands at the folder's name
        bool taken;
    };
    std::vector<Case> cases = {
        {"nothing yet", [](const std::string&) {}, true},
        {"ours alone", folderWithMode(0700), true},
        // Made so by an earlier version: no one else can have put anything in it.
        {"ours, others may read it", folderWithMode(0755), true},
        {"ours, others may write into it", folderWithMode(01777), false},
        {"ours, the group may write into it", folderWithMode(0770), false},
        {"a link to a folder of ours", [&](const std::string& f) { fs::create_directory_symlink(ours, f); }, false},
        {"a file", [](const std::string& f) { std::ofstream(f) << "x"; }, false},
    };
    // Another user's folder can only be made by root; as anyone else the
    // other cases stand for it.
    if (::geteuid() == 0) {
        cases.push_back({"another user's",
                         [](const std::string& f) {
                             ASSERT_EQ(::mkdir(f.c_str(), 0700), 0);
                             ASSERT_EQ(::chown(f.c_str(), 4242, 4242), 0);
                         },
                         false});
    }
    struct Runtime {
        const char* what;
        std::optional<std::string> folder;  // XDG_RUNTIME_DIR
        std::optional<std::string> used;    // where the folder then is; none: a fresh one beside the refused
    };
    const Runtime runtimes[] = {{"no runtime folder", std::nullopt, std::nullopt},
                                {"a private runtime folder", privateRuntime, privateRuntime + "/tollivar"},
                                {"a runtime folder open to others", openRuntime, std::nullopt}};
    int number = 0;
    for (const Case& c : cases) {
        for (const Runtime& runtime : runtimes) {
            SCOPED_TRACE(std::string(c.what) + ", " + runtime.what);
            // A /tmp of its own for each case: the folder chosen is kept for the run.
            const std::string base = root + "/tmp-" + std::to_string(++number);
            ASSERT_EQ(::mkdir(base.c_str(), 0700), 0);
            ASSERT_EQ(::chmod(base.c_str(), 01777), 0);
            const std::string named = base + "/tollivar-" + std::to_string(::getuid());
            c.make(named);
            const std::optional<Status> before = statusOf(named);
            testsupport::ScopedEnvironment environment({{"TMPDIR", base}, {"XDG_RUNTIME_DIR", runtime.folder}});

            const std::string temporary = Paths::temporaryDirectory();
            if (c.taken) {
                EXPECT_EQ(temporary, named);
            } else {
                EXPECT_EQ(statusOf(named), before) << "the refused one is left as it was";
                if (runtime.used)
                    EXPECT_EQ(temporary, *runtime.used);
                else
                    EXPECT_TRUE(temporary.starts_with(named + "-")) << temporary;
            }
            EXPECT_EQ(statusOf(temporary), kPrivateFolder) << temporary;
            EXPECT_EQ(Paths::temporaryDirectory(), temporary) << "the same folder for the rest of the run";
        }
    }
    Paths::setRootOverride(root);
}

TEST(PrivateFolder, WhatIsMadeInAPrivateFolderIsPrivateToo) {
    testsupport::TempAppFolders folders;
    const mode_t mask = ::umask(022);
    const std::string temporary = Paths::temporaryDirectory();
    EXPECT_EQ(statusOf(temporary), kPrivateFolder);
    const std::string shared = folders.root() + "/shared";
    ASSERT_EQ(::mkdir(shared.c_str(), 0755), 0);
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
