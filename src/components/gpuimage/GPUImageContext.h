#pragma once

// The pipeline's one OpenGL ES 2.0 context and the queue it lives on.
//
// Every GL call, every change of pipeline GL objects and every call from a
// source into its targets runs on the context queue, a serial queue bound to
// one thread (EGL refuses a context that is current on another thread).
// Running on the queue already, both entry points run their closure inline,
// so pipeline code may nest them freely.
//
// Without a usable driver the context is never made: the failure is kept as
// an Error, and every operation that needs GL does nothing.

#include "components/gpuimage/GLProgram.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Error.h"
#include "platform/gl/Context.h"
#include "platform/graphics/Geometry.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace gpuimage {

inline constexpr const char* kGPUImageContextQueueLabel = "com.quorvane.GPUImage.openGLESContextQueue";

inline constexpr const char* kGPUImageErrorDomain = "GPUImageErrorDomain";
enum GPUImageErrorCode : int64_t {
    kGPUImageErrorNoContext = 1,
    kGPUImageErrorLinkFailed = 2,
    kGPUImageErrorIncompleteFramebuffer = 3,
    kGPUImageErrorOutputFormat = 4,
};
inline constexpr const char* kGPUImageNoContextText =
    "Unable to create an OpenGL ES 2.0 context. The GPUImage framework requires OpenGL ES 2.0 support to work.";
// What a screen shows a user when the pipeline has no context.
inline constexpr const char* kGPUImageNoDriverText = "The graphics driver offers no OpenGL ES 2.0.";

void runSynchronouslyOnContextQueue(const std::function<void()>& block);
void runAsynchronouslyOnContextQueue(std::function<void()> block);

// Fits a size within a square texture of side `maximum`: a size with both
// sides strictly below it stays; otherwise the longer side becomes the
// maximum and the other keeps the aspect ratio (no rounding).
graphics::Size sizeThatFitsWithinATexture(graphics::Size size, int maximum);

// On the context queue: the cached program for the shader pair, linked on
// first use with the attributes "position", "inputTextureCoordinate" and then
// `extraAttributes` (locations 0, 1, 2, ...). A failed link logs the program's
// and both shaders' logs and gives "Filter shader link failed" with the logs
// underneath; without a context, the context's error.
foundation::Result<std::shared_ptr<GLProgram>> linkedProgramForShaders(
    const std::string& vertexShader, const std::string& fragmentShader,
    const std::vector<std::string>& extraAttributes = {});

// On the context queue: none while the bound framebuffer is complete, else
// "Incomplete filter FBO: <status>" (also logged).
std::optional<foundation::Error> incompleteFramebufferError();

class GPUImageContext {
public:
    static GPUImageContext& sharedImageProcessingContext();
    static const foundation::DispatchQueue& sharedContextQueue();

    // On the context queue: makes the shared context current (creating it on
    // first use); false when there is none.
    static bool useImageProcessingContext();
    // On the context queue: makes `program` current; the same program twice
    // in a row costs no GL call.
    static void setActiveShaderProgram(const std::shared_ptr<GLProgram>& program);

    // Device limits, read from GL once (on the context queue; callable from
    // any thread). 0 without a context.
    static int maximumTextureSizeForThisDevice();
    static int maximumTextureUnitsForThisDevice();
    static int maximumVaryingVectorsForThisDevice();
    // Exact names of GL_EXTENSIONS.
    static bool deviceSupportsOpenGLESExtension(const std::string& name);
    static bool deviceSupportsRedTextures();
    static bool deviceSupportsFramebufferReads();
    static graphics::Size sizeThatFitsWithinATextureForSize(graphics::Size size);
    // No pixel-buffer texture cache here: uploads and read-backs take the
    // plain GL paths.
    static constexpr bool supportsFastTextureUpload() { return false; }

    // Tests stand in a smaller device limit; none restores the device's own.
    static void overrideMaximumTextureSizeForTesting(std::optional<int> maximum);

    // Why there is no context, if there is none (makes it on first call).
    static std::optional<foundation::Error> contextError();

    const foundation::DispatchQueue& contextQueue() const { return contextQueue_; }

    // On the context queue: the context, made on first use and left current
    // with depth testing off; null when the driver offers none.
    gl::Context* context();

    // On the context queue: the cached program for the pair, made (unlinked)
    // on a miss. Null without a context.
    std::shared_ptr<GLProgram> programForVertexShaderString(const std::string& vertexShader,
                                                            const std::string& fragmentShader);
    size_t cachedProgramCount() const { return shaderProgramCache_.size(); }

    std::shared_ptr<GLProgram> currentShaderProgram() const { return currentShaderProgram_; }
    void setCurrentShaderProgram(std::shared_ptr<GLProgram> program) { currentShaderProgram_ = std::move(program); }

private:
    GPUImageContext();
    struct Limits;
    const Limits& limits();

    foundation::DispatchQueue contextQueue_;
    // Touched only on the context queue.
    std::unique_ptr<gl::Context> context_;
    std::optional<foundation::Error> contextError_;
    bool contextAttempted_ = false;
    std::map<std::string, std::shared_ptr<GLProgram>> shaderProgramCache_;
    std::shared_ptr<GLProgram> currentShaderProgram_;
    std::unique_ptr<Limits> limits_;
};

namespace detail {
template <class Handle>
void deleteOrLetGo(Handle& handle, bool inContext) {
    if (!inContext) handle.release();
    handle.reset();
}
template <class Handle>
void deleteOrLetGo(std::vector<Handle>& handles, bool inContext) {
    if (!inContext)
        for (auto& handle : handles) handle.release();
    handles.clear();
}
}  // namespace detail

// On the context queue: deletes GL objects (gl handles, or vectors of them)
// in the shared context. Without a context there is nothing to delete them
// in; their names are let go and go with the process.
template <class... Owners>
void deleteGLObjects(Owners&... owners) {
    const bool inContext = GPUImageContext::useImageProcessingContext();
    (detail::deleteOrLetGo(owners, inContext), ...);
}

}  // namespace gpuimage
