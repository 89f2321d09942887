#include "platform/foundation/NotificationCenter.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

namespace foundation {

namespace detail {

struct ObserverEntry {
    std::string name;
    const void* object = nullptr;
    NotificationCenter::Observer block;
    std::atomic<bool> active{true};

    bool matches(const Notification& notification) const {
        return (name.empty() || name == notification.name) && (!object || object == notification.object);
    }
};

struct CenterState {
    std::mutex mutex;
    std::vector<std::shared_ptr<ObserverEntry>> entries;  // in registration order
};

}  // namespace detail

ObserverToken& ObserverToken::operator=(ObserverToken&& other) noexcept {
    if (this != &other) {
        reset();
        center_ = std::move(other.center_);
        entry_ = std::move(other.entry_);
    }
    return *this;
}

void ObserverToken::reset() {
    auto entry = std::move(entry_);
    auto center = std::move(center_).lock();
    center_.reset();
    if (!entry) return;
    entry->active = false;
    if (!center) return;
    std::lock_guard lock(center->mutex);
    std::erase(center->entries, entry);
}

bool ObserverToken::isActive() const { return entry_ && entry_->active && !center_.expired(); }

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter center;
    return center;
}

NotificationCenter::NotificationCenter() : state_(std::make_shared<detail::CenterState>()) {}

NotificationCenter::~NotificationCenter() {
    std::lock_guard lock(state_->mutex);
    for (auto& entry : state_->entries) entry->active = false;
}

ObserverToken NotificationCenter::addObserver(std::string name, const void* object, Observer block) {
    auto entry = std::make_shared<detail::ObserverEntry>();
    entry->name = std::move(name);
    entry->object = object;
    entry->block = std::move(block);
    std::lock_guard lock(state_->mutex);
    state_->entries.push_back(entry);
    return ObserverToken(state_, std::move(entry));
}

void NotificationCenter::post(std::string name, const void* object, Dictionary userInfo) {
    post(Notification{std::move(name), object, std::move(userInfo)});
}

void NotificationCenter::post(const Notification& notification) {
    // Deliver from a snapshot without the lock held, so observers may add,
    // remove and post; the active flag keeps a removed observer from being
    // called later in this same delivery.
    std::vector<std::shared_ptr<detail::ObserverEntry>> snapshot;
    {
        std::lock_guard lock(state_->mutex);
        snapshot = state_->entries;
    }
    for (const auto& entry : snapshot) {
        if (entry->active && entry->block && entry->matches(notification)) entry->block(notification);
    }
}

}  // namespace foundation
