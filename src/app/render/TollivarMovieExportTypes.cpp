// The movie renderer's export types, bit rates and encoder settings, the
// currency test of a cached movie and the pixel buffers it encodes.

#include "app/render/Check4KReady.h"
#include "app/render/TollivarMovieRenderer.h"
#include "platform/foundation/Localized.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/media/ExportPresets.h"
#include "platform/media/MovieProbe.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

using graphics::Size;

namespace {

bool holds(const std::vector<std::string>& presets, const char* preset) {
    return std::find(presets.begin(), presets.end(), preset) != presets.end();
}

MovieExportType movieType(const char* title, const char* preset, Size size) {
    return MovieExportType(foundation::localized(title), preset ? std::optional<std::string>(preset) : std::nullopt,
                           size, kUTTypeQuickTimeMovie, "mov");
}

}  // namespace

std::vector<MovieExportType> TollivarMovieRenderer::getSupportedExportTypes() const {
    return exportTypesForPresets(media::allExportPresets(), Check4KReady::canRender4KResolution());
}

std::vector<MovieExportType> TollivarMovieRenderer::exportTypesForPresets(const std::vector<std::string>& presets,
                                                                          bool canRender4K) {
    using namespace media;
    std::vector<MovieExportType> types;
    const bool has1080 = holds(presets, kExportPreset1920x1080);
    const bool has720 = holds(presets, kExportPreset1280x720);
    if (canRender4K) types.push_back(movieType(kTitle4K, kExportPreset3840x2160, {3840, 2160}));
    if (has1080) types.push_back(movieType(kTitle1080, kExportPreset1920x1080, {1920, 1080}));
    if (has720) types.push_back(movieType(kTitle720, kExportPreset1280x720, {1280, 720}));
    if (has1080) {
        types.push_back(movieType(kTitleCinema, kExportPreset1920x1080, {1920, 816}));
    } else if (has720) {
        types.push_back(movieType(kTitleCinema, kExportPreset1280x720, {1280, 544}));
    }
    if (has720) types.push_back(movieType(kTitleSquare, kExportPreset1280x720, {640, 640}));
    if (holds(presets, kExportPreset960x540)) types.push_back(movieType(kTitle540, kExportPreset960x540, {960, 540}));
    if (holds(presets, kExportPresetLowQuality))
        types.push_back(movieType(kTitle360, kExportPresetLowQuality, {640, 360}));
    if (types.empty() && holds(presets, kExportPreset640x480))
        types.push_back(movieType(kTitle480, kExportPreset640x480, {640, 480}));
    return types;
}

MovieExportType TollivarMovieRenderer::moviePreviewType(Size size) {
    return MovieExportType(foundation::localized(kTitlePreview), std::nullopt, size, kUTTypeQuickTimeMovie, "mov");
}

int64_t TollivarMovieRenderer::averageBitRateForHeight(int64_t height) {
    switch (height) {
        case 2160:
            return 45'000'000;
        case 1440:
            return 15'000'000;
        case 720:
            return 7'500'000;
        case 540:
            return 4'000'000;
        case 480:
            return 2'500'000;
        case 360:
            return 1'000'000;
        default:
            return 10'000'000;
    }
}

media::VideoSettings TollivarMovieRenderer::videoSettings(Size frameSize, const MovieExportType& type, int64_t fps) {
    return {static_cast<int>(frameSize.width), static_cast<int>(frameSize.height),
            averageBitRateForHeight(static_cast<int64_t>(type.size().height)), static_cast<int>(fps)};
}

std::optional<std::string> TollivarMovieRenderer::getPreparedMovieForExportType(const MovieExportType& type) {
    const std::string url = getExportURLForExportType(type);
    auto meta = project()->getMetaData();
    const bool needsRendering = meta ? meta->get(projectkeys::kNeedsRendering).asBool(false) : true;
    if (!isMovieCurrent(url, type.size(), needsRendering)) return std::nullopt;
    return url;
}

bool TollivarMovieRenderer::isMovieCurrent(const std::string& path, Size size, bool needsRendering) {
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(path, ignored)) return false;
    auto probe = media::probeMovie(path);
    if (!probe || !probe->compatible) return false;
    const Size natural = probe->naturalSize;
    if (natural.width == 0 || natural.height == 0) return false;
    const bool anySize = size == Size{-1, -1};
    if (!anySize && size != natural && size != Size{natural.height, natural.width}) return false;
    if (!probe->hasVideoTrack || probe->minFrameDurationSeconds > 1.0) return false;
    return !needsRendering;
}

graphics::Image TollivarMovieRenderer::applyPostRenderStep(const graphics::Image& image, int64_t) { return image; }

media::PixelBuffer TollivarMovieRenderer::pixelBufferFromCGImage(const graphics::Image& image, int width, int height) {
    media::PixelBuffer buffer = media::PixelBuffer::create(std::max(width, 0), std::max(height, 0));
    if (image.isNull() || width <= 0 || height <= 0) return buffer;
    QImage bitmap;
    const bool asStored = image.orientation() == graphics::ImageOrientation::Up && image.pixelWidth() == width &&
                          image.pixelHeight() == height;
    if (asStored) {
        bitmap = image.bitmap();
    } else {
        // Drawn at the origin at its own pixel size over black.
        graphics::GraphicsContext context({double(width), double(height)}, 1.0, true);
        const graphics::Image upright = image.normalized();
        context.drawImage(upright, graphics::Rect{0, 0, double(upright.pixelWidth()), double(upright.pixelHeight())});
        bitmap = context.makeImage().bitmap();
    }
    // Premultiplied colours are the picture drawn over black, which is what
    // a buffer without alpha shows.
    if (bitmap.format() != QImage::Format_RGB32 && bitmap.format() != QImage::Format_ARGB32_Premultiplied)
        bitmap = bitmap.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int rows = std::min(height, bitmap.height());
    const int columns = std::min(width, bitmap.width());
    for (int y = 0; y < rows; ++y) {
        const auto* source = reinterpret_cast<const uint32_t*>(bitmap.constScanLine(y));
        uint8_t* target = buffer.row(y);
        for (int x = 0; x < columns; ++x) {
            const uint32_t pixel = source[x];
            target[4 * x] = 255;
            target[4 * x + 1] = uint8_t(pixel >> 16);
            target[4 * x + 2] = uint8_t(pixel >> 8);
            target[4 * x + 3] = uint8_t(pixel);
        }
    }
    return buffer;
}
