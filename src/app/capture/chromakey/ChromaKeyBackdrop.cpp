#include "app/capture/chromakey/ChromaKeyBackdrop.h"

#include "app/core/BundleImage.h"
#include "app/core/UIImage_ScaleAndRotate.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/NotFound.h"
#include "platform/graphics/JpegCodec.h"
#include "platform/graphics/PngCodec.h"

#include <algorithm>

namespace chromakeybackdrop {

namespace {

foundation::Error photoError(int64_t code, const std::string& text) { return {kErrorDomain, code, text}; }

struct StoredSize {
    uint64_t width = 0;
    uint64_t height = 0;
};

uint32_t bigEndian32(const uint8_t* bytes) {
    return (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) | (uint32_t(bytes[2]) << 8) | uint32_t(bytes[3]);
}

// The stored size from the file's header, without decoding: JPEG frame
// headers, or the PNG header chunk that every PNG starts with.
std::optional<StoredSize> headerSize(const foundation::Bytes& data) {
    if (graphics::jpeg::looksLikeJpeg(data.data(), data.size())) {
        auto header = graphics::jpeg::readHeader(data.data(), data.size());
        if (!header) return std::nullopt;
        return StoredSize{uint64_t(std::max(header->width, 0)), uint64_t(std::max(header->height, 0))};
    }
    // Signature (8), chunk length (4), "IHDR" (4), width (4), height (4).
    if (graphics::png::looksLikePng(data.data(), data.size()) && data.size() >= 24 &&
        std::equal(data.begin() + 12, data.begin() + 16, "IHDR"))
        return StoredSize{bigEndian32(data.data() + 16), bigEndian32(data.data() + 20)};
    return std::nullopt;
}

// The largest decoder scale (1/1, 1/2, 1/4, 1/8) whose result keeps the
// longer edge at or above the limit.
int scaleDenominatorFor(uint64_t longerEdge) {
    int denominator = 1;
    for (int candidate : {2, 4, 8})
        if ((longerEdge + candidate - 1) / candidate >= uint64_t(kMaxResolution)) denominator = candidate;
    return denominator;
}

}  // namespace

graphics::Image storedBackdrop(const ProjectModel* project) {
    if (project) {
        if (auto data = project->fileDataForFileWithPreferredFilename(kBackdropFile)) {
            auto image = graphics::Image::decode(*data);
            if (image && !image->isNull()) return std::move(image.value());
        }
    }
    return bundleImageNamed(kDefaultBackdrop).value_or(graphics::Image());
}

std::optional<int64_t> lastFrameIndex(int64_t count, int64_t captureIndex) {
    if (count < 2 || captureIndex == foundation::kNotFound || captureIndex < 0 || captureIndex >= count)
        return std::nullopt;
    return captureIndex == 0 ? count - 1 : captureIndex - 1;
}

foundation::Result<graphics::Image> preparePhoto(const std::string& path, graphics::ImageOrientation orientation) {
    auto data = foundation::readFile(path);
    if (!data) return data.error();
    const auto size = headerSize(*data);
    if (!size || size->width == 0 || size->height == 0)
        return photoError(kPhotoUnreadable, "The photo is not a JPEG or PNG picture that can be read.");
    if (size->width * size->height > kMaxPhotoPixels)
        return photoError(kPhotoTooLarge, "The photo is too large to use as a backdrop.");
    foundation::Result<graphics::Image> decoded =
        graphics::jpeg::looksLikeJpeg(data->data(), data->size())
            ? graphics::jpeg::decode(data->data(), data->size(),
                                     scaleDenominatorFor(std::max(size->width, size->height)))
            : graphics::Image::decode(*data);
    if (!decoded) return decoded.error();
    return prepareImage(decoded->withOrientation(orientation));
}

graphics::Image prepareImage(const graphics::Image& image) {
    if (image.isNull()) return image;
    return UIImage_ScaleAndRotate::scaledAndRotatedImageWithMaxResolution(image, kMaxResolution);
}

foundation::Status storeBackdrop(ProjectModel& project, const graphics::Image& image) {
    auto jpeg = image.jpegData(1.0);
    if (!jpeg) return jpeg.error();
    return project.updateRegularFileWithContents(*jpeg, kBackdropFile);
}

}  // namespace chromakeybackdrop
