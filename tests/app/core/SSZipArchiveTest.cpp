#include "app/core/SSZipArchive.h"
#include "platform/foundation/DateFormat.h"
#include "platform/foundation/FileManager.h"
#include "support/HostileFiles.h"
#include "support/Process.h"
#include "support/ScopedEnvironment.h"
#include "support/TempAppFolders.h"

#include <atomic>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using testsupport::runProcess;
using testsupport::runPython;

namespace {

class ScratchFolder {
public:
    std::string path(const std::string& relative) const { return (fs::path(folders_.root()) / relative).string(); }

private:
    testsupport::TempAppFolders folders_;
};

void writeText(const std::string& path, const std::string& text) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

// Builds an archive with python's zipfile from (name, content, mode) triples;
// a mode with S_IFLNK makes a symbolic-link entry whose content is the target.
void buildZip(const std::string& archive, const std::string& entriesPython) {
    std::string script =
        "import sys, zipfile\n"
        "entries = " +
        entriesPython +
        "\n"
        "with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:\n"
        "    for name, content, mode in entries:\n"
        "        info = zipfile.ZipInfo(name, date_time=(2024, 1, 2, 3, 4, 6))\n"
        "        info.create_system = 3\n"
        "        info.external_attr = mode << 16\n"
        "        info.compress_type = zipfile.ZIP_DEFLATED\n"
        "        z.writestr(info, content)\n";
    auto result = runPython(script, {archive});
    ASSERT_EQ(result.exitCode, 0) << result.output;
}

struct Recorder : SSZipArchiveDelegate {
    std::vector<std::pair<uint64_t, uint64_t>> progress;
    std::vector<int64_t> willIndexes, didIndexes;
    int finished = 0;
    void zipArchiveProgressEvent(uint64_t loaded, uint64_t total) override { progress.emplace_back(loaded, total); }
    void zipArchiveWillUnzipFileAtIndex(int64_t index, int64_t, const std::string&, const SSZipFileInfo&) override {
        willIndexes.push_back(index);
    }
    void zipArchiveDidUnzipFileAtIndex(int64_t index, int64_t, const std::string&, const SSZipFileInfo&) override {
        didIndexes.push_back(index);
    }
    void zipArchiveDidUnzipArchiveAtPath(const std::string&, const SSZipArchiveInfo&, const std::string&) override {
        ++finished;
    }
};

// Permission bits and modification time of a file; a file that is not there
// gives values no test expects.
unsigned modeOf(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : ~0u;
}

time_t mtimeOf(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? info.st_mtime : time_t(-1);
}

foundation::Error unzipExpectingFailure(const std::string& archive, const std::string& destination) {
    foundation::Error error;
    EXPECT_FALSE(SSZipArchive::unzipFileAtPath(archive, destination, true, "", &error));
    EXPECT_EQ(error.domain, kSSZipArchiveErrorDomain);
    return error;
}

}  // namespace

TEST(SSZipArchivePacking, PacksOnlyVisibleRegularFilesAndCountsEveryListedEntry) {
    struct Case {
        std::vector<std::string> files;
        uint64_t steps;
        std::string packed;
        std::optional<testsupport::Hostile> last = {};  // in place of the last file
    };
    // A hidden folder is left out of the archive, but its contents are listed
    // and counted like every other entry. What is no regular file is left
    // out too, never waited on or read.
    const Case cases[] = {
        {{".hidden", "a/b.jpg"}, 3, "a/b.jpg\n"},
        {{".git/objects/x", "a/b.txt"}, 5, "a/b.txt\n"},
        {{"a/.hidden/c.txt", "d.jpg"}, 4, "a/.hidden/c.txt\nd.jpg\n"},
        {{"a.jpg", "b.m4a"}, 2, "a.jpg\n", testsupport::Hostile::Fifo},
        {{"a.jpg", "b.m4a"}, 2, "a.jpg\n", testsupport::Hostile::LinkToZero},
    };
    for (const Case& c : cases) {
        ScratchFolder scratch;
        const std::string last = scratch.path("project/" + c.files.back());
        for (const std::string& file : c.files) writeText(scratch.path("project/" + file), "content");
        if (c.last) placeHostile(last, *c.last);
        Recorder recorder;
        std::string archive = scratch.path("out.zip");
        ASSERT_TRUE(testsupport::boundedRead(
            last, [&] { return SSZipArchive::createZipFileAtPath(archive, scratch.path("project"), &recorder); }));

        std::vector<std::pair<uint64_t, uint64_t>> expected;
        for (uint64_t step = 1; step <= c.steps; ++step) expected.emplace_back(step, c.steps);
        EXPECT_EQ(recorder.progress, expected) << c.files[0];
        auto test = runProcess({"unzip", "-t", archive});
        EXPECT_EQ(test.exitCode, 0) << test.output;
        auto names = runProcess({"zipinfo", "-1", archive});
        EXPECT_EQ(names.output, c.packed);
    }
}

TEST(SSZipArchivePacking, RoundTripKeepsContentsAndDatesAndStoresPermissions) {
    ScratchFolder scratch;
    std::string text(200000, 'x');
    writeText(scratch.path("project/kelbrin.meta"), text);
    writeText(scratch.path("project/frame-1.jpg"), "jpeg bytes");
    writeText(scratch.path("project/sub/deeper/notes.txt"), "notes");
    chmod(scratch.path("project/frame-1.jpg").c_str(), 0640);
    struct timespec times[2] = {{0, UTIME_OMIT}, {1700000000, 0}};
    utimensat(AT_FDCWD, scratch.path("project/kelbrin.meta").c_str(), times, 0);

    std::string archive = scratch.path("p.zip");
    ASSERT_TRUE(SSZipArchive::createZipFileAtPath(archive, scratch.path("project"), nullptr));
    // JPEGs are stored as they are, other files deflated.
    auto verbose = runProcess({"zipinfo", "-v", archive});
    EXPECT_NE(verbose.output.find("compression method:                             none (stored)"), std::string::npos);
    EXPECT_NE(verbose.output.find("deflated"), std::string::npos);

    ASSERT_TRUE(SSZipArchive::unzipFileAtPath(archive, scratch.path("back")));
    EXPECT_EQ(readText(scratch.path("back/kelbrin.meta")), text);
    EXPECT_EQ(readText(scratch.path("back/frame-1.jpg")), "jpeg bytes");
    EXPECT_EQ(readText(scratch.path("back/sub/deeper/notes.txt")), "notes");
    EXPECT_EQ(mtimeOf(scratch.path("back/kelbrin.meta")), 1700000000);  // even seconds survive the MS-DOS format

    // Info-ZIP's unzip reads our archives and restores the permissions they
    // keep (which our own unpacking leaves aside).
    auto unzip = runProcess({"unzip", "-q", archive, "-d", scratch.path("infozip")});
    ASSERT_EQ(unzip.exitCode, 0) << unzip.output;
    EXPECT_EQ(modeOf(scratch.path("infozip/frame-1.jpg")), 0640u);
}

TEST(SSZipArchivePacking, FailsAndLeavesNoArchiveForUnreadableInput) {
    ScratchFolder scratch;
    writeText(scratch.path("project/good.txt"), "fine");
    fs::create_symlink(scratch.path("nowhere"), scratch.path("project/broken.jpg"));
    std::string archive = scratch.path("p.zip");
    EXPECT_FALSE(SSZipArchive::createZipFileAtPath(archive, scratch.path("project"), nullptr));
    EXPECT_FALSE(fs::exists(archive));

    EXPECT_FALSE(SSZipArchive::createZipFileAtPath(archive, scratch.path("missing"), nullptr));
    EXPECT_FALSE(fs::exists(archive));

    EXPECT_FALSE(
        SSZipArchive::createZipFileAtPath(scratch.path("no/such/folder/p.zip"), scratch.path("project"), nullptr));
}

TEST(SSZipArchivePacking, WriterStoresFilesAndDataUnderTheirNames) {
    ScratchFolder scratch;
    writeText(scratch.path("in/one.txt"), "first");
    SSZipArchive writer(scratch.path("w.zip"));
    ASSERT_TRUE(writer.open());
    EXPECT_TRUE(writer.writeFile(scratch.path("in/one.txt")));
    EXPECT_TRUE(writer.writeFileAtPath(scratch.path("in/one.txt"), std::string("renamed/one.txt")));
    EXPECT_TRUE(writer.writeData(foundation::Bytes{'h', 'i'}, "data.bin"));
    EXPECT_FALSE(writer.writeFile(scratch.path("in/missing.txt")));
    ASSERT_TRUE(writer.close());
    EXPECT_FALSE(writer.close());

    auto names = runProcess({"zipinfo", "-1", scratch.path("w.zip")});
    EXPECT_EQ(names.output, "one.txt\nrenamed/one.txt\ndata.bin\n");
    auto content = runProcess({"unzip", "-p", scratch.path("w.zip"), "data.bin"});
    EXPECT_EQ(content.output, "hi");

    ASSERT_TRUE(SSZipArchive::createZipFileAtPathWithFilesAtPaths(scratch.path("f.zip"), {scratch.path("in/one.txt")}));
    EXPECT_EQ(runProcess({"zipinfo", "-1", scratch.path("f.zip")}).output, "one.txt\n");
}

TEST(SSZipArchiveUnpacking, ReadsInfoZipArchivesAndReportsProgress) {
    ScratchFolder scratch;
    writeText(scratch.path("src/a.txt"), "alpha");
    writeText(scratch.path("src/d/b.txt"), std::string(5000, 'b'));
    auto zipped = runProcess({"sh", "-c", "cd '" + scratch.path("src") + "' && zip -qr ../in.zip ."});
    ASSERT_EQ(zipped.exitCode, 0) << zipped.output;

    Recorder recorder;
    ASSERT_TRUE(SSZipArchive::unzipFileAtPath(scratch.path("in.zip"), scratch.path("out"), &recorder));
    EXPECT_EQ(readText(scratch.path("out/a.txt")), "alpha");
    EXPECT_EQ(readText(scratch.path("out/d/b.txt")), std::string(5000, 'b'));
    uint64_t size = fs::file_size(scratch.path("in.zip"));
    ASSERT_GE(recorder.progress.size(), 2u);
    EXPECT_EQ(recorder.progress.front(), std::make_pair(uint64_t{0}, size));
    EXPECT_EQ(recorder.progress.back(), std::make_pair(size, size));
    EXPECT_EQ(recorder.willIndexes, recorder.didIndexes);
    EXPECT_EQ(recorder.didIndexes.size(), 3u);  // "d/" comes as an entry of its own
    EXPECT_EQ(recorder.finished, 1);
}

TEST(SSZipArchiveUnpacking, BackslashNamesGiveTheSameTree) {
    ScratchFolder scratch;
    buildZip(scratch.path("b.zip"), R"([('dir\\sub\\file.txt', 'x', 0o100644)])");
    ASSERT_TRUE(SSZipArchive::unzipFileAtPath(scratch.path("b.zip"), scratch.path("out")));
    EXPECT_EQ(readText(scratch.path("out/dir/sub/file.txt")), "x");
}

TEST(SSZipArchiveUnpacking, DotComponentsNameTheDestinationItself) {
    ScratchFolder scratch;
    buildZip(scratch.path("dot.zip"), "[('./', '', 0o40755), ('./a//b.txt', 'x', 0o100644)]");
    ASSERT_TRUE(SSZipArchive::unzipFileAtPath(scratch.path("dot.zip"), scratch.path("out")));
    EXPECT_EQ(readText(scratch.path("out/a/b.txt")), "x");

    buildZip(scratch.path("dotfile.zip"), "[('.', 'x', 0o100644)]");
    EXPECT_EQ(unzipExpectingFailure(scratch.path("dotfile.zip"), scratch.path("out2")).code,
              kSSZipArchiveErrorUnsafeEntry);
}

// Each wall clock the archive stores is what the unpacked file's and folder's
// dates show in the local zone: in zones with changes of offset (Lord Howe's of
// half an hour), next to those changes and in hours a clock goes through twice.
TEST(SSZipArchiveUnpacking, TakesTheModificationDateFromTheDosFieldsInTheLocalZone) {
    const std::vector<std::string> clocks = {"2025-04-15 13:33:20", "1980-01-01 00:00:00", "2107-12-31 23:59:58",
                                             "2024-03-31 01:59:58", "2024-10-27 02:30:00", "2024-03-10 03:00:00",
                                             "2024-11-03 02:00:00", "2024-04-07 01:44:00", "2024-10-06 02:30:00"};
    ScratchFolder scratch;
    std::vector<std::string> arguments{scratch.path("d.zip")};
    arguments.insert(arguments.end(), clocks.begin(), clocks.end());
    // A folder is written into after its own entry: it keeps its own date.
    auto made = runPython(
        "import datetime, sys, zipfile\n"
        "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
        "    for i, text in enumerate(sys.argv[2:]):\n"
        "        clock = datetime.datetime.strptime(text, '%Y-%m-%d %H:%M:%S').timetuple()[:6]\n"
        "        z.writestr(zipfile.ZipInfo('%d/' % i, date_time=clock), '')\n"
        "        z.writestr(zipfile.ZipInfo('%d/f.txt' % i, date_time=clock), 'x')\n",
        arguments);
    ASSERT_EQ(made.exitCode, 0) << made.output;
    for (const char* zone : {"UTC", "Europe/Berlin", "America/New_York", "Australia/Lord_Howe"}) {
        testsupport::ScopedEnvironment environment({{"TZ", std::string(zone)}}, ::tzset);
        const std::string out = scratch.path(std::string("out-") + zone);
        ASSERT_TRUE(SSZipArchive::unzipFileAtPath(scratch.path("d.zip"), out)) << zone;
        for (size_t i = 0; i < clocks.size(); ++i)
            for (const std::string& path : {out + "/" + std::to_string(i), out + "/" + std::to_string(i) + "/f.txt"}) {
                const time_t when = mtimeOf(path);
                char shown[32] = "";
                std::strftime(shown, sizeof shown, "%F %T", std::localtime(&when));
                EXPECT_EQ(shown, clocks[i]) << path;
            }
    }
}

// Unpacking on a thread while the main thread formats dates: both meet in the
// C library's time zone, which only the formatting reloads (a reload while
// unpacking too was a race under ThreadSanitizer).
TEST(SSZipArchiveUnpacking, UnpacksOnAThreadWhileTheMainThreadFormatsDates) {
    ScratchFolder scratch;
    buildZip(scratch.path("many.zip"), "[('f%d.txt' % i, 'x', 0o100644) for i in range(300)]");
    std::atomic<bool> finished{false};
    std::thread unpacking([&] {
        EXPECT_TRUE(SSZipArchive::unzipFileAtPath(scratch.path("many.zip"), scratch.path("out")));
        finished = true;
    });
    std::set<std::string> texts;
    do {
        texts.insert(foundation::formatRelativeMediumDate(foundation::Date::fromUnixTime(1700000000)));
    } while (!finished);
    unpacking.join();
    EXPECT_EQ(texts.size(), 1u);
    EXPECT_EQ(fs::file_size(scratch.path("out/f299.txt")), 1u);
}

TEST(SSZipArchiveUnpacking, ReportsNoZipAndEmptyZipWithTheirCodes) {
    ScratchFolder scratch;
    writeText(scratch.path("text.zip"), "this is plain text, not an archive");
    auto error = unzipExpectingFailure(scratch.path("text.zip"), scratch.path("out1"));
    EXPECT_EQ(error.code, -1);
    EXPECT_EQ(error.description, "failed to open zip file");

    auto made =
        runPython("import sys, zipfile\nzipfile.ZipFile(sys.argv[1], 'w').close()\n", {scratch.path("empty.zip")});
    ASSERT_EQ(made.exitCode, 0);
    error = unzipExpectingFailure(scratch.path("empty.zip"), scratch.path("out2"));
    EXPECT_EQ(error.code, -2);
    EXPECT_EQ(error.description, "failed to open first file in zip file");
}

TEST(SSZipArchiveUnpacking, KeepsExistingFilesWhenNotOverwriting) {
    ScratchFolder scratch;
    buildZip(scratch.path("o.zip"), "[('keep.txt', 'new', 0o100644), ('fresh.txt', 'new', 0o100644)]");
    writeText(scratch.path("out/keep.txt"), "old");
    Recorder recorder;
    foundation::Error error;
    ASSERT_TRUE(
        SSZipArchive::unzipFileAtPath(scratch.path("o.zip"), scratch.path("out"), false, "", &error, &recorder));
    EXPECT_EQ(readText(scratch.path("out/keep.txt")), "old");
    EXPECT_EQ(readText(scratch.path("out/fresh.txt")), "new");
    // A kept file is skipped without advancing the count.
    EXPECT_EQ(recorder.didIndexes, std::vector<int64_t>{0});

    ASSERT_TRUE(SSZipArchive::unzipFileAtPath(scratch.path("o.zip"), scratch.path("out")));
    EXPECT_EQ(readText(scratch.path("out/keep.txt")), "new");
}

TEST(SSZipArchiveUnpacking, GivesFilesAndFoldersOurModesNotTheArchives) {
    ScratchFolder scratch;
    buildZip(scratch.path("p.zip"),
             "[('setuid', 'x', 0o104755), ('locked', 'y', 0o100000), ('open', 'z', 0o100666), ('dir/', '', 0o40777),"
             " ('dir/sticky', 'w', 0o101777), ('keep.txt', 'new', 0o100666)]");
    // Files there already are replaced by files of our own.
    writeText(scratch.path("out/keep.txt"), "old");
    ::chmod(scratch.path("out/keep.txt").c_str(), 0666);
    const mode_t original = ::umask(0);
    const bool unpacked = SSZipArchive::unzipFileAtPath(scratch.path("p.zip"), scratch.path("out/deeper/still"));
    ASSERT_TRUE(SSZipArchive::unzipFileAtPath(scratch.path("p.zip"), scratch.path("out")));
    ::umask(original);
    ASSERT_TRUE(unpacked);
    for (const char* file : {"setuid", "locked", "open", "dir/sticky", "keep.txt", "deeper/still/open"})
        EXPECT_EQ(modeOf(scratch.path("out/") + file), 0644u) << file;
    for (const char* folder : {"dir", "deeper", "deeper/still", "deeper/still/dir"})
        EXPECT_EQ(modeOf(scratch.path("out/") + folder), 0755u) << folder;
    EXPECT_EQ(readText(scratch.path("out/keep.txt")), "new");
}

TEST(SSZipArchiveUnpacking, EncryptedEntriesFailCleanly) {
    // The system's minizip is built without decryption, so an encrypted entry
    // cannot be read with or without its password; it must fail, not crash
    // or pass off the cipher text as the file.
    ScratchFolder scratch;
    writeText(scratch.path("src/secret.txt"), "hidden words");
    auto zipped =
        runProcess({"sh", "-c", "cd '" + scratch.path("src") + "' && zip -q -P opensesame ../s.zip secret.txt"});
    ASSERT_EQ(zipped.exitCode, 0) << zipped.output;
    foundation::Error error;
    EXPECT_FALSE(SSZipArchive::unzipFileAtPath(scratch.path("s.zip"), scratch.path("a"), true, "opensesame", &error));
    EXPECT_EQ(error.code, kSSZipArchiveErrorReadFailed);
    error = unzipExpectingFailure(scratch.path("s.zip"), scratch.path("b"));
    EXPECT_EQ(error.code, kSSZipArchiveErrorReadFailed);
}

TEST(SSZipArchiveUnpacking, LinksInsideTheDestinationAreCreated) {
    ScratchFolder scratch;
    buildZip(scratch.path("l.zip"),
             "[('sub/file.txt', 'x', 0o100644), ('sub/link', 'file.txt', 0o120777),"
             " ('top', 'sub/file.txt', 0o120777), ('sub/up', '../sub/file.txt', 0o120777)]");
    ASSERT_TRUE(SSZipArchive::unzipFileAtPath(scratch.path("l.zip"), scratch.path("out")));
    EXPECT_EQ(fs::read_symlink(scratch.path("out/sub/link")), "file.txt");
    EXPECT_EQ(readText(scratch.path("out/top")), "x");
    EXPECT_EQ(readText(scratch.path("out/sub/up")), "x");
}

TEST(SSZipArchiveHostile, RefusesNamesThatLeaveTheDestinationBeforeWritingAnything) {
    ScratchFolder scratch;
    const char* hostile[] = {
        "[('ok.txt', 'x', 0o100644), ('/tmp/sszip-absolute-escape', 'x', 0o100644)]",
        "[('ok.txt', 'x', 0o100644), ('../escape.txt', 'x', 0o100644)]",
        "[('ok.txt', 'x', 0o100644), ('a/../../escape.txt', 'x', 0o100644)]",
        "[('ok.txt', 'x', 0o100644), ('a\\\\..\\\\..\\\\escape.txt', 'x', 0o100644)]",
    };
    for (const char* entries : hostile) {
        SCOPED_TRACE(entries);
        std::string out = scratch.path("inbox/new");
        buildZip(scratch.path("h.zip"), entries);
        auto error = unzipExpectingFailure(scratch.path("h.zip"), out);
        EXPECT_EQ(error.code, kSSZipArchiveErrorUnsafeEntry);
        EXPECT_FALSE(fs::exists(out));
        EXPECT_FALSE(fs::exists(scratch.path("escape.txt")));
        EXPECT_FALSE(fs::exists(scratch.path("inbox/escape.txt")));
    }
    EXPECT_FALSE(fs::exists("/tmp/sszip-absolute-escape"));
}

TEST(SSZipArchiveHostile, RefusesNamesWithAnEmbeddedNul) {
    ScratchFolder scratch;
    buildZip(scratch.path("n.zip"), "[('evil.txtQsh', 'x', 0o100644)]");
    // zipfile drops everything after a NUL, so the byte goes in afterwards,
    // into both the local and the central header.
    auto patched = runPython(
        "import sys\n"
        "p = sys.argv[1]\n"
        "data = open(p, 'rb').read().replace(b'evil.txtQsh', b'evil.txt\\x00sh')\n"
        "open(p, 'wb').write(data)\n",
        {scratch.path("n.zip")});
    ASSERT_EQ(patched.exitCode, 0) << patched.output;
    auto error = unzipExpectingFailure(scratch.path("n.zip"), scratch.path("out"));
    EXPECT_EQ(error.code, kSSZipArchiveErrorUnsafeEntry);
    EXPECT_FALSE(fs::exists(scratch.path("out/evil.txt")));
}

TEST(SSZipArchiveHostile, RefusesLinksThatPointOutside) {
    ScratchFolder scratch;
    const char* hostile[] = {
        "[('out', '../../outside', 0o120777)]",
        "[('abs', '/etc/passwd', 0o120777)]",
        "[('d/x', '../../outside', 0o120777)]",
        // Climbs out through an earlier link that points to the root.
        "[('a/b/root', '../..', 0o120777), ('a/b/m', 'root/../outside', 0o120777)]",
    };
    for (const char* entries : hostile) {
        SCOPED_TRACE(entries);
        std::string out = scratch.path("dest/new");
        fs::remove_all(scratch.path("dest"));
        buildZip(scratch.path("h.zip"), entries);
        auto error = unzipExpectingFailure(scratch.path("h.zip"), out);
        EXPECT_EQ(error.code, kSSZipArchiveErrorUnsafeEntry);
        EXPECT_FALSE(fs::is_symlink(out + "/out"));
        EXPECT_FALSE(fs::is_symlink(out + "/abs"));
        EXPECT_FALSE(fs::is_symlink(out + "/d/x"));
        EXPECT_FALSE(fs::is_symlink(out + "/a/b/m"));
    }
}

TEST(SSZipArchiveHostile, NeverWritesThroughALink) {
    ScratchFolder scratch;
    writeText(scratch.path("outside/target.txt"), "precious");
    // A link made by the archive itself, then a write through it.
    buildZip(scratch.path("a.zip"),
             "[('sub', 'x', 0o100644), ('l', 'inner', 0o120777), ('l/f.txt', 'evil', 0o100644)]");
    auto error = unzipExpectingFailure(scratch.path("a.zip"), scratch.path("dest1"));
    EXPECT_EQ(error.code, kSSZipArchiveErrorUnsafeEntry);

    // Links already in the destination, to a file and to a folder outside.
    fs::create_directories(scratch.path("dest2"));
    fs::create_symlink(scratch.path("outside/target.txt"), scratch.path("dest2/victim.txt"));
    fs::create_symlink(scratch.path("outside"), scratch.path("dest2/folder"));
    for (const char* entries : {"[('victim.txt', 'evil', 0o100644)]", "[('folder/target.txt', 'evil', 0o100644)]",
                                "[('folder/', '', 0o40755)]"}) {
        SCOPED_TRACE(entries);
        buildZip(scratch.path("b.zip"), entries);
        EXPECT_EQ(unzipExpectingFailure(scratch.path("b.zip"), scratch.path("dest2")).code,
                  kSSZipArchiveErrorUnsafeEntry);
    }

    EXPECT_EQ(readText(scratch.path("outside/target.txt")), "precious");
    EXPECT_FALSE(fs::exists(scratch.path("outside/f.txt")));
}

TEST(SSZipArchiveHostile, TruncatedOrCorruptArchivesFail) {
    ScratchFolder scratch;
    std::string big(300000, '\0');
    uint32_t state = 12345;
    for (char& c : big) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 24);
    }
    writeText(scratch.path("src/big.bin"), big);
    ASSERT_TRUE(SSZipArchive::createZipFileAtPath(scratch.path("t.zip"), scratch.path("src"), nullptr));
    std::string whole = readText(scratch.path("t.zip"));

    writeText(scratch.path("cut.zip"), whole.substr(0, whole.size() / 2));
    EXPECT_EQ(unzipExpectingFailure(scratch.path("cut.zip"), scratch.path("o1")).code, kSSZipArchiveErrorOpenFailed);

    std::string corrupt = whole;
    for (size_t i = 1000; i < 1100; ++i) corrupt[i] = static_cast<char>(corrupt[i] ^ 0x5a);
    writeText(scratch.path("bad.zip"), corrupt);
    EXPECT_EQ(unzipExpectingFailure(scratch.path("bad.zip"), scratch.path("o2")).code, kSSZipArchiveErrorReadFailed);
}

// The delegate stops the unpacking between entries and inside a large one:
// it is asked before each entry and each chunk, so the first entry takes two
// asks, and a 4 MiB entry more than one.
TEST(SSZipArchiveUnpacking, StopsWhenTheDelegateSaysSo) {
    ScratchFolder scratch;
    buildZip(scratch.path("in.zip"),
             "[('a.txt', 'a', 0o100644), ('b.txt', 'b', 0o100644), ('big.bin', b'z' * (4 << 20), 0o100644)]");
    struct StopAfter : Recorder {
        size_t asks = 0, stopAt = 0;
        bool zipArchiveShouldStop() override { return ++asks > stopAt; }
    };
    for (const size_t stopAt : {0u, 2u, 6u}) {
        SCOPED_TRACE(stopAt);
        StopAfter stopper;
        stopper.stopAt = stopAt;
        foundation::Error error;
        const std::string out = scratch.path("out" + std::to_string(stopAt));
        EXPECT_FALSE(SSZipArchive::unzipFileAtPath(scratch.path("in.zip"), out, true, "", &error, &stopper));
        EXPECT_EQ(error.code, kSSZipArchiveErrorStopped);
        EXPECT_EQ(stopper.finished, 0);
        EXPECT_EQ(fs::exists(out + "/a.txt"), stopAt > 0);
        EXPECT_LT(fs::exists(out + "/big.bin") ? fs::file_size(out + "/big.bin") : 0, uint64_t{4} << 20);
    }
}

TEST(SSZipArchiveHostile, ZipBombEndsAsStorageFull) {
    ScratchFolder scratch;
    buildZip(scratch.path("bomb.zip"), "[('zeros.bin', b'\\0' * (8 << 20), 0o100644)]");
    ASSERT_LT(fs::file_size(scratch.path("bomb.zip")), 100000u);
    SSZipArchive::setMaximumUnpackedSize(1 << 20);
    auto error = unzipExpectingFailure(scratch.path("bomb.zip"), scratch.path("out"));
    SSZipArchive::setMaximumUnpackedSize(std::nullopt);
    EXPECT_EQ(error.code, kSSZipArchiveErrorStorageFull);
    EXPECT_TRUE(foundation::isOutOfSpaceError(error)) << "callers tell a full device apart";
    EXPECT_FALSE(fs::exists(scratch.path("out/zeros.bin")));

    // A header that understates the size does not get past the cap either.
    auto patched = runPython(
        "import sys, struct\n"
        "p = sys.argv[1]\n"
        "d = bytearray(open(p, 'rb').read())\n"
        "c = d.find(b'PK\\x01\\x02')\n"
        "struct.pack_into('<I', d, c + 24, 1000)\n"
        "struct.pack_into('<I', d, 22, 1000)\n"
        "open(p, 'wb').write(d)\n",
        {scratch.path("bomb.zip")});
    ASSERT_EQ(patched.exitCode, 0) << patched.output;
    SSZipArchive::setMaximumUnpackedSize(1 << 20);
    foundation::Error lied;
    bool ok = SSZipArchive::unzipFileAtPath(scratch.path("bomb.zip"), scratch.path("out2"), true, "", &lied);
    SSZipArchive::setMaximumUnpackedSize(std::nullopt);
    EXPECT_FALSE(ok);
    if (fs::exists(scratch.path("out2/zeros.bin"))) {
        EXPECT_LE(fs::file_size(scratch.path("out2/zeros.bin")), uint64_t{1} << 20);
    }
}
