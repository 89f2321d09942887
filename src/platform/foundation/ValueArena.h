#pragma once

// Bump allocation for trees of values that are built together and mostly
// die together (a decoder's containers). Memory comes in aligned chunks; a
// chunk goes back to the system when every block taken from it is released.
// Taking a block costs a pointer bump on the building thread and no atomic
// operation; releasing one, from any thread, is one atomic decrement of its
// chunk's count. Built in order, a tree also lies in memory in the order a
// writer walks it.
//
// Blocks are only taken while a ValueArena::Scope lives on the thread; the
// allocator falls back to nothing else, so callers check active() first.

#include <cstddef>
#include <cstdint>
#include <new>

namespace foundation {

class ValueArena {
public:
    // Every chunk starts at a multiple of this, so a block finds its chunk by
    // rounding its address down.
    static constexpr size_t kChunkBytes = 32 * 1024;

    // Routes this thread's arena allocations to fresh chunks until it ends;
    // scopes nest. The last chunk is handed over at the end, so its blocks
    // are freed with their last release.
    class Scope {
    public:
        Scope();
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        friend class ValueArena;
        void* take(size_t bytes, size_t alignment);
        void retire();

        Scope* outer_;
        struct Chunk* chunk_ = nullptr;
        char* next_ = nullptr;
        char* end_ = nullptr;
        uint64_t taken_ = 0;  // blocks taken from chunk_
    };

    // Sends this thread's allocations back to the heap until it ends, for
    // values that will outlive the scope's tree (a decoder's shared tokens).
    class Pause {
    public:
        Pause();
        ~Pause();
        Pause(const Pause&) = delete;
        Pause& operator=(const Pause&) = delete;

    private:
        Scope* paused_;
    };

    // Whether a scope lives (and is not paused) on this thread.
    static bool active();
    // A block from the innermost scope of this thread; throws std::bad_alloc
    // when memory runs out. Only while active().
    static void* allocate(size_t bytes, size_t alignment);
    // Gives a block back, from any thread.
    static void release(void* block) noexcept;
};

}  // namespace foundation
