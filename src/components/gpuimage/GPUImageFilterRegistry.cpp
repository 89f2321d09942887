#include "components/gpuimage/GPUImageFilterRegistry.h"

#include "components/gpuimage/GPUImageAverageColor.h"
#include "components/gpuimage/GPUImageBrightnessFilter.h"
#include "components/gpuimage/GPUImageBuffer.h"
#include "components/gpuimage/GPUImageChromaKeyBlendFilter.h"
#include "components/gpuimage/GPUImageFilter.h"

namespace gpuimage {

GPUImageAttributeKind attributeKindOf(const GPUImageAttributeArgument& argument) {
    return static_cast<GPUImageAttributeKind>(argument.index());
}

GPUImageFilterRegistry& GPUImageFilterRegistry::shared() {
    static GPUImageFilterRegistry* registry = [] {
        auto* made = new GPUImageFilterRegistry();
        registerBuiltInFilters(*made);
        return made;
    }();
    return *registry;
}

void GPUImageFilterRegistry::registerClass(const std::string& name, Factory factory, const std::string& superclass) {
    std::lock_guard lock(mutex_);
    ClassEntry& entry = classes_[name];
    entry.factory = std::move(factory);
    entry.superclass = superclass;
}

void GPUImageFilterRegistry::registerOperation(const std::string& className, const std::string& selector,
                                               GPUImageAttributeKind kind, Invoker invoke) {
    std::lock_guard lock(mutex_);
    classes_[className].operations[selector] = Operation{kind, std::move(invoke)};
}

bool GPUImageFilterRegistry::hasClass(const std::string& name) const {
    std::lock_guard lock(mutex_);
    auto found = classes_.find(name);
    return found != classes_.end() && found->second.factory;
}

std::shared_ptr<GPUImageOutput> GPUImageFilterRegistry::make(const std::string& name) const {
    Factory factory;
    {
        std::lock_guard lock(mutex_);
        auto found = classes_.find(name);
        if (found == classes_.end() || !found->second.factory) return nullptr;
        factory = found->second.factory;
    }
    // Outside the lock: a filter's constructor may register classes itself.
    return factory();
}

std::optional<GPUImageFilterRegistry::Operation> GPUImageFilterRegistry::operation(const std::string& className,
                                                                                   const std::string& selector) const {
    std::lock_guard lock(mutex_);
    std::string current = className;
    // The chain is bounded by the number of classes, so a registration that
    // names its own subclass as superclass cannot loop for ever.
    for (size_t depth = 0; depth <= classes_.size() && !current.empty(); ++depth) {
        auto found = classes_.find(current);
        if (found == classes_.end()) return std::nullopt;
        if (auto op = found->second.operations.find(selector); op != found->second.operations.end()) return op->second;
        current = found->second.superclass;
    }
    return std::nullopt;
}

void registerBuiltInFilters(GPUImageFilterRegistry& registry) {
    registry.registerClass<GPUImageFilter>("GPUImageFilter");
    registry.registerClass<GPUImageBrightnessFilter>("GPUImageBrightnessFilter", "GPUImageFilter");
    registry.registerOperation("GPUImageBrightnessFilter", "setBrightness:", &GPUImageBrightnessFilter::setBrightness);
    registry.registerClass<GPUImageChromaKeyBlendFilter>("GPUImageChromaKeyBlendFilter", "GPUImageFilter");
    registry.registerOperation("GPUImageChromaKeyBlendFilter",
                               "setThresholdSensitivity:", &GPUImageChromaKeyBlendFilter::setThresholdSensitivity);
    registry.registerOperation("GPUImageChromaKeyBlendFilter",
                               "setSmoothing:", &GPUImageChromaKeyBlendFilter::setSmoothing);
    registry.registerClass<GPUImageBuffer>("GPUImageBuffer", "GPUImageFilter");
    registry.registerOperation("GPUImageBuffer", "setBufferSize:", &GPUImageBuffer::setBufferSize);
    registry.registerClass<GPUImageAverageColor>("GPUImageAverageColor", "GPUImageFilter");
}

}  // namespace gpuimage
