// Build-time generator of the sounds the application ships:
//
//   make-sounds silence <file.m4a>   the silence the audio mix lays under every
//                                    movie, a little over five minutes
//   make-sounds music <folder>       the theme tunes, one .m4a each
//   make-sounds effects <folder>     the sound effects, one .m4a each
//
// Every sound is synthesised here and encoded as AAC in .m4a by the media
// layer's writer. A folder is filled beside its final place and swapped in
// whole. Exits with 1 and a message when anything cannot be made, so the
// build stops instead of shipping a broken resource.

#include "Synth.h"
#include "Tunes.h"
#include "platform/media/AudioFileWriter.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The audio mix asks for the first 300 s; the rest is margin.
constexpr double kSilenceSeconds = 305;
// Nothing of silence is lost at a lower rate, and it encodes in half the time.
constexpr int kSilenceSampleRate = 22050;

int fail(const std::string& message) {
    std::fprintf(stderr, "make-sounds: %s\n", message.c_str());
    return 1;
}

foundation::Status write(const fs::path& file, const std::vector<float>& samples, int sampleRate) {
    auto writer = media::AudioFileWriter::create(file.string(), sampleRate, 1);
    if (!writer) return writer.error();
    constexpr size_t kChunk = 8192;
    for (size_t at = 0; at < samples.size(); at += kChunk) {
        const size_t frames = std::min(kChunk, samples.size() - at);
        if (auto appended = (*writer)->append(samples.data() + at, frames); !appended) return appended;
    }
    return (*writer)->finish();
}

int makeSilence(const fs::path& file) {
    std::error_code ignored;
    fs::create_directories(file.parent_path(), ignored);
    std::vector<float> silence(static_cast<size_t>(kSilenceSeconds * kSilenceSampleRate), 0.0f);
    if (auto written = write(file, silence, kSilenceSampleRate); !written) return fail(written.error().description);
    return 0;
}

int makeFolder(const fs::path& folder, std::vector<sounds::NamedSound> sounds) {
    const fs::path partial = folder.string() + ".partial";
    std::error_code error;
    fs::remove_all(partial, error);
    if (!fs::create_directories(partial, error)) return fail("cannot create " + partial.string());
    for (sounds::NamedSound& sound : sounds) {
        auto written = write(partial / (sound.name + ".m4a"), sound.track.samples(), sounds::kSampleRate);
        if (!written) return fail(written.error().description);
    }
    fs::remove_all(folder, error);
    fs::rename(partial, folder, error);
    if (error) return fail("cannot move " + partial.string() + " into place: " + error.message());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return fail("usage: make-sounds silence <file.m4a> | music <folder> | effects <folder>");
    const std::string what = argv[1];
    const fs::path target = argv[2];
    if (what == "silence") return makeSilence(target);
    if (what == "music") return makeFolder(target, sounds::themeTunes());
    if (what == "effects") return makeFolder(target, sounds::soundEffects());
    return fail("unknown kind of sound: " + what);
}
