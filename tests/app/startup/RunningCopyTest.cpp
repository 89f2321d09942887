// One running copy per data folder, with the real executable: later launches
// hand their files to the running copy and exit 0; the running copy is the
// only writer of ".projects.plist", so nothing a later launch does can put an
// older list back. The user's archive stays byte for byte as it was. A name
// being typed on the project card survives SIGTERM. Quits and kills during
// a duplicate or an import leave, after one more start, listed projects only.

#include "AppProcess.h"
#include "app/core/ProjectModel.h"
#include "support/Process.h"
#include "support/TempAppFolders.h"
#include "support/TestFiles.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <set>
#include <signal.h>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using namespace startuptest;

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class RunningCopyTest : public ::testing::Test {
protected:
    // ".projects.plist" as python's plistlib reads it.
    std::vector<std::string> listedNames() const {
        auto result = testsupport::runPython(
            "import plistlib, sys\n"
            "try:\n"
            "    print('\\n'.join(plistlib.load(open(sys.argv[1], 'rb'))))\n"
            "except FileNotFoundError:\n"
            "    pass",
            {folders.documents() + "/.projects.plist"});
        std::vector<std::string> names;
        std::string line;
        for (char c : result.output) {
            if (c != '\n') {
                line += c;
            } else if (!line.empty()) {
                names.push_back(line);
                line.clear();
            }
        }
        return names;
    }

    // Every project folder in the documents folder, plus the introduction.
    std::set<std::string> projectFolders() const {
        std::set<std::string> names{".kelbrin-introduction"};
        for (const auto& entry : fs::directory_iterator(folders.documents()))
            if (entry.is_directory() && entry.path().filename().string().starts_with(".kelbrin-"))
                names.insert(entry.path().filename().string());
        return names;
    }

    void waitForLaunch(testsupport::ChildProcess& child) {
        ASSERT_TRUE(waitInFolder(folders.config(), child, [&] { return launchCompleted(folders.config()); }))
            << "the application did not finish launching";
    }

    // The folders that long work builds aside in the documents folder.
    std::vector<std::string> asideInDocuments() const {
        auto names = testsupport::namesInFolder(folders.documents());
        std::erase_if(names, [](const std::string& name) { return name.find(".partial") == std::string::npos; });
        return names;
    }

    bool waitForListedCount(testsupport::ChildProcess& child, size_t count) {
        return waitInFolder(folders.documents(), child, [&] { return listedNames().size() == count; });
    }

    // A real project archive outside the application's folders; with `pads`
    // small files beside the project, which take a while to unpack.
    std::string placeArchive(const std::string& name, int pads = 0) {
        fs::create_directories(outside());
        std::string archive = outside() + "/" + name;
        fs::copy_file(TOLLIVAR_BUILD_RESOURCES "/sample/sample.zip", archive);
        EXPECT_TRUE(pads == 0 || testsupport::runPython("import sys, zipfile\n"
                                                        "with zipfile.ZipFile(sys.argv[1], 'a') as z:\n"
                                                        "    for i in range(int(sys.argv[2])):\n"
                                                        "        z.writestr('pad/%05d.txt' % i, 'x')",
                                                        {archive, std::to_string(pads)})
                                         .exitCode == 0);
        return archive;
    }
    std::string outside() const { return folders.root() + "/Downloads"; }

    // A launch that does not run ends (within waitInFolder's bound) with `status`, having said `said`.
    void expectEnds(testsupport::ChildProcess& child, int status, const std::string& said) {
        waitInFolder(folders.config(), child, [] { return false; });
        ASSERT_TRUE(child.poll().has_value()) << "a launch did not end";
        EXPECT_EQ(child.wait(), status);
        const std::string output = child.readOutput();
        EXPECT_NE(output.find(said), std::string::npos) << output;
    }

    static constexpr const char* kWebPageRefused =
        "tollivar: \"http://example.invalid/page\" cannot be opened: it is neither a file nor a link this program "
        "opens.\n";
    testsupport::TempAppFolders folders;
};

// With no copy running, a launch given an address nothing here opens says so
// by name and ends before it takes the data folder.
TEST_F(RunningCopyTest, AFirstLaunchRefusesAWebPageByName) {
    auto launch = startApplication({"http://example.invalid/page"}, {}, {}, false, true);
    expectEnds(launch, 2, kWebPageRefused);
    EXPECT_FALSE(fs::exists(folders.documents() + "/.projects.plist")) << "the refused launch ran";
}

TEST_F(RunningCopyTest, LaterLaunchesHandTheirArchivesToTheRunningCopy) {
    auto first = startApplication({}, {}, {"TOLLIVAR_TEST_CARD=duplicate"});
    waitForLaunch(first);
    // The running copy duplicates the introduction: its list now has two.
    ASSERT_TRUE(waitForListedCount(first, 2)) << "the duplicate was not listed";

    const std::string archive = placeArchive("Fr\351d\351ric.tollivarmobile");
    // An import that never ends (a pipe named like an archive) holds only
    // the launch that handed it over.
    const std::string endless = outside() + "/Endless.tollivarmobile";
    ASSERT_EQ(::mkfifo(endless.c_str(), 0600), 0);
    auto waiting = startApplication({endless}, {}, {}, false, true);
    ASSERT_TRUE(waitInFolder(folders.documents(), first, [&] { return asideInDocuments().size() == 1; }))
        << "the endless import did not begin";
    fs::copy_file(archive, outside() + "/-film.tollivarmobile");
    fs::copy_file(archive, outside() + "/Film");
    std::ofstream(outside() + "/notes.txt") << "not a film";
    std::ofstream(outside() + "/stray") << "PK\x05\x06" + std::string(18, '\0');  // an empty zip
    const std::string original = readBytes(archive);
    // A relative path (in Latin-1 bytes, as older systems wrote names), from
    // the folder the launch was made in; then the same archive again by its
    // absolute path; a name that starts with "-", refused by name and opened
    // after "--"; an archive after "-style" or before a "-platform" without
    // its value, which are refused; an archive without its extension; a text,
    // a zip without a project and a web page, refused by name; then nothing
    // to open.
    struct Launch {
        std::vector<std::string> arguments;
        std::string workingFolder;
        int status = 0;
        std::string said = "it took the files given here";
    };
    const std::vector<Launch> launches = {
        {{"Fr\351d\351ric.tollivarmobile"}, outside()},
        {{archive}, {}},
        {{"-film.tollivarmobile"}, outside(), 2, "\"-film.tollivarmobile\" is not an option"},
        {{"-style", "Fr\351d\351ric.tollivarmobile"}, outside(), 2, "\"-style\" is not an option"},
        {{archive, "-platform"}, {}, 2, "\"-platform\" needs a value after it"},
        {{"--", "-film.tollivarmobile"}, outside()},
        {{"Film"}, outside()},
        {{"Film", "notes.txt"}, outside(), 2, "notes.txt\" cannot be opened: it is neither a project archive nor"},
        {{"stray"}, outside(), 2, "stray\" cannot be opened: it is a zip archive that holds no project.\n"},
        {{archive, "http://example.invalid/page"}, {}, 2, kWebPageRefused},
        {{}, {}, 0, "it comes to the front"}};
    size_t expected = 2;
    for (const Launch& launch : launches) {
        auto later = startApplication(launch.arguments, launch.workingFolder, {}, false, true);
        expectEnds(later, launch.status, launch.said);
        expected += launch.status == 0 && !launch.arguments.empty();
        EXPECT_TRUE(waitForListedCount(first, expected)) << "the running copy did not import " << archive;
        EXPECT_EQ(readBytes(archive), original);
    }

    // Every project folder is listed, each once: the duplicate made before
    // the later launches included.
    auto names = listedNames();
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()), projectFolders());
    EXPECT_EQ(names.size(), projectFolders().size());
    // The quit cannot stop the read from the pipe; it ends without it.
    EXPECT_EQ(first.stop(SIGTERM), 0);
    expectEnds(waiting, 1, "the files given here were not opened");
    EXPECT_EQ(readBytes(archive), original);
}

TEST_F(RunningCopyTest, AnArchiveMovedIntoTheInboxArrivesWithoutARestart) {
    auto running = startApplication();
    waitForLaunch(running);
    ASSERT_EQ(listedNames().size(), 1u);
    // Copied next to the inbox and moved in whole, as file managers do.
    const std::string archive = placeArchive("Dropped.tollivarmobile");
    fs::rename(archive, folders.documents() + "/Import/Dropped.tollivarmobile");
    EXPECT_TRUE(waitForListedCount(running, 2)) << "the dropped archive was not imported";
    EXPECT_TRUE(waitInFolder(folders.documents() + "/Import", running,
                             [&] { return !fs::exists(folders.documents() + "/Import/Dropped.tollivarmobile"); }));
    EXPECT_EQ(running.stop(SIGTERM), 0);
}

TEST_F(RunningCopyTest, WithARuntimeFolderTooLongForASocketOneCopyRuns) {
    // A socket's path holds at most 107 bytes: the socket cannot go there.
    const std::string runtime = folders.root() + "/" + std::string(119 - folders.root().size(), 'r');
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
    const std::vector<std::string> environment = {"XDG_RUNTIME_DIR=" + runtime};
    auto first = startApplication({}, {}, environment);
    waitForLaunch(first);
    ASSERT_EQ(listedNames().size(), 1u);

    auto later = startApplication({placeArchive("Film.tollivarmobile")}, {}, environment, false, true);
    // A second copy that ran would count its launch in the user defaults.
    EXPECT_FALSE(waitInFolder(folders.config(), later, [&] { return launchCount(folders.config()) > 1; }))
        << "a second copy ran on the same data folder";
    ASSERT_TRUE(later.poll().has_value()) << "the second start did not end";
    EXPECT_EQ(later.wait(), 0);
    EXPECT_NE(later.readOutput().find("already running"), std::string::npos);
    EXPECT_TRUE(waitForListedCount(first, 2)) << "the running copy did not take the archive";
    EXPECT_EQ(first.stop(SIGTERM), 0);
}

// Quitting while a project of many files is duplicated and an archive is
// imported ends at once: both stop and leave no folder that is not listed
// (on a machine too busy for them to clear up within the quit's two
// seconds, the quit says so and the next start sweeps what they left); the
// user's archive is untouched, and the launch that handed it over learns
// that it was not opened.
TEST_F(RunningCopyTest, QuittingDuringADuplicateAndAnImportEndsAtOnceAndLeavesNoTrace) {
    // The introduction, unpacked before the first start as that start
    // would, with many small files beside it.
    const std::string introduction = folders.caches() + "/.kelbrin-introduction";
    ASSERT_EQ(testsupport::runProcess({"unzip", "-q", placeArchive("Padded.zip", 10000), "-d", introduction}).exitCode,
              0);
    const std::string archive = placeArchive("Long.tollivarmobile", 30000);
    const std::string original = readBytes(archive);
    auto running = startApplication({}, {}, {"TOLLIVAR_TEST_CARD=duplicate"}, true, true);
    waitForLaunch(running);
    auto handing = startApplication({archive}, {}, {}, false, true);
    ASSERT_TRUE(waitInFolder(folders.documents(), running, [&] { return asideInDocuments().size() == 2; }))
        << "the duplicate and the import did not both begin";

    ::kill(running.pid(), SIGTERM);
    // Returns once the application has ended, or ten seconds on.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    waitInFolder(folders.documents(), running, [&] { return std::chrono::steady_clock::now() > deadline; });
    ASSERT_TRUE(running.poll().has_value()) << "the application did not quit during the import";
    EXPECT_EQ(running.wait(), 0);
    const bool leftWork = running.readOutput().find("did not end in time") != std::string::npos;
    EXPECT_EQ(handing.wait(), 1);
    EXPECT_NE(handing.readOutput().find("the files given here were not opened"), std::string::npos)
        << handing.readOutput();
    auto names = listedNames();
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()), projectFolders());
    if (leftWork) {
        auto next = startApplication();
        EXPECT_TRUE(waitInFolder(folders.documents(), next, [&] { return asideInDocuments().empty(); }))
            << "the next start did not sweep what the stopped work left";
        EXPECT_EQ(next.stop(SIGTERM), 0);
    }
    EXPECT_EQ(asideInDocuments(), std::vector<std::string>{}) << "the stopped work left its folders";
    EXPECT_EQ(readBytes(archive), original);
}

// After a kill during an import, the next start sweeps what the kill left
// and imports its archive, given after "--" and named in Latin-1 bytes (not
// UTF-8) with a "-" first.
TEST_F(RunningCopyTest, AfterAKillDuringAnImportTheNextStartLeavesOnlyListedProjects) {
    auto importing = startApplication({placeArchive("Long.tollivarmobile", 3000)});
    ASSERT_TRUE(waitInFolder(folders.documents(), importing, [&] { return !asideInDocuments().empty(); }))
        << "the import did not begin";
    EXPECT_EQ(importing.stop(SIGKILL), 128 + SIGKILL);

    placeArchive("-\xc9t\xe9.tollivarmobile");
    auto next = startApplication({"--", "-\xc9t\xe9.tollivarmobile"}, outside());
    EXPECT_TRUE(waitInFolder(folders.documents(), next, [&] {
        return asideInDocuments().empty() && listedNames().size() == 2;
    })) << "what the kill left was not swept, or the starting copy did not import its archive";
    auto names = listedNames();
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()), projectFolders());
    EXPECT_EQ(next.stop(SIGTERM), 0);
}

TEST_F(RunningCopyTest, ANameBeingTypedOnTheCardSurvivesSigterm) {
    auto child = startApplication({}, {}, {"TOLLIVAR_TEST_CARD=type: at Dawn"}, true);
    waitForLaunch(child);
    // The hook's line comes after whatever else the child prints.
    std::string line;
    while (line != "card" && line != "no card") {
        line.clear();
        ASSERT_TRUE(child.readUntil('\n', &line));
    }
    ASSERT_EQ(line, "card");
    const std::string introduction = folders.caches() + "/.kelbrin-introduction";
    const std::string before = ProjectModel::create(introduction)->getName();
    EXPECT_EQ(child.stop(SIGTERM), 0);
    EXPECT_EQ(ProjectModel::create(introduction)->getName(), before + " at Dawn");
}

}  // namespace
