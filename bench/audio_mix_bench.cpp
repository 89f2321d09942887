// The offline mix of a project's sound: 20 clips (MP3, AAC, WAV; 22.05 to
// 48 kHz; mono and stereo) placed over 5 minutes, each trimmed, delayed and
// at its own volume, mixed into a 16-bit 44.1 kHz stereo WAV by the mix
// reader, against the ffmpeg command doing the same (each run in turn with ours) with `atrim`, `adelay`,
// `volume` and `amix=normalize=0` (mono in both channels at full level).
// Prints both times, their ratio and the RMS difference of the two outputs.

#include "BenchSupport.h"
#include "platform/media/AudioMixReader.h"
#include "support/RunFolder.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kClips = 20;
constexpr int64_t kMovieMs = 300000;
constexpr int kRate = media::AudioMixReader::kSampleRate;
constexpr int kRuns = 3;
constexpr double kTarget = 1.0;
constexpr double kDifferenceTarget = -60.0;  // dBFS RMS

struct Clip {
    std::string path;
    bool mono;
    int64_t sourceStartMs;
    int64_t placeMs;
    int64_t durationMs;
    float volume;
};

std::vector<Clip> makeClips(const fs::path& root) {
    const char* extensions[] = {"mp3", "m4a", "wav"};
    const int rates[] = {22050, 32000, 44100, 48000};
    std::vector<Clip> clips;
    for (int i = 0; i < kClips; ++i) {
        Clip clip;
        const std::string extension = extensions[i % 3];
        const int rate = rates[i % 4];
        clip.mono = i % 2 == 0;
        clip.path = (root / ("clip-" + std::to_string(i) + "." + extension)).string();
        // A chord that moves, so a shift of one sample would show.
        const double base = 110.0 * (1 + i % 7);
        char left[160];
        std::snprintf(left, sizeof left, "0.2*sin(2*PI*%.1f*t)*(0.6+0.4*sin(2*PI*0.5*t))+0.1*sin(2*PI*%.1f*t)", base,
                      base * 2.5);
        std::string expression = left;
        if (!clip.mono) expression += "|0.25*sin(2*PI*" + std::to_string(base * 1.5) + "*t)";
        const int seconds = 30 + (i * 7) % 30;
        if (!bench::runCommand(
                {"ffmpeg", "-v", "error", "-nostdin", "-y", "-f", "lavfi", "-i",
                 "aevalsrc='" + expression + "':s=" + std::to_string(rate) + ":d=" + std::to_string(seconds),
                 clip.path}))
            return {};
        clip.sourceStartMs = (i * 1300) % 6000;
        clip.placeMs = i * 14000 + (i * 37) % 1000;
        clip.durationMs = std::min<int64_t>(20000 + (i * 3100) % 9000, seconds * 1000 - clip.sourceStartMs);
        clip.volume = 0.3f + 0.7f * static_cast<float>((i * 5) % 10) / 10.0f;
        clips.push_back(clip);
    }
    return clips;
}

void writeWavHeader(std::ofstream& out, uint32_t dataBytes) {
    auto u32 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out.write("RIFF", 4);
    u32(36 + dataBytes);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(2);
    u32(kRate);
    u32(kRate * 4);
    u16(4);
    u16(16);
    out.write("data", 4);
    u32(dataBytes);
}

bool mixOurs(const std::vector<Clip>& clips, const std::string& out) {
    media::Composition composition;
    std::vector<media::AudioMixInputParameters> parameters;
    auto ms = [](int64_t value) { return media::MediaTime::make(value, 1000); };
    for (const Clip& clip : clips) {
        auto asset = media::Asset::open(clip.path);
        if (!asset) return false;
        auto& track = composition.addMutableTrack(media::MediaType::Audio);
        if (!track.insertTimeRange(media::TimeRange::make(ms(clip.sourceStartMs), ms(clip.durationMs)), *asset,
                                   asset->tracksWithMediaType(media::MediaType::Audio).at(0), ms(clip.placeMs)))
            return false;
        parameters.emplace_back(track.trackID());
        parameters.back().setVolume(clip.volume, ms(clip.placeMs));
    }
    // The movie's length, as the project's silence gives it.
    (void)composition.addMutableTrack(media::MediaType::Audio)
        .insertEmptyTimeRange(media::TimeRange::make(ms(0), ms(kMovieMs)));
    media::AudioMix mix(parameters);
    media::AudioMixReader reader(composition, &mix);
    std::ofstream file(out, std::ios::binary);
    writeWavHeader(file, static_cast<uint32_t>(reader.frameCount() * 4));
    std::vector<int16_t> chunk(2 * 8192);
    for (int64_t frame = 0; frame < reader.frameCount(); frame += 8192) {
        const size_t got = reader.read(frame, chunk.data(), 8192);
        file.write(reinterpret_cast<const char*>(chunk.data()), static_cast<std::streamsize>(got * 4));
    }
    return file.good() && !reader.sourceError();
}

std::vector<std::string> ffmpegMixCommand(const std::vector<Clip>& clips, const std::string& out) {
    std::vector<std::string> argv = {"ffmpeg", "-v", "error", "-nostdin", "-y"};
    std::string graph;
    for (size_t i = 0; i < clips.size(); ++i) {
        const Clip& clip = clips[i];
        argv.insert(argv.end(), {"-i", clip.path});
        // Frames as the mix reader places them: floor(ms × 44.1).
        const int64_t start = clip.sourceStartMs * 441 / 10;
        const int64_t length = (clip.placeMs + clip.durationMs) * 441 / 10 - clip.placeMs * 441 / 10;
        const int64_t delay = clip.placeMs * 441 / 10;
        graph += "[" + std::to_string(i) + ":a]aresample=44100," +
                 (clip.mono ? "pan=stereo|c0=c0|c1=c0," : "aformat=channel_layouts=stereo,") +
                 "atrim=start_sample=" + std::to_string(start) + ":end_sample=" + std::to_string(start + length) +
                 ",asetpts=PTS-STARTPTS,adelay=delays=" + std::to_string(delay) +
                 "S:all=1,volume=" + std::to_string(clip.volume) + "[a" + std::to_string(i) + "];";
    }
    for (size_t i = 0; i < clips.size(); ++i) graph += "[a" + std::to_string(i) + "]";
    graph += "amix=inputs=" + std::to_string(clips.size()) +
             ":normalize=0:duration=longest,apad=whole_len=" + std::to_string(kMovieMs * 441 / 10) +
             ",atrim=end_sample=" + std::to_string(kMovieMs * 441 / 10);
    argv.insert(argv.end(), {"-filter_complex", graph, "-c:a", "pcm_s16le", "-ar", "44100", out});
    return argv;
}

// 16-bit samples of a WAV's data chunk.
std::vector<int16_t> wavSamples(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    size_t at = 12;
    while (at + 8 <= bytes.size()) {
        uint32_t size = 0;
        std::memcpy(&size, bytes.data() + at + 4, 4);
        if (bytes.compare(at, 4, "data") == 0) {
            std::vector<int16_t> samples(std::min<size_t>(size, bytes.size() - at - 8) / 2);
            std::memcpy(samples.data(), bytes.data() + at + 8, samples.size() * 2);
            return samples;
        }
        at += 8 + size + (size & 1);
    }
    return {};
}

}  // namespace

int main() {
    static const testsupport::RunFolder scratch("tollivar-audio-mix-bench");
    const fs::path root = scratch.path();
    const std::vector<Clip> clips = makeClips(root);
    if (clips.size() != kClips) {
        std::fprintf(stderr, "ffmpeg could not make the clips\n");
        return 1;
    }
    const std::string ours = (root / "ours.wav").string();
    const std::string reference = (root / "reference.wav").string();
    const auto times = bench::compare(kRuns, bench::timed([&] { return mixOurs(clips, ours); }),
                                      bench::program([&] { return ffmpegMixCommand(clips, reference); }));

    const auto a = wavSamples(ours);
    const auto b = wavSamples(reference);
    double squares = 0;
    const size_t count = std::min(a.size(), b.size());
    for (size_t i = 0; i < count; ++i) squares += std::pow(double(a[i]) - double(b[i]), 2);
    const double rms = count ? std::sqrt(squares / double(count)) : 32768;
    const double dbfs = rms > 0 ? 20 * std::log10(rms / 32768) : -std::numeric_limits<double>::infinity();

    std::printf("audio mix, %d clips over %lld s into a 44.1 kHz stereo WAV: %zu and %zu samples\n", kClips,
                static_cast<long long>(kMovieMs / 1000), a.size(), b.size());
    std::printf("  output difference: %.1f dBFS RMS (target <= %.0f)\n", dbfs, kDifferenceTarget);
    const bool fast = bench::report("audio mix vs ffmpeg amix", times, bench::Target::atMost(kTarget));
    return fast && dbfs <= kDifferenceTarget && a.size() == b.size() ? 0 : 1;
}
