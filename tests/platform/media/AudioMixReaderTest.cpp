#include "platform/media/AudioMixReader.h"
#include "platform/media/AudioPcmReader.h"
#include "platform/media/MediaError.h"
#include "support/HostileFiles.h"
#include "support/Process.h"
#include "support/TestSounds.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

namespace {

using media::MediaTime;
using media::TimeRange;

MediaTime ms(int64_t value) { return MediaTime::make(value, 1000); }
TimeRange range(int64_t start, int64_t duration) { return TimeRange::make(ms(start), ms(duration)); }

std::vector<float> readAll(media::AudioPcmReader& reader) {
    std::vector<float> samples;
    std::vector<float> chunk(1000 * reader.channelCount());
    for (;;) {
        auto got = reader.read(chunk.data(), 1000);
        EXPECT_TRUE(got.ok());
        if (!got.ok() || *got == 0) break;
        samples.insert(samples.end(), chunk.begin(), chunk.begin() + *got * reader.channelCount());
    }
    return samples;
}

// The ffmpeg command's decode of a file at 44.1 kHz stereo, a mono source in
// both channels at full level.
std::vector<float> ffmpegDecode(const std::string& path, bool mono) {
    const std::string out = std::filesystem::temp_directory_path() / ("tollivar-reference-" + std::to_string(getpid()));
    const std::string filter = mono ? "aresample=44100,pan=stereo|c0=c0|c1=c0" : "aresample=44100";
    auto result = testsupport::runProcess({"ffmpeg", "-hide_banner", "-loglevel", "error", "-nostdin", "-y", "-i", path,
                                           "-af", filter, "-f", "f32le", "-c:a", "pcm_f32le", out});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    std::ifstream in(out, std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::filesystem::remove(out);
    std::vector<float> samples(bytes.size() / sizeof(float));
    std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(float));
    return samples;
}

float largestDifference(const std::vector<float>& a, const std::vector<float>& b, size_t from, size_t count) {
    float largest = 0;
    for (size_t i = from; i < from + count && i < a.size() && i < b.size(); ++i)
        largest = std::max(largest, std::fabs(a[i] - b[i]));
    return largest;
}

struct Source {
    const char* name;
    testsupport::TestSound sound;
    bool mono;
};

const std::string kChord = "0.3*sin(2*PI*440*t)+0.2*sin(2*PI*1250*t)";
const Source kSources[] = {
    {"wav 44.1 kHz mono", {kChord, 4.0, 44100, "wav"}, true},
    {"wav 48 kHz stereo", {kChord + "|0.4*sin(2*PI*330*t)", 4.0, 48000, "wav"}, false},
    {"mp3 22.05 kHz mono", {kChord, 4.0, 22050, "mp3"}, true},
    {"aac 32 kHz stereo", {kChord + "|0.4*sin(2*PI*330*t)", 4.0, 32000, "m4a"}, false},
};

TEST(AudioPcmReader, DecodesLikeTheFFmpegCommandAndSeeksOntoTheSameSamples) {
    for (const Source& source : kSources) {
        SCOPED_TRACE(source.name);
        const std::string path = testsupport::testSound(source.sound);
        auto reader = media::AudioPcmReader::open(path, 44100, 2);
        ASSERT_TRUE(reader.ok()) << reader.error().description;
        EXPECT_EQ((*reader)->sourceSampleRate(), source.sound.sampleRate);
        EXPECT_EQ((*reader)->sourceChannelCount(), source.mono ? 1 : 2);
        EXPECT_NEAR((*reader)->estimatedFrameCount(), 4 * 44100, 4410);
        const std::vector<float> whole = readAll(**reader);
        const std::vector<float> reference = ffmpegDecode(path, source.mono);
        EXPECT_NEAR(static_cast<double>(whole.size()), static_cast<double>(reference.size()), 2 * 64.0);
        EXPECT_LT(largestDifference(whole, reference, 0, whole.size()), 1e-4f);

        // Seeks anywhere, backwards too, land on the samples of the whole read.
        for (int64_t frame : {44100 * 3, 100, 70001, 44100 * 2 + 17, 0, 150000}) {
            ASSERT_TRUE((*reader)->seek(frame));
            std::vector<float> piece(2 * 2000);
            auto got = (*reader)->read(piece.data(), 2000);
            ASSERT_TRUE(got.ok());
            ASSERT_EQ(*got, 2000);
            EXPECT_EQ((*reader)->position(), frame + 2000);
            std::vector<float> expected(whole.begin() + 2 * frame, whole.begin() + 2 * (frame + 2000));
            // Lossy decoders restart from a flushed state: their first frames
            // may differ a little (< -40 dBFS); PCM comes back exactly.
            const float tolerance = source.sound.extension == "wav" ? 1e-6f : 1e-2f;
            EXPECT_LT(largestDifference(piece, expected, 0, piece.size()), tolerance) << "at " << frame;
        }
    }
}

TEST(AudioPcmReader, RefusesWhatHoldsNoSound) {
    const std::string text = std::filesystem::temp_directory_path() / "tollivar-not-a-sound.wav";
    std::ofstream(text) << "RIFF but no sound";
    for (const std::string& path : {text, std::string("/nonexistent/file.wav")}) {
        auto reader = media::AudioPcmReader::open(path, 44100, 2);
        EXPECT_FALSE(reader.ok()) << path;
    }
    // Nor is anything but a regular file, and none is waited on.
    testsupport::expectNoneRead(text, [&] { return media::AudioPcmReader::open(text, 44100, 2).ok(); });
    std::filesystem::remove(text);
    EXPECT_FALSE(media::AudioPcmReader::open(testsupport::testSound({"0.1", 1.0}), 44100, 3).ok());
    EXPECT_FALSE(media::AudioPcmReader::open(testsupport::testSound({"0.1", 1.0}), 0, 2).ok());
}

// A mix of WAV sources placed by (source start, place, duration) in ms, at a volume.
struct Placed {
    std::string path;
    int64_t sourceStart;
    int64_t at;
    int64_t duration;
    float volume;
};

std::unique_ptr<media::AudioMixReader> mixReader(const std::vector<Placed>& clips) {
    media::Composition composition;
    std::vector<media::AudioMixInputParameters> parameters;
    for (const Placed& clip : clips) {
        auto& track = composition.addMutableTrack(media::MediaType::Audio);
        auto asset = media::Asset::open(clip.path);
        EXPECT_TRUE(asset.ok()) << clip.path;
        if (!asset.ok()) continue;
        const auto source = asset->tracksWithMediaType(media::MediaType::Audio).at(0);
        EXPECT_TRUE(track.insertTimeRange(range(clip.sourceStart, clip.duration), *asset, source, ms(clip.at)));
        parameters.emplace_back(track.trackID());
        parameters.back().setVolume(clip.volume, ms(clip.at));
    }
    media::AudioMix audioMix(parameters);
    return std::make_unique<media::AudioMixReader>(composition, &audioMix);
}

std::vector<int16_t> mix(media::AudioMixReader& reader, int64_t firstFrame, int64_t frames) {
    std::vector<int16_t> samples(2 * frames, 1);
    const size_t inside = reader.read(firstFrame, samples.data(), frames);
    const int64_t expected = std::clamp<int64_t>(reader.frameCount() - firstFrame, 0, frames);
    EXPECT_EQ(static_cast<int64_t>(inside), expected) << "from " << firstFrame;
    return samples;
}

TEST(AudioMixReader, PlacesSumsScalesAndSaturates) {
    const std::string quarter = testsupport::testSound({"0.25", 3.0});
    const std::string ramp = testsupport::testSound({"t/4", 4.0});  // value tells the source time
    const std::string loud = testsupport::testSound({"0.8", 1.0});
    const std::string quiet = testsupport::testSound({"-0.8", 1.0});
    const std::string stereo = testsupport::testSound({"0.125|-0.375", 1.0});
    struct Case {
        const char* name;
        std::vector<Placed> clips;
        int64_t frame;  // one frame read
        int16_t left;
        int16_t right;
    };
    const Case cases[] = {
        {"mono at full level in both channels", {{quarter, 0, 0, 2000, 1.0f}}, 22050, 8192, 8192},
        {"stereo keeps its channels", {{stereo, 0, 0, 1000, 1.0f}}, 100, 4096, -12288},
        {"volume scales", {{quarter, 0, 0, 2000, 0.5f}}, 22050, 4096, 4096},
        {"sums overlap", {{quarter, 0, 0, 2000, 1.0f}, {quarter, 0, 1000, 2000, 1.0f}}, 66150, 16384, 16384},
        {"saturates up", {{loud, 0, 0, 1000, 1.0f}, {loud, 0, 0, 1000, 1.0f}}, 500, 32767, 32767},
        {"saturates down", {{quiet, 0, 0, 1000, 1.0f}, {quiet, 0, 0, 1000, 1.0f}}, 500, -32768, -32768},
        {"before its place it is silent", {{quarter, 0, 583, 1000, 1.0f}}, 25709, 0, 0},
        {"starts at floor(ms × 44.1)", {{quarter, 0, 583, 1000, 1.0f}}, 25710, 8192, 8192},
        {"ends at floor(end × 44.1)", {{quarter, 0, 583, 1000, 1.0f}}, 69809, 8192, 8192},
        {"silent after its end", {{quarter, 0, 583, 1000, 1.0f}}, 69810, 0, 0},
        // The ramp says where in the source the frame comes from: t/4 × 32768 = t × 8192.
        {"plays its source from the source start", {{ramp, 2000, 1000, 1000, 1.0f}}, 44100, 16384, 16384},
        {"source shorter than its range: silence after", {{loud, 0, 0, 3000, 1.0f}}, 88200, 0, 0},
    };
    for (const Case& c : cases) {
        auto samples = mix(*mixReader(c.clips), c.frame, 1);
        EXPECT_EQ(samples[0], c.left) << c.name;
        EXPECT_EQ(samples[1], c.right) << c.name;
    }
}

TEST(AudioMixReader, LengthRangesAndReadOrderDoNotChangeTheSound) {
    const std::string tone = testsupport::testSound({kChord, 3.0, 48000, "mp3"});
    const std::string quarter = testsupport::testSound({"0.25", 3.0});
    const std::vector<Placed> clips = {{tone, 500, 100, 2000, 0.7f}, {quarter, 0, 400, 183, 1.0f}};
    auto reader = mixReader(clips);
    EXPECT_EQ(reader->frameCount(), 92610);  // 2,100 ms
    EXPECT_DOUBLE_EQ(reader->durationSeconds(), 2.1);
    EXPECT_EQ(reader->sampleRate(), 44100);
    EXPECT_EQ(reader->channelCount(), 2);
    const auto whole = mix(*reader, 0, reader->frameCount());
    EXPECT_FALSE(reader->sourceError());

    // The same reader, read backwards, in pieces, from before the start and past the end.
    const auto late = mix(*reader, 60000, 710);
    const auto early = mix(*reader, -100, 5000);
    const auto past = mix(*reader, reader->frameCount() - 5, 10);
    for (int i = 0; i < 2 * 710; ++i) ASSERT_EQ(late[i], whole[2 * 60000 + i]) << i;
    for (int i = 0; i < 200; ++i) ASSERT_EQ(early[i], 0) << i;
    for (int i = 200; i < 2 * 5000; ++i) ASSERT_EQ(early[i], whole[i - 200]) << i;
    for (int i = 0; i < 10; ++i) EXPECT_EQ(past[i], whole[2 * (reader->frameCount() - 5) + i]) << i;
    for (int i = 10; i < 20; ++i) EXPECT_EQ(past[i], 0) << i;
}

TEST(AudioMixReader, ASourceGoneAfterPlacingIsSilenceAndReported) {
    const std::string copy =
        std::filesystem::temp_directory_path() / ("tollivar-gone-" + std::to_string(getpid()) + ".wav");
    std::filesystem::copy_file(testsupport::testSound({"0.25", 1.0}), copy,
                               std::filesystem::copy_options::overwrite_existing);
    auto reader = mixReader({{copy, 0, 0, 1000, 1.0f}, {testsupport::testSound({"0.5", 1.0}), 0, 0, 1000, 1.0f}});
    std::filesystem::remove(copy);
    const auto samples = mix(*reader, 100, 1);
    EXPECT_EQ(samples[0], 16384);  // the other clip alone
    ASSERT_TRUE(reader->sourceError());
    EXPECT_EQ(reader->sourceError()->domain, media::kMediaErrorDomain);
}

TEST(AudioMixReader, SaturationRoundsToNearestAndClampsBothWays) {
    struct Case {
        float in;
        int16_t out;
    };
    const Case cases[] = {{0.0f, 0},     {0.25f, 8192},   {-0.5f, -16384},   {1.0f, 32767},      {-1.0f, -32768},
                          {1.6f, 32767}, {-1.6f, -32768}, {1.5f / 32768, 2}, {-0.4f / 32768, 0}, {NAN, -32768}};
    for (const Case& c : cases) EXPECT_EQ(media::saturatedSample(c.in), c.out) << c.in;
}

}  // namespace
