// The filter's uniform setters and the read-back of its output.

#include "components/gpuimage/GPUImageFilter.h"

#include <QImage>

namespace gpuimage {

using foundation::Error;

void GPUImageFilter::setAndExecuteUniformStateCallbackAtIndex(GLint uniform, const std::shared_ptr<GLProgram>&,
                                                              std::function<void()> apply) {
    auto& stored = uniformStateRestorationBlocks_[uniform];
    stored = std::move(apply);
    stored();
}

void GPUImageFilter::setUniformsForProgramAtIndex(int) {
    for (const auto& [uniform, apply] : uniformStateRestorationBlocks_) apply();
}

namespace {

// Makes the program current and keeps and runs the uniform's GL call.
void storeUniform(GPUImageFilter& filter, GLint uniform, const std::shared_ptr<GLProgram>& program,
                  std::function<void()> apply) {
    if (!program || !GPUImageContext::useImageProcessingContext()) return;
    GPUImageContext::setActiveShaderProgram(program);
    filter.setAndExecuteUniformStateCallbackAtIndex(uniform, program, std::move(apply));
}

}  // namespace

#define GPUIMAGE_BY_NAME(call)                                                                      \
    runOnQueueWhileAlive([this, value, uniformName] {                                               \
        if (filterProgram_) call(value, filterProgram_->uniformIndex(uniformName), filterProgram_); \
    })

void GPUImageFilter::setInteger(GLint value, GLint uniform, const std::shared_ptr<GLProgram>& program) {
    runOnQueueWhileAlive([this, value, uniform, program] {
        storeUniform(*this, uniform, program, [=] { glUniform1i(uniform, value); });
    });
}
void GPUImageFilter::setInteger(GLint value, const std::string& uniformName) { GPUIMAGE_BY_NAME(setInteger); }

void GPUImageFilter::setFloat(GLfloat value, GLint uniform, const std::shared_ptr<GLProgram>& program) {
    runOnQueueWhileAlive([this, value, uniform, program] {
        storeUniform(*this, uniform, program, [=] { glUniform1f(uniform, value); });
    });
}
void GPUImageFilter::setFloat(GLfloat value, const std::string& uniformName) { GPUIMAGE_BY_NAME(setFloat); }

void GPUImageFilter::setPoint(graphics::Point value, GLint uniform, const std::shared_ptr<GLProgram>& program) {
    runOnQueueWhileAlive([this, value, uniform, program] {
        storeUniform(*this, uniform, program, [=] {
            GLfloat pair[2] = {static_cast<GLfloat>(value.x), static_cast<GLfloat>(value.y)};
            glUniform2fv(uniform, 1, pair);
        });
    });
}
void GPUImageFilter::setPoint(graphics::Point value, const std::string& uniformName) { GPUIMAGE_BY_NAME(setPoint); }

void GPUImageFilter::setSize(graphics::Size value, GLint uniform, const std::shared_ptr<GLProgram>& program) {
    runOnQueueWhileAlive([this, value, uniform, program] {
        storeUniform(*this, uniform, program, [=] {
            GLfloat pair[2] = {static_cast<GLfloat>(value.width), static_cast<GLfloat>(value.height)};
            glUniform2fv(uniform, 1, pair);
        });
    });
}
void GPUImageFilter::setSize(graphics::Size value, const std::string& uniformName) { GPUIMAGE_BY_NAME(setSize); }

void GPUImageFilter::setVec3(GPUVector3 value, GLint uniform, const std::shared_ptr<GLProgram>& program) {
    runOnQueueWhileAlive([this, value, uniform, program] {
        storeUniform(*this, uniform, program, [=] { glUniform3fv(uniform, 1, &value.one); });
    });
}
void GPUImageFilter::setFloatVec3(GPUVector3 value, const std::string& uniformName) { GPUIMAGE_BY_NAME(setVec3); }

void GPUImageFilter::setVec4(GPUVector4 value, GLint uniform, const std::shared_ptr<GLProgram>& program) {
    runOnQueueWhileAlive([this, value, uniform, program] {
        storeUniform(*this, uniform, program, [=] { glUniform4fv(uniform, 1, &value.one); });
    });
}
void GPUImageFilter::setFloatVec4(GPUVector4 value, const std::string& uniformName) { GPUIMAGE_BY_NAME(setVec4); }

#undef GPUIMAGE_BY_NAME

void GPUImageFilter::setMatrix3f(const GPUMatrix3x3& value, GLint uniform, const std::shared_ptr<GLProgram>& program) {
    runOnQueueWhileAlive([this, value, uniform, program] {
        storeUniform(*this, uniform, program, [=] { glUniformMatrix3fv(uniform, 1, GL_FALSE, &value.one.one); });
    });
}

void GPUImageFilter::setMatrix4f(const GPUMatrix4x4& value, GLint uniform, const std::shared_ptr<GLProgram>& program) {
    runOnQueueWhileAlive([this, value, uniform, program] {
        storeUniform(*this, uniform, program, [=] { glUniformMatrix4fv(uniform, 1, GL_FALSE, &value.one.one); });
    });
}

void GPUImageFilter::setFloatArray(const GLfloat* values, size_t length, GLint uniform,
                                   const std::shared_ptr<GLProgram>& program) {
    // A copy now: the filter re-applies the values before every later draw,
    // long after the caller's array may have changed or gone.
    std::vector<GLfloat> copy(values, values + (values ? length : 0));
    runOnQueueWhileAlive([this, copy = std::move(copy), uniform, program] {
        storeUniform(*this, uniform, program,
                     [=] { glUniform1fv(uniform, static_cast<GLsizei>(copy.size()), copy.data()); });
    });
}

void GPUImageFilter::setFloatArray(const GLfloat* values, size_t length, const std::string& uniformName) {
    std::vector<GLfloat> copy(values, values + (values ? length : 0));
    runOnQueueWhileAlive([this, copy = std::move(copy), uniformName] {
        if (filterProgram_)
            setFloatArray(copy.data(), copy.size(), filterProgram_->uniformIndex(uniformName), filterProgram_);
    });
}

graphics::Image GPUImageFilter::newCGImageFromCurrentlyProcessedOutputWithOrientation(graphics::ImageOrientation) {
    if (outputTextureOptions_.internalFormat != GL_RGBA) {
        setError(Error(kGPUImageErrorDomain, kGPUImageErrorOutputFormat,
                       "For conversion to a CGImage the output texture format for this filter must be GL_RGBA."));
        return {};
    }
    if (outputTextureOptions_.type != GL_UNSIGNED_BYTE) {
        setError(Error(kGPUImageErrorDomain, kGPUImageErrorOutputFormat,
                       "For conversion to a CGImage the type of the output texture of this filter must be "
                       "GL_UNSIGNED_BYTE."));
        return {};
    }
    graphics::Image image;
    runSynchronouslyOnContextQueue([&] {
        if (failed() || !filterProgram_ || !GPUImageContext::useImageProcessingContext()) return;
        graphics::Size size = sizeOfFBO();
        int width = static_cast<int>(size.width), height = static_cast<int>(size.height);
        if (width < 1 || height < 1 || !filterFramebuffer_) return;  // no frame drawn yet
        setOutputFBO();
        QImage pixels(width, height, QImage::Format_RGBA8888);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        // Rows as the framebuffer holds them: row 0 is the picture's top row,
        // since textures are uploaded top row first.
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.bits());
        image = graphics::Image(std::move(pixels));
    });
    return image;
}

}  // namespace gpuimage
