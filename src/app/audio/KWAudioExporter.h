#pragma once

// Converts a sound (a music-library item, any media file) into a new audio
// file of a project directory without decoding it: MP3 becomes a plain .mp3
// of its frames ("audio-<UUID>.mp3"); AAC in QuickTime audio and PCM in
// WAVE or AIFF are re-wrapped into a file of the source's type
// ("audio-<UUID>.m4a", ".wav", ".aif", ".aiff"). The work runs on a
// background queue; the caller reads `status` and `error` in the completion
// handler, which runs there too.
//
// A failed conversion is status 1 with its error, leaves no file and hands
// out no URL.

#include "platform/foundation/Error.h"
#include "platform/foundation/Locked.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class KWAudioExporter : public std::enable_shared_from_this<KWAudioExporter> {
    struct Passkey {};

public:
    static constexpr const char* kErrorDomain = "AudioExporter";
    // The source holds no track at all (also: it is no media file, or empty).
    static constexpr int64_t kErrorNotMedia = 89;
    // The first track is no sound, or a sound in a codec other than MP3,
    // AAC or PCM.
    static constexpr int64_t kErrorUnsupportedFormat = 69;
    // AAC or PCM in a file whose extension is none of "m4a", "wav", "aif",
    // "aiff", or whose container cannot hold the codec.
    static constexpr int64_t kErrorUnsupportedContainer = 187;

    static constexpr int64_t kStatusDone = 0;
    static constexpr int64_t kStatusFailed = 1;
    static constexpr int64_t kStatusRunning = 2;

    // The file URL ("file://" and the path) of the new file, or none.
    using CompletionHandler = std::function<void(std::optional<std::string> fileURL)>;

    // The exporter lives on until its completion handler has run, whether
    // or not the caller keeps it.
    static std::shared_ptr<KWAudioExporter> create();
    explicit KWAudioExporter(Passkey) {}

    // Sets `status` to 2 and returns; the conversion of the source (a
    // "file:" URL or an absolute path) into the folder `toPath` runs on a
    // background queue, which calls the handler.
    void exportFileAtAssetURL(const std::string& assetURL, const std::string& toPath, CompletionHandler handler);

    // The raw copy of the source's first track into the file `toFileUrl`
    // (a path): its MP3 frames back to back, no container, no tags. Reads and
    // writes are checked; on failure no file is left. Runs on the calling
    // thread and leaves `status` alone.
    foundation::Status exportMP3(const std::string& assetURL, const std::string& toFileUrl);

    // The re-wrap of the source's first track into "audio-<UUID>.<ext>" in
    // `toPath`, the extension the source's; sets `status` and `error` and
    // calls the handler. Runs on the calling thread.
    void exportAAC(const std::string& assetURL, const std::string& toPath, const CompletionHandler& handler);

    int64_t status() const { return status_.get(); }
    std::optional<foundation::Error> error() const { return error_.get(); }

    // The error of the domain "AudioExporter" for one of the codes above,
    // with its text.
    static foundation::Error exporterError(int64_t code);

private:
    void run(const std::string& assetURL, const std::string& toPath, const CompletionHandler& handler);
    void finish(const foundation::Result<std::string>& outcome, const CompletionHandler& handler);

    foundation::Locked<int64_t> status_{kStatusDone};
    foundation::Locked<std::optional<foundation::Error>> error_;
};
