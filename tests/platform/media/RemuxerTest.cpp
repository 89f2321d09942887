#include "platform/foundation/FileManager.h"
#include "platform/media/Asset.h"
#include "platform/media/MediaError.h"
#include "platform/media/Remuxer.h"
#include "support/TempAppFolders.h"
#include "support/TestFiles.h"
#include "support/TestSounds.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using media::Remuxer;
using media::RemuxFormat;

namespace {

// A 440 Hz tone made by ffmpeg, in the codec and file type given.
std::string tone(const std::string& extension, const std::string& codec, int channels = 1, double seconds = 2,
                 std::vector<std::string> options = {}) {
    std::string wave = "0.5*sin(2*PI*440*t)";
    options.insert(options.begin(), {"-c:a", codec});
    return testsupport::testSound(
        {channels == 2 ? wave + "|" + wave : wave, seconds, 44100, extension, std::move(options)});
}

std::string toneMP3() { return tone("mp3", "libmp3lame"); }
std::string toneM4A() { return tone("m4a", "aac"); }
std::string toneWAV() { return tone("wav", "pcm_s16le", 2); }
std::string toneAIF() { return tone("aif", "pcm_s16be"); }
std::string toneAIFF() { return tone("aiff", "pcm_s24be", 2); }

class RemuxerTest : public ::testing::Test {
protected:
    testsupport::TempAppFolders folders;
    std::string out(const std::string& name) const { return folders.temporary() + "/" + name; }
};

}  // namespace

TEST(RemuxerFormats, WhatEachContainerCanHold) {
    struct Case {
        RemuxFormat format;
        const char* codec;
        bool holds;
    } cases[] = {
        {RemuxFormat::RawPackets, "mp3", true},
        {RemuxFormat::RawPackets, "vorbis", true},
        {RemuxFormat::M4A, "aac", true},
        {RemuxFormat::M4A, "pcm_s16le", false},
        {RemuxFormat::Wave, "pcm_s16le", true},
        {RemuxFormat::Wave, "pcm_f32le", true},
        {RemuxFormat::Aiff, "pcm_s16be", true},
        {RemuxFormat::Aiff, "aac", false},
        {RemuxFormat::Wave, "no such codec", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Remuxer::canHold(c.format, c.codec), c.holds) << static_cast<int>(c.format) << " " << c.codec;
}

// The raw copy is exactly what ffmpeg writes for an MP3 stream with no
// header frame and no tags: the source's frames, nothing else.
TEST_F(RemuxerTest, RawMP3IsByteEqualToFFmpegsTaglessCopy) {
    std::string expected = out("expected.mp3");
    testsupport::ffmpegOutput(
        {"-i", toneMP3(), "-c", "copy", "-f", "mp3", "-write_xing", "0", "-id3v2_version", "0", expected});
    ASSERT_TRUE(Remuxer::copyTrack(toneMP3(), 0, RemuxFormat::RawPackets, out("copy.mp3")));
    std::string copy = testsupport::readFileBytes(out("copy.mp3"));
    ASSERT_GT(copy.size(), 10'000u);
    EXPECT_TRUE(copy == testsupport::readFileBytes(expected))
        << "sizes " << copy.size() << " and " << fs::file_size(expected);
    EXPECT_NE(copy, testsupport::readFileBytes(toneMP3()));  // the source's tag and header frame are gone
}

TEST_F(RemuxerTest, ContainersKeepEveryPacket) {
    struct Case {
        std::string source;
        RemuxFormat format;
        const char* name;
        const char* formatName;  // as ffprobe names the container read back
    } cases[] = {
        {toneM4A(), RemuxFormat::M4A, "copy.m4a", "mov,mp4,m4a,3gp,3g2,mj2"},
        {toneWAV(), RemuxFormat::Wave, "copy.wav", "wav"},
        {toneAIF(), RemuxFormat::Aiff, "copy.aif", "aiff"},
        {toneAIFF(), RemuxFormat::Aiff, "copy.aiff", "aiff"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto copied = Remuxer::copyTrack(c.source, 0, c.format, out(c.name));
        ASSERT_TRUE(copied) << copied.error().description;
        EXPECT_EQ(testsupport::audioPacketChecksums(out(c.name)), testsupport::audioPacketChecksums(c.source));
        auto asset = media::Asset::open(out(c.name));
        ASSERT_TRUE(asset);
        EXPECT_NEAR(asset->durationSeconds(), 2.0, 0.03);
    }
    // Nothing but the finished files: no temporary left behind.
    EXPECT_EQ(testsupport::namesInFolder(folders.temporary()),
              (std::vector<std::string>{"copy.aif", "copy.aiff", "copy.m4a", "copy.wav"}));
}

TEST_F(RemuxerTest, FailuresLeaveNoFileAndReplaceNothing) {
    testsupport::writeFileBytes(out("taken.wav"), "an earlier file");
    // Sources cut off at two thirds: their headers promise more than they hold.
    auto cutOff = [&](const std::string& name, const std::string& whole) {
        std::string bytes = testsupport::readFileBytes(whole);
        testsupport::writeFileBytes(out(name), bytes.substr(0, bytes.size() * 2 / 3));
        return out(name);
    };
    const std::string cutM4A = cutOff("cut.m4a", tone("m4a", "aac", 1, 20, {"-movflags", "+faststart"}));
    const std::string cutMP3 = cutOff("cut.mp3", tone("mp3", "libmp3lame", 1, 20));
    const std::string cutWAV = cutOff("cut.wav", tone("wav", "pcm_s16le", 1, 20));
    struct Case {
        const char* what;
        std::string source;
        int trackID;
        RemuxFormat format;
        const char* target;
        const char* domain;
        int64_t code;
    } cases[] = {
        {"existing target", toneWAV(), 0, RemuxFormat::Wave, "taken.wav", foundation::kCocoaErrorDomain,
         foundation::kFileWriteFileExistsError},
        {"PCM in QuickTime audio", toneWAV(), 0, RemuxFormat::M4A, "pcm.m4a", media::kMediaErrorDomain,
         media::kMediaErrorUnknown},
        {"no such track", toneWAV(), 3, RemuxFormat::Wave, "track.wav", media::kMediaErrorDomain,
         media::kMediaErrorFileFormatNotRecognized},
        {"not media", out("taken.wav"), 0, RemuxFormat::Wave, "text.wav", media::kMediaErrorDomain,
         media::kMediaErrorFileFailedToParse},
        {"cut-off QuickTime audio", cutM4A, 0, RemuxFormat::M4A, "short.m4a", media::kMediaErrorDomain,
         media::kMediaErrorFileFailedToParse},
        {"cut-off MP3", cutMP3, 0, RemuxFormat::RawPackets, "short.mp3", media::kMediaErrorDomain,
         media::kMediaErrorFileFailedToParse},
        {"cut-off WAVE", cutWAV, 0, RemuxFormat::Wave, "short.wav", media::kMediaErrorDomain,
         media::kMediaErrorFileFailedToParse},
        {"missing folder", toneWAV(), 0, RemuxFormat::Wave, "gone/x.wav", foundation::kCocoaErrorDomain,
         foundation::kFileNoSuchFileError},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto copied = Remuxer::copyTrack(c.source, c.trackID, c.format, out(c.target));
        ASSERT_FALSE(copied);
        EXPECT_EQ(copied.error().domain, c.domain);
        EXPECT_EQ(copied.error().code, c.code) << copied.error().description;
    }
    EXPECT_EQ(testsupport::readFileBytes(out("taken.wav")), "an earlier file");
    EXPECT_EQ(testsupport::namesInFolder(folders.temporary()),
              (std::vector<std::string>{"cut.m4a", "cut.mp3", "cut.wav", "taken.wav"}));
}
