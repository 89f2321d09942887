#pragma once

// A chain of filters that looks like one filter: sources feed its initial
// filters, and its terminal filter's targets are the group's targets. The
// caller wires the members with addTarget and names the initial and terminal
// ones; the group owns its members.

#include "components/gpuimage/GPUImageOutput.h"

#include <vector>

namespace gpuimage {

class GPUImageFilterGroup : public GPUImageOutput, public GPUImageInput {
public:
    using Member = std::shared_ptr<GPUImageOutput>;

    void addFilter(const Member& filter) { filters_.push_back(filter); }
    Member filterAtIndex(size_t index) const { return index < filters_.size() ? filters_[index] : nullptr; }
    size_t filterCount() const { return filters_.size(); }

    // The terminal filter must also be a member; initial filters are targets.
    void setTerminalFilter(Member filter) { terminalFilter_ = std::move(filter); }
    const Member& terminalFilter() const { return terminalFilter_; }
    void setInitialFilters(std::vector<std::shared_ptr<GPUImageInput>> filters) {
        initialFilters_ = std::move(filters);
    }
    const std::vector<std::shared_ptr<GPUImageInput>>& initialFilters() const { return initialFilters_; }
    // An initial filter that receives textures but no frames.
    void setInputFilterToIgnoreForUpdates(std::shared_ptr<GPUImageInput> filter) {
        inputFilterToIgnoreForUpdates_ = std::move(filter);
    }

    // Output side: the terminal filter's.
    using GPUImageOutput::addTarget;
    void addTarget(const std::shared_ptr<GPUImageInput>& target, int textureLocation) override;
    void removeTarget(const std::shared_ptr<GPUImageInput>& target) override;
    void removeAllTargets() override;
    void setTargetToIgnoreForUpdates(GPUImageInput* target);
    void setFrameProcessingCompletionBlock(FrameProcessingCompletionBlock block);
    void prepareForImageCapture() override;
    graphics::Image newCGImageFromCurrentlyProcessedOutputWithOrientation(
        graphics::ImageOrientation orientation) override;
    void forceProcessingAtSize(graphics::Size size) override;
    void forceProcessingAtSizeRespectingAspectRatio(graphics::Size size) override;

    // Input side: every initial filter, at the same index.
    void newFrameReadyAtTime(FrameTime frameTime, int textureIndex) override;
    void setInputTexture(GLuint texture, int textureIndex) override;
    // The group stands between its source and its initial filters, so the
    // source hears once that all of them are done with its texture.
    void setTextureDelegate(std::weak_ptr<GPUImageTextureDelegate> delegate, int textureIndex) override;
    void textureNoLongerNeededForTarget(GPUImageInput* target) override;
    int nextAvailableTextureIndex() override { return 0; }
    void setInputSize(graphics::Size size, int textureIndex) override;
    void setInputRotation(GPUImageRotationMode rotation, int textureIndex) override;
    graphics::Size maximumOutputSize() override { return {}; }
    void endProcessing() override;
    bool shouldIgnoreUpdatesToThisTarget() override { return GPUImageOutput::shouldIgnoreUpdatesToThisTarget(); }
    bool enabled() override { return isEnabled(); }
    void conserveMemoryForNextFrame() override;
    // True when every initial filter wants it (and with none).
    bool wantsMonochromeInput() override;
    void setCurrentlyReceivingMonochromeInput(bool monochrome) override;

private:
    template <class Call>
    void forEachInitialFilter(Call&& call) {
        for (const auto& filter : initialFilters_) call(*filter);
    }

    std::vector<Member> filters_;
    Member terminalFilter_;
    std::vector<std::shared_ptr<GPUImageInput>> initialFilters_;
    std::shared_ptr<GPUImageInput> inputFilterToIgnoreForUpdates_;
    bool isEndProcessing_ = false;
};

}  // namespace gpuimage
