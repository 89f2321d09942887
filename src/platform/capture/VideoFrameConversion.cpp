#include "platform/capture/VideoFrameConversion.h"

#include "platform/capture/CaptureTypes.h"
#include "platform/media/PictureScaling.h"

#include <QTransform>
#include <utility>

namespace capture {

namespace {

struct PixelLayout {
    AVPixelFormat format = AV_PIX_FMT_NONE;
    bool straightAlpha = false;     // alpha to premultiply after the conversion
    bool swapChromaPlanes = false;  // YV12 stores V before U
};

PixelLayout layoutOf(QVideoFrameFormat::PixelFormat format) {
    using F = QVideoFrameFormat;
    switch (format) {
        case F::Format_NV12:
            return {AV_PIX_FMT_NV12};
        case F::Format_NV21:
            return {AV_PIX_FMT_NV21};
        case F::Format_YUV420P:
            return {AV_PIX_FMT_YUV420P};
        case F::Format_YV12:
            return {AV_PIX_FMT_YUV420P, false, true};
        case F::Format_YUV422P:
            return {AV_PIX_FMT_YUV422P};
        case F::Format_YUYV:
            return {AV_PIX_FMT_YUYV422};
        case F::Format_UYVY:
            return {AV_PIX_FMT_UYVY422};
        case F::Format_P010:
            return {AV_PIX_FMT_P010LE};
        case F::Format_P016:
            return {AV_PIX_FMT_P016LE};
        case F::Format_YUV420P10:
            return {AV_PIX_FMT_YUV420P10LE};
        case F::Format_Y8:
            return {AV_PIX_FMT_GRAY8};
        case F::Format_Y16:
            return {AV_PIX_FMT_GRAY16LE};
        case F::Format_BGRA8888:
            return {AV_PIX_FMT_BGRA, true};
        case F::Format_BGRA8888_Premultiplied:
            return {AV_PIX_FMT_BGRA};
        case F::Format_BGRX8888:
            return {AV_PIX_FMT_BGR0};
        case F::Format_RGBA8888:
            return {AV_PIX_FMT_RGBA, true};
        case F::Format_RGBX8888:
            return {AV_PIX_FMT_RGB0};
        case F::Format_ARGB8888:
            return {AV_PIX_FMT_ARGB, true};
        case F::Format_ARGB8888_Premultiplied:
            return {AV_PIX_FMT_ARGB};
        case F::Format_XRGB8888:
            return {AV_PIX_FMT_0RGB};
        case F::Format_ABGR8888:
            return {AV_PIX_FMT_ABGR, true};
        case F::Format_XBGR8888:
            return {AV_PIX_FMT_0BGR};
        default:
            return {};
    }
}

bool isYuv(AVPixelFormat format) {
    switch (format) {
        case AV_PIX_FMT_BGRA:
        case AV_PIX_FMT_BGR0:
        case AV_PIX_FMT_RGBA:
        case AV_PIX_FMT_RGB0:
        case AV_PIX_FMT_ARGB:
        case AV_PIX_FMT_0RGB:
        case AV_PIX_FMT_ABGR:
        case AV_PIX_FMT_0BGR:
        case AV_PIX_FMT_GRAY8:
        case AV_PIX_FMT_GRAY16LE:
            return false;
        default:
            return true;
    }
}

foundation::Error conversionError(const std::string& text) {
    return {kCaptureErrorDomain, kCaptureErrorCaptureFailed, text};
}

foundation::Result<QImage> convertMapped(QVideoFrame& frame, const PixelLayout& layout) {
    const int width = frame.width(), height = frame.height();
    media::ScaleContextPtr context(sws_getContext(width, height, layout.format, width, height, AV_PIX_FMT_BGRA,
                                                  SWS_POINT, nullptr, nullptr, nullptr));
    if (!context) return conversionError("The camera's pixel layout cannot be converted.");

    const QVideoFrameFormat surface = frame.surfaceFormat();
    if (isYuv(layout.format)) {
        const int space = surface.colorSpace() == QVideoFrameFormat::ColorSpace_BT709    ? SWS_CS_ITU709
                          : surface.colorSpace() == QVideoFrameFormat::ColorSpace_BT2020 ? SWS_CS_BT2020
                                                                                         : SWS_CS_ITU601;
        const int sourceFull = surface.colorRange() == QVideoFrameFormat::ColorRange_Full ? 1 : 0;
        sws_setColorspaceDetails(context.get(), sws_getCoefficients(space), sourceFull,
                                 sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
    }

    media::PicturePlanes source{layout.format, width, height, {}, {}};
    for (int plane = 0; plane < frame.planeCount() && plane < 4; ++plane) {
        source.data[size_t(plane)] = frame.bits(plane);
        source.linesize[size_t(plane)] = frame.bytesPerLine(plane);
    }
    if (layout.swapChromaPlanes) {
        std::swap(source.data[1], source.data[2]);
        std::swap(source.linesize[1], source.linesize[2]);
    }
    if (!source.data[0]) return conversionError("The camera frame has no pixels.");

    QImage image(width, height, QImage::Format_ARGB32);
    if (image.isNull()) return conversionError("The camera frame is too large.");
    const media::PicturePlanes target{AV_PIX_FMT_BGRA, width, height, {image.bits()}, {int(image.bytesPerLine())}};
    if (!media::scalePicture(context.get(), source, target))
        return conversionError("The camera frame could not be converted.");
    // swscale writes BGRA in memory, which is QImage's ARGB32 on this
    // (little-endian) machine; alpha is straight unless the source had none
    // or already premultiplied it.
    if (layout.straightAlpha) return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    image.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
    return image;
}

}  // namespace

foundation::Result<QImage> imageFromVideoFrame(const QVideoFrame& input) {
    if (!input.isValid() || input.width() <= 0 || input.height() <= 0)
        return conversionError("The camera frame is empty.");
    QVideoFrame frame = input;
    QImage upright;
    const PixelLayout layout = layoutOf(frame.pixelFormat());
    if (layout.format == AV_PIX_FMT_NONE) {
        // JPEG and the rarer layouts: Qt's own conversion.
        upright = frame.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        if (upright.isNull()) return conversionError("The camera's pixel layout cannot be converted.");
        return upright;  // toImage applies rotation and mirroring itself
    }
    if (!frame.map(QVideoFrame::ReadOnly)) return conversionError("The camera frame cannot be read.");
    auto converted = convertMapped(frame, layout);
    frame.unmap();
    if (!converted.ok()) return converted;
    upright = std::move(converted.value());

    if (frame.surfaceFormat().scanLineDirection() == QVideoFrameFormat::BottomToTop) upright.mirror(false, true);
    if (const int angle = int(frame.rotationAngle()); angle != 0) {
        upright = upright.transformed(QTransform().rotate(angle));
    }
    if (frame.mirrored()) upright.mirror(true, false);
    return upright;
}

}  // namespace capture
