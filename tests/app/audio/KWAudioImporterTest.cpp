#include "app/audio/KWAudioImporter.h"
#include "support/TempAppFolders.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace fs = std::filesystem;

namespace {

void writeFile(const fs::path& path, const std::string& contents) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << contents;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

TEST(SharedAudioInbox, FileURLIsMovedInUnderItsOwnNameEscapesDecoded) {
    testsupport::TempAppFolders folders;
    fs::path source = fs::path(folders.temporary()) / "Voice memo 1.m4a";
    writeFile(source, "sound bytes");
    // No inbox yet: the import creates it.
    KWAudioImporter::importAudioFromFileURL("file://" + fs::path(folders.temporary()).string() +
                                            "/Voice%20memo%201.m4a");
    fs::path moved = fs::path(folders.documents()) / "shared-audio" / "Voice memo 1.m4a";
    EXPECT_EQ(readFile(moved), "sound bytes");
    EXPECT_FALSE(fs::exists(source));
}

TEST(SharedAudioInbox, ExistingNameIsNeverReplaced) {
    testsupport::TempAppFolders folders;
    fs::path inbox = fs::path(folders.documents()) / "shared-audio";
    writeFile(inbox / "clip.wav", "first");
    fs::path source = fs::path(folders.temporary()) / "clip.wav";
    writeFile(source, "second");
    KWAudioImporter::importAudioFromFileURL("file://" + source.string());
    EXPECT_EQ(readFile(inbox / "clip.wav"), "first");
    EXPECT_EQ(readFile(source), "second");  // nothing lost either
}
