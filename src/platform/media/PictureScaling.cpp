#include "platform/media/PictureScaling.h"

#include <cstdint>

extern "C" {
#include <libavutil/imgutils.h>
}

namespace media {

namespace {

constexpr int kBlockBytes = 64;

// The formats whose rows libswscale reads and writes in whole blocks from a
// row's start and never past a row that is whole blocks long: 8-bit planar
// and semi-planar YUV, grey, and 32-bit packed pixels (the tests check each
// under a guard page). Every other format may be touched past its last
// pixel even then: packed 24-bit RGB is read 4 bytes beyond it.
bool staysInWholeBlockRows(AVPixelFormat format) {
    switch (format) {
        case AV_PIX_FMT_YUV420P:
        case AV_PIX_FMT_YUVJ420P:
        case AV_PIX_FMT_YUV422P:
        case AV_PIX_FMT_YUVJ422P:
        case AV_PIX_FMT_YUV444P:
        case AV_PIX_FMT_YUVJ444P:
        case AV_PIX_FMT_NV12:
        case AV_PIX_FMT_NV21:
        case AV_PIX_FMT_GRAY8:
        case AV_PIX_FMT_ARGB:
        case AV_PIX_FMT_RGBA:
        case AV_PIX_FMT_ABGR:
        case AV_PIX_FMT_BGRA:
        case AV_PIX_FMT_0RGB:
        case AV_PIX_FMT_RGB0:
        case AV_PIX_FMT_0BGR:
        case AV_PIX_FMT_BGR0:
            return true;
        default:
            return false;
    }
}

// Whether libswscale may be handed the planes as they are: a format that
// stays in whole-block rows, and every row ending where a block does, so
// that no block reaches past the row (and past the last row, the buffer).
bool usableAsTheyAre(const PicturePlanes& planes) {
    if (!staysInWholeBlockRows(planes.format)) return false;
    int visible[4] = {};
    if (av_image_fill_linesizes(visible, planes.format, planes.width) < 0) return false;
    for (int plane = 0; plane < 4; ++plane) {
        if (visible[plane] % kBlockBytes != 0) return false;
        if (visible[plane] > 0 && planes.linesize[size_t(plane)] < visible[plane]) return false;
    }
    return true;
}

void copyPicture(uint8_t* const targetData[4], const int targetLinesize[4], const uint8_t* const sourceData[4],
                 const int sourceLinesize[4], const PicturePlanes& shape) {
    uint8_t* target[4] = {targetData[0], targetData[1], targetData[2], targetData[3]};
    int targetStride[4] = {targetLinesize[0], targetLinesize[1], targetLinesize[2], targetLinesize[3]};
    const uint8_t* source[4] = {sourceData[0], sourceData[1], sourceData[2], sourceData[3]};
    av_image_copy(target, targetStride, source, sourceLinesize, shape.format, shape.width, shape.height);
}

}  // namespace

AVFramePtr paddedPictureFrame(const PicturePlanes& like) {
    int visible[4] = {};
    if (like.width <= 0 || like.height <= 0 || av_image_fill_linesizes(visible, like.format, like.width) < 0)
        return nullptr;
    AVFramePtr frame(av_frame_alloc());
    if (!frame) return nullptr;
    frame->format = like.format;
    frame->width = like.width;
    frame->height = like.height;
    ptrdiff_t strides[4] = {};
    for (int plane = 0; plane < 4; ++plane) {
        if (visible[plane] <= 0) continue;
        const int64_t padded = (int64_t(visible[plane]) + kScaleRowSlack + kBlockBytes - 1) / kBlockBytes * kBlockBytes;
        if (padded > INT32_MAX) return nullptr;
        frame->linesize[plane] = int(padded);
        strides[plane] = ptrdiff_t(padded);
    }
    size_t planeBytes[4] = {};
    if (av_image_fill_plane_sizes(planeBytes, like.format, like.height, strides) < 0) return nullptr;
    size_t total = kScaleRowSlack;
    for (size_t bytes : planeBytes) {
        if (bytes > SIZE_MAX - total) return nullptr;
        total += bytes;
    }
    // Zeroed: libswscale reads the slack, and what it reads is defined.
    frame->buf[0] = av_buffer_allocz(total);
    if (!frame->buf[0]) return nullptr;
    uint8_t* next = frame->buf[0]->data;
    for (int plane = 0; plane < 4 && planeBytes[plane] > 0; ++plane) {
        frame->data[plane] = next;
        next += planeBytes[plane];
    }
    return frame;
}

AVPixelFormat withoutRangeInName(AVPixelFormat format) {
    switch (format) {
        case AV_PIX_FMT_YUVJ420P:
            return AV_PIX_FMT_YUV420P;
        case AV_PIX_FMT_YUVJ422P:
            return AV_PIX_FMT_YUV422P;
        case AV_PIX_FMT_YUVJ444P:
            return AV_PIX_FMT_YUV444P;
        case AV_PIX_FMT_YUVJ440P:
            return AV_PIX_FMT_YUV440P;
        case AV_PIX_FMT_YUVJ411P:
            return AV_PIX_FMT_YUV411P;
        default:
            return format;
    }
}

PicturePlanes planesOf(const AVFrame& frame) {
    PicturePlanes planes;
    planes.format = static_cast<AVPixelFormat>(frame.format);
    planes.width = frame.width;
    planes.height = frame.height;
    for (size_t plane = 0; plane < 4; ++plane) {
        planes.data[plane] = frame.data[plane];
        planes.linesize[plane] = frame.linesize[plane];
    }
    return planes;
}

PicturePlanes planesOf(const PixelBuffer& buffer) {
    auto* bytes = const_cast<uint8_t*>(buffer.bytes.data());
    if (buffer.pixelFormat == kPixelFormat420YpCbCr8Planar) {
        const size_t lumaSize = size_t(buffer.width) * size_t(buffer.height);
        return {AV_PIX_FMT_YUV420P,
                buffer.width,
                buffer.height,
                {bytes, bytes + lumaSize, bytes + lumaSize * 5 / 4},
                {buffer.width, buffer.width / 2, buffer.width / 2}};
    }
    return {buffer.pixelFormat == kPixelFormat32BGRA ? AV_PIX_FMT_BGRA : AV_PIX_FMT_ARGB,
            buffer.width,
            buffer.height,
            {bytes},
            {static_cast<int>(buffer.bytesPerRow)}};
}

foundation::Status scalePicture(SwsContext* context, const PicturePlanes& source, const PicturePlanes& destination) {
    if (!context || source.width <= 0 || source.height <= 0 || destination.width <= 0 || destination.height <= 0)
        return mediaError(AVERROR(EINVAL), "Cannot convert a picture");
    const uint8_t* const* sourceData = source.data.data();
    const int* sourceStride = source.linesize.data();
    AVFramePtr paddedSource;
    if (!usableAsTheyAre(source)) {
        paddedSource = paddedPictureFrame(source);
        if (!paddedSource) return mediaError(AVERROR(ENOMEM), "Cannot convert a picture");
        copyPicture(paddedSource->data, paddedSource->linesize, source.data.data(), source.linesize.data(), source);
        sourceData = paddedSource->data;
        sourceStride = paddedSource->linesize;
    }
    uint8_t* const* targetData = destination.data.data();
    const int* targetStride = destination.linesize.data();
    AVFramePtr paddedTarget;
    if (!usableAsTheyAre(destination)) {
        paddedTarget = paddedPictureFrame(destination);
        if (!paddedTarget) return mediaError(AVERROR(ENOMEM), "Cannot convert a picture");
        targetData = paddedTarget->data;
        targetStride = paddedTarget->linesize;
    }
    const int rows = sws_scale(context, sourceData, sourceStride, 0, source.height, targetData, targetStride);
    if (rows != destination.height) return mediaError(rows < 0 ? rows : AVERROR_BUG, "Cannot convert a picture");
    if (paddedTarget)
        copyPicture(destination.data.data(), destination.linesize.data(), paddedTarget->data, paddedTarget->linesize,
                    destination);
    return {};
}

}  // namespace media
