#pragma once

// Saving into a named album of the photo library, which is created the
// first time it is needed. Album names compare exactly (letter case counts).
//
// Both calls return at once; the completion runs later on the main thread,
// with none on success or the library's error.

#include "platform/foundation/Error.h"
#include "platform/graphics/Image.h"
#include "platform/library/PhotoLibrary.h"

#include <functional>
#include <optional>
#include <string>

namespace ALAssetsLibrary_CustomPhotoAlbum {

using Completion = std::function<void(const std::optional<foundation::Error>& error)>;

// Writes the picture, with its own orientation, into the saved-photos group
// and then puts it into the album.
void saveImage(const library::PhotoLibrary& library, const graphics::Image& image, const std::string& albumName,
               Completion completion);

// Puts an item already in the library into the album.
void addAssetURL(const library::PhotoLibrary& library, const std::string& assetURL, const std::string& albumName,
                 Completion completion);

}  // namespace ALAssetsLibrary_CustomPhotoAlbum
