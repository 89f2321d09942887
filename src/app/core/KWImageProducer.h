#pragma once

// Reads and writes the pictures of a project's frames. Every picture frame
// has three JPEG files in the project folder, named by its frameID: the full
// frame, a preview for the preview pane and the browser, and a thumbnail for
// strip and timeline. Pictures handed out carry the project's movie effect.
//
// A producer caches one effect filter and is used by one thread at a time;
// separate threads use separate producers. The metadata it reads (movie
// effect, fades, frame rate) live on the main thread: a producer made with
// the project alone reads them there, as they are now; a producer for
// another thread is made with PictureSettings taken on the main thread and
// never touches the metadata. Capture slots and the list's own indices
// (getImageForFrameAtIndex and the like) read the frame list, which is main
// thread only.

#include "app/core/Frame.h"
#include "app/core/ProjectModel.h"
#include "app/core/UIImageFilter.h"
#include "platform/foundation/Error.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

class KWImageProducer {
public:
    // Kinds of getImageForFrame.
    static constexpr int32_t kImageTypeFrame = 0;
    static constexpr int32_t kImageTypePreview = 1;
    static constexpr int32_t kImageTypeThumbnail = 2;
    // Size codes of getImageForFrameAtIndex.
    static constexpr int32_t kSizeFrame = 100;
    static constexpr int32_t kSizePreview = 200;
    static constexpr int32_t kSizeThumbnail = 300;

    static constexpr graphics::Size kPreviewSize{796, 448};
    static constexpr graphics::Size kThumbnailSize{272, 153};

    // Application pictures: the capture slot's thumbnail and the stand-in for
    // a missing picture.
    static constexpr const char* kCaptureSlotThumbnailImage = "thumb_camera.png";
    static constexpr const char* kPlaceholderImage = "explorer_placeholder";

    // What the pictures take from the project's metadata.
    struct PictureSettings {
        int32_t movieEffect = 0;  // "RecordMovieFilter"; 0 for none
        bool fadeIn = false;      // the theme's fades
        bool fadeOut = false;
        int64_t fps = 5;          // what the fades' length is counted in
        bool foreground = false;  // whether renders lay the project's foreground over the pictures
        // Read now from the metadata; main thread.
        static PictureSettings ofProject(ProjectModel& project);
        bool operator==(const PictureSettings&) const = default;
    };

    // Reads the metadata whenever a picture needs them; main thread.
    explicit KWImageProducer(std::shared_ptr<ProjectModel> project);
    // Uses `settings` instead of the metadata, on any thread.
    KWImageProducer(std::shared_ptr<ProjectModel> project, PictureSettings settings);
    virtual ~KWImageProducer() = default;

    const std::shared_ptr<ProjectModel>& getProject() const { return project; }

    // File names of a frame's pictures.
    static std::string frameFileName(const std::string& frameID);
    static std::string previewFileName(const std::string& frameID);
    static std::string thumbnailFileName(const std::string& frameID);
    // The frame ID that one of those names carries; none for any other name.
    static std::optional<std::string> frameIDOfPictureFile(std::string_view fileName);

    // Writes full frame, preview and thumbnail, in that order, without movie
    // effect, after all three are encoded. At the first failed write it stops
    // and reports why; a new frame's files are removed again. A replaced
    // frame keeps whole pictures (each write is atomic), and is noted while
    // they change, so that a failure or a kill between them leaves the three
    // showing one picture at the latest after the project's next opening
    // (picturereplacement). The first file written into a new project
    // creates its folder.
    foundation::Status storeImage(const graphics::Image& image, const std::string& withFrameId);
    // The picture scaled to fill `size` and centre-cropped, as JPEG of quality 0.5.
    static foundation::Result<foundation::Bytes> encodeThumbImage(const graphics::Image& image, graphics::Size size);
    // The same, written under `inFile`.
    foundation::Status storeThumbImage(const graphics::Image& image, graphics::Size withSize,
                                       const std::string& inFile);
    // Writes thumbnail and preview again from the full frame at a list index
    // (after the full frame changed). Both are tried; the first failure is
    // reported, and a small picture that failed keeps its former contents.
    foundation::Status createThumbNailAndPreviewForFrameAtIndex(int64_t index);
    // The same for a frame ID, in any project.
    static foundation::Status createThumbNailAndPreviewForFrameID(ProjectDataWrapper& project,
                                                                  const std::string& frameID);

    // Replaces the three pictures of a stored frame with those of `image`.
    // All three are written under temporary names first; `beforeReplacing`
    // then gets the new full picture's bytes (a failure there stops the
    // replacement with nothing changed), and the pictures are renamed into
    // place, the full picture first. A failure or a kill at any point leaves
    // the three showing one picture, the old or the new, at the latest after
    // the project's next opening (picturereplacement). A failure before the
    // full picture is in place leaves the old one whole.
    foundation::Status replaceImage(
        const graphics::Image& image, const std::string& frameID,
        const std::function<foundation::Status(const foundation::Bytes& picture)>& beforeReplacing = {});

    // The picture of a kind (0 full, 1 preview, 2 thumbnail) with the movie
    // effect. The capture slot shows the camera picture as thumbnail and the
    // frame in front of it otherwise (none when nothing is in front); a
    // missing or unreadable file gives the placeholder picture. `size` is unused.
    std::optional<graphics::Image> getImageForFrame(const FramePtr& frame, int32_t type, graphics::Size size);
    // The picture of a list entry by size code (100, 200, 300) with the movie
    // effect; none for an index outside the list, another code or a missing file.
    std::optional<graphics::Image> getImageForFrameAtIndex(int64_t index, int32_t forSize);
    std::optional<graphics::Image> getImageForFrameAtIndex(int64_t index);
    std::optional<graphics::Image> getPreviewImageForFrameAtIndex(int64_t index);
    std::optional<graphics::Image> getThumbnailImageForFrameAtIndex(int64_t index);
    std::optional<graphics::Image> getImageForFrameWithFrameID(const std::string& frameID);
    // The full frame without effect.
    std::optional<graphics::Image> getOriginialImageForFrameAtIndex(int64_t index);

    // The picture with the project's current movie effect ("RecordMovieFilter").
    // Effect 0 returns the same picture.
    std::optional<graphics::Image> applyMovieEffect(const graphics::Image& image);
    // The project's movie effect number; 0 for none.
    int32_t movieEffect() const;
    // The settings given, else the metadata's as they are now.
    PictureSettings settings() const;

    // How strongly the theme fades cover movie position `index` of `total`:
    // 0 unfaded, 1 fully faded. Without room for a fade (fade length 0) no
    // position is faded.
    float calculateAlphaForFadeforFrameAtIndex(int64_t index, int64_t total);
    // The same with the frame list's count as total.
    float calculateAlphaForFadeforFrameAtIndex(int64_t index);

    // The bottom picture with the top one drawn over it, stretched to the
    // bottom picture's size.
    graphics::Image blendUIImage(const graphics::Image& top, const graphics::Image& with);
    // The first picture with the second over it at opacity 0.2 and the third
    // at 0.1, both stretched to the first's size; null pictures are skipped.
    graphics::Image mergeImage(const graphics::Image& first, const graphics::Image& withImage,
                               const graphics::Image& withImage2);

    // The cached effect wrapper and the effect number it was made for.
    const std::shared_ptr<UIImageFilter>& getFilter() const { return filter; }
    int32_t getCurrentFilter() const { return currentFilter; }

protected:
    // storeThumbImage into any project.
    static foundation::Status storeThumbImage(ProjectDataWrapper& project, const graphics::Image& image,
                                              graphics::Size withSize, const std::string& inFile);
    // The decoded file of a project, without effect; none when missing or unreadable.
    std::optional<graphics::Image> readImageFile(const std::string& fileName) const;
    // getImageForFrame could not read the frame's file `fileName` and gives
    // the placeholder instead; nothing is done of it here.
    virtual void pictureNotRead(const Frame& frame, const std::string& fileName) {
        (void)frame;
        (void)fileName;
    }
    // A pixel filter per effect number, none outside 1-7.
    static std::shared_ptr<RGBFilter> makePixelFilter(int32_t effect);

    std::shared_ptr<UIImageFilter> filter;
    int32_t currentFilter = 0;
    std::shared_ptr<ProjectModel> project;

private:
    std::optional<PictureSettings> fixedSettings_;
};
