#pragma once

// The green-screen camera's backdrop pictures as plain work, apart from the
// camera and its graph: the project's stored "backdrop.jpg" or the default,
// which frame "Last Frame" means, photos prepared off the main thread, and
// the JPEG the project keeps.

#include "app/core/ProjectModel.h"
#include "platform/foundation/Error.h"
#include "platform/graphics/Image.h"

#include <cstdint>
#include <optional>
#include <string>

namespace chromakeybackdrop {

inline constexpr const char* kBackdropFile = "backdrop.jpg";
inline constexpr const char* kDefaultBackdrop = "CaptureSourceImportBg.png";
// Photo and theme backdrops are scaled to this longer edge before they
// become a texture.
inline constexpr int32_t kMaxResolution = 1920;
// Photos with more pixels than this are refused from their header alone.
inline constexpr uint64_t kMaxPhotoPixels = 100'000'000;

inline constexpr const char* kErrorDomain = "CaptureChromaKeyCamera";
inline constexpr int64_t kPhotoTooLarge = 1;
inline constexpr int64_t kPhotoUnreadable = 2;

// The project's "backdrop.jpg" when it holds a picture, else the default
// picture; also without a project.
graphics::Image storedBackdrop(const ProjectModel* project);

// The list index whose frame "Last Frame" uses: the entry before the
// capture slot, or the last entry when the slot is first. None when the list
// has fewer than 2 entries or no capture slot (kNotFound).
std::optional<int64_t> lastFrameIndex(int64_t count, int64_t captureIndex);

// A photo file made ready as a backdrop: refused when its header tells of
// more than kMaxPhotoPixels (before any pixel is decoded), decoded, turned
// upright from `orientation` and limited to kMaxResolution. Large JPEGs are
// decoded at a reduced scale that still covers the limit.
foundation::Result<graphics::Image> preparePhoto(const std::string& path, graphics::ImageOrientation orientation);

// A picture made upright and limited to kMaxResolution (theme backdrops).
graphics::Image prepareImage(const graphics::Image& image);

// Encodes the picture as a JPEG of quality 1.0 and writes it into the
// project as kBackdropFile (the project's folder is made when missing).
foundation::Status storeBackdrop(ProjectModel& project, const graphics::Image& image);

}  // namespace chromakeybackdrop
