#include "components/gpuimage/GPUImageFilterPipeline.h"

#include "components/gpuimage/GPUImageLog.h"
#include "platform/foundation/PropertyList.h"

namespace gpuimage {

GPUImageFilterPipeline::GPUImageFilterPipeline(Filters filters, std::shared_ptr<GPUImageOutput> input,
                                               std::shared_ptr<GPUImageInput> output)
    : filters_(std::move(filters)), input_(std::move(input)), output_(std::move(output)) {}

std::shared_ptr<GPUImageFilterPipeline> GPUImageFilterPipeline::create(Filters filters,
                                                                       std::shared_ptr<GPUImageOutput> input,
                                                                       std::shared_ptr<GPUImageInput> output) {
    auto pipeline = std::make_shared<GPUImageFilterPipeline>(std::move(filters), std::move(input), std::move(output));
    pipeline->refreshFilters();
    return pipeline;
}

foundation::Result<std::shared_ptr<GPUImageFilterPipeline>> GPUImageFilterPipeline::createWithConfiguration(
    const foundation::Dictionary& configuration, std::shared_ptr<GPUImageOutput> input,
    std::shared_ptr<GPUImageInput> output) {
    auto read = readPipelineConfiguration(configuration);
    if (!read) {
        gpuLog(kGPUImagePipelineParsingErrorText);
        return read.error();
    }
    auto pipeline =
        std::make_shared<GPUImageFilterPipeline>(std::move(read->filters), std::move(input), std::move(output));
    pipeline->stringValue_ = std::move(read->stringValue);
    pipeline->refreshFilters();
    return pipeline;
}

foundation::Result<std::shared_ptr<GPUImageFilterPipeline>> GPUImageFilterPipeline::createWithConfigurationFile(
    const std::string& path, std::shared_ptr<GPUImageOutput> input, std::shared_ptr<GPUImageInput> output) {
    auto list = foundation::plist::readFile(path);
    if (!list) return list.error();
    if (!list->isDictionary()) {
        gpuLog(kGPUImagePipelineParsingErrorText);
        return foundation::Error{kGPUImageFilterPipelineErrorDomain, 1, kGPUImagePipelineParsingErrorText};
    }
    return createWithConfiguration(list->asDictionary(), std::move(input), std::move(output));
}

void GPUImageFilterPipeline::refreshFilters() {
    Filters filters;
    std::shared_ptr<GPUImageOutput> previous;
    std::shared_ptr<GPUImageInput> output;
    {
        std::lock_guard lock(mutex_);
        filters = filters_;
        previous = input_;
        output = output_;
    }
    for (const auto& filter : filters) {
        auto target = std::dynamic_pointer_cast<GPUImageInput>(filter);
        if (!target) continue;
        if (previous) {
            previous->removeAllTargets();
            previous->addTarget(target);
        }
        previous = filter;
    }
    if (!previous) return;
    previous->removeAllTargets();
    if (output) previous->addTarget(output);
}

void GPUImageFilterPipeline::addFilter(std::shared_ptr<GPUImageOutput> filter) {
    {
        std::lock_guard lock(mutex_);
        filters_.push_back(std::move(filter));
    }
    refreshFilters();
}

void GPUImageFilterPipeline::addFilter(std::shared_ptr<GPUImageOutput> filter, size_t atIndex) {
    {
        std::lock_guard lock(mutex_);
        if (atIndex > filters_.size()) return;
        filters_.insert(filters_.begin() + static_cast<ptrdiff_t>(atIndex), std::move(filter));
    }
    refreshFilters();
}

void GPUImageFilterPipeline::replaceFilterAtIndex(size_t index, std::shared_ptr<GPUImageOutput> filter) {
    {
        std::lock_guard lock(mutex_);
        if (index >= filters_.size()) return;
        filters_[index] = std::move(filter);
    }
    refreshFilters();
}

void GPUImageFilterPipeline::removeFilterAtIndex(size_t index) {
    {
        std::lock_guard lock(mutex_);
        if (index >= filters_.size()) return;
        filters_.erase(filters_.begin() + static_cast<ptrdiff_t>(index));
    }
    refreshFilters();
}

void GPUImageFilterPipeline::removeAllFilters() { replaceAllFilters({}); }

void GPUImageFilterPipeline::replaceAllFilters(Filters filters) {
    {
        std::lock_guard lock(mutex_);
        filters_ = std::move(filters);
    }
    refreshFilters();
}

std::shared_ptr<GPUImageOutput> GPUImageFilterPipeline::lastFilter() const {
    std::lock_guard lock(mutex_);
    return filters_.empty() ? nullptr : filters_.back();
}

graphics::Image GPUImageFilterPipeline::currentFilteredFrame() {
    auto last = lastFilter();
    return last ? last->imageFromCurrentlyProcessedOutput() : graphics::Image();
}

graphics::Image GPUImageFilterPipeline::currentFilteredFrameWithOrientation(graphics::ImageOrientation orientation) {
    auto last = lastFilter();
    return last ? last->imageFromCurrentlyProcessedOutputWithOrientation(orientation) : graphics::Image();
}

GPUImageFilterPipeline::Filters GPUImageFilterPipeline::filters() const {
    std::lock_guard lock(mutex_);
    return filters_;
}

void GPUImageFilterPipeline::setFilters(Filters filters) {
    std::lock_guard lock(mutex_);
    filters_ = std::move(filters);
}

std::shared_ptr<GPUImageOutput> GPUImageFilterPipeline::input() const {
    std::lock_guard lock(mutex_);
    return input_;
}

void GPUImageFilterPipeline::setInput(std::shared_ptr<GPUImageOutput> input) {
    std::lock_guard lock(mutex_);
    input_ = std::move(input);
}

std::shared_ptr<GPUImageInput> GPUImageFilterPipeline::output() const {
    std::lock_guard lock(mutex_);
    return output_;
}

void GPUImageFilterPipeline::setOutput(std::shared_ptr<GPUImageInput> output) {
    std::lock_guard lock(mutex_);
    output_ = std::move(output);
}

}  // namespace gpuimage
