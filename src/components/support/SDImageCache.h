#pragma once

// Images fetched from web addresses, kept at two levels: a memory cache for
// the running process (cost-limited, emptied on memory warnings and when the
// application goes to the background) and a folder of files under the
// caches folder that survives launches ($XDG_CACHE_HOME/tollivar/ImageCache).
//
// A key (as a rule a web address) names the file by the MD5 of its UTF-8
// bytes in 32 lowercase hexadecimal digits. Files are written on one serial
// queue and read on another; answers of a disk read come on the main thread,
// while a memory hit or a missing key is answered at once on the caller's.
//
// Nothing is reported as an error: a file that is missing, unreadable, not a
// picture, truncated, or too large to decode counts as not found.

#include "components/support/ImageMemoryCache.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Lifetime.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/Image.h"

#include <any>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace support {

class SDImageCache;

// What a disk query answers. Both have defaults that do nothing.
class SDImageCacheDelegate {
public:
    virtual ~SDImageCacheDelegate() = default;
    virtual void imageCacheDidFindImage(SDImageCache& cache, const graphics::Image& image, const std::string& key,
                                        const std::any& userInfo);
    // `key` is empty when the query had none.
    virtual void imageCacheDidNotFindImageForKey(SDImageCache& cache, const std::string& key, const std::any& userInfo);
};

// The file name of a key in the disk folder: MD5 of its UTF-8 bytes as
// lowercase hexadecimal, no extension.
std::string cacheFileNameForKey(const std::string& key);

class SDImageCache {
public:
    // The process-wide cache in the caches folder, created on first use
    // (main thread).
    static SDImageCache& sharedImageCache();
    // Files not modified for this long are deleted by cleanDisk: seven days
    // unless set. Applies to every cache.
    static void setMaxCacheAge(int64_t seconds);
    static int64_t maxCacheAge();

    // A cache whose disk folder is "ImageCache" in the caches folder.
    SDImageCache();
    // A cache over another folder (created with its parents when missing).
    explicit SDImageCache(std::string diskCachePath);
    // Drops pending writes and waits for the one running, so no queued work
    // outlives the cache.
    ~SDImageCache();
    SDImageCache(const SDImageCache&) = delete;
    SDImageCache& operator=(const SDImageCache&) = delete;

    const std::string& diskCachePath() const { return diskCachePath_; }
    std::string cachePathForKey(const std::string& key) const;
    ImageMemoryCache& memoryCache() { return memCache_; }
    // The serial queue of disk writes (a test can hold it to keep writes pending).
    const foundation::DispatchQueue& cacheInQueue() const { return cacheInQueue_; }

    // Puts the image in memory at once and, with `toDisk`, queues a write of
    // `data` (or, without data, of the image as JPEG at full quality). Does
    // nothing without an image or a key.
    void storeImage(const graphics::Image& image, const std::optional<foundation::Bytes>& imageData,
                    const std::string& key, bool toDisk);
    void storeImage(const graphics::Image& image, const std::string& key, bool toDisk = true);

    // Memory, then (with `fromDisk`) the file read on the calling thread; a
    // picture found on disk enters memory. A null image when there is none
    // or the key is empty.
    graphics::Image imageFromKey(const std::string& key, bool fromDisk = true);

    // Without a delegate nothing happens. No (empty) key: not found, at once. A
    // memory hit: found, at once. Otherwise the file is read and decoded on
    // the read queue and the answer comes on the main thread.
    void queryDiskCacheForKey(const std::string& key, std::shared_ptr<SDImageCacheDelegate> delegate,
                              std::any userInfo = {});

    // Removes the memory entry and, with `fromDisk`, the file at once.
    void removeImageForKey(const std::string& key, bool fromDisk = true);
    // Drops the writes still queued, then empties memory.
    void clearMemory();
    // Drops the writes still queued, then deletes and re-creates the folder.
    void clearDisk();
    // Deletes every entry of the folder modified no later than maxCacheAge
    // seconds before now; an entry whose attributes cannot be read stays.
    void cleanDisk();
    void cleanDisk(foundation::Date now);
    // Bytes of every entry below the folder, and their number; both stop at
    // INT32_MAX rather than wrap.
    int32_t getSize() const;
    int32_t getDiskCount() const;

private:
    static uint64_t costOf(const graphics::Image& image);
    void writeToDisk(const std::string& key, const std::string& path, const std::optional<foundation::Bytes>& data,
                     uint64_t generation);
    void readFromDisk(const std::string& key, const std::string& path, std::shared_ptr<SDImageCacheDelegate> delegate,
                      std::any userInfo);
    void observeApplication();

    ImageMemoryCache memCache_;
    const std::string diskCachePath_;
    foundation::DispatchQueue cacheInQueue_;
    foundation::DispatchQueue cacheOutQueue_;
    // Writes carry the generation they were queued in; clearing memory or
    // disk starts a new one, so the writes still queued do nothing.
    std::atomic<uint64_t> writeGeneration_{0};
    foundation::ObserverToken memoryWarningObserver_;
    foundation::ObserverToken backgroundObserver_;
    foundation::ObserverToken terminateObserver_;
    foundation::LifeToken life_;
};

}  // namespace support
