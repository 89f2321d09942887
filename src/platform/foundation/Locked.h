#pragma once

// A value that several threads read and write. Every access takes the lock,
// and readers get a copy, so no caller ever holds the value while another
// thread replaces it.

#include <mutex>
#include <utility>

namespace foundation {

template <class T>
class Locked {
public:
    Locked() = default;
    explicit Locked(T value) : value_(std::move(value)) {}

    T get() const {
        std::lock_guard guard(mutex_);
        return value_;
    }

    void set(T value) {
        std::lock_guard guard(mutex_);
        value_ = std::move(value);
    }

private:
    mutable std::mutex mutex_;
    T value_{};
};

}  // namespace foundation
