#pragma once

// Named notifications between parts of the program that do not own each
// other. Delivery is synchronous, on the posting thread, to every matching
// observer in the order they were added.
//
// An observer lives as long as its ObserverToken: destroying or resetting the
// token removes it. Observers may be added and removed while a notification
// is being delivered (also from inside an observer): one removed is not
// called afterwards; one added receives the next notification, not the one
// being delivered. An observer may post.

#include "platform/foundation/Value.h"

#include <functional>
#include <memory>
#include <string>

namespace foundation {

struct Notification {
    std::string name;
    const void* object = nullptr;  // the sender, compared by address only
    Dictionary userInfo;           // native objects travel as Value::object
};

namespace detail {
struct CenterState;
struct ObserverEntry;
}  // namespace detail

class ObserverToken {
public:
    ObserverToken() = default;
    ObserverToken(ObserverToken&& other) noexcept = default;
    ObserverToken& operator=(ObserverToken&& other) noexcept;
    ~ObserverToken() { reset(); }

    // Removes the observer (nothing when already removed).
    void reset();
    bool isActive() const;

private:
    friend class NotificationCenter;
    ObserverToken(std::weak_ptr<detail::CenterState> center, std::shared_ptr<detail::ObserverEntry> entry)
        : center_(std::move(center)), entry_(std::move(entry)) {}
    std::weak_ptr<detail::CenterState> center_;
    std::shared_ptr<detail::ObserverEntry> entry_;
};

class NotificationCenter {
public:
    using Observer = std::function<void(const Notification&)>;

    static NotificationCenter& defaultCenter();

    NotificationCenter();
    ~NotificationCenter();
    NotificationCenter(const NotificationCenter&) = delete;
    NotificationCenter& operator=(const NotificationCenter&) = delete;

    // Observes notifications of `name` (every name when empty) sent by
    // `object` (any sender when null).
    [[nodiscard]] ObserverToken addObserver(std::string name, const void* object, Observer block);
    void removeObserver(ObserverToken& token) { token.reset(); }

    void post(std::string name, const void* object = nullptr, Dictionary userInfo = {});
    void post(const Notification& notification);

private:
    std::shared_ptr<detail::CenterState> state_;
};

}  // namespace foundation
