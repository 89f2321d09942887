// The serial Dropbox upload queue over a recording transport, and the paths
// titles upload to.

#include "ShareTestSupport.h"
#include "app/share/DropboxUploadQueue.h"
#include "app/share/Outbox.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "support/Process.h"
#include "support/TempAppFolders.h"
#include "support/TestFiles.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <fstream>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

// Records each upload and answers only when the test says so.
struct RecordingTransport : DropboxUploadQueue::Transport {
    struct Upload {
        std::string from, to, bytes;
        bool fromOpenFile;
        Progress progress;
        Completion completion;
    };
    std::vector<Upload> uploads;
    int cancels = 0;

    void upload(const std::string& fromPath, std::shared_ptr<const foundation::FileDescriptor> opened,
                const std::string& toPath, Progress progress, Completion completion) override {
        std::string bytes;
        if (opened) {
            // As the network reads it: from the start, whatever the position.
            char buffer[256];
            for (ssize_t got; (got = ::pread(opened->get(), buffer, sizeof buffer, off_t(bytes.size()))) > 0;)
                bytes.append(buffer, size_t(got));
        } else {
            bytes = testsupport::readFileBytes(fromPath);
        }
        uploads.push_back({fromPath, toPath, bytes, opened != nullptr, std::move(progress), std::move(completion)});
    }
    void cancel() override { ++cancels; }
    void answer(size_t index, std::optional<foundation::Error> error = std::nullopt) {
        auto completion = uploads.at(index).completion;
        completion(error);
    }
};

class DropboxUploadQueueTest : public ::testing::Test {
protected:
    std::string file(const std::string& name, const std::string& bytes) {
        const std::string path = folders.root() + "/" + name;
        std::ofstream(path) << bytes;
        return path;
    }
    uint64_t enqueue(const std::string& path, const std::string& to) {
        auto identifier = queue.enqueue(
            path, to,
            [this, to](double f) {
                progress.push_back({to, f});
            },
            [this, to](const std::optional<foundation::Error>& error) {
                answers.push_back({to, error});
            });
        EXPECT_TRUE(identifier.ok());
        return identifier.ok() ? *identifier : 0;
    }
    // The Outbox copies' bytes, once the copies are made.
    std::multiset<std::string> outboxCopies() const {
        foundation::RunLoop::main().runUntilIdle();
        std::multiset<std::string> copies;
        for (const auto& item : fs::recursive_directory_iterator(foundation::Paths::cachesDirectory() + "/Outbox"))
            if (item.is_regular_file() && item.path().extension() == ".mov")
                copies.insert(testsupport::readFileBytes(item.path().string()));
        return copies;
    }

    testsupport::TempAppFolders folders;
    DropboxUploadQueue queue;
    std::shared_ptr<RecordingTransport> transport = std::make_shared<RecordingTransport>();
    std::vector<std::pair<std::string, double>> progress;
    std::vector<std::pair<std::string, std::optional<foundation::Error>>> answers;
    int relinkAsked = 0;
    std::function<void(bool)> relinkAnswer;
};

TEST_F(DropboxUploadQueueTest, OneUploadAtATimeFromOutboxLinksThatOutliveTheCache) {
    queue.setTransport(transport);
    const std::string first = file("first.mov", "first movie");
    const std::string second = file("second.mov", "second movie");
    enqueue(first, "/first.mov");
    enqueue(second, "/second.mov");
    // The cards close and wipe their render caches meanwhile, or render
    // again in place of the file, as renders do: a new file renamed over it.
    fs::remove(first);
    fs::rename(file("again.mov", "second movie rendered again"), second);
    ASSERT_EQ(transport->uploads.size(), 1u) << "the second waits for the first's answer";
    EXPECT_EQ(transport->uploads[0].to, "/first.mov");
    EXPECT_EQ(transport->uploads[0].bytes, "first movie");
    EXPECT_TRUE(transport->uploads[0].fromOpenFile);
    transport->uploads[0].progress(0.5);
    EXPECT_EQ(queue.count(), 2u);
    EXPECT_EQ(outboxCopies(), (std::multiset<std::string>{"first movie", "second movie"}));

    transport->answer(0);
    ASSERT_EQ(transport->uploads.size(), 2u);
    EXPECT_EQ(transport->uploads[1].bytes, "second movie");
    EXPECT_EQ(outboxCopies(), std::multiset<std::string>{"second movie"}) << "an answered entry's copy goes";
    transport->answer(1, foundation::Error("Dropbox", 503, "Service unavailable"));
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers[0].first, "/first.mov");
    EXPECT_FALSE(answers[0].second);
    EXPECT_EQ(answers[1].second->code, 503);
    EXPECT_EQ(progress, (std::vector<std::pair<std::string, double>>{{"/first.mov", 0.5}}));
    EXPECT_TRUE(sharetest::outboxEmptyOnceSettled());
    EXPECT_EQ(queue.count(), 0u);
    // A late second answer of the same upload changes nothing.
    transport->answer(0);
    EXPECT_EQ(answers.size(), 2u);
}

TEST_F(DropboxUploadQueueTest, AnExpiredLinkIsRelinkedAndTheUploadSentOnceMore) {
    queue.setTransport(transport);
    queue.setRelinkHandler([this](std::function<void(bool)> answer) {
        ++relinkAsked;
        relinkAnswer = std::move(answer);
    });
    struct Case {
        std::vector<bool> relinked;  // the user's answers, in turn
        std::vector<int64_t> codes;  // the server's answers, in turn (0 = success)
        size_t uploads;
        std::optional<int64_t> finalCode;
    };
    const std::vector<Case> cases = {
        {{true}, {401, 0}, 2, std::nullopt},
        {{false}, {401}, 1, 401},
        {{true}, {401, 401}, 2, 401},  // retried once only
        {{}, {500}, 1, 500},           // other errors are not relinks
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.uploads);
        transport->uploads.clear();
        answers.clear();
        relinkAsked = 0;
        enqueue(file("movie.mov", "bytes"), "/movie.mov");
        enqueue(file("next.mov", "next"), "/next.mov");
        size_t relinks = 0;
        for (size_t i = 0; i < c.codes.size(); ++i) {
            ASSERT_EQ(transport->uploads.size(), i + 1);
            EXPECT_EQ(transport->uploads[i].to, "/movie.mov");
            EXPECT_EQ(transport->uploads[i].bytes, "bytes");
            if (c.codes[i] == 0) {
                transport->answer(i);
            } else {
                transport->answer(i, foundation::Error("Dropbox", c.codes[i], "failed"));
            }
            if (c.codes[i] == 401 && relinks < c.relinked.size()) {
                EXPECT_EQ(relinkAsked, static_cast<int>(relinks + 1));
                EXPECT_EQ(transport->uploads.size(), i + 1) << "nothing goes out while relinking";
                relinkAnswer(c.relinked[relinks++]);
            }
        }
        ASSERT_EQ(answers.size(), 1u);
        EXPECT_EQ(answers[0].first, "/movie.mov");
        EXPECT_EQ(answers[0].second ? std::optional<int64_t>(answers[0].second->code) : std::nullopt, c.finalCode);
        EXPECT_EQ(transport->uploads.size(), c.uploads + 1) << "then the next entry starts";
        EXPECT_EQ(transport->uploads.back().to, "/next.mov");
        transport->answer(transport->uploads.size() - 1);
        EXPECT_TRUE(sharetest::outboxEmptyOnceSettled());
    }
}

TEST_F(DropboxUploadQueueTest, CancelDropsWaitingEntriesAndStopsTheRunningOne) {
    queue.setTransport(transport);
    const uint64_t first = enqueue(file("a.mov", "a"), "/a.mov");
    const uint64_t second = enqueue(file("b.mov", "b"), "/b.mov");
    enqueue(file("c.mov", "c"), "/c.mov");
    queue.cancel(second);
    EXPECT_EQ(transport->cancels, 0);
    queue.cancel(first);
    EXPECT_EQ(transport->cancels, 1);
    ASSERT_EQ(transport->uploads.size(), 2u);
    EXPECT_EQ(transport->uploads[1].to, "/c.mov");
    transport->answer(0);  // the stopped upload's late answer
    EXPECT_TRUE(answers.empty());
    transport->answer(1);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].first, "/c.mov");
    EXPECT_TRUE(sharetest::outboxEmptyOnceSettled());
}

TEST_F(DropboxUploadQueueTest, WithoutAClientEveryEntryFailsAtOnce) {
    enqueue(file("a.mov", "a"), "/a.mov");
    ASSERT_EQ(answers.size(), 1u);
    ASSERT_TRUE(answers[0].second);
    EXPECT_EQ(answers[0].second->description, "Dropbox is not set up on this computer.");
    EXPECT_TRUE(sharetest::outboxEmptyOnceSettled());
    EXPECT_FALSE(queue.enqueue(folders.root() + "/missing.mov", "/m.mov", {}, {}).ok());
    EXPECT_FALSE(queue.enqueue(folders.root(), "/folder.mov", {}, {}).ok());
}

// A copy that cannot be made (here something else stands where the Outbox
// goes) costs the share only its place in the list: it is sent all the same.
TEST_F(DropboxUploadQueueTest, AnUploadWhoseCopyFailsIsSentButNotListed) {
    testsupport::writeFileBytes(foundation::Paths::cachesDirectory() + "/Outbox", "in the way");
    {
        DropboxUploadQueue keeping(true);
        keeping.setTransport(transport);
        ASSERT_TRUE(keeping.enqueue(file("a.mov", "movie a"), "/a.mov", {}, {}).ok());
        foundation::RunLoop::main().runUntilIdle();
        ASSERT_EQ(transport->uploads.size(), 1u);
        EXPECT_EQ(transport->uploads[0].bytes, "movie a");
    }
    EXPECT_EQ(testsupport::readFileBytes(foundation::Paths::cachesDirectory() + "/Outbox"), "in the way");
    DropboxUploadQueue next(true);
    EXPECT_TRUE(next.restore().empty());
}

// The shared queue's list, as python's plistlib reads it: one "File -> To"
// line per entry.
std::string listByPlistlib() {
    auto result = testsupport::runPython(
        "import plistlib, sys\nfor e in plistlib.load(open(sys.argv[1], 'rb')): print(e['File'], '->', e['To'])",
        {Outbox::listPath(DropboxUploadQueue::kListName)});
    return result.exitCode == 0 ? result.output : "unreadable: " + result.output;
}

// Quitting does not lose a share the user saw accepted: what was not
// answered is listed beside the Outbox links, and the next run takes it up,
// sends it in the same order and keeps its links while every other leftover
// goes.
TEST_F(DropboxUploadQueueTest, WaitingUploadsCarryOnAfterARestart) {
    const std::string listPath = Outbox::listPath(DropboxUploadQueue::kListName);
    std::string mailLink;
    {
        DropboxUploadQueue first(true);
        first.setTransport(transport);
        for (const char* name : {"a", "b", "c", "d"}) {
            const std::string path = file(std::string(name) + ".mov", std::string("movie ") + name);
            ASSERT_TRUE(first.enqueue(path, "/" + std::string(name) + ".mov", {}, {}).ok());
            fs::remove(path);
            if (*name == 'c') foundation::RunLoop::main().runUntilIdle();
        }
        transport->answer(0);
        mailLink = *Outbox::addFile(file("mail.gif", "gif"));
        const std::string list = listByPlistlib();
        EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), 2) << list;
        EXPECT_NE(list.find("/b.mov -> /b.mov\n"), std::string::npos) << list;
        EXPECT_LT(list.find("b.mov ->"), list.find("c.mov ->")) << list;
    }  // the application ends with b running, c waiting and d's copy perhaps still being made

    transport->uploads.clear();
    DropboxUploadQueue next(true);
    const std::vector<std::string> kept = next.restore();
    ASSERT_EQ(kept.size(), 3u);
    Outbox::removeLeftovers(kept);
    EXPECT_FALSE(fs::exists(mailLink)) << "a mail program's file has had its time";
    EXPECT_TRUE(fs::exists(listPath));
    EXPECT_EQ(next.restore(), kept) << "nothing is taken up twice";
    EXPECT_EQ(next.count(), 3u);

    next.setTransport(transport);
    next.resume();
    ASSERT_EQ(transport->uploads.size(), 1u);
    EXPECT_EQ(transport->uploads[0].to, "/b.mov");
    EXPECT_EQ(transport->uploads[0].bytes, "movie b");
    transport->answer(0);
    ASSERT_EQ(transport->uploads.size(), 2u);
    EXPECT_EQ(transport->uploads[1].to, "/c.mov");
    EXPECT_EQ(transport->uploads[1].bytes, "movie c");
    EXPECT_FALSE(transport->uploads[1].fromOpenFile);
    EXPECT_EQ(listByPlistlib().find("b.mov"), std::string::npos);
    transport->answer(1, foundation::Error("Dropbox", 503, "Service unavailable"));
    ASSERT_EQ(transport->uploads.size(), 3u);
    EXPECT_EQ(transport->uploads[2].bytes, "movie d");
    transport->answer(2);
    EXPECT_TRUE(answers.empty()) << "nobody waits for the answers of an earlier run";
    EXPECT_FALSE(fs::exists(listPath)) << "an empty queue keeps no list";
    EXPECT_TRUE(sharetest::outboxEmptyOnceSettled());
}

// The list is read back as outside input: only entries that are links the
// Outbox made, still there, with a path in the app folder, come back.
TEST_F(DropboxUploadQueueTest, OnlyListedOutboxLinksAreTakenUp) {
    const std::string good = *Outbox::addFile(file("good.mov", "good"));
    const std::string goodKey = *Outbox::relativeEntryPath(good);
    const std::string outbox = *Outbox::directory();
    fs::create_directories(outbox + "/linked");
    fs::create_symlink(folders.root(), outbox + "/linked-folder");
    fs::create_symlink(folders.root() + "/good.mov", outbox + "/linked/file.mov");
    std::ofstream(outbox + "/.DropboxUploads.plist.tmp-1-2-0badf00d") << "left by a crash";
    using foundation::Dictionary;
    using foundation::Value;
    auto entry = [](const std::string& fileKey, const std::string& to) {
        return Value(Dictionary{{"File", Value(fileKey)}, {"To", Value(to)}});
    };
    const foundation::Array items = {
        entry("../../etc/passwd", "/passwd"),
        entry("linked-folder/good.mov", "/a.mov"),
        entry("linked/file.mov", "/b.mov"),
        entry(goodKey + "/more", "/c.mov"),
        entry("nofolder.mov", "/d.mov"),
        entry(goodKey, "relative.mov"),
        Value("not an entry"),
        Value(Dictionary{{"File", Value(int64_t(7))}, {"To", Value("/e.mov")}}),
        entry(goodKey, "/good.mov"),
        entry(goodKey, "/again.mov"),
    };
    const std::string listPath = Outbox::listPath(DropboxUploadQueue::kListName);
    ASSERT_TRUE(foundation::plist::writeFile(Value(items), listPath).ok());

    DropboxUploadQueue queue(true);
    const std::vector<std::string> kept = queue.restore();
    EXPECT_EQ(kept, std::vector<std::string>{good});
    EXPECT_EQ(listByPlistlib(), goodKey + " -> /good.mov\n");
    Outbox::removeLeftovers(kept);
    EXPECT_TRUE(fs::exists(good));
    EXPECT_TRUE(fs::exists(listPath));
    EXPECT_TRUE(fs::exists(folders.root() + "/good.mov")) << "nothing outside the Outbox is touched";
    std::set<std::string> left;
    for (const auto& item : fs::directory_iterator(outbox)) left.insert(item.path().filename().string());
    EXPECT_EQ(left, (std::set<std::string>{fs::path(good).parent_path().filename().string(),
                                           std::string(DropboxUploadQueue::kListName) + ".plist"}));

    // A list that is no property list at all restores nothing and goes.
    std::ofstream(listPath, std::ios::trunc) << "\x00garbage";
    DropboxUploadQueue other(true);
    EXPECT_TRUE(other.restore().empty());
    EXPECT_FALSE(fs::exists(listPath));
}

TEST(DropboxPaths, TitlesBecomeNamesInTheAppFolder) {
    const std::string emoji = "\xF0\x9F\x8E\xAC";
    std::string emojis;
    for (int i = 0; i < 60; ++i) emojis += emoji;
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"My Movie", "/My_Movie.mov"},
        {"a/b:c", "/abc.mov"},
        {"../../etc/passwd", "/etcpasswd.mov"},
        {"..", "/My_Stop_Ziruru_Movie.mov"},
        {"", "/My_Stop_Ziruru_Movie.mov"},
        {"   \t\n", "/My_Stop_Ziruru_Movie.mov"},
        {std::string(300, 'x'), "/" + std::string(200, 'x') + ".mov"},
        {emojis, "/" + emojis.substr(0, 200) + ".mov"},
        {"x" + emojis, "/x" + emojis.substr(0, 196) + ".mov"},
        {"Line\nbreak", "/Line_break.mov"},
    };
    for (const auto& [title, expected] : cases) {
        const std::string path = dropboxPathForTitle(title, "mov");
        EXPECT_EQ(path, expected) << title;
        const std::string name = path.substr(1);
        EXPECT_EQ(name.find_first_of("/:"), std::string::npos);
        EXPECT_LE(name.size(), 204u);
    }
    EXPECT_EQ(dropboxPathForTitle("Clay", "gif"), "/Clay.gif");
}

}  // namespace
