#include "app/audio/KWAudioExporter.h"

#include "app/audio/AudioFilePlacement.h"
#include "app/core/FileUtil.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Paths.h"
#include "platform/media/Asset.h"
#include "platform/media/Remuxer.h"

namespace {

using foundation::Error;
using foundation::Result;

bool isPCM(const std::string& codecName) { return codecName.starts_with("pcm_"); }

// The container for a source's extension, and the extension the new file
// takes (the source's, in lower case).
std::optional<media::RemuxFormat> formatForExtension(const std::string& extension) {
    if (extension == "m4a") return media::RemuxFormat::M4A;
    if (extension == "wav") return media::RemuxFormat::Wave;
    if (extension == "aif" || extension == "aiff") return media::RemuxFormat::Aiff;
    return std::nullopt;
}

std::string lowercased(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The first track that plays: cover art stored as a picture track labels
// the file and is passed over.
struct SourceTrack {
    std::string path;
    media::AssetTrack track;
};

Result<SourceTrack> firstTrackOf(const std::string& assetURL) {
    const std::string path = localPathOfURL(assetURL);
    if (path.empty()) return KWAudioExporter::exporterError(KWAudioExporter::kErrorNotMedia);
    auto asset = media::Asset::open(path);
    if (!asset) return KWAudioExporter::exporterError(KWAudioExporter::kErrorNotMedia);
    for (const media::AssetTrack& track : asset->tracks())
        if (!track.isAttachedPicture) return SourceTrack{path, track};
    return KWAudioExporter::exporterError(KWAudioExporter::kErrorNotMedia);
}

std::string fileURLOf(const std::string& path) { return "file://" + path; }

std::string newFileIn(const std::string& folder, const std::string& extension) {
    return foundation::path::appending(folder, "audio-" + FileUtil::createUUID() + "." + extension);
}

Result<std::string> copyMP3Into(const SourceTrack& source, const std::string& folder) {
    const std::string target = newFileIn(folder, "mp3");
    foundation::Status copied =
        media::Remuxer::copyTrack(source.path, source.track.trackID, media::RemuxFormat::RawPackets, target);
    if (!copied) return copied.error();
    return target;
}

Result<std::string> rewrapInto(const SourceTrack& source, const std::string& folder) {
    const std::string extension = lowercased(foundation::path::extension(source.path));
    auto format = formatForExtension(extension);
    if (!format || !media::Remuxer::canHold(*format, source.track.codecName))
        return KWAudioExporter::exporterError(KWAudioExporter::kErrorUnsupportedContainer);
    const std::string target = newFileIn(folder, extension);
    foundation::Status copied = media::Remuxer::copyTrack(source.path, source.track.trackID, *format, target);
    if (!copied) return copied.error();
    return target;
}

Result<std::string> convertInto(const std::string& assetURL, const std::string& folder) {
    auto source = firstTrackOf(assetURL);
    if (!source) return source.error();
    const media::AssetTrack& track = source->track;
    if (track.mediaType == media::MediaType::Audio) {
        if (track.codecName == "mp3") return copyMP3Into(*source, folder);
        if (track.codecName == "aac" || isPCM(track.codecName)) return rewrapInto(*source, folder);
    }
    return KWAudioExporter::exporterError(KWAudioExporter::kErrorUnsupportedFormat);
}

}  // namespace

std::shared_ptr<KWAudioExporter> KWAudioExporter::create() { return std::make_shared<KWAudioExporter>(Passkey{}); }

Error KWAudioExporter::exporterError(int64_t code) {
    switch (code) {
        case kErrorNotMedia:
            return Error(kErrorDomain, code, "The file is not valid media.");
        case kErrorUnsupportedFormat:
            return Error(kErrorDomain, code, foundation::localized("The media format is unsupported."));
        default:
            return Error(kErrorDomain, code, "The media format is unsupported.");
    }
}

void KWAudioExporter::exportFileAtAssetURL(const std::string& assetURL, const std::string& toPath,
                                           CompletionHandler handler) {
    status_.set(kStatusRunning);
    error_.set(std::nullopt);
    // The task keeps the exporter alive until the handler has run.
    auto self = shared_from_this();
    foundation::DispatchQueue::global(foundation::QueuePriority::Background)
        .async([self, assetURL, toPath, handler = std::move(handler)] { self->run(assetURL, toPath, handler); });
}

void KWAudioExporter::run(const std::string& assetURL, const std::string& toPath, const CompletionHandler& handler) {
    finish(convertInto(assetURL, toPath), handler);
}

foundation::Status KWAudioExporter::exportMP3(const std::string& assetURL, const std::string& toFileUrl) {
    auto source = firstTrackOf(assetURL);
    if (!source) return source.error();
    const std::string target = localPathOfURL(toFileUrl);
    return media::Remuxer::copyTrack(source->path, source->track.trackID, media::RemuxFormat::RawPackets,
                                     target.empty() ? toFileUrl : target);
}

void KWAudioExporter::exportAAC(const std::string& assetURL, const std::string& toPath,
                                const CompletionHandler& handler) {
    auto source = firstTrackOf(assetURL);
    finish(source ? rewrapInto(*source, toPath) : Result<std::string>(source.error()), handler);
}

void KWAudioExporter::finish(const Result<std::string>& outcome, const CompletionHandler& handler) {
    if (outcome) {
        error_.set(std::nullopt);
        status_.set(kStatusDone);
    } else {
        error_.set(outcome.error());
        status_.set(kStatusFailed);
    }
    if (handler) handler(outcome ? std::optional(fileURLOf(*outcome)) : std::nullopt);
}
