#pragma once

// Owning handles for FFmpeg's objects, and the one way FFmpeg's error codes
// become errors of this layer. Every FFmpeg object of the media layer lives
// in one of these, so no error path can leak a context or a frame.

#include "platform/foundation/Error.h"
#include "platform/media/MediaError.h"

#include <memory>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace media {

namespace detail {
struct FormatContextCloser {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct CodecContextFreer {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct OutputContextFreer {
    void operator()(AVFormatContext* context) const {
        if (context && context->pb && !(context->oformat->flags & AVFMT_NOFILE)) avio_closep(&context->pb);
        avformat_free_context(context);
    }
};
struct FrameFreer {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFreer {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct ScaleContextFreer {
    void operator()(SwsContext* context) const { sws_freeContext(context); }
};
struct ResampleContextFreer {
    void operator()(SwrContext* context) const { swr_free(&context); }
};
struct IOContextFreer {
    // A context made with avio_alloc_context: its buffer (which FFmpeg may
    // have replaced) goes with it.
    void operator()(AVIOContext* context) const {
        if (context) av_freep(&context->buffer);
        avio_context_free(&context);
    }
};
}  // namespace detail

// An input opened with avformat_open_input.
using FormatContextPtr = std::unique_ptr<AVFormatContext, detail::FormatContextCloser>;
// An output made with avformat_alloc_output_context2; closes its file too.
using OutputContextPtr = std::unique_ptr<AVFormatContext, detail::OutputContextFreer>;
using CodecContextPtr = std::unique_ptr<AVCodecContext, detail::CodecContextFreer>;
using AVFramePtr = std::unique_ptr<AVFrame, detail::FrameFreer>;
using PacketPtr = std::unique_ptr<AVPacket, detail::PacketFreer>;
using ScaleContextPtr = std::unique_ptr<SwsContext, detail::ScaleContextFreer>;
using ResampleContextPtr = std::unique_ptr<SwrContext, detail::ResampleContextFreer>;
// An I/O context of our own (avio_alloc_context) for an output; detach it
// from the output (pb = nullptr) before the output goes.
using IOContextPtr = std::unique_ptr<AVIOContext, detail::IOContextFreer>;

// An error of kMediaErrorDomain for an FFmpeg return value (AVERROR_*):
// "<context>: <FFmpeg's text>", FFmpeg's code kept in the underlying error
// (a POSIX error where FFmpeg passed one on).
foundation::Error mediaError(int averror, const std::string& context);

// Opens a file and reads its tracks' parameters ("Cannot open <path>",
// "Cannot read the tracks of <path>" on failure). Quiets FFmpeg's log first.
// Only regular files are opened, never waiting on one (foundation::
// openRegularFile): anything else fails with its POSIX error.
foundation::Result<FormatContextPtr> openInput(const std::string& path);

// Keeps FFmpeg's own messages off standard error: what goes wrong reaches
// callers as errors. Called before the first FFmpeg call of each entry point.
void quietFFmpegLog();

}  // namespace media
