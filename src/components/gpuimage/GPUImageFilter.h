#pragma once

// One shader pass: a target that receives one input texture and a source
// that owns one framebuffer with one output texture. Each frame it draws a
// screen-filling quad with its program, reading the input through the
// texture coordinates of the input's rotation, and passes the frame on.
//
// Make filters with std::make_shared: queued work (uniform setters) holds
// them weakly and targets hand textures back through a weak handle.
//
// Failures (no context, a program that does not link, an incomplete
// framebuffer) are kept as error(); a filter that has one draws nothing.

#include "components/gpuimage/GPUImageOutput.h"

#include <atomic>
#include <map>
#include <string>
#include <vector>

namespace gpuimage {

extern const char* const kGPUImageVertexShaderString;
extern const char* const kGPUImagePassthroughFragmentShaderString;

class GPUImageFilter : public GPUImageOutput, public GPUImageInput {
public:
    // Builds the program on the context queue; the attributes "position" and
    // "inputTextureCoordinate" get locations 0 and 1, `extraAttributes` the
    // ones after them.
    GPUImageFilter(const std::string& vertexShader, const std::string& fragmentShader,
                   const std::vector<std::string>& extraAttributes = {});
    explicit GPUImageFilter(const std::string& fragmentShader);
    // The pass-through filter.
    GPUImageFilter();
    // The fragment shader from the main bundle's resource "name.fsh".
    static std::shared_ptr<GPUImageFilter> createWithFragmentShaderFromFile(const std::string& name);
    ~GPUImageFilter() override;

    // Called after every framebuffer creation, for size-dependent uniforms.
    virtual void setupFilterForSize(graphics::Size) {}

    // GPUImageInput (frame operations on the context queue).
    void newFrameReadyAtTime(FrameTime frameTime, int textureIndex) override;
    void setInputTexture(GLuint texture, int textureIndex) override;
    void setTextureDelegate(std::weak_ptr<GPUImageTextureDelegate> delegate, int textureIndex) override;
    int nextAvailableTextureIndex() override { return 0; }
    void setInputSize(graphics::Size size, int textureIndex) override;
    void setInputRotation(GPUImageRotationMode rotation, int textureIndex) override;
    graphics::Size maximumOutputSize() override { return {}; }
    void endProcessing() override;
    bool shouldIgnoreUpdatesToThisTarget() override { return GPUImageOutput::shouldIgnoreUpdatesToThisTarget(); }
    bool enabled() override { return isEnabled(); }
    void conserveMemoryForNextFrame() override;
    bool wantsMonochromeInput() override { return false; }
    void setCurrentlyReceivingMonochromeInput(bool monochrome) override {
        currentlyReceivingMonochromeInput_ = monochrome;
    }
    bool currentlyReceivingMonochromeInput() const { return currentlyReceivingMonochromeInput_; }

    // Framebuffer.
    graphics::Size sizeOfFBO();
    virtual void setFilterFBO();
    virtual void setOutputFBO();
    virtual void createFilterFBOofSize(graphics::Size size);
    void destroyFilterFBO() override;
    virtual void recreateFilterFBO();
    void deleteOutputTexture() override;
    void cleanupOutputImage() override;
    virtual void releaseInputTexturesIfNeeded();
    GLuint filterFramebuffer() const { return filterFramebuffer_.get(); }

    // Processing (on the context queue).
    virtual void renderToTextureWithVertices(const float* vertices, const float* textureCoordinates,
                                             GLuint sourceTexture);
    virtual void informTargetsAboutNewFrameAtTime(FrameTime frameTime);
    virtual graphics::Size outputFrameSize() { return inputTextureSize_; }
    void forceProcessingAtSize(graphics::Size size) override;
    void forceProcessingAtSizeRespectingAspectRatio(graphics::Size size) override;
    graphics::Size rotatedSize(graphics::Size size, int textureIndex);
    void setBackgroundColor(float red, float green, float blue, float alpha);
    bool preventRendering() const { return preventRendering_; }
    void setPreventRendering(bool prevent) { preventRendering_ = prevent; }

    // Uniform setters: asynchronous on the context queue from any thread. The
    // value is kept and re-applied before every draw, since the program may
    // be shared with other filters.
    void setInteger(GLint value, GLint uniform, const std::shared_ptr<GLProgram>& program);
    void setInteger(GLint value, const std::string& uniformName);
    void setFloat(GLfloat value, GLint uniform, const std::shared_ptr<GLProgram>& program);
    void setFloat(GLfloat value, const std::string& uniformName);
    void setPoint(graphics::Point value, GLint uniform, const std::shared_ptr<GLProgram>& program);
    void setPoint(graphics::Point value, const std::string& uniformName);
    void setSize(graphics::Size value, GLint uniform, const std::shared_ptr<GLProgram>& program);
    void setSize(graphics::Size value, const std::string& uniformName);
    void setVec3(GPUVector3 value, GLint uniform, const std::shared_ptr<GLProgram>& program);
    void setFloatVec3(GPUVector3 value, const std::string& uniformName);
    void setVec4(GPUVector4 value, GLint uniform, const std::shared_ptr<GLProgram>& program);
    void setFloatVec4(GPUVector4 value, const std::string& uniformName);
    void setMatrix3f(const GPUMatrix3x3& value, GLint uniform, const std::shared_ptr<GLProgram>& program);
    void setMatrix4f(const GPUMatrix4x4& value, GLint uniform, const std::shared_ptr<GLProgram>& program);
    // The values are copied: the caller's array may change or go at once.
    void setFloatArray(const GLfloat* values, size_t length, GLint uniform, const std::shared_ptr<GLProgram>& program);
    void setFloatArray(const GLfloat* values, size_t length, const std::string& uniformName);
    // On the queue: keeps `apply` as the uniform's restore step and runs it.
    virtual void setAndExecuteUniformStateCallbackAtIndex(GLint uniform, const std::shared_ptr<GLProgram>& program,
                                                          std::function<void()> apply);
    virtual void setUniformsForProgramAtIndex(int programIndex);

    // The framebuffer's pixels, row 0 first, RGBA. Null without a frame.
    graphics::Image newCGImageFromCurrentlyProcessedOutputWithOrientation(
        graphics::ImageOrientation orientation) override;

    const std::shared_ptr<GLProgram>& filterProgram() const { return filterProgram_; }
    GPUImageRotationMode inputRotation() const { return inputRotation_; }

protected:
    // The texture coordinates for a rotation; the view has its own.
    virtual const std::array<float, 8>& textureCoordinatesForRotation(GPUImageRotationMode mode) const {
        return textureCoordinatesForRotationMode(mode);
    }
    bool hasProgram() const { return filterProgram_ != nullptr; }
    // Filters with more inputs bind them here, just before the draw.
    virtual void bindAdditionalInputs() {}

    GLuint filterSourceTexture_ = 0;
    gl::es2::Framebuffer filterFramebuffer_;
    std::shared_ptr<GLProgram> filterProgram_;
    GLint filterPositionAttribute_ = 0;
    GLint filterTextureCoordinateAttribute_ = 0;
    GLint filterInputTextureUniform_ = -1;
    float backgroundColor_[4] = {0, 0, 0, 0};
    bool isEndProcessing_ = false;
    graphics::Size currentFilterSize_;
    // Set from any thread (a plain property store), read on the queue.
    std::atomic<GPUImageRotationMode> inputRotation_{GPUImageRotationMode::NoRotation};
    bool currentlyReceivingMonochromeInput_ = false;
    bool preventRendering_ = false;
    std::map<GLint, std::function<void()>> uniformStateRestorationBlocks_;

private:
    void setUpProgram(const std::string& vertexShader, const std::string& fragmentShader,
                      const std::vector<std::string>& extraAttributes);
};

}  // namespace gpuimage
