#include "app/audio/WaveformCache.h"

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Paths.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <cstdio>
#include <sys/stat.h>

namespace waveformcache {

namespace {

constexpr const char* kStampKey = "Source";

// FNV-1a: stable across runs, unlike std::hash.
std::string hashText(const std::string& text) {
    uint64_t hash = 1469598103934665603ull;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    char buffer[17];
    std::snprintf(buffer, sizeof buffer, "%016llx", static_cast<unsigned long long>(hash));
    return buffer;
}

}  // namespace

std::string pathForClip(const std::string& projectPath, const std::string& fileName) {
    const std::string folder = foundation::path::lastComponent(projectPath) + "-" + hashText(projectPath);
    return foundation::path::appending(
        foundation::path::appending(foundation::path::appending(foundation::Paths::cachesDirectory(), "wavecache"),
                                    folder),
        fileName + ".wavecache");
}

std::optional<std::string> stampOfFile(const std::string& audioPath) {
    struct stat info {};
    if (::stat(audioPath.c_str(), &info) != 0) return std::nullopt;
    return std::to_string(static_cast<long long>(info.st_size)) + " " +
           std::to_string(static_cast<long long>(info.st_mtim.tv_sec)) + "." +
           std::to_string(static_cast<long long>(info.st_mtim.tv_nsec));
}

std::optional<graphics::Image> load(const std::string& cachePath, const std::string& audioPath) {
    const auto stamp = stampOfFile(audioPath);
    if (!stamp) return std::nullopt;
    QImageReader reader(QString::fromStdString(cachePath), "png");
    if (!reader.canRead() || reader.text(kStampKey).toStdString() != *stamp) return std::nullopt;
    QImage image = reader.read();
    if (image.isNull()) return std::nullopt;
    return graphics::Image(std::move(image));
}

foundation::Status store(const std::string& cachePath, const std::string& audioPath, const graphics::Image& image) {
    const auto stamp = stampOfFile(audioPath);
    if (!stamp) return foundation::Error::posix(ENOENT, audioPath);
    QImage bitmap = image.bitmap();
    bitmap.setText(kStampKey, QString::fromStdString(*stamp));
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    if (!bitmap.save(&buffer, "png")) return foundation::Error::posix(EIO, cachePath);
    auto created = foundation::FileManager::defaultManager().createDirectory(
        foundation::path::deletingLastComponent(cachePath), true);
    if (!created.ok()) return created;
    return foundation::writeFileAtomically(cachePath, std::string_view(data.constData(), size_t(data.size())));
}

}  // namespace waveformcache
