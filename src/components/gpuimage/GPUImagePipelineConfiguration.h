#pragma once

// Reading a filter pipeline's configuration: a dictionary whose "Filters"
// array names, in chain order, each filter's class ("FilterName") and the
// operations to call on it ("Attributes": operation name → value). A value
// is a typed string such as "float(0.5)", "CGPoint(0.5, 0.25)" or
// "NSString(text)", or an array of them. Classes and operations are looked
// up in GPUImageFilterRegistry; anything it does not know, or a value that
// does not read, fails the whole configuration.

#include "components/gpuimage/GPUImageFilterRegistry.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace gpuimage {

inline constexpr const char* kGPUImageFilterPipelineErrorDomain = "GPUImageFilterPipeline";
inline constexpr const char* kGPUImagePipelineParsingErrorText = "Sorry, a parsing error occurred.";

// One typed attribute string: its type word ("float", "CGPoint",
// "NSString") and its value; none when the text does not read.
struct GPUImageTypedAttribute {
    std::string typeWord;
    GPUImageAttributeArgument value;
};
std::optional<GPUImageTypedAttribute> parseAttributeString(const std::string& text);

struct GPUImagePipelineConfiguration {
    std::vector<std::shared_ptr<GPUImageOutput>> filters;
    // The text of the last "NSString" value read.
    std::string stringValue;
};

// Makes the filters and calls their operations in order. On failure the
// error (domain kGPUImageFilterPipelineErrorDomain, code 1) carries
// kGPUImagePipelineParsingErrorText and the filters made so far are dropped.
foundation::Result<GPUImagePipelineConfiguration> readPipelineConfiguration(
    const foundation::Dictionary& configuration,
    const GPUImageFilterRegistry& registry = GPUImageFilterRegistry::shared());

}  // namespace gpuimage
