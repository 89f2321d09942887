#include "platform/media/MediaMetadata.h"

#include "platform/media/FFmpeg.h"

#include <algorithm>
#include <cctype>

namespace media {

namespace {

// Cover pictures larger than this are left out: a tag is no place for them
// and a hostile file should not make us hold one.
constexpr int kMaxArtworkBytes = 16 * 1024 * 1024;

void addTags(std::map<std::string, std::string>& tags, const AVDictionary* dictionary) {
    const AVDictionaryEntry* entry = nullptr;
    while ((entry = av_dict_get(dictionary, "", entry, AV_DICT_IGNORE_SUFFIX))) {
        std::string key = entry->key;
        std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return std::tolower(c); });
        if (entry->value && *entry->value) tags.emplace(std::move(key), entry->value);
    }
}

}  // namespace

std::string MediaMetadata::tag(const std::string& key) const {
    auto found = tags.find(key);
    return found == tags.end() ? std::string() : found->second;
}

foundation::Result<MediaMetadata> readMediaMetadata(const std::string& path) {
    auto opened = openInput(path);
    if (!opened.ok()) return opened.error();
    AVFormatContext* format = opened->get();
    MediaMetadata metadata;
    addTags(metadata.tags, format->metadata);
    if (format->duration > 0) metadata.durationSeconds = double(format->duration) / AV_TIME_BASE;
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVStream* stream = format->streams[i];
        if (stream->disposition & AV_DISPOSITION_ATTACHED_PIC) {
            const AVPacket& picture = stream->attached_pic;
            if (!metadata.artwork && picture.data && picture.size > 0 && picture.size <= kMaxArtworkBytes)
                metadata.artwork = foundation::Bytes(picture.data, picture.data + picture.size);
            continue;
        }
        if (stream->codecpar->codec_type == AVMEDIA_TYPE_AUDIO && !metadata.hasAudio) {
            metadata.hasAudio = true;
            addTags(metadata.tags, stream->metadata);
            if (metadata.durationSeconds <= 0 && stream->duration > 0)
                metadata.durationSeconds = double(stream->duration) * av_q2d(stream->time_base);
        }
    }
    return metadata;
}

}  // namespace media
