#include "components/gpuimage/GPUImageTextureOutput.h"

namespace gpuimage {

void GPUImageTextureOutput::setDelegate(std::weak_ptr<GPUImageTextureOutputDelegate> delegate) {
    runSynchronouslyOnContextQueue([&] { delegate_ = std::move(delegate); });
}

void GPUImageTextureOutput::newFrameReadyAtTime(FrameTime, int) {
    if (auto delegate = delegate_.lock()) delegate->newFrameReadyFromTextureOutput(*this);
}

}  // namespace gpuimage
