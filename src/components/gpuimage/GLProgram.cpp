#include "components/gpuimage/GLProgram.h"

#include "components/gpuimage/GPUImageContext.h"
#include "components/gpuimage/GPUImageLog.h"
#include "platform/foundation/Bundle.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace gpuimage {
namespace {

template <class LengthQuery, class LogQuery>
std::optional<std::string> infoLog(GLuint object, LengthQuery lengthQuery, LogQuery logQuery) {
    if (object == 0) return std::nullopt;
    GLint length = 0;
    lengthQuery(object, GL_INFO_LOG_LENGTH, &length);
    if (length <= 1) return std::nullopt;
    std::string text(static_cast<size_t>(length), '\0');
    GLsizei written = 0;
    logQuery(object, length, &written, text.data());
    text.resize(static_cast<size_t>(std::max<GLsizei>(written, 0)));
    if (text.empty()) return std::nullopt;
    return text;
}

}  // namespace

GLProgram::GLProgram(const std::optional<std::string>& vertexShaderString,
                     const std::optional<std::string>& fragmentShaderString)
    : program_(glCreateProgram()) {
    if (!compileShader(vertShader_, GL_VERTEX_SHADER, vertexShaderString)) gpuLog("Failed to compile vertex shader");
    if (!compileShader(fragShader_, GL_FRAGMENT_SHADER, fragmentShaderString))
        gpuLog("Failed to compile fragment shader");
    if (vertShader_) glAttachShader(program_.get(), vertShader_.get());
    if (fragShader_) glAttachShader(program_.get(), fragShader_.get());
}

GLProgram::~GLProgram() {
    // GL names belong to the shared context: delete them on its queue. Owned
    // by the cache, programs normally live as long as the process.
    auto names = std::make_shared<std::tuple<gl::es2::Program, gl::es2::Shader, gl::es2::Shader>>(
        std::move(program_), std::move(vertShader_), std::move(fragShader_));
    runAsynchronouslyOnContextQueue([names]() mutable {
        if (!GPUImageContext::useImageProcessingContext()) {
            std::get<0>(*names).release();
            std::get<1>(*names).release();
            std::get<2>(*names).release();
        }
        names.reset();
    });
}

std::optional<std::string> GLProgram::shaderSourceFromResource(const std::string& name, const std::string& type) {
    auto path = foundation::Bundle::main().pathForResource(name, type);
    if (!path) return std::nullopt;
    std::ifstream file(*path, std::ios::binary);
    if (!file) return std::nullopt;
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

bool GLProgram::compileShader(gl::es2::Shader& shader, GLenum type, const std::optional<std::string>& source) {
    if (!source) return false;
    shader.reset(glCreateShader(type));
    const GLchar* text = source->c_str();
    glShaderSource(shader.get(), 1, &text, nullptr);
    glCompileShader(shader.get());
    GLint status = GL_FALSE;
    glGetShaderiv(shader.get(), GL_COMPILE_STATUS, &status);
    if (status != GL_TRUE) {
        if (auto log = infoLog(shader.get(), glGetShaderiv, glGetShaderInfoLog)) gpuLog("Shader compile log:\n" + *log);
    }
    return status == GL_TRUE;
}

void GLProgram::addAttribute(const std::string& name) {
    if (std::find(attributes_.begin(), attributes_.end(), name) != attributes_.end()) return;
    attributes_.push_back(name);
    glBindAttribLocation(program_.get(), static_cast<GLuint>(attributes_.size() - 1), name.c_str());
}

GLuint GLProgram::attributeIndex(const std::string& name) const {
    auto at = std::find(attributes_.begin(), attributes_.end(), name);
    return static_cast<GLuint>(at - attributes_.begin());
}

GLint GLProgram::uniformIndex(const std::string& name) const {
    return glGetUniformLocation(program_.get(), name.c_str());
}

bool GLProgram::link() {
    glLinkProgram(program_.get());
    GLint status = GL_FALSE;
    glGetProgramiv(program_.get(), GL_LINK_STATUS, &status);
    if (status != GL_TRUE) return false;
    vertShader_.reset();
    fragShader_.reset();
    initialized_ = true;
    return true;
}

void GLProgram::use() { glUseProgram(program_.get()); }

void GLProgram::validate() {
    glValidateProgram(program_.get());
    if (auto log = programLog()) gpuLog("Program validate log:\n" + *log);
}

std::optional<std::string> GLProgram::programLog() const {
    return infoLog(program_.get(), glGetProgramiv, glGetProgramInfoLog);
}

std::optional<std::string> GLProgram::vertexShaderLog() const {
    return infoLog(vertShader_.get(), glGetShaderiv, glGetShaderInfoLog);
}

std::optional<std::string> GLProgram::fragmentShaderLog() const {
    return infoLog(fragShader_.get(), glGetShaderiv, glGetShaderInfoLog);
}

}  // namespace gpuimage
