#pragma once

// Picture buffers for a video decoder whose frames are kept in numbers
// (the image generator holds every picture it found ahead of its turn).
// FFmpeg's own buffers are cleared when first made, and the pages of a new
// buffer are faulted in one by one as the decoder first writes them: with
// dozens of full-size frames held that was a tenth of the decoding's time.
// These buffers come straight from the kernel, already zero, with their
// pages mapped in one call, and are reused as FFmpeg's are once returned.
// The planes are laid out as FFmpeg lays out its own.

#include "platform/media/FFmpeg.h"

#include <mutex>

namespace media::detail {

class DecoderFrameBuffers {
public:
    DecoderFrameBuffers() = default;
    ~DecoderFrameBuffers();
    DecoderFrameBuffers(const DecoderFrameBuffers&) = delete;
    DecoderFrameBuffers& operator=(const DecoderFrameBuffers&) = delete;

    // Makes `codec` (not yet opened) take its frames from these buffers,
    // which must outlive it; frames still held when they go keep their
    // memory until released.
    void serve(AVCodecContext& codec);

private:
    static int getBuffer(AVCodecContext* codec, AVFrame* frame, int flags);
    int fill(AVCodecContext& codec, AVFrame& frame);

    std::mutex mutex_;
    // One pool for one picture shape; a new shape starts a new pool.
    AVBufferPool* pool_ = nullptr;
    int format_ = AV_PIX_FMT_NONE, width_ = 0, height_ = 0;
    int linesize_[4] = {};
    size_t planeOffset_[4] = {};
    int planes_ = 0;
};

}  // namespace media::detail
