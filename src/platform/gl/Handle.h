#pragma once

// One RAII owner for every GL object name. The deleter is called with the
// name while the context that made it is current; a zero name owns nothing.

#include <cstdint>
#include <utility>

namespace gl {

using Name = uint32_t;

template <class Deleter>
class Handle {
public:
    Handle() = default;
    explicit Handle(Name name) : name_(name) {}
    ~Handle() { reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Handle(Handle&& other) noexcept : name_(std::exchange(other.name_, 0)) {}
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) {
            reset();
            name_ = std::exchange(other.name_, 0);
        }
        return *this;
    }

    Name get() const { return name_; }
    explicit operator bool() const { return name_ != 0; }
    // Gives up ownership without deleting.
    Name release() { return std::exchange(name_, 0); }
    void reset(Name name = 0) {
        if (name_ != 0) Deleter{}(name_);
        name_ = name;
    }

private:
    Name name_ = 0;
};

}  // namespace gl
