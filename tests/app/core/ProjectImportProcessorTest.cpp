#include "ProjectModelFixture.h"
#include "app/core/ProjectImportProcessor.h"
#include "app/core/SSZipArchive.h"
#include "platform/foundation/RunLoop.h"
#include "support/Process.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <sys/stat.h>

namespace fs = std::filesystem;
using testsupport::runProcess;
using testsupport::runPython;

namespace {

std::string readBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

// Relative path → contents of every regular file below a folder.
std::map<std::string, std::string> fileTree(const fs::path& root) {
    std::map<std::string, std::string> tree;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) tree[entry.path().lexically_relative(root).string()] = readBytes(entry.path());
    }
    return tree;
}

class ProjectImportTest : public ProjectModelFixture {
protected:
    std::string inbox() const {
        std::string folder = folders_.documents() + "/Import";
        fs::create_directories(folder);
        return folder;
    }

    // A saved project of three pictures with a file per frame, as the store makes them.
    ProjectModelPtr makeProject() {
        auto project = ProjectModel::create();
        addPictures(project, 3);
        project->saveFramelistToDisk();
        EXPECT_TRUE(project->getProjectPath().has_value());
        auto list = project->getFrameList();
        for (int64_t i = 0; i < list->count(); ++i) {
            auto frame = list->getFrameAtIndex(i);
            if (frame->type() != Frame::kTypePicture) continue;
            std::string bytes(5000 + i, static_cast<char>('a' + i));
            EXPECT_TRUE(project
                            ->updateRegularFileWithContents(foundation::Bytes(bytes.begin(), bytes.end()),
                                                            "frame-" + frame->frameID() + ".jpg")
                            .ok());
        }
        return project;
    }

    // An archive built by python's zipfile: entries of (name, content, unix mode).
    std::string hostileArchive(const std::string& name, const std::string& entriesPython) {
        std::string archive = inbox() + "/" + name;
        auto made = runPython(
            "import sys, zipfile, plistlib\n"
            "meta = plistlib.dumps({'ProductVersion': 6.0, 'RecordName': 'Evil'})\n"
            "entries = " +
                entriesPython +
                "\n"
                "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
                "    for n, c, mode in entries:\n"
                "        i = zipfile.ZipInfo(n)\n"
                "        i.create_system = 3\n"
                "        i.external_attr = mode << 16\n"
                "        z.writestr(i, c)\n",
            {archive});
        EXPECT_EQ(made.exitCode, 0) << made.output;
        return archive;
    }

    size_t listedProjects() { return KWProjects::getInstance().getProjects().size(); }
};

}  // namespace

TEST_F(ProjectImportTest, RecordNameIsADotFolderWithTheLocalTime) {
    EXPECT_TRUE(std::regex_match(ProjectImportProcessor::createRecordName(),
                                 std::regex(R"(\.kelbrin-\d{4}-\d{2}-\d{2}-\d{2}-\d{2}-\d{2})")));
}

TEST_F(ProjectImportTest, ExportedArchiveIsCleanAndImportsAsAnEqualProject) {
    ProjectModelPtr source = makeProject();
    const std::string sourcePath = *source->getProjectPath();
    std::string archive = inbox() + "/Movie.tollivarmobile";
    ASSERT_TRUE(SSZipArchive::createZipFileAtPath(archive, sourcePath, nullptr));

    auto tested = runProcess({"unzip", "-t", archive});
    EXPECT_EQ(tested.exitCode, 0) << tested.output;
    auto names = runProcess({"zipinfo", "-1", archive});
    ASSERT_EQ(names.exitCode, 0);
    std::istringstream lines(names.output);
    int entries = 0;
    for (std::string line; std::getline(lines, line); ++entries) {
        EXPECT_NE(line.back(), '/') << "folder entry " << line;
        EXPECT_NE(line.front(), '.') << "top-level dot-file " << line;
    }
    EXPECT_EQ(entries, static_cast<int>(fileTree(sourcePath).size()));

    ASSERT_EQ(listedProjects(), 2u);
    foundation::Error error;
    ASSERT_TRUE(ProjectImportProcessor().importProjectAtPath(archive, &error)) << error.description;
    EXPECT_FALSE(fs::exists(archive));

    auto& projects = KWProjects::getInstance().getProjects();
    ASSERT_EQ(projects.size(), 3u);
    ProjectModelPtr imported = projects[1];
    EXPECT_EQ(projects[2], source);
    ASSERT_TRUE(imported->getProjectPath());
    EXPECT_NE(*imported->getProjectPath(), sourcePath);
    EXPECT_EQ(fileTree(*imported->getProjectPath()), fileTree(sourcePath));
    EXPECT_EQ(imported->getFrameList()->count(), source->getFrameList()->count());
    for (int64_t i = 0; i < source->getFrameList()->count(); ++i) {
        EXPECT_EQ(imported->getFrameList()->getFrameAtIndex(i)->frameID(),
                  source->getFrameList()->getFrameAtIndex(i)->frameID());
    }
    EXPECT_EQ(*imported->getMetaData(), *source->getMetaData());

    // The list file names the new folder first.
    auto listed = runPython("import plistlib, sys\nprint(plistlib.load(open(sys.argv[1], 'rb'))[0])",
                            {folders_.documents() + "/.projects.plist"});
    EXPECT_EQ(listed.output, fs::path(*imported->getProjectPath()).filename().string() + "\n");
}

TEST_F(ProjectImportTest, HostileArchivesAreRefusedAndKeptAside) {
    struct Case {
        const char* name;
        std::string entries;
    };
    const std::vector<Case> cases = {
        {"absolute", "[('kelbrin.meta', meta, 0o100644), ('/tmp/tollivar-import-escape', 'x', 0o100644)]"},
        {"dotdot", "[('kelbrin.meta', meta, 0o100644), ('../escape.txt', 'x', 0o100644)]"},
        {"linkout",
         "[('kelbrin.meta', meta, 0o100644), ('out', '../../..', 0o120777),"
         " ('out/escape.txt', 'x', 0o100644)]"},
        {"nometa", "[('frames.meta', 'x', 0o100644), ('frame-1.jpg', 'y', 0o100644)]"},
        {"badmeta", "[('kelbrin.meta', 'not a property list', 0o100644)]"},
        {"linkmeta", "[('real.meta', meta, 0o100644), ('kelbrin.meta', 'real.meta', 0o120777)]"},
        {"twofolders", "[('a/kelbrin.meta', meta, 0o100644), ('b/kelbrin.meta', meta, 0o100644)]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string archive = hostileArchive(std::string(c.name) + ".tollivarmobile", c.entries);
        foundation::Error error;
        EXPECT_FALSE(ProjectImportProcessor().importProjectAtPath(archive, &error));
        EXPECT_FALSE(error.domain.empty());
        EXPECT_FALSE(fs::exists(archive));
        EXPECT_TRUE(fs::exists(archive + ".failed"));
    }

    // A truncated archive: the first half of a good one.
    std::string good =
        hostileArchive("whole.zip", "[('kelbrin.meta', meta, 0o100644), ('f.bin', 'z' * 20000, 0o100644)]");
    std::string whole = readBytes(good);
    std::string truncated = inbox() + "/cut.tollivarmobile";
    std::ofstream(truncated, std::ios::binary) << whole.substr(0, whole.size() / 2);
    foundation::Error error;
    EXPECT_FALSE(ProjectImportProcessor().importProjectAtPath(truncated, &error));
    EXPECT_EQ(error.code, kSSZipArchiveErrorOpenFailed);
    EXPECT_TRUE(fs::exists(truncated + ".failed"));

    EXPECT_TRUE(projectFolders().empty()) << "a half-unpacked folder was left";
    EXPECT_EQ(listedProjects(), 1u);
    EXPECT_FALSE(fs::exists("/tmp/tollivar-import-escape"));
    EXPECT_FALSE(fs::exists(folders_.documents() + "/escape.txt"));
    EXPECT_FALSE(fs::exists(folders_.root() + "/escape.txt"));
    EXPECT_FALSE(fs::exists(fs::path(folders_.root()).parent_path() / "escape.txt"));
}

TEST_F(ProjectImportTest, WhatIsUnpackedGetsOurModesWhateverTheArchiveSays) {
    // Modes as an archive may carry them: open to everyone, executable,
    // set-id, sticky, or none at all.
    const std::string entries =
        "[('Layers/', '', 0o40777), ('kelbrin.meta', meta, 0o100666), ('frame-1.jpg', 'y', 0o104777),"
        " ('Layers/layer-1.png', 'z', 0o100000), ('Deep/er/notes.txt', 'n', 0o101777)]";
    const mode_t original = ::umask(022);
    for (mode_t mask : {022, 0, 002, 077}) {
        SCOPED_TRACE("umask " + std::to_string(mask));
        std::string archive = hostileArchive("modes.tollivarmobile", entries);
        ::umask(mask);
        foundation::Error error;
        const bool imported = ProjectImportProcessor().importProjectAtPath(archive, &error);
        ::umask(022);
        ASSERT_TRUE(imported) << error.description;
        auto added = KWProjects::getInstance().getProjects()[1];
        const fs::path project = *added->getProjectPath();
        // A later save keeps them.
        ASSERT_TRUE(added->saveMetaDataToDisk().ok());
        const fs::perms folderMode = fs::perms(0755 & ~mask), fileMode = fs::perms(0644 & ~mask);
        EXPECT_EQ(fs::status(project).permissions(), folderMode);
        for (const auto& entry : fs::recursive_directory_iterator(project))
            EXPECT_EQ(entry.symlink_status().permissions(), entry.is_directory() ? folderMode : fileMode)
                << entry.path();
        EXPECT_EQ(std::distance(fs::recursive_directory_iterator(project), {}), 7);
        EXPECT_EQ(readBytes(project / "Layers/layer-1.png"), "z");
    }
    ::umask(original);
}

// Once the application quits, imports stop: nothing is listed or left,
// and an inbox archive stays where it was for the next launch.
TEST_F(ProjectImportTest, AStoppedImportLeavesNoTraceAndTheInboxKeepsItsArchive) {
    std::string archive =
        hostileArchive("later.tollivarmobile", "[('kelbrin.meta', meta, 0o100644), ('f.bin', 'z', 0o100644)]");
    ProjectImportProcessor::stopImports();
    foundation::Error error;
    EXPECT_FALSE(ProjectImportProcessor().importProjectAtPath(archive, &error));
    ProjectImportProcessor::stopImports(false);
    EXPECT_EQ(ProjectImportProcessor::failureReason(error), "The application quit before it was imported.");
    EXPECT_TRUE(fs::exists(archive));
    EXPECT_TRUE(projectFolders().empty());
    EXPECT_EQ(listedProjects(), 1u);
    // The next launch imports it.
    EXPECT_TRUE(ProjectImportProcessor().importProjectAtPath(archive, &error)) << error.description;
    EXPECT_EQ(listedProjects(), 2u);
}

TEST_F(ProjectImportTest, ASecondFailureOfTheSameNameIsKeptToo) {
    std::string first = hostileArchive("same.tollivarmobile", "[('nothing.txt', 'x', 0o100644)]");
    EXPECT_FALSE(ProjectImportProcessor().importProjectAtPath(first));
    std::string second = hostileArchive("same.tollivarmobile", "[('other.txt', 'y', 0o100644)]");
    EXPECT_FALSE(ProjectImportProcessor().importProjectAtPath(second));
    EXPECT_TRUE(fs::exists(first + ".failed"));
    EXPECT_TRUE(fs::exists(first + ".failed-1"));
}

TEST_F(ProjectImportTest, ASingleTopLevelFolderIsMovedUp) {
    std::string archive =
        hostileArchive("nested.tollivarmobile",
                       "[('My Movie/kelbrin.meta', meta, 0o100644), ('My Movie/My Movie', 'same name', 0o100644),"
                       " ('My Movie/link.jpg', 'My Movie', 0o120777), ('__MACOSX/._kelbrin.meta', 'junk', 0o100644)]");
    foundation::Error error;
    ASSERT_TRUE(ProjectImportProcessor().importProjectAtPath(archive, &error)) << error.description;
    auto folders = projectFolders();
    ASSERT_EQ(folders.size(), 1u);
    fs::path project = fs::path(folders_.documents()) / folders[0];
    EXPECT_TRUE(fs::is_regular_file(project / "kelbrin.meta"));
    EXPECT_EQ(readBytes(project / "My Movie"), "same name");
    EXPECT_EQ(readBytes(project / "link.jpg"), "same name");
    EXPECT_FALSE(fs::exists(project / "__MACOSX"));
    EXPECT_EQ(std::distance(fs::directory_iterator(project), fs::directory_iterator()), 3);
    EXPECT_EQ(KWProjects::getInstance().getProjects()[1]->getMetaData()->get("RecordName").asString(), "Evil");
}

TEST_F(ProjectImportTest, LinksThatLeaveOnlyAfterMovingUpAreRefused) {
    // Inside the unpacking folder "../x" from "top/link" is fine; once "top"
    // is moved up it would point out of the project.
    std::string archive = hostileArchive("climb.tollivarmobile",
                                         "[('top/kelbrin.meta', meta, 0o100644), ('top/link', '../x', 0o120777)]");
    foundation::Error error;
    EXPECT_FALSE(ProjectImportProcessor().importProjectAtPath(archive, &error));
    EXPECT_EQ(error.code, kSSZipArchiveErrorUnsafeEntry);
    EXPECT_TRUE(projectFolders().empty());
}

TEST_F(ProjectImportTest, ImportsWithinOneSecondGetFoldersOfTheirOwn) {
    std::string a = hostileArchive("a.tollivarmobile", "[('kelbrin.meta', meta, 0o100644), ('a', 'a', 0o100644)]");
    std::string b = hostileArchive("b.tollivarmobile", "[('kelbrin.meta', meta, 0o100644), ('b', 'b', 0o100644)]");
    ASSERT_TRUE(ProjectImportProcessor().importProjectAtPath(a));
    ASSERT_TRUE(ProjectImportProcessor().importProjectAtPath(b));
    ASSERT_EQ(projectFolders().size(), 2u);
    auto& projects = KWProjects::getInstance().getProjects();
    ASSERT_EQ(projects.size(), 3u);
    EXPECT_TRUE(fs::exists(*projects[1]->getProjectPath() + "/b"));
    EXPECT_TRUE(fs::exists(*projects[2]->getProjectPath() + "/a"));
    EXPECT_FALSE(fs::exists(*projects[1]->getProjectPath() + "/a"));
}

TEST_F(ProjectImportTest, UrlImportCompletesOnABackgroundQueueAndListsOnTheMainQueue) {
    std::string archive = hostileArchive("With Space.tollivarmobile", "[('kelbrin.meta', meta, 0o100644)]");
    std::string url = "file://" + inbox() + "/With%20Space.tollivarmobile";
    std::atomic<bool> done{false}, result{false}, onMain{true};
    ProjectImportProcessor().importProjectAtUrl(url, [&](bool imported) {
        onMain = foundation::RunLoop::isMainThread();
        result = imported;
        done = true;
    });
    ASSERT_TRUE(runMainUntil([&] { return done.load() && listedProjects() == 2; }));
    EXPECT_TRUE(result);
    EXPECT_FALSE(onMain);
    EXPECT_FALSE(fs::exists(archive));
}

TEST_F(ProjectImportTest, AnArchiveOutsideTheInboxIsOnlyRead) {
    fs::create_directories(folders_.root() + "/Downloads");
    struct Case {
        const char* name;
        const char* entries;
        bool imports;
    };
    const std::vector<Case> cases = {
        {"good.tollivarmobile", "[('kelbrin.meta', meta, 0o100644)]", true},
        {"empty.tollivarmobile", "[('notes.txt', 'hello', 0o100644)]", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string made = hostileArchive(c.name, c.entries);
        std::string archive = folders_.root() + "/Downloads/" + c.name;
        fs::rename(made, archive);
        const std::string before = readBytes(archive);
        const auto modified = fs::last_write_time(archive);
        foundation::Error error;
        EXPECT_EQ(ProjectImportProcessor().importProjectAtPath(archive, &error), c.imports);
        EXPECT_EQ(readBytes(archive), before);
        EXPECT_EQ(fs::last_write_time(archive), modified);
        EXPECT_FALSE(fs::exists(archive + ".failed"));
        if (!c.imports) {
            EXPECT_EQ(ProjectImportProcessor::failureReason(error), "The archive holds no project.");
        }
    }
    EXPECT_EQ(projectFolders().size(), 1u);
    EXPECT_FALSE(ProjectImportProcessor::isInInbox(folders_.root() + "/Downloads/good.tollivarmobile"));
    EXPECT_TRUE(ProjectImportProcessor::isInInbox(inbox() + "/../Import/x.tollivarmobile"));
}

TEST_F(ProjectImportTest, AListThatCannotBeSavedFailsTheImportAndKeepsTheArchive) {
    auto& projects = KWProjects::getInstance().getProjects();
    ASSERT_EQ(projects.size(), 1u);
    fs::create_directories(folders_.documents() + "/.projects.plist/blocked");

    std::string archive = hostileArchive("film.tollivarmobile", "[('kelbrin.meta', meta, 0o100644)]");
    const std::string before = readBytes(archive);
    foundation::Error error;
    EXPECT_FALSE(ProjectImportProcessor().importProjectAtPath(archive, &error));
    EXPECT_EQ(error.domain, ProjectImportProcessor::kErrorDomain);
    EXPECT_EQ(error.code, ProjectImportProcessor::kErrorListNotSaved);
    EXPECT_EQ(ProjectImportProcessor::failureReason(error), "The project list could not be saved.");
    // Nothing half-registered: no folder, no entry; the inbox keeps the
    // archive, unchanged, as a failed one.
    EXPECT_TRUE(projectFolders().empty());
    EXPECT_EQ(projects.size(), 1u);
    EXPECT_FALSE(fs::exists(archive));
    EXPECT_EQ(readBytes(archive + ".failed"), before);
}

TEST_F(ProjectImportTest, FailureReasonsNameWhatWentWrong) {
    using foundation::Error;
    const std::vector<std::pair<Error, std::string>> cases = {
        {Error(kSSZipArchiveErrorDomain, kSSZipArchiveErrorOpenFailed, "x"), "The file is not a zip archive."},
        {Error(kSSZipArchiveErrorDomain, kSSZipArchiveErrorReadFailed, "x"), "The archive is damaged."},
        {Error(kSSZipArchiveErrorDomain, kSSZipArchiveErrorNoFirstFile, "x"), "The archive is damaged."},
        {Error(kSSZipArchiveErrorDomain, kSSZipArchiveErrorStorageFull, "x"),
         "There is not enough free storage space."},
        {Error(ProjectImportProcessor::kErrorDomain, ProjectImportProcessor::kErrorListNotSaved, "x",
               std::make_shared<Error>(Error::posix(ENOSPC, "list"))),
         "There is not enough free storage space."},
        {Error(ProjectImportProcessor::kErrorDomain, ProjectImportProcessor::kErrorNoProject, "x"),
         "The archive holds no project."},
        {Error(ProjectImportProcessor::kErrorDomain, ProjectImportProcessor::kErrorFileNotFound, "x"),
         "The file could not be found."},
    };
    for (const auto& [error, reason] : cases) EXPECT_EQ(ProjectImportProcessor::failureReason(error), reason);
}

TEST_F(ProjectImportTest, OnlyAFinishedZipLooksComplete) {
    std::string archive = hostileArchive("whole.tollivarmobile", "[('kelbrin.meta', meta, 0o100644)]");
    const std::string whole = readBytes(archive);
    EXPECT_TRUE(ProjectImportProcessor::looksComplete(archive));
    for (size_t cut : {size_t{0}, size_t{10}, whole.size() / 2, whole.size() - 1}) {
        SCOPED_TRACE(cut);
        std::ofstream(archive, std::ios::binary | std::ios::trunc) << whole.substr(0, cut);
        EXPECT_FALSE(ProjectImportProcessor::looksComplete(archive));
    }
    EXPECT_FALSE(ProjectImportProcessor::looksComplete(inbox() + "/missing.tollivarmobile"));
}

// Only a file whose first bytes are there and are not a zip's is plainly no
// zip: an empty or short file, and any start of a zip, may still be arriving.
TEST_F(ProjectImportTest, AFileIsPlainlyNoZipByItsFirstBytes) {
    std::string archive = hostileArchive("whole.tollivarmobile", "[('kelbrin.meta', meta, 0o100644)]");
    const std::string whole = readBytes(archive);
    const std::vector<std::pair<std::string, bool>> cases = {
        {"not a zip", true},
        {"<html></html>", true},
        {"PK\x01\x02rest", true},
        {"", false},
        {"PK\x03", false},
        {whole, false},
        {whole.substr(0, 10), false},
        {std::string("PK\x05\x06") + std::string(18, '\0'), false},
        {std::string("PK\x07\x08") + "rest", false},
    };
    for (const auto& [bytes, noZip] : cases) {
        SCOPED_TRACE(bytes.substr(0, 8));
        std::ofstream(archive, std::ios::binary | std::ios::trunc) << bytes;
        EXPECT_EQ(ProjectImportProcessor::isPlainlyNoZip(archive), noZip);
        EXPECT_EQ(ProjectImportProcessor::startsLikeZip(archive), !noZip && bytes.size() >= 4);
    }
    EXPECT_FALSE(ProjectImportProcessor::isPlainlyNoZip(inbox() + "/missing.tollivarmobile"));
}

// A project's archive is known by a "kelbrin.meta" at the top or in a folder at the top.
TEST_F(ProjectImportTest, AZipHoldsAProjectWhenItsDirectoryListsOne) {
    const std::vector<std::pair<std::string, bool>> cases = {
        {"[('pad.txt', 'x', 0o100644), ('kelbrin.meta', meta, 0o100644)]", true},
        {"[('Film/', '', 0o40755), ('Film/kelbrin.meta', meta, 0o100644)]", true},
        {"[('a/b/kelbrin.meta', meta, 0o100644)]", false},
        {"[('kelbrin.meta/', '', 0o40755), ('notes.txt', 'x', 0o100644)]", false},
        {"[('../kelbrin.meta', meta, 0o100644)]", false},
    };
    for (const auto& [entries, holds] : cases) {
        SCOPED_TRACE(entries);
        EXPECT_EQ(ProjectImportProcessor::holdsProject(hostileArchive("Film", entries)), holds);
    }
}

TEST_F(ProjectImportTest, UrlImportOfAMissingFileReportsFailure) {
    std::atomic<bool> done{false}, result{true};
    ProjectImportProcessor().importProjectAtUrl("file://" + inbox() + "/missing.tollivarmobile", [&](bool imported) {
        result = imported;
        done = true;
    });
    ASSERT_TRUE(runMainUntil([&] { return done.load(); }));
    EXPECT_FALSE(result);
    EXPECT_TRUE(projectFolders().empty());
}
