#pragma once

// The shared part of a Value that does not fit in the handle itself: a
// string's text, data bytes, a container's storage, a native object. One
// allocation each, counted in place (no separate control block); the count
// is atomic, so values may be shared across threads. A node is made in the
// ValueArena while a scope lives on the making thread, on the heap otherwise,
// and given back where it came from when its last reference goes.

#include "platform/foundation/ValueArena.h"

#include <atomic>
#include <cstdint>
#include <new>
#include <utility>

namespace foundation {

template <class T>
class Retained;

class ValueNode {
public:
    ValueNode(const ValueNode&) = delete;
    ValueNode& operator=(const ValueNode&) = delete;

    void retain() const noexcept { references_.fetch_add(1, std::memory_order_relaxed); }
    // Destroys the node with its last reference; the decrement orders every
    // earlier use of it on other threads before the destruction.
    void release() const noexcept {
        if (references_.fetch_sub(1, std::memory_order_acq_rel) == 1) destroy();
    }
    uint32_t referenceCount() const noexcept { return references_.load(std::memory_order_relaxed); }
    bool inArena() const noexcept { return inArena_; }

protected:
    ValueNode() = default;
    virtual ~ValueNode() = default;

private:
    template <class T, class... Args>
    friend Retained<T> makeNode(Args&&... args);
    void destroy() const noexcept;

    mutable std::atomic<uint32_t> references_{1};
    bool inArena_ = false;
};

// An owning pointer to a node: copying retains, destroying releases.
template <class T>
class Retained {
public:
    Retained() = default;
    Retained(const Retained& other) noexcept : node_(other.node_) {
        if (node_) node_->retain();
    }
    Retained(Retained&& other) noexcept : node_(std::exchange(other.node_, nullptr)) {}
    template <class U>
    Retained(Retained<U>&& other) noexcept : node_(other.take()) {}
    ~Retained() {
        if (node_) node_->release();
    }
    Retained& operator=(Retained other) noexcept {
        std::swap(node_, other.node_);
        return *this;
    }

    // Takes over a reference the caller owns.
    static Retained adopt(T* node) noexcept {
        Retained retained;
        retained.node_ = node;
        return retained;
    }
    // Adds a reference to a node someone else owns.
    static Retained share(T* node) noexcept {
        if (node) node->retain();
        return adopt(node);
    }
    // Hands the reference over to the caller, leaving this empty.
    T* take() noexcept { return std::exchange(node_, nullptr); }

    T* get() const noexcept { return node_; }
    T& operator*() const noexcept { return *node_; }
    T* operator->() const noexcept { return node_; }
    explicit operator bool() const noexcept { return node_ != nullptr; }
    bool operator==(const Retained& other) const noexcept { return node_ == other.node_; }

private:
    T* node_ = nullptr;
};

// A new node, in the arena while a scope lives on this thread.
template <class T, class... Args>
Retained<T> makeNode(Args&&... args) {
    const bool arena = ValueArena::active();
    void* memory = arena ? ValueArena::allocate(sizeof(T), alignof(T)) : ::operator new(sizeof(T));
    T* node = nullptr;
    try {
        node = new (memory) T(std::forward<Args>(args)...);
    } catch (...) {
        if (arena) {
            ValueArena::release(memory);
        } else {
            ::operator delete(memory);
        }
        throw;
    }
    static_cast<ValueNode*>(node)->inArena_ = arena;
    return Retained<T>::adopt(node);
}

}  // namespace foundation
