#include "platform/foundation/ValueArena.h"

#include <atomic>
#include <cstdlib>
#include <limits>

namespace foundation {

// The head of every chunk. While a scope still takes from the chunk its
// count carries kOpen on top of the blocks released so far; retiring
// replaces kOpen with the number taken, so the count reaches 0 exactly when
// the chunk is retired and every block is back.
struct Chunk {
    std::atomic<uint64_t> live;
};

namespace {

constexpr uint64_t kOpen = uint64_t{1} << 62;
constexpr size_t kHeaderBytes = 64;  // keeps the first block cache-line aligned
static_assert(sizeof(Chunk) <= kHeaderBytes);

// Read for every value a thread makes: the initial-exec model keeps that a
// plain load instead of a call into the dynamic linker.
__attribute__((tls_model("initial-exec"))) thread_local ValueArena::Scope* innermost = nullptr;

size_t roundUp(size_t value, size_t multiple) { return (value + multiple - 1) / multiple * multiple; }

Chunk* newChunk(size_t bytes) {
    void* memory = std::aligned_alloc(ValueArena::kChunkBytes, roundUp(bytes, ValueArena::kChunkBytes));
    if (!memory) throw std::bad_alloc();
    return new (memory) Chunk{kOpen};
}

void drop(Chunk* chunk, uint64_t count) {
    if (chunk->live.fetch_sub(count, std::memory_order_acq_rel) == count) {
        chunk->~Chunk();
        std::free(chunk);
    }
}

}  // namespace

ValueArena::Scope::Scope() : outer_(innermost) { innermost = this; }

ValueArena::Scope::~Scope() {
    retire();
    innermost = outer_;
}

void ValueArena::Scope::retire() {
    if (!chunk_) return;
    drop(chunk_, kOpen - taken_);
    chunk_ = nullptr;
    next_ = end_ = nullptr;
    taken_ = 0;
}

void* ValueArena::Scope::take(size_t bytes, size_t alignment) {
    if (alignment > kHeaderBytes) throw std::bad_alloc();
    if (chunk_) {
        char* at = reinterpret_cast<char*>(roundUp(reinterpret_cast<uintptr_t>(next_), alignment));
        if (at <= end_ && bytes <= static_cast<size_t>(end_ - at)) {
            next_ = at + bytes;
            ++taken_;
            return at;
        }
    }
    if (bytes > std::numeric_limits<size_t>::max() - 2 * kChunkBytes) throw std::bad_alloc();
    // A block too large for an ordinary chunk gets one of its own; the
    // current chunk keeps serving the small ones.
    if (bytes > kChunkBytes / 4) {
        Chunk* own = newChunk(kHeaderBytes + bytes);
        drop(own, kOpen - 1);
        return reinterpret_cast<char*>(own) + kHeaderBytes;
    }
    retire();
    chunk_ = newChunk(kChunkBytes);
    next_ = reinterpret_cast<char*>(chunk_) + kHeaderBytes + bytes;
    end_ = reinterpret_cast<char*>(chunk_) + kChunkBytes;
    taken_ = 1;
    return reinterpret_cast<char*>(chunk_) + kHeaderBytes;
}

ValueArena::Pause::Pause() : paused_(innermost) { innermost = nullptr; }

ValueArena::Pause::~Pause() { innermost = paused_; }

bool ValueArena::active() { return innermost != nullptr; }

void* ValueArena::allocate(size_t bytes, size_t alignment) {
    if (!innermost) throw std::bad_alloc();
    return innermost->take(bytes == 0 ? 1 : bytes, alignment);
}

void ValueArena::release(void* block) noexcept {
    const auto address = reinterpret_cast<uintptr_t>(block);
    drop(reinterpret_cast<Chunk*>(address & ~uintptr_t{kChunkBytes - 1}), 1);
}

}  // namespace foundation
