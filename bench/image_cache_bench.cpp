// The image cache against simple references, on the same data in one run:
// - memory hits through the cache against a mutex-guarded std::unordered_map
//   of the same pictures (the least a thread-safe memory cache costs);
// - 1,000 320×180 JPEGs found on disk, read, decoded and redrawn for display
//   on the cache's read queue and answered on the main loop, against
//   ImageMagick decoding the same files in one run.

#include "BenchSupport.h"
#include "components/support/SDImageCache.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/JpegCodec.h"
#include "support/RunFolder.h"

#include <QImage>
#include <QPainter>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kKeys = 1000;
constexpr int kLookups = 2'000'000;
constexpr int kWidth = 320;
constexpr int kHeight = 180;
constexpr int kRuns = 5;

std::string keyOf(int index) {
    char key[96];
    std::snprintf(key, sizeof key, "https://gallery.example.com/movies/%06d/thumbnail.jpg", index);
    return key;
}

// A gallery thumbnail: a gradient backdrop with a few shapes and some grain,
// different for every index.
foundation::Bytes thumbnailJpeg(int index) {
    QImage picture(kWidth, kHeight, QImage::Format_RGB32);
    std::mt19937 random(index);
    QPainter painter(&picture);
    QLinearGradient backdrop(0, 0, kWidth, kHeight);
    backdrop.setColorAt(0, QColor(int(random() % 256), 110, 170));
    backdrop.setColorAt(1, QColor(60, int(random() % 256), 70));
    painter.fillRect(picture.rect(), backdrop);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 8; ++i) {
        painter.setBrush(QColor(int(random() % 256), int(random() % 256), int(random() % 256)));
        painter.drawEllipse(int(random() % kWidth) - 20, int(random() % kHeight) - 20, 20 + int(random() % 80),
                            20 + int(random() % 80));
    }
    painter.end();
    for (int y = 0; y < kHeight; ++y) {
        auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < kWidth; ++x)
            if (random() % 7 == 0) row[x] ^= 0x030303;
    }
    return *graphics::jpeg::encode(picture, 0.85);
}

struct LockedMap {
    std::mutex mutex;
    std::unordered_map<std::string, graphics::Image> map;
    graphics::Image find(const std::string& key) {
        std::lock_guard guard(mutex);
        auto found = map.find(key);
        return found == map.end() ? graphics::Image() : found->second;
    }
};

// Counts the pictures a query round finds.
struct Counter : support::SDImageCacheDelegate {
    int found = 0, missing = 0;
    void imageCacheDidFindImage(support::SDImageCache&, const graphics::Image&, const std::string&,
                                const std::any&) override {
        ++found;
    }
    void imageCacheDidNotFindImageForKey(support::SDImageCache&, const std::string&, const std::any&) override {
        ++missing;
    }
};

}  // namespace

int main() {
    static const testsupport::RunFolder scratch("tollivar-image-cache-bench");
    const fs::path root = scratch.path();
    fs::create_directories(root / "magick");
    bench::useApplicationFoldersBelow(root);
    bool met = true;
    {
        support::SDImageCache cache((root / "ImageCache").string());
        // Room for every picture: the comparison is of hits, not of eviction.
        cache.memoryCache().setTotalCostLimit(uint64_t(kKeys) * kWidth * kHeight);
        std::vector<std::string> keys;
        std::vector<std::string> files;
        for (int i = 0; i < kKeys; ++i) {
            keys.push_back(keyOf(i));
            foundation::Bytes jpeg = thumbnailJpeg(i);
            cache.storeImage(*graphics::Image::decode(jpeg), jpeg, keys.back(), true);
            files.push_back((root / "magick" / (std::to_string(i) + ".jpg")).string());
            std::ofstream(files.back(), std::ios::binary)
                .write(reinterpret_cast<const char*>(jpeg.data()), std::streamsize(jpeg.size()));
        }
        foundation::RunLoop& loop = foundation::RunLoop::main();
        cache.cacheInQueue().sync([] {});  // every write done
        if (cache.getDiskCount() != kKeys) {
            std::fprintf(stderr, "the cache did not write its files\n");
            return 1;
        }

        // Memory hits.
        LockedMap reference;
        for (const auto& key : keys) reference.map.emplace(key, cache.imageFromKey(key, false));
        size_t hits = 0;
        auto lookups = [&](auto find) {
            return bench::timed([&hits, find, &keys] {
                for (int i = 0; i < kLookups; ++i) hits += !find(keys[size_t(i) % keys.size()]).isNull();
                return true;
            });
        };
        const auto memory =
            bench::compare(kRuns, lookups([&](const std::string& key) { return cache.imageFromKey(key, false); }),
                           lookups([&](const std::string& key) { return reference.find(key); }));
        if (hits != size_t(2) * kRuns * kLookups) {
            std::fprintf(stderr, "a memory lookup missed\n");
            return 1;
        }
        met &= bench::report("image cache memory hits vs locked unordered_map", memory, bench::Target::atMost(2.0));

        // Disk hits, read and decoded on the read queue, answered on the main loop.
        auto counter = std::make_shared<Counter>();
        std::vector<std::string> convert{"convert"};
        convert.insert(convert.end(), files.begin(), files.end());
        convert.push_back("null:");
        const auto disk = bench::compare(
            kRuns,
            bench::timed(
                [&] {
                    counter->found = counter->missing = 0;
                    for (const auto& key : keys) cache.queryDiskCacheForKey(key, counter);
                    return loop.runUntil([&] { return counter->found + counter->missing == kKeys; }, 120) &&
                           counter->found == kKeys;
                },
                [&] { cache.clearMemory(); }),
            bench::program([&] { return convert; }));
        met &= bench::report("image cache 1000 JPEGs from disk vs ImageMagick", disk, bench::Target::atMost(0.5));
    }
    return met ? 0 : 1;
}
