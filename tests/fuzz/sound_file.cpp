// Sound files the user imports or the music library hands over: opened by
// the media layer (its tracks from the headers) and decoded to the
// mixer's 44.1 kHz stereo floats, as the waveform and the mix read them, for
// at most a second of sound, then once more after a seek. FFmpeg reads from
// a file, so each input is written to the scratch folder first.

#include "FuzzTarget.h"

#include "platform/media/Asset.h"
#include "platform/media/AudioPcmReader.h"

#include <vector>

TOLLIVAR_FUZZ_TARGET(sound_file) {
    const std::string path = fuzzing::writeScratchFile("sound", data, size);
    auto asset = media::Asset::open(path);
    if (!asset.ok()) return 0;
    (void)asset->durationSeconds();
    const auto tracks = asset->tracksWithMediaType(media::MediaType::Audio);
    if (tracks.empty()) return 0;
    auto reader = media::AudioPcmReader::open(path, 44100, 2, tracks.front().trackID);
    if (!reader.ok()) return 0;
    std::vector<float> samples(2 * 4096);
    for (int64_t read = 0; read < 44100;) {
        auto frames = (*reader)->read(samples.data(), 4096);
        if (!frames.ok() || *frames == 0) break;
        read += *frames;
    }
    if ((*reader)->seek((*reader)->estimatedFrameCount() / 2).ok())
        (void)(*reader)->read(samples.data(), 4096);
    return 0;
}
