// Conversion of ffmpeg-made sounds into project audio files: the outcome's
// status, error, file name and bytes, and what a failure leaves behind.

#include "app/audio/KWAudioExporter.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/RunLoop.h"
#include "platform/media/MediaError.h"
#include "support/TempAppFolders.h"
#include "support/TestFiles.h"
#include "support/TestMovies.h"
#include "support/TestSounds.h"
#include "support/VirtualClock.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <regex>

namespace fs = std::filesystem;

namespace {

std::string sound(const std::string& extension, std::vector<std::string> options, int channels = 1) {
    std::string wave = "0.4*sin(2*PI*523*t)";
    return testsupport::testSound({channels == 2 ? wave + "|" + wave : wave, 1.5, 44100, extension, options});
}

// A copy of `from` under the name `name`, for sources whose extension matters.
std::string copyNamed(const std::string& from, const std::string& folder, const std::string& name) {
    fs::create_directories(folder);
    fs::path to = fs::path(folder) / name;
    fs::copy_file(from, to, fs::copy_options::overwrite_existing);
    return to.string();
}

struct Outcome {
    std::optional<std::string> url;
    int64_t status = -1;
    std::optional<foundation::Error> error;
    bool onMainThread = true;
};

class ExporterTest : public ::testing::Test {
protected:
    // Runs a conversion into the project folder and waits for its handler
    // on the run loop (virtual clock: no waiting in real time beyond the work).
    Outcome convert(const std::string& source) {
        auto exporter = KWAudioExporter::create();
        std::optional<Outcome> outcome;
        exporter->exportFileAtAssetURL("file://" + source, target, [&, exporter](std::optional<std::string> url) {
            Outcome seen{url, exporter->status(), exporter->error(), foundation::RunLoop::isMainThread()};
            foundation::DispatchQueue::main().async([&outcome, seen] { outcome = seen; });
        });
        EXPECT_TRUE(foundation::RunLoop::main().runUntil([&] { return outcome.has_value(); }, 60));
        return outcome.value_or(Outcome{});
    }

    testsupport::VirtualClockScope clock;
    testsupport::TempAppFolders folders;
    const std::string target = folders.documents() + "/project";
    const std::string sources = folders.temporary() + "/sources";
    void SetUp() override { fs::create_directories(target); }
};

const std::regex kConvertedName(
    "audio-[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\.(mp3|m4a|wav|aif|aiff)");

}  // namespace

TEST_F(ExporterTest, MP3BecomesItsBareFramesAsFFmpegCopiesThem) {
    const std::string mp3 = sound("mp3", {"-c:a", "libmp3lame", "-b:a", "128k"});
    // Cover art, as a music library's songs carry it, is no track to convert.
    const std::string withCover = sources + "/cover.mp3";
    fs::create_directories(sources);
    testsupport::ffmpegOutput({"-i", mp3, "-f", "lavfi", "-i", "color=c=red:s=32x32:d=1", "-map", "0", "-map", "1",
                               "-frames:v", "1", "-c:a", "copy", "-c:v", "png", "-disposition:v", "attached_pic",
                               withCover});
    for (const std::string& source : {mp3, withCover}) {
        SCOPED_TRACE(source);
        const std::string expected = folders.temporary() + "/expected.mp3";
        testsupport::ffmpegOutput({"-i", source, "-map", "0:a", "-c", "copy", "-f", "mp3", "-write_xing", "0",
                                   "-id3v2_version", "0", expected});
        Outcome outcome = convert(source);
        ASSERT_TRUE(outcome.url);
        EXPECT_EQ(outcome.status, KWAudioExporter::kStatusDone);
        EXPECT_FALSE(outcome.error);
        EXPECT_FALSE(outcome.onMainThread);
        ASSERT_TRUE(outcome.url->starts_with("file://" + target + "/"));
        const fs::path file = outcome.url->substr(7);
        EXPECT_TRUE(std::regex_match(file.filename().string(), kConvertedName)) << file;
        EXPECT_EQ(file.extension(), ".mp3");
        EXPECT_TRUE(testsupport::readFileBytes(file) == testsupport::readFileBytes(expected))
            << fs::file_size(file) << " vs " << fs::file_size(expected);
        fs::remove(expected);
    }
    EXPECT_EQ(testsupport::namesInFolder(target).size(), 2u);
}

TEST_F(ExporterTest, AACAndPCMAreRewrappedKeepingTheirPackets) {
    struct Case {
        std::string source;
        const char* extension;
    } cases[] = {
        {sound("m4a", {"-c:a", "aac"}), ".m4a"},
        {sound("wav", {"-c:a", "pcm_s16le"}, 2), ".wav"},
        {sound("aif", {"-c:a", "pcm_s16be"}), ".aif"},
        {sound("aiff", {"-c:a", "pcm_s24be"}, 2), ".aiff"},
        {copyNamed(sound("wav", {"-c:a", "pcm_s16le"}, 2), sources, "LOUD.WAV"), ".wav"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        Outcome outcome = convert(c.source);
        ASSERT_TRUE(outcome.url) << (outcome.error ? outcome.error->description : "");
        EXPECT_EQ(outcome.status, KWAudioExporter::kStatusDone);
        const fs::path file = outcome.url->substr(7);
        EXPECT_EQ(file.parent_path(), fs::path(target));
        EXPECT_TRUE(std::regex_match(file.filename().string(), kConvertedName)) << file;
        EXPECT_EQ(file.extension(), c.extension);
        EXPECT_EQ(testsupport::audioPacketChecksums(file), testsupport::audioPacketChecksums(c.source));
    }
}

TEST_F(ExporterTest, RefusedSourcesFailWithTheirCodeAndLeaveNothing) {
    fs::create_directories(sources);
    testsupport::writeFileBytes(sources + "/empty.m4a", "");
    testsupport::writeFileBytes(sources + "/list.mp3", "eggs, milk, flour\n");
    const std::string localized = "The media format is unsupported.";
    struct Case {
        const char* what;
        std::string source;
        int64_t code;
        const char* text;
    } cases[] = {
        {"AAC named .mp4", copyNamed(sound("m4a", {"-c:a", "aac"}), sources, "song.mp4"), 187,
         "The media format is unsupported."},
        {"PCM named .caf", copyNamed(sound("wav", {"-c:a", "pcm_s16le"}), sources, "song.caf"), 187,
         "The media format is unsupported."},
        {"video only", testsupport::testMovie(testsupport::TestMovie::HalfSecond), 69, localized.c_str()},
        {"Vorbis", sound("ogg", {"-c:a", "libvorbis"}), 69, localized.c_str()},
        {"FLAC", sound("flac", {"-c:a", "flac"}), 69, localized.c_str()},
        {"empty file", sources + "/empty.m4a", 89, "The file is not valid media."},
        {"not media", sources + "/list.mp3", 89, "The file is not valid media."},
        {"missing file", sources + "/gone.mp3", 89, "The file is not valid media."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Outcome outcome = convert(c.source);
        EXPECT_FALSE(outcome.url);
        EXPECT_EQ(outcome.status, KWAudioExporter::kStatusFailed);
        ASSERT_TRUE(outcome.error);
        EXPECT_EQ(outcome.error->domain, "AudioExporter");
        EXPECT_EQ(outcome.error->code, c.code);
        EXPECT_EQ(outcome.error->description, c.text);
    }
    EXPECT_TRUE(testsupport::namesInFolder(target).empty());
}

TEST_F(ExporterTest, DamagedSourcesFailWithoutAFileOrAURL) {
    fs::create_directories(sources);
    for (const char* extension : {"mp3", "m4a"}) {
        SCOPED_TRACE(extension);
        std::vector<std::string> options = {"-c:a", extension == std::string("mp3") ? "libmp3lame" : "aac"};
        if (extension == std::string("m4a")) options.insert(options.end(), {"-movflags", "+faststart"});
        const std::string whole =
            testsupport::readFileBytes(testsupport::testSound({"0.4*sin(2*PI*523*t)", 20, 44100, extension, options}));
        const std::string cut = sources + "/cut." + extension;
        testsupport::writeFileBytes(cut, whole.substr(0, whole.size() / 2));
        Outcome outcome = convert(cut);
        EXPECT_FALSE(outcome.url);
        EXPECT_EQ(outcome.status, KWAudioExporter::kStatusFailed);
        ASSERT_TRUE(outcome.error);
        EXPECT_EQ(outcome.error->domain, media::kMediaErrorDomain);
    }
    EXPECT_TRUE(testsupport::namesInFolder(target).empty());
}

// A full and a read-only project device, each a small file system of a
// child process's own. The child runs the conversions on its own thread,
// as the background queue would.
TEST_F(ExporterTest, FullOrReadOnlyDevicesFailWithStatusOneAndNoFile) {
    const std::string wav = sound("wav", {"-c:a", "pcm_s16le"}, 2);
    const std::string mp3 = testsupport::testSound({"0.4*sin(2*PI*523*t)", 30, 44100, "mp3", {"-c:a", "libmp3lame"}});
    struct Case {
        const char* what;
        bool readOnly;
        int64_t code;
    } cases[] = {
        {"full", false, foundation::kFileWriteOutOfSpaceError},
        {"read-only", true, foundation::kFileWriteVolumeReadOnlyError},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int code = testsupport::onPrivateDevice(target, 64, c.readOnly, [&] {
            auto exporter = KWAudioExporter::create();
            bool called = false;
            std::optional<std::string> url;
            exporter->exportAAC(wav, target, [&](std::optional<std::string> given) {
                called = true;
                url = given;
            });
            if (!called || url || exporter->status() != KWAudioExporter::kStatusFailed) return 10;
            if (!exporter->error() || exporter->error()->code != c.code) return 11;
            foundation::Status copied = exporter->exportMP3(mp3, target + "/copy.mp3");
            if (copied || copied.error().code != c.code) return 12;
            return testsupport::namesInFolder(target).empty() ? 0 : 13;
        });
        if (code == testsupport::kNoPrivateDevice) GTEST_SKIP() << "cannot mount a private file system here";
        EXPECT_EQ(code, 0) << "child check failed with code " << code;
    }
}
