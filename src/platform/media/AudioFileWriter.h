#pragma once

// Writes sound into an AAC-LC file in an MPEG-4 audio container (.m4a), as
// recordings are kept. Samples go in as 32-bit floats, interleaved, in the
// range -1..1. The file is written under a temporary name beside the target
// and takes the target's name only when finish() succeeds, replacing a file
// of that name; a writer that is cancelled, fails or goes away unfinished
// removes what it wrote.
//
//     auto writer = media::AudioFileWriter::create(path, 44100, 1);
//     writer->append(samples, frames);   // as often as sound arrives
//     writer->finish();
//
// One thread at a time.

#include "platform/foundation/Error.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace media {

class AudioFileWriter {
public:
    // An error when the encoder refuses the format or the temporary file
    // cannot be made. A bit rate of 0 chooses one for the channel count.
    static foundation::Result<std::unique_ptr<AudioFileWriter>> create(const std::string& path, int sampleRate,
                                                                       int channelCount, int64_t bitRate = 0);
    ~AudioFileWriter();
    AudioFileWriter(const AudioFileWriter&) = delete;
    AudioFileWriter& operator=(const AudioFileWriter&) = delete;

    const std::string& path() const { return path_; }
    // Where the file grows until finish().
    const std::string& temporaryPath() const { return temporaryPath_; }
    int sampleRate() const { return sampleRate_; }
    int channelCount() const { return channelCount_; }
    int64_t framesAppended() const { return framesAppended_; }

    // Encodes and writes; an error (a full disk, say) leaves the writer
    // failed: later calls return the same error.
    foundation::Status append(const float* interleaved, size_t frames);
    // Writes what is left and the file's index, then renames the file into
    // place. On error the temporary file is removed.
    foundation::Status finish();
    // Stops and removes the temporary file.
    void cancel();

private:
    struct State;
    AudioFileWriter(std::string path, std::unique_ptr<State> state, int sampleRate, int channelCount);
    foundation::Status encodeBuffered(bool flush);
    foundation::Status fail(foundation::Error error);

    std::string path_;
    std::string temporaryPath_;
    std::unique_ptr<State> state_;
    int sampleRate_;
    int channelCount_;
    int64_t framesAppended_ = 0;
    // Planar samples waiting for a whole encoder frame, one vector per channel.
    std::vector<std::vector<float>> pending_;
    std::optional<foundation::Error> failure_;
    bool open_ = true;
};

}  // namespace media
