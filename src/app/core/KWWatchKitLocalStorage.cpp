#include "app/core/KWWatchKitLocalStorage.h"

KWWatchKitLocalStorage& KWWatchKitLocalStorage::sharedWatchKitLocalStorage() {
    static KWWatchKitLocalStorage instance;
    return instance;
}

std::optional<std::string> KWWatchKitLocalStorage::info() const {
    std::lock_guard guard(lock_);
    return info_;
}

void KWWatchKitLocalStorage::setInfo(std::optional<std::string> info) {
    std::lock_guard guard(lock_);
    info_ = std::move(info);
}

std::optional<std::string> KWWatchKitLocalStorage::name() const {
    std::lock_guard guard(lock_);
    return name_;
}

void KWWatchKitLocalStorage::setName(std::optional<std::string> name) {
    std::lock_guard guard(lock_);
    name_ = std::move(name);
}
