#include "platform/media/FFmpeg.h"

#include <mutex>

extern "C" {
#include <libavutil/error.h>
#include <libavutil/log.h>
}

namespace media {

namespace {

int64_t codeFor(int averror) {
    switch (averror) {
        case AVERROR(ENOMEM):
            return kMediaErrorOutOfMemory;
        case AVERROR_INVALIDDATA:
            return kMediaErrorFileFailedToParse;
        case AVERROR_DEMUXER_NOT_FOUND:
        case AVERROR_DECODER_NOT_FOUND:
        case AVERROR_STREAM_NOT_FOUND:
            return kMediaErrorFileFormatNotRecognized;
        default:
            return kMediaErrorUnknown;
    }
}

}  // namespace

foundation::Error mediaError(int averror, const std::string& context) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(averror, text, sizeof text);
    // FFmpeg passes system errors on as negated errno values.
    const bool isPosix = averror < 0 && averror > -4096;
    auto underlying = isPosix ? std::make_shared<foundation::Error>(foundation::Error::posix(-averror, context))
                              : std::make_shared<foundation::Error>(kFFmpegErrorDomain, averror, text);
    std::string description = context.empty() ? std::string(text) : context + ": " + text;
    return foundation::Error(kMediaErrorDomain, codeFor(averror), std::move(description), std::move(underlying));
}

foundation::Result<FormatContextPtr> openInput(const std::string& path) {
    quietFFmpegLog();
    AVFormatContext* raw = nullptr;
    if (int status = avformat_open_input(&raw, path.c_str(), nullptr, nullptr); status < 0)
        return mediaError(status, "Cannot open " + path);
    FormatContextPtr format(raw);
    if (int status = avformat_find_stream_info(raw, nullptr); status < 0)
        return mediaError(status, "Cannot read the tracks of " + path);
    return format;
}

void quietFFmpegLog() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_FATAL); });
}

}  // namespace media
