#include "platform/media/DecoderFrameBuffers.h"

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
}

#include <sys/mman.h>

namespace media::detail {

namespace {

// FFmpeg's room behind every plane (16 bytes and a SIMD block less one) and
// the alignment of plane starts for its widest SIMD code.
constexpr size_t kPlanePadding = 16 + 64 - 1;
constexpr size_t kPlaneAlignment = 64;

size_t aligned(size_t size) { return (size + kPlaneAlignment - 1) / kPlaneAlignment * kPlaneAlignment; }

void unmap(void* length, uint8_t* data) { munmap(data, reinterpret_cast<size_t>(length)); }

// Fresh zeroed pages, all mapped now.
AVBufferRef* mappedBuffer(size_t size) {
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    const size_t length = (size + page - 1) / page * page;
    void* memory = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (memory == MAP_FAILED) return nullptr;
    AVBufferRef* buffer =
        av_buffer_create(static_cast<uint8_t*>(memory), size, unmap, reinterpret_cast<void*>(length), 0);
    if (!buffer) munmap(memory, length);
    return buffer;
}

}  // namespace

DecoderFrameBuffers::~DecoderFrameBuffers() { av_buffer_pool_uninit(&pool_); }

void DecoderFrameBuffers::serve(AVCodecContext& codec) {
    codec.opaque = this;
    codec.get_buffer2 = getBuffer;
#if LIBAVCODEC_VERSION_MAJOR < 60
    // Without this FFmpeg 5 hands every buffer request of a frame thread to
    // the thread feeding the decoder and waits for it; ours is thread-safe.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    codec.thread_safe_callbacks = 1;
#pragma GCC diagnostic pop
#endif
}

int DecoderFrameBuffers::getBuffer(AVCodecContext* codec, AVFrame* frame, int flags) {
    auto* buffers = static_cast<DecoderFrameBuffers*>(codec->opaque);
    const AVPixFmtDescriptor* format = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(frame->format));
    // Codecs that cannot decode into buffers of ours, palettes and hardware
    // frames keep FFmpeg's way.
    if (!buffers || !(codec->codec->capabilities & AV_CODEC_CAP_DR1) || codec->hw_frames_ctx || !format ||
        (format->flags & (AV_PIX_FMT_FLAG_PAL | AV_PIX_FMT_FLAG_HWACCEL)) || frame->width <= 0 || frame->height <= 0)
        return avcodec_default_get_buffer2(codec, frame, flags);
    const int status = buffers->fill(*codec, *frame);
    return status == AVERROR(EINVAL) ? avcodec_default_get_buffer2(codec, frame, flags) : status;
}

int DecoderFrameBuffers::fill(AVCodecContext& codec, AVFrame& frame) {
    AVBufferRef* buffer = nullptr;
    int planes = 0, linesize[4] = {};
    size_t offset[4] = {};
    {
        std::lock_guard guard(mutex_);
        if (!pool_ || frame.format != format_ || frame.width != width_ || frame.height != height_) {
            // The decoder's own sizes: rows and heights rounded up to what its
            // SIMD code reads and writes, every plane's rows equally aligned.
            int width = frame.width, height = frame.height;
            int strideAlign[AV_NUM_DATA_POINTERS];
            avcodec_align_dimensions2(&codec, &width, &height, strideAlign);
            for (bool unaligned = true; unaligned;) {
                if (av_image_fill_linesizes(linesize, static_cast<AVPixelFormat>(frame.format), width) < 0)
                    return AVERROR(EINVAL);
                width += width & ~(width - 1);
                unaligned = false;
                for (int plane = 0; plane < 4; ++plane)
                    unaligned = unaligned || (strideAlign[plane] > 0 && linesize[plane] % strideAlign[plane] != 0);
            }
            const ptrdiff_t strides[4] = {linesize[0], linesize[1], linesize[2], linesize[3]};
            size_t sizes[4];
            if (av_image_fill_plane_sizes(sizes, static_cast<AVPixelFormat>(frame.format), height, strides) < 0)
                return AVERROR(EINVAL);
            size_t total = 0;
            planes_ = 0;
            for (int plane = 0; plane < 4 && sizes[plane] > 0; ++plane, ++planes_) {
                linesize_[plane] = linesize[plane];
                planeOffset_[plane] = total;
                total += aligned(sizes[plane] + kPlanePadding);
            }
            if (planes_ == 0) return AVERROR(EINVAL);
            av_buffer_pool_uninit(&pool_);
            pool_ = av_buffer_pool_init(total, mappedBuffer);
            if (!pool_) return AVERROR(ENOMEM);
            format_ = frame.format;
            width_ = frame.width;
            height_ = frame.height;
        }
        buffer = av_buffer_pool_get(pool_);
        planes = planes_;
        for (int plane = 0; plane < planes; ++plane) {
            linesize[plane] = linesize_[plane];
            offset[plane] = planeOffset_[plane];
        }
    }
    if (!buffer) return AVERROR(ENOMEM);
    frame.buf[0] = buffer;
    for (int plane = 0; plane < AV_NUM_DATA_POINTERS; ++plane) {
        frame.data[plane] = plane < planes ? buffer->data + offset[plane] : nullptr;
        frame.linesize[plane] = plane < planes ? linesize[plane] : 0;
    }
    frame.extended_data = frame.data;
    return 0;
}

}  // namespace media::detail
