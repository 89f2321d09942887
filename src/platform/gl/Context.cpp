#include "platform/gl/Context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GLES/gl.h>
#include <cstring>
#include <mutex>

namespace gl {

using foundation::Error;

namespace {

Error glError(GLErrorCode code, const std::string& text) { return Error(kGLErrorDomain, code, text); }

std::string eglCodeText(EGLint code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(code));
    return text;
}

bool hasExtension(const char* list, const char* name) {
    if (!list) return false;
    size_t length = std::strlen(name);
    for (const char* at = std::strstr(list, name); at; at = std::strstr(at + 1, name)) {
        bool starts = at == list || at[-1] == ' ';
        bool ends = at[length] == ' ' || at[length] == '\0';
        if (starts && ends) return true;
    }
    return false;
}

// One initialised surfaceless display for the process; plain eglGetDisplay
// needs X or Wayland and fails without them.
foundation::Result<EGLDisplay> surfacelessDisplay() {
    static std::mutex mutex;
    static EGLDisplay display = EGL_NO_DISPLAY;
    static std::optional<Error> failure;
    std::lock_guard lock(mutex);
    if (display != EGL_NO_DISPLAY) return display;
    if (failure) return *failure;

    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (!hasExtension(clientExtensions, "EGL_MESA_platform_surfaceless") ||
        !hasExtension(clientExtensions, "EGL_EXT_platform_base")) {
        failure = glError(kGLErrorNoDisplay, "EGL offers no surfaceless platform.");
        return *failure;
    }
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay) {
        failure = glError(kGLErrorNoDisplay, "EGL has no eglGetPlatformDisplayEXT.");
        return *failure;
    }
    EGLDisplay candidate = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    EGLint major = 0, minor = 0;
    if (candidate == EGL_NO_DISPLAY || !eglInitialize(candidate, &major, &minor)) {
        failure = glError(kGLErrorNoDisplay,
                          "The surfaceless EGL display could not be initialised (" + eglCodeText(eglGetError()) + ").");
        return *failure;
    }
    const char* extensions = eglQueryString(candidate, EGL_EXTENSIONS);
    for (const char* needed : {"EGL_KHR_no_config_context", "EGL_KHR_surfaceless_context"}) {
        if (!hasExtension(extensions, needed)) {
            eglTerminate(candidate);
            failure = glError(kGLErrorMissingExtension, std::string("EGL lacks ") + needed + ".");
            return *failure;
        }
    }
    display = candidate;
    return display;
}

}  // namespace

Context::Context(Api api, void* display, void* context)
    : api_(api), display_(display), context_(context), owner_(std::this_thread::get_id()) {}

foundation::Result<std::unique_ptr<Context>> Context::create(Api api) {
    auto display = surfacelessDisplay();
    if (!display.ok()) return display.error();
    if (!eglBindAPI(EGL_OPENGL_ES_API))
        return glError(kGLErrorNoContext, "EGL cannot bind OpenGL ES (" + eglCodeText(eglGetError()) + ").");
    const EGLint attributes[] = {EGL_CONTEXT_CLIENT_VERSION, static_cast<EGLint>(api), EGL_NONE};
    EGLContext context = eglCreateContext(*display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, attributes);
    if (context == EGL_NO_CONTEXT) {
        return glError(kGLErrorNoContext, "No OpenGL ES " + std::to_string(static_cast<int>(api)) +
                                              " context could be made (" + eglCodeText(eglGetError()) + ").");
    }
    return std::unique_ptr<Context>(new Context(api, *display, context));
}

Context::~Context() {
    if (isCurrent()) clearCurrent();
    eglDestroyContext(display_, context_);
}

foundation::Status Context::makeCurrent() {
    if (std::this_thread::get_id() != owner_)
        return glError(kGLErrorWrongThread, "A GL context was used on a thread other than its own.");
    if (isCurrent()) return foundation::Status::success();
    if (!eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_))
        return glError(kGLErrorMakeCurrent,
                       "The GL context could not be made current (" + eglCodeText(eglGetError()) + ").");
    return foundation::Status::success();
}

bool Context::isCurrent() const { return eglGetCurrentContext() == context_; }

void Context::clearCurrent() {
    EGLDisplay display = eglGetCurrentDisplay();
    if (display != EGL_NO_DISPLAY) eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
}

std::string Context::rendererDescription() {
    auto text = [](GLenum name) {
        const GLubyte* value = glGetString(name);
        return value ? std::string(reinterpret_cast<const char*>(value)) : std::string("?");
    };
    return text(GL_RENDERER) + " / " + text(GL_VERSION);
}

}  // namespace gl
