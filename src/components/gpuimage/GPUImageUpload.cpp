#include "components/gpuimage/GPUImageUpload.h"

#include "components/gpuimage/GPUImageContext.h"

#include <cstring>
#include <vector>

namespace gpuimage {

void uploadTexturePixels(const TexturePixels& pixels) {
    const int64_t tight = int64_t(pixels.width) * pixels.bytesPerPixel;
    const bool padded = pixels.bytesPerRow != tight;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    if (!padded) {
        glTexImage2D(GL_TEXTURE_2D, 0, GLint(pixels.internalFormat), pixels.width, pixels.height, 0, pixels.format,
                     GL_UNSIGNED_BYTE, pixels.data);
    } else if (pixels.bytesPerRow % pixels.bytesPerPixel == 0 &&
               GPUImageContext::deviceSupportsOpenGLESExtension("GL_EXT_unpack_subimage")) {
        glPixelStorei(GL_UNPACK_ROW_LENGTH_EXT, GLint(pixels.bytesPerRow / pixels.bytesPerPixel));
        glTexImage2D(GL_TEXTURE_2D, 0, GLint(pixels.internalFormat), pixels.width, pixels.height, 0, pixels.format,
                     GL_UNSIGNED_BYTE, pixels.data);
        glPixelStorei(GL_UNPACK_ROW_LENGTH_EXT, 0);
    } else {
        std::vector<uint8_t> rows(size_t(tight) * size_t(pixels.height));
        for (int row = 0; row < pixels.height; ++row) {
            std::memcpy(rows.data() + size_t(tight) * size_t(row), pixels.data + pixels.bytesPerRow * row,
                        size_t(tight));
        }
        glTexImage2D(GL_TEXTURE_2D, 0, GLint(pixels.internalFormat), pixels.width, pixels.height, 0, pixels.format,
                     GL_UNSIGNED_BYTE, rows.data());
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
}

}  // namespace gpuimage
