#pragma once

// Callbacks that may outlive the object that scheduled them.
//
// A shared object (one derived from std::enable_shared_from_this, perhaps
// through a base class) hands its callbacks `weakFrom(this)` and locks it
// when the callback runs:
//
//     auto weak = foundation::weakFrom(this);
//     queue.async([weak] { if (auto self = weak.lock()) self->finish(); });
//
// Any other object holds a LifeToken by value and wraps its callbacks; a
// wrapped callback does nothing once the owner is destroyed or has revoked
// the token:
//
//     foundation::LifeToken life_;
//     timer = scheduleTimer(1, false, life_.guard([this](Timer&) { tick(); }));
//     life_.performAfter(2.0, [this] { dismiss(); });  // cancelled with the owner
//
// Both are checked where the callback runs, which must be the thread that
// destroys the owner (the main thread for views and controllers): a check on
// another thread could race with the destructor.

#include "platform/foundation/Timer.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace foundation {

// A weak pointer of the object's own type, even where enable_shared_from_this
// names a base class. Empty for an object that no shared_ptr owns (yet, or
// any more, as inside its destructor).
template <class T>
std::weak_ptr<T> weakFrom(T* self) {
    auto weakBase = self->weak_from_this();
    using Base = typename decltype(weakBase)::element_type;
    if constexpr (std::is_same_v<std::remove_const_t<Base>, std::remove_const_t<T>>) {
        return weakBase;
    } else {
        return std::static_pointer_cast<T>(weakBase.lock());
    }
}

// Whether the owner of a LifeToken is still there. Cheap to copy.
class LifeObserver {
public:
    LifeObserver() = default;
    bool alive() const { return !state_.expired(); }
    explicit operator bool() const { return alive(); }

private:
    friend class LifeToken;
    explicit LifeObserver(std::weak_ptr<const void> state) : state_(std::move(state)) {}
    std::weak_ptr<const void> state_;
};

// Held by value by an object whose callbacks must stop when it goes away.
// Copying or moving the owner gives the new object a token of its own: the
// callbacks of the old object follow the old object.
class LifeToken {
public:
    LifeToken() : state_(std::make_shared<const char>(0)) {}
    LifeToken(const LifeToken&) : LifeToken() {}
    LifeToken& operator=(const LifeToken&) { return *this; }
    // Cancels the delayed performs still pending.
    ~LifeToken();

    LifeObserver observer() const { return LifeObserver(state_); }

    // Cancels every callback wrapped so far and the delayed performs still
    // pending; later ones work again. For an owner that stops what it
    // started without going away.
    void revoke();

    // Runs `block` on the main run loop after `delay` seconds unless the
    // token is gone or revoked by then. A `key` names the perform for
    // cancelPerforms. Main thread only, as the run loop's own performs.
    TimerHandle performAfter(double delay, std::function<void()> block, std::string key = {});
    // Cancels the pending performs of one key; returns how many.
    size_t cancelPerforms(std::string_view key);

    // Wraps `callback` so that it runs only while this token lives. A guarded
    // callback returns nothing, so only callbacks whose result nobody needs
    // can be guarded.
    template <class F>
    auto guard(F callback) const {
        return [observer = observer(), callback = std::move(callback)](auto&&... args) mutable {
            if (observer.alive()) callback(std::forward<decltype(args)>(args)...);
        };
    }

private:
    void cancelAllPerforms();
    std::shared_ptr<const char> state_;
    bool performed_ = false;  // spares the run loop a search when none was made
};

}  // namespace foundation
