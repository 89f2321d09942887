#pragma once

// OpenGL ES 1.1 (fixed function) with the framebuffer-object and point-sprite
// extensions, and the handles of its objects. ES 2 lives in Es2.h: the two
// header sets declare clashing names and are never included together.

#include "platform/foundation/Error.h"
#include "platform/gl/Handle.h"

#include <GLES/gl.h>
#include <GLES/glext.h>

namespace gl::es1 {

// The framebuffer-object entry points, which the ES 1 library does not
// export: they are looked up through EGL once.
struct Extensions {
    PFNGLGENFRAMEBUFFERSOESPROC genFramebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSOESPROC deleteFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFEROESPROC bindFramebuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSOESPROC checkFramebufferStatus = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFEROESPROC framebufferRenderbuffer = nullptr;
    PFNGLGENRENDERBUFFERSOESPROC genRenderbuffers = nullptr;
    PFNGLDELETERENDERBUFFERSOESPROC deleteRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFEROESPROC bindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEOESPROC renderbufferStorage = nullptr;
    PFNGLGETRENDERBUFFERPARAMETERIVOESPROC getRenderbufferParameteriv = nullptr;
};

// The entry points, or an error naming the first one missing.
foundation::Result<const Extensions*> loadExtensions();
// The loaded entry points; only valid after loadExtensions() succeeded.
const Extensions& ext();

struct TextureDeleter {
    void operator()(Name name) const { glDeleteTextures(1, &name); }
};
struct FramebufferDeleter {
    void operator()(Name name) const { ext().deleteFramebuffers(1, &name); }
};
struct RenderbufferDeleter {
    void operator()(Name name) const { ext().deleteRenderbuffers(1, &name); }
};
struct BufferDeleter {
    void operator()(Name name) const { glDeleteBuffers(1, &name); }
};

using Texture = Handle<TextureDeleter>;
using Framebuffer = Handle<FramebufferDeleter>;
using Renderbuffer = Handle<RenderbufferDeleter>;
using Buffer = Handle<BufferDeleter>;

Texture makeTexture();
Framebuffer makeFramebuffer();
Renderbuffer makeRenderbuffer();

}  // namespace gl::es1
