#pragma once

// A capture delegate that records what a source tells it, with the thread
// each picture arrived on.

#include "app/capture/CaptureController.h"
#include "platform/foundation/DispatchQueue.h"

#include <mutex>
#include <string>
#include <vector>

namespace capturetest {

struct TakenPicture {
    graphics::Image image;
    std::string queueLabel;
};

class RecordingDelegate : public CaptureControllerDelegate {
public:
    void captureControllerDidSwitchCaptureDevicePosition(CaptureController&, int64_t position) override {
        std::lock_guard lock(mutex);
        switches.push_back(position);
    }
    void captureControllerDidInitCaptureDeviceWithPositon(CaptureController&, int64_t position) override {
        std::lock_guard lock(mutex);
        inits.push_back(position);
    }
    void captureControllerDidTakeImage(CaptureController&, graphics::Image image) override {
        std::lock_guard lock(mutex);
        pictures.push_back({std::move(image), foundation::DispatchQueue::currentLabel()});
    }

    size_t pictureCount() {
        std::lock_guard lock(mutex);
        return pictures.size();
    }

    std::mutex mutex;
    std::vector<int64_t> switches;
    std::vector<int64_t> inits;
    std::vector<TakenPicture> pictures;
};

}  // namespace capturetest
