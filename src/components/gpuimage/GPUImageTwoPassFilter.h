#pragma once

// A filter of two shader passes over each frame: the first is the filter
// base's draw into its own framebuffer; the second draws with a second
// program from the first pass's texture into a second framebuffer, whose
// texture is what the targets receive and what a read-back reads.
//
// Uniform setters address either pass by the program they are given; each
// pass re-applies its own stored values before it draws.

#include "components/gpuimage/GPUImageFilter.h"

namespace gpuimage {

class GPUImageTwoPassFilter : public GPUImageFilter {
public:
    GPUImageTwoPassFilter(const std::string& firstStageVertexShader, const std::string& firstStageFragmentShader,
                          const std::string& secondStageVertexShader, const std::string& secondStageFragmentShader);
    // Both passes with the default vertex shader.
    GPUImageTwoPassFilter(const std::string& firstStageFragmentShader, const std::string& secondStageFragmentShader);
    ~GPUImageTwoPassFilter() override;

    GLuint textureForOutput() override { return secondFilterOutputTexture_.get(); }
    const std::shared_ptr<GLProgram>& secondFilterProgram() const { return secondFilterProgram_; }

    void setFilterFBO() override;
    void setSecondFilterFBO();
    void setOutputFBO() override { setSecondFilterFBO(); }
    // Makes the first framebuffer when missing, then the second.
    void createFilterFBOofSize(graphics::Size size) override;
    void createSecondFilterFBOofSize(graphics::Size size);
    void destroyFilterFBO() override;
    void deleteOutputTexture() override;
    // Drops both framebuffers and textures; the next draw makes them again.
    void recreateFilterFBO() override;
    void initializeSecondOutputTextureIfNeeded();

    void renderToTextureWithVertices(const float* vertices, const float* textureCoordinates,
                                     GLuint sourceTexture) override;
    // The input goes back inside the draw, after the second pass.
    void releaseInputTexturesIfNeeded() override {}

    void setAndExecuteUniformStateCallbackAtIndex(GLint uniform, const std::shared_ptr<GLProgram>& program,
                                                  std::function<void()> apply) override;
    // 0: the first pass's stored values; any other index the second's.
    void setUniformsForProgramAtIndex(int programIndex) override;

protected:
    gl::es2::Texture secondFilterOutputTexture_;
    std::shared_ptr<GLProgram> secondFilterProgram_;
    GLint secondFilterPositionAttribute_ = 0;
    GLint secondFilterTextureCoordinateAttribute_ = 0;
    GLint secondFilterInputTextureUniform_ = -1;
    GLint secondFilterInputTextureUniform2_ = -1;
    gl::es2::Framebuffer secondFilterFramebuffer_;
    std::map<GLint, std::function<void()>> secondProgramUniformStateRestorationBlocks_;
};

}  // namespace gpuimage
