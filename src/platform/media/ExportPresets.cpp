#include "platform/media/ExportPresets.h"

#include <algorithm>
#include <functional>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/opt.h>
#include <libavutil/pixfmt.h>
}

namespace media {

namespace {

// Software first: hardware encoders are listed even where no device exists,
// and opening them only fails after a slow device search.
const AVCodec* findH264Encoder() {
    if (const AVCodec* codec = avcodec_find_encoder_by_name("libx264")) return codec;
    return avcodec_find_encoder(AV_CODEC_ID_H264);
}

}  // namespace

const std::vector<ExportPresetSize>& knownExportPresets() {
    static const std::vector<ExportPresetSize> presets = {
        {kExportPresetLowQuality, 640, 360}, {kExportPreset640x480, 640, 480},     {kExportPreset960x540, 960, 540},
        {kExportPreset1280x720, 1280, 720},  {kExportPreset1920x1080, 1920, 1080}, {kExportPreset3840x2160, 3840, 2160},
    };
    return presets;
}

bool canEncodeH264(int width, int height) {
    if (width <= 0 || height <= 0 || width % 2 || height % 2) return false;
    const AVCodec* codec = findH264Encoder();
    if (!codec) return false;
    AVCodecContext* context = avcodec_alloc_context3(codec);
    if (!context) return false;
    context->width = width;
    context->height = height;
    context->pix_fmt = AV_PIX_FMT_YUV420P;
    context->time_base = AVRational{1, 30};
    context->framerate = AVRational{30, 1};
    context->bit_rate = 1'000'000;
    // Without a thread pool: the probe never encodes, and starting the
    // pool made most of an open's cost.
    context->thread_count = 1;
    AVDictionary* options = nullptr;
    // The probe only opens the encoder: the fastest preset keeps that cheap,
    // and warnings only would stop x264 announcing itself on every probe.
    if (std::string_view(codec->name) == "libx264") {
        av_dict_set(&options, "preset", "ultrafast", 0);
        av_dict_set(&options, "x264-params", "log=-1", 0);
    }
    const bool opened = avcodec_open2(context, codec, &options) == 0;
    av_dict_free(&options);
    avcodec_free_context(&context);
    return opened;
}

std::vector<std::string> exportPresetsOpening(const std::function<bool(int width, int height)>& opens) {
    const std::vector<ExportPresetSize>& known = knownExportPresets();
    // Largest first: the first size that opens tells, as every size that
    // fits within it opens too.
    for (auto largest = known.rbegin(); largest != known.rend(); ++largest) {
        if (!opens(largest->width, largest->height)) continue;
        std::vector<std::string> found;
        for (const ExportPresetSize& p : known)
            if (p.width <= largest->width && p.height <= largest->height) found.emplace_back(p.preset);
        return found;
    }
    return {};
}

const std::vector<std::string>& allExportPresets() {
    static const std::vector<std::string> presets = exportPresetsOpening(canEncodeH264);
    return presets;
}

bool hasExportPreset(std::string_view preset) {
    const auto& presets = allExportPresets();
    return std::find(presets.begin(), presets.end(), preset) != presets.end();
}

}  // namespace media
