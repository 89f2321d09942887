#include "app/core/KWWatchKitLocalStorage.h"

#include <gtest/gtest.h>

namespace {

TEST(WatchKitLocalStorage, OneSharedInstanceThatStartsNotReady) {
    KWWatchKitLocalStorage& storage = KWWatchKitLocalStorage::sharedWatchKitLocalStorage();
    EXPECT_EQ(&storage, &KWWatchKitLocalStorage::sharedWatchKitLocalStorage());
    EXPECT_FALSE(storage.isReady());
    EXPECT_FALSE(storage.isReadyToCapture());
    EXPECT_EQ(storage.info(), std::nullopt);
    EXPECT_EQ(storage.name(), std::nullopt);

    storage.setName("Zoo");
    storage.setInfo("0003 / 0004");
    storage.setIsReady(true);
    EXPECT_EQ(KWWatchKitLocalStorage::sharedWatchKitLocalStorage().info(), "0003 / 0004");
    EXPECT_TRUE(KWWatchKitLocalStorage::sharedWatchKitLocalStorage().isReady());
    storage.setIsReady(false);
    storage.setName(std::nullopt);
    storage.setInfo(std::nullopt);
}

}  // namespace
