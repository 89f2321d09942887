#include "platform/media/VideoColour.h"

#include "platform/media/PictureScaling.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace media {

namespace {

int swscaleMatrixOf(const AVFrame& frame) {
    switch (frame.colorspace) {
        case AVCOL_SPC_BT709:
            return SWS_CS_ITU709;
        case AVCOL_SPC_BT470BG:
        case AVCOL_SPC_SMPTE170M:
            return SWS_CS_ITU601;
        case AVCOL_SPC_SMPTE240M:
            return SWS_CS_SMPTE240M;
        case AVCOL_SPC_FCC:
            return SWS_CS_FCC;
        case AVCOL_SPC_BT2020_NCL:
        case AVCOL_SPC_BT2020_CL:
            return SWS_CS_BT2020;
        default:
            // Unspecified, or a matrix libswscale has no coefficients for.
            return conventionalMatrix(frame.width, frame.height) == YCbCrMatrix::BT709 ? SWS_CS_ITU709 : SWS_CS_ITU601;
    }
}

}  // namespace

YCbCrMatrix conventionalMatrix(int width, int height) {
    return height >= 720 || width >= 1280 ? YCbCrMatrix::BT709 : YCbCrMatrix::BT601;
}

void describeColours(AVCodecContext& encoder, YCbCrMatrix matrix) {
    encoder.colorspace = matrix == YCbCrMatrix::BT709 ? AVCOL_SPC_BT709 : AVCOL_SPC_SMPTE170M;
    encoder.color_primaries = AVCOL_PRI_BT709;
    encoder.color_trc = AVCOL_TRC_BT709;
    encoder.color_range = AVCOL_RANGE_MPEG;
}

void readColoursAsTagged(SwsContext& context, const AVFrame& frame) {
    const auto format = static_cast<AVPixelFormat>(frame.format);
    const AVPixFmtDescriptor* layout = av_pix_fmt_desc_get(format);
    // RGB has no matrix; grey and XYZ keep libswscale's own reading.
    if (!layout || (layout->flags & (AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_PAL)) || layout->nb_components < 3 ||
        format == AV_PIX_FMT_XYZ12LE || format == AV_PIX_FMT_XYZ12BE)
        return;
    const bool fullRange = frame.color_range == AVCOL_RANGE_JPEG || withoutRangeInName(format) != format;
    // The RGB side's table and range, brightness, contrast and saturation
    // are libswscale's defaults.
    sws_setColorspaceDetails(&context, sws_getCoefficients(swscaleMatrixOf(frame)), fullRange ? 1 : 0,
                             sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
}

}  // namespace media
