#pragma once

// A compiled and linked GLSL program of one vertex and one fragment shader.
// Attribute locations follow the order in which attributes are added (the
// first is 0); uniform locations are asked of GL on every lookup.
//
// Everything here runs on the context queue with the shared context current;
// the context's program cache is the only maker of programs in the pipeline.

#include "platform/gl/Es2.h"

#include <optional>
#include <string>
#include <vector>

namespace gpuimage {

class GLProgram {
public:
    // Compiles both shaders and attaches them, also after a failure (the link
    // then fails and the logs say why). An absent source fails to compile.
    GLProgram(const std::optional<std::string>& vertexShaderString,
              const std::optional<std::string>& fragmentShaderString);
    ~GLProgram();
    GLProgram(const GLProgram&) = delete;
    GLProgram& operator=(const GLProgram&) = delete;

    // The UTF-8 text of the main bundle's resource "name.type" ("vsh", "fsh").
    static std::optional<std::string> shaderSourceFromResource(const std::string& name, const std::string& type);

    // Binds the next free location to the name; a name added twice keeps its
    // first location. Must come before link().
    void addAttribute(const std::string& name);
    // The location of an added attribute (its position in the list).
    GLuint attributeIndex(const std::string& name) const;
    // -1 when the program has no such active uniform.
    GLint uniformIndex(const std::string& name) const;

    // On success the shaders are deleted and the program is initialized; on
    // failure the shaders stay so their logs can be read.
    bool link();
    void use();
    void validate();

    bool initialized() const { return initialized_; }
    GLuint program() const { return program_.get(); }
    const std::vector<std::string>& attributes() const { return attributes_; }

    // Info logs; none when empty or when the shader is gone after a link.
    std::optional<std::string> programLog() const;
    std::optional<std::string> vertexShaderLog() const;
    std::optional<std::string> fragmentShaderLog() const;

private:
    static bool compileShader(gl::es2::Shader& shader, GLenum type, const std::optional<std::string>& source);

    gl::es2::Program program_;
    gl::es2::Shader vertShader_;
    gl::es2::Shader fragShader_;
    std::vector<std::string> attributes_;
    bool initialized_ = false;
};

}  // namespace gpuimage
