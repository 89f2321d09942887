// One running copy per data folder: the lock, the owner-only socket, the
// hand-over of messages to the running copy, and refusing sockets and
// folders that are not this user's alone.

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/SingleInstance.h"
#include "support/ChildProcess.h"
#include "support/ScopedEnvironment.h"
#include "support/TempAppFolders.h"
#include "support/VirtualClock.h"

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using foundation::SingleInstance;

// What a later launch becomes (or the error code it fails with), run as
// another process runs it: on a pool thread (counted as background work, so
// the virtual clock waits for it) while the test's main loop serves the
// running copy. The loop runs until `until` holds, or the launch is over.
using Outcome = std::shared_ptr<std::atomic<int>>;
constexpr int kUnderWay = -1;
Outcome startLaunch(SingleInstance& later, const std::vector<std::string>& messages,
                    const std::function<bool()>& until = [] { return false; }) {
    auto outcome = std::make_shared<std::atomic<int>>(kUnderWay);
    foundation::DispatchQueue::global().async([outcome, &later, messages] {
        auto role = later.claimOrHandOff(messages, 10.0);
        *outcome = role ? int(*role) : 100 + int(role.error().code);
    });
    foundation::RunLoop::main().runUntil([&] { return *outcome != kUnderWay || until(); }, 600);
    return outcome;
}
int launch(SingleInstance& later, const std::vector<std::string>& messages) { return *startLaunch(later, messages); }
int role(SingleInstance::Role role) { return int(role); }
int failure(int code) { return 100 + code; }
constexpr auto kFailed = SingleInstance::Role(-1);

unsigned permissions(const std::string& path) {
    struct stat status {};
    EXPECT_EQ(::lstat(path.c_str(), &status), 0) << path;
    return status.st_mode & 07777;
}

class SingleInstanceTest : public ::testing::Test {
protected:
    SingleInstanceTest() {
        fs::create_directories(runtime());
        fs::permissions(runtime(), fs::perms::owner_all, fs::perm_options::replace);
    }
    std::string runtime() const { return folders.root() + "/run"; }
    std::string lockFile() const { return folders.root() + "/app.lock"; }
    std::string socketPath() const { return runtime() + "/app.socket"; }
    // A copy whose socket may go into `socketFolders` (the runtime folder
    // when none are given).
    std::unique_ptr<SingleInstance> instance(std::vector<std::string> socketFolders = {}) const {
        if (socketFolders.empty()) socketFolders = {runtime()};
        return std::make_unique<SingleInstance>(lockFile(), "app.socket",
                                                [socketFolders](const std::string&) { return socketFolders; });
    }
    // An owner-only folder whose path is `length` bytes long.
    std::string folderOfLength(size_t length) const {
        const std::string folder = folders.root() + "/" + std::string(length - folders.root().size() - 1, 'r');
        fs::create_directories(folder);
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace);
        return folder;
    }

    testsupport::TempAppFolders folders;
    testsupport::VirtualClockScope clock;
};

TEST_F(SingleInstanceTest, LaterLaunchesHandTheirMessagesToTheRunningCopyUntilItQuits) {
    auto running = instance();
    auto claimed = running->claimOrHandOff({}, 1.0);
    ASSERT_TRUE(claimed.ok()) << claimed.error().description;
    EXPECT_EQ(*claimed, SingleInstance::Role::Running);
    EXPECT_TRUE(running->isRunningCopy());
    EXPECT_EQ(permissions(lockFile()), 0600u);
    EXPECT_EQ(permissions(socketPath()), 0600u);

    // Its quit stops listening first: no socket, an empty lock file.
    const auto quit = [&] {
        running->stopListening();
        EXPECT_FALSE(fs::exists(socketPath()));
        EXPECT_EQ(fs::file_size(lockFile()), 0u) << "the lock file still says where to go";
        running.reset();
    };
    std::vector<std::vector<std::string>> received;
    std::function<void()> opening;  // of the last messages taken, while they are being opened
    running->startListening([&](std::vector<std::string> messages, std::function<void()> opened) {
        received.push_back(std::move(messages));
        opening = std::move(opened);
    });
    const std::vector<std::vector<std::string>> sent = {
        {"file:///a/Film%201.tollivarmobile", "", "tollivar://x"}, {}, {std::string(5000, 'x')}};
    for (const auto& messages : sent) {
        // A launch hears of its messages only once they are opened.
        auto later = instance();
        auto outcome = startLaunch(*later, messages, [&] { return bool(opening); });
        EXPECT_EQ(*outcome, kUnderWay) << "handed off before the messages were opened";
        std::exchange(opening, nullptr)();
        foundation::RunLoop::main().runUntil([&] { return *outcome != kUnderWay; }, 600);
        EXPECT_EQ(*outcome, role(SingleInstance::Role::HandedOff));
        EXPECT_FALSE(later->isRunningCopy());
    }
    EXPECT_EQ(received, sent);

    // Messages taken and then not opened (the copy quit meanwhile) are said
    // to be so; those that reach a quitting copy are not taken, nor said to
    // be: their launch waits for it to end, then runs by itself.
    auto later = instance();
    auto outcome = startLaunch(*later, {"file:///a/Cut.zip"}, [&] { return bool(opening); });
    opening = nullptr;
    foundation::RunLoop::main().runUntil([&] { return *outcome != kUnderWay; }, 600);
    EXPECT_EQ(*outcome, failure(ECANCELED));
    auto during = instance();
    outcome = startLaunch(*during, {"file:///a/During.zip"},
                          [] { return foundation::RunLoop::main().pendingTaskCount() > 0; });
    quit();
    foundation::RunLoop::main().runUntil([&] { return *outcome != kUnderWay; }, 600);
    EXPECT_EQ(*outcome, role(SingleInstance::Role::Running));
    EXPECT_EQ(received.size(), sent.size() + 1) << "a quitting copy took messages";
}

TEST_F(SingleInstanceTest, SocketsThatAreNotThisUsersOwnAreRefused) {
    auto running = instance();
    ASSERT_TRUE(running->claimOrHandOff({}, 1.0).ok());
    running->startListening(
        [](std::vector<std::string>, std::function<void()>) { ADD_FAILURE() << "an impostor's messages arrived"; });

    struct Case {
        const char* name;
        std::function<bool()> replaceSocket;  // false: not possible here
    };
    const std::vector<Case> cases = {
        {"a plain file",
         [&] {
             fs::remove(socketPath());
             std::ofstream(socketPath()) << "x";
             return true;
         }},
        {"another user's socket",
         [&] {
             // Only root can give a file away.
             return ::geteuid() == 0 && ::chown(socketPath().c_str(), 65534, 65534) == 0;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(socketPath());
        running.reset();
        running = instance();
        ASSERT_TRUE(running->claimOrHandOff({}, 1.0).ok());
        if (!c.replaceSocket()) continue;
        auto later = instance();
        auto handed = later->claimOrHandOff({"file:///secret"}, 1.0);
        ASSERT_FALSE(handed.ok());
        EXPECT_EQ(handed.error().code, EACCES);
    }
    foundation::RunLoop::main().runUntilIdle();
}

// A launch that gives up before the copy has taken its messages leaves
// nothing behind that opens later, and says so; a copy of another program
// (another build) might still open them, and the launch says that.
TEST_F(SingleInstanceTest, ALaunchThatGaveUpIsToldTheTruth) {
    // Its time is up at once: the copy's loop runs only later.
    const auto giveUp = [&] {
        auto handed = instance()->claimOrHandOff({"file:///a/Late.zip"}, 0.0);
        return handed ? 0 : handed.error().code;
    };
    auto running = instance();
    ASSERT_TRUE(running->claimOrHandOff({}, 1.0).ok());
    running->startListening([](std::vector<std::string> messages, std::function<void()> opened) {
        EXPECT_EQ(messages, std::vector<std::string>{"file:///a/Next.zip"}) << "what a launch gave up on opened";
        opened();
    });
    EXPECT_EQ(giveUp(), ETIMEDOUT);
    EXPECT_EQ(launch(*instance(), {"file:///a/Next.zip"}), role(SingleInstance::Role::HandedOff));
    running.reset();

    // Another program holds the lock and listens, and never answers.
    auto other = testsupport::ChildProcess::spawn(
        {"python3", "-c",
         "import fcntl, signal, socket, sys; lock = open(sys.argv[1], 'w'); fcntl.flock(lock, fcntl.LOCK_EX)\n"
         "server = socket.socket(socket.AF_UNIX); server.bind(sys.argv[2]); server.listen()\n"
         "lock.write('socket ' + sys.argv[2] + '\\n'); lock.flush(); print('listening', flush=True); signal.pause()",
         lockFile(), socketPath()},
        {.environment = {}, .captureOutput = true, .captureErrors = false, .input = {}});
    ASSERT_TRUE(other.readUntil('\n'));
    EXPECT_EQ(giveUp(), EINPROGRESS);
}

TEST_F(SingleInstanceTest, TheLockIsTakenWhateverBecomesOfTheSocket) {
    // A socket's path holds at most 107 bytes; the name it is bound under
    // first is longer still.
    const std::string tooLong = folderOfLength(100), shared = folders.root() + "/shared";
    fs::create_directories(shared);
    fs::permissions(shared, fs::perms::all, fs::perm_options::replace);
    struct Case {
        const char* name;
        std::vector<std::string> socketFolders;
        std::string socketFolder;  // where the running copy listens; none when empty
    };
    const std::vector<Case> cases = {
        {"the first folder", {runtime(), tooLong}, runtime()},
        {"where the path fits", {tooLong, runtime()}, runtime()},
        {"not where others may enter", {shared, runtime()}, runtime()},
        {"nowhere", {tooLong}, ""},
        {"nowhere that is ours alone", {shared}, ""},
    };
    const std::vector<std::string> sent = {"file:///a/Film.tollivarmobile"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto running = instance(c.socketFolders);
        EXPECT_EQ(running->claimOrHandOff({}, 1.0).valueOr(kFailed), SingleInstance::Role::Running);
        EXPECT_EQ(running->socketPath(), c.socketFolder.empty() ? "" : c.socketFolder + "/app.socket");
        std::vector<std::string> received;
        running->startListening([&](std::vector<std::string> messages, std::function<void()> opened) {
            received = std::move(messages);
            opened();
        });

        // A later launch, whatever folders it would have chosen, learns from
        // the running copy where it listens, or that it cannot be reached:
        // either way it does not run.
        auto later = instance({tooLong});
        EXPECT_EQ(launch(*later, sent), role(c.socketFolder.empty() ? SingleInstance::Role::AlreadyRunning
                                                                     : SingleInstance::Role::HandedOff));
        EXPECT_TRUE(later->foundRunningCopy());
        EXPECT_EQ(received, c.socketFolder.empty() ? std::vector<std::string>{} : sent);
        EXPECT_TRUE(fs::is_empty(tooLong) && fs::is_empty(shared));
        // Once it ends, the next launch runs, and is not told anything stale.
        running.reset();
        EXPECT_EQ(instance()->claimOrHandOff({}, 1.0).valueOr(kFailed), SingleInstance::Role::Running);
    }
}

TEST_F(SingleInstanceTest, SocketsGoWhereTheirPathFits) {
    const std::string shared = folders.root() + "/shared-run";
    fs::create_directories(shared);
    fs::permissions(shared,
                    fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read |
                        fs::perms::others_exec,
                    fs::perm_options::replace);
    const std::string name = SingleInstance::socketNameFor(folders.documents(), "app");
    const std::string temporary = foundation::Paths::temporaryDirectory() + "/runtime";
    struct Case {
        std::optional<std::string> variable;
        std::vector<std::string> folders;
    };
    const std::vector<Case> cases = {
        {runtime(), {runtime(), temporary}}, {folderOfLength(90), {temporary}}, {shared, {temporary}},
        {"relative/run", {temporary}},       {std::nullopt, {temporary}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.variable.value_or("unset"));
        testsupport::ScopedEnvironment environment({{"XDG_RUNTIME_DIR", c.variable}});
        EXPECT_EQ(SingleInstance::socketFolders(name), c.folders);
        for (const std::string& folder : c.folders) EXPECT_EQ(permissions(folder) & 077, 0u);
    }
    // One data folder, one socket; another folder, another socket.
    EXPECT_EQ(name, SingleInstance::socketNameFor(folders.documents() + "/", "app"));
    EXPECT_NE(name, SingleInstance::socketNameFor(folders.caches(), "app"));
}

}  // namespace
