#pragma once

// Program set-up as every pass of the pipeline does it: the cached program
// for a shader pair, with its attributes bound in order and linked once.

#include "components/gpuimage/GLProgram.h"
#include "platform/foundation/Error.h"

#include <memory>
#include <string>
#include <vector>

namespace gpuimage {

// On the context queue with the context current. A program that does not
// link logs "Program link log:", "Fragment shader compile log:" and "Vertex
// shader compile log:" and gives the error "Filter shader link failed"
// (the logs as its cause).
foundation::Result<std::shared_ptr<GLProgram>> linkedProgram(const std::string& vertexShader,
                                                             const std::string& fragmentShader,
                                                             const std::vector<std::string>& attributes);

}  // namespace gpuimage
