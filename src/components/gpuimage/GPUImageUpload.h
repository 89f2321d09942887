#pragma once

// Uploads of pixels from memory into a texture, as the camera's frames
// arrive: rows may be padded past the picture's width.

#include "platform/gl/Es2.h"

#include <cstdint>

namespace gpuimage {

struct TexturePixels {
    int width = 0;
    int height = 0;
    int64_t bytesPerRow = 0;
    int bytesPerPixel = 4;
    GLenum internalFormat = GL_RGBA;
    GLenum format = GL_BGRA_EXT;
    const uint8_t* data = nullptr;
};

// On the context queue, into the texture bound to GL_TEXTURE_2D: exactly
// width × height pixels. Padded rows are skipped with GL_UNPACK_ROW_LENGTH
// where the driver offers GL_EXT_unpack_subimage, else copied tight first;
// the texture never takes the padding as picture.
void uploadTexturePixels(const TexturePixels& pixels);

}  // namespace gpuimage
