#include "components/gpuimage/GPUImageLog.h"

#include <cstdio>
#include <mutex>

namespace gpuimage {
namespace {

std::mutex& logMutex() {
    static std::mutex mutex;
    return mutex;
}

GPULogObserver& observer() {
    static GPULogObserver instance;
    return instance;
}

}  // namespace

void gpuLog(const std::string& text) {
    std::lock_guard lock(logMutex());
    std::fprintf(stderr, "%s\n", text.c_str());
    if (observer()) observer()(text);
}

void setGPULogObserver(GPULogObserver newObserver) {
    std::lock_guard lock(logMutex());
    observer() = std::move(newObserver);
}

}  // namespace gpuimage
