#pragma once

// OpenGL ES 2.0 and the handles of its objects (see Es1.h for ES 1.1).

#include "platform/gl/Handle.h"

#include <GLES2/gl2.h>
#include <GLES2/gl2ext.h>

namespace gl::es2 {

struct TextureDeleter {
    void operator()(Name name) const { glDeleteTextures(1, &name); }
};
struct FramebufferDeleter {
    void operator()(Name name) const { glDeleteFramebuffers(1, &name); }
};
struct RenderbufferDeleter {
    void operator()(Name name) const { glDeleteRenderbuffers(1, &name); }
};
struct BufferDeleter {
    void operator()(Name name) const { glDeleteBuffers(1, &name); }
};
struct ProgramDeleter {
    void operator()(Name name) const { glDeleteProgram(name); }
};
struct ShaderDeleter {
    void operator()(Name name) const { glDeleteShader(name); }
};

using Texture = Handle<TextureDeleter>;
using Framebuffer = Handle<FramebufferDeleter>;
using Renderbuffer = Handle<RenderbufferDeleter>;
using Buffer = Handle<BufferDeleter>;
using Program = Handle<ProgramDeleter>;
using Shader = Handle<ShaderDeleter>;

}  // namespace gl::es2
