#include "platform/foundation/AtomicFile.h"
#include "support/ChildProcess.h"
#include "support/TempAppFolders.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace foundation;
namespace fs = std::filesystem;

namespace {

class AtomicFileTest : public ::testing::Test {
protected:
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
        return names;
    }

    testsupport::TempAppFolders folders;
    const std::string dir = folders.root();
};

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST_F(AtomicFileTest, WritesNewAndReplacesExistingLeavingNoTemporary) {
    std::string path = dir + "/a.plist";
    ASSERT_TRUE(writeFileAtomically(path, std::string_view("first")).ok());
    EXPECT_EQ(slurp(path), "first");
    Bytes binary{0, 1, 2, 0xff, 0};
    ASSERT_TRUE(writeFileAtomically(path, binary).ok());
    auto back = readFile(path);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(*back, binary);
    ASSERT_TRUE(writeFileAtomically(path, std::string_view()).ok());
    EXPECT_EQ(fs::file_size(path), 0u);
    EXPECT_EQ(entries(), std::vector<std::string>{"a.plist"});
}

TEST_F(AtomicFileTest, ReadFileGivesEveryByteWhateverTheSize) {
    // Around the reading buffer's size, and files whose size the file
    // system does not tell (/proc) or that have none (a pipe). Each is read
    // fresh and into the store of the read before (larger going down the
    // sizes, smaller going up), which must leave none of its old bytes.
    const std::vector<size_t> sizes{0, 1, 6136, 65535, 65536, 65537, 1048579, 65536, 1, 0};
    Bytes store(70000, 0xAA);
    for (size_t size : sizes) {
        Bytes bytes(size);
        for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + i / 251);
        const std::string path = dir + "/bytes-" + std::to_string(size);
        ASSERT_TRUE(writeFileAtomically(path, bytes).ok());
        auto back = readFile(path);
        ASSERT_TRUE(back.ok()) << size;
        EXPECT_EQ(*back, bytes) << size;
        auto intoStore = readFile(path, std::move(store));
        ASSERT_TRUE(intoStore.ok()) << size;
        EXPECT_EQ(*intoStore, bytes) << size;
        store = std::move(*intoStore);
    }
    store.assign(1 << 20, 0xAA);
    auto status = readFile("/proc/self/status", std::move(store));
    ASSERT_TRUE(status.ok());
    EXPECT_EQ(std::string(status->begin(), status->begin() + 5), "Name:");
    EXPECT_NE(std::string(status->begin(), status->end()).find("\nPid:\t" + std::to_string(getpid()) + "\n"),
              std::string::npos);

    const std::string pipe = dir + "/pipe";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    std::thread writer([&] { std::ofstream(pipe, std::ios::binary) << std::string(100000, 'p'); });
    auto piped = readFile(pipe, Bytes(200000, 0xAA));
    writer.join();
    ASSERT_TRUE(piped.ok());
    EXPECT_EQ(std::string(piped->begin(), piped->end()), std::string(100000, 'p'));
}

// What anyone could have put in place of a small file: only a regular file
// within the bound is read; a FIFO is not waited on, a device not read.
TEST_F(AtomicFileTest, ReadRegularFileReadsNothingButASmallRegularFile) {
    const std::string small = dir + "/small", pipe = dir + "/pipe";
    ASSERT_TRUE(writeFileAtomically(small, std::string_view("12345")).ok());
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    fs::create_symlink(small, dir + "/to-small");
    fs::create_symlink("/dev/zero", dir + "/to-zero");
    struct Case {
        std::string name;
        size_t maxBytes;
        Links links;
        int error;  // 0: reads "12345"
    };
    const std::vector<Case> cases = {
        {"small", 5, Links::Refuse, 0},      {"small", 4, Links::Follow, EFBIG},
        {"to-small", 5, Links::Follow, 0},   {"to-small", 5, Links::Refuse, ELOOP},
        {"pipe", 99, Links::Follow, EINVAL}, {"to-zero", 99, Links::Follow, EINVAL},
        {"", 99, Links::Follow, EISDIR},
    };
    for (const Case& c : cases) {
        auto read = readRegularFile(dir + "/" + c.name, c.maxBytes, c.links, Bytes(64, 0xAA));
        EXPECT_EQ(read.ok() ? 0 : read.error().code, c.error) << c.name;
        EXPECT_EQ(read.ok() ? std::string(read->begin(), read->end()) : "12345", "12345");
    }
}

TEST(AtomicTemporaryName, OnlyTheWritersOwnNamesParse) {
    struct Case {
        std::string name;
        std::optional<std::string> target;
        int64_t pid;
    };
    const Case cases[] = {
        {".frames.meta.tmp-4242-0-0a1b2c3d", "frames.meta", 4242},
        {".frame-AB-12.jpg.tmp-7-19-FFFFFFFF", "frame-AB-12.jpg", 7},
        {".a.tmp-1-1-00000000", "a", 1},
        {"frames.meta.tmp-4242-0-0a1b2c3d", std::nullopt, 0},   // not hidden
        {".frames.meta.tmp-4242-0-0a1b2c3", std::nullopt, 0},   // seven hex digits
        {".frames.meta.tmp-42x2-0-0a1b2c3d", std::nullopt, 0},  // not a process id
        {".frames.meta.tmp-4242-0a1b2c3d", std::nullopt, 0},    // no counter
        {".frames.meta.tmp--0-0a1b2c3d", std::nullopt, 0},
        {".frames.meta.tmp-12345678901-0-0a1b2c3d", std::nullopt, 0},
        {".tmp-1-1-00000000", std::nullopt, 0},
        {"frames.meta", std::nullopt, 0},
    };
    for (const Case& c : cases) {
        auto parsed = parseAtomicTemporaryName(c.name);
        ASSERT_EQ(parsed.has_value(), c.target.has_value()) << c.name;
        if (!parsed) continue;
        EXPECT_EQ(parsed->targetName, *c.target);
        EXPECT_EQ(parsed->writerProcessID, c.pid);
    }
}

TEST_F(AtomicFileTest, ReplacedFilesKeepWhoMayReadThemButNoOneElseMayWrite) {
    // New files under any umask, replaced ones that others may read, and
    // replaced ones with modes something else gave them (an archive did):
    // no one else may ever write into our files.
    const struct {
        mode_t umask;
        std::optional<mode_t> before;  // none: a new file
        mode_t after;
    } cases[] = {{022, std::nullopt, 0644}, {0, std::nullopt, 0644}, {002, std::nullopt, 0644},
                 {077, std::nullopt, 0600}, {022, 0600, 0600},       {022, 0640, 0640},
                 {022, 0444, 0444},         {022, 0666, 0644},       {022, 0777, 0644},
                 {022, 04755, 0644},        {0, 01777, 0644}};
    const mode_t original = ::umask(022);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.before.value_or(0)) + " under umask " + std::to_string(c.umask));
        const std::string path = dir + "/file-" + std::to_string(&c - cases);
        if (c.before) {
            std::ofstream(path) << "x";
            ASSERT_EQ(::chmod(path.c_str(), *c.before), 0);
        }
        ::umask(c.umask);
        EXPECT_TRUE(writeFileAtomically(path, std::string_view("y")).ok());
        ::umask(022);
        EXPECT_EQ(fs::status(path).permissions(), fs::perms(c.after));
    }
    ::umask(original);
}

TEST_F(AtomicFileTest, FailuresNameThePathAndCarryErrno) {
    std::string missingFolder = dir + "/no/such/file";
    auto status = writeFileAtomically(missingFolder, std::string_view("x"));
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.error().domain, kPOSIXErrorDomain);
    EXPECT_EQ(status.error().code, ENOENT);
    EXPECT_NE(status.error().description.find(missingFolder), std::string::npos);

    // A folder in the way is never replaced by a file.
    fs::create_directory(dir + "/folder");
    status = writeFileAtomically(dir + "/folder", std::string_view("x"));
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.error().code, EISDIR);
    EXPECT_TRUE(fs::is_directory(dir + "/folder"));
    EXPECT_EQ(entries(), std::vector<std::string>{"folder"});

    auto read = readFile(dir + "/absent");
    ASSERT_FALSE(read.ok());
    EXPECT_EQ(read.error().domain, kPOSIXErrorDomain);
    EXPECT_EQ(read.error().code, ENOENT);
    EXPECT_NE(read.error().description.find(dir + "/absent"), std::string::npos);
    EXPECT_EQ(readFile(dir + "/folder").error().code, EISDIR);
}

// A full device must be told apart from other failures, and must neither
// damage the old file nor leave a half-written temporary behind. The child
// mounts a tiny file system of its own, so nothing outside it is affected.
TEST_F(AtomicFileTest, FullDeviceReportsENOSPCAndKeepsOldFile) {
    auto child = testsupport::ChildProcess::forked([&] {
        if (unshare(CLONE_NEWNS) != 0) return 77;
        if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return 77;
        if (mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=64k") != 0) return 77;
        std::string path = dir + "/project.plist";
        if (!writeFileAtomically(path, std::string_view("old contents")).ok()) return 10;
        std::string big(256 * 1024, 'x');
        auto status = writeFileAtomically(path, big);
        if (status.ok()) return 11;
        if (status.error().domain != kPOSIXErrorDomain || status.error().code != ENOSPC) return 12;
        if (status.error().description.find(path) == std::string::npos) return 13;
        if (slurp(path) != "old contents") return 14;
        int count = 0;
        for (const auto& entry : fs::directory_iterator(dir)) {
            (void)entry;
            ++count;
        }
        return count == 1 ? 0 : 15;
    });
    int code = child.wait();
    if (code == 77) GTEST_SKIP() << "cannot mount a private file system here";
    EXPECT_EQ(code, 0) << "child check failed with code " << code;
}
