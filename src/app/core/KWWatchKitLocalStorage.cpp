#include "app/core/KWWatchKitLocalStorage.h"

KWWatchKitLocalStorage& KWWatchKitLocalStorage::sharedWatchKitLocalStorage() {
    static KWWatchKitLocalStorage instance;
    return instance;
}
