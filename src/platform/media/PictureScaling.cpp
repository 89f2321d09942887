#include "platform/media/PictureScaling.h"

extern "C" {
#include <libavutil/imgutils.h>
}

namespace media {

namespace {

constexpr int kBlockBytes = 64;

// Whether every row of every plane ends where a block of libswscale does,
// so that no block reaches past the row (and past the last row, the buffer).
bool rowsAreWholeBlocks(const PicturePlanes& planes) {
    int visible[4] = {};
    if (av_image_fill_linesizes(visible, planes.format, planes.width) < 0) return false;
    for (int plane = 0; plane < 4; ++plane) {
        if (visible[plane] % kBlockBytes != 0) return false;
        if (visible[plane] > 0 && planes.linesize[size_t(plane)] < visible[plane]) return false;
    }
    return true;
}

AVFramePtr paddedFrame(const PicturePlanes& like) {
    AVFramePtr frame(av_frame_alloc());
    if (!frame) return nullptr;
    frame->format = like.format;
    frame->width = like.width;
    frame->height = like.height;
    // Rows aligned to whole blocks; FFmpeg adds room behind the last row.
    if (av_frame_get_buffer(frame.get(), kBlockBytes) < 0) return nullptr;
    return frame;
}

void copyPicture(uint8_t* const targetData[4], const int targetLinesize[4], const uint8_t* const sourceData[4],
                 const int sourceLinesize[4], const PicturePlanes& shape) {
    uint8_t* target[4] = {targetData[0], targetData[1], targetData[2], targetData[3]};
    int targetStride[4] = {targetLinesize[0], targetLinesize[1], targetLinesize[2], targetLinesize[3]};
    const uint8_t* source[4] = {sourceData[0], sourceData[1], sourceData[2], sourceData[3]};
    av_image_copy(target, targetStride, source, sourceLinesize, shape.format, shape.width, shape.height);
}

}  // namespace

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
    if (!rowsAreWholeBlocks(source)) {
        paddedSource = paddedFrame(source);
        if (!paddedSource) return mediaError(AVERROR(ENOMEM), "Cannot convert a picture");
        copyPicture(paddedSource->data, paddedSource->linesize, source.data.data(), source.linesize.data(), source);
        sourceData = paddedSource->data;
        sourceStride = paddedSource->linesize;
    }
    uint8_t* const* targetData = destination.data.data();
    const int* targetStride = destination.linesize.data();
    AVFramePtr paddedTarget;
    if (!rowsAreWholeBlocks(destination)) {
        paddedTarget = paddedFrame(destination);
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
