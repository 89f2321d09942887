#include "platform/foundation/Value.h"
#include "platform/foundation/ValueArena.h"

#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace foundation {
namespace {

uintptr_t chunkOf(const void* block) {
    return reinterpret_cast<uintptr_t>(block) & ~uintptr_t{ValueArena::kChunkBytes - 1};
}

TEST(ValueArenaTest, AllocatesOnlyInsideAScopeAndNotWhilePaused) {
    EXPECT_FALSE(ValueArena::active());
    EXPECT_THROW(ValueArena::allocate(16, 8), std::bad_alloc);
    {
        ValueArena::Scope scope;
        EXPECT_TRUE(ValueArena::active());
        {
            ValueArena::Pause pause;
            EXPECT_FALSE(ValueArena::active());
            // A value made while paused comes from the heap and outlives every chunk.
            EXPECT_FALSE(Array().storage().inArena());
        }
        EXPECT_TRUE(Array().storage().inArena());
        EXPECT_TRUE(ValueArena::active());
        {
            ValueArena::Scope inner;
            EXPECT_TRUE(ValueArena::active());
        }
        EXPECT_TRUE(ValueArena::active());
    }
    EXPECT_FALSE(ValueArena::active());
}

// Blocks of every size the decoder asks for: aligned as asked, disjoint,
// writable to their last byte, and laid out in the order they were taken
// within a chunk.
TEST(ValueArenaTest, BlocksAreAlignedDisjointAndInOrder) {
    struct Case {
        size_t bytes;
        size_t alignment;
    };
    const Case cases[] = {{1, 1},
                          {0, 1},
                          {24, 8},
                          {96, 16},
                          {1000, 64},
                          {ValueArena::kChunkBytes / 4, 8},
                          {ValueArena::kChunkBytes / 4 + 1, 8},
                          {3 * ValueArena::kChunkBytes, 16},
                          {40, 8}};
    ValueArena::Scope scope;
    std::vector<std::pair<char*, size_t>> blocks;
    for (const Case& c : cases) {
        auto* block = static_cast<char*>(ValueArena::allocate(c.bytes, c.alignment));
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % c.alignment, 0u);
        std::memset(block, 0xAB, c.bytes);
        for (const auto& [other, size] : blocks)
            EXPECT_TRUE(block + c.bytes <= other || other + size <= block) << "blocks overlap";
        blocks.emplace_back(block, c.bytes);
    }
    // The small blocks before the large ones share a chunk, in order.
    EXPECT_EQ(chunkOf(blocks[0].first), chunkOf(blocks[2].first));
    EXPECT_LT(blocks[0].first, blocks[2].first);
    EXPECT_LT(blocks[2].first, blocks[3].first);
    // A large block that still fits takes the chunk's room; one that does
    // not gets a chunk of its own, and the small ones after it keep using
    // the current chunk.
    EXPECT_EQ(chunkOf(blocks[6].first), chunkOf(blocks[5].first));
    EXPECT_NE(chunkOf(blocks[7].first), chunkOf(blocks[6].first));
    EXPECT_EQ(chunkOf(blocks[8].first), chunkOf(blocks[4].first));
    for (const auto& [block, size] : blocks) ValueArena::release(block);
}

// Values built in a scope stay whole after it ends, when released in any
// order and from another thread; ASan reports any chunk freed too early or
// never.
TEST(ValueArenaTest, ValuesOutliveTheScopeAndDieFromAnyThread) {
    std::vector<Value> kept;
    {
        ValueArena::Scope scope;
        for (int i = 0; i < 20000; ++i) {
            Array row{Value(i), Value("row " + std::to_string(i) + " with a text too long for inline storage")};
            kept.push_back(Value(std::move(row)));
        }
    }
    for (size_t i = 0; i < kept.size(); i += 997) {
        EXPECT_EQ(kept[i].asArray()[0].asInt(), static_cast<int64_t>(i));
        EXPECT_EQ(kept[i].asArray()[1].asString(),
                  "row " + std::to_string(i) + " with a text too long for inline storage");
    }
    // Every other value goes here, the rest on another thread.
    std::vector<Value> elsewhere;
    for (size_t i = 1; i < kept.size(); i += 2) elsewhere.push_back(std::move(kept[i]));
    std::thread([moved = std::move(elsewhere)]() mutable { moved.clear(); }).join();
    kept.clear();
}

TEST(ValueArenaTest, AChunkSurvivesWhileOneOfItsBlocksDoes) {
    Value survivor;
    {
        ValueArena::Scope scope;
        std::vector<Value> dropped;
        for (int i = 0; i < 1000; ++i) dropped.push_back(Value(Array{Value(i)}));
        survivor = dropped[500];
    }
    EXPECT_EQ(survivor.asArray()[0].asInt(), 500);
    // The array is shared by reference like any other: a change is seen
    // through every handle.
    Array handle = survivor.asArray();
    handle.push_back(Value("more"));
    EXPECT_EQ(survivor.asArray().size(), 2u);
}

}  // namespace
}  // namespace foundation
