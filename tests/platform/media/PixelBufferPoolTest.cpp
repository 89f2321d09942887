#include "platform/media/PixelBufferPool.h"

#include <gtest/gtest.h>

#include <thread>

using media::PixelBuffer;
using media::PixelBufferPool;

namespace {

PixelBuffer pictureOn(std::vector<uint8_t> store, size_t size, uint8_t fill) {
    PixelBuffer picture;
    picture.bytes = std::move(store);
    picture.bytes.resize(size);
    std::fill(picture.bytes.begin(), picture.bytes.end(), fill);
    return picture;
}

}  // namespace

TEST(PixelBufferPoolTest, AStoreComesBackWhenItsLastOwnerLetsGoAndIsHandedOutAsItWas) {
    auto pool = PixelBufferPool::create(2);
    EXPECT_TRUE(pool->take().empty()) << "nothing given back yet";

    auto picture = pool->share(pictureOn({}, 1000, 7));
    const uint8_t* store = picture->bytes.data();
    auto second = picture;
    picture.reset();
    EXPECT_EQ(pool->waiting(), 0u) << "still owned";
    second.reset();
    ASSERT_EQ(pool->waiting(), 1u);

    std::vector<uint8_t> again = pool->take();
    EXPECT_EQ(again.data(), store) << "the same memory, not a fresh one";
    EXPECT_EQ(again.size(), 1000u);
    EXPECT_EQ(again[999], 7) << "its bytes as they were: nothing cleared";
    EXPECT_EQ(pool->waiting(), 0u);
}

TEST(PixelBufferPoolTest, KeepsOnlyWhatItWasToldAndOutlivesNoPicture) {
    auto pool = PixelBufferPool::create(2);
    std::vector<std::shared_ptr<const PixelBuffer>> pictures;
    for (int i = 0; i < 5; ++i) pictures.push_back(pool->share(pictureOn({}, 64, uint8_t(i))));
    pictures.push_back(pool->share(PixelBuffer{}));  // an empty store is not worth keeping
    pictures.clear();
    EXPECT_EQ(pool->waiting(), 2u);

    // A picture that outlives its pool frees its store itself.
    auto late = pool->share(pictureOn(pool->take(), 64, 1));
    pool.reset();
    late.reset();
}

TEST(PixelBufferPoolTest, PicturesSharedAndLetGoOnOtherThreadsComeBackWhole) {
    auto pool = PixelBufferPool::create(8);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&pool, t] {
            for (int i = 0; i < 200; ++i) {
                auto picture = pool->share(pictureOn(pool->take(), 4096, uint8_t(t)));
                ASSERT_EQ(picture->bytes.front(), uint8_t(t));
                ASSERT_EQ(picture->bytes.back(), uint8_t(t));
            }
        });
    for (auto& thread : threads) thread.join();
    EXPECT_GE(pool->waiting(), 1u);
    EXPECT_LE(pool->waiting(), 4u) << "never more stores than pictures alive at once";
}
