#pragma once

// What the watch extension is told about the capture screen: whether one is
// open and ready, the open project's name and a short progress text. Held in
// memory only; after a launch it reads as not ready until a capture screen
// has filled it.

#include "platform/foundation/Locked.h"

#include <atomic>
#include <optional>
#include <string>

class KWWatchKitLocalStorage {
public:
    // The single instance, created on first use; safe from any thread.
    static KWWatchKitLocalStorage& sharedWatchKitLocalStorage();

    KWWatchKitLocalStorage(const KWWatchKitLocalStorage&) = delete;
    KWWatchKitLocalStorage& operator=(const KWWatchKitLocalStorage&) = delete;

    bool isReadyToCapture() const { return isReadyToCapture_; }
    void setIsReadyToCapture(bool ready) { isReadyToCapture_ = ready; }
    bool isReady() const { return isReady_; }
    void setIsReady(bool ready) { isReady_ = ready; }
    std::optional<std::string> info() const { return info_.get(); }
    void setInfo(std::optional<std::string> info) { info_.set(std::move(info)); }
    std::optional<std::string> name() const { return name_.get(); }
    void setName(std::optional<std::string> name) { name_.set(std::move(name)); }

private:
    KWWatchKitLocalStorage() = default;

    std::atomic<bool> isReadyToCapture_ = false;
    std::atomic<bool> isReady_ = false;
    foundation::Locked<std::optional<std::string>> info_;
    foundation::Locked<std::optional<std::string>> name_;
};
