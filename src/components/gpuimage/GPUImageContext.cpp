#include "components/gpuimage/GPUImageContext.h"

#include "components/gpuimage/GPUImageLog.h"
#include "platform/gl/Es2.h"

#include <algorithm>
#include <atomic>
#include <sstream>

namespace gpuimage {

using foundation::Error;

struct GPUImageContext::Limits {
    int maximumTextureSize = 0;
    int maximumTextureUnits = 0;
    int maximumVaryingVectors = 0;
    std::vector<std::string> extensions;
};

namespace {

std::atomic<int> gMaximumTextureSizeOverride{0};

}  // namespace

void runSynchronouslyOnContextQueue(const std::function<void()>& block) {
    const auto& queue = GPUImageContext::sharedContextQueue();
    if (queue.isCurrent())
        block();
    else
        queue.sync(block);
}

void runAsynchronouslyOnContextQueue(std::function<void()> block) {
    const auto& queue = GPUImageContext::sharedContextQueue();
    if (queue.isCurrent())
        block();
    else
        queue.async(std::move(block));
}

graphics::Size sizeThatFitsWithinATexture(graphics::Size size, int maximum) {
    double limit = maximum;
    if (size.width < limit && size.height < limit) return size;
    if (size.width > size.height) return {limit, limit / size.width * size.height};
    return {limit / size.height * size.width, limit};
}

GPUImageContext::GPUImageContext()
    : contextQueue_(foundation::DispatchQueue::threadBound(kGPUImageContextQueueLabel)) {}

GPUImageContext& GPUImageContext::sharedImageProcessingContext() {
    // Lives for the process with its thread and context: tearing a GL context
    // down during static destruction races the driver's own clean-up.
    static GPUImageContext* instance = new GPUImageContext;
    return *instance;
}

const foundation::DispatchQueue& GPUImageContext::sharedContextQueue() {
    return sharedImageProcessingContext().contextQueue();
}

gl::Context* GPUImageContext::context() {
    if (!contextAttempted_) {
        contextAttempted_ = true;
        auto made = gl::Context::create(gl::Api::Es2);
        if (made.ok() && made.value()->makeCurrent().ok()) {
            context_ = std::move(made.value());
            glDisable(GL_DEPTH_TEST);
        } else {
            auto cause = made.ok() ? std::make_shared<Error>(kGPUImageErrorDomain, kGPUImageErrorNoContext,
                                                             "The context could not be made current.")
                                   : std::make_shared<Error>(made.error());
            contextError_ = Error(kGPUImageErrorDomain, kGPUImageErrorNoContext, kGPUImageNoContextText, cause);
        }
    }
    return context_.get();
}

bool GPUImageContext::useImageProcessingContext() {
    auto& shared = sharedImageProcessingContext();
    if (!shared.contextQueue_.isCurrent()) return false;  // GL belongs to the queue's thread only
    gl::Context* context = shared.context();
    if (!context) return false;
    return context->isCurrent() || context->makeCurrent().ok();
}

void GPUImageContext::setActiveShaderProgram(const std::shared_ptr<GLProgram>& program) {
    if (!program || !useImageProcessingContext()) return;
    auto& shared = sharedImageProcessingContext();
    if (shared.currentShaderProgram_ == program) return;
    shared.currentShaderProgram_ = program;
    program->use();
}

std::optional<Error> GPUImageContext::contextError() {
    std::optional<Error> error;
    runSynchronouslyOnContextQueue([&] {
        auto& shared = sharedImageProcessingContext();
        shared.context();
        error = shared.contextError_;
    });
    return error;
}

const GPUImageContext::Limits& GPUImageContext::limits() {
    // Called on the queue only, so the once-only read needs no lock.
    if (!limits_) {
        limits_ = std::make_unique<Limits>();
        if (useImageProcessingContext()) {
            glGetIntegerv(GL_MAX_TEXTURE_SIZE, &limits_->maximumTextureSize);
            glGetIntegerv(GL_MAX_TEXTURE_IMAGE_UNITS, &limits_->maximumTextureUnits);
            glGetIntegerv(GL_MAX_VARYING_VECTORS, &limits_->maximumVaryingVectors);
            const GLubyte* list = glGetString(GL_EXTENSIONS);
            std::istringstream words(list ? reinterpret_cast<const char*>(list) : "");
            for (std::string word; std::getline(words, word, ' ');)
                if (!word.empty()) limits_->extensions.push_back(word);
        }
    }
    return *limits_;
}

namespace {

template <class Read>
auto readOnQueue(Read read) {
    decltype(read(std::declval<GPUImageContext&>())) value{};
    runSynchronouslyOnContextQueue([&] { value = read(GPUImageContext::sharedImageProcessingContext()); });
    return value;
}

}  // namespace

int GPUImageContext::maximumTextureSizeForThisDevice() {
    if (int forced = gMaximumTextureSizeOverride.load(); forced > 0) return forced;
    return readOnQueue([](GPUImageContext& context) { return context.limits().maximumTextureSize; });
}

int GPUImageContext::maximumTextureUnitsForThisDevice() {
    return readOnQueue([](GPUImageContext& context) { return context.limits().maximumTextureUnits; });
}

int GPUImageContext::maximumVaryingVectorsForThisDevice() {
    return readOnQueue([](GPUImageContext& context) { return context.limits().maximumVaryingVectors; });
}

bool GPUImageContext::deviceSupportsOpenGLESExtension(const std::string& name) {
    return readOnQueue([&](GPUImageContext& context) {
        const auto& list = context.limits().extensions;
        return std::find(list.begin(), list.end(), name) != list.end();
    });
}

bool GPUImageContext::deviceSupportsRedTextures() { return deviceSupportsOpenGLESExtension("GL_EXT_texture_rg"); }

bool GPUImageContext::deviceSupportsFramebufferReads() {
    return deviceSupportsOpenGLESExtension("GL_EXT_shader_framebuffer_fetch");
}

graphics::Size GPUImageContext::sizeThatFitsWithinATextureForSize(graphics::Size size) {
    return sizeThatFitsWithinATexture(size, maximumTextureSizeForThisDevice());
}

void GPUImageContext::overrideMaximumTextureSizeForTesting(std::optional<int> maximum) {
    gMaximumTextureSizeOverride = maximum.value_or(0);
}

std::shared_ptr<GLProgram> GPUImageContext::programForVertexShaderString(const std::string& vertexShader,
                                                                         const std::string& fragmentShader) {
    if (!useImageProcessingContext()) return nullptr;
    std::string key = "V: " + vertexShader + " - F: " + fragmentShader;
    auto& program = shaderProgramCache_[key];
    if (!program) program = std::make_shared<GLProgram>(vertexShader, fragmentShader);
    return program;
}

namespace {

std::string orNone(const std::optional<std::string>& text) { return text ? *text : "(null)"; }

}  // namespace

foundation::Result<std::shared_ptr<GLProgram>> linkedProgramForShaders(
    const std::string& vertexShader, const std::string& fragmentShader,
    const std::vector<std::string>& extraAttributes) {
    if (!GPUImageContext::useImageProcessingContext()) {
        return GPUImageContext::contextError().value_or(
            Error(kGPUImageErrorDomain, kGPUImageErrorNoContext, kGPUImageNoContextText));
    }
    auto program =
        GPUImageContext::sharedImageProcessingContext().programForVertexShaderString(vertexShader, fragmentShader);
    if (program->initialized()) return program;
    program->addAttribute("position");
    program->addAttribute("inputTextureCoordinate");
    for (const auto& name : extraAttributes) program->addAttribute(name);
    if (program->link()) return program;
    std::string programLog = orNone(program->programLog());
    std::string fragmentLog = orNone(program->fragmentShaderLog());
    std::string vertexLog = orNone(program->vertexShaderLog());
    gpuLog("Program link log: " + programLog);
    gpuLog("Fragment shader compile log: " + fragmentLog);
    gpuLog("Vertex shader compile log: " + vertexLog);
    auto logs =
        std::make_shared<Error>(kGPUImageErrorDomain, kGPUImageErrorLinkFailed,
                                "Program link log: " + programLog + "\nFragment shader compile log: " + fragmentLog +
                                    "\nVertex shader compile log: " + vertexLog);
    return Error(kGPUImageErrorDomain, kGPUImageErrorLinkFailed, "Filter shader link failed", logs);
}

std::optional<Error> incompleteFramebufferError() {
    GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    if (status == GL_FRAMEBUFFER_COMPLETE) return std::nullopt;
    std::string text = "Incomplete filter FBO: " + std::to_string(status);
    gpuLog(text);
    return Error(kGPUImageErrorDomain, kGPUImageErrorIncompleteFramebuffer, text);
}

}  // namespace gpuimage
