#include "components/gpuimage/GPUImageTypes.h"

namespace gpuimage {

bool rotationSwapsWidthAndHeight(GPUImageRotationMode mode) {
    switch (mode) {
        case GPUImageRotationMode::RotateLeft:
        case GPUImageRotationMode::RotateRight:
        case GPUImageRotationMode::RotateRightFlipVertical:
        case GPUImageRotationMode::RotateRightFlipHorizontal:
            return true;
        default:
            return false;
    }
}

const std::array<float, 8>& textureCoordinatesForRotationMode(GPUImageRotationMode mode) {
    static constexpr std::array<float, 8> table[] = {
        {0, 0, 1, 0, 0, 1, 1, 1},  // none
        {1, 0, 1, 1, 0, 0, 0, 1},  // left
        {0, 1, 0, 0, 1, 1, 1, 0},  // right
        {0, 1, 1, 1, 0, 0, 1, 0},  // vertical flip
        {1, 0, 0, 0, 1, 1, 0, 1},  // horizontal flip
        {0, 0, 0, 1, 1, 0, 1, 1},  // right, vertical flip
        {1, 1, 1, 0, 0, 1, 0, 0},  // right, horizontal flip
        {1, 1, 0, 1, 1, 0, 0, 0},  // half turn
    };
    int index = static_cast<int>(mode);
    return table[index >= 0 && index < 8 ? index : 0];
}

graphics::Point rotatedPoint(graphics::Point p, GPUImageRotationMode mode) {
    switch (mode) {
        case GPUImageRotationMode::NoRotation:
            return p;
        case GPUImageRotationMode::RotateLeft:
            return {1 - p.y, p.x};
        case GPUImageRotationMode::RotateRight:
            return {p.y, 1 - p.x};
        case GPUImageRotationMode::FlipVertical:
            return {p.x, 1 - p.y};
        case GPUImageRotationMode::FlipHorizontal:
            return {1 - p.x, p.y};
        case GPUImageRotationMode::RotateRightFlipVertical:
            return {p.y, p.x};
        case GPUImageRotationMode::RotateRightFlipHorizontal:
            return {1 - p.y, 1 - p.x};
        case GPUImageRotationMode::Rotate180:
            return {1 - p.x, 1 - p.y};
    }
    return p;
}

}  // namespace gpuimage
