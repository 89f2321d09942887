#include "app/preview/ScaledPicture.h"

#include "app/core/BundleImage.h"
#include "app/core/KWImageProducer.h"
#include "app/core/UIImageFilter.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/ImageName.h"
#include "platform/graphics/JpegCodec.h"

namespace {

// Reaches the producer's filter table, which decides what each movie effect
// number means; the decoding threads never touch the project.
class EffectFilters : public KWImageProducer {
public:
    static std::shared_ptr<RGBFilter> filterFor(int32_t effect) { return makePixelFilter(effect); }
};

}  // namespace

int32_t movieEffectOfProject(ProjectModel& project) {
    const auto meta = project.getMetaData();
    return meta ? static_cast<int32_t>(meta->get(projectkeys::kMovieFilter).asInt(0)) : 0;
}

graphics::Image decodeScaledPicture(const std::optional<std::string>& path, int pixelWidth, int pixelHeight,
                                    int32_t effect) {
    std::optional<graphics::Image> picture;
    if (path) {
        if (auto data = foundation::readRegularFile(*path, projectkeys::kMaximumFileBytes); data.ok()) {
            auto decoded = graphics::jpeg::decodeForMaximumSize(data->data(), data->size(), pixelWidth, pixelHeight);
            // Named after its file ("thumb-<frame id>.jpg"), so the views that
            // show a frame can be told apart by it.
            if (decoded.ok() && !decoded->isNull())
                picture = graphics::withImageName(std::move(decoded.value()), foundation::path::lastComponent(*path));
        }
    }
    if (!picture) picture = bundleImageNamed(KWImageProducer::kPlaceholderImage);
    if (!picture) return {};
    if (effect == 0) return *picture;
    return UIImageFilter(EffectFilters::filterFor(effect)).processImage(*picture);
}
