#include "app/capture/CaptureCameraOrder.h"

#include <algorithm>

namespace cameraorder {

bool positionsTellApart(const std::vector<capture::CaptureDevicePtr>& cameras) {
    return std::all_of(cameras.begin(), cameras.end(),
                       [](const capture::CaptureDevicePtr& camera) { return camera->hasPosition(); });
}

namespace {

std::vector<std::string> sorted(std::vector<std::string> identifiers) {
    std::sort(identifiers.begin(), identifiers.end());
    return identifiers;
}

}  // namespace

std::string storedOrFirst(const std::vector<std::string>& identifiers, const std::string& stored) {
    if (std::find(identifiers.begin(), identifiers.end(), stored) != identifiers.end()) return stored;
    const auto order = sorted(identifiers);
    return order.empty() ? std::string() : order.front();
}

std::string next(const std::vector<std::string>& identifiers, const std::string& current) {
    const auto order = sorted(identifiers);
    if (order.empty()) return {};
    const auto found = std::find(order.begin(), order.end(), current);
    if (found == order.end() || found + 1 == order.end()) return order.front();
    return *(found + 1);
}

}  // namespace cameraorder
