#pragma once

// A straight chain of filters between one source and one target: the
// source feeds the first filter, each filter the next, the last the target.
// The list is given as objects or read from a configuration (see
// GPUImagePipelineConfiguration.h); every change of the list re-wires the
// chain at once, removing every earlier target of the source and of each
// listed filter.
//
// Wiring runs on the caller's thread (each graph change enters the context
// queue itself); change the chain while no frame is in flight.

#include "components/gpuimage/GPUImageOutput.h"
#include "components/gpuimage/GPUImagePipelineConfiguration.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace gpuimage {

class GPUImageFilterPipeline {
public:
    using Filters = std::vector<std::shared_ptr<GPUImageOutput>>;

    // Every filter must also be a target (GPUImageInput).
    static std::shared_ptr<GPUImageFilterPipeline> create(Filters filters, std::shared_ptr<GPUImageOutput> input,
                                                          std::shared_ptr<GPUImageInput> output);
    // A configuration that does not read logs "Sorry, a parsing error
    // occurred." and gives that error: no pipeline, nothing wired.
    static foundation::Result<std::shared_ptr<GPUImageFilterPipeline>> createWithConfiguration(
        const foundation::Dictionary& configuration, std::shared_ptr<GPUImageOutput> input,
        std::shared_ptr<GPUImageInput> output);
    // A property-list file holding such a configuration.
    static foundation::Result<std::shared_ptr<GPUImageFilterPipeline>> createWithConfigurationFile(
        const std::string& path, std::shared_ptr<GPUImageOutput> input, std::shared_ptr<GPUImageInput> output);

    // Indexes are the caller's to keep in range; one out of range changes nothing.
    void addFilter(std::shared_ptr<GPUImageOutput> filter);
    void addFilter(std::shared_ptr<GPUImageOutput> filter, size_t atIndex);
    void replaceFilterAtIndex(size_t index, std::shared_ptr<GPUImageOutput> filter);
    void removeFilterAtIndex(size_t index);
    void removeAllFilters();
    void replaceAllFilters(Filters filters);

    // The last filter's current output; a null image without filters.
    graphics::Image currentFilteredFrame();
    graphics::Image currentFilteredFrameWithOrientation(graphics::ImageOrientation orientation);
    graphics::Image newCGImageFromCurrentFilteredFrame() { return currentFilteredFrame(); }
    graphics::Image newCGImageFromCurrentFilteredFrameWithOrientation(graphics::ImageOrientation orientation) {
        return currentFilteredFrameWithOrientation(orientation);
    }

    // Setting these does not re-wire.
    Filters filters() const;
    void setFilters(Filters filters);
    std::shared_ptr<GPUImageOutput> input() const;
    void setInput(std::shared_ptr<GPUImageOutput> input);
    std::shared_ptr<GPUImageInput> output() const;
    void setOutput(std::shared_ptr<GPUImageInput> output);
    // The text of the last "NSString" value of the configuration.
    const std::string& stringValue() const { return stringValue_; }

    // Made through the create functions; public for std::make_shared.
    GPUImageFilterPipeline(Filters filters, std::shared_ptr<GPUImageOutput> input,
                           std::shared_ptr<GPUImageInput> output);

private:
    void refreshFilters();
    std::shared_ptr<GPUImageOutput> lastFilter() const;

    mutable std::mutex mutex_;
    Filters filters_;
    std::shared_ptr<GPUImageOutput> input_;
    std::shared_ptr<GPUImageInput> output_;
    std::string stringValue_;
};

}  // namespace gpuimage
