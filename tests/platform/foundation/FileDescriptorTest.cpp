#include "platform/foundation/FileDescriptor.h"
#include "support/ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <numeric>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

using foundation::FileDescriptor;
using foundation::StreamFailure;

namespace {

bool isOpen(int fd) { return ::fcntl(fd, F_GETFD) != -1; }

std::string slurp(const std::string& path) {
    std::string text;
    FileDescriptor fd = FileDescriptor::open(path, O_RDONLY);
    foundation::readChunks(fd.get(), [&](const uint8_t* data, size_t size) {
        text.append(reinterpret_cast<const char*>(data), size);
        return 0;
    });
    return text;
}

class FileDescriptorTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir =
            (std::filesystem::temp_directory_path() / ("fd-test-" + std::to_string(::getpid()) + "-" +
                                                       ::testing::UnitTest::GetInstance()->current_test_info()->name()))
                .string();
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string dir;
};

}  // namespace

TEST_F(FileDescriptorTest, OwnsExactlyOneDescriptorThroughMovesAndResets) {
    int first, second;
    {
        FileDescriptor a = FileDescriptor::open("/dev/null", O_RDONLY);
        ASSERT_TRUE(a.valid());
        first = a.get();
        EXPECT_TRUE(::fcntl(first, F_GETFD) & FD_CLOEXEC);
        FileDescriptor b(std::move(a));
        EXPECT_FALSE(a.valid());
        EXPECT_EQ(b.get(), first);
        FileDescriptor c = FileDescriptor::open("/dev/zero", O_RDONLY);
        second = c.get();
        c = std::move(b);  // c's old descriptor closes, b's moves in
        EXPECT_FALSE(isOpen(second));
        EXPECT_EQ(c.get(), first);
        EXPECT_TRUE(isOpen(first));

        int kept = c.release();
        EXPECT_FALSE(c.valid());
        EXPECT_TRUE(isOpen(kept));
        c.reset(kept);
        EXPECT_EQ(c.close(), 0);
        EXPECT_FALSE(isOpen(kept));
        EXPECT_EQ(c.close(), 0);  // nothing left to close

        c = FileDescriptor::open("/dev/null", O_RDONLY);
        first = c.get();
    }
    EXPECT_FALSE(isOpen(first));  // closed on destruction

    errno = 0;
    FileDescriptor missing = FileDescriptor::open(dir + "/absent", O_RDONLY);
    EXPECT_FALSE(missing.valid());
    EXPECT_EQ(errno, ENOENT);
    FileDescriptor(-5).reset();  // a negative value owns nothing
}

// A packet socket hands out one packet per read, so every read here is
// short; the pieces must arrive whole and in order.
TEST_F(FileDescriptorTest, ReadChunksJoinsShortReads) {
    const std::vector<size_t> sizes = {1, 7, 4096, 65535, 3, 30000};
    int ends[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends), 0);
    FileDescriptor reader(ends[0]), writer(ends[1]);
    int sendBuffer = 1 << 20;
    ::setsockopt(writer.get(), SOL_SOCKET, SO_SNDBUF, &sendBuffer, sizeof sendBuffer);
    std::string sent;
    for (size_t size : sizes) {
        std::string packet(size, static_cast<char>('a' + sent.size() % 26));
        ASSERT_TRUE(foundation::writeAll(writer.get(), packet.data(), packet.size()));
        sent += packet;
    }
    writer.reset();
    std::vector<size_t> reads;
    std::string received;
    auto failure = foundation::readChunks(reader.get(), [&](const uint8_t* data, size_t size) {
        reads.push_back(size);
        received.append(reinterpret_cast<const char*>(data), size);
        return 0;
    });
    EXPECT_FALSE(failure);
    EXPECT_EQ(reads, sizes);
    EXPECT_EQ(received, sent);
}

// Each row: where the copy goes and how it must end.
TEST_F(FileDescriptorTest, CopyReportsTheSideAndErrorOfAFailure) {
    std::string source = dir + "/source";
    std::string content(200000, 'x');
    std::iota(content.begin(), content.end(), 0);
    {
        FileDescriptor out = FileDescriptor::open(source, O_WRONLY | O_CREAT);
        ASSERT_TRUE(foundation::writeAll(out.get(), content.data(), content.size()));
    }
    struct Case {
        const char* what;
        std::string from, to;
        int toFlags;
        std::optional<StreamFailure::Side> side;
        int error;
    };
    const Case cases[] = {
        {"into a file", source, dir + "/copy", O_WRONLY | O_CREAT, std::nullopt, 0},
        {"into a full device", source, "/dev/full", O_WRONLY, StreamFailure::Side::Writing, ENOSPC},
        {"from a folder", dir, dir + "/copy2", O_WRONLY | O_CREAT, StreamFailure::Side::Reading, EISDIR},
        {"into a read-only descriptor", source, dir + "/copy", O_RDONLY, StreamFailure::Side::Writing, EBADF},
    };
    // The file copy takes other roads (a clone, the kernel's copy) but fails
    // the same way, going through the buffer when the others refuse.
    for (auto copy : {&foundation::copyAll, &foundation::copyFileData}) {
        std::filesystem::remove(dir + "/copy");
        std::filesystem::remove(dir + "/copy2");
        for (const Case& c : cases) {
            FileDescriptor from = FileDescriptor::open(c.from, O_RDONLY);
            FileDescriptor to = FileDescriptor::open(c.to, c.toFlags, 0644);
            ASSERT_TRUE(from.valid() && to.valid()) << c.what;
            auto failure = copy(from.get(), to.get());
            ASSERT_EQ(failure.has_value(), c.side.has_value()) << c.what;
            if (failure) {
                EXPECT_EQ(failure->side, *c.side) << c.what;
                EXPECT_EQ(failure->errnoValue, c.error) << c.what;
            }
        }
        EXPECT_EQ(slurp(dir + "/copy"), content);
    }
}

TEST_F(FileDescriptorTest, AFileCopyIsAFileOfItsOwn) {
    const std::string source = dir + "/source";
    const std::string content(300000, 'a');
    {
        FileDescriptor out = FileDescriptor::open(source, O_WRONLY | O_CREAT);
        ASSERT_TRUE(foundation::writeAll(out.get(), content.data(), content.size()));
    }
    struct Case {
        const char* what;
        off_t skip;             // read from the source before copying
        std::string existing;   // already in the target
    };
    const Case cases[] = {{"whole into empty", 0, ""}, {"the rest", 1000, ""}, {"after what is there", 0, "head"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string target = dir + "/copy";
        std::filesystem::remove(target);
        FileDescriptor from = FileDescriptor::open(source, O_RDONLY);
        FileDescriptor to = FileDescriptor::open(target, O_RDWR | O_CREAT, 0644);
        ASSERT_TRUE(foundation::writeAll(to.get(), c.existing.data(), c.existing.size()));
        ASSERT_EQ(::lseek(from.get(), c.skip, SEEK_SET), c.skip);
        EXPECT_FALSE(foundation::copyFileData(from.get(), to.get()).has_value());
        // Both offsets stand where a plain copy leaves them.
        EXPECT_EQ(::lseek(from.get(), 0, SEEK_CUR), off_t(content.size()));
        EXPECT_EQ(::lseek(to.get(), 0, SEEK_CUR), off_t(c.existing.size() + content.size() - size_t(c.skip)));
        EXPECT_EQ(slurp(target), c.existing + content.substr(size_t(c.skip)));
        // Rewriting the source in place never shows in the copy.
        {
            FileDescriptor rewrite = FileDescriptor::open(source, O_WRONLY);
            ASSERT_TRUE(foundation::writeAll(rewrite.get(), "changed", 7));
        }
        EXPECT_EQ(slurp(target), c.existing + content.substr(size_t(c.skip)));
        {
            FileDescriptor restore = FileDescriptor::open(source, O_WRONLY);
            ASSERT_TRUE(foundation::writeAll(restore.get(), content.data(), 7));
        }
    }
}

// Under a file size limit the kernel writes what fits and then refuses:
// writeAll must carry on after the short write and report the refusal.
TEST_F(FileDescriptorTest, WriteAllGoesOnAfterShortWritesAndReportsTheLimit) {
    std::string path = dir + "/limited";
    auto child = testsupport::ChildProcess::forked([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit {
            70000, 70000
        };
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 10;
        FileDescriptor out = FileDescriptor::open(path, O_WRONLY | O_CREAT);
        std::string data(100000, 'y');
        if (foundation::writeAll(out.get(), data.data(), data.size())) return 11;
        return errno == EFBIG ? 0 : 12;
    });
    EXPECT_EQ(child.wait(), 0);
    EXPECT_EQ(std::filesystem::file_size(path), 70000u);
}
