#include "components/gpuimage/GPUImageProgramSetup.h"

#include "components/gpuimage/GPUImageContext.h"
#include "components/gpuimage/GPUImageLog.h"

namespace gpuimage {

foundation::Result<std::shared_ptr<GLProgram>> linkedProgram(const std::string& vertexShader,
                                                             const std::string& fragmentShader,
                                                             const std::vector<std::string>& attributes) {
    auto program =
        GPUImageContext::sharedImageProcessingContext().programForVertexShaderString(vertexShader, fragmentShader);
    if (!program) {
        return GPUImageContext::contextError().value_or(
            foundation::Error(kGPUImageErrorDomain, kGPUImageErrorNoContext, kGPUImageNoContextText));
    }
    if (program->initialized()) return program;
    for (const auto& name : attributes) program->addAttribute(name);
    if (program->link()) return program;
    const std::string programLog = program->programLog().value_or("(null)");
    const std::string fragmentLog = program->fragmentShaderLog().value_or("(null)");
    gpuLog("Program link log: " + programLog);
    gpuLog("Fragment shader compile log: " + fragmentLog);
    gpuLog("Vertex shader compile log: " + program->vertexShaderLog().value_or("(null)"));
    auto cause = std::make_shared<foundation::Error>(kGPUImageErrorDomain, kGPUImageErrorLinkFailed,
                                                     fragmentLog + "\n" + programLog);
    return foundation::Error(kGPUImageErrorDomain, kGPUImageErrorLinkFailed, "Filter shader link failed", cause);
}

}  // namespace gpuimage
