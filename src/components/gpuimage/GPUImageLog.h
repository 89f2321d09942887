#pragma once

// The pipeline's diagnostic lines (shader logs, warnings): written to
// standard error and handed to an observer, so tests can read what was said.

#include <functional>
#include <string>

namespace gpuimage {

void gpuLog(const std::string& text);

// Receives every line after it is written; an empty function removes it.
// Called on the logging thread, which may be the context queue.
using GPULogObserver = std::function<void(const std::string&)>;
void setGPULogObserver(GPULogObserver observer);

}  // namespace gpuimage
