#pragma once

// A surfaceless EGL context of OpenGL ES 1 or 2 with no config (rendering goes
// into framebuffer objects only), usable on the thread that made it. EGL
// refuses a context that is current on another thread, so a context remembers
// its thread and refuses to be made current elsewhere instead of failing
// inside the driver.

#include "platform/foundation/Error.h"

#include <memory>
#include <string>
#include <thread>

namespace gl {

inline constexpr const char* kGLErrorDomain = "GLErrorDomain";

enum GLErrorCode : int64_t {
    kGLErrorNoDisplay = 1,    // no surfaceless EGL display (no driver)
    kGLErrorNoContext = 2,    // the driver made no context of that version
    kGLErrorMakeCurrent = 3,  // the context could not be made current
    kGLErrorWrongThread = 4,  // made current on a thread that does not own it
    kGLErrorIncompleteFramebuffer = 5,
    kGLErrorMissingExtension = 6,
};

enum class Api { Es1 = 1, Es2 = 2 };

class Context {
public:
    // A new context on the calling thread, which becomes its owner.
    static foundation::Result<std::unique_ptr<Context>> create(Api api);
    ~Context();
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    Api api() const { return api_; }
    foundation::Status makeCurrent();
    bool isCurrent() const;
    // Leaves the calling thread without a current context.
    static void clearCurrent();

    // GL_RENDERER and GL_VERSION of the current context, for messages.
    static std::string rendererDescription();

private:
    Context(Api api, void* display, void* context);

    Api api_;
    void* display_;
    void* context_;
    std::thread::id owner_;
};

}  // namespace gl
