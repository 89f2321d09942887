#include "app/core/KWImageProducer.h"

#include "app/core/BundleImage.h"
#include "app/core/PictureReplacement.h"
#include "app/core/UIImage_Resize.h"
#include "app/core/effects/DitherFilter.h"
#include "app/core/effects/PosterizeFilter.h"
#include "app/core/effects/ThermalFilter.h"
#include "app/core/effects/ToneFilters.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/DispatchSemaphore.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/JpegCodec.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

using graphics::GraphicsContext;
using graphics::Image;
using graphics::Rect;
using graphics::Size;

namespace {

constexpr double kFullFrameQuality = 1.0;
constexpr double kThumbnailQuality = 0.5;

// Runs `side` on a pool thread while `here` runs on this one, and returns
// once both have run. A side no pool thread has started by the time `here`
// is done runs on this thread instead: a busy pool never makes the caller
// wait longer than doing both itself would. What either throws reaches the
// caller.
void runAlongside(const std::function<void()>& side, const std::function<void()>& here) {
    struct Shared {
        std::atomic<bool> claimed{false};
        foundation::DispatchSemaphore done{0};
        std::exception_ptr thrown;
    };
    auto shared = std::make_shared<Shared>();
    foundation::DispatchQueue::global(foundation::QueuePriority::High).async([shared, side] {
        if (shared->claimed.exchange(true)) return;
        try {
            side();
        } catch (...) {
            shared->thrown = std::current_exception();
        }
        shared->done.signal();
    });
    try {
        here();
    } catch (...) {
        // Whatever `side` works on is about to go: it must not start, or end first.
        if (shared->claimed.exchange(true)) shared->done.wait();
        throw;
    }
    if (!shared->claimed.exchange(true)) {
        side();
    } else {
        shared->done.wait();
        if (shared->thrown) std::rethrow_exception(shared->thrown);
    }
}

}  // namespace

KWImageProducer::KWImageProducer(std::shared_ptr<ProjectModel> project) : project(std::move(project)) {}

KWImageProducer::KWImageProducer(std::shared_ptr<ProjectModel> project, PictureSettings settings)
    : project(std::move(project)), fixedSettings_(settings) {}

KWImageProducer::PictureSettings KWImageProducer::PictureSettings::ofProject(ProjectModel& project) {
    PictureSettings settings;
    settings.fps = project.getFPS();
    if (const auto meta = project.getMetaData()) {
        settings.movieEffect = int32_t(meta->get(projectkeys::kMovieFilter).asInt(0));
        settings.fadeIn = meta->get(projectkeys::kThemeFadeIn).asBool(false);
        settings.fadeOut = meta->get(projectkeys::kThemeFadeOut).asBool(false);
        settings.foreground = meta->get(projectkeys::kForeground).asInt(0) != 0;
    }
    return settings;
}

KWImageProducer::PictureSettings KWImageProducer::settings() const {
    if (fixedSettings_) return *fixedSettings_;
    return project ? PictureSettings::ofProject(*project) : PictureSettings();
}

namespace {
// A frame's pictures are named "<prefix><frameID><suffix>".
constexpr std::string_view kFramePrefix = "frame-", kPreviewPrefix = "preview-", kThumbnailPrefix = "thumb-";
constexpr std::string_view kPictureSuffix = ".jpg";

std::string pictureFileName(std::string_view prefix, const std::string& frameID) {
    return std::string(prefix) + frameID + std::string(kPictureSuffix);
}
}  // namespace

std::string KWImageProducer::frameFileName(const std::string& frameID) { return pictureFileName(kFramePrefix, frameID); }
std::string KWImageProducer::previewFileName(const std::string& frameID) {
    return pictureFileName(kPreviewPrefix, frameID);
}
std::string KWImageProducer::thumbnailFileName(const std::string& frameID) {
    return pictureFileName(kThumbnailPrefix, frameID);
}

std::optional<std::string> KWImageProducer::frameIDOfPictureFile(std::string_view fileName) {
    if (!fileName.ends_with(kPictureSuffix)) return std::nullopt;
    for (std::string_view prefix : {kFramePrefix, kPreviewPrefix, kThumbnailPrefix}) {
        if (fileName.size() > prefix.size() + kPictureSuffix.size() && fileName.starts_with(prefix))
            return std::string(fileName.substr(prefix.size(), fileName.size() - prefix.size() - kPictureSuffix.size()));
    }
    return std::nullopt;
}

foundation::Status KWImageProducer::storeImage(const Image& image, const std::string& frameId) {
    if (!project || image.isNull() || frameId.empty())
        return foundation::Error(foundation::kPOSIXErrorDomain, EINVAL, "There is no picture to store.");
    // Every picture is encoded before the first file is touched, so a picture
    // that cannot be encoded changes nothing on disk.
    struct Planned {
        std::string fileName;
        foundation::Bytes jpeg;
        bool existed = false;
    };
    // The small pictures are made alongside the full-size one, which takes
    // most of the time.
    std::optional<foundation::Result<foundation::Bytes>> full, preview, thumbnail;
    runAlongside(
        [&] {
            preview = encodeThumbImage(image, kPreviewSize);
            thumbnail = encodeThumbImage(image, kThumbnailSize);
        },
        [&] { full = image.jpegData(kFullFrameQuality); });
    std::vector<Planned> files;
    for (auto& [encoded, name] :
         {std::pair{&*full, frameFileName(frameId)}, std::pair{&*preview, previewFileName(frameId)},
          std::pair{&*thumbnail, thumbnailFileName(frameId)}}) {
        if (!*encoded) return encoded->error();
        files.push_back({name, std::move(encoded->value())});
    }
    for (Planned& file : files) {
        const auto path = project->pathForFile(file.fileName);
        std::error_code ignored;
        file.existed = path && std::filesystem::exists(*path, ignored);
    }
    // The full-size picture goes first: it is what every other picture of the
    // frame is made from. Each write is atomic, so a frame being replaced keeps
    // whole pictures, old or new, whatever fails; the note makes the small
    // ones agree with the full one again should the writes stop between them.
    const bool replacing = std::any_of(files.begin(), files.end(), [](const Planned& file) { return file.existed; });
    if (replacing)
        if (foundation::Status noted = picturereplacement::begin(*project, frameId); !noted) return noted;
    for (const Planned& file : files) {
        foundation::Status written = project->updateRegularFileWithContents(file.jpeg, file.fileName);
        if (written) continue;
        // A new frame is stored whole or not at all: no caller lists a frame
        // whose pictures failed, so what this call wrote would only take space.
        for (const Planned& other : files)
            if (!other.existed) (void)project->removeRegularFileWithPreferredFilename(other.fileName);
        // A replaced frame stays noted for the next opening to heal.
        return written;
    }
    if (replacing) (void)picturereplacement::end(*project, frameId);
    return foundation::Status::success();
}

foundation::Result<foundation::Bytes> KWImageProducer::encodeThumbImage(const Image& image, Size size) {
    const auto scaled = UIImage_Resize::imageByScalingAndCroppingForSize(image, size);
    if (!scaled) return foundation::Error(foundation::kPOSIXErrorDomain, EINVAL, "The picture could not be scaled.");
    return scaled->jpegData(kThumbnailQuality);
}

foundation::Status KWImageProducer::storeThumbImage(const Image& image, Size size, const std::string& fileName) {
    if (!project) return foundation::Error(foundation::kPOSIXErrorDomain, EINVAL, "There is no project to store into.");
    return storeThumbImage(*project, image, size, fileName);
}

foundation::Status KWImageProducer::storeThumbImage(ProjectDataWrapper& project, const Image& image, Size size,
                                                    const std::string& fileName) {
    auto jpeg = encodeThumbImage(image, size);
    if (!jpeg) return jpeg.error();
    return project.updateRegularFileWithContents(jpeg.value(), fileName);
}

foundation::Status KWImageProducer::createThumbNailAndPreviewForFrameAtIndex(int64_t index) {
    const auto list = project ? project->getFrameList() : nullptr;
    const FramePtr frame = list ? list->getFrameAtIndex(index) : nullptr;
    if (!frame) return foundation::Error(foundation::kPOSIXErrorDomain, ENOENT, "There is no frame at that index.");
    return createThumbNailAndPreviewForFrameID(*project, frame->frameID());
}

foundation::Status KWImageProducer::createThumbNailAndPreviewForFrameID(ProjectDataWrapper& project,
                                                                        const std::string& frameID) {
    auto unreadable = [](const std::string& why) {
        return foundation::Status(foundation::Error(foundation::kPOSIXErrorDomain, ENOENT, why));
    };
    const auto data = project.fileDataForFileWithPreferredFilename(frameFileName(frameID));
    if (!data || data->empty()) return unreadable("The frame's picture cannot be read.");
    // Both small pictures come from a decode just large enough for the
    // preview; an Ultra HD frame is never decoded at full size for them.
    auto source = graphics::jpeg::looksLikeJpeg(data->data(), data->size())
                      ? graphics::jpeg::decodeForMaximumSize(data->data(), data->size(), int(kPreviewSize.width),
                                                             int(kPreviewSize.height))
                      : Image::decode(*data);
    if (!source.ok() || source->isNull()) return unreadable("The frame's picture cannot be decoded.");
    foundation::Status thumbnail = storeThumbImage(project, source.value(), kThumbnailSize, thumbnailFileName(frameID));
    foundation::Status preview = storeThumbImage(project, source.value(), kPreviewSize, previewFileName(frameID));
    return thumbnail ? preview : thumbnail;
}

foundation::Status KWImageProducer::replaceImage(
    const Image& image, const std::string& frameID,
    const std::function<foundation::Status(const foundation::Bytes& picture)>& beforeReplacing) {
    if (!project) return foundation::Error(foundation::kPOSIXErrorDomain, EINVAL, "There is no project to store into.");
    // Never listed, so what a kill leaves under it is swept like any unlisted picture.
    const std::string temporaryID = frameID + ".replacing";
    const std::array<std::string, 3> temporaries{frameFileName(temporaryID), previewFileName(temporaryID),
                                                 thumbnailFileName(temporaryID)};
    const std::array<std::string, 3> targets{frameFileName(frameID), previewFileName(frameID),
                                             thumbnailFileName(frameID)};
    const auto removeTemporaries = [&] {
        for (const std::string& name : temporaries) (void)project->removeRegularFileWithPreferredFilename(name);
    };
    const auto rename = [&](size_t i) -> foundation::Status {
        const auto from = project->pathForFile(temporaries[i]);
        const auto to = project->pathForFile(targets[i]);
        if (!from || !to) return foundation::Error::posix(ENOENT, "Cannot replace " + targets[i]);
        if (std::rename(from->c_str(), to->c_str()) != 0)
            return foundation::Error::posix(errno, "Cannot replace " + targets[i]);
        return foundation::Status::success();
    };
    // storeImage removes what it wrote when one of the three fails.
    if (foundation::Status stored = storeImage(image, temporaryID); !stored) return stored;
    foundation::Status ready = foundation::Status::success();
    if (beforeReplacing) {
        const auto picture = project->fileDataForFileWithPreferredFilename(temporaries[0]);
        ready = picture ? beforeReplacing(*picture)
                        : foundation::Status(foundation::Error::posix(ENOENT, "Cannot read " + temporaries[0]));
    }
    if (ready) ready = picturereplacement::begin(*project, frameID);
    if (ready) ready = rename(0);
    if (!ready) {
        removeTemporaries();
        (void)picturereplacement::end(*project, frameID);
        return ready;
    }
    // The full picture is the new one: the small ones follow it, renamed in
    // or, should that fail, made again from it.
    if (!rename(1) || !rename(2)) {
        removeTemporaries();
        // Left noted when this fails too, for the next opening to make.
        if (foundation::Status made = createThumbNailAndPreviewForFrameID(*project, frameID); !made) return made;
    }
    // A note left behind only makes the next opening redo the small pictures.
    (void)picturereplacement::end(*project, frameID);
    return foundation::Status::success();
}

std::optional<Image> KWImageProducer::readImageFile(const std::string& fileName) const {
    if (!project) return std::nullopt;
    const auto data = project->fileDataForFileWithPreferredFilename(fileName);
    if (!data || data->empty()) return std::nullopt;
    auto image = Image::decode(*data);
    if (!image.ok() || image->isNull()) return std::nullopt;
    return std::move(image.value());
}

std::optional<Image> KWImageProducer::getImageForFrame(const FramePtr& frame, int32_t type, Size) {
    if (!frame || !project) return std::nullopt;
    FramePtr source = frame;
    if (frame->type() == Frame::kTypeCaptureSlot) {
        if (type == kImageTypeThumbnail) return bundleImageNamed(kCaptureSlotThumbnailImage);
        const auto list = project->getFrameList();
        if (!list) return std::nullopt;
        const int64_t captureIndex = list->getCaptureIndex();
        if (captureIndex == foundation::kNotFound || captureIndex < 1) return std::nullopt;
        source = list->getFrameAtIndex(captureIndex - 1);
        if (!source) return std::nullopt;
    }

    std::optional<std::string> fileName;
    switch (type) {
        case kImageTypeFrame:
            fileName = frameFileName(source->frameID());
            break;
        case kImageTypePreview:
            fileName = previewFileName(source->frameID());
            break;
        case kImageTypeThumbnail:
            fileName = thumbnailFileName(source->frameID());
            break;
        default:
            break;
    }
    std::optional<Image> picture = fileName ? readImageFile(*fileName) : std::nullopt;
    if (!picture && fileName) pictureNotRead(*source, *fileName);
    if (!picture) picture = bundleImageNamed(kPlaceholderImage);
    if (!picture) return std::nullopt;
    return applyMovieEffect(*picture);
}

std::optional<Image> KWImageProducer::getImageForFrameAtIndex(int64_t index, int32_t forSize) {
    const auto list = project ? project->getFrameList() : nullptr;
    const FramePtr frame = list ? list->getFrameAtIndex(index) : nullptr;
    if (!frame) return std::nullopt;
    if (frame->type() == Frame::kTypeCaptureSlot && forSize == kSizeThumbnail) {
        return bundleImageNamed(kCaptureSlotThumbnailImage);
    }
    std::optional<Image> picture;
    switch (forSize) {
        case kSizeFrame:
            picture = readImageFile(frameFileName(frame->frameID()));
            break;
        case kSizePreview:
            picture = readImageFile(previewFileName(frame->frameID()));
            break;
        case kSizeThumbnail:
            picture = readImageFile(thumbnailFileName(frame->frameID()));
            break;
        default:
            return std::nullopt;
    }
    if (!picture) return std::nullopt;
    return applyMovieEffect(*picture);
}

std::optional<Image> KWImageProducer::getImageForFrameAtIndex(int64_t index) {
    return getImageForFrameAtIndex(index, kSizeFrame);
}

std::optional<Image> KWImageProducer::getPreviewImageForFrameAtIndex(int64_t index) {
    return getImageForFrameAtIndex(index, kSizePreview);
}

std::optional<Image> KWImageProducer::getThumbnailImageForFrameAtIndex(int64_t index) {
    return getImageForFrameAtIndex(index, kSizeThumbnail);
}

std::optional<Image> KWImageProducer::getImageForFrameWithFrameID(const std::string& frameID) {
    const auto picture = readImageFile(frameFileName(frameID));
    if (!picture) return std::nullopt;
    return applyMovieEffect(*picture);
}

std::optional<Image> KWImageProducer::getOriginialImageForFrameAtIndex(int64_t index) {
    const auto list = project ? project->getFrameList() : nullptr;
    const FramePtr frame = list ? list->getFrameAtIndex(index) : nullptr;
    if (!frame) return std::nullopt;
    return readImageFile(frameFileName(frame->frameID()));
}

std::shared_ptr<RGBFilter> KWImageProducer::makePixelFilter(int32_t effect) {
    switch (effect) {
        case 1:
            return std::make_shared<GrayscaleFilter>();
        case 2:
            return std::make_shared<SepiaFilter>();
        case 3:
            return std::make_shared<PosterizeFilter>(4);
        case 4:
            return std::make_shared<ColorChangeFilter>();
        case 5:
            return std::make_shared<ThermalFilter>();
        case 6:
            return std::make_shared<XRayFilter>();
        case 7:
            return std::make_shared<DitherFilter>();
        default:
            return nullptr;
    }
}

int32_t KWImageProducer::movieEffect() const { return settings().movieEffect; }

std::optional<Image> KWImageProducer::applyMovieEffect(const Image& image) {
    const int32_t effect = movieEffect();
    if (effect == 0) return image;
    if (effect != currentFilter) {
        filter.reset();
        currentFilter = effect;
    }
    if (!filter) filter = std::make_shared<UIImageFilter>(makePixelFilter(effect));
    Image processed = filter->processImage(image);
    if (processed.isNull()) return std::nullopt;
    return processed;
}

float KWImageProducer::calculateAlphaForFadeforFrameAtIndex(int64_t index, int64_t total) {
    // getFPS never answers 0, so the fade length only vanishes for movies
    // shorter than three positions; those are not faded at all rather than
    // divided by zero.
    const PictureSettings look = settings();
    const int64_t length = std::min<int64_t>(2 * look.fps, total / 3);
    if (length <= 0) return 0.0f;
    const bool fadeIn = look.fadeIn, fadeOut = look.fadeOut;

    float strength = 1.0f;
    if (index <= length && fadeIn) strength = float(index) / float(length);
    if (index > total - length && fadeOut) strength = float(total - index) / float(length);
    // Positions outside the movie would give opacities outside 0-1.
    return std::clamp(1.0f - strength, 0.0f, 1.0f);
}

float KWImageProducer::calculateAlphaForFadeforFrameAtIndex(int64_t index) {
    const auto list = project ? project->getFrameList() : nullptr;
    return calculateAlphaForFadeforFrameAtIndex(index, list ? list->count() : 0);
}

Image KWImageProducer::blendUIImage(const Image& top, const Image& bottom) {
    if (bottom.isNull()) return {};
    const Size size = bottom.size();
    GraphicsContext context(size, 1.0, false);
    const Rect rect{0, 0, size.width, size.height};
    context.drawImage(bottom, rect);
    if (!top.isNull()) context.drawImage(top, rect, graphics::BlendMode::Normal, 1.0);
    return context.makeImage();
}

Image KWImageProducer::mergeImage(const Image& first, const Image& second, const Image& third) {
    if (first.isNull()) return {};
    const Size size = first.size();
    GraphicsContext context(size, 1.0, false);
    const Rect rect{0, 0, size.width, size.height};
    context.drawImage(first, rect, graphics::BlendMode::Normal, 1.0);
    if (!second.isNull()) context.drawImage(second, rect, graphics::BlendMode::Normal, 0.2);
    if (!third.isNull()) context.drawImage(third, rect, graphics::BlendMode::Normal, 0.1);
    return context.makeImage();
}
