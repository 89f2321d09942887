#include "app/capture/CaptureCameraOrder.h"

#include "app/capture/CaptureController.h"
#include "app/core/DataManager.h"

#include <algorithm>
#include <string_view>

namespace cameraorder {

bool positionsTellApart(const std::vector<capture::CaptureDevicePtr>& cameras) {
    return std::all_of(cameras.begin(), cameras.end(),
                       [](const capture::CaptureDevicePtr& camera) { return camera->hasPosition(); });
}

namespace {

std::vector<std::string> sorted(std::vector<std::string> identifiers) {
    std::sort(identifiers.begin(), identifiers.end(), inSwitchOrder);
    return identifiers;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The run of digits from `at`, without its leading zeros.
std::string_view number(std::string_view text, size_t& at) {
    const size_t start = at;
    while (at < text.size() && isDigit(text[at])) ++at;
    std::string_view digits = text.substr(start, at - start);
    while (digits.size() > 1 && digits.front() == '0') digits.remove_prefix(1);
    return digits;
}

std::vector<std::string> identifiers(const std::vector<capture::CaptureDevicePtr>& cameras) {
    std::vector<std::string> all;
    for (const auto& camera : cameras) all.push_back(camera->uniqueID());
    return all;
}

capture::CaptureDevicePtr withID(const std::vector<capture::CaptureDevicePtr>& cameras, const std::string& id) {
    for (const auto& camera : cameras)
        if (camera->uniqueID() == id) return camera;
    return nullptr;
}

}  // namespace

bool inSwitchOrder(const std::string& a, const std::string& b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            const std::string_view left = number(a, i), right = number(b, j);
            if (left.size() != right.size()) return left.size() < right.size();
            if (left != right) return left < right;
            continue;
        }
        if (a[i] != b[j]) return a[i] < b[j];
        ++i;
        ++j;
    }
    if ((a.size() - i) != (b.size() - j)) return a.size() - i < b.size() - j;
    return a < b;  // equal up to leading zeros: any fixed order
}

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

capture::CaptureDevicePtr firstAt(const std::vector<capture::CaptureDevicePtr>& cameras, int64_t position) {
    for (const auto& camera : cameras)
        if (static_cast<int64_t>(camera->position()) == position) return camera;
    return nullptr;
}

capture::CaptureDevicePtr cameraAfter(const std::vector<capture::CaptureDevicePtr>& cameras,
                                      const std::string& current) {
    return withID(cameras, next(identifiers(cameras), current));
}

capture::CaptureDevicePtr storedChoice(const std::vector<capture::CaptureDevicePtr>& cameras) {
    const DataManager& settings = DataManager::sharedDataManager();
    if (positionsTellApart(cameras)) return firstAt(cameras, settings.avCaptureDevicePosition());
    const std::string stored = settings.captureDeviceID();
    for (const auto& camera : cameras)
        if (!stored.empty() && camera->persistentID() == stored) return camera;
    return withID(cameras, storedOrFirst(identifiers(cameras), stored));
}

void storeChoice(const capture::CaptureDevice& camera) {
    DataManager& settings = DataManager::sharedDataManager();
    settings.setAvCaptureDevicePosition(static_cast<int64_t>(camera.position()));
    settings.setCaptureDeviceID(camera.persistentID());
}

capture::CaptureDevicePtr otherCamera(const std::vector<capture::CaptureDevicePtr>& cameras,
                                      const capture::CaptureDevice* current) {
    const DataManager& settings = DataManager::sharedDataManager();
    if (!positionsTellApart(cameras)) {
        const auto chosen = current ? nullptr : storedChoice(cameras);
        return cameraAfter(cameras, current ? current->uniqueID() : chosen ? chosen->uniqueID() : std::string());
    }
    const int64_t looking = current ? static_cast<int64_t>(current->position()) : settings.avCaptureDevicePosition();
    return firstAt(cameras,
                   looking == kCaptureDevicePositionFront ? kCaptureDevicePositionBack : kCaptureDevicePositionFront);
}

void storeOtherChoice(const std::vector<capture::CaptureDevicePtr>& cameras) {
    if (auto other = otherCamera(cameras, nullptr)) storeChoice(*other);
}

}  // namespace cameraorder
