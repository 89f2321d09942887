#include "components/support/SDImageCache.h"

#include "components/support/ScaledImageForKey.h"
#include "components/support/UIImage_ForceDecode.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/security/Digest.h"
#include "platform/ui/host/Application.h"

#include <algorithm>
#include <limits>

namespace support {

namespace {

std::atomic<int64_t> maxCacheAgeSeconds{604800};

int32_t clampToInt32(uint64_t value) {
    return static_cast<int32_t>(std::min<uint64_t>(value, std::numeric_limits<int32_t>::max()));
}

}  // namespace

void SDImageCacheDelegate::imageCacheDidFindImage(SDImageCache&, const graphics::Image&, const std::string&,
                                                  const std::any&) {}
void SDImageCacheDelegate::imageCacheDidNotFindImageForKey(SDImageCache&, const std::string&, const std::any&) {}

std::string cacheFileNameForKey(const std::string& key) { return security::md5HexString(key); }

SDImageCache& SDImageCache::sharedImageCache() {
    // Never destroyed: at exit the queues it would wait for may already be gone.
    static SDImageCache* instance = new SDImageCache();
    return *instance;
}

void SDImageCache::setMaxCacheAge(int64_t seconds) { maxCacheAgeSeconds.store(seconds); }
int64_t SDImageCache::maxCacheAge() { return maxCacheAgeSeconds.load(); }

SDImageCache::SDImageCache()
    : SDImageCache(foundation::path::appending(foundation::Paths::cachesDirectory(), "ImageCache")) {}

SDImageCache::SDImageCache(std::string diskCachePath)
    : memCache_("ImageCache"),
      diskCachePath_(std::move(diskCachePath)),
      cacheInQueue_("ImageCache.in"),
      cacheOutQueue_("ImageCache.out") {
    (void)foundation::FileManager::defaultManager().createDirectory(diskCachePath_, true);
    observeApplication();
}

SDImageCache::~SDImageCache() {
    ++writeGeneration_;
    cacheInQueue_.sync([] {});
    cacheOutQueue_.sync([] {});
}

void SDImageCache::observeApplication() {
    auto& center = foundation::NotificationCenter::defaultCenter();
    // The platform always multitasks, so going to the background empties
    // memory as a memory warning does.
    memoryWarningObserver_ = center.addObserver(ui::Application::DidReceiveMemoryWarningNotification, nullptr,
                                                [this](const foundation::Notification&) { clearMemory(); });
    backgroundObserver_ = center.addObserver(ui::Application::DidEnterBackgroundNotification, nullptr,
                                             [this](const foundation::Notification&) { clearMemory(); });
    terminateObserver_ = center.addObserver(ui::Application::WillTerminateNotification, nullptr,
                                            [this](const foundation::Notification&) { cleanDisk(); });
}

std::string SDImageCache::cachePathForKey(const std::string& key) const {
    return foundation::path::appending(diskCachePath_, cacheFileNameForKey(key));
}

uint64_t SDImageCache::costOf(const graphics::Image& image) {
    graphics::Size size = image.size();
    double cost = size.height * size.width * image.scale();
    return cost > 0 ? static_cast<uint64_t>(cost) : 0;
}

void SDImageCache::storeImage(const graphics::Image& image, const std::optional<foundation::Bytes>& imageData,
                              const std::string& key, bool toDisk) {
    if (image.isNull() || key.empty()) return;
    memCache_.setObject(key, image, costOf(image));
    if (!toDisk) return;
    uint64_t generation = writeGeneration_.load();
    // The file name is worked out here: digests stay off the pool's threads.
    cacheInQueue_.async([this, key, path = cachePathForKey(key), imageData, generation] {
        writeToDisk(key, path, imageData, generation);
    });
}

void SDImageCache::storeImage(const graphics::Image& image, const std::string& key, bool toDisk) {
    storeImage(image, std::nullopt, key, toDisk);
}

void SDImageCache::writeToDisk(const std::string& key, const std::string& path,
                               const std::optional<foundation::Bytes>& data, uint64_t generation) {
    if (generation != writeGeneration_.load()) return;
    if (data) {
        (void)foundation::writeFileAtomically(path, *data);
        return;
    }
    // The memory entry may have been evicted meanwhile: then nothing is written.
    graphics::Image image = memCache_.objectForKey(key);
    if (image.isNull()) return;
    auto jpeg = image.jpegData(1.0);
    if (jpeg) (void)foundation::writeFileAtomically(path, *jpeg);
}

graphics::Image SDImageCache::imageFromKey(const std::string& key, bool fromDisk) {
    if (key.empty()) return {};
    graphics::Image image = memCache_.objectForKey(key);
    if (!image.isNull() || !fromDisk) return image;
    auto data = foundation::readFile(cachePathForKey(key));
    if (!data) return {};
    image = scaledImageForKey(key, *data);
    if (!image.isNull()) memCache_.setObject(key, image, costOf(image));
    return image;
}

void SDImageCache::queryDiskCacheForKey(const std::string& key, std::shared_ptr<SDImageCacheDelegate> delegate,
                                        std::any userInfo) {
    if (!delegate) return;
    if (key.empty()) {
        delegate->imageCacheDidNotFindImageForKey(*this, key, userInfo);
        return;
    }
    graphics::Image image = memCache_.objectForKey(key);
    if (!image.isNull()) {
        delegate->imageCacheDidFindImage(*this, image, key, userInfo);
        return;
    }
    cacheOutQueue_.async([this, key, path = cachePathForKey(key), delegate = std::move(delegate),
                          userInfo = std::move(userInfo)]() mutable {
        readFromDisk(key, path, std::move(delegate), std::move(userInfo));
    });
}

void SDImageCache::readFromDisk(const std::string& key, const std::string& path,
                                std::shared_ptr<SDImageCacheDelegate> delegate, std::any userInfo) {
    graphics::Image image;
    if (auto data = foundation::readFile(path)) image = scaledImageForKey(key, *data);
    if (!image.isNull()) {
        graphics::Image decoded = UIImage_ForceDecode::decodedImageWithImage(image);
        if (!decoded.isNull()) image = std::move(decoded);
    }
    foundation::DispatchQueue::main().async(life_.guard(
        [this, key, image = std::move(image), delegate = std::move(delegate), userInfo = std::move(userInfo)] {
            if (image.isNull()) {
                delegate->imageCacheDidNotFindImageForKey(*this, key, userInfo);
                return;
            }
            memCache_.setObject(key, image, costOf(image));
            delegate->imageCacheDidFindImage(*this, image, key, userInfo);
        }));
}

void SDImageCache::removeImageForKey(const std::string& key, bool fromDisk) {
    if (key.empty()) return;
    memCache_.removeObjectForKey(key);
    if (fromDisk) (void)foundation::FileManager::defaultManager().removeItem(cachePathForKey(key));
}

void SDImageCache::clearMemory() {
    ++writeGeneration_;
    memCache_.removeAllObjects();
}

void SDImageCache::clearDisk() {
    ++writeGeneration_;
    auto& files = foundation::FileManager::defaultManager();
    (void)files.removeItem(diskCachePath_);
    (void)files.createDirectory(diskCachePath_, true);
}

void SDImageCache::cleanDisk() { cleanDisk(foundation::Date::now()); }

void SDImageCache::cleanDisk(foundation::Date now) {
    foundation::Date expiry{now.sinceReferenceDate - double(maxCacheAge())};
    auto& files = foundation::FileManager::defaultManager();
    auto entries = files.subpathsOfDirectory(diskCachePath_);
    if (!entries) return;
    for (const std::string& entry : *entries) {
        std::string path = foundation::path::appending(diskCachePath_, entry);
        auto attributes = files.attributesOfItem(path);
        if (!attributes) continue;
        if (attributes->modificationDate <= expiry) (void)files.removeItem(path);
    }
}

int32_t SDImageCache::getSize() const {
    auto& files = foundation::FileManager::defaultManager();
    auto entries = files.subpathsOfDirectory(diskCachePath_);
    if (!entries) return 0;
    uint64_t total = 0;
    for (const std::string& entry : *entries)
        if (auto attributes = files.attributesOfItem(foundation::path::appending(diskCachePath_, entry)))
            total += attributes->size;
    return clampToInt32(total);
}

int32_t SDImageCache::getDiskCount() const {
    auto entries = foundation::FileManager::defaultManager().subpathsOfDirectory(diskCachePath_);
    return entries ? clampToInt32(entries->size()) : 0;
}

}  // namespace support
