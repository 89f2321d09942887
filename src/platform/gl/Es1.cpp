#include "platform/gl/Es1.h"

#include "platform/gl/Context.h"

#include <EGL/egl.h>

namespace gl::es1 {

namespace {

Extensions loaded;

template <class F>
bool lookUp(F& slot, const char* name) {
    slot = reinterpret_cast<F>(eglGetProcAddress(name));
    return slot != nullptr;
}

foundation::Result<const Extensions*> lookUpAll() {
    Extensions e;
    const std::pair<bool, const char*> found[] = {
        {lookUp(e.genFramebuffers, "glGenFramebuffersOES"), "glGenFramebuffersOES"},
        {lookUp(e.deleteFramebuffers, "glDeleteFramebuffersOES"), "glDeleteFramebuffersOES"},
        {lookUp(e.bindFramebuffer, "glBindFramebufferOES"), "glBindFramebufferOES"},
        {lookUp(e.checkFramebufferStatus, "glCheckFramebufferStatusOES"), "glCheckFramebufferStatusOES"},
        {lookUp(e.framebufferRenderbuffer, "glFramebufferRenderbufferOES"), "glFramebufferRenderbufferOES"},
        {lookUp(e.genRenderbuffers, "glGenRenderbuffersOES"), "glGenRenderbuffersOES"},
        {lookUp(e.deleteRenderbuffers, "glDeleteRenderbuffersOES"), "glDeleteRenderbuffersOES"},
        {lookUp(e.bindRenderbuffer, "glBindRenderbufferOES"), "glBindRenderbufferOES"},
        {lookUp(e.renderbufferStorage, "glRenderbufferStorageOES"), "glRenderbufferStorageOES"},
        {lookUp(e.getRenderbufferParameteriv, "glGetRenderbufferParameterivOES"), "glGetRenderbufferParameterivOES"},
    };
    for (const auto& [ok, name] : found) {
        if (!ok)
            return foundation::Error(kGLErrorDomain, kGLErrorMissingExtension,
                                     std::string("OpenGL ES 1.1 lacks ") + name + ".");
    }
    loaded = e;
    return &loaded;
}

}  // namespace

foundation::Result<const Extensions*> loadExtensions() {
    static const foundation::Result<const Extensions*> result = lookUpAll();
    return result;
}

const Extensions& ext() { return loaded; }

Texture makeTexture() {
    Name name = 0;
    glGenTextures(1, &name);
    return Texture(name);
}

Framebuffer makeFramebuffer() {
    Name name = 0;
    ext().genFramebuffers(1, &name);
    return Framebuffer(name);
}

Renderbuffer makeRenderbuffer() {
    Name name = 0;
    ext().genRenderbuffers(1, &name);
    return Renderbuffer(name);
}

}  // namespace gl::es1
